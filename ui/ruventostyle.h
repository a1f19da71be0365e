#pragma once

#include <QProxyStyle>

namespace ruvento {

// Fusion, with the frames drawn as etched lines over the window's own grey
// and the caption set into the top line, so every frame's background is the
// window colour.
class RuventoStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    RuventoStyle();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override;
};

} // namespace ruvento

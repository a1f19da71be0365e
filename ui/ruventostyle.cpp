#include "ruventostyle.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

using namespace Qt::StringLiterals;

namespace ruvento {

namespace {

// Where a frame's caption starts, from the frame's left edge.
constexpr int CaptionIndent = 6;

} // namespace

RuventoStyle::RuventoStyle()
    : QProxyStyle(QStyleFactory::create(u"Fusion"_s))
{ }

void RuventoStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                      const QWidget *widget) const
{
    const auto *group = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || !group || (group->subControls & SC_GroupBoxCheckBox)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    QRect frame = group->rect;
    const QFontMetrics &metrics = group->fontMetrics;
    if (!group->text.isEmpty())
        frame.setTop(frame.top() + metrics.height() / 2);
    qDrawShadeRect(painter, frame, group->palette, true, 1, 0);

    if (group->text.isEmpty())
        return;
    const QRect caption(group->rect.left() + CaptionIndent, group->rect.top(), metrics.horizontalAdvance(group->text),
                        metrics.height());
    painter->fillRect(caption, group->palette.window());
    drawItemText(painter, caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextHideMnemonic, group->palette,
                 group->state & State_Enabled, group->text, QPalette::WindowText);
}

} // namespace ruvento

#pragma once

#include <QValidator>

namespace ruvento {

// An input box's rule for text from any source (typing, pasting, dropping):
// nothing, or one or two ASCII digits. Anything else is refused whole.
class DigitsValidator final : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override;
};

} // namespace ruvento

#include "digitsvalidator.h"

#include <algorithm>

namespace ruvento {

QValidator::State DigitsValidator::validate(QString &input, int & /*pos*/) const
{
    const bool digits = std::ranges::all_of(input, [](QChar c) { return c >= u'0' && c <= u'9'; });
    return digits && input.size() <= 2 ? Acceptable : Invalid;
}

} // namespace ruvento

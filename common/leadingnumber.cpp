#include "common/leadingnumber.h"

#include <cmath>
#include <string>

namespace qh {

double leadingNumberExact(QStringView text)
{
    std::string number; // sign, digits and point in C locale form, for strtod
    bool seenDigit = false;
    bool seenPoint = false;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t')
            continue;
        if ((c == u'+' || c == u'-') && number.empty()) {
            number += char(c.unicode());
        } else if (c >= u'0' && c <= u'9') {
            number += char(c.unicode());
            seenDigit = true;
        } else if (c == u'.' && !seenPoint) {
            number += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    return std::strtod(number.c_str(), nullptr);
}

double leadingNumber(QStringView text)
{
    // The default floating-point rounding mode rounds halves to even.
    return std::nearbyint(leadingNumberExact(text));
}

} // namespace qh

#pragma once

#include <QStringView>

namespace qh {

// The lenient numeric reading of slot numbers, ports and call numbers. Blanks and tabs are
// ignored wherever they stand ("50 01" is 5001); then an optional sign, digits and an optional
// decimal part; reading stops at the first other character; text without a number gives 0.
// No exponent and no hexadecimal prefix are understood.
double leadingNumberExact(QStringView text);

// leadingNumberExact() rounded to the nearest integer, a half to the even neighbour (2.5 -> 2,
// 3.5 -> 4). Kept as a double so that callers can test the range before narrowing.
double leadingNumber(QStringView text);

} // namespace qh

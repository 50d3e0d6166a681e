#include "callentry.h"

#include "cp932text.h"
#include "leadingnumber.h"

#include <cstdlib>
#include <limits>

namespace qh::master {

std::optional<QString> callNumberOf(const QString& text)
{
    const QString number = text.left(2);
    if (leadingNumberExact(number) > kHighestCallNumber)
        return std::nullopt;
    if (QStringView(text).mid(2) != kCallVerb)
        return std::nullopt;
    return number;
}

std::optional<QString> callNumberOfDatagram(QByteArrayView datagram)
{
    if (!datagram.endsWith("Call"))
        return std::nullopt;
    return callNumberOf(cp932::decode(datagram));
}

QString callEntry(qint16 callCount, const QString& computerNumber)
{
    const QString sequence = (QStringLiteral("00") + QString::number(std::abs(int(callCount)))).right(2);
    return sequence + QStringLiteral(":コンピュータ番号:") + computerNumber;
}

qint16 nextCallCount(qint16 callCount)
{
    if (callCount == std::numeric_limits<qint16>::max())
        return qint16(int(callCount) + 1 - 32700);
    return qint16(callCount + 1);
}

} // namespace qh::master

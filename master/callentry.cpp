#include "master/callentry.h"

#include "common/cp932text.h"
#include "common/leadingnumber.h"

#include <cstdlib>
#include <limits>

using namespace Qt::StringLiterals;

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
    static const QByteArray verb = datagramBytes(kCallVerb);
    if (!datagram.endsWith(verb))
        return std::nullopt;
    return callNumberOf(cp932::decode(datagram));
}

QString callEntry(qint16 callCount, const QString& computerNumber)
{
    const QString sequence = (u"00"_s + QString::number(std::abs(int(callCount)))).right(2);
    return sequence + u":コンピュータ番号:"_s + computerNumber;
}

qint16 nextCallCount(qint16 callCount)
{
    if (callCount == std::numeric_limits<qint16>::max())
        return qint16(int(callCount) + 1 - 32700);
    return qint16(callCount + 1);
}

} // namespace qh::master

#include "common/datagrams.h"

#include "common/cp932text.h"

#include <algorithm>
#include <cctype>

namespace qh {

QString commandText(const QString& verb)
{
    return kCommandPrefix + verb;
}

QString callText(int computerNumber)
{
    return u"%1"_s.arg(computerNumber, 2, 10, QChar(u'0')) + kCallVerb;
}

QByteArray datagramBytes(const QString& text)
{
    return cp932::encode(text);
}

namespace {
QByteArray numberBytes(int computerNumber)
{
    return QByteArray::number(computerNumber).rightJustified(2, '0');
}
} // namespace

QByteArray helloDatagram(int computerNumber)
{
    return numberBytes(computerNumber) + datagramBytes(kHelloVerb);
}

QByteArray showingDatagram(int computerNumber, QByteArrayView address)
{
    return numberBytes(computerNumber) + datagramBytes(kShowingVerb) +
           address.first(std::min(address.size(), kLongestReportedAddressBytes)).toByteArray();
}

bool reportNamesPage(QByteArrayView reported, QByteArrayView page)
{
    return reported == page || (reported.size() == kLongestReportedAddressBytes && page.startsWith(reported));
}

std::optional<ChildReport> childReportOf(QByteArrayView datagram)
{
    if (datagram.size() < 2 || !std::isdigit(static_cast<unsigned char>(datagram[0])) ||
        !std::isdigit(static_cast<unsigned char>(datagram[1])))
        return std::nullopt;
    const int number = (datagram[0] - '0') * 10 + (datagram[1] - '0');
    if (number < 1 || number > 30)
        return std::nullopt;
    const QByteArrayView rest = datagram.sliced(2);
    static const QByteArray hello = datagramBytes(kHelloVerb);
    static const QByteArray showing = datagramBytes(kShowingVerb);
    if (rest == hello)
        return ChildReport{ChildReport::Kind::Hello, number, {}};
    if (rest.startsWith(showing))
        return ChildReport{ChildReport::Kind::Showing, number, rest.sliced(showing.size()).toByteArray()};
    return std::nullopt;
}

} // namespace qh

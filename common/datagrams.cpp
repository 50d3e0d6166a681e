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

QByteArray helloDatagram(int computerNumber, QByteArrayView challenge, QByteArrayView run)
{
    QByteArray datagram = numberBytes(computerNumber) + datagramBytes(kHelloVerb);
    if (!challenge.isEmpty())
        datagram += ':' + challenge.toByteArray().toHex();
    if (!challenge.isEmpty() && !run.isEmpty())
        datagram += ':' + run.toByteArray().toHex();
    return datagram;
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
        return ChildReport{ChildReport::Kind::Hello, number, {}, {}, {}};
    if (rest.startsWith(showing))
        return ChildReport{ChildReport::Kind::Showing, number, rest.sliced(showing.size()).toByteArray(), {}, {}};
    if (!rest.startsWith(hello) || rest.size() <= hello.size() || rest[hello.size()] != ':')
        return std::nullopt;
    const QByteArrayView asked = rest.sliced(hello.size() + 1);
    const qsizetype challengeDigits = 2 * kHelloChallengeBytes;
    const std::optional<QByteArray> challenge =
        lowerHexBytes(asked.first(std::min(asked.size(), challengeDigits)), kHelloChallengeBytes);
    if (!challenge)
        return std::nullopt;
    if (asked.size() == challengeDigits)
        return ChildReport{ChildReport::Kind::Hello, number, {}, *challenge, {}};
    if (asked[challengeDigits] != ':')
        return std::nullopt;
    const std::optional<QByteArray> run = lowerHexBytes(asked.sliced(challengeDigits + 1), kRunIdBytes);
    if (!run)
        return std::nullopt;
    return ChildReport{ChildReport::Kind::Hello, number, {}, *challenge, *run};
}

std::optional<QByteArray> lowerHexBytes(QByteArrayView text, qsizetype bytes)
{
    if (text.size() != 2 * bytes)
        return std::nullopt;
    for (const char digit : text) {
        if (!(digit >= '0' && digit <= '9') && !(digit >= 'a' && digit <= 'f'))
            return std::nullopt;
    }
    return QByteArray::fromHex(text.toByteArray());
}

} // namespace qh

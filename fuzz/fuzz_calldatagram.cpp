// Feeds arbitrary bytes to the check of a call datagram and to the call entry, to find datagrams
// that crash them or that are taken as a call without being one.
#include "common/cp932text.h"
#include "common/leadingnumber.h"
#include "master/callentry.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QString> number = qh::master::callNumberOfDatagram(datagram);
    if (!number)
        return 0;
    // A call is its number and "Call", and nothing else: the bytes end in "Call", the text is the
    // number followed by "Call", and the number is not above 30.
    const QString text = qh::cp932::decode(datagram);
    if (!datagram.endsWith("Call") || text != *number + qh::kCallVerb || number->size() > 2 ||
        qh::leadingNumberExact(*number) > 30)
        std::abort();
    // Every counter value gives an entry that starts with two digits.
    for (const qint16 count : {qint16(-32768), qint16(-1), qint16(0), qint16(7), qint16(32767)}) {
        const QString entry = qh::master::callEntry(count, *number);
        if (entry.size() < 2 || !entry.at(0).isDigit() || !entry.at(1).isDigit() || !entry.endsWith(*number))
            std::abort();
    }
    return 0;
}

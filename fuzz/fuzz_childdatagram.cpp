// Feeds arbitrary bytes to the child's handling of a datagram, to find datagrams that crash it,
// that are taken for a command without being exactly one, or that open a page the child's page
// rule would not show. The rule has no local folders here (fuzz_pagerule tries them): only web
// pages may open.
#include "common/childaction.h"
#include "common/cp932text.h"

#include <cstdint>
#include <cstdlib>

using Kind = qh::child::ChildAction::Kind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    static const qh::child::PageRule rule;
    const qh::child::ChildAction action = qh::child::childActionOf(datagram, rule);
    if (qh::child::isPageDatagram(datagram) == datagram.startsWith("Command:"))
        std::abort();
    const bool command = datagram == "Command:VisibleTrue" || datagram == "Command:VisibleFalse" ||
                         datagram == "Command:FullScreen" || datagram == "Command:WindowScreen" ||
                         datagram == "Command:CallReceived";
    if (command != (action.kind != Kind::None && action.kind != Kind::Open))
        std::abort();
    if (action.kind != Kind::Open)
        return 0;
    // A page comes only from one line of valid code page 932 text that is no command.
    if (datagram.startsWith("Command:") || !qh::cp932::canDecode(datagram))
        std::abort();
    for (const char byte : datagram) {
        if ((byte >= 0 && byte < 0x20) || byte == 0x7F)
            std::abort();
    }
    const QUrl& page = action.page;
    const QString scheme = page.scheme();
    if (!page.isValid() || !(scheme == u"http" || scheme == u"https") || page.host().isEmpty())
        std::abort();
    return 0;
}

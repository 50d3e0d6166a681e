// Feeds arbitrary bytes to the child's handling of a datagram, to find datagrams that crash it,
// that are taken for a command without being exactly one, or that open a page the child's page
// rule would not show. The rule has no local folders here (fuzz_pagerule tries them): only web
// pages may open. A command of the teacher's view must have the one form its values write, with
// values in their bounds, and its spot must go into the child's scripts without quoting.
#include "common/childaction.h"
#include "common/cp932text.h"
#include "common/viewdatagrams.h"
#include "common/viewscripts.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using Kind = qh::child::ChildAction::Kind;
using namespace Qt::StringLiterals;

namespace {
bool inBounds(const qh::PageSpot& spot)
{
    const auto within = [](int value, int bound) { return value >= -bound && value <= bound; };
    return spot.documentX >= 0 && spot.documentX <= qh::kSpotScale && spot.documentY >= 0 &&
           spot.documentY <= qh::kSpotScale && within(spot.elementX, qh::kFarthestFromElement) &&
           within(spot.elementY, qh::kFarthestFromElement) && spot.path.size() <= qh::kLongestElementPath &&
           spot.elementId.size() <= qh::kLongestElementId &&
           std::all_of(spot.path.cbegin(), spot.path.cend(),
                       [](int index) { return index >= 0 && index <= qh::kLargestElementIndex; });
}

// Whether the action is one of the teacher's view; aborts when it is one without its exact form.
bool checkViewCommand(const QByteArray& datagram, const qh::child::ChildAction& action)
{
    switch (action.kind) {
    case Kind::Place:
    case Kind::Pointer: {
        const QByteArray written =
            action.kind == Kind::Place ? qh::placeDatagram(action.spot) : qh::pointerDatagram(action.spot);
        // The id is put into the scripts between single quotes: nothing in it may end them.
        const QString script = qh::scrollToPlaceScript(action.spot);
        if (written != datagram || !inBounds(action.spot) ||
            !script.contains(u"find('"_s + QString::fromLatin1(action.spot.elementId) + u"', ["_s) ||
            action.spot.elementId.contains('\'') || action.spot.elementId.contains('\\'))
            std::abort();
        return true;
    }
    case Kind::PointerOff:
        if (datagram != qh::pointerOffDatagram())
            std::abort();
        return true;
    case Kind::Zoom:
        if (datagram != qh::zoomDatagram(action.zoomPercent) || action.zoomPercent < qh::kSmallestZoomPercent ||
            action.zoomPercent > qh::kLargestZoomPercent)
            std::abort();
        return true;
    default:
        return false;
    }
}
} // namespace

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
    const bool view = checkViewCommand(datagram, action);
    if ((command || view) != (action.kind != Kind::None && action.kind != Kind::Open))
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

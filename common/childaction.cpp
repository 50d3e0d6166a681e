#include "common/childaction.h"

#include "common/cp932text.h"
#include "common/datagrams.h"
#include "common/settingsfile.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qh::child {

namespace {
using Kind = ChildAction::Kind;

Kind kindOf(ViewCommand::Kind view)
{
    switch (view) {
    case ViewCommand::Kind::Place:
        return Kind::Place;
    case ViewCommand::Kind::Pointer:
        return Kind::Pointer;
    case ViewCommand::Kind::PointerOff:
        return Kind::PointerOff;
    case ViewCommand::Kind::Zoom:
        break;
    }
    return Kind::Zoom;
}

bool holdsControlCharacter(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}
} // namespace

ChildAction childActionOf(QByteArrayView datagram, const PageRule& rule)
{
    static const std::array<std::pair<QByteArray, Kind>, 5> commands{{
        {datagramBytes(commandText(kVerbVisibleTrue)), Kind::Show},
        {datagramBytes(commandText(kVerbVisibleFalse)), Kind::Hide},
        {datagramBytes(commandText(kFullScreenMode)), Kind::FullScreen},
        {datagramBytes(commandText(kWindowScreenMode)), Kind::WindowScreen},
        {datagramBytes(commandText(kVerbCallReceived)), Kind::CallReceived},
    }};
    if (!isPageDatagram(datagram)) {
        for (const auto& [bytes, kind] : commands) {
            if (datagram == bytes)
                return {kind, {}};
        }
        if (const std::optional<ViewCommand> view = viewCommandOf(datagram))
            return {kindOf(view->kind), {}, Refusal::None, view->spot, view->zoomPercent};
        return {};
    }
    if (datagram.isEmpty() || !cp932::canDecode(datagram))
        return {};
    const QString text = cp932::decode(datagram);
    if (holdsControlCharacter(text))
        return {};
    const PageCheck check = rule.check(text);
    if (check.refusal != Refusal::None)
        return {Kind::None, check.page, check.refusal};
    return {Kind::Open, check.page};
}

bool isPageDatagram(QByteArrayView datagram)
{
    static const QByteArray prefix = datagramBytes(kCommandPrefix);
    return !datagram.startsWith(prefix);
}

} // namespace qh::child

#include "tests/support/actionsummary.h"

using namespace Qt::StringLiterals;

namespace qh::test {

using child::ChildAction;
using child::Refusal;

QString actionSummary(const ChildAction& action)
{
    switch (action.kind) {
    case ChildAction::Kind::None:
        return action.refusal == Refusal::None ? u"none"_s : u"refused "_s + refusalName(action.refusal);
    case ChildAction::Kind::Show:
        return u"show"_s;
    case ChildAction::Kind::Hide:
        return u"hide"_s;
    case ChildAction::Kind::FullScreen:
        return u"full"_s;
    case ChildAction::Kind::WindowScreen:
        return u"window"_s;
    case ChildAction::Kind::CallReceived:
        return u"received"_s;
    case ChildAction::Kind::Place:
        return u"place "_s + QString::fromLatin1(spotText(action.spot));
    case ChildAction::Kind::Pointer:
        return u"pointer "_s + QString::fromLatin1(spotText(action.spot));
    case ChildAction::Kind::PointerOff:
        return u"pointer off"_s;
    case ChildAction::Kind::Zoom:
        return u"zoom %1"_s.arg(action.zoomPercent);
    case ChildAction::Kind::Open:
        return action.page.toString();
    }
    return {};
}

} // namespace qh::test

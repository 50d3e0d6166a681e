#pragma once

#include <QString>

// With the environment variable QH_CHILD_TRACE set (to anything but empty), the child program
// writes one line to its standard error for each thing it does (common/eventtrace.h), so that an
// administrator can watch a child that does not follow, and tests and benchmarks can see what it
// shows:
//
//     qh-child <microseconds since 1970> <event> [<detail>]
//
// Events: start (the program has begun, before its window system), ready <port>, shown, hidden,
// full-screen, window, open <address>, loaded <address>, failed <address>, title <title>, ignored,
// refused <why> <address> (an address the child does not show, sent or followed in the page: why is
// data, scheme, file-outside, file-missing, ...), dropped <sender>, reload <address>, call <result>
// (sent, failed, too-soon, confirmed, unconfirmed), looking <master name>, master <address>,
// lookup-failed <master name>, hello <address>, showing, send-failed <what>, lost <address>,
// picture <bytes> or picture hidden (a picture sent), attention on <seconds> or attention on
// until-lifted, attention off <why> (lifted, time, presenter-gone, hidden); with the teacher's key,
// run <id> (the run of the presenter followed from now on) and refused <why> <datagram> for a
// datagram not obeyed, why being unsigned, bad-signature, replay, not-addressed or unknown-run; and
// what the teacher's view makes the page do: scrolled <x> <y> (the scroll position after a place),
// zoom <factor>, pointer <x> <y> and pointer off (all in the page's CSS pixels).
namespace qh::child {

bool isTracing();
void trace(const QString& event, const QString& detail = {});

} // namespace qh::child

#pragma once

#include <QLoggingCategory>

// What the programs tell whoever looks after the room, through Qt's logging (and so the session's
// journal), one line per event at info level, so that "why did 07 not follow?" has an answer.
// Messages below info are off unless QT_LOGGING_RULES turns them on ("qh.*.debug=true").
namespace qh {

// Sends that failed, name lookups that failed, catch-up answers to a child, pages sent again.
Q_DECLARE_LOGGING_CATEGORY(channelLog)
// Calls listed by the presenter, confirmations sent and received.
Q_DECLARE_LOGGING_CATEGORY(callsLog)
// The child program's own events: the teacher's computer looked for and found, pages refused.
Q_DECLARE_LOGGING_CATEGORY(childLog)

} // namespace qh

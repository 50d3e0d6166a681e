#pragma once

#include <QLoggingCategory>

#include <utility>

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

// Lets through at most a number of lines in each span of time, so that a flood of datagrams
// (anyone on the network can send calls) cannot turn into a flood of the journal. The lines held
// back are counted and named by the next line let through.
class LogBudget
{
public:
    LogBudget(int linesPerSpan, qint64 spanMs) : m_linesPerSpan(linesPerSpan), m_spanMs(spanMs) {}

    // Whether a line may be written at nowMs (milliseconds from any fixed moment, never going
    // back). A line refused is counted as held back.
    bool mayWrite(qint64 nowMs);
    // The lines held back since the last call of this, which starts the count again.
    qint64 takeHeldBack() { return std::exchange(m_heldBack, 0); }

private:
    int m_linesPerSpan;
    qint64 m_spanMs;
    qint64 m_spanStart = -1;
    int m_written = 0;
    qint64 m_heldBack = 0;
};

} // namespace qh

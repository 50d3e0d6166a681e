#include "common/logcategories.h"

namespace qh {

Q_LOGGING_CATEGORY(channelLog, "qh.channel", QtInfoMsg)
Q_LOGGING_CATEGORY(callsLog, "qh.calls", QtInfoMsg)
Q_LOGGING_CATEGORY(childLog, "qh.child", QtInfoMsg)

bool LogBudget::mayWrite(qint64 nowMs)
{
    if (m_spanStart < 0 || nowMs - m_spanStart >= m_spanMs) {
        m_spanStart = nowMs;
        m_written = 0;
    }
    if (m_written >= m_linesPerSpan) {
        ++m_heldBack;
        return false;
    }
    ++m_written;
    return true;
}

} // namespace qh

#include "child/callgate.h"

namespace qh::child {

bool CallGate::admit(std::chrono::milliseconds now)
{
    if (m_lastCall && now - *m_lastCall < kCallInterval)
        return false;
    m_lastCall = now;
    return true;
}

} // namespace qh::child

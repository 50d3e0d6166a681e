#include "child/callstate.h"

#include <array>

namespace qh::child {

using std::chrono::milliseconds;

void CallState::sent(milliseconds now)
{
    m_last = Event::Sent;
    m_at = now;
}

void CallState::failed(milliseconds now)
{
    m_last = Event::Failed;
    m_at = now;
}

bool CallState::confirm(milliseconds now)
{
    m_masterConfirms = true;
    const Reading reading = readingAt(now);
    if (reading != Reading::Sent && reading != Reading::NotReceived)
        return false;
    m_last = Event::Confirmed;
    m_at = now;
    return true;
}

CallState::Reading CallState::readingAt(milliseconds now) const
{
    const milliseconds since = now - m_at;
    switch (m_last) {
    case Event::None:
        return Reading::Ready;
    case Event::Failed:
        return since < kCallInterval ? Reading::Failed : Reading::Ready;
    case Event::Confirmed:
        return since < kCallResultShown ? Reading::Received : Reading::Ready;
    case Event::Sent:
        if (since < kCallInterval)
            return Reading::Sent;
        return m_masterConfirms && since < kCallInterval + kCallResultShown ? Reading::NotReceived : Reading::Ready;
    }
    return Reading::Ready;
}

std::optional<milliseconds> CallState::nextChange(milliseconds now) const
{
    const std::array<milliseconds, 3> changes{kCallInterval, kCallResultShown, kCallInterval + kCallResultShown};
    for (const milliseconds after : changes) {
        if (m_last != Event::None && now < m_at + after && readingAt(m_at + after) != readingAt(now))
            return m_at + after;
    }
    return std::nullopt;
}

} // namespace qh::child

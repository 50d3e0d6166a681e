#pragma once

#include "child/callgate.h"

#include <chrono>
#include <optional>

namespace qh::child {

// How long the button tells that our presenter has listed the call, or that it has not.
inline constexpr std::chrono::milliseconds kCallResultShown{5000};

// What the call button reads, from the calls that went out and what the presenter answered. A call
// is confirmed by our presenter at once; one that a presenter known to confirm has not confirmed
// when the next call may go out (kCallInterval) is told as not received, so that the student calls
// again. A presenter that never answered is not expected to confirm. Times on any steady clock.
class CallState
{
public:
    enum class Reading {
        Ready,       // 呼び出し
        Sent,        // 呼び出しました: the call went out, the next one is held back
        Failed,      // 送れませんでした: the call could not be sent
        Received,    // 届きました: the presenter listed it
        NotReceived, // 届いていません: the presenter did not confirm it in time
    };

    void sent(std::chrono::milliseconds now);
    void failed(std::chrono::milliseconds now);
    // The presenter has answered this child, so it confirms the calls it lists.
    void masterAnswered() { m_masterConfirms = true; }
    // The presenter's confirmation. False when no call waits for one: nothing changes then.
    bool confirm(std::chrono::milliseconds now);

    Reading readingAt(std::chrono::milliseconds now) const;
    // When the reading changes next by time alone; none when it stays.
    std::optional<std::chrono::milliseconds> nextChange(std::chrono::milliseconds now) const;

private:
    enum class Event { None, Sent, Failed, Confirmed };
    Event m_last = Event::None;
    std::chrono::milliseconds m_at{};
    bool m_masterConfirms = false;
};

} // namespace qh::child

#pragma once

#include <chrono>
#include <optional>

namespace qh::child {

// A call goes out at most once in this time: a held key or a row of clicks must not flood the
// teacher's call list.
inline constexpr std::chrono::milliseconds kCallInterval{2000};

// Decides whether a call may go out now: the first one may, and then one once kCallInterval has
// passed since the last that went out.
class CallGate
{
public:
    // `now` on any steady clock; true when the call may go out, which counts it as gone out.
    bool admit(std::chrono::milliseconds now);

private:
    std::optional<std::chrono::milliseconds> m_lastCall;
};

} // namespace qh::child

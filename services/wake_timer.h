#pragma once
// The service's alarm clock: a timerfd on the host's wall clock that also reports jumps of
// that clock. Where the process may, it is an alarm timer that wakes a suspended machine.

#include "platform/unique_fd.h"

#include <cstdint>
#include <string>

namespace services {

class WakeTimer {
public:
    // Prefers CLOCK_REALTIME_ALARM; falls back to CLOCK_REALTIME and says why.
    [[nodiscard]] bool open();

    // Rings at a host universal time in ticks; a moment already past rings at once.
    [[nodiscard]] bool ringAt(std::int64_t hostUtcTicks);
    // Rings only when the host clock jumps.
    [[nodiscard]] bool ringNever();

    enum class Reading { Nothing, Rang, ClockJumped };
    // Reads the timer after poll() said it is readable.
    [[nodiscard]] Reading read();

    int fd() const { return m_fd.get(); }
    bool wakesFromSuspend() const { return m_wakesFromSuspend; }
    const std::string& suspendProblem() const { return m_suspendProblem; }

private:
    platform::UniqueFd m_fd;
    bool m_wakesFromSuspend = false;
    std::string m_suspendProblem;
};

} // namespace services

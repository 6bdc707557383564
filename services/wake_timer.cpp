#include "services/wake_timer.h"

#include "platform/calendar.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/timerfd.h>
#include <unistd.h>

namespace services {

namespace {

// A year ahead: far enough never to ring, near enough for any clock.
constexpr std::int64_t kNeverTicks = 366LL * platform::kTicksPerDay;

std::string rtcProblem()
{
    std::error_code error;
    for (const auto& rtc : std::filesystem::directory_iterator("/sys/class/rtc", error)) {
        if (std::filesystem::exists(rtc.path() / "wakealarm", error))
            return { };
    }
    return "no real-time clock with a wake alarm (/sys/class/rtc/*/wakealarm)";
}

} // namespace

bool WakeTimer::open()
{
    const std::string rtc = rtcProblem();
    if (const char* off = std::getenv("TKW_DEVICED_NO_WAKE_ALARM"); off && *off == '1') {
        m_suspendProblem = "switched off by TKW_DEVICED_NO_WAKE_ALARM";
    } else if (!rtc.empty()) {
        m_suspendProblem = rtc;
    } else {
        m_fd.reset(::timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK));
        if (m_fd) {
            m_wakesFromSuspend = true;
        } else {
            m_suspendProblem = std::string("alarm timers are not allowed (CAP_WAKE_ALARM): ") + std::strerror(errno);
        }
    }
    if (!m_fd)
        m_fd.reset(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK));
    return bool(m_fd);
}

bool WakeTimer::ringAt(std::int64_t hostUtcTicks)
{
    const std::int64_t sinceEpoch = std::max<std::int64_t>(hostUtcTicks - platform::kUnixEpochTicks, 1);
    itimerspec when { };
    when.it_value.tv_sec = time_t(sinceEpoch / platform::kTicksPerSecond);
    when.it_value.tv_nsec = long(sinceEpoch % platform::kTicksPerSecond * 100);
    // Cancel-on-set makes a jump of the host clock wake the service: its sleep was
    // measured on the old clock.
    return ::timerfd_settime(m_fd.get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) == 0;
}

bool WakeTimer::ringNever()
{
    timespec now { };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return ringAt(platform::kUnixEpochTicks + std::int64_t(now.tv_sec) * platform::kTicksPerSecond + kNeverTicks);
}

WakeTimer::Reading WakeTimer::read()
{
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(m_fd.get(), &expirations, sizeof expirations);
    if (got == sizeof expirations)
        return Reading::Rang;
    if (got < 0 && errno == ECANCELED)
        return Reading::ClockJumped;
    return Reading::Nothing;
}

} // namespace services

#pragma once
// The power manager: keeps exactly one of "PowerManager/UserActivity_Active" and
// "PowerManager/UserActivity_Inactive" set. Input makes the user active; the profile's idle
// time without input makes the user inactive.
//
// It never polls. Input reaches it as events: the suite's reports (userInput, userIdle)
// and, when a display exists, the X server's word that input followed idleness. The only
// timed look is at the idle threshold, when the desktop's idle time says whether the user
// really has been away.

#include "platform/handle.h"
#include "platform/types.h"

#include <chrono>
#include <memory>

namespace services {

class DesktopIdle;

class PowerManager {
public:
    using Clock = std::chrono::steady_clock;

    PowerManager();
    ~PowerManager();
    PowerManager(const PowerManager&) = delete;
    PowerManager& operator=(const PowerManager&) = delete;

    void userInput(Clock::time_point now);
    void userIdle();
    // Makes the user inactive once the idle time-out has passed without input; returns how
    // long the service may sleep before the next idle threshold (milliseconds; -1: until
    // something happens).
    [[nodiscard]] int update(Clock::time_point now);

    // The display's connection, readable when the desktop has news; -1 without a display.
    int desktopFd() const;
    // Takes the desktop's news; call when desktopFd() is readable.
    void takeDesktopEvents(Clock::time_point now);

    bool active() const { return m_active; }
    bool hasDesktopIdleTime() const;

private:
    void setActive(bool active);

    platform::UniqueHandle m_activeEvent;
    platform::UniqueHandle m_inactiveEvent;
    bool m_active = false;
    Clock::time_point m_lastInput;
    std::chrono::milliseconds m_timeout;
    std::unique_ptr<DesktopIdle> m_desktop;
};

} // namespace services

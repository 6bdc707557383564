#pragma once
// The power manager: keeps exactly one of "PowerManager/UserActivity_Active" and
// "PowerManager/UserActivity_Inactive" set. Input makes the user active; the profile's idle
// time without input makes the user inactive.

#include "platform/types.h"

#include <chrono>
#include <memory>

namespace services {

class IdleSource;

class PowerManager {
public:
    using Clock = std::chrono::steady_clock;

    PowerManager();
    ~PowerManager();
    PowerManager(const PowerManager&) = delete;
    PowerManager& operator=(const PowerManager&) = delete;

    void userInput(Clock::time_point now);
    void userIdle();
    // Looks at the desktop's idle time and the idle time-out; returns how long the service
    // may sleep before it should look again (milliseconds, -1: until something happens).
    [[nodiscard]] int update(Clock::time_point now);

    bool active() const { return m_active; }
    bool hasDesktopIdleTime() const;

private:
    void setActive(bool active);

    HANDLE m_activeEvent = nullptr;
    HANDLE m_inactiveEvent = nullptr;
    bool m_active = false;
    Clock::time_point m_lastInput;
    std::chrono::milliseconds m_timeout;
    std::unique_ptr<IdleSource> m_desktop;
};

} // namespace services

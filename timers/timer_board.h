#pragma once
// The sixteen timers as the main program holds them: their records, the seventeen named
// events shared with the runner, and the commands of the Timers view. Every command takes
// the current local time (ticks); what the user must be told comes back in the outcome.
// Every command is one edit of timers.dat (the edit lock is held from the change to the
// save), so the runner and tools changing timers beside it wait for it.

#include "platform/handle.h"
#include "timers/timer_file.h"
#include "timers/timer_record.h"
#include "timers/timer_schedule.h"

#include <array>
#include <optional>
#include <string>

namespace timers {


struct TimerOutcome {
    bool registered = true;      // false: "Timer Not registered" (caption "Debug")
    bool saved = true;           // false: "Can't save timer settings"
    bool alreadyRunning = false; // Start on a running timer: nothing was changed
    bool busy = false;           // another program kept timers.dat past the wait: nothing changed
};

// What the settings window stores in a record on OK.
struct TimerSettings {
    std::u16string name;                     // at most 31 characters are kept
    std::uint32_t actionKind = 0;
    std::uint32_t soundIndex = 0;            // kinds 0 and 1
    std::u16string soundPath;                // written to the timer's sound file
    std::uint8_t repeatIndex = 0;
    std::uint8_t pauseIndex = 0;
    std::u16string programPath;              // kind 2 (checked by the window), kind 1: view name
    std::u16string programArgs;
    std::uint32_t keepAwakeIndex = 0;
};

class TimerBoard {
public:
    TimerBoard();
    ~TimerBoard();
    TimerBoard(const TimerBoard&) = delete;
    TimerBoard& operator=(const TimerBoard&) = delete;

    [[nodiscard]] TimerTable& records() { return m_timers; }
    [[nodiscard]] const TimerTable& records() const { return m_timers; }
    TimersLoad load(platform::LocalTicks now);

    // "Start": registers the wake-up at the end moment and marks the timer running.
    TimerOutcome StartTimer(int index, platform::LocalTicks now);
    // "Stop": keeps the time left for the next start. A timer whose end has already passed
    // (its runner is late) goes back to its initial value instead of pausing at 00:00:00,
    // which would count a full day at the next start.
    TimerOutcome StopTimer(int index, platform::LocalTicks now);
    // "Reset": back to the initial value.
    TimerOutcome ResetTimer(int index);
    // "Stop && Reset All...".
    [[nodiscard]] bool ResetAllTimers();
    // Sets the initial value (the record is written at the next start, reset or exit).
    void setInitialValue(int index, int hour, int minute, int second, platform::LocalTicks now);
    // The settings window's OK.
    [[nodiscard]] bool ApplySettings(int index, const TimerSettings& settings);

    // On every repaint: when the runner rewrote timers.dat, reloads it and resynchronises
    // the lowest timer that fired; returns its index.
    std::optional<int> PollTimerChanges(platform::LocalTicks now);

private:
    TimerOutcome ClearTimer(int index);

    TimerTable m_timers { };
    platform::UniqueHandle m_settingsChanged;
    std::array<platform::UniqueHandle, kTimerCount> m_reset;
};

} // namespace timers

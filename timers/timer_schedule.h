#pragma once
// Timers in the wake-up database, and the runner's side of a timer that falls due.

#include "platform/retry.h"
#include "platform/ticks.h"
#include "timers/timer_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace timers {

// "t00" ... "t15": the runner's argument of a timer index.
[[nodiscard]] std::u16string timerArgument(int index);
// "TkTimers_1_Reset" ... "TkTimers_16_Reset" for timer index 0 ... 15, else null: set to
// tell the runner waiting for that timer that it no longer runs.
[[nodiscard]] const char16_t* timerResetEventName(int timerIndex);

// Registers (or replaces `existing`, or registers afresh when `existing` names nothing any
// more) the wake-up that starts the runner at `end` with the timer's argument;
// the handle, 0 on failure.
[[nodiscard]] std::uint32_t registerTimerWakeUp(
    int index, std::uint32_t existing, platform::LocalTicks end, std::u16string_view runnerPath);

enum class TimerWait { Ended, Cancelled };
// The runner, before the end: waits on the timer's reset event for the whole seconds left.
// A set event is consumed (reset).
[[nodiscard]] TimerWait waitForTimerEnd(int index, platform::LocalTicks end, platform::LocalTicks now);

// The runner, after the end: rewrites the record (no wake-up, not running, back to its
// initial value) and sets "TkTimers_Settings_Change". Up to 8 attempts, 200 ms apart.
[[nodiscard]] bool FinishTimer(int index, platform::RetryPolicy retry = { 7, 200 });

// The runner's renewal: every running timer with a wake-up is registered again, no sooner
// than 20 seconds from now, and timers.dat is rewritten.
enum class TimerRenewal {
    All,         // "UpdateNotifications": every running timer registered again
    MissingOnly, // after a time change or a rebuilt wake-up database: only running timers
                 // whose wake-up is gone; the others keep theirs untouched
};
[[nodiscard]] bool RescheduleAllTimers(platform::LocalTicks now, std::u16string_view runnerPath,
    TimerRenewal renewal = TimerRenewal::All);

} // namespace timers

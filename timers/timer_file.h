#pragma once
// timers.dat and the per-timer sound files.

#include "platform/retry.h"
#include "platform/ticks.h"
#include "timers/timer_record.h"

#include <string>

namespace timers {

enum class TimersLoad {
    Loaded,          // all 18176 bytes arrived
    CreatedDefaults, // there was no file: defaults are in the table and were written
    Short,           // fewer bytes arrived; they replaced the start of the table
    Busy,            // another program held the file through every attempt; table unchanged
    Unreadable,      // the file exists but cannot be read (a folder, no permission)
};
[[nodiscard]] constexpr bool readable(TimersLoad outcome)
{
    return outcome == TimersLoad::Loaded || outcome == TimersLoad::CreatedDefaults || outcome == TimersLoad::Short;
}

// Reads timers.dat over `table` (a short file leaves the rest as it was). Only a missing
// file gives the defaults (timers 1-4 on today's date at 00:00:00, the rest zero), which are
// written: a file another program holds is read again (up to 10 more times, 100 ms apart)
// and never taken for a missing one. `now` supplies today's date.
TimersLoad LoadTimers(TimerTable& table, platform::LocalTicks now,
    platform::RetryPolicy busyRetry = platform::kDataFileRetry);
// A reader's copy that writes nothing: true when all 18176 bytes arrived; `into` is
// unchanged otherwise.
[[nodiscard]] bool readTimersFile(TimerTable& into);

// The whole file, replaced; retried up to 10 more times, 100 ms apart.
[[nodiscard]] bool SaveAllTimers(const TimerTable& table, platform::RetryPolicy retry = platform::kDataFileRetry);
// One record rewritten in place; false after the retries (the view then says "Can't save
// timer settings").
[[nodiscard]] bool SaveTimer(const TimerTable& table, int index, platform::RetryPolicy retry = platform::kDataFileRetry);
// One record read fresh from the file (the runner's view of it).
[[nodiscard]] bool readTimer(int index, TimerRecord& into);

// "timersnd" + index + ".dat".
[[nodiscard]] std::u16string SoundFileName(int index);
// The timer's sound path; "\Windows\Alarm1.wav" when it has none.
[[nodiscard]] std::u16string readTimerSound(int index);
[[nodiscard]] bool writeTimerSound(int index, std::u16string_view path);

} // namespace timers

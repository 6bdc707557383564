#pragma once
// timers.dat and the per-timer sound files.

#include "platform/retry.h"
#include "timers/timer_record.h"

#include <string>

namespace timers {

// Reads timers.dat over `table` (a short file leaves the rest as it was). A missing file
// gives the defaults (timers 1-4 on today's date at 00:00:00, the rest zero), which are
// written. `nowLocalTicks` supplies today's date.
void LoadTimers(TimerTable& table, std::uint64_t nowLocalTicks);

// The whole file, replaced; retried up to 10 more times, 100 ms apart.
[[nodiscard]] bool SaveAllTimers(const TimerTable& table, platform::RetryPolicy retry = platform::kDataFileRetry);
// One record rewritten in place; false after the retries (the view then says "Can't save
// timer settings").
[[nodiscard]] bool SaveTimer(const TimerTable& table, int index, platform::RetryPolicy retry = platform::kDataFileRetry);
// One record read fresh from the file (the runner's view of it).
[[nodiscard]] bool ReadTimer(int index, TimerRecord& into);

// "timersnd" + index + ".dat".
[[nodiscard]] std::u16string SoundFileName(int index);
// The timer's sound path; "\Windows\Alarm1.wav" when it has none.
[[nodiscard]] std::u16string ReadTimerSound(int index);
[[nodiscard]] bool WriteTimerSound(int index, std::u16string_view path);

} // namespace timers

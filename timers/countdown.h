#pragma once
// The countdown arithmetic: whole seconds, and 00:00:00 standing for a full 24 hours.
// Every rule takes the current local time as a parameter, in ticks (100 ns).

#include "platform/ticks.h"
#include "timers/timer_record.h"

#include <cstdint>
#include <string>

namespace timers {

struct HoursMinutesSeconds {
    std::uint32_t hours = 0; // not wrapped: a day shows as 24
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
};

// The length of a start from the time of day of `value`; 24 hours for 00:00:00.
[[nodiscard]] std::uint64_t durationTicks(FILETIME value);
// Whole time left before the end moment; nothing left once it has passed.
[[nodiscard]] HoursMinutesSeconds remainingTime(FILETIME endMoment, platform::LocalTicks now);
// The local time `now` with its hour, minute and second replaced (milliseconds kept).
[[nodiscard]] SYSTEMTIME withTimeOfDay(platform::LocalTicks now, const HoursMinutesSeconds& time);

// The value a timer shows: the time left while it runs, else its value's time of day.
[[nodiscard]] SYSTEMTIME DisplayValue(const TimerRecord& timer, platform::LocalTicks now);
// "HH:MM:SS" of a display value.
[[nodiscard]] std::u16string displayText(const SYSTEMTIME& value);

// `value` rebuilt from the initial value, keeping its date and milliseconds.
[[nodiscard]] FILETIME initialValue(const TimerRecord& timer);

// The status bar's timer field: among timers 1 to 4, the running one that ends first, as
// "HH:MM:SS" left; "--:--" when none of them runs.
[[nodiscard]] std::u16string statusBarTimerText(const TimerTable& timers, platform::LocalTicks now);

} // namespace timers

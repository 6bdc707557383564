#pragma once
// The arithmetic of the Alarms view's rows: how many a page holds, and which weekday a tap
// on a row's weekday boxes hits.

#include "alarms/alarm_record.h"

#include <optional>

namespace app {

using alarms::kAlarmCount;

// Four rows, or three on square and landscape screens (a 320 x 320 screen counts as
// portrait, as the screen geometry's square flag is clear for it).
[[nodiscard]] constexpr int alarmRowsPerPage(bool squareOrLandscape) { return squareOrLandscape ? 3 : 4; }
[[nodiscard]] int alarmPageCount(int rowsPerPage);
// The alarms of a page: first index and how many (the last page may hold fewer).
struct AlarmPage {
    int first = 0;
    int count = 0;
};
[[nodiscard]] AlarmPage alarmsOnPage(int page, int rowsPerPage);

// The weekday area is 101 x 18 logical pixels; its letters stand every 14 pixels from 2 in.
inline constexpr int kWeekdayAreaWidth = 101;
inline constexpr int kWeekdayAreaHeight = 18;
[[nodiscard]] constexpr int weekdayLetterX(int box) { return 2 + 14 * box; }

// The box a tap at `x` (logical pixels into the area) hits: box 0 below 16, then one box
// every 14 pixels; nothing past the seventh.
[[nodiscard]] std::optional<int> weekdayBoxAt(int x);

// The weekday bit (0 Sunday ... 6 Saturday) of box `box`: the boxes start with Sunday when
// the locale's week does, else with Monday (and Sunday is the last box).
[[nodiscard]] int weekdayBitOfBox(int box, bool sundayFirst);

} // namespace app

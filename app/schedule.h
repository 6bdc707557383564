#pragma once
// The main window's clock: what each 100 ms tick redraws, when the interval chime sounds,
// and which view a tap on the status bar opens.

#include "platform/types.h"

#include <cstdint>

#include <optional>

namespace app {

// A tick redraws when the second changed, and on every tick while the stopwatch runs on
// screen.
[[nodiscard]] bool redrawOnTick(const SYSTEMTIME& previous, const SYSTEMTIME& now, bool stopwatchShownRunning);

// Whether the interval chime sounds at `now`: at second 0 of a minute that is a multiple of
// the chosen interval (0 5, 1 10, 2 15, 3 20, 4 30 minutes, 5 the hour only), when the chime
// is on, has a sound, the program runs normally, and the Today item is not there to chime.
struct ChimeSettings {
    bool on = false;
    bool hasSound = false;
    int interval = 5;
};
[[nodiscard]] bool chimeDue(const SYSTEMTIME& previous, const SYSTEMTIME& now, const ChimeSettings& chime,
    bool normalMode, bool todayItemRunning);

// The status bar's parts, by (portrait, square, landscape) x ranges before scaling, and the
// view each content opens: None nothing, Alarm 3, Timer 4, Stopwatch 5, Sunrise and Sunset 9,
// Internet Time 11, Date and Time 0.
[[nodiscard]] std::optional<int> statusBarPartAt(int x, int y, bool squareOrLandscape, int scaleShift);
[[nodiscard]] std::optional<int> viewOfStatusContent(std::uint32_t content);

} // namespace app

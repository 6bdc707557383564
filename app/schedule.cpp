#include "app/schedule.h"

#include <iterator>

namespace app {

bool redrawOnTick(const SYSTEMTIME& previous, const SYSTEMTIME& now, bool stopwatchShownRunning)
{
    return stopwatchShownRunning || previous.wSecond != now.wSecond || previous.wMinute != now.wMinute
        || previous.wHour != now.wHour || previous.wDay != now.wDay;
}

bool chimeDue(const SYSTEMTIME& previous, const SYSTEMTIME& now, const ChimeSettings& chime, bool normalMode,
    bool todayItemRunning)
{
    // Once per minute: on the tick that enters second 0.
    if (now.wSecond != 0 || (previous.wSecond == 0 && previous.wMinute == now.wMinute))
        return false;
    if (!chime.on || !chime.hasSound || !normalMode || todayItemRunning)
        return false;
    static constexpr int kMinutes[] = { 5, 10, 15, 20, 30, 60 };
    const int every = chime.interval >= 0 && chime.interval <= 5 ? kMinutes[chime.interval] : 60;
    return now.wMinute % every == 0;
}

std::optional<int> statusBarPartAt(int x, int y, bool squareOrLandscape, int scaleShift)
{
    const int top = (squareOrLandscape ? 165 : 248) << scaleShift;
    const int bottom = (squareOrLandscape ? 184 : 267) << scaleShift;
    if (y < top || y > bottom || x < 0)
        return std::nullopt;
    if (x <= 78 << scaleShift)
        return 0;
    if (x <= 160 << scaleShift)
        return 1;
    if (x <= 240 << scaleShift)
        return 2;
    return std::nullopt;
}

std::optional<int> viewOfStatusContent(std::uint32_t content)
{
    static constexpr int kViews[] = { -1, 3, 4, 5, 9, 9, 11, 0, 0 };
    if (content >= std::size(kViews) || kViews[content] < 0)
        return std::nullopt;
    return kViews[content];
}

} // namespace app

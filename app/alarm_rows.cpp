#include "app/alarm_rows.h"

#include <algorithm>

namespace app {

int alarmPageCount(int rowsPerPage) { return (kAlarmCount + rowsPerPage - 1) / rowsPerPage; }

AlarmPage alarmsOnPage(int page, int rowsPerPage)
{
    const int first = std::clamp(page, 0, alarmPageCount(rowsPerPage) - 1) * rowsPerPage;
    return { first, std::min(rowsPerPage, kAlarmCount - first) };
}

std::optional<int> weekdayBoxAt(int x)
{
    if (x < 0)
        return std::nullopt;
    if (x < 16)
        return 0;
    const int box = 1 + (x - 16) / 14;
    return box <= 6 ? std::optional<int>(box) : std::nullopt;
}

int weekdayBitOfBox(int box, bool sundayFirst) { return sundayFirst ? box : (box + 1) % 7; }

} // namespace app

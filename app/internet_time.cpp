#include "app/internet_time.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"

namespace app {

std::optional<int> beatsFromLocalTime(const SYSTEMTIME& local)
{
    FILETIME localFile { }, universal { };
    if (!SystemTimeToFileTime(&local, &localFile) || !LocalFileTimeToFileTime(&localFile, &universal))
        return std::nullopt;
    // One hour ahead of universal time.
    const std::uint64_t ticks = (std::uint64_t(universal.dwHighDateTime) << 32 | universal.dwLowDateTime) + 36'000'000'000ull;
    const FILETIME shifted { DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32) };
    SYSTEMTIME beatTime { };
    if (!FileTimeToSystemTime(&shifted, &beatTime))
        return std::nullopt;
    const int seconds = beatTime.wHour * 3600 + beatTime.wMinute * 60 + beatTime.wSecond;
    return seconds * 10 / 864;
}

std::u16string beatText(int beat)
{
    std::u16string text;
    for (int divisor : { 100, 10, 1 })
        text += char16_t(u'0' + (beat / divisor) % 10);
    return text;
}

} // namespace app

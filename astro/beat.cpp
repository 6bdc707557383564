#include "astro/beat.h"

#include "astro/julian.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"

#include <algorithm>

namespace astro {

namespace {

constexpr std::uint64_t kTicksPerHour = 36'000'000'000;

std::optional<std::uint64_t> ticksOf(const SYSTEMTIME& time)
{
    SYSTEMTIME plain = time;
    plain.wDayOfWeek = 0;
    return platform::ticksOfSystemTime(plain);
}

} // namespace

int beatOfUniversal(const SYSTEMTIME& universal)
{
    // The hour added may carry into the next day; only the time of day counts.
    const int hour = (universal.wHour + 1) % 24;
    const int seconds = hour * 3600 + universal.wMinute * 60 + universal.wSecond;
    return std::clamp(seconds * 10 / 864, 0, kBeatsPerDay - 1);
}

std::optional<int> beatOfLocal(const SYSTEMTIME& local)
{
    SYSTEMTIME plain = local;
    plain.wDayOfWeek = 0;
    FILETIME localFileTime {};
    FILETIME universalFileTime {};
    SYSTEMTIME universal {};
    if (!SystemTimeToFileTime(&plain, &localFileTime)
        || !LocalFileTimeToFileTime(&localFileTime, &universalFileTime)
        || !FileTimeToSystemTime(&universalFileTime, &universal))
        return std::nullopt;
    return beatOfUniversal(universal);
}

std::optional<SYSTEMTIME> universalOfBeat(int beat, const SYSTEMTIME& date)
{
    if (beat < 0 || beat >= kBeatsPerDay)
        return std::nullopt;
    // The first whole second of the beat: beat 1 begins 86.4 s into the day, and 86 s would
    // still be beat 0, so the way back would not give the beat the user typed.
    const int seconds = (beat * 864 + 9) / 10;
    SYSTEMTIME beatTime {};
    beatTime.wYear = date.wYear;
    beatTime.wMonth = date.wMonth;
    beatTime.wDay = date.wDay;
    beatTime.wHour = WORD(seconds / 3600);
    beatTime.wMinute = WORD(seconds % 3600 / 60);
    beatTime.wSecond = WORD(seconds % 60);
    const auto ticks = ticksOf(beatTime);
    if (!ticks || *ticks < kTicksPerHour)
        return std::nullopt;
    return platform::systemTimeOfTicks(*ticks - kTicksPerHour);
}

std::optional<SYSTEMTIME> localOfBeat(int beat, const SYSTEMTIME& date)
{
    const auto universal = universalOfBeat(beat, date);
    if (!universal)
        return std::nullopt;
    return deviceLocalTimeOfUniversal(*universal);
}

std::u16string beatText(int beat)
{
    if (beat == kBeatNow) {
        SYSTEMTIME universal {};
        GetSystemTime(&universal);
        beat = beatOfUniversal(universal);
    }
    beat = std::clamp(beat, 0, kBeatsPerDay - 1);
    return { char16_t(u'0' + beat / 100), char16_t(u'0' + beat / 10 % 10),
        char16_t(u'0' + beat % 10) };
}

std::u16string internetTimeItem()
{
    return u"@" + beatText(kBeatNow);
}

} // namespace astro

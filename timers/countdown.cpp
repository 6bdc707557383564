#include "timers/countdown.h"

#include "platform/calendar.h"

#include <optional>

namespace timers {

namespace {

constexpr std::uint64_t kSecond = 10'000'000;
constexpr std::uint64_t kMinute = 60 * kSecond;
constexpr std::uint64_t kHour = 60 * kMinute;

SYSTEMTIME systemTimeOf(FILETIME value)
{
    // A value beyond the calendar (a damaged record) reads as the start of it.
    return platform::systemTimeOfTicks(ticksOf(value)).value_or(SYSTEMTIME { 1601, 1, 1, 1, 0, 0, 0, 0 });
}

std::u16string twoDigits(std::uint32_t value)
{
    return { char16_t(u'0' + value / 10 % 10), char16_t(u'0' + value % 10) };
}

} // namespace

std::uint64_t durationTicks(FILETIME value)
{
    const SYSTEMTIME time = systemTimeOf(value);
    if (time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0)
        return 24 * kHour;
    return ((std::uint64_t(time.wHour) * 60 + time.wMinute) * 60 + time.wSecond) * kSecond;
}

HoursMinutesSeconds remainingTime(FILETIME endMoment, platform::LocalTicks now)
{
    const platform::LocalTicks end(ticksOf(endMoment));
    // An end moment that has passed leaves nothing, instead of the unsigned difference
    // wrapping round to thousands of hours.
    const std::uint64_t remaining = end > now ? std::uint64_t((end - now).count()) : 0;
    HoursMinutesSeconds left;
    left.seconds = std::uint32_t((remaining / kSecond) % 60);
    left.minutes = std::uint32_t(((remaining - left.seconds * kSecond) / kMinute) % 60);
    left.hours = std::uint32_t((remaining - left.seconds * kSecond - left.minutes * kMinute) / kHour);
    return left;
}

SYSTEMTIME withTimeOfDay(platform::LocalTicks now, const HoursMinutesSeconds& time)
{
    SYSTEMTIME day = platform::systemTimeOf(now).value_or(SYSTEMTIME { 1601, 1, 1, 1, 0, 0, 0, 0 });
    day.wHour = WORD(time.hours % 24);
    day.wMinute = WORD(time.minutes);
    day.wSecond = WORD(time.seconds);
    return day;
}

SYSTEMTIME DisplayValue(const TimerRecord& timer, platform::LocalTicks now)
{
    if (timer.running) {
        const auto left = remainingTime(timer.value, now);
        SYSTEMTIME shown = withTimeOfDay(now, left);
        shown.wHour = WORD(left.hours); // a full day shows as 24, not 0
        return shown;
    }
    return systemTimeOf(timer.value);
}

std::u16string displayText(const SYSTEMTIME& value)
{
    return twoDigits(value.wHour) + u":" + twoDigits(value.wMinute) + u":" + twoDigits(value.wSecond);
}

FILETIME initialValue(const TimerRecord& timer)
{
    SYSTEMTIME time = systemTimeOf(timer.value);
    time.wHour = std::min<WORD>(timer.initHour, 23);
    time.wMinute = std::min<WORD>(timer.initMinute, 59);
    time.wSecond = std::min<WORD>(timer.initSecond, 59);
    return fileTimeOf(platform::ticksOfSystemTime(time).value_or(0));
}

std::u16string statusBarTimerText(const TimerTable& table, platform::LocalTicks now)
{
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < 4; ++i) {
        if (table[i].running && (!first || ticksOf(table[i].value) < ticksOf(table[*first].value)))
            first = i;
    }
    if (!first)
        return u"--:--";
    return displayText(DisplayValue(table[*first], now));
}

} // namespace timers

#include "platform/calendar.h"

#include "platform/zone_rule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <type_traits>
#include <utility>

namespace {

using platform::kMaxFileTimeTicks;
using platform::kTicksPerDay;
using platform::kTicksPerMinute;

constexpr std::int64_t kTicksPerHour = 60 * kTicksPerMinute;

SYSTEMTIME systemTime(
    int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute),
        WORD(second), WORD(ms) };
}

std::optional<std::uint64_t> ticksOfFields(const SYSTEMTIME& time)
{
    FILETIME fileTime {};
    if (!SystemTimeToFileTime(&time, &fileTime))
        return std::nullopt;
    return ticksOf(fileTime);
}

// "yyyy-mm-dd hh:mm:ss.mmm weekday", or "" when the conversion fails.
std::string fieldsOf(std::uint64_t ticks)
{
    const FILETIME fileTime = fileTimeOf(ticks);
    SYSTEMTIME t {};
    if (!FileTimeToSystemTime(&fileTime, &t))
        return "";
    char text[96];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d.%03d %d", t.wYear, t.wMonth,
        t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    return text;
}

std::uint64_t at(int year, int month, int day, int hour, int minute, int second = 0)
{
    const auto ticks = ticksOfFields(systemTime(year, month, day, hour, minute, second));
    EXPECT_TRUE(ticks) << year << "-" << month << "-" << day;
    return ticks.value_or(0);
}

// A zone one hour apart in daylight time, changing on the n-th (5 = last) Sunday of a month.
TIME_ZONE_INFORMATION zone(LONG biasMinutes, int daylightMonth = 0, int daylightSunday = 0,
    int daylightHour = 0, int standardMonth = 0, int standardSunday = 0, int standardHour = 0)
{
    TIME_ZONE_INFORMATION z {};
    z.Bias = biasMinutes;
    z.DaylightDate = SYSTEMTIME { 0, WORD(daylightMonth), 0, WORD(daylightSunday),
        WORD(daylightHour), 0, 0, 0 };
    z.StandardDate = SYSTEMTIME { 0, WORD(standardMonth), 0, WORD(standardSunday),
        WORD(standardHour), 0, 0, 0 };
    z.DaylightBias = daylightMonth != 0 ? -60 : 0;
    return z;
}

const TIME_ZONE_INFORMATION kCet = zone(-60, 3, 5, 2, 10, 5, 3);
const TIME_ZONE_INFORMATION kNewYork = zone(300, 3, 2, 2, 11, 1, 2);
const TIME_ZONE_INFORMATION kSydney = zone(-600, 10, 1, 2, 4, 1, 3);

using Zoned = std::optional<std::pair<std::uint64_t, bool>>; // ticks, daylight

Zoned zoned(std::optional<platform::ZonedTime> t)
{
    return t ? Zoned({ t->ticks, t->daylight }) : std::nullopt;
}
Zoned local(const TIME_ZONE_INFORMATION& z, std::uint64_t utc)
{
    return zoned(platform::universalToLocal(z, utc));
}
Zoned universal(const TIME_ZONE_INFORMATION& z, std::uint64_t shown)
{
    return zoned(platform::localToUniversal(z, shown));
}
Zoned standardAt(std::uint64_t ticks)
{
    return Zoned({ ticks, false });
}
Zoned daylightAt(std::uint64_t ticks)
{
    return Zoned({ ticks, true });
}

} // namespace

TEST(FileTimeRange, FirstAndLastTicksAreTheEndsOfTheCalendar)
{
    EXPECT_EQ(ticksOfFields(systemTime(1601, 1, 1)), 0u);
    EXPECT_EQ(fieldsOf(0), "1601-01-01 00:00:00.000 1"); // a Monday
    // 30828 is 53 whole 400-year cycles after 9628, and 9628-09-14 is a Thursday.
    EXPECT_EQ(fieldsOf(kMaxFileTimeTicks), "30828-09-14 02:48:05.477 4");
    // Going back loses the 5807 ticks below the millisecond.
    EXPECT_EQ(ticksOfFields(systemTime(30828, 9, 14, 2, 48, 5, 477)), kMaxFileTimeTicks - 5807);
}

TEST(FileTimeRange, AnythingPastTheLastTickIsRejected)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(fieldsOf(kMaxFileTimeTicks + 1), "");
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(fieldsOf(~std::uint64_t(0)), "");
    EXPECT_FALSE(ticksOfFields(systemTime(30828, 9, 14, 2, 48, 5, 478)));
    EXPECT_FALSE(ticksOfFields(systemTime(30828, 9, 14, 23, 59, 59, 999)));
    EXPECT_FALSE(ticksOfFields(systemTime(30829, 1, 1)));
    // Far enough that 64-bit tick arithmetic wraps around into the range again.
    EXPECT_FALSE(ticksOfFields(systemTime(65535, 1, 1)));
}

TEST(SystemTimeFields, OutOfRangeFieldsAreRejected)
{
    EXPECT_TRUE(ticksOfFields(systemTime(2024, 4, 30, 23, 59, 59, 999)));
    for (const SYSTEMTIME& t : { systemTime(1600, 12, 31), systemTime(2024, 0, 1),
             systemTime(2024, 13, 1), systemTime(2024, 4, 0), systemTime(2024, 4, 31),
             systemTime(2024, 4, 30, 24), systemTime(2024, 4, 30, 0, 60),
             systemTime(2024, 4, 30, 0, 0, 60), systemTime(2024, 4, 30, 0, 0, 0, 1000) })
        EXPECT_FALSE(ticksOfFields(t))
            << t.wYear << "-" << t.wMonth << "-" << t.wDay << " " << t.wHour << ":" << t.wMinute
            << ":" << t.wSecond << "." << t.wMilliseconds;
}

TEST(SystemTimeFields, TwentyNinthOfFebruaryExistsOnlyInLeapYears)
{
    EXPECT_FALSE(ticksOfFields(systemTime(1900, 2, 29)));
    EXPECT_FALSE(ticksOfFields(systemTime(2023, 2, 29)));
    EXPECT_TRUE(ticksOfFields(systemTime(2000, 2, 29)));
    EXPECT_EQ(fieldsOf(at(2024, 2, 29, 12, 0) + kTicksPerDay), "2024-03-01 12:00:00.000 5");
}

TEST(SystemTimeFields, UnixEpochIsThursdayFirstJanuary1970)
{
    EXPECT_EQ(ticksOfFields(systemTime(1970, 1, 1)), std::uint64_t(platform::kUnixEpochTicks));
    EXPECT_EQ(fieldsOf(platform::kUnixEpochTicks), "1970-01-01 00:00:00.000 4");
    EXPECT_EQ(fieldsOf(at(2024, 3, 31, 0, 0)), "2024-03-31 00:00:00.000 0");
}

TEST(SystemTimeFields, EveryDayFrom1601To2500AgreesWithTheHostCalendar)
{
    // gmtime on a 64-bit time_t is the reference, at a different time of day on each day.
    constexpr std::time_t kFirstDay = -11'644'473'600; // 1601-01-01 in Unix seconds
    for (std::int64_t day = 0;; ++day) {
        const std::time_t seconds = kFirstDay + day * 86400 + (day * 7919) % 86400;
        std::tm tm {};
        ASSERT_TRUE(gmtime_r(&seconds, &tm));
        if (tm.tm_year + 1900 > 2500)
            break;
        const auto ticks
            = std::uint64_t(platform::kUnixEpochTicks + seconds * platform::kTicksPerSecond);
        char expected[96];
        std::snprintf(expected, sizeof expected, "%d-%02d-%02d %02d:%02d:%02d.123 %d",
            tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
            tm.tm_wday);
        ASSERT_EQ(fieldsOf(ticks + 1239999), expected); // below the millisecond is dropped
        ASSERT_EQ(ticksOfFields(systemTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                      tm.tm_min, tm.tm_sec, 123)),
            ticks + 1230000)
            << expected;
    }
}

TEST(TransitionDay, NthWeekdayCountsFromTheFirstOfTheMonth)
{
    EXPECT_EQ(platform::transitionDay(2024, 3, 0, 2), 10);
    EXPECT_EQ(platform::transitionDay(2024, 11, 0, 1), 3);
    EXPECT_EQ(platform::transitionDay(2024, 9, 0, 1), 1); // the month starts on a Sunday
    EXPECT_EQ(platform::transitionDay(2024, 6, 6, 1), 1); // ... on a Saturday
}

TEST(TransitionDay, OccurrenceFiveIsTheLastOneOfTheMonth)
{
    EXPECT_EQ(platform::transitionDay(2024, 3, 0, 5), 31); // five Sundays
    EXPECT_EQ(platform::transitionDay(2024, 10, 0, 5), 27); // four Sundays
    EXPECT_EQ(platform::transitionDay(2024, 2, 4, 5), 29); // the fifth Thursday is 29 February
    EXPECT_EQ(platform::transitionDay(2023, 2, 4, 5), 23);
}

TEST(ZoneConversion, CentralEuropeChangesAtOneUniversalTimeBothWays)
{
    EXPECT_EQ(local(kCet, at(2024, 3, 31, 0, 59, 59)), standardAt(at(2024, 3, 31, 1, 59, 59)));
    EXPECT_EQ(local(kCet, at(2024, 3, 31, 1, 0)), daylightAt(at(2024, 3, 31, 3, 0)));
    EXPECT_EQ(local(kCet, at(2024, 10, 27, 0, 59, 59)), daylightAt(at(2024, 10, 27, 2, 59, 59)));
    EXPECT_EQ(local(kCet, at(2024, 10, 27, 1, 0)), standardAt(at(2024, 10, 27, 2, 0)));
}

TEST(ZoneConversion, LocalTimeInTheSpringGapIsReadAsStandardTime)
{
    EXPECT_EQ(universal(kCet, at(2024, 3, 31, 2, 30)), standardAt(at(2024, 3, 31, 1, 30)));
    EXPECT_EQ(universal(kCet, at(2024, 3, 31, 3, 0)), daylightAt(at(2024, 3, 31, 1, 0)));
}

TEST(ZoneConversion, RepeatedAutumnHourIsReadAsItsFirstOccurrence)
{
    EXPECT_EQ(universal(kCet, at(2024, 10, 27, 2, 30)), daylightAt(at(2024, 10, 27, 0, 30)));
    EXPECT_EQ(universal(kCet, at(2024, 10, 27, 3, 0)), standardAt(at(2024, 10, 27, 2, 0)));
}

TEST(ZoneConversion, RoundTripIsIdentityOnChangeDaysExceptTheRepeatedHour)
{
    const std::uint64_t repeatedFrom = at(2024, 10, 27, 1, 0), repeatedTo = at(2024, 10, 27, 2, 0);
    for (const std::uint64_t day : { at(2024, 3, 30, 12, 0), at(2024, 10, 26, 12, 0) }) {
        for (std::uint64_t utc = day; utc < day + kTicksPerDay; utc += kTicksPerMinute) {
            const auto shown = local(kCet, utc);
            ASSERT_TRUE(shown);
            const auto back = universal(kCet, shown->first);
            ASSERT_TRUE(back);
            const bool repeated = utc >= repeatedFrom && utc < repeatedTo;
            ASSERT_EQ(back->first, repeated ? utc - kTicksPerHour : utc) << fieldsOf(utc);
        }
    }
}

TEST(ZoneConversion, NorthernDaylightStartsAtTwoLocalStandardTime)
{
    EXPECT_EQ(
        local(kNewYork, at(2024, 3, 3, 7, 0)), standardAt(at(2024, 3, 3, 2, 0))); // 1st Sunday
    EXPECT_EQ(local(kNewYork, at(2024, 3, 10, 6, 59, 59)), standardAt(at(2024, 3, 10, 1, 59, 59)));
    EXPECT_EQ(local(kNewYork, at(2024, 3, 10, 7, 0)), daylightAt(at(2024, 3, 10, 3, 0)));
    EXPECT_EQ(local(kNewYork, at(2024, 11, 3, 5, 59, 59)), daylightAt(at(2024, 11, 3, 1, 59, 59)));
    EXPECT_EQ(local(kNewYork, at(2024, 11, 3, 6, 0)), standardAt(at(2024, 11, 3, 1, 0)));
}

TEST(ZoneConversion, SouthernDaylightRunsFromOctoberAcrossTheNewYearToApril)
{
    EXPECT_EQ(local(kSydney, at(2024, 1, 15, 0, 0)), daylightAt(at(2024, 1, 15, 11, 0)));
    EXPECT_EQ(local(kSydney, at(2024, 6, 15, 0, 0)), standardAt(at(2024, 6, 15, 10, 0)));
    EXPECT_EQ(local(kSydney, at(2024, 4, 6, 15, 59, 59)), daylightAt(at(2024, 4, 7, 2, 59, 59)));
    EXPECT_EQ(local(kSydney, at(2024, 4, 6, 16, 0)), standardAt(at(2024, 4, 7, 2, 0)));
    EXPECT_EQ(local(kSydney, at(2024, 10, 5, 15, 59, 59)), standardAt(at(2024, 10, 6, 1, 59, 59)));
    EXPECT_EQ(local(kSydney, at(2024, 10, 5, 16, 0)), daylightAt(at(2024, 10, 6, 3, 0)));
    EXPECT_EQ(universal(kSydney, at(2024, 10, 6, 2, 30)), standardAt(at(2024, 10, 5, 16, 30)));
    EXPECT_EQ(universal(kSydney, at(2024, 4, 7, 2, 30)), daylightAt(at(2024, 4, 6, 15, 30)));
    EXPECT_EQ(local(kSydney, at(2024, 12, 31, 12, 59)), daylightAt(at(2024, 12, 31, 23, 59)));
    EXPECT_EQ(local(kSydney, at(2024, 12, 31, 13, 0)), daylightAt(at(2025, 1, 1, 0, 0)));
    EXPECT_EQ(universal(kSydney, at(2025, 1, 1, 0, 30)), daylightAt(at(2024, 12, 31, 13, 30)));
}

TEST(ZoneConversion, ZoneWithoutDaylightAppliesItsOffsetAllYear)
{
    for (const std::uint64_t utc :
        { at(2024, 1, 1, 0, 0), at(2024, 3, 31, 1, 0), at(2024, 10, 27, 1, 30) }) {
        for (const LONG bias : { -540, -210 }) { // Tokyo, and Tehran's half hour
            const std::uint64_t shown = utc - bias * kTicksPerMinute;
            EXPECT_EQ(local(zone(bias), utc), standardAt(shown)) << bias;
            EXPECT_EQ(universal(zone(bias), shown), standardAt(utc)) << bias;
        }
    }
}

TEST(ZoneConversion, ResultsOutsideTheTickRangeFailWhileTheLastYearStillWorks)
{
    EXPECT_FALSE(local(zone(-540), kMaxFileTimeTicks));
    EXPECT_FALSE(universal(zone(-540), 0));
    EXPECT_FALSE(local(zone(300), 0));
    EXPECT_FALSE(universal(zone(300), kMaxFileTimeTicks));
    EXPECT_FALSE(local(kCet, kMaxFileTimeTicks + 1));
    // The October change of 30828 lies past the last tick.
    EXPECT_EQ(local(kCet, at(30828, 9, 14, 0, 0)), daylightAt(at(30828, 9, 14, 2, 0)));
    EXPECT_EQ(universal(kCet, at(30828, 9, 14, 2, 0)), daylightAt(at(30828, 9, 14, 0, 0)));
    EXPECT_FALSE(local(kCet, at(30828, 9, 14, 1, 0)));
}

TEST(TypedMoments, LocalAndUniversalCrossOnlyThroughAZoneAndSpansMoveThemBothWays)
{
    static_assert(!std::is_convertible_v<platform::LocalTicks, platform::UniversalTicks>);
    static_assert(!std::is_convertible_v<std::uint64_t, platform::LocalTicks>);

    // Berlin in summer: local 09:00 is 07:00 universal; 02:30 on the spring-forward night
    // does not exist and is read as standard time, an hour later on the clock.
    const auto berlin = platform::zoneFromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(berlin);
    const auto nine = platform::localTicksOf(systemTime(2026, 7, 1, 9, 0));
    ASSERT_TRUE(nine);
    const auto utc = platform::toUniversal(*berlin, *nine);
    ASSERT_TRUE(utc);
    EXPECT_EQ(*utc, *platform::universalTicksOf(systemTime(2026, 7, 1, 7, 0)));
    EXPECT_EQ(platform::toLocal(*berlin, *utc), nine);
    EXPECT_EQ(platform::toUniversal(*berlin, *platform::localTicksOf(systemTime(2026, 3, 29, 2, 30))),
        platform::universalTicksOf(systemTime(2026, 3, 29, 1, 30)));

    // A negative span moves a moment back; the difference of two moments is a span.
    const auto earlier = *nine - std::chrono::hours(10);
    EXPECT_EQ(platform::systemTimeOf(earlier)->wDay, 30);
    EXPECT_EQ(platform::systemTimeOf(earlier)->wHour, 23);
    EXPECT_EQ(*nine + std::chrono::minutes(-600), earlier);
    EXPECT_EQ(*nine - earlier, std::chrono::hours(10));
    EXPECT_LT(earlier, *nine);
}

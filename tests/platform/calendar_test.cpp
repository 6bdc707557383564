#include "platform/calendar.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using platform::kTicksPerDay;
using platform::kTicksPerMinute;
using platform::kTicksPerSecond;

constexpr std::int64_t kTicksPerHour = 60 * kTicksPerMinute;

SYSTEMTIME systemTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
    int milliseconds = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second),
        WORD(milliseconds) };
}

std::optional<std::uint64_t> ticksOfFields(const SYSTEMTIME& time)
{
    FILETIME fileTime { };
    if (!SystemTimeToFileTime(&time, &fileTime))
        return std::nullopt;
    return ticksOf(fileTime);
}

std::uint64_t at(int year, int month, int day, int hour, int minute, int second = 0)
{
    const auto ticks = ticksOfFields(systemTime(year, month, day, hour, minute, second));
    EXPECT_TRUE(ticks) << year << "-" << month << "-" << day;
    return ticks.value_or(0);
}

void expectFields(const SYSTEMTIME& t, int year, int month, int day, int dayOfWeek, int hour, int minute,
    int second, int milliseconds)
{
    EXPECT_EQ(t.wYear, year);
    EXPECT_EQ(t.wMonth, month);
    EXPECT_EQ(t.wDay, day);
    EXPECT_EQ(t.wDayOfWeek, dayOfWeek);
    EXPECT_EQ(t.wHour, hour);
    EXPECT_EQ(t.wMinute, minute);
    EXPECT_EQ(t.wSecond, second);
    EXPECT_EQ(t.wMilliseconds, milliseconds);
}

// A day-in-month rule: the n-th (5 = last) `weekday` of `month` at `hour`.
SYSTEMTIME rule(int month, int occurrence, int weekday, int hour)
{
    return SYSTEMTIME { 0, WORD(month), WORD(weekday), WORD(occurrence), WORD(hour), 0, 0, 0 };
}

TIME_ZONE_INFORMATION zone(LONG biasMinutes, SYSTEMTIME daylightStart = { }, SYSTEMTIME standardStart = { })
{
    TIME_ZONE_INFORMATION z { };
    z.Bias = biasMinutes;
    z.DaylightDate = daylightStart;
    z.StandardDate = standardStart;
    z.DaylightBias = daylightStart.wMonth != 0 ? -60 : 0;
    return z;
}

const TIME_ZONE_INFORMATION kCentralEurope = zone(-60, rule(3, 5, 0, 2), rule(10, 5, 0, 3));
const TIME_ZONE_INFORMATION kUsEastern = zone(300, rule(3, 2, 0, 2), rule(11, 1, 0, 2));
const TIME_ZONE_INFORMATION kSydney = zone(-600, rule(10, 1, 0, 2), rule(4, 1, 0, 3));

void expectLocal(const TIME_ZONE_INFORMATION& z, std::uint64_t utc, std::uint64_t local, bool daylight)
{
    const auto result = platform::universalToLocal(z, utc);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->ticks, local);
    EXPECT_EQ(result->daylight, daylight);
}

void expectUniversal(const TIME_ZONE_INFORMATION& z, std::uint64_t local, std::uint64_t utc, bool daylight)
{
    const auto result = platform::localToUniversal(z, local);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->ticks, utc);
    EXPECT_EQ(result->daylight, daylight);
}

} // namespace

TEST(FileTimeRange, FirstTickIsMidnightOnMondayFirstJanuary1601)
{
    EXPECT_EQ(ticksOfFields(systemTime(1601, 1, 1)), 0u);
    SYSTEMTIME t { };
    const FILETIME zero { 0, 0 };
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &t));
    expectFields(t, 1601, 1, 1, 1, 0, 0, 0, 0);
}

TEST(FileTimeRange, LastTickIsSeptember14Of30828)
{
    const FILETIME last = fileTimeOf(platform::kMaxFileTimeTicks);
    SYSTEMTIME t { };
    ASSERT_TRUE(FileTimeToSystemTime(&last, &t));
    // 30828 is 53 whole 400-year cycles after 9628, and 9628-09-14 is a Thursday.
    expectFields(t, 30828, 9, 14, 4, 2, 48, 5, 477);
    // Going back loses the 5807 ticks below the millisecond.
    EXPECT_EQ(ticksOfFields(t), platform::kMaxFileTimeTicks - 5807);
}

TEST(FileTimeRange, TicksPastTheLastOneAreRejected)
{
    SYSTEMTIME t { };
    for (const std::uint64_t ticks : { platform::kMaxFileTimeTicks + 1, ~std::uint64_t(0) }) {
        const FILETIME fileTime = fileTimeOf(ticks);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(FileTimeToSystemTime(&fileTime, &t)) << ticks;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(FileTimeRange, DatesAfterTheLastTickAreRejected)
{
    EXPECT_FALSE(ticksOfFields(systemTime(30828, 9, 14, 2, 48, 5, 478)));
    EXPECT_FALSE(ticksOfFields(systemTime(30828, 9, 14, 23, 59, 59, 999)));
    EXPECT_FALSE(ticksOfFields(systemTime(30829, 1, 1)));
    // Large enough that the tick count wraps past 2^64 and lands inside the range again.
    EXPECT_FALSE(ticksOfFields(systemTime(65535, 1, 1)));
}

TEST(SystemTimeFields, OutOfRangeFieldsAreRejected)
{
    const SYSTEMTIME valid = systemTime(2024, 4, 30, 23, 59, 59, 999);
    ASSERT_TRUE(ticksOfFields(valid));
    auto with = [&](auto change) {
        SYSTEMTIME t = valid;
        change(t);
        return ticksOfFields(t);
    };
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wYear = 1600; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wMonth = 0; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wMonth = 13; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wDay = 0; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wDay = 31; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wHour = 24; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wMinute = 60; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wSecond = 60; }));
    EXPECT_FALSE(with([](SYSTEMTIME& t) { t.wMilliseconds = 1000; }));
    // The day of week is an output only.
    EXPECT_EQ(with([](SYSTEMTIME& t) { t.wDayOfWeek = 6; }), ticksOfFields(valid));
}

TEST(SystemTimeFields, TwentyNinthOfFebruaryExistsOnlyInLeapYears)
{
    EXPECT_FALSE(ticksOfFields(systemTime(1900, 2, 29)));
    EXPECT_FALSE(ticksOfFields(systemTime(2023, 2, 29)));
    EXPECT_FALSE(ticksOfFields(systemTime(2100, 2, 29)));
    EXPECT_TRUE(ticksOfFields(systemTime(2000, 2, 29)));
    ASSERT_TRUE(ticksOfFields(systemTime(2024, 2, 29)));
    EXPECT_EQ(*ticksOfFields(systemTime(2024, 3, 1)) - *ticksOfFields(systemTime(2024, 2, 29)),
        std::uint64_t(kTicksPerDay));
}

TEST(SystemTimeFields, UnixEpochConstantIsThursdayFirstJanuary1970)
{
    EXPECT_EQ(ticksOfFields(systemTime(1970, 1, 1)), std::uint64_t(platform::kUnixEpochTicks));
    const FILETIME epoch = fileTimeOf(platform::kUnixEpochTicks);
    SYSTEMTIME t { };
    ASSERT_TRUE(FileTimeToSystemTime(&epoch, &t));
    expectFields(t, 1970, 1, 1, 4, 0, 0, 0, 0);
}

TEST(SystemTimeFields, EveryDayFrom1601To2500AgreesWithTheHostCalendar)
{
    // gmtime on a 64-bit time_t is the reference, at a different time of day on each day.
    constexpr std::time_t kFirstDay = -11'644'473'600; // 1601-01-01 in Unix seconds
    for (std::int64_t day = 0;; ++day) {
        const std::time_t seconds = kFirstDay + day * 86400 + (day * 7919) % 86400;
        std::tm tm { };
        ASSERT_TRUE(gmtime_r(&seconds, &tm));
        if (tm.tm_year + 1900 > 2500)
            break;
        const std::uint64_t ticks = std::uint64_t(platform::kUnixEpochTicks + seconds * kTicksPerSecond + 1230000);
        const SYSTEMTIME expected = systemTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
            tm.tm_min, tm.tm_sec, 123);
        ASSERT_EQ(ticksOfFields(expected), ticks) << tm.tm_year + 1900 << "-" << tm.tm_mon + 1 << "-" << tm.tm_mday;
        const FILETIME fileTime = fileTimeOf(ticks + 9999); // below the millisecond: dropped
        SYSTEMTIME t { };
        ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &t));
        ASSERT_EQ(t.wDayOfWeek, tm.tm_wday) << tm.tm_year + 1900 << "-" << tm.tm_mon + 1 << "-" << tm.tm_mday;
        ASSERT_EQ(ticksOfFields(t), ticks);
    }
}

TEST(TransitionDay, NthWeekdayCountsFromTheFirstOfTheMonth)
{
    EXPECT_EQ(platform::transitionDay(2024, 3, 0, 2), 10);
    EXPECT_EQ(platform::transitionDay(2024, 11, 0, 1), 3);
    EXPECT_EQ(platform::transitionDay(2024, 9, 0, 1), 1); // the month starts on a Sunday
    EXPECT_EQ(platform::transitionDay(2024, 6, 6, 1), 1); // ... on a Saturday
    EXPECT_EQ(platform::transitionDay(2024, 6, 0, 4), 23);
}

TEST(TransitionDay, OccurrenceFiveIsTheLastOneOfTheMonth)
{
    EXPECT_EQ(platform::transitionDay(2024, 3, 0, 5), 31);  // five Sundays
    EXPECT_EQ(platform::transitionDay(2024, 10, 0, 5), 27); // four Sundays
    EXPECT_EQ(platform::transitionDay(2024, 4, 0, 5), 28);  // four Sundays
    EXPECT_EQ(platform::transitionDay(2024, 2, 4, 5), 29);  // the fifth Thursday is 29 February
    EXPECT_EQ(platform::transitionDay(2023, 2, 4, 5), 23);
}

TEST(ZoneConversion, CentralEuropeChangesAtOneUniversalTimeBothWays)
{
    expectLocal(kCentralEurope, at(2024, 3, 31, 0, 59, 59), at(2024, 3, 31, 1, 59, 59), false);
    expectLocal(kCentralEurope, at(2024, 3, 31, 1, 0), at(2024, 3, 31, 3, 0), true);
    expectLocal(kCentralEurope, at(2024, 10, 27, 0, 59, 59), at(2024, 10, 27, 2, 59, 59), true);
    expectLocal(kCentralEurope, at(2024, 10, 27, 1, 0), at(2024, 10, 27, 2, 0), false);
}

TEST(ZoneConversion, LocalTimeInTheSpringGapIsReadAsStandardTime)
{
    expectUniversal(kCentralEurope, at(2024, 3, 31, 2, 30), at(2024, 3, 31, 1, 30), false);
    expectLocal(kCentralEurope, at(2024, 3, 31, 1, 30), at(2024, 3, 31, 3, 30), true);
    expectUniversal(kCentralEurope, at(2024, 3, 31, 3, 0), at(2024, 3, 31, 1, 0), true);
}

TEST(ZoneConversion, RepeatedAutumnHourIsReadAsItsFirstOccurrence)
{
    expectUniversal(kCentralEurope, at(2024, 10, 27, 2, 30), at(2024, 10, 27, 0, 30), true);
    expectUniversal(kCentralEurope, at(2024, 10, 27, 3, 0), at(2024, 10, 27, 2, 0), false);
}

TEST(ZoneConversion, RoundTripIsIdentityOnChangeDaysExceptTheRepeatedHour)
{
    const std::uint64_t repeatedFrom = at(2024, 10, 27, 1, 0), repeatedTo = at(2024, 10, 27, 2, 0);
    for (const std::uint64_t day : { at(2024, 3, 30, 12, 0), at(2024, 10, 26, 12, 0) }) {
        for (std::uint64_t utc = day; utc < day + kTicksPerDay; utc += kTicksPerMinute) {
            const auto local = platform::universalToLocal(kCentralEurope, utc);
            ASSERT_TRUE(local);
            const auto back = platform::localToUniversal(kCentralEurope, local->ticks);
            ASSERT_TRUE(back);
            const bool repeated = utc >= repeatedFrom && utc < repeatedTo;
            ASSERT_EQ(back->ticks, repeated ? utc - kTicksPerHour : utc) << (utc - day) / kTicksPerMinute;
        }
    }
}

TEST(ZoneConversion, NorthernDaylightStartsAtTwoLocalStandardTime)
{
    expectLocal(kUsEastern, at(2024, 3, 3, 7, 0), at(2024, 3, 3, 2, 0), false); // first Sunday
    expectLocal(kUsEastern, at(2024, 3, 10, 6, 59, 59), at(2024, 3, 10, 1, 59, 59), false);
    expectLocal(kUsEastern, at(2024, 3, 10, 7, 0), at(2024, 3, 10, 3, 0), true);
    expectLocal(kUsEastern, at(2024, 11, 3, 5, 59, 59), at(2024, 11, 3, 1, 59, 59), true);
    expectLocal(kUsEastern, at(2024, 11, 3, 6, 0), at(2024, 11, 3, 1, 0), false);
}

TEST(ZoneConversion, SouthernDaylightRunsFromOctoberToApril)
{
    expectLocal(kSydney, at(2024, 1, 15, 0, 0), at(2024, 1, 15, 11, 0), true);
    expectLocal(kSydney, at(2024, 6, 15, 0, 0), at(2024, 6, 15, 10, 0), false);
    expectLocal(kSydney, at(2024, 4, 6, 15, 59, 59), at(2024, 4, 7, 2, 59, 59), true);
    expectLocal(kSydney, at(2024, 4, 6, 16, 0), at(2024, 4, 7, 2, 0), false);
    expectLocal(kSydney, at(2024, 10, 5, 15, 59, 59), at(2024, 10, 6, 1, 59, 59), false);
    expectLocal(kSydney, at(2024, 10, 5, 16, 0), at(2024, 10, 6, 3, 0), true);
    expectUniversal(kSydney, at(2024, 10, 6, 2, 30), at(2024, 10, 5, 16, 30), false);
    expectUniversal(kSydney, at(2024, 4, 7, 2, 30), at(2024, 4, 6, 15, 30), true);
}

TEST(ZoneConversion, SouthernDaylightStaysOnAcrossTheNewYear)
{
    expectLocal(kSydney, at(2024, 12, 31, 12, 59), at(2024, 12, 31, 23, 59), true);
    expectLocal(kSydney, at(2024, 12, 31, 13, 0), at(2025, 1, 1, 0, 0), true);
    expectUniversal(kSydney, at(2024, 12, 31, 23, 30), at(2024, 12, 31, 12, 30), true);
    expectUniversal(kSydney, at(2025, 1, 1, 0, 30), at(2024, 12, 31, 13, 30), true);
}

TEST(ZoneConversion, ZoneWithoutDaylightAppliesItsOffsetAllYear)
{
    const TIME_ZONE_INFORMATION tokyo = zone(-540), tehranLike = zone(-210);
    for (const std::uint64_t utc : { at(2024, 1, 1, 0, 0), at(2024, 3, 31, 1, 0), at(2024, 7, 1, 12, 0),
             at(2024, 10, 27, 1, 30), at(2024, 12, 31, 20, 0) }) {
        expectLocal(tokyo, utc, utc + 9 * kTicksPerHour, false);
        expectUniversal(tokyo, utc + 9 * kTicksPerHour, utc, false);
        expectLocal(tehranLike, utc, utc + 210 * kTicksPerMinute, false);
        expectUniversal(tehranLike, utc + 210 * kTicksPerMinute, utc, false);
    }
}

TEST(ZoneConversion, ResultsOutsideTheTickRangeFail)
{
    const TIME_ZONE_INFORMATION tokyo = zone(-540), newYork = zone(300);
    EXPECT_FALSE(platform::universalToLocal(tokyo, platform::kMaxFileTimeTicks));
    EXPECT_FALSE(platform::localToUniversal(tokyo, 0));
    EXPECT_FALSE(platform::universalToLocal(newYork, 0));
    EXPECT_FALSE(platform::localToUniversal(newYork, platform::kMaxFileTimeTicks));
    EXPECT_FALSE(platform::universalToLocal(tokyo, platform::kMaxFileTimeTicks + 1));
    EXPECT_FALSE(platform::localToUniversal(kCentralEurope, platform::kMaxFileTimeTicks + 1));
}

TEST(ZoneConversion, DaylightRulesStillApplyInTheLastYearOfTheRange)
{
    // The October change of 30828 lies past the last tick.
    expectLocal(kCentralEurope, at(30828, 6, 1, 12, 0), at(30828, 6, 1, 14, 0), true);
    expectLocal(kCentralEurope, at(30828, 9, 14, 0, 0), at(30828, 9, 14, 2, 0), true);
    expectUniversal(kCentralEurope, at(30828, 9, 14, 2, 0), at(30828, 9, 14, 0, 0), true);
    EXPECT_FALSE(platform::universalToLocal(kCentralEurope, at(30828, 9, 14, 1, 0)));
}

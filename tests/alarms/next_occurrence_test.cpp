#include "alarms/alarm_schedule.h"

#include "tests/alarms/alarm_fixture.h"

using namespace alarms;
using namespace alarm_tests;

namespace {

// 8 March 2026 is a Sunday; 11 March a Wednesday.
std::uint64_t next(const AlarmRecord& alarm, From from, const SYSTEMTIME& now)
{
    const auto moment = NextOccurrence(alarm, from, now);
    return moment ? ticksAt(*moment) : 0;
}

} // namespace

TEST(NextOccurrence, AMondayAlarmSwitchedOnOnWednesdayRingsOnTheComingMonday)
{
    const auto moment = NextOccurrence(alarmAt(7, 0, kMonday), From::Now, at(2026, 3, 11, 12, 0));
    ASSERT_TRUE(moment);
    EXPECT_EQ(ticksAt(*moment), ticksAt(at(2026, 3, 16, 7, 0)));
    EXPECT_EQ(moment->wDayOfWeek, 1);
}

TEST(NextOccurrence, TodayCountsUntilItsMinuteHasPassed)
{
    const auto wednesday = alarmAt(7, 0, kWednesday);
    EXPECT_EQ(next(wednesday, From::Now, at(2026, 3, 11, 6, 59)), ticksAt(at(2026, 3, 11, 7, 0)));
    EXPECT_EQ(next(wednesday, From::Now, at(2026, 3, 11, 7, 0, 0, 0)), ticksAt(at(2026, 3, 11, 7, 0)));
    EXPECT_EQ(next(wednesday, From::Now, at(2026, 3, 11, 7, 0, 30)), ticksAt(at(2026, 3, 18, 7, 0)));
    // The runner, ringing ahead of the minute, never gives today again.
    EXPECT_EQ(next(wednesday, From::Tomorrow, at(2026, 3, 11, 6, 0)), ticksAt(at(2026, 3, 18, 7, 0)));
}

TEST(NextOccurrence, ADailyAlarmRingingOnSaturdayWrapsToTheFollowingSunday)
{
    EXPECT_EQ(next(alarmAt(7, 0, kEveryDay), From::Tomorrow, at(2026, 3, 14, 7, 0)), ticksAt(at(2026, 3, 15, 7, 0)));
    // Only Sunday chosen, asked on Saturday: the search runs past Saturday into the next week.
    EXPECT_EQ(next(alarmAt(7, 0, kSunday), From::Now, at(2026, 3, 14, 8, 0)), ticksAt(at(2026, 3, 15, 7, 0)));
    // Sunday itself after the minute waits a whole week.
    EXPECT_EQ(next(alarmAt(7, 0, kSunday), From::Now, at(2026, 3, 15, 7, 1)), ticksAt(at(2026, 3, 22, 7, 0)));
}

TEST(NextOccurrence, CrossesTheYearAndTheEndOfFebruary)
{
    const auto moment = NextOccurrence(alarmAt(0, 15, kFriday), From::Now, at(2026, 12, 31, 23, 30));
    ASSERT_TRUE(moment);
    EXPECT_EQ(ticksAt(*moment), ticksAt(at(2027, 1, 1, 0, 15)));
    EXPECT_EQ(moment->wDayOfWeek, 5);
    // Saturday 28 February 2032 (a leap year) to Sunday 29 February.
    EXPECT_EQ(next(alarmAt(6, 30, kSunday), From::Now, at(2032, 2, 28, 9, 0)), ticksAt(at(2032, 2, 29, 6, 30)));
}

TEST(NextOccurrence, OnlyTheHourAndMinuteOfTheStoredTimeCount)
{
    // alarmAt stores 2001-05-05 hh:mm:45; neither that date nor the seconds carry over.
    const auto moment = NextOccurrence(alarmAt(21, 5, kEveryDay), From::Now, at(2026, 3, 8, 9, 0, 12, 345));
    ASSERT_TRUE(moment);
    EXPECT_EQ(ticksAt(*moment), ticksAt(at(2026, 3, 8, 21, 5)));
    EXPECT_EQ(moment->wSecond, 0);
    EXPECT_EQ(moment->wMilliseconds, 0);
}

TEST(NextOccurrence, AnAlarmWithoutWeekdaysHasNone)
{
    EXPECT_FALSE(NextOccurrence(alarmAt(7, 0, 0), From::Now, at(2026, 3, 8, 6, 0)));
    // Bit 7 is no weekday.
    EXPECT_FALSE(NextOccurrence(alarmAt(7, 0, 0x80), From::Now, at(2026, 3, 8, 6, 0)));
    EXPECT_EQ(next(alarmAt(7, 0, 0x80 | kMonday), From::Now, at(2026, 3, 8, 6, 0)), ticksAt(at(2026, 3, 9, 7, 0)));
}

TEST(AlarmArgument, CarriesAtLeastTwoDigits)
{
    EXPECT_EQ(alarmArgument(1), u"a01");
    EXPECT_EQ(alarmArgument(9), u"a09");
    EXPECT_EQ(alarmArgument(10), u"a10");
    EXPECT_EQ(alarmArgument(20), u"a20");
}

// Internet time both ways (exact to the beat and the second), the time calculator's city
// conversion with daylight rules on either side, and the year counter's units.

#include "astro/beat.h"
#include "astro/julian.h"
#include "astro/time_calc.h"
#include "cities/city_record.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "tests/support/device_fixture.h"
#include "tests/support/time_helpers.h"

#include <gtest/gtest.h>

namespace {

using testing_support::at;

void expectTime(const std::optional<SYSTEMTIME>& time, int year, int month, int day, int hour,
    int minute, int second)
{
    ASSERT_TRUE(time.has_value());
    EXPECT_EQ(time->wYear, year);
    EXPECT_EQ(time->wMonth, month);
    EXPECT_EQ(time->wDay, day);
    EXPECT_EQ(time->wHour, hour);
    EXPECT_EQ(time->wMinute, minute);
    EXPECT_EQ(time->wSecond, second);
}

cities::CityRecord city(int offsetMinutes, std::optional<cities::DaylightRule> rule = std::nullopt)
{
    cities::CityRecord record {};
    record.offsetMinutes = std::int16_t(offsetMinutes);
    cities::setDaylightRule(record, rule);
    return record;
}

const cities::DaylightRule kEurope { { 3, 0, 5 }, { 10, 0, 5 } };
const cities::DaylightRule kUnitedStates { { 3, 0, 2 }, { 11, 0, 1 } };

class DeviceZoneTest : public testing_support::DeviceTest {
protected:
    // The device keeps universal time plus one hour all year.
    void SetUp() override
    {
        TIME_ZONE_INFORMATION zone {};
        zone.Bias = -60;
        ASSERT_TRUE(SetTimeZoneInformation(&zone));
    }
};

} // namespace

TEST(Beats, UniversalTimeConvertsToBeatsAndBackExactly)
{
    EXPECT_EQ(astro::beatOfUniversal(at(2024, 3, 1, 23, 0, 0)), 0);
    EXPECT_EQ(astro::beatOfUniversal(at(2024, 3, 1, 22, 59, 59)), 999);
    EXPECT_EQ(astro::beatOfUniversal(at(2024, 3, 1, 12, 0, 0)), 541);
    EXPECT_EQ(astro::beatOfUniversal(at(2024, 3, 1, 11, 0, 0)), 500);
    EXPECT_EQ(astro::beatOfUniversal(at(2024, 3, 1, 23, 1, 26)), 0);
    EXPECT_EQ(astro::beatOfUniversal(at(2024, 3, 1, 23, 1, 27)), 1);

    expectTime(astro::universalOfBeat(500, at(2024, 3, 1)), 2024, 3, 1, 11, 0, 0);
    // Beat days begin at 23:00 of the day before; beat 0 of 1 March is 29 February 23:00.
    expectTime(astro::universalOfBeat(0, at(2024, 3, 1)), 2024, 2, 29, 23, 0, 0);
    expectTime(astro::universalOfBeat(999, at(2024, 3, 1)), 2024, 3, 1, 22, 58, 34);
    // Beat 1 begins at 23:01:26.4; its first whole second is 23:01:27.
    expectTime(astro::universalOfBeat(1, at(2024, 3, 1)), 2024, 2, 29, 23, 1, 27);
    // Every beat begins where its own conversion says, and the second before is the beat before.
    for (int beat = 0; beat < astro::kBeatsPerDay; ++beat) {
        const auto begins = astro::universalOfBeat(beat, at(2025, 1, 1));
        ASSERT_TRUE(begins.has_value());
        ASSERT_EQ(astro::beatOfUniversal(*begins), beat);
        const auto before = platform::systemTimeOfTicks(platform::ticksOfSystemTime(*begins).value()
            - std::uint64_t(platform::kTicksPerSecond));
        ASSERT_EQ(astro::beatOfUniversal(*before), (beat + 999) % 1000);
    }
    // A beat the number field may hold but that does not exist converts to nothing.
    EXPECT_FALSE(astro::universalOfBeat(1000, at(2024, 3, 1)).has_value());
    EXPECT_FALSE(astro::universalOfBeat(-1, at(2024, 3, 1)).has_value());
    EXPECT_FALSE(astro::universalOfBeat(5, at(2024, 2, 30)).has_value());
}

TEST(Beats, TheTextHasThreeDigits)
{
    EXPECT_EQ(astro::beatText(7), u"007");
    EXPECT_EQ(astro::beatText(42), u"042");
    EXPECT_EQ(astro::beatText(0), u"000");
    EXPECT_EQ(astro::beatText(541), u"541");
    EXPECT_EQ(astro::beatText(5000), u"999");
}

TEST_F(DeviceZoneTest, LocalTimeConvertsToBeatsAndBackThroughTheDeviceZone)
{
    // 12:00 at universal time plus one hour is @500, both ways.
    EXPECT_EQ(astro::beatOfLocal(at(2024, 6, 10, 12, 0, 0)), 500);
    expectTime(astro::localOfBeat(500, at(2024, 6, 10)), 2024, 6, 10, 12, 0, 0);
    EXPECT_EQ(astro::beatOfLocal(at(2024, 6, 10, 0, 0, 0)), 0);
    expectTime(astro::localOfBeat(0, at(2024, 6, 10)), 2024, 6, 10, 0, 0, 0);
    EXPECT_FALSE(astro::beatOfLocal(at(2024, 13, 1)).has_value());

    // Moon instants are shown on the device's clock the same way.
    expectTime(astro::deviceLocalTimeOfJulianDay(2451545.0), 2000, 1, 1, 13, 0, 0);

    // The device elsewhere: the same beat is another local time.
    TIME_ZONE_INFORMATION newYork {};
    newYork.Bias = 300;
    ASSERT_TRUE(SetTimeZoneInformation(&newYork));
    expectTime(astro::localOfBeat(500, at(2024, 6, 10)), 2024, 6, 10, 6, 0, 0);
    EXPECT_EQ(astro::beatOfLocal(at(2024, 6, 10, 6, 0, 0)), 500);

    // The present beat, as the digital clock shows it.
    SYSTEMTIME before {};
    GetSystemTime(&before);
    const std::u16string item = astro::internetTimeItem();
    SYSTEMTIME after {};
    GetSystemTime(&after);
    ASSERT_EQ(item.size(), 4u);
    EXPECT_EQ(item[0], u'@');
    EXPECT_TRUE(item.substr(1) == astro::beatText(astro::beatOfUniversal(before))
        || item.substr(1) == astro::beatText(astro::beatOfUniversal(after)));
}

TEST_F(DeviceZoneTest, TimeCalcConvertsBetweenCitiesWithTheirDaylightRules)
{
    const cities::CityRecord berlin = city(60, kEurope);
    const cities::CityRecord tokyo = city(540);
    const cities::CityRecord london = city(0, kEurope);
    const cities::CityRecord newYork = city(-300, kUnitedStates);
    const cities::CityRecord mumbai = city(330);

    // In July Berlin keeps daylight time: Tokyo is seven hours ahead, not the eight of the offsets.
    expectTime(
        astro::convertCityTime(berlin, at(2024, 7, 15, 12, 0), tokyo), 2024, 7, 15, 19, 0, 0);
    expectTime(
        astro::convertCityTime(berlin, at(2024, 1, 15, 12, 0), tokyo), 2024, 1, 15, 20, 0, 0);
    expectTime(
        astro::convertCityTime(berlin, at(2024, 7, 15, 12, 0), london), 2024, 7, 15, 11, 0, 0);
    // Across midnight and the turn of a year, and to a half-hour zone.
    expectTime(
        astro::convertCityTime(newYork, at(2023, 12, 31, 22, 30), berlin), 2024, 1, 1, 4, 30, 0);
    expectTime(astro::convertCityTime(tokyo, at(2024, 3, 1, 1, 0), mumbai), 2024, 2, 29, 21, 30, 0);
    // In March the United States already keep daylight time while Europe does not yet.
    expectTime(
        astro::convertCityTime(newYork, at(2024, 3, 20, 12, 0), london), 2024, 3, 20, 16, 0, 0);
    // The same city is the identity.
    expectTime(astro::convertCityTime(tokyo, at(2024, 5, 5, 5, 5, 5), tokyo), 2024, 5, 5, 5, 5, 5);
    EXPECT_FALSE(astro::convertCityTime(berlin, at(2024, 2, 30, 12, 0), tokyo).has_value());

    const auto converted = astro::convertCityTime(berlin, at(2024, 7, 15, 23, 30), tokyo);
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(converted->wDayOfWeek, 2); // Tuesday 16 July
    EXPECT_EQ(astro::cellDateText(*converted, false, u"Tue", u"/"), u"Tue, 7/16");
    EXPECT_EQ(astro::cellDateText(at(2024, 3, 8), false, u"Fri", u"/"), u"Fri, 3/08");
    EXPECT_EQ(astro::cellDateText(at(2024, 3, 8), true, u"Fr", u"."), u"Fr, 8.03.");
    EXPECT_EQ(astro::cellDateText(at(2024, 12, 24), true, u"mar", u"-"), u"mar, 24-12");
}

TEST(YearCounter, PassedAndRemainInEachUnit)
{
    using astro::CounterUnit;
    const auto passed = [](CounterUnit unit, int year, const SYSTEMTIME& now) {
        return astro::yearCounter(unit, year, now).passed.text();
    };
    const auto remain = [](CounterUnit unit, int year, const SYSTEMTIME& now) {
        return astro::yearCounter(unit, year, now).remain.text();
    };

    const SYSTEMTIME newYearNoon = at(2025, 1, 1, 12, 0);
    EXPECT_EQ(passed(CounterUnit::Days, 2025, newYearNoon), u"0.5");
    EXPECT_EQ(remain(CounterUnit::Days, 2025, newYearNoon), u"364.5");
    EXPECT_EQ(passed(CounterUnit::Hours, 2025, newYearNoon), u"12.0");
    EXPECT_EQ(remain(CounterUnit::Weeks, 2025, newYearNoon), u"52.0");
    EXPECT_EQ(passed(CounterUnit::Months, 2025, newYearNoon), u"0.0");

    // A past year has nothing left, a future one nothing passed.
    EXPECT_EQ(remain(CounterUnit::Days, 2024, newYearNoon), u"0.0");
    EXPECT_EQ(passed(CounterUnit::Days, 2024, newYearNoon), u"366.5");
    EXPECT_EQ(passed(CounterUnit::Hours, 2030, newYearNoon), u"0.0");
    EXPECT_EQ(remain(CounterUnit::Weeks, 2026, newYearNoon), u"104.2");

    // A leap year: the halves of 2024 at noon on 2 July are 183.5 and 182.5 days.
    const SYSTEMTIME july = at(2024, 7, 2, 12, 0, 59);
    EXPECT_EQ(passed(CounterUnit::Days, 2024, july), u"183.5");
    EXPECT_EQ(remain(CounterUnit::Days, 2024, july), u"182.4");
    EXPECT_EQ(passed(CounterUnit::Hours, 2024, july), u"4404.0");
    EXPECT_EQ(passed(CounterUnit::Weeks, 2024, july), u"26.2");

    // Months: about 30.5 days each, from whole days only.
    EXPECT_EQ(astro::counterValue(CounterUnit::Months, 0).text(), u"0.0");
    EXPECT_EQ(astro::counterValue(CounterUnit::Months, 61 * 86'400).text(), u"1.9");
    EXPECT_EQ(astro::counterValue(CounterUnit::Months, 61 * 86'400 + 86'399).text(), u"1.9");
    EXPECT_EQ(astro::counterValue(CounterUnit::Months, 62 * 86'400).text(), u"2.0");
    EXPECT_EQ(astro::counterValue(CounterUnit::Months, 365 * 86'400).text(), u"11.9");
    EXPECT_EQ(astro::counterValue(CounterUnit::Months, 366 * 86'400).text(), u"12.0");
    EXPECT_EQ(remain(CounterUnit::Months, 2024, july), u"5.9");

    // A moment that is no date counts nothing.
    EXPECT_EQ(passed(CounterUnit::Days, 2024, at(2024, 2, 30)), u"0.0");
}

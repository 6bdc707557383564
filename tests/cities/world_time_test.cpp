// A city's record and its time: the stored bytes, the rule days, whether daylight time is
// on at the edges of a rule, local and universal time either way, the offset labels, and a
// city's zone given to the device.

#include "cities/world_time.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "tests/support/city_helpers.h"
#include "tests/support/device_fixture.h"
#include "tests/support/time_helpers.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using cities::CityRecord;
using testing_support::at;
using testing_support::ticksAt;

CityRecord withRule(std::u16string_view name, int offset, cities::DaylightRule rule, int startHour = 2, int endHour = 3)
{
    CityRecord city { };
    cities::setCityName(city, name);
    city.offsetMinutes = std::int16_t(offset);
    cities::setDaylightRule(city, rule);
    city.daylightStartHour = std::uint8_t(startHour);
    city.daylightEndHour = std::uint8_t(endHour);
    return city;
}

// Last Sunday of March to last Sunday of October.
const cities::DaylightRule kEurope { { 3, 0, 5 }, { 10, 0, 5 } };
// First Sunday of October to first Sunday of April.
const cities::DaylightRule kSouth { { 10, 0, 1 }, { 4, 0, 1 } };

} // namespace

TEST(CityRecord, NamesAreCutToTwentyCharactersWithoutTouchingTheFieldsBehind)
{
    CityRecord city { };
    city.daylightStartHour = 2;
    city.daylightEndHour = 3;
    city.offsetMinutes = 60;
    city.latitudeDegrees = 52;
    cities::setCityName(city, u"Llanfairpwllgwyngyllgogerychwyrndrobwll");
    EXPECT_EQ(cities::cityName(city), u"Llanfairpwllgwyngyll");
    EXPECT_EQ(city.name[20], u'\0');
    EXPECT_EQ(city.daylightStartHour, 2);
    EXPECT_EQ(city.daylightEndHour, 3);
    EXPECT_EQ(city.offsetMinutes, 60);
    EXPECT_EQ(city.latitudeDegrees, 52);
    // A pair of surrogates is never split by the cut.
    cities::setCityName(city, std::u16string(19, u'a') + u"\U0001F600");
    EXPECT_EQ(cities::cityName(city).size(), 19u);

    // The bytes as stored: little-endian fields at their places.
    std::array<std::byte, 64> bytes { };
    city.offsetMinutes = -300;
    cities::cityToBytes(city, bytes.data());
    EXPECT_EQ(bytes[46], std::byte(0xd4));
    EXPECT_EQ(bytes[47], std::byte(0xfe));
    EXPECT_EQ(bytes[2], std::byte(u'a'));
    EXPECT_EQ(cities::cityFromBytes(bytes.data()).offsetMinutes, -300);
}

TEST(CityRecord, RuleBytesPackAndOutOfRangeBytesMeanNoDaylightTime)
{
    CityRecord city = withRule(u"Berlin", 60, kEurope);
    EXPECT_EQ(city.usesDaylight, 1);
    EXPECT_EQ(city.daylightStartDay, 0x40); // Sunday, the last week
    EXPECT_EQ(city.daylightStartMonth, 2);
    EXPECT_EQ(city.standardStartMonth, 9);
    EXPECT_EQ(cities::daylightRule(city), kEurope);

    for (const auto damage : { +[](CityRecord& c) { c.daylightStartMonth = 12; },
             +[](CityRecord& c) { c.standardStartDay = 0x07; }, +[](CityRecord& c) { c.daylightStartDay = 0x50; } }) {
        CityRecord damaged = city;
        damage(damaged);
        EXPECT_FALSE(cities::daylightRule(damaged));
        const auto zone = cities::zoneOfCity(damaged);
        EXPECT_EQ(zone.StandardDate.wMonth, 0);
        EXPECT_FALSE(cities::isDaylight(zone, at(2024, 7, 1)));
    }
    // Switching daylight time off keeps the rule bytes for later.
    cities::setDaylightRule(city, std::nullopt);
    EXPECT_EQ(city.usesDaylight, 0);
    EXPECT_EQ(city.daylightStartDay, 0x40);
}

TEST(CityRecord, PositionsReadAndWriteAsDegreesAndMinutes)
{
    EXPECT_TRUE(cities::parseAngle("90:00N", true));
    EXPECT_FALSE(cities::parseAngle("90:01N", true));
    EXPECT_TRUE(cities::parseAngle("180:00E", false));
    EXPECT_FALSE(cities::parseAngle("181:00W", false));
    EXPECT_FALSE(cities::parseAngle("52:60N", true));
    EXPECT_FALSE(cities::parseAngle("52:31E", true));
    EXPECT_FALSE(cities::parseAngle("abc", true));
    const auto angle = cities::parseAngle("33:52s", true);
    ASSERT_TRUE(angle);
    EXPECT_EQ(angle->degrees, 33);
    EXPECT_EQ(angle->minutes, 52);
    EXPECT_FALSE(angle->positive);

    const CityRecord city = testing_support::placedCity(52, 31, 'N', 3, 4, 'W');
    EXPECT_EQ(cities::latitudeText(city), "52:31N");
    EXPECT_EQ(cities::longitudeText(city), "3:04W");
    EXPECT_NEAR(cities::longitudeOf(city), -(3 + 4 / 60.0), 1e-9);
}

TEST(WorldTime, RuleDaysResolveInTheirYear)
{
    EXPECT_EQ(cities::transitionDay(2024, 3, 0, 2), 10);
    EXPECT_EQ(cities::transitionDay(2024, 11, 0, 1), 3);
    EXPECT_EQ(cities::transitionDay(2024, 3, 0, 5), 31);
    EXPECT_EQ(cities::transitionDay(2023, 10, 0, 5), 29);
    EXPECT_EQ(cities::dayOfWeek(2026, 12, 8), 2);
    EXPECT_EQ(cities::daysInMonth(2024, 2), 29);
}

TEST(WorldTime, DaylightTimeIncludesBothEndsOfTheRule)
{
    const auto zone = cities::zoneOfCity(withRule(u"Berlin", 60, kEurope));
    // 2024: 31 March to 27 October, changing at 00:00 local standard time (23:00 UTC before).
    EXPECT_FALSE(cities::isDaylight(zone, at(2024, 3, 30, 22, 59, 59)));
    EXPECT_TRUE(cities::isDaylight(zone, at(2024, 3, 30, 23, 0, 0)));
    EXPECT_TRUE(cities::isDaylight(zone, at(2024, 10, 26, 23, 0, 0)));
    EXPECT_FALSE(cities::isDaylight(zone, at(2024, 10, 26, 23, 0, 1)));
    EXPECT_TRUE(cities::isDaylight(zone, at(2024, 7, 15, 12)));
    EXPECT_FALSE(cities::isDaylight(zone, at(2024, 1, 15, 12)));

    const auto south = cities::zoneOfCity(withRule(u"Sydney", 600, kSouth));
    EXPECT_TRUE(cities::isDaylight(south, at(2024, 1, 15)));
    EXPECT_FALSE(cities::isDaylight(south, at(2024, 6, 15)));

    CityRecord plain { };
    plain.offsetMinutes = 540;
    EXPECT_FALSE(cities::isDaylight(cities::zoneOfCity(plain), at(2024, 7, 15)));
    EXPECT_EQ(cities::currentOffsetMinutes(plain, ticksAt(2024, 7, 15)), 540);
}

TEST(WorldTime, LocalAndUniversalTimeConvertBothWays)
{
    const CityRecord berlin = withRule(u"Berlin", 60, kEurope);
    const SYSTEMTIME summer = cities::cityLocalTime(berlin, ticksAt(2024, 7, 15, 12));
    EXPECT_EQ(summer.wHour, 14);
    EXPECT_EQ(cities::cityLocalTime(berlin, ticksAt(2024, 1, 15, 12)).wHour, 13);
    EXPECT_EQ(cities::universalOfCityLocal(berlin, at(2024, 7, 15, 14)), ticksAt(2024, 7, 15, 12));
    EXPECT_EQ(cities::universalOfCityLocal(berlin, at(2024, 1, 15, 13)), ticksAt(2024, 1, 15, 12));
    bool daylight = false;
    EXPECT_EQ(cities::universalOfWorldCityLocal(berlin, ticksAt(2024, 7, 15, 14), &daylight), ticksAt(2024, 7, 15, 12));
    EXPECT_TRUE(daylight);

    CityRecord caracas { };
    caracas.offsetMinutes = -240;
    const SYSTEMTIME evening = cities::cityLocalTime(caracas, ticksAt(2024, 1, 1, 2));
    EXPECT_EQ(evening.wDay, 31);
    EXPECT_EQ(evening.wMonth, 12);
    EXPECT_EQ(evening.wYear, 2023);
    EXPECT_EQ(evening.wHour, 22);
}

TEST(WorldTime, OffsetLabelsShowHoursAndMinutes)
{
    CityRecord city { };
    cities::setCityName(city, u"Somewhere");
    const auto label = [&](int offset) {
        city.offsetMinutes = std::int16_t(offset);
        return cities::offsetLabel(city);
    };
    EXPECT_EQ(label(60), u"Somewhere (GMT +1:00)");
    EXPECT_EQ(label(0), u"Somewhere (GMT 0:00)");
    EXPECT_EQ(label(-210), u"Somewhere (GMT -3:30)");
    EXPECT_EQ(label(330), u"Somewhere (GMT +5:30)");
    EXPECT_EQ(label(-30), u"Somewhere (GMT -0:30)");
    EXPECT_EQ(label(30), u"Somewhere (GMT +0:30)");
    EXPECT_EQ(cities::editorOffsetText(330), u"(GMT +05:30)");
    EXPECT_EQ(cities::editorOffsetText(-545), u"(GMT -09:05)");
    EXPECT_EQ(cities::editorOffsetText(0), u"(GMT 00:00)");
}

TEST(WorldTime, ZonesDifferByBiasOrRuleAndTheHomeCheckAlsoByHour)
{
    const auto berlin = cities::zoneOfCity(withRule(u"Berlin", 60, kEurope), true);
    auto other = berlin;
    EXPECT_FALSE(cities::zoneDiffers(berlin, other));
    EXPECT_FALSE(cities::homeLocationDiffers(berlin, other));
    other.DaylightDate.wHour = 1; // the hour matters to the start-up check only
    EXPECT_FALSE(cities::zoneDiffers(berlin, other));
    EXPECT_TRUE(cities::homeLocationDiffers(berlin, other));
    other = berlin;
    other.DaylightDate.wDay = 4;
    EXPECT_TRUE(cities::zoneDiffers(berlin, other));
    other = berlin;
    other.Bias = 0;
    EXPECT_TRUE(cities::zoneDiffers(berlin, other));
    CityRecord tokyo { };
    tokyo.offsetMinutes = 540;
    EXPECT_TRUE(cities::zoneDiffers(berlin, cities::zoneOfCity(tokyo)));
    EXPECT_FALSE(cities::zoneDiffers(cities::zoneOfCity(tokyo), cities::zoneOfCity(tokyo)));
}

namespace {

class ApplyZoneTest : public testing_support::DeviceTest {
protected:
    ApplyZoneTest()
    {
        std::filesystem::create_directories(m_device.root() / "Program Files" / "Tickwell Pro" / "data");
        const std::array<CityRecord, 2> europe { withRule(u"Berlin", 60, kEurope), withRule(u"London", 0, kEurope, 1, 2) };
        CityRecord tokyo { };
        cities::setCityName(tokyo, u"Tokyo");
        tokyo.offsetMinutes = 540;
        for (int continent = 0; continent < cities::kContinentCount; ++continent) {
            std::vector<std::byte> bytes;
            const auto add = [&](const CityRecord& city) {
                bytes.resize(bytes.size() + sizeof city);
                cities::cityToBytes(city, bytes.data() + bytes.size() - sizeof city);
            };
            if (continent == 3)
                for (const auto& city : europe)
                    add(city);
            else
                add(tokyo);
            EXPECT_TRUE(platform::replaceFile(
                u"\\Program Files\\Tickwell Pro\\" + std::u16string(cities::kContinentFiles[std::size_t(continent)]),
                bytes));
        }
    }
};

} // namespace

TEST_F(ApplyZoneTest, ACityZoneBecomesTheDevicesOnceAndTheUniversalTimeGoesOn)
{
    auto database = cities::CityDatabase::load(u"\\Program Files\\Tickwell Pro\\", { 1, 0 });
    ASSERT_TRUE(database.available());
    int prepared = 0;
    cities::ApplyOptions options;
    options.keepUniversalTime = true;
    options.prepare = [&] { ++prepared; };
    const std::uint64_t before = cities::universalTicksNow();
    EXPECT_TRUE(cities::applyCityZone(database, { 3, 0 }, options));
    EXPECT_EQ(prepared, 1);
    TIME_ZONE_INFORMATION device { };
    (void)GetTimeZoneInformation(&device);
    EXPECT_EQ(device.Bias, -60);
    EXPECT_EQ(device.DaylightBias, -60);
    EXPECT_EQ(device.DaylightDate.wMonth, 3);
    EXPECT_EQ(device.DaylightDate.wHour, 2);
    EXPECT_EQ(device.StandardDate.wHour, 3);
    EXPECT_FALSE(cities::homeLocationDiffers(device, cities::zoneOfCity(*database.record(3, 0), true)));
    EXPECT_EQ(database.slot(cities::CityDatabase::kWorldSlot), (cities::CityRef { 3, 0 }));
    const std::uint64_t after = cities::universalTicksNow();
    EXPECT_GE(after, before);
    EXPECT_LT(after - before, 60ull * 10'000'000ull);

    // The same zone again changes nothing; the city still becomes the current one.
    EXPECT_FALSE(cities::applyCityZone(database, { cities::kAllCities, 0 }));
    EXPECT_EQ(database.slot(cities::CityDatabase::kWorldSlot), (cities::CityRef { 3, 0 }));
    // London differs by its bias.
    EXPECT_TRUE(cities::applyCityZone(database, { 3, 1 }));
    (void)GetTimeZoneInformation(&device);
    EXPECT_EQ(device.Bias, 0);
    EXPECT_FALSE(cities::applyCityZone(database, { 3, 7 }));
}

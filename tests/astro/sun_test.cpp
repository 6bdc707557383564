// Sunrise and sunset against published times (to within two minutes), and the days on which
// the Sun does not rise or set, or twilight does not end.

#include "astro/sun.h"
#include "cities/city_record.h"
#include "cities/world_time.h"
#include "tests/support/city_helpers.h"

#include <gtest/gtest.h>

namespace {

astro::SunQuery place(
    int latitude, int latitudeMinutes, bool south, int longitude, int longitudeMinutes, bool west)
{
    astro::SunQuery query;
    query.latitudeDegrees = latitude;
    query.latitudeMinutes = latitudeMinutes;
    query.south = south;
    query.longitudeDegrees = longitude;
    query.longitudeMinutes = longitudeMinutes;
    query.west = west;
    return query;
}

astro::SunTimes sunOn(
    astro::SunQuery query, double offsetHours, int year, int month, int day, int eventIndex = 0)
{
    query.zoneOffsetHours = offsetHours;
    query.zenithDistance = astro::zenithDistanceOf(eventIndex).value();
    query.year = year;
    query.month = month;
    query.day = day;
    return astro::sunTimes(query);
}

constexpr int minutes(int hour, int minute)
{
    return hour * 60 + minute;
}

const astro::SunQuery kLondon = place(51, 30, false, 0, 7, true);
const astro::SunQuery kSydney = place(33, 52, true, 151, 12, false);

} // namespace

TEST(SunTimes, RiseAndSetMatchPublishedTimesWithinTwoMinutes)
{
    struct Case {
        astro::SunQuery where;
        double offset;
        int year, month, day;
        int rise, set;
    };
    const Case cases[] {
        { kLondon, 1, 2024, 6, 21, minutes(4, 43), minutes(21, 21) }, // summer time
        { kLondon, 0, 2024, 12, 21, minutes(8, 4), minutes(15, 53) },
        { kLondon, 0, 2024, 3, 20, minutes(6, 3), minutes(18, 15) },
        { kSydney, 10, 2024, 6, 21, minutes(7, 0), minutes(16, 54) }, // southern winter
        { kSydney, 11, 2024, 12, 21, minutes(5, 41), minutes(20, 5) }, // southern summer time
        { kLondon, 0, 1990, 1, 1, minutes(8, 6), minutes(16, 2) }, // before 2000
    };
    for (const Case& c : cases) {
        const astro::SunTimes times = sunOn(c.where, c.offset, c.year, c.month, c.day);
        EXPECT_NEAR(times.riseMinutes, c.rise, 2) << c.year << '-' << c.month << '-' << c.day;
        EXPECT_NEAR(times.setMinutes, c.set, 2) << c.year << '-' << c.month << '-' << c.day;
    }
}

TEST(SunTimes, PolarDayPolarNightAndEndlessTwilightGiveNoEvents)
{
    const astro::SunQuery north70 = place(70, 0, false, 25, 0, false);
    for (const int day : { 20, 25, 30 }) {
        const astro::SunTimes midsummer = sunOn(north70, 2, 2024, 6, day);
        EXPECT_EQ(midsummer.riseMinutes, astro::kNoSunEvent);
        EXPECT_EQ(midsummer.setMinutes, astro::kNoSunEvent);
    }
    const astro::SunTimes midwinter = sunOn(north70, 1, 2024, 12, 21);
    EXPECT_EQ(midwinter.riseMinutes, astro::kNoSunEvent);
    EXPECT_EQ(midwinter.setMinutes, astro::kNoSunEvent);

    // At 55° in mid-June the Sun stays less than 18° below the horizon all night.
    const astro::SunQuery north55 = place(55, 0, false, 12, 0, false);
    const astro::SunTimes astronomical = sunOn(north55, 2, 2024, 6, 15, 3);
    EXPECT_EQ(astronomical.riseMinutes, astro::kNoSunEvent);
    EXPECT_EQ(astronomical.setMinutes, astro::kNoSunEvent);
    // Civil twilight there still begins and ends, outside sunrise and sunset.
    const astro::SunTimes civil = sunOn(north55, 2, 2024, 6, 15, 1);
    const astro::SunTimes plain = sunOn(north55, 2, 2024, 6, 15, 0);
    ASSERT_NE(civil.riseMinutes, astro::kNoSunEvent);
    EXPECT_LT(civil.riseMinutes, plain.riseMinutes - 30);
    EXPECT_GT(civil.setMinutes, plain.setMinutes + 30);

    // Only the event types of the list have a zenith distance.
    EXPECT_FALSE(astro::zenithDistanceOf(4).has_value());
    EXPECT_FALSE(astro::zenithDistanceOf(-1).has_value());
}

TEST(SunTimes, AtTheEquatorDayAndNightAreAboutTwelveHoursAllYear)
{
    const astro::SunQuery equator = place(0, 0, false, 0, 0, false);
    for (int month = 1; month <= 12; ++month) {
        const astro::SunTimes times = sunOn(equator, 0, 2025, month, 15);
        ASSERT_NE(times.riseMinutes, astro::kNoSunEvent);
        // Twelve hours, and the few minutes refraction and the Sun's disc add.
        EXPECT_NEAR(times.setMinutes - times.riseMinutes, 12 * 60 + 7, 4) << month;
        // Noon at the prime meridian is within the equation of time of 12:00.
        EXPECT_NEAR((times.setMinutes + times.riseMinutes) / 2, 12 * 60, 17) << month;
    }
}

TEST(SunTimes, ACityRecordGivesItsPlaceAndItsZoneOffset)
{
    cities::CityRecord berlin = testing_support::placedCity(52, 31, 'N', 13, 24, 'E');
    berlin.offsetMinutes = 60;
    cities::setDaylightRule(berlin, cities::DaylightRule { { 3, 0, 5 }, { 10, 0, 5 } });

    astro::SunQuery query = astro::sunQueryForCity(berlin);
    EXPECT_FALSE(query.south);
    EXPECT_FALSE(query.west);
    EXPECT_EQ(query.latitudeMinutes, 31);

    SYSTEMTIME july {};
    july.wYear = 2024;
    july.wMonth = 7;
    july.wDay = 1;
    july.wHour = 12;
    EXPECT_DOUBLE_EQ(astro::cityZoneOffsetHours(berlin, july), 2.0);
    SYSTEMTIME january = july;
    january.wMonth = 1;
    EXPECT_DOUBLE_EQ(astro::cityZoneOffsetHours(berlin, january), 1.0);

    // Berlin, 2024 July 1: sunrise 04:48, sunset 21:32 summer time.
    query.zoneOffsetHours = astro::cityZoneOffsetHours(berlin, july);
    query.year = 2024;
    query.month = 7;
    query.day = 1;
    const astro::SunTimes times = astro::sunTimes(query);
    EXPECT_NEAR(times.riseMinutes, minutes(4, 48), 2);
    EXPECT_NEAR(times.setMinutes, minutes(21, 32), 2);

    cities::CityRecord southWest = berlin;
    southWest.north = 0;
    southWest.east = 0;
    EXPECT_TRUE(astro::sunQueryForCity(southWest).south);
    EXPECT_TRUE(astro::sunQueryForCity(southWest).west);
}

// The World Time map: where cities lie on it, the night side for a universal time, and the
// two markers.

#include "cities/view/world_map.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using cities::drawDayAndNight;
using cities::drawMapMarker;
using cities::mapPosition;
using cities::MapMarker;

constexpr QSize kMap(240, 120);
constexpr QRgb kDay = qRgb(255, 255, 255);
constexpr QRgb kNight = qRgb(0, 0, 0);

SYSTEMTIME utc(int year, int month, int day, int hour, int minute)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), 0, 0 };
}

QImage plain(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage shaded(const SYSTEMTIME& universal, QSize size = kMap)
{
    QImage target;
    drawDayAndNight(target, plain(size, kDay), plain(size, kNight), &universal);
    return target;
}

// The column of a longitude and the row of a latitude on the test map.
int columnOf(double longitude) { return mapPosition(0, longitude, kMap).x(); }
int rowOf(double latitude) { return mapPosition(latitude, 0, kMap).y(); }

cities::CityRecord cityAt(int latDegrees, int latMinutes, bool north, int lonDegrees, int lonMinutes, bool east)
{
    cities::CityRecord city {};
    city.latitudeDegrees = std::uint16_t(latDegrees);
    city.latitudeMinutes = std::uint16_t(latMinutes);
    city.north = north ? 1 : 0;
    city.longitudeDegrees = std::uint16_t(lonDegrees);
    city.longitudeMinutes = std::uint16_t(lonMinutes);
    city.east = east ? 1 : 0;
    return city;
}

TEST(MapPosition, EquatorAndPrimeMeridianLieInTheMiddleAndHemispheresMirror)
{
    EXPECT_EQ(mapPosition(0, 0, kMap), QPoint(120, 60));
    EXPECT_EQ(mapPosition(0, 0, QSize(480, 240)), QPoint(240, 120));
    // As far north as south, as far east as west: the same distance from the middle.
    const QPoint north = mapPosition(45, 90, kMap);
    const QPoint south = mapPosition(-45, -90, kMap);
    EXPECT_EQ(north, QPoint(180, 30));
    EXPECT_EQ(south, QPoint(60, 90));
    // The edges of the world stay on the picture.
    EXPECT_EQ(mapPosition(90, 180, kMap), QPoint(239, 0));
    EXPECT_EQ(mapPosition(-90, -180, kMap), QPoint(0, 119));
}

TEST(MapPosition, CitiesLandOnTheirPixelsWithTheirMinutes)
{
    // Berlin 52:31N 13:25E, New York 40:43N 74:00W, Sydney 33:52S 151:12E.
    EXPECT_EQ(mapPosition(cityAt(52, 31, true, 13, 25, true), kMap), QPoint(128, 24));
    EXPECT_EQ(mapPosition(cityAt(40, 43, true, 74, 0, false), kMap), QPoint(70, 32));
    EXPECT_EQ(mapPosition(cityAt(33, 52, false, 151, 12, true), kMap), QPoint(220, 82));
    // Minutes count: 0:59 west is left of the prime meridian's column on a large map.
    EXPECT_LT(mapPosition(cityAt(0, 0, true, 0, 59, false), QSize(720, 360)).x(), 360);
}

TEST(DayAndNight, JuneSolsticeNoonLightsTheNorthPoleAndDarkensTheSouth)
{
    const QImage map = shaded(utc(2026, 6, 21, 12, 0));
    ASSERT_EQ(map.size(), kMap);
    for (int column = 0; column < kMap.width(); column += 8) {
        EXPECT_EQ(map.pixel(column, rowOf(80)), kDay) << "column " << column;
        EXPECT_EQ(map.pixel(column, rowOf(-80)), kNight) << "column " << column;
    }
    // Noon on the prime meridian, midnight on the date line, at the equator.
    EXPECT_EQ(map.pixel(columnOf(0), rowOf(0)), kDay);
    EXPECT_EQ(map.pixel(columnOf(-179), rowOf(0)), kNight);
    // The day side reaches to 66.5 degrees south; on the night side the midnight Sun
    // shines north of 66.5 degrees north only.
    EXPECT_EQ(map.pixel(columnOf(0), rowOf(-60)), kDay);
    EXPECT_EQ(map.pixel(columnOf(-179), rowOf(70)), kDay);
    EXPECT_EQ(map.pixel(columnOf(-179), rowOf(60)), kNight);
}

TEST(DayAndNight, DecemberMidnightTurnsThePolesAroundAndFollowsTheHour)
{
    const QImage map = shaded(utc(2026, 12, 21, 0, 0));
    for (int column = 0; column < kMap.width(); column += 8) {
        EXPECT_EQ(map.pixel(column, rowOf(80)), kNight) << "column " << column;
        EXPECT_EQ(map.pixel(column, rowOf(-80)), kDay) << "column " << column;
    }
    // At 00:00 universal time the Sun stands over the date line.
    EXPECT_EQ(map.pixel(columnOf(179), rowOf(0)), kDay);
    EXPECT_EQ(map.pixel(columnOf(0), rowOf(0)), kNight);
    // Six hours later it is over 90 degrees east.
    const QImage morning = shaded(utc(2026, 12, 21, 6, 0));
    EXPECT_EQ(morning.pixel(columnOf(90), rowOf(0)), kDay);
    EXPECT_EQ(morning.pixel(columnOf(-90), rowOf(0)), kNight);
}

TEST(DayAndNight, MarchEquinoxSplitsTheWorldFromPoleToPole)
{
    // 21 March is day 80: the Sun is on the equator and the terminator runs north-south.
    const SYSTEMTIME equinox = utc(2026, 3, 21, 12, 0);
    const auto line = cities::nightLine(equinox, kMap.width(), kMap.height());
    ASSERT_EQ(line.rows.size(), std::size_t(kMap.width()));
    const QImage map = shaded(equinox);
    for (const int latitude : { 70, 0, -70 }) {
        EXPECT_EQ(map.pixel(columnOf(0), rowOf(latitude)), kDay) << latitude;
        EXPECT_EQ(map.pixel(columnOf(60), rowOf(latitude)), kDay) << latitude;
        EXPECT_EQ(map.pixel(columnOf(-150), rowOf(latitude)), kNight) << latitude;
        EXPECT_EQ(map.pixel(columnOf(150), rowOf(latitude)), kNight) << latitude;
    }
}

TEST(DayAndNight, WithoutTimeOrWithAMismatchedNightTheDayIsCopiedAlone)
{
    const QImage day = plain(kMap, qRgb(10, 200, 30));
    QImage target;
    drawDayAndNight(target, day, plain(kMap, kNight), nullptr);
    EXPECT_EQ(target.size(), kMap);
    EXPECT_EQ(target.pixel(5, 115), day.pixel(5, 115));
    const SYSTEMTIME now = utc(2026, 6, 21, 12, 0);
    drawDayAndNight(target, day, plain(QSize(10, 10), kNight), &now);
    EXPECT_EQ(target.pixel(5, 115), day.pixel(5, 115));
}

TEST(MapMarkers, SquaresOfThreeInTheirColoursClippedAtTheEdge)
{
    QImage map = plain(kMap, kDay);
    drawMapMarker(map, QPoint(50, 40), MapMarker::First);
    drawMapMarker(map, QPoint(150, 80), MapMarker::Second);
    EXPECT_EQ(map.pixel(50, 40), cities::kFirstMarkerCentre);
    EXPECT_EQ(map.pixel(150, 80), cities::kSecondMarkerCentre);
    for (const QPoint step : { QPoint(-1, -1), QPoint(1, -1), QPoint(-1, 1), QPoint(1, 1), QPoint(0, 1) }) {
        EXPECT_EQ(map.pixel(QPoint(50, 40) + step), cities::kFirstMarkerEdge);
        EXPECT_EQ(map.pixel(QPoint(150, 80) + step), cities::kSecondMarkerEdge);
    }
    // Nothing beyond the 3 x 3 square.
    EXPECT_EQ(map.pixel(52, 40), kDay);
    EXPECT_EQ(map.pixel(50, 38), kDay);
    // A city on the edge keeps the part of its marker that is on the map.
    drawMapMarker(map, QPoint(0, 119), MapMarker::First);
    EXPECT_EQ(map.pixel(0, 119), cities::kFirstMarkerCentre);
    EXPECT_EQ(map.pixel(1, 118), cities::kFirstMarkerEdge);
    // Twice as large on large screens: 6 x 6 around the pixel, the centre 2 x 2.
    QImage large = plain(QSize(480, 240), kDay);
    drawMapMarker(large, QPoint(100, 100), MapMarker::Second, 2);
    EXPECT_EQ(large.pixel(99, 99), cities::kSecondMarkerCentre);
    EXPECT_EQ(large.pixel(100, 100), cities::kSecondMarkerCentre);
    EXPECT_EQ(large.pixel(97, 97), cities::kSecondMarkerEdge);
    EXPECT_EQ(large.pixel(102, 102), cities::kSecondMarkerEdge);
    EXPECT_EQ(large.pixel(103, 103), kDay);
}

} // namespace

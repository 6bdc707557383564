#pragma once
// The World Time view's map (`STMap`): where a city lies on it, the day-and-night picture
// for a universal time, and the markers of the two chosen cities. Plain functions over
// QImage so that tests and benchmarks reach them without a window.
//
// The maps are equirectangular: longitude -180 at the left edge, +90 latitude at the top,
// the prime meridian in the middle column and the equator in the middle of the height.

#include "cities/city_record.h"
#include "platform/types.h"

#include <QRgb>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <vector>

namespace cities {

// The pixel of a `map`-sized picture on which the place at `latitude` (north positive) and
// `longitude` (east positive) lies, in signed degrees, kept inside the picture. The equator
// and the prime meridian give (width / 2, height / 2).
[[nodiscard]] QPoint mapPosition(double latitude, double longitude, QSize map);
[[nodiscard]] QPoint mapPosition(const CityRecord& city, QSize map);

// Where night begins in each column of a `width` x `height` map at universal time
// `universal`: night lies where (row - rows[column]) * sign > 0, that is below rows[column]
// while the north has the long days (sign 1), above it otherwise (sign -1). The Sun's
// declination comes from the day of the year (leap days not counted) and its hour angle
// from the hour and minute.
struct NightLine {
    std::vector<int> rows;
    int sign = 1;
};
[[nodiscard]] NightLine nightLine(const SYSTEMTIME& universal, int width, int height);

// Copies `day` into `target` and, when `universal` is given, the night parts of `night` over
// it. `target` takes the size of `day`; `night` must have that size (else no shading).
void drawDayAndNight(QImage& target, const QImage& day, const QImage& night, const SYSTEMTIME* universal);

enum class MapMarker {
    First,  // light red with a red centre
    Second, // light blue with a blue centre
};
inline constexpr QRgb kFirstMarkerEdge = qRgb(255, 192, 192);
inline constexpr QRgb kFirstMarkerCentre = qRgb(255, 64, 64);
inline constexpr QRgb kSecondMarkerEdge = qRgb(192, 192, 255);
inline constexpr QRgb kSecondMarkerCentre = qRgb(64, 64, 255);

// A 3 x 3 square (each pixel `scale` x `scale`) around `at`, clipped to the picture.
void drawMapMarker(QImage& target, QPoint at, MapMarker marker, int scale = 1);

} // namespace cities

#include "cities/view/world_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace cities {

namespace {

// Days of a common year before each month.
constexpr std::array<int, 12> kDaysBefore { 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334 };
// tan 23.45 degrees: the Earth's tilt.
constexpr float kTanTilt = 0.43377513f;
// The March equinox as a day number: the Sun crosses the equator.
constexpr int kEquinoxDay = 80;

} // namespace

QPoint mapPosition(double latitude, double longitude, QSize map)
{
    // The pixel that holds the point: symmetric about the middle, so that places as far
    // north as others are south lie as far above the equator as those lie below it.
    const int x = int(std::floor(map.width() / 2.0 + longitude * map.width() / 360.0));
    const int y = int(std::floor(map.height() / 2.0 - latitude * map.height() / 180.0));
    return { std::clamp(x, 0, std::max(0, map.width() - 1)), std::clamp(y, 0, std::max(0, map.height() - 1)) };
}

QPoint mapPosition(const CityRecord& city, QSize map)
{
    return mapPosition(latitudeOf(city), longitudeOf(city), map);
}

NightLine nightLine(const SYSTEMTIME& universal, int width, int height)
{
    NightLine line;
    if (width <= 0 || height <= 0)
        return line;
    const int month = std::clamp(int(universal.wMonth), 1, 12);
    const int dayNumber = kDaysBefore[std::size_t(month - 1)] + universal.wDay;
    constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
    float season = float(dayNumber - kEquinoxDay) * kTwoPi / 365.0f;
    // At the equinox the terminator runs from pole to pole: its slope (1 / tan of the
    // declination) is huge but finite, and the picture still has its two halves.
    if (season == 0.0f)
        season = 0.001f;
    const double slope = 1.0 / (double(kTanTilt) * std::sin(double(season)));
    const double hourAngle = (universal.wHour * 60 + universal.wMinute) * 2.0 * std::numbers::pi / 1440.0;
    line.sign = slope < 0 ? -1 : 1;
    line.rows.resize(std::size_t(width));
    const double half = height / 2.0;
    const double rowsPerRadian = height / std::numbers::pi;
    for (int column = 0; column < width; ++column) {
        const double across = std::cos(column * 2.0 * std::numbers::pi / width + hourAngle);
        line.rows[std::size_t(column)] = int(half + std::atan(across * slope) * rowsPerRadian);
    }
    return line;
}

void drawDayAndNight(QImage& target, const QImage& day, const QImage& night, const SYSTEMTIME* universal)
{
    target = day.convertToFormat(QImage::Format_RGB32);
    if (!universal || night.size() != day.size() || target.isNull())
        return;
    const QImage nightPixels = night.format() == QImage::Format_RGB32 ? night : night.convertToFormat(QImage::Format_RGB32);
    const int width = target.width();
    const int height = target.height();
    const NightLine line = nightLine(*universal, width, height);
    for (int row = 0; row < height; ++row) {
        auto* to = reinterpret_cast<QRgb*>(target.scanLine(row));
        const auto* from = reinterpret_cast<const QRgb*>(nightPixels.constScanLine(row));
        // One copy per run of night pixels in the row.
        int column = 0;
        while (column < width) {
            while (column < width && (row - line.rows[std::size_t(column)]) * line.sign <= 0)
                ++column;
            const int start = column;
            while (column < width && (row - line.rows[std::size_t(column)]) * line.sign > 0)
                ++column;
            if (column > start)
                std::memcpy(to + start, from + start, std::size_t(column - start) * sizeof(QRgb));
        }
    }
}

void drawMapMarker(QImage& target, QPoint at, MapMarker marker, int scale)
{
    scale = std::max(1, scale);
    const QRgb edge = marker == MapMarker::First ? kFirstMarkerEdge : kSecondMarkerEdge;
    const QRgb centre = marker == MapMarker::First ? kFirstMarkerCentre : kSecondMarkerCentre;
    const int offset = scale / 2;
    for (int cellY = -1; cellY <= 1; ++cellY) {
        for (int cellX = -1; cellX <= 1; ++cellX) {
            const QRgb colour = cellX == 0 && cellY == 0 ? centre : edge;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const int x = at.x() + cellX * scale + dx - offset;
                    const int y = at.y() + cellY * scale + dy - offset;
                    if (target.valid(x, y))
                        target.setPixel(x, y, colour);
                }
            }
        }
    }
}

} // namespace cities

#include "astro/sun.h"

#include "astro/julian.h"
#include "cities/world_time.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"

#include <algorithm>
#include <cmath>

namespace astro {

namespace {

// The Sun's hour angle advances this much per hour of clock time (sidereal rate), radians.
constexpr double kSiderealPerHour = 15 * kRadiansPerDegree * 1.0027379;
constexpr int kLastMinuteOfDay = 24 * 60 - 1;

double fraction(double value)
{
    return value - std::floor(value);
}

int signOf(double value)
{
    return (value > 0) - (value < 0);
}

// Sinnott's Julian day count of a date at 0h, with its half day split off as he does:
// returns the whole part; the fraction is always 0.5.
double sinnottDayNumber(int year, int month, int day)
{
    constexpr double g = 1; // Gregorian calendar
    double j = -std::floor(7 * (std::floor((month + 9) / 12.0) + year) / 4);
    const double s = signOf(month - 9);
    const double a = std::abs(month - 9);
    double j3 = std::floor(year + s * std::floor(a / 7));
    j3 = -std::floor((std::floor(j3 / 100) + 1) * 3 / 4);
    j = j + std::floor(275 * month / 9.0) + day + g * j3 + 1721027 + 2 * g + 367.0 * year;
    return j - 1; // F = −0.5 becomes F = 0.5 and one day less
}

} // namespace

std::optional<double> zenithDistanceOf(int eventIndex)
{
    switch (eventIndex) {
    case 0:
        return 90.833;
    case 1:
        return 96.0;
    case 2:
        return 102.0;
    case 3:
        return 108.0;
    default:
        return std::nullopt;
    }
}

SunQuery sunQueryForCity(const cities::CityRecord& city)
{
    SunQuery query;
    query.latitudeDegrees = city.latitudeDegrees;
    query.latitudeMinutes = city.latitudeMinutes;
    query.south = city.north == 0;
    query.longitudeDegrees = city.longitudeDegrees;
    query.longitudeMinutes = city.longitudeMinutes;
    query.west = city.east == 0;
    return query;
}

SunPosition lowPrecisionSun(double days, double centuriesPlusOne)
{
    const double tt = centuriesPlusOne;
    const double l = fraction(0.779072 + 0.00273790931 * days) * kTwoPi;
    const double g = fraction(0.993126 + 0.0027377785 * days) * kTwoPi;
    const double v = 0.39785 * std::sin(l) - 0.01000 * std::sin(l - g) + 0.00333 * std::sin(l + g)
        - 0.00021 * tt * std::sin(l);
    const double u = 1 - 0.03349 * std::cos(g) - 0.00014 * std::cos(2 * l) + 0.00008 * std::cos(l);
    const double w = -0.00010 - 0.04129 * std::sin(2 * l) + 0.03211 * std::sin(g)
        + 0.00104 * std::sin(2 * l - g) - 0.00035 * std::sin(2 * l + g)
        - 0.00008 * tt * std::sin(g);

    SunPosition position;
    double s = w / std::sqrt(u - v * v);
    position.rightAscension = l + std::atan(s / std::sqrt(1 - s * s));
    s = v / std::sqrt(u);
    position.declination = std::atan(s / std::sqrt(1 - s * s));
    return position;
}

SunTimes sunTimes(const SunQuery& query)
{
    double latitude = query.latitudeDegrees + query.latitudeMinutes / 60.0;
    if (query.south)
        latitude = -latitude;
    double longitude = query.longitudeDegrees + query.longitudeMinutes / 60.0;
    if (query.west)
        longitude = -longitude;
    const double longitudeTurns = longitude / 360;
    const double zoneDays = -query.zoneOffsetHours / 24;

    double t = sinnottDayNumber(query.year, query.month, query.day) - 2451545 + 0.5;
    const double tt = t / 36525 + 1;

    // Local sidereal time at local midnight.
    const double siderealSeconds
        = 24110.5 + 8640184.813 * t / 36525 + 86636.6 * zoneDays + 86400 * longitudeTurns;
    const double t0 = fraction(siderealSeconds / 86400) * kTwoPi;

    t += zoneDays;
    const SunPosition start = lowPrecisionSun(t, tt);
    const SunPosition end = lowPrecisionSun(t + 1, tt);
    const double a1 = start.rightAscension;
    const double d1 = start.declination;
    double a2 = end.rightAscension;
    const double d2 = end.declination;
    if (a2 < a1)
        a2 += kTwoPi;

    const double z = std::cos(query.zenithDistance * kRadiansPerDegree);
    const double sinLatitude = std::sin(latitude * kRadiansPerDegree);
    const double cosLatitude = std::cos(latitude * kRadiansPerDegree);
    const auto altitudeTest = [&](double declination, double hourAngle) {
        return sinLatitude * std::sin(declination)
            + cosLatitude * std::cos(declination) * std::cos(hourAngle) - z;
    };

    SunTimes times;
    bool found = false;
    double a0 = a1;
    double d0 = d1;
    double v0 = altitudeTest(d0, t0 - a0);
    for (int hour = 0; hour < 24; ++hour) {
        const double p = (hour + 1) / 24.0;
        const double aNext = a1 + p * (a2 - a1);
        const double dNext = d1 + p * (d2 - d1);
        const double l0 = t0 + hour * kSiderealPerHour;
        const double l2 = l0 + kSiderealPerHour;
        const double h0 = l0 - a0;
        const double h2 = l2 - aNext;
        const double h1 = (h0 + h2) / 2;
        const double dMiddle = (d0 + dNext) / 2;
        const double v2 = altitudeTest(dNext, h2);

        if (signOf(v0) != signOf(v2)) {
            const double v1 = altitudeTest(dMiddle, h1);
            const double a = 2 * v2 - 4 * v1 + 2 * v0;
            const double b = 4 * v1 - 3 * v0 - v2;
            double discriminant = b * b - 4 * a * v0;
            if (discriminant >= 0) {
                discriminant = std::sqrt(discriminant);
                double e = 0;
                if (std::abs(a) < 1e-12) {
                    // A straight line through the three points: its one root.
                    e = b != 0 ? -v0 / b : 0.0;
                } else {
                    e = (-b + discriminant) / (2 * a);
                    if (e > 1 || e < 0)
                        e = (-b - discriminant) / (2 * a);
                }
                // The sign changed within this hour, so the crossing lies in it.
                e = std::clamp(e, 0.0, 1.0);
                const double eventHours = hour + e + 1.0 / 120;
                const int wholeHours = int(std::floor(eventHours));
                const int minutes = int(std::floor((eventHours - wholeHours) * 60));
                // Rounding to the minute can carry 23:59.6 into 24:00: the day's last minute.
                const int minuteOfDay = std::min(wholeHours * 60 + minutes, kLastMinuteOfDay);
                if (v0 < 0 && v2 > 0) {
                    times.riseMinutes = minuteOfDay;
                    found = true;
                }
                if (v0 > 0 && v2 < 0) {
                    times.setMinutes = minuteOfDay;
                    found = true;
                }
            }
        }
        a0 = aNext;
        d0 = dNext;
        v0 = v2;
    }
    if (!found)
        return {};
    return times;
}

double cityZoneOffsetHours(const cities::CityRecord& city, const SYSTEMTIME& cityLocal)
{
    SYSTEMTIME plain = cityLocal;
    plain.wDayOfWeek = 0;
    const auto localTicks = platform::ticksOfSystemTime(plain);
    if (!localTicks)
        return city.offsetMinutes / 60.0;
    const std::uint64_t universalTicks = cities::universalOfCityLocal(city, plain);
    const double minutes
        = (double(*localTicks) - double(universalTicks)) / double(platform::kTicksPerMinute);
    return std::round(minutes) / 60;
}

double deviceZoneOffsetHours()
{
    const std::uint64_t universal = platform::deviceUniversalTicks();
    const FILETIME universalFileTime = fileTimeOf(universal);
    FILETIME localFileTime {};
    if (!FileTimeToLocalFileTime(&universalFileTime, &localFileTime))
        return 0;
    const double ticks = double(std::int64_t(ticksOf(localFileTime) - universal));
    return std::round(ticks / double(platform::kTicksPerMinute)) / 60;
}

} // namespace astro

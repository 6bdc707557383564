#include "astro/julian.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"

#include <cmath>
#include <cstdint>

namespace astro {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

} // namespace

double julianDay(int year, int month, int day, int hour, int minute, double second)
{
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    const double a = std::floor(year / 100.0);
    const double b = 2 - a + std::floor(a / 4);
    return std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) + day + b - 1524.5
        + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

double julianDay(const SYSTEMTIME& time)
{
    return julianDay(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
        time.wSecond + time.wMilliseconds / 1000.0);
}

CalendarMoment calendarOfJulianDay(double julianDay)
{
    if (!std::isfinite(julianDay))
        return {};
    const double shifted = julianDay + 0.5;
    double whole = std::floor(shifted);
    std::int64_t milliseconds = std::llround((shifted - whole) * double(kMillisecondsPerDay));
    if (milliseconds >= kMillisecondsPerDay) {
        // Rounding carried the moment into the next day.
        whole += 1;
        milliseconds -= kMillisecondsPerDay;
    }
    const double z = whole;
    double a = z;
    if (z >= 2299161) {
        const double alpha = std::floor((z - 1867216.25) / 36524.25);
        a = z + 1 + alpha - std::floor(alpha / 4);
    }
    const double b = a + 1524;
    const double c = std::floor((b - 122.1) / 365.25);
    const double d = std::floor(365.25 * c);
    const double e = std::floor((b - d) / 30.6001);

    CalendarMoment moment;
    moment.day = int(b - d - std::floor(30.6001 * e));
    moment.month = e < 14 ? int(e) - 1 : int(e) - 13;
    moment.year = moment.month > 2 ? int(c) - 4716 : int(c) - 4715;
    moment.hour = int(milliseconds / 3'600'000);
    moment.minute = int(milliseconds / 60'000 % 60);
    moment.second = int(milliseconds / 1000 % 60);
    moment.millisecond = int(milliseconds % 1000);
    return moment;
}

std::optional<SYSTEMTIME> systemTimeOfJulianDay(double julianDay)
{
    if (!std::isfinite(julianDay))
        return std::nullopt;
    const CalendarMoment moment = calendarOfJulianDay(julianDay);
    if (moment.year < 1601 || moment.year > 30827)
        return std::nullopt;
    SYSTEMTIME time {};
    time.wYear = WORD(moment.year);
    time.wMonth = WORD(moment.month);
    time.wDay = WORD(moment.day);
    time.wHour = WORD(moment.hour);
    time.wMinute = WORD(moment.minute);
    time.wSecond = WORD(moment.second);
    time.wMilliseconds = WORD(moment.millisecond);
    // A round trip through ticks fills in the day of the week and proves the fields valid.
    const auto ticks = platform::ticksOfSystemTime(time);
    if (!ticks)
        return std::nullopt;
    return platform::systemTimeOfTicks(*ticks);
}

std::optional<SYSTEMTIME> deviceLocalTimeOfJulianDay(double julianDay)
{
    const auto universal = systemTimeOfJulianDay(julianDay);
    if (!universal)
        return std::nullopt;
    return deviceLocalTimeOfUniversal(*universal);
}

std::optional<SYSTEMTIME> deviceLocalTimeOfUniversal(const SYSTEMTIME& universal)
{
    FILETIME universalFileTime {};
    FILETIME localFileTime {};
    SYSTEMTIME local {};
    if (!SystemTimeToFileTime(&universal, &universalFileTime)
        || !FileTimeToLocalFileTime(&universalFileTime, &localFileTime)
        || !FileTimeToSystemTime(&localFileTime, &local))
        return std::nullopt;
    return local;
}

double normalizeAngle(double radians)
{
    double angle = std::fmod(radians, kTwoPi);
    if (angle < 0)
        angle += kTwoPi;
    // fmod of a tiny negative value plus 2π can round to 2π itself.
    return angle >= kTwoPi ? 0.0 : angle;
}

double normalizeDegrees(double degrees)
{
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0)
        angle += 360.0;
    return angle >= 360.0 ? 0.0 : angle;
}

DecimalYear decimalYear(const SYSTEMTIME& universal)
{
    DecimalYear result;
    result.julianDay = julianDay(universal);
    result.year
        = universal.wYear + (result.julianDay - julianDay(universal.wYear, 1, 1) - 1) / 365.25;
    return result;
}

} // namespace astro

#pragma once
// Julian days: the continuous day count the astronomy of this folder runs on, and the
// calendar either way. Dates are Gregorian throughout (the moon and sun views never reach
// back before 1582); a Julian day starts at noon, so 2000-01-01 00:00 is 2451544.5.
//
// No correction between dynamical and universal time is made anywhere: an instant the
// series give (a JDE) is shown as if it were universal time.

#include "platform/types.h"

#include <optional>

namespace astro {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2 * kPi;
inline constexpr double kRadiansPerDegree = kPi / 180;

// The Julian day of a Gregorian date and time of day; `second` may carry a fraction.
[[nodiscard]] double julianDay(
    int year, int month, int day, int hour = 0, int minute = 0, double second = 0);
// The same for a SYSTEMTIME, milliseconds included (wDayOfWeek is ignored).
[[nodiscard]] double julianDay(const SYSTEMTIME& time);

// A calendar moment. The fields below the minute exist for tests and conversions; the
// displays show hours and minutes only, truncated.
struct CalendarMoment {
    int year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};
// The calendar moment of a Julian day. The day fraction is first rounded to the nearest
// millisecond, so that a day count that lands a hair below a whole minute (12:00 held as
// 11:59:59.99999) still shows that minute; below the millisecond everything is truncated.
// A day count that is not a number gives the default moment.
[[nodiscard]] CalendarMoment calendarOfJulianDay(double julianDay);
// The same as a SYSTEMTIME (day of the week filled in); nullopt before 1601 or past 30827,
// which a SYSTEMTIME cannot hold.
[[nodiscard]] std::optional<SYSTEMTIME> systemTimeOfJulianDay(double julianDay);
// An instant taken as universal time and shown on the device's local clock (through the
// device's zone); nullopt where the conversion fails.
[[nodiscard]] std::optional<SYSTEMTIME> deviceLocalTimeOfJulianDay(double julianDay);
// A universal time shown on the device's local clock; nullopt where the conversion fails.
[[nodiscard]] std::optional<SYSTEMTIME> deviceLocalTimeOfUniversal(const SYSTEMTIME& universal);

// An angle in radians brought into [0, 2π).
[[nodiscard]] double normalizeAngle(double radians);
// An angle in degrees brought into [0, 360).
[[nodiscard]] double normalizeDegrees(double degrees);

// The moment of a computation as a decimal year, and its Julian day:
// year + (JD − JD of 1 January 00:00 − 1) / 365.25. The series use it only to find the
// phase and apsis numbers near the moment.
struct DecimalYear {
    double year = 0;
    double julianDay = 0;
};
[[nodiscard]] DecimalYear decimalYear(const SYSTEMTIME& universal);

} // namespace astro

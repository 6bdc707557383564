#include "platform/calendar.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::int64_t kTicksPerMillisecond = 10'000;
constexpr std::int64_t kDays1601To1970 = 134774;

// Days since 1601-01-01 of a proleptic Gregorian date (after H. Hinnant's days_from_civil).
std::int64_t daysSince1601(int year, int month, int day) noexcept
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + kDays1601To1970;
}

struct CivilDate {
    int year;
    int month;
    int day;
};

CivilDate civilOfDays(std::int64_t days1601) noexcept
{
    const std::int64_t z = days1601 - kDays1601To1970 + 719468; // days since 0000-03-01
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const int year = int(yearOfEra + era * 400 + (month <= 2));
    return { year, month, day };
}

bool validTransition(const SYSTEMTIME& date) noexcept
{
    if (date.wMonth == 0)
        return true;
    if (date.wMonth > 12 || date.wHour > 23 || date.wMinute > 59 || date.wSecond > 59
        || date.wMilliseconds > 999)
        return false;
    if (date.wYear == 0)
        return date.wDay >= 1 && date.wDay <= 5 && date.wDayOfWeek <= 6;
    return date.wDay >= 1 && date.wDay <= daysInMonth(date.wYear, date.wMonth);
}

// The zone conversions work on moments: ticks plus kHeadroom, in unsigned arithmetic. A zone's
// shift near either end of the range, or a transition after 30828-09-14, lies outside
// 0..kMaxFileTimeTicks and beyond what int64 holds; a moment still holds it exactly and
// orders it correctly, where signed ticks would overflow.
constexpr std::uint64_t kHeadroom = std::uint64_t(1) << 60;

std::uint64_t momentOfTicks(std::uint64_t ticks) noexcept
{
    return ticks + kHeadroom;
}

bool momentInRange(std::uint64_t moment) noexcept
{
    return moment >= kHeadroom && moment - kHeadroom <= kMaxFileTimeTicks;
}

// The amount to subtract from a universal moment to get local time (and add to go back).
// Unsigned arithmetic is modulo 2^64, so adding or subtracting it works for either sign.
std::uint64_t shiftOf(LONG biasMinutes, LONG extraMinutes) noexcept
{
    return std::uint64_t((std::int64_t(biasMinutes) + extraMinutes) * kTicksPerMinute);
}

// The local moment of a transition in `year`.
std::uint64_t transitionMoment(const SYSTEMTIME& date, int year) noexcept
{
    int day = date.wDay;
    int onYear = year;
    if (date.wYear == 0)
        day = transitionDay(year, date.wMonth, date.wDayOfWeek, date.wDay);
    else
        onYear = date.wYear;
    const std::int64_t withinDay
        = ((date.wHour * 60 + date.wMinute) * 60 + date.wSecond) * kTicksPerSecond
        + date.wMilliseconds * kTicksPerMillisecond;
    return std::uint64_t(daysSince1601(onYear, date.wMonth, day)) * kTicksPerDay
        + std::uint64_t(withinDay) + kHeadroom;
}

// The year of a moment. Moments a zone's shift puts past the end of the range are still in
// its last year.
int yearOfMoment(std::uint64_t moment) noexcept
{
    const auto ticks = std::int64_t(std::min(moment, momentOfTicks(kMaxFileTimeTicks)) - kHeadroom);
    return civilOfDays((ticks >= 0 ? ticks : ticks - kTicksPerDay + 1) / kTicksPerDay).year;
}

} // namespace

bool isLeapYear(int year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) noexcept
{
    static constexpr int kDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int dayOfWeek(int year, int month, int day) noexcept
{
    // 1601-01-01 was a Monday.
    const std::int64_t days = daysSince1601(year, month, day);
    return int(((days % 7) + 7 + 1) % 7);
}

int transitionDay(int year, int month, int weekday, int occurrence) noexcept
{
    if (occurrence >= 5) {
        const int last = daysInMonth(year, month);
        const int lastWeekday = dayOfWeek(year, month, last);
        return last - ((lastWeekday - weekday + 7) % 7);
    }
    const int firstWeekday = dayOfWeek(year, month, 1);
    return 1 + (weekday - firstWeekday + 7) % 7 + 7 * (occurrence - 1);
}

std::optional<std::uint64_t> ticksOfSystemTime(const SYSTEMTIME& t) noexcept
{
    if (t.wYear < 1601 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1
        || t.wDay > daysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59
        || t.wSecond > 59 || t.wMilliseconds > 999)
        return std::nullopt;
    // A WORD year goes up to 65535, far past the last tick: a signed tick count would
    // overflow (and wrap back into range for the years 60057 on), so check the day first
    // and add in unsigned arithmetic, which cannot overflow once the day is in range.
    const std::int64_t days = daysSince1601(t.wYear, t.wMonth, t.wDay);
    if (days > std::int64_t(kMaxFileTimeTicks / kTicksPerDay))
        return std::nullopt;
    const std::uint64_t ticks = std::uint64_t(days) * kTicksPerDay
        + std::uint64_t(((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * kTicksPerSecond
            + t.wMilliseconds * kTicksPerMillisecond);
    if (ticks > kMaxFileTimeTicks)
        return std::nullopt;
    return ticks;
}

std::optional<SYSTEMTIME> systemTimeOfTicks(std::uint64_t ticks) noexcept
{
    if (ticks > kMaxFileTimeTicks)
        return std::nullopt;
    const auto days = std::int64_t(ticks / kTicksPerDay);
    const auto withinDay = std::int64_t(ticks % kTicksPerDay);
    const CivilDate date = civilOfDays(days);
    SYSTEMTIME t { };
    t.wYear = WORD(date.year);
    t.wMonth = WORD(date.month);
    t.wDay = WORD(date.day);
    t.wDayOfWeek = WORD((days + 1) % 7);
    t.wHour = WORD(withinDay / (3600 * kTicksPerSecond));
    t.wMinute = WORD(withinDay / kTicksPerMinute % 60);
    t.wSecond = WORD(withinDay / kTicksPerSecond % 60);
    t.wMilliseconds = WORD(withinDay / kTicksPerMillisecond % 1000);
    return t;
}

bool hasDaylightRule(const TIME_ZONE_INFORMATION& zone) noexcept
{
    return zone.StandardDate.wMonth != 0 && zone.DaylightDate.wMonth != 0;
}

bool isValidZone(const TIME_ZONE_INFORMATION& zone) noexcept
{
    constexpr LONG kDay = 24 * 60;
    auto within = [](LONG minutes) { return minutes > -kDay && minutes < kDay; };
    return within(zone.Bias) && within(zone.StandardBias) && within(zone.DaylightBias)
        && validTransition(zone.StandardDate) && validTransition(zone.DaylightDate)
        && (zone.StandardDate.wMonth == 0) == (zone.DaylightDate.wMonth == 0);
}

std::optional<ZonedTime> universalToLocal(const TIME_ZONE_INFORMATION& zone, std::uint64_t utcTicks) noexcept
{
    if (utcTicks > kMaxFileTimeTicks)
        return std::nullopt;
    const std::uint64_t utc = momentOfTicks(utcTicks);
    const std::uint64_t standardShift = shiftOf(zone.Bias, zone.StandardBias);
    const std::uint64_t daylightShift = shiftOf(zone.Bias, zone.DaylightBias);
    bool daylight = false;
    if (hasDaylightRule(zone)) {
        const int year = yearOfMoment(utc - standardShift);
        const std::uint64_t start = transitionMoment(zone.DaylightDate, year) + standardShift;
        const std::uint64_t end = transitionMoment(zone.StandardDate, year) + daylightShift;
        daylight = start < end ? (utc >= start && utc < end) : (utc >= start || utc < end);
    }
    const std::uint64_t local = utc - (daylight ? daylightShift : standardShift);
    if (!momentInRange(local))
        return std::nullopt;
    return ZonedTime { local - kHeadroom, daylight };
}

std::optional<ZonedTime> localToUniversal(const TIME_ZONE_INFORMATION& zone, std::uint64_t localTicks) noexcept
{
    if (localTicks > kMaxFileTimeTicks)
        return std::nullopt;
    const std::uint64_t local = momentOfTicks(localTicks);
    const std::uint64_t standardShift = shiftOf(zone.Bias, zone.StandardBias);
    const std::uint64_t daylightShift = shiftOf(zone.Bias, zone.DaylightBias);
    bool daylight = false;
    if (hasDaylightRule(zone)) {
        const int year = yearOfMoment(local);
        // The clock shows daylight time from the start plus the skipped interval until the
        // standard start, both as the clock reads them.
        const std::int64_t skipped
            = (std::int64_t(zone.StandardBias) - zone.DaylightBias) * kTicksPerMinute;
        const std::uint64_t start
            = transitionMoment(zone.DaylightDate, year) + std::uint64_t(skipped > 0 ? skipped : 0);
        const std::uint64_t end = transitionMoment(zone.StandardDate, year);
        daylight = start < end ? (local >= start && local < end) : (local >= start || local < end);
    }
    const std::uint64_t utc = local + (daylight ? daylightShift : standardShift);
    if (!momentInRange(utc))
        return std::nullopt;
    return ZonedTime { utc - kHeadroom, daylight };
}

std::optional<LocalTicks> localTicksOf(const SYSTEMTIME& localTime) noexcept
{
    const auto ticks = ticksOfSystemTime(localTime);
    return ticks ? std::optional(LocalTicks(*ticks)) : std::nullopt;
}

std::optional<UniversalTicks> universalTicksOf(const SYSTEMTIME& universalTime) noexcept
{
    const auto ticks = ticksOfSystemTime(universalTime);
    return ticks ? std::optional(UniversalTicks(*ticks)) : std::nullopt;
}

std::optional<LocalTicks> toLocal(const TIME_ZONE_INFORMATION& zone, UniversalTicks moment) noexcept
{
    const auto local = universalToLocal(zone, moment.count());
    return local ? std::optional(LocalTicks(local->ticks)) : std::nullopt;
}

std::optional<UniversalTicks> toUniversal(const TIME_ZONE_INFORMATION& zone, LocalTicks moment) noexcept
{
    const auto utc = localToUniversal(zone, moment.count());
    return utc ? std::optional(UniversalTicks(utc->ticks)) : std::nullopt;
}

} // namespace platform

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime)
{
    if (!systemTime || !fileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto ticks = platform::ticksOfSystemTime(*systemTime);
    if (!ticks) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *fileTime = fileTimeOf(*ticks);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime)
{
    if (!fileTime || !systemTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto time = platform::systemTimeOfTicks(ticksOf(*fileTime));
    if (!time) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *systemTime = *time;
    return TRUE;
}

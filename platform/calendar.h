#pragma once
// Calendar arithmetic and time-zone rules of the handheld platform, as pure functions.
//
// Ticks are FILETIME values as one number: 100-ns units since 1601-01-01 00:00, valid up to
// 0x7fffffffffffffff (30828-09-14 02:48:05.4775807). Whether ticks are universal or local
// is said by each name.

#include "platform/ticks.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>

namespace platform {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;
inline constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::int64_t kTicksPerDay = 24 * 60 * kTicksPerMinute;
inline constexpr std::uint64_t kMaxFileTimeTicks = 0x7fffffffffffffffull;
// 1970-01-01 in ticks since 1601-01-01.
inline constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;

[[nodiscard]] bool isLeapYear(int year) noexcept;
[[nodiscard]] int daysInMonth(int year, int month) noexcept;
// 0 = Sunday.
[[nodiscard]] int dayOfWeek(int year, int month, int day) noexcept;

// The day of month of a day-in-month rule: the n-th `weekday` of the month for occurrence
// 1..4, the last one for 5.
[[nodiscard]] int transitionDay(int year, int month, int weekday, int occurrence) noexcept;

[[nodiscard]] std::optional<std::uint64_t> ticksOfSystemTime(const SYSTEMTIME& time) noexcept;
[[nodiscard]] std::optional<SYSTEMTIME> systemTimeOfTicks(std::uint64_t ticks) noexcept;

// The same with the clock said: a local SYSTEMTIME gives LocalTicks, a universal one
// UniversalTicks.
[[nodiscard]] std::optional<LocalTicks> localTicksOf(const SYSTEMTIME& localTime) noexcept;
[[nodiscard]] std::optional<UniversalTicks> universalTicksOf(const SYSTEMTIME& universalTime) noexcept;
template <typename Clock> [[nodiscard]] std::optional<SYSTEMTIME> systemTimeOf(Ticks<Clock> moment) noexcept
{
    return systemTimeOfTicks(moment.count());
}

[[nodiscard]] bool hasDaylightRule(const TIME_ZONE_INFORMATION& zone) noexcept;
// A zone's fields are usable: months 0..12, occurrences 1..5, weekdays 0..6, hours 0..23,
// biases within a day.
[[nodiscard]] bool isValidZone(const TIME_ZONE_INFORMATION& zone) noexcept;

struct ZonedTime {
    std::uint64_t ticks;
    bool daylight;
};

// Universal to local. Daylight time runs from the daylight start, given in local standard
// time, inclusive, to the standard start, given in local daylight time, exclusive.
[[nodiscard]] std::optional<ZonedTime> universalToLocal(
    const TIME_ZONE_INFORMATION& zone, std::uint64_t utcTicks) noexcept;

// Local to universal. A local time that the change to daylight time skips is read as
// standard time, so it names the moment the clock shows an hour later (an alarm set in the
// gap rings right after the change, not before it). A local time that occurs twice when
// daylight time ends is read as daylight time: the first of the two moments.
[[nodiscard]] std::optional<ZonedTime> localToUniversal(
    const TIME_ZONE_INFORMATION& zone, std::uint64_t localTicks) noexcept;

// The typed forms of the two conversions, for callers that need only the moment.
[[nodiscard]] std::optional<LocalTicks> toLocal(const TIME_ZONE_INFORMATION& zone, UniversalTicks moment) noexcept;
[[nodiscard]] std::optional<UniversalTicks> toUniversal(const TIME_ZONE_INFORMATION& zone, LocalTicks moment) noexcept;

} // namespace platform

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
// Fills wDayOfWeek. Fails for values past 0x7fffffffffffffff.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);

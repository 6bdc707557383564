#pragma once
// World time: a city's zone as the platform describes zones, whether daylight time is on,
// a city's local time and universal time either way, the labels that show a city's
// offset, and a city's zone given to the device.
//
// For its own computations the program changes a city's clocks at 00:00 local standard
// time of the rule's days; the device gets the hours the city record carries.

#include "cities/city_database.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace cities {

inline constexpr std::uint64_t kTicksPerMinute = 600'000'000;

// 0 Sunday .. 6 Saturday for a date of the Gregorian calendar.
[[nodiscard]] int dayOfWeek(int year, int month, int day);
[[nodiscard]] int daysInMonth(int year, int month);
// The day of `month` that is the `occurrence`-th (1-4, 5 the last) `weekday` of it.
[[nodiscard]] int transitionDay(int year, int month, int weekday, int occurrence);

// The zone of a city: bias, and its daylight rule as day-in-month transition dates with
// hour 0, or the record's transition hours when `forDevice`.
[[nodiscard]] TIME_ZONE_INFORMATION zoneOfCity(const CityRecord& city, bool forDevice = false);

// Whether daylight time is on in `zone` at universal time `universal`; both transition
// instants count as daylight.
[[nodiscard]] bool isDaylight(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& universal);
// The same at the device's universal time now.
[[nodiscard]] bool isDaylightNow(const TIME_ZONE_INFORMATION& zone);

// The device's universal time now (its local time through its own zone).
[[nodiscard]] std::uint64_t universalTicksNow();
// A city's local time at universal time `universalTicks` (100 ns since 1601).
[[nodiscard]] SYSTEMTIME cityLocalTime(const CityRecord& city, std::uint64_t universalTicks);
[[nodiscard]] SYSTEMTIME cityLocalTimeNow(const CityRecord& city);
// The universal time of a city's local time; daylight is judged on the local time taken as
// if it were universal time.
[[nodiscard]] std::uint64_t universalOfCityLocal(const CityRecord& city, const SYSTEMTIME& local);
// The universal time of the world-time city's local time: daylight judged on the time the
// offset gives; `daylight` tells whether it applied.
[[nodiscard]] std::uint64_t universalOfWorldCityLocal(
    const CityRecord& world, std::uint64_t localTicks, bool* daylight = nullptr);
// The city's offset from universal time at `universalTicks`, daylight included.
[[nodiscard]] int currentOffsetMinutes(const CityRecord& city, std::uint64_t universalTicks);

// "Berlin (GMT +1:00)", "Caracas (GMT -4:00)", "London (GMT 0:00)", "Tehran (GMT +3:30)".
[[nodiscard]] std::u16string offsetLabel(const CityRecord& city);
// The offset as the city editor's list shows it: "(GMT +05:30)", "(GMT -03:00)", "(GMT 00:00)".
[[nodiscard]] std::u16string editorOffsetText(int offsetMinutes);

// Whether `wanted` differs from the device's zone `current`: another bias, another
// standard month, or (with daylight time) another rule.
[[nodiscard]] bool zoneDiffers(const TIME_ZONE_INFORMATION& current, const TIME_ZONE_INFORMATION& wanted);
// The start-up's home-location check: another bias or daylight bias, or with daylight time
// another month, rule or hour of either transition.
[[nodiscard]] bool homeLocationDiffers(const TIME_ZONE_INFORMATION& current, const TIME_ZONE_INFORMATION& home);

struct ApplyOptions {
    bool keepUniversalTime = false;   // set the universal time back after the zone changed
    bool firstStart = false;          // no setting-change broadcast during the first start
    std::function<void()> prepare;    // called before the device's zone changes
};
// Gives a city's zone to the device when it differs from the device's, as a real time-zone
// change: the device service announces the time change, and the runner registers alarms
// and events anew. Then makes the city the current city (slot 0). Returns whether the
// device's zone changed; false too for a reference that names no city.
bool applyCityZone(CityDatabase& database, CityRef ref, const ApplyOptions& options = { });

} // namespace cities

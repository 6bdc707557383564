#pragma once
// Sunrise and sunset, or the beginning and end of twilight, for a place and a date:
// Sinnott's search (the Sun's altitude tested hour by hour, the crossing found by quadratic
// interpolation) with the Sun's right ascension and declination from the low-precision
// formulae of Van Flandern and Pulkkinen. Good to a minute or two between 1900 and 2100.

#include "platform/types.h"

#include <optional>
#include <string_view>

namespace cities {
struct CityRecord;
}

namespace astro {

// The events of the Sun view's list, in its order.
enum class SunEvent { RiseAndSet = 0, Civil = 1, Nautical = 2, Astronomical = 3 };
// The zenith distance of an event in degrees: 90.833 (refraction and the Sun's radius), 96,
// 102, 108. nullopt for a list index outside 0-3, which computes nothing.
[[nodiscard]] std::optional<double> zenithDistanceOf(int eventIndex);

struct SunQuery {
    int latitudeDegrees = 0; // 0-90
    int latitudeMinutes = 0;
    bool south = false;
    int longitudeDegrees = 0; // 0-180
    int longitudeMinutes = 0;
    bool west = false;
    double zoneOffsetHours = 0; // local minus universal time, east positive
    double zenithDistance = 90.833;
    int year = 2000;
    int month = 1;
    int day = 1;
};
// The place of a city record (its hemisphere bytes give the flags) with the other fields left
// for the caller.
[[nodiscard]] SunQuery sunQueryForCity(const cities::CityRecord& city);

inline constexpr int kNoSunEvent = -1;
struct SunTimes {
    int riseMinutes = kNoSunEvent; // minutes after local midnight (hour × 60 + minute), or −1
    int setMinutes = kNoSunEvent;
};
// The day's rise and set (of the event's zenith distance) in local time. An event that does
// not happen that day is −1; when the Sun stays above or below all day both are −1.
[[nodiscard]] SunTimes sunTimes(const SunQuery& query);

// The Sun's position by the low-precision formulae, at `days` from 2000 January 1.5;
// `centuriesPlusOne` is days / 36525 + 1. Radians; right ascension not reduced.
struct SunPosition {
    double rightAscension = 0;
    double declination = 0;
};
[[nodiscard]] SunPosition lowPrecisionSun(double days, double centuriesPlusOne);

// The zone offset (hours) the Sun view uses for a date the user chose: the date and time
// taken as local time of the current city, converted by the city's rules.
[[nodiscard]] double cityZoneOffsetHours(
    const cities::CityRecord& city, const SYSTEMTIME& cityLocal);
// The device's own offset (local minus universal) now, in hours.
[[nodiscard]] double deviceZoneOffsetHours();

// What the Sun view shows for a missing rise and a missing set.
inline constexpr std::u16string_view kNoRiseText = u"--:--";
inline constexpr std::u16string_view kNoSetText = u"- - - - -";

} // namespace astro

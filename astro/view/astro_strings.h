#pragma once
// English identifiers of the strings of the Moon Phases and Sun rise/set views (ui::text,
// ui::list).

namespace astro {

inline constexpr unsigned kPhaseLabel = 40155; // "Phase:"
inline constexpr unsigned kVisibleLabel = 40165; // "Visible:"
inline constexpr unsigned kAgeLabel = 40175; // "Age:"
inline constexpr unsigned kDistanceLabel = 40185; // "Distance:"
inline constexpr unsigned kApogeeLabel = 40195; // "Apogee:"
inline constexpr unsigned kPerigeeLabel = 40205; // "Perigee:"
inline constexpr unsigned kMoonAtHeading = 40215; // "The Moon at"
inline constexpr unsigned kSunriseLabel = 40225; // "Sunrise:"
inline constexpr unsigned kSunsetLabel = 40235; // "Sunset:"
inline constexpr unsigned kSunEventList = 40965; // "Rise and Set\Civil\Nautical\Astronomical\."

} // namespace astro

#pragma once
// The Moon: the instants of its principal phases, its apogee and perigee, its distance and
// the visible part of its disc at a moment, and the texts and picture of the Moon view.
//
// The phases and the apsides follow Meeus, Astronomical Algorithms (mean phases and mean
// apsides with their full tables of periodic corrections); the position, the distance and
// the visible percentage follow Meeus' position of the Moon for the epoch 1900 January 0.5
// (Astronomical Formulae for Calculators). Everything is double precision; instants are
// Julian ephemeris days (JDE), shown as universal time without a correction (julian.h).
//
// Moments before 2000 have negative phase and apsis numbers. There the numbers are rounded
// down (toward the past) and the kind of a phase is read from k − ⌊k⌋, so that k = −0.25
// is the last quarter of lunation −1, as in the book; the results before 2000 are then the
// same kind of answer as after it: the next four phases from the moment on, and the apsides
// of the anomalistic month the moment falls in.

#include "platform/types.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace cities {
struct CityRecord;
}

namespace astro {

enum class PhaseKind { NewMoon = 0, FirstQuarter = 1, FullMoon = 2, LastQuarter = 3 };

// The kind of phase number k: a whole number is a new moon, +0.25 the first quarter, +0.5
// the full moon, +0.75 the last quarter (k may be negative; see above).
[[nodiscard]] PhaseKind phaseKindOf(double k);
// The instant (JDE) of phase number k, counted from the new moon of 2000 January 6 (k = 0),
// with all periodic and planetary corrections.
[[nodiscard]] double phaseInstant(double k);

struct Phase {
    PhaseKind kind = PhaseKind::NewMoon;
    double instant = 0; // JDE
};
struct PhaseList {
    std::array<Phase, 4> phases {}; // in time order; the first at or after the moment
    double previousNewMoon = 0; // JDE of the new moon before `nextNewMoon` (not after the moment)
    double nextNewMoon = 0; // JDE of the new moon among `phases`
};
// The next four principal phases at or after `julianDay` (a phase exactly at the moment is
// listed first); exactly one of them is a new moon.
[[nodiscard]] PhaseList nextPhases(double julianDay);

struct Apsides {
    double perigee = 0; // JDE
    double perigeeParallax = 0; // arc seconds
    int perigeeDistanceKm = 0; // 6378.14 / sin(parallax), rounded down
    double apogee = 0; // JDE, half an anomalistic month before the perigee
    double apogeeParallax = 0;
    int apogeeDistanceKm = 0;
};
// The perigee numbered int((year − 1999.97) × 13.2555) and the apogee half a cycle before it,
// for a decimal year (julian.h). Either may lie in the past.
[[nodiscard]] Apsides apsides(double decimalYear);
// The instant and parallax of one apsis: a whole `k` is a perigee, k + 0.5 an apogee.
struct Apsis {
    double instant = 0; // JDE
    double parallaxArcsec = 0; // equatorial horizontal parallax
    int distanceKm = 0;
};
[[nodiscard]] Apsis apsisOf(double k);

struct MoonPosition {
    double longitudeDegrees = 0; // geocentric ecliptic, mean equinox of the date, [0, 360)
    double latitudeDegrees = 0;
    double parallaxDegrees = 0; // equatorial horizontal parallax
    int distanceKm = 0; // ⌊6378.14 / sin(parallax) + 0.5⌋
    double phaseAngleDegrees = 0;
    int visiblePercent = 0; // illuminated part of the disc, 0-100
};
// The Moon at a Julian day (taken as universal time).
[[nodiscard]] MoonPosition moonPosition(double julianDay);

// Phase names: the string-table identifiers of the English texts (the views add the
// language index), and the English texts themselves.
inline constexpr int kNewMoonName = 40305;
inline constexpr int kWaxingCrescentName = 40315;
inline constexpr int kWaningCrescentName = 40325;
inline constexpr int kFirstQuarterName = 40335;
inline constexpr int kLastQuarterName = 40345;
inline constexpr int kWaxingGibbousName = 40355;
inline constexpr int kWaningGibbousName = 40365;
inline constexpr int kFullMoonName = 40375;
[[nodiscard]] std::u16string_view englishPhaseName(int nameId);

inline constexpr int kMoonPictureCount = 24;

struct PhaseText {
    std::u16string age; // "12d 5h 7m": whole days, hours and minutes since the new moon
    double ageDays = 0; // never negative
    double lunationFraction = 0; // age / length of the current lunation, 0 up to 1
    int nameId = kNewMoonName;
    int picture = 0; // frame 0-23 of the picture strip, for the northern hemisphere
};
// The phase text of a moment, from the new moons around it and the visible percentage.
[[nodiscard]] PhaseText phaseText(
    double julianDay, double previousNewMoon, double nextNewMoon, int visiblePercent);

// South of the equator the Moon is seen the other way up: picture i (other than 0) becomes
// 24 − i, and the icon of a listed phase shows the mirrored kind (quarters exchanged).
// Whether the Moon is seen from the south: the current city of the city database lies south
// of the equator (no city: the north).
[[nodiscard]] bool seenFromTheSouth(const cities::CityRecord* currentCity);
[[nodiscard]] int hemispherePicture(int picture, bool south);
[[nodiscard]] PhaseKind hemispherePhaseIcon(PhaseKind kind, bool south);

// Everything the Moon view shows for one moment (universal time), computed in one go.
struct MoonReport {
    double julianDay = 0;
    PhaseList phases;
    Apsides apsides;
    MoonPosition position;
    PhaseText text;
};
[[nodiscard]] MoonReport moonReport(const SYSTEMTIME& universal);

} // namespace astro

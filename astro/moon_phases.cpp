// The principal phases of the Moon (Meeus, Astronomical Algorithms: mean phases with the
// periodic corrections for new moon, full moon and the quarters and the fourteen planetary
// corrections), the list of the next four phases, and the Moon view's texts.

#include "astro/moon.h"

#include "astro/julian.h"
#include "cities/city_record.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace astro {

namespace {

// One periodic correction: coefficient × E^ePower × sin(mPrime·M′ + m·M + f·F + omega·Ω).
struct PhaseTerm {
    double coefficient;
    std::int8_t mPrime;
    std::int8_t m;
    std::int8_t f;
    std::int8_t omega;
    std::int8_t ePower;
};

// New moon's own rows; full moon has the same arguments with its own coefficients. The rows
// that follow are the same for both.
constexpr PhaseTerm kNewMoonTerms[] {
    { -0.40720, 1, 0, 0, 0, 0 },
    { 0.17241, 0, 1, 0, 0, 1 },
    { 0.01608, 2, 0, 0, 0, 0 },
    { 0.01039, 0, 0, 2, 0, 0 },
    { 0.00739, 1, -1, 0, 0, 1 },
    { -0.00514, 1, 1, 0, 0, 1 },
    { 0.00208, 0, 2, 0, 0, 2 },
};
constexpr double kFullMoonCoefficients[std::size(kNewMoonTerms)] {
    -0.40614, 0.17302, 0.01614, 0.01043, 0.00734, -0.00515, 0.00209 };

constexpr PhaseTerm kNewAndFullMoonTerms[] {
    { -0.00111, 1, 0, -2, 0, 0 },
    { -0.00057, 1, 0, 2, 0, 0 },
    { 0.00056, 2, 1, 0, 0, 1 },
    { -0.00042, 3, 0, 0, 0, 0 },
    { 0.00042, 0, 1, 2, 0, 1 },
    { 0.00038, 0, 1, -2, 0, 1 },
    { -0.00024, 2, -1, 0, 0, 1 },
    { -0.00017, 0, 0, 0, 1, 0 },
    { -0.00007, 1, 2, 0, 0, 0 },
    { 0.00004, 2, 0, -2, 0, 0 },
    { 0.00004, 0, 3, 0, 0, 0 },
    { 0.00003, 1, 1, -2, 0, 0 },
    { 0.00003, 2, 0, 2, 0, 0 },
    { -0.00003, 1, 1, 2, 0, 0 },
    { 0.00003, 1, -1, 2, 0, 0 },
    { -0.00002, 1, -1, -2, 0, 0 },
    { -0.00002, 3, 1, 0, 0, 0 },
    { 0.00002, 4, 0, 0, 0, 0 },
};

constexpr PhaseTerm kQuarterTerms[] {
    { -0.62801, 1, 0, 0, 0, 0 },
    { 0.17172, 0, 1, 0, 0, 1 },
    { -0.01183, 1, 1, 0, 0, 1 },
    { 0.00862, 2, 0, 0, 0, 0 },
    { 0.00804, 0, 0, 2, 0, 0 },
    { 0.00454, 1, -1, 0, 0, 1 },
    { 0.00204, 0, 2, 0, 0, 2 },
    { -0.00180, 1, 0, -2, 0, 0 },
    { -0.00070, 1, 0, 2, 0, 0 },
    { -0.00040, 3, 0, 0, 0, 0 },
    { -0.00034, 2, -1, 0, 0, 1 },
    { 0.00032, 0, 1, 2, 0, 1 },
    { 0.00032, 0, 1, -2, 0, 1 },
    { -0.00028, 1, 2, 0, 0, 2 },
    { 0.00027, 2, 1, 0, 0, 1 },
    { -0.00017, 0, 0, 0, 1, 0 },
    { -0.00005, 1, -1, -2, 0, 0 },
    { 0.00004, 2, 0, 2, 0, 0 },
    { -0.00004, 1, 1, 2, 0, 0 },
    { 0.00004, 1, -2, 0, 0, 0 },
    { 0.00003, 1, 1, -2, 0, 0 },
    { 0.00003, 0, 3, 0, 0, 0 },
    { 0.00002, 2, 0, -2, 0, 0 },
    { 0.00002, 1, -1, 2, 0, 0 },
    { -0.00002, 3, 1, 0, 0, 0 },
};

// The planetary arguments A1-A14: degrees at k = 0, degrees per lunation, and amplitude in days.
struct PlanetaryTerm {
    double base;
    double perLunation;
    double amplitude;
};
constexpr PlanetaryTerm kPlanetaryTerms[] {
    { 299.77, 0.107408, 0.000325 }, // A1 also has −0.009173 T²
    { 251.88, 0.016321, 0.000165 },
    { 251.83, 26.651886, 0.000164 },
    { 349.42, 36.412478, 0.000126 },
    { 84.66, 18.206239, 0.000110 },
    { 141.74, 53.303771, 0.000062 },
    { 207.14, 2.453732, 0.000060 },
    { 154.84, 7.306860, 0.000056 },
    { 34.52, 27.261239, 0.000047 },
    { 207.19, 0.121824, 0.000042 },
    { 291.34, 1.844379, 0.000040 },
    { 161.72, 24.198154, 0.000037 },
    { 239.56, 25.513099, 0.000035 },
    { 331.55, 3.592518, 0.000023 },
};

// The fundamental arguments of a phase, radians, and the eccentricity factor E.
struct PhaseArguments {
    double e;
    double mPrime;
    double m;
    double f;
    double omega;
};

// One term's value, with `coefficient` in place of the table's.
double termValue(const PhaseTerm& term, double coefficient, const PhaseArguments& a)
{
    const double argument
        = term.mPrime * a.mPrime + term.m * a.m + term.f * a.f + term.omega * a.omega;
    for (int power = 0; power < term.ePower; ++power)
        coefficient *= a.e;
    return coefficient * std::sin(argument);
}

// Adds the terms to `sum`, in table order.
template <std::size_t N>
double sumTerms(const PhaseTerm (&terms)[N], const PhaseArguments& a, double sum = 0)
{
    for (const PhaseTerm& term : terms)
        sum += termValue(term, term.coefficient, a);
    return sum;
}

// The periodic corrections of a new moon or a full moon.
double newOrFullMoonTerms(bool fullMoon, const PhaseArguments& a)
{
    double sum = 0;
    for (std::size_t row = 0; row < std::size(kNewMoonTerms); ++row) {
        const PhaseTerm& term = kNewMoonTerms[row];
        sum += termValue(term, fullMoon ? kFullMoonCoefficients[row] : term.coefficient, a);
    }
    return sumTerms(kNewAndFullMoonTerms, a, sum);
}

// Whole days, hours and minutes of a span of days, as "12d 5h 7m".
std::u16string ageText(double days)
{
    const auto minutes = std::int64_t(std::floor(days * 1440 + 1e-6));
    std::string text = std::to_string(minutes / 1440) + "d " + std::to_string(minutes / 60 % 24)
        + "h " + std::to_string(minutes % 60) + "m";
    return std::u16string(text.begin(), text.end());
}

// The picture band of a percentage: 0 below 10 (or 60), 1 below 20 (70), ... 4 from 40 (90).
int band(int percent, int base)
{
    return std::min(std::max((percent - base) / 10, 0), 4);
}

} // namespace

PhaseKind phaseKindOf(double k)
{
    const double fraction = k - std::floor(k);
    return PhaseKind(int(std::lround(fraction * 4)) % 4);
}

double phaseInstant(double k)
{
    const double t = k / 1236.85;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    double jde
        = 2451550.09765 + 29.530588853 * k + 0.0001337 * t2 - 0.000000150 * t3 + 0.00000000073 * t4;

    const double e = 1 - 0.002516 * t - 0.0000074 * t2;
    const double m = normalizeDegrees(2.5534 + 29.10535669 * k - 0.0000218 * t2 - 0.00000011 * t3)
        * kRadiansPerDegree;
    const double mPrime = normalizeDegrees(201.5643 + 385.81693528 * k + 0.0107438 * t2
                              + 0.00001239 * t3 - 0.000000058 * t4)
        * kRadiansPerDegree;
    const double f = normalizeDegrees(160.7108 + 390.67050274 * k - 0.0016341 * t2 - 0.00000227 * t3
                         + 0.000000011 * t4)
        * kRadiansPerDegree;
    const double omega
        = normalizeDegrees(124.7746 - 1.56375580 * k + 0.0020691 * t2 + 0.00000215 * t3)
        * kRadiansPerDegree;

    const PhaseArguments arguments { e, mPrime, m, f, omega };
    switch (phaseKindOf(k)) {
    case PhaseKind::NewMoon:
    case PhaseKind::FullMoon:
        jde += newOrFullMoonTerms(phaseKindOf(k) == PhaseKind::FullMoon, arguments);
        break;
    case PhaseKind::FirstQuarter:
    case PhaseKind::LastQuarter: {
        jde += sumTerms(kQuarterTerms, arguments);
        const double w = 0.00306 - 0.00038 * e * std::cos(m) + 0.00026 * std::cos(mPrime)
            - 0.00002 * std::cos(mPrime - m) + 0.00002 * std::cos(mPrime + m)
            + 0.00002 * std::cos(2 * f);
        jde += phaseKindOf(k) == PhaseKind::FirstQuarter ? w : -w;
        break;
    }
    }

    for (std::size_t index = 0; index < std::size(kPlanetaryTerms); ++index) {
        const PlanetaryTerm& term = kPlanetaryTerms[index];
        double argument = term.base + term.perLunation * k;
        if (index == 0)
            argument -= 0.009173 * t2;
        jde += term.amplitude * std::sin(normalizeDegrees(argument) * kRadiansPerDegree);
    }
    return jde;
}

PhaseList nextPhases(double julianDay)
{
    // Start half a lunation or more before the moment (4 × 12.3685 quarters a year); rounding
    // down keeps that true before 2000 as well.
    const auto moment = calendarOfJulianDay(julianDay);
    const double year
        = moment.year + (julianDay - astro::julianDay(moment.year, 1, 1) - 1) / 365.25;
    double k = std::floor((year - 2000) * 49.474) * 0.25 - 0.5;

    PhaseList list;
    std::size_t found = 0;
    double previousNumber = 0;
    // Four phases lie within 30 days of the moment, well inside this bound.
    for (int step = 0; found < list.phases.size() && step < 64; ++step, k += 0.25) {
        const double instant = phaseInstant(k);
        if (instant < julianDay)
            continue;
        const PhaseKind kind = phaseKindOf(k);
        list.phases[found++] = { kind, instant };
        if (kind == PhaseKind::NewMoon) {
            list.nextNewMoon = instant;
            previousNumber = std::floor(k + 0.125) - 1;
        }
    }
    list.previousNewMoon = phaseInstant(previousNumber);
    return list;
}

std::u16string_view englishPhaseName(int nameId)
{
    switch (nameId) {
    case kNewMoonName:
        return u"New Moon";
    case kWaxingCrescentName:
        return u"Waxing Crescent";
    case kWaningCrescentName:
        return u"Waning Crescent";
    case kFirstQuarterName:
        return u"First Quarter";
    case kLastQuarterName:
        return u"Last Quarter";
    case kWaxingGibbousName:
        return u"Waxing Gibbous";
    case kWaningGibbousName:
        return u"Waning Gibbous";
    case kFullMoonName:
        return u"Full Moon";
    default:
        return {};
    }
}

PhaseText phaseText(
    double julianDay, double previousNewMoon, double nextNewMoon, int visiblePercent)
{
    PhaseText text;
    text.ageDays = std::max(0.0, julianDay - previousNewMoon);
    text.age = ageText(text.ageDays);
    const double lunation = nextNewMoon - previousNewMoon;
    text.lunationFraction = lunation > 0 ? std::min(text.ageDays / lunation, 1.0) : 0.0;
    const bool waxing = text.lunationFraction < 0.505;

    // Bands of the visible part: below 0.5 %, 49.5 %, 50.5 %, 99.5 %; with whole percentages
    // that is 0, 1-49, 50, 51-99 and 100.
    const int percent = std::min(std::max(visiblePercent, 0), 100);
    if (percent == 0) {
        text.nameId = kNewMoonName;
        text.picture = 0;
    } else if (percent < 50) {
        text.nameId = waxing ? kWaxingCrescentName : kWaningCrescentName;
        text.picture = waxing ? 1 + band(percent, 0) : 23 - band(percent, 0);
    } else if (percent == 50) {
        text.nameId = waxing ? kFirstQuarterName : kLastQuarterName;
        text.picture = waxing ? 6 : 18;
    } else if (percent < 100) {
        text.nameId = waxing ? kWaxingGibbousName : kWaningGibbousName;
        text.picture = waxing ? 7 + band(percent, 50) : 17 - band(percent, 50);
    } else {
        text.nameId = kFullMoonName;
        text.picture = 12;
    }
    return text;
}

bool seenFromTheSouth(const cities::CityRecord* currentCity)
{
    return currentCity && currentCity->north == 0;
}

int hemispherePicture(int picture, bool south)
{
    if (!south || picture == 0)
        return picture;
    return kMoonPictureCount - picture;
}

PhaseKind hemispherePhaseIcon(PhaseKind kind, bool south)
{
    return south ? PhaseKind((4 - int(kind)) % 4) : kind;
}

MoonReport moonReport(const SYSTEMTIME& universal)
{
    MoonReport report;
    const DecimalYear moment = decimalYear(universal);
    report.julianDay = moment.julianDay;
    report.phases = nextPhases(moment.julianDay);
    report.apsides = apsides(moment.year);
    report.position = moonPosition(moment.julianDay);
    report.text = phaseText(moment.julianDay, report.phases.previousNewMoon,
        report.phases.nextNewMoon, report.position.visiblePercent);
    return report;
}

} // namespace astro

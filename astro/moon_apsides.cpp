// Perigee and apogee of the Moon: mean apsides with the full tables of periodic terms for
// their instants and parallaxes (Meeus, Astronomical Algorithms).

#include "astro/moon.h"

#include "astro/julian.h"

#include <cmath>
#include <cstdint>

namespace astro {

namespace {

// coefficient × cos or sin(d·D + m·M + f·F), the coefficient growing by perCentury × T.
struct ApsisTerm {
    std::int8_t d;
    std::int8_t m;
    std::int8_t f;
    double coefficient;
    double perCentury;
};

// Corrections to the instant, days.
constexpr ApsisTerm kPerigeeTimeTerms[] {
    { 2, 0, 0, -1.6769, 0 },
    { 4, 0, 0, 0.4589, 0 },
    { 6, 0, 0, -0.1856, 0 },
    { 8, 0, 0, 0.0883, 0 },
    { 2, -1, 0, -0.0773, 0.00019 },
    { 0, 1, 0, 0.0502, -0.00013 },
    { 10, 0, 0, -0.0460, 0 },
    { 4, -1, 0, 0.0422, -0.00011 },
    { 6, -1, 0, -0.0256, 0 },
    { 12, 0, 0, 0.0253, 0 },
    { 1, 0, 0, 0.0237, 0 },
    { 8, -1, 0, 0.0162, 0 },
    { 14, 0, 0, -0.0145, 0 },
    { 0, 0, 2, 0.0129, 0 },
    { 3, 0, 0, -0.0112, 0 },
    { 10, -1, 0, -0.0104, 0 },
    { 16, 0, 0, 0.0086, 0 },
    { 12, -1, 0, 0.0069, 0 },
    { 5, 0, 0, 0.0066, 0 },
    { 2, 0, 2, -0.0053, 0 },
    { 18, 0, 0, -0.0052, 0 },
    { 14, -1, 0, -0.0046, 0 },
    { 7, 0, 0, -0.0041, 0 },
    { 2, 1, 0, 0.0040, 0 },
    { 20, 0, 0, 0.0032, 0 },
    { 1, 1, 0, -0.0032, 0 },
    { 16, -1, 0, 0.0031, 0 },
    { 4, 1, 0, -0.0029, 0 },
    { 9, 0, 0, 0.0027, 0 },
    { 4, 0, 2, 0.0027, 0 },
    { 2, -2, 0, -0.0027, 0 },
    { 4, -2, 0, 0.0024, 0 },
    { 6, -2, 0, -0.0021, 0 },
    { 22, 0, 0, -0.0021, 0 },
    { 18, -1, 0, -0.0021, 0 },
    { 6, 1, 0, 0.0019, 0 },
    { 11, 0, 0, -0.0018, 0 },
    { 8, 1, 0, -0.0014, 0 },
    { 4, 0, -2, -0.0014, 0 },
    { 6, 0, 2, -0.0014, 0 },
    { 3, 1, 0, 0.0014, 0 },
    { 5, 1, 0, -0.0014, 0 },
    { 13, 0, 0, 0.0013, 0 },
    { 20, -1, 0, 0.0013, 0 },
    { 3, 2, 0, 0.0011, 0 },
    { 4, -2, 2, -0.0011, 0 },
    { 1, 2, 0, -0.0010, 0 },
    { 22, -1, 0, -0.0009, 0 },
    { 0, 0, 4, -0.0008, 0 },
    { 6, 0, -2, 0.0008, 0 },
    { 2, 1, -2, 0.0008, 0 },
    { 0, 2, 0, 0.0007, 0 },
    { 0, -1, 2, 0.0007, 0 },
    { 2, 0, 4, 0.0007, 0 },
    { 0, -2, 2, -0.0006, 0 },
    { 2, 2, -2, -0.0006, 0 },
    { 24, 0, 0, 0.0006, 0 },
    { 4, 0, -4, 0.0005, 0 },
    { 2, 2, 0, 0.0005, 0 },
    { 1, -1, 0, -0.0004, 0 },
};

constexpr ApsisTerm kApogeeTimeTerms[] {
    { 2, 0, 0, 0.4392, 0 },
    { 4, 0, 0, 0.0684, 0 },
    { 0, 1, 0, 0.0456, -0.00011 },
    { 2, -1, 0, 0.0426, -0.00011 },
    { 0, 0, 2, 0.0212, 0 },
    { 1, 0, 0, -0.0189, 0 },
    { 6, 0, 0, 0.0144, 0 },
    { 4, -1, 0, 0.0113, 0 },
    { 2, 0, 2, 0.0047, 0 },
    { 1, 1, 0, 0.0036, 0 },
    { 8, 0, 0, 0.0035, 0 },
    { 6, -1, 0, 0.0034, 0 },
    { 2, 0, -2, -0.0034, 0 },
    { 2, -2, 0, 0.0022, 0 },
    { 3, 0, 0, -0.0017, 0 },
    { 4, 0, 2, 0.0013, 0 },
    { 8, -1, 0, 0.0011, 0 },
    { 4, -2, 0, 0.0010, 0 },
    { 10, 0, 0, 0.0009, 0 },
    { 3, 1, 0, 0.0007, 0 },
    { 0, 2, 0, 0.0006, 0 },
    { 2, 1, 0, 0.0005, 0 },
    { 2, 2, 0, 0.0005, 0 },
    { 6, 0, 2, 0.0004, 0 },
    { 6, -2, 0, 0.0004, 0 },
    { 10, -1, 0, 0.0004, 0 },
    { 5, 0, 0, -0.0004, 0 },
    { 4, 0, -2, -0.0004, 0 },
    { 0, 1, 2, 0.0003, 0 },
    { 12, 0, 0, 0.0003, 0 },
    { 2, -1, 2, 0.0003, 0 },
    { 1, -1, 0, -0.0003, 0 },
};

// Parallax terms, arc seconds, after the constant.
constexpr double kPerigeeParallaxConstant = 3629.215;
constexpr ApsisTerm kPerigeeParallaxTerms[] {
    { 2, 0, 0, 63.224, 0 },
    { 4, 0, 0, -6.990, 0 },
    { 2, -1, 0, 2.834, -0.0071 },
    { 6, 0, 0, 1.927, 0 },
    { 1, 0, 0, -1.263, 0 },
    { 8, 0, 0, -0.702, 0 },
    { 0, 1, 0, 0.696, -0.0017 },
    { 0, 0, 2, -0.690, 0 },
    { 4, -1, 0, -0.629, 0.0016 },
    { 2, 0, -2, -0.392, 0 },
    { 10, 0, 0, 0.297, 0 },
    { 6, -1, 0, 0.260, 0 },
    { 3, 0, 0, 0.201, 0 },
    { 2, 1, 0, -0.161, 0 },
    { 1, 1, 0, 0.157, 0 },
    { 12, 0, 0, -0.138, 0 },
    { 8, -1, 0, -0.127, 0 },
    { 2, 0, 2, 0.104, 0 },
    { 2, -2, 0, 0.104, 0 },
    { 5, 0, 0, -0.079, 0 },
    { 14, 0, 0, 0.068, 0 },
    { 10, -1, 0, 0.067, 0 },
    { 4, 1, 0, 0.054, 0 },
    { 12, -1, 0, -0.038, 0 },
    { 4, -2, 0, -0.038, 0 },
    { 7, 0, 0, 0.037, 0 },
    { 4, 0, 2, -0.037, 0 },
    { 16, 0, 0, -0.035, 0 },
    { 3, 1, 0, -0.030, 0 },
    { 1, -1, 0, 0.029, 0 },
    { 6, 1, 0, -0.025, 0 },
    { 0, 2, 0, 0.023, 0 },
    { 14, -1, 0, 0.023, 0 },
    { 2, 2, 0, -0.023, 0 },
    { 6, -2, 0, 0.022, 0 },
    { 2, -1, -2, -0.021, 0 },
    { 9, 0, 0, -0.020, 0 },
    { 18, 0, 0, 0.019, 0 },
    { 6, 0, 2, 0.017, 0 },
    { 0, -1, 2, 0.014, 0 },
    { 16, -1, 0, -0.014, 0 },
    { 4, 0, -2, 0.013, 0 },
    { 8, 1, 0, 0.012, 0 },
    { 11, 0, 0, 0.011, 0 },
    { 5, 1, 0, 0.010, 0 },
    { 20, 0, 0, -0.010, 0 },
};

constexpr double kApogeeParallaxConstant = 3245.251;
constexpr ApsisTerm kApogeeParallaxTerms[] {
    { 2, 0, 0, -9.147, 0 },
    { 1, 0, 0, -0.841, 0 },
    { 0, 0, 2, 0.697, 0 },
    { 0, 1, 0, -0.656, 0.0016 },
    { 4, 0, 0, 0.355, 0 },
    { 2, -1, 0, 0.159, 0 },
    { 1, 1, 0, 0.127, 0 },
    { 4, -1, 0, 0.065, 0 },
    { 6, 0, 0, 0.052, 0 },
    { 2, 1, 0, 0.043, 0 },
    { 2, 0, 2, 0.031, 0 },
    { 2, 0, -2, -0.023, 0 },
    { 2, -2, 0, 0.022, 0 },
    { 2, 2, 0, 0.019, 0 },
    { 0, 2, 0, -0.016, 0 },
    { 6, -1, 0, 0.014, 0 },
    { 8, 0, 0, 0.010, 0 },
};

constexpr double kEarthRadiusKm = 6378.14;
constexpr double kRadiansPerArcsec = kRadiansPerDegree / 3600;

template <std::size_t N, typename Wave>
double sumTerms(const ApsisTerm (&terms)[N], double t, double d, double m, double f, Wave wave)
{
    double sum = 0;
    for (const ApsisTerm& term : terms)
        sum += (term.coefficient + term.perCentury * t)
            * wave(term.d * d + term.m * m + term.f * f);
    return sum;
}

} // namespace

Apsis apsisOf(double k)
{
    const double t = k / 1325.55;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    const double mean
        = 2451534.6698 + 27.55454988 * k - 0.0006886 * t2 - 0.000001098 * t3 + 0.0000000052 * t4;
    const double d = normalizeDegrees(171.9179 + 335.9106046 * k - 0.010025 * t2 - 0.00001156 * t3
                         + 0.000000055 * t4)
        * kRadiansPerDegree;
    const double m = normalizeDegrees(347.3477 + 27.1577721 * k - 0.0008323 * t2 - 0.000001 * t3)
        * kRadiansPerDegree;
    const double f = normalizeDegrees(316.6109 + 364.5287911 * k - 0.0125131 * t2 - 0.0000148 * t3)
        * kRadiansPerDegree;

    const auto sine = [](double x) { return std::sin(x); };
    const auto cosine = [](double x) { return std::cos(x); };
    const bool apogee = k - std::floor(k) > 0.25;

    Apsis apsis;
    if (apogee) {
        apsis.instant = mean + sumTerms(kApogeeTimeTerms, t, d, m, f, sine);
        apsis.parallaxArcsec
            = kApogeeParallaxConstant + sumTerms(kApogeeParallaxTerms, t, d, m, f, cosine);
    } else {
        apsis.instant = mean + sumTerms(kPerigeeTimeTerms, t, d, m, f, sine);
        apsis.parallaxArcsec
            = kPerigeeParallaxConstant + sumTerms(kPerigeeParallaxTerms, t, d, m, f, cosine);
    }
    apsis.distanceKm
        = int(std::floor(kEarthRadiusKm / std::sin(apsis.parallaxArcsec * kRadiansPerArcsec)));
    return apsis;
}

Apsides apsides(double decimalYear)
{
    // Rounded down, so that before 1999.97 the perigee is, as after it, the one that begins
    // the anomalistic month the moment lies in.
    const double k = std::floor((decimalYear - 1999.97) * 13.2555);
    const Apsis perigee = apsisOf(k);
    const Apsis apogee = apsisOf(k - 0.5);
    return { perigee.instant, perigee.parallaxArcsec, perigee.distanceKm, apogee.instant,
        apogee.parallaxArcsec, apogee.distanceKm };
}

} // namespace astro

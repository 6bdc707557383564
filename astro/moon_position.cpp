// The Moon's position, distance and visible part at a moment, by Meeus' series for the
// epoch 1900 January 0.5 (Astronomical Formulae for Calculators, position of the Moon, and
// the illuminated fraction from the elongation).

#include "astro/moon.h"

#include "astro/julian.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace astro {

namespace {

// coefficient × E^|m| × sin or cos(d·D + m·M + mPrime·M′ + f·F).
struct PositionTerm {
    std::int8_t d;
    std::int8_t m;
    std::int8_t mPrime;
    std::int8_t f;
    double coefficient; // degrees
};

constexpr PositionTerm kLongitudeTerms[] {
    { 0, 0, 1, 0, 6.288750 },
    { 2, 0, -1, 0, 1.274018 },
    { 2, 0, 0, 0, 0.658309 },
    { 0, 0, 2, 0, 0.213616 },
    { 0, 1, 0, 0, -0.185596 },
    { 0, 0, 0, 2, -0.114336 },
    { 2, 0, -2, 0, 0.058793 },
    { 2, -1, -1, 0, 0.057212 },
    { 2, 0, 1, 0, 0.053320 },
    { 2, -1, 0, 0, 0.045874 },
    { 0, -1, 1, 0, 0.041024 },
    { 1, 0, 0, 0, -0.034718 },
    { 0, 1, 1, 0, -0.030465 },
    { 2, 0, 0, -2, 0.015326 },
    { 0, 0, 1, 2, -0.012528 },
    { 0, 0, -1, 2, -0.010980 },
    { 4, 0, -1, 0, 0.010674 },
    { 0, 0, 3, 0, 0.010034 },
    { 4, 0, -2, 0, 0.008548 },
    { 2, 1, -1, 0, -0.007910 },
    { 2, 1, 0, 0, -0.006783 },
    { -1, 0, 1, 0, 0.005162 },
    { 1, 1, 0, 0, 0.005000 },
    { 2, -1, 1, 0, 0.004049 },
    { 2, 0, 2, 0, 0.003996 },
    { 4, 0, 0, 0, 0.003862 },
    { 2, 0, -3, 0, 0.003665 },
    { 0, -1, 2, 0, 0.002695 },
    { -2, 0, 1, -2, 0.002602 },
    { 2, -1, -2, 0, 0.002396 },
    { 1, 0, 1, 0, -0.002349 },
    { 2, -2, 0, 0, 0.002249 },
    { 0, 1, 2, 0, -0.002125 },
    { 0, 2, 0, 0, -0.002079 },
    { 2, -2, -1, 0, 0.002059 },
    { 2, 0, 1, -2, -0.001773 },
    { 2, 0, 0, 2, -0.001595 },
    { 4, -1, -1, 0, 0.001220 },
    { 0, 0, 2, 2, -0.001110 },
    { -3, 0, 1, 0, 0.000892 },
    { 2, 1, 1, 0, -0.000811 },
    { 4, -1, -2, 0, 0.000761 },
    { 0, -2, 1, 0, 0.000717 },
    { -2, -2, 1, 0, 0.000704 },
    { 2, 1, -2, 0, 0.000693 },
    { 2, -1, 0, -2, 0.000598 },
    { 4, 0, 1, 0, 0.000550 },
    { 0, 0, 4, 0, 0.000538 },
    { 4, -1, 0, 0, 0.000521 },
    { -1, 0, 2, 0, 0.000486 },
};

constexpr PositionTerm kLatitudeTerms[] {
    { 0, 0, 0, 1, 5.128189 },
    { 0, 0, 1, 1, 0.280606 },
    { 0, 0, 1, -1, 0.277693 },
    { 2, 0, 0, -1, 0.173238 },
    { 2, 0, -1, 1, 0.055413 },
    { 2, 0, -1, -1, 0.046272 },
    { 2, 0, 0, 1, 0.032573 },
    { 0, 0, 2, 1, 0.017198 },
    { 2, 0, 1, -1, 0.009267 },
    { 0, 0, 2, -1, 0.008823 },
    { 2, -1, 0, -1, 0.008247 },
    { 2, 0, -2, -1, 0.004323 },
    { 2, 0, 1, 1, 0.004200 },
    { -2, -1, 0, 1, 0.003372 },
    { 2, -1, -1, 1, 0.002472 },
    { 2, -1, 0, 1, 0.002222 },
    { 2, -1, -1, -1, 0.002072 },
    { 0, -1, 1, 1, 0.001877 },
    { 4, 0, -1, -1, 0.001828 },
    { 0, 1, 0, 1, -0.001803 },
    { 0, 0, 0, 3, -0.001750 },
    { 0, -1, 1, -1, 0.001570 },
    { 1, 0, 0, 1, -0.001487 },
    { 0, 1, 1, 1, -0.001481 },
    { 0, -1, -1, 1, 0.001417 },
    { 0, -1, 0, 1, 0.001350 },
    { -1, 0, 0, 1, 0.001330 },
    { 0, 0, 3, 1, 0.001106 },
    { 4, 0, 0, -1, 0.001020 },
    { 4, 0, -1, 1, 0.000833 },
    { 0, 0, 1, -3, 0.000781 },
    { 4, 0, -2, 1, 0.000670 },
    { 2, 0, 0, -3, 0.000606 },
    { 2, 0, 2, -1, 0.000597 },
    { 2, -1, 1, -1, 0.000492 },
    { -2, 0, 2, -1, 0.000450 },
    { 0, 0, 3, -1, 0.000439 },
    { 2, 0, 2, 1, 0.000423 },
    { 2, 0, -3, -1, 0.000422 },
    { 2, 1, -1, 1, -0.000367 },
    { 2, 1, 0, 1, -0.000353 },
    { 4, 0, 0, 1, 0.000331 },
    { 2, -1, 1, 1, 0.000317 },
    { 2, -2, 0, -1, 0.000306 },
    { 0, 0, 1, 3, -0.000283 },
};

constexpr double kParallaxConstant = 0.950724;
constexpr PositionTerm kParallaxTerms[] {
    { 0, 0, 1, 0, 0.051818 },
    { 2, 0, -1, 0, 0.009531 },
    { 2, 0, 0, 0, 0.007843 },
    { 0, 0, 2, 0, 0.002824 },
    { 2, 0, 1, 0, 0.000857 },
    { 2, -1, 0, 0, 0.000533 },
    { 2, -1, -1, 0, 0.000401 },
    { 0, -1, 1, 0, 0.000320 },
    { 1, 0, 0, 0, -0.000271 },
    { 0, 1, 1, 0, -0.000264 },
    { 0, 0, -1, 2, -0.000198 },
    { 0, 0, 3, 0, 0.000173 },
    { 4, 0, -1, 0, 0.000167 },
    { 0, 1, 0, 0, -0.000111 },
    { 4, 0, -2, 0, 0.000103 },
    { -2, 0, 2, 0, -0.000084 },
    { 2, 1, 0, 0, -0.000083 },
    { 2, 0, 2, 0, 0.000079 },
    { 4, 0, 0, 0, 0.000072 },
    { 2, -1, 1, 0, 0.000064 },
    { 2, 1, -1, 0, -0.000063 },
    { 1, 1, 0, 0, 0.000041 },
    { 0, -1, 2, 0, 0.000035 },
    { -2, 0, 3, 0, -0.000033 },
    { 1, 0, 1, 0, -0.000030 },
    { -2, 0, 0, 2, -0.000029 },
    { 0, 1, 2, 0, -0.000029 },
    { 2, -2, 0, 0, 0.000026 },
    { -2, 0, 1, 2, -0.000023 },
    { 4, -1, -1, 0, 0.000019 },
};

constexpr double kEarthRadiusKm = 6378.14;

double sinDegrees(double degrees)
{
    return std::sin(degrees * kRadiansPerDegree);
}
double cosDegrees(double degrees)
{
    return std::cos(degrees * kRadiansPerDegree);
}

struct Arguments {
    double d; // radians
    double m;
    double mPrime;
    double f;
    double e;
    double e2;
};

template <std::size_t N, typename Wave>
double sumTerms(const PositionTerm (&terms)[N], const Arguments& a, Wave wave)
{
    double sum = 0;
    for (const PositionTerm& term : terms) {
        const double argument = term.d * a.d + term.m * a.m + term.mPrime * a.mPrime + term.f * a.f;
        const double factor = term.m == 0 ? 1.0 : (term.m == 1 || term.m == -1) ? a.e : a.e2;
        sum += term.coefficient * factor * wave(argument);
    }
    return sum;
}

} // namespace

MoonPosition moonPosition(double julianDay)
{
    const double t = (julianDay - 2415020.0) / 36525;
    const double t2 = t * t;
    const double t3 = t2 * t;

    double meanLongitude = 270.434164 + 481267.8831 * t - 0.001133 * t2 + 0.0000019 * t3;
    double m = 358.475833 + 35999.0498 * t - 0.000150 * t2 - 0.0000033 * t3;
    double mPrime = 296.104608 + 477198.8491 * t + 0.009192 * t2 + 0.0000144 * t3;
    double d = 350.737486 + 445267.1142 * t - 0.001436 * t2 + 0.0000019 * t3;
    double f = 11.250889 + 483202.0251 * t - 0.003211 * t2 - 0.0000003 * t3;
    const double omega = 259.183275 - 1934.1420 * t + 0.002078 * t2 + 0.0000022 * t3;

    // The additive terms of the method.
    const double first = sinDegrees(51.2 + 20.2 * t);
    meanLongitude += 0.000233 * first;
    m -= 0.001778 * first;
    mPrime += 0.000817 * first;
    d += 0.002011 * first;
    const double venus = 0.003964 * sinDegrees(346.560 + 132.870 * t - 0.0091731 * t2);
    meanLongitude += venus;
    mPrime += venus;
    d += venus;
    f += venus;
    const double node = sinDegrees(omega);
    meanLongitude += 0.001964 * node;
    mPrime += 0.002541 * node;
    d += 0.001964 * node;
    f -= 0.024691 * node;
    f -= 0.004328 * sinDegrees(omega + 275.05 - 2.30 * t);

    const double e = 1 - 0.002495 * t - 0.00000752 * t2;
    const Arguments arguments { normalizeDegrees(d) * kRadiansPerDegree,
        normalizeDegrees(m) * kRadiansPerDegree, normalizeDegrees(mPrime) * kRadiansPerDegree,
        normalizeDegrees(f) * kRadiansPerDegree, e, e * e };
    const auto sine = [](double x) { return std::sin(x); };
    const auto cosine = [](double x) { return std::cos(x); };

    MoonPosition position;
    const double longitude = meanLongitude + sumTerms(kLongitudeTerms, arguments, sine);
    position.longitudeDegrees = normalizeDegrees(longitude);
    position.latitudeDegrees = sumTerms(kLatitudeTerms, arguments, sine)
        * (1 - 0.0004664 * cosDegrees(omega) - 0.0000754 * cosDegrees(omega + 275.05 - 2.30 * t));
    position.parallaxDegrees = kParallaxConstant + sumTerms(kParallaxTerms, arguments, cosine);
    position.distanceKm
        = int(std::floor(kEarthRadiusKm / sinDegrees(position.parallaxDegrees) + 0.5));

    // The Sun, for the elongation.
    const double sunAnomaly = 358.47583 + 35999.04975 * t - 0.000150 * t2 - 0.0000033 * t3;
    const double centre = (1.919460 - 0.004789 * t - 0.000014 * t2) * sinDegrees(sunAnomaly)
        + (0.020094 - 0.000100 * t) * sinDegrees(2 * sunAnomaly)
        + 0.000293 * sinDegrees(3 * sunAnomaly);
    const double sunLongitude = 279.69668 + 36000.76892 * t + 0.0003025 * t2 + centre;

    const double cosElongation = std::clamp(
        cosDegrees(position.latitudeDegrees) * cosDegrees(longitude - sunLongitude), -1.0, 1.0);
    const double elongation = std::acos(cosElongation) / kRadiansPerDegree;
    position.phaseAngleDegrees = 180 - elongation
        - 0.1468 * (1 - 0.0549 * std::sin(arguments.mPrime)) / (1 - 0.0167 * sinDegrees(sunAnomaly))
            * sinDegrees(elongation);
    position.visiblePercent = std::clamp(
        int(std::floor(50 * (1 + cosDegrees(position.phaseAngleDegrees)) + 0.5)), 0, 100);
    return position;
}

} // namespace astro

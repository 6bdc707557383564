// How long one Moon computation takes (the next four phases with the new moons around them,
// perigee and apogee, position and visible part, phase text: target below 50 µs) and one
// sunrise and sunset search (target below 10 µs).
//
//     astro_bench [--runs N]
//
// Each run times a batch of 1,000 computations over moments spread across 1950-2050 and
// reports the time of one; the figure is the median of the runs, with the slowest beside it.
// Pure computation: no device is needed.

#include "astro/julian.h"
#include "astro/moon.h"
#include "astro/sun.h"
#include "bench/bench_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kBatch = 1000;

// Times `runs` batches of kBatch computations; the figures are those of one computation.
template <typename Work> bench::Figures time(int runs, Work work)
{
    return bench::timeRuns(
        runs,
        [&](int run) {
            for (int index = 0; index < kBatch; ++index)
                work(run * kBatch + index);
        },
        kBatch);
}

// Keeps the compiler from dropping the work whose result nobody reads.
volatile double g_sink = 0;

} // namespace

int main(int argc, char** argv)
{
    int runs = 50;
    for (int index = 1; index < argc; ++index) {
        if (std::strcmp(argv[index], "--runs") == 0 && index + 1 < argc)
            runs = std::max(1, std::atoi(argv[++index]));
    }

    // Moments every 7.3 hours from 1950 on, wrapping after 2050.
    const double first = astro::julianDay(1950, 1, 1);
    const auto momentOf
        = [first](int index) { return first + std::fmod(index * 7.3 / 24, 36525.0); };

    std::vector<SYSTEMTIME> moments;
    for (int index = 0; index < runs * kBatch; ++index)
        moments.push_back(astro::systemTimeOfJulianDay(momentOf(index)).value());

    const bench::Figures moon = time(runs, [&](int index) {
        const astro::MoonReport report = astro::moonReport(moments[std::size_t(index)]);
        g_sink = g_sink + report.phases.nextNewMoon + report.apsides.apogee
            + report.position.visiblePercent;
    });

    astro::SunQuery query;
    query.latitudeDegrees = 51;
    query.latitudeMinutes = 30;
    query.longitudeMinutes = 7;
    query.west = true;
    const bench::Figures sun = time(runs, [&](int index) {
        const SYSTEMTIME& day = moments[std::size_t(index)];
        query.year = day.wYear;
        query.month = day.wMonth;
        query.day = day.wDay;
        query.latitudeDegrees = index % 67; // polar days and nights as well
        const astro::SunTimes times = astro::sunTimes(query);
        g_sink = g_sink + times.riseMinutes + times.setMinutes;
    });

    std::printf(
        "moon computation (phases, apsides, position, text): median %.2f us, slowest run %.2f us "
        "(target < 50 us) over %d runs of %d\n",
        moon.median, moon.worst, runs, kBatch);
    std::printf("sunrise/sunset search: median %.2f us, slowest run %.2f us (target < 10 us) over "
                "%d runs of %d\n",
        sun.median, sun.worst, runs, kBatch);
    return moon.median < 50 && sun.median < 10 ? 0 : 1;
}

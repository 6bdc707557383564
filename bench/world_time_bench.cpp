// How long the World Time view takes on a 480 x 640 screen: one whole repaint with the night
// shading worked out afresh (the view keeps its shaded map for a minute; here every repaint
// is a new minute, the worst case; target below 4 ms), and one city's local time (target
// below 1 microsecond).
//
//     world_time_bench [repaints]
//
// Runs on a temporary device of its own with the shipped city files and resource pack.

#include "bench/bench_support.h"
#include "cities/city_database.h"
#include "cities/view/world_time_view.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "platform/calendar.h"
#include "store/data_files.h"

#include <QApplication>
#include <QWidget>

#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    QApplication application(argc, argv);
    const int repaints = bench::countArgument(argc, argv, 500);

    const bench::TemporaryDevice device("world_time_bench");
    if (bench::installCities(device.root(), TKW_SHIPPED_CITIES_DIR)) {
        std::cerr << "world_time_bench: the shipped city files are not built (target shipped_cities)\n";
        return 1;
    }
    auto database = cities::CityDatabase::load(store::kDefaultInstallFolder);
    if (!database.available()) {
        std::cerr << "world_time_bench: no city database\n";
        return 1;
    }
    faces::SkinSet skin;
    if (!bench::loadPack(skin, QStringLiteral(TKW_SHIPPED_ART_DIR "/data/resvga.dat"))) {
        std::cerr << "world_time_bench: the resource pack does not load\n";
        return 1;
    }

    const auto geometry = ui::ScreenGeometry::of(480, 640);
    QWidget screen;
    cities::WorldTimeView view(&screen, geometry, skin, database);
    // Every repaint a minute later: the shading is worked out each time.
    std::uint64_t universal = *platform::ticksOfSystemTime(SYSTEMTIME { 2026, 6, 0, 21, 12, 0, 0, 0 });
    view.setUniversalClock([&universal] { return universal; });
    view.activate();
    QImage frame(480, 640, QImage::Format_RGB32);
    const std::vector<double> repaintMs = bench::timeRepaints(view, frame, bench::viewContext(geometry),
        repaints, [&universal] { universal += cities::kTicksPerMinute; });
    std::cout << "World Time view repaint with shading, 480x640, " << repaints << " repaints: mean "
              << bench::mean(repaintMs) << " ms, median " << bench::percentile(repaintMs, 0.5)
              << " ms, 95th percentile " << bench::percentile(repaintMs, 0.95) << " ms (target below 4 ms)\n";

    // One city's local time: a city with a daylight rule, at times that walk through a year.
    const auto berlin = database.findByName(u"Berlin");
    const cities::CityRecord& city = *database.record(berlin.empty() ? cities::CityRef { } : berlin.front());
    constexpr int kCalls = 1'000'000;
    std::uint64_t moment = universal;
    unsigned checksum = 0;
    const auto start = bench::Clock::now();
    for (int call = 0; call < kCalls; ++call) {
        moment += 31 * cities::kTicksPerMinute + 7;
        checksum += cities::cityLocalTime(city, moment).wHour;
    }
    const double ns = std::chrono::duration<double, std::nano>(bench::Clock::now() - start).count() / kCalls;
    std::cout << "one city's local time: " << ns << " ns a call (target below 1000 ns; checksum " << checksum
              << ")\n";
    return 0;
}

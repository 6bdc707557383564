// How long the Moon Phases view takes to repaint on a 240 x 320 and a 480 x 640 screen:
// the phases, apsides, position and texts worked out afresh, the picture combined with its
// background by AND, the icons and every text drawn (target below 3 ms).
//
//     moon_view_bench [repaints]
//
// Runs on a temporary device of its own with the shipped city files and resource packs.

#include "astro/view/moon_view.h"
#include "bench/bench_support.h"
#include "cities/city_database.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "platform/calendar.h"
#include "store/data_files.h"

#include <QApplication>
#include <QWidget>

#include <iostream>
#include <vector>

namespace {

// Repaints the view `repaints` times, each a minute later; prints and returns the median.
double measure(cities::CityDatabase& database, const char* pack, QSize size, int repaints)
{
    faces::SkinSet skin;
    if (!bench::loadPack(skin, QString::fromUtf8(pack))) {
        std::cerr << "moon_view_bench: the resource pack " << pack << " does not load\n";
        return -1;
    }
    const auto geometry = ui::ScreenGeometry::of(size.width(), size.height());
    QWidget screen;
    astro::MoonView view(&screen, geometry, skin, database);
    std::uint64_t universal
        = *platform::ticksOfSystemTime(SYSTEMTIME { 2026, 12, 2, 8, 10, 8, 36, 0 });
    view.setUniversalClock([&universal] { return universal; });
    view.activate();
    QImage frame(size, QImage::Format_RGB32);
    const std::vector<double> repaintMs
        = bench::timeRepaints(view, frame, bench::viewContext(geometry), repaints, [&universal] {
              universal += 7 * cities::kTicksPerMinute; // another picture now and then
          });
    const double median = bench::percentile(repaintMs, 0.5);
    std::cout << "Moon Phases view repaint, " << size.width() << "x" << size.height() << ", "
              << repaints << " repaints: mean " << bench::mean(repaintMs) << " ms, median "
              << median << " ms, 95th percentile " << bench::percentile(repaintMs, 0.95)
              << " ms (target below 3 ms)\n";
    return median;
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    QApplication application(argc, argv);
    const int repaints = bench::countArgument(argc, argv, 500);

    const bench::TemporaryDevice device("moon_view_bench");
    if (bench::installCities(device.root(), TKW_SHIPPED_CITIES_DIR)) {
        std::cerr
            << "moon_view_bench: the shipped city files are not built (target shipped_cities)\n";
        return 1;
    }
    auto database = cities::CityDatabase::load(store::kDefaultInstallFolder);
    if (!database.available()) {
        std::cerr << "moon_view_bench: no city database\n";
        return 1;
    }
    const double small
        = measure(database, TKW_SHIPPED_ART_DIR "/data/res.dat", QSize(240, 320), repaints);
    const double large
        = measure(database, TKW_SHIPPED_ART_DIR "/data/resvga.dat", QSize(480, 640), repaints);
    return small < 0 || large < 0 ? 1 : 0;
}

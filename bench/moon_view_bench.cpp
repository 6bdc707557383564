// How long the Moon Phases view takes to repaint on a 240 x 320 and a 480 x 640 screen:
// the phases, apsides, position and texts worked out afresh, the picture combined with its
// background by AND, the icons and every text drawn (target below 3 ms).
//
//     moon_view_bench [repaints]
//
// Runs on a temporary device of its own with the shipped city files and resource packs.

#include "astro/view/moon_view.h"
#include "cities/city_database.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "platform/calendar.h"
#include "platform/device_root.h"
#include "store/data_files.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

bool installCities(const fs::path& root)
{
    const fs::path data = root / "Program Files" / "Tickwell Pro" / "data";
    std::error_code error;
    fs::create_directories(data, error);
    for (const char* file : { "africa.cdb", "asia.cdb", "australia.cdb", "europe.cdb",
             "namerica.cdb", "samerica.cdb" }) {
        fs::copy_file(fs::path(TKW_SHIPPED_CITIES_DIR) / file, data / file,
            fs::copy_options::overwrite_existing, error);
        if (error)
            return false;
    }
    return true;
}

bool loadPack(faces::SkinSet& skin, const char* file)
{
    QFile pack(QString::fromUtf8(file));
    if (!pack.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = pack.readAll();
    faces::Bytes bytes(std::size_t(data.size()));
    std::copy(data.begin(), data.end(), reinterpret_cast<char*>(bytes.data()));
    return skin.loadBytes(std::move(bytes), std::nullopt) == faces::SkinOutcome::PackLook;
}

// Repaints the view `repaints` times, each a minute later; prints and returns the median.
double measure(cities::CityDatabase& database, const char* pack, QSize size, int repaints)
{
    faces::SkinSet skin;
    if (!loadPack(skin, pack)) {
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
    const app::ViewContext context { geometry,
        QRect(0, 0, app::viewWidth(geometry), geometry.scaled(245)) };
    std::vector<double> repaintMs;
    repaintMs.reserve(std::size_t(repaints));
    for (int round = 0; round < repaints + 10; ++round) {
        universal += 7 * cities::kTicksPerMinute; // another picture now and then
        const auto start = Clock::now();
        {
            QPainter painter(&frame);
            view.perSecond(painter, context);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (round >= 10) // the first ones load fonts and prepare the frames
            repaintMs.push_back(ms);
    }
    double total = 0;
    for (const double ms : repaintMs)
        total += ms;
    const double median = percentile(repaintMs, 0.5);
    std::cout << "Moon Phases view repaint, " << size.width() << "x" << size.height() << ", "
              << repaints << " repaints: mean " << total / double(repaints) << " ms, median "
              << median << " ms, 95th percentile " << percentile(repaintMs, 0.95)
              << " ms (target below 3 ms)\n";
    return median;
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    QApplication application(argc, argv);
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    std::error_code error;
    const fs::path root
        = fs::temp_directory_path() / ("moon_view_bench." + std::to_string(::getpid()));
    fs::create_directories(root, error);
    platform::useDeviceRoot(root);
    struct RemoveRoot {
        fs::path root;
        ~RemoveRoot()
        {
            std::error_code ignored;
            fs::remove_all(root, ignored);
        }
    } removeRoot { root };
    if (!installCities(root)) {
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

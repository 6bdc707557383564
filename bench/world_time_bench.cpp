// How long the World Time view takes on a 480 x 640 screen: one whole repaint with the night
// shading worked out afresh (the view keeps its shaded map for a minute; here every repaint
// is a new minute, the worst case; target below 4 ms), and one city's local time (target
// below 1 microsecond).
//
//     world_time_bench [repaints]
//
// Runs on a temporary device of its own with the shipped city files and resource pack.

#include "cities/city_database.h"
#include "cities/view/world_time_view.h"
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
    for (const char* file : { "africa.cdb", "asia.cdb", "australia.cdb", "europe.cdb", "namerica.cdb", "samerica.cdb" }) {
        fs::copy_file(fs::path(TKW_SHIPPED_CITIES_DIR) / file, data / file, fs::copy_options::overwrite_existing, error);
        if (error)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    QApplication application(argc, argv);
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    std::error_code error;
    const fs::path root = fs::temp_directory_path() / ("world_time_bench." + std::to_string(::getpid()));
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
        std::cerr << "world_time_bench: the shipped city files are not built (target shipped_cities)\n";
        return 1;
    }
    auto database = cities::CityDatabase::load(store::kDefaultInstallFolder);
    QFile pack(QStringLiteral(TKW_SHIPPED_ART_DIR "/data/resvga.dat"));
    if (!database.available() || !pack.open(QIODevice::ReadOnly)) {
        std::cerr << "world_time_bench: no city database or no resource pack\n";
        return 1;
    }
    const QByteArray packData = pack.readAll();
    faces::Bytes packBytes(std::size_t(packData.size()));
    std::copy(packData.begin(), packData.end(), reinterpret_cast<char*>(packBytes.data()));
    faces::SkinSet skin;
    if (skin.loadBytes(std::move(packBytes), std::nullopt) != faces::SkinOutcome::PackLook) {
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
    const app::ViewContext context { geometry, QRect(0, 0, app::viewWidth(geometry), geometry.scaled(245)) };
    std::vector<double> repaintMs;
    repaintMs.reserve(std::size_t(repaints));
    for (int round = 0; round < repaints + 10; ++round) {
        universal += cities::kTicksPerMinute;
        const auto start = Clock::now();
        {
            QPainter painter(&frame);
            view.perSecond(painter, context);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (round >= 10) // the first ones load fonts and scale the maps
            repaintMs.push_back(ms);
    }
    double total = 0;
    for (const double ms : repaintMs)
        total += ms;
    std::cout << "World Time view repaint with shading, 480x640, " << repaints << " repaints: mean "
              << total / double(repaints) << " ms, median " << percentile(repaintMs, 0.5) << " ms, 95th percentile "
              << percentile(repaintMs, 0.95) << " ms (target below 4 ms)\n";

    // One city's local time: a city with a daylight rule, at times that walk through a year.
    const auto berlin = database.findByName(u"Berlin");
    const cities::CityRecord& city = *database.record(berlin.empty() ? cities::CityRef { } : berlin.front());
    constexpr int kCalls = 1'000'000;
    std::uint64_t moment = universal;
    unsigned checksum = 0;
    const auto start = Clock::now();
    for (int call = 0; call < kCalls; ++call) {
        moment += 31 * cities::kTicksPerMinute + 7;
        checksum += cities::cityLocalTime(city, moment).wHour;
    }
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kCalls;
    std::cout << "one city's local time: " << ns << " ns a call (target below 1000 ns; checksum " << checksum
              << ")\n";
    return 0;
}

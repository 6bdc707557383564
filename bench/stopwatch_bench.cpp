// How long the Stopwatch view takes for one 100 ms redraw of a running stopwatch on a
// 480 x 640 screen (target below 1 ms), with the shipped resource pack's look and with the
// display drawn as text.
//
//     stopwatch_bench [redraws]
//
// Runs on a temporary device of its own.

#include "faces/skin.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "stopwatch/stopwatch.h"
#include "stopwatch/view/stopwatch_view.h"
#include "store/settings.h"

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

void measure(const char* what, const faces::SkinSet& skin, stopwatch::Stopwatch& watch, int redraws)
{
    const auto geometry = ui::ScreenGeometry::of(480, 640);
    QWidget screen;
    stopwatch::StopwatchView view(&screen, geometry, skin, watch);
    view.activate();
    QImage frame(480, 640, QImage::Format_RGB32);
    const app::ViewContext context { geometry,
        QRect(0, 0, app::viewWidth(geometry), geometry.scaled(245)) };
    {
        QPainter painter(&frame);
        view.paint(painter, context);
    }
    std::vector<double> redrawMs;
    redrawMs.reserve(std::size_t(redraws));
    for (int round = 0; round < redraws + 10; ++round) {
        const auto start = Clock::now();
        {
            QPainter painter(&frame);
            view.perSecond(painter, context);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (round >= 10) // the first ones load fonts
            redrawMs.push_back(ms);
    }
    double total = 0;
    for (const double ms : redrawMs)
        total += ms;
    std::cout << "Stopwatch view redraw while running, 480x640, " << what << ", " << redraws
              << " redraws: mean " << total / double(redraws) << " ms, median "
              << percentile(redrawMs, 0.5) << " ms, 99th percentile " << percentile(redrawMs, 0.99)
              << " ms, worst " << percentile(redrawMs, 1.0) << " ms (target below 1 ms)\n";
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    QApplication application(argc, argv);
    const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    std::error_code error;
    const fs::path root
        = fs::temp_directory_path() / ("stopwatch_bench." + std::to_string(::getpid()));
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
    (void)store::LoadSettings();
    stopwatch::Stopwatch watch(store::settings());
    if (watch.StartStop(platform::deviceUniversalNow().count()) != stopwatch::EditOutcome::Done) {
        std::cerr << "stopwatch_bench: the stopwatch does not start\n";
        return 1;
    }

    faces::SkinSet plain;
    measure("text display, no look", plain, watch, redraws);

    QFile pack(QStringLiteral(TKW_SHIPPED_ART_DIR "/data/resvga.dat"));
    if (!pack.open(QIODevice::ReadOnly)) {
        std::cerr << "stopwatch_bench: no resource pack (target shipped_art)\n";
        return 1;
    }
    const QByteArray packData = pack.readAll();
    faces::Bytes packBytes(std::size_t(packData.size()));
    std::copy(packData.begin(), packData.end(), reinterpret_cast<char*>(packBytes.data()));
    faces::SkinSet skin;
    if (skin.loadBytes(std::move(packBytes), std::nullopt) != faces::SkinOutcome::PackLook) {
        std::cerr << "stopwatch_bench: the resource pack does not load\n";
        return 1;
    }
    measure(skin.hasDigitImages() ? "shipped look with digit images" : "shipped look", skin, watch,
        redraws);
    return 0;
}

// How long the Stopwatch view takes for one 100 ms redraw of a running stopwatch on a
// 480 x 640 screen (target below 1 ms), with the shipped resource pack's look and with the
// display drawn as text.
//
//     stopwatch_bench [redraws]
//
// Runs on a temporary device of its own.

#include "bench/bench_support.h"
#include "faces/skin.h"
#include "platform/device_clock.h"
#include "stopwatch/stopwatch.h"
#include "stopwatch/view/stopwatch_view.h"
#include "store/settings.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <iostream>
#include <vector>

namespace {

void measure(const char* what, const faces::SkinSet& skin, stopwatch::Stopwatch& watch, int redraws)
{
    const auto geometry = ui::ScreenGeometry::of(480, 640);
    QWidget screen;
    stopwatch::StopwatchView view(&screen, geometry, skin, watch);
    view.activate();
    QImage frame(480, 640, QImage::Format_RGB32);
    const app::ViewContext context = bench::viewContext(geometry);
    {
        QPainter painter(&frame);
        view.paint(painter, context);
    }
    const std::vector<double> redrawMs
        = bench::timeRepaints(view, frame, context, redraws, [] { });
    std::cout << "Stopwatch view redraw while running, 480x640, " << what << ", " << redraws
              << " redraws: mean " << bench::mean(redrawMs) << " ms, median "
              << bench::percentile(redrawMs, 0.5) << " ms, 99th percentile "
              << bench::percentile(redrawMs, 0.99) << " ms, worst "
              << bench::percentile(redrawMs, 1.0) << " ms (target below 1 ms)\n";
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    QApplication application(argc, argv);
    const int redraws = bench::countArgument(argc, argv, 2000);

    const bench::TemporaryDevice device("stopwatch_bench");
    (void)store::LoadSettings();
    stopwatch::Stopwatch watch(store::settings());
    if (watch.StartStop(platform::deviceUniversalNow().count()) != stopwatch::EditOutcome::Done) {
        std::cerr << "stopwatch_bench: the stopwatch does not start\n";
        return 1;
    }

    faces::SkinSet plain;
    measure("text display, no look", plain, watch, redraws);

    faces::SkinSet skin;
    if (!bench::loadPack(skin, QStringLiteral(TKW_SHIPPED_ART_DIR "/data/resvga.dat"))) {
        std::cerr << "stopwatch_bench: no resource pack or it does not load (target shipped_art)\n";
        return 1;
    }
    measure(skin.hasDigitImages() ? "shipped look with digit images" : "shipped look", skin, watch,
        redraws);
    return 0;
}

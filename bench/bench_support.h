#pragma once
// What the bench programs share: the figures of a series of timings, a temporary device of
// their own, the shipped city files copied into it, and (for the programs built with Qt) a
// resource pack loaded and a view repainted against the clock.

#include "platform/device_root.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#ifdef QT_GUI_LIB
#include "app/view.h"
#include "faces/skin.h"

#include <QFile>
#include <QPainter>
#endif

namespace bench {

using Clock = std::chrono::steady_clock;

// The value at `share` of the way through the sorted values: 0.5 the median, 1 the largest.
[[nodiscard]] inline double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

[[nodiscard]] inline double mean(const std::vector<double>& values)
{
    double total = 0;
    for (const double value : values)
        total += value;
    return values.empty() ? 0 : total / double(values.size());
}

struct Figures {
    double median = 0;
    double worst = 0;
};

// Times `runs` calls of work(run) in microseconds, each divided by `perRun` (the number of
// computations one run does): the median run and the slowest.
template <typename Work> [[nodiscard]] Figures timeRuns(int runs, Work work, int perRun = 1)
{
    std::vector<double> spans;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work(run);
        spans.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count() / perRun);
    }
    std::sort(spans.begin(), spans.end());
    return { spans[spans.size() / 2], spans.back() };
}

// The count the command line gives as its first word, or `fallback`; at least 1.
[[nodiscard]] inline int countArgument(int argc, char** argv, int fallback)
{
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}

// A device root of the program's own below the temporary folder, made the process's device
// and removed again, with all it holds, when this goes.
class TemporaryDevice {
public:
    explicit TemporaryDevice(std::string_view program)
        : m_root(std::filesystem::temp_directory_path()
              / (std::string(program) + "." + std::to_string(::getpid())))
    {
        std::error_code error;
        std::filesystem::create_directories(m_root, error);
        platform::useDeviceRoot(m_root);
    }
    ~TemporaryDevice()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TemporaryDevice(const TemporaryDevice&) = delete;
    TemporaryDevice& operator=(const TemporaryDevice&) = delete;

    [[nodiscard]] const std::filesystem::path& root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

// Copies the six continent files from `shipped` into the main program's data folder of the
// device at `root`. The name of the first file that cannot be copied; nullopt when all were.
[[nodiscard]] inline std::optional<std::string> installCities(
    const std::filesystem::path& root, const std::filesystem::path& shipped)
{
    namespace fs = std::filesystem;
    const fs::path data = root / "Program Files" / "Tickwell Pro" / "data";
    std::error_code error;
    fs::create_directories(data, error);
    for (const char* file : { "africa.cdb", "asia.cdb", "australia.cdb", "europe.cdb",
             "namerica.cdb", "samerica.cdb" }) {
        fs::copy_file(shipped / file, data / file, fs::copy_options::overwrite_existing, error);
        if (error)
            return file;
    }
    return std::nullopt;
}

#ifdef QT_GUI_LIB
// Loads the resource pack at `file` into `skin`; false when it cannot be read or gives no look.
[[nodiscard]] inline bool loadPack(faces::SkinSet& skin, const QString& file)
{
    QFile pack(file);
    if (!pack.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = pack.readAll();
    faces::Bytes bytes(std::size_t(data.size()));
    std::copy(data.begin(), data.end(), reinterpret_cast<char*>(bytes.data()));
    return skin.loadBytes(std::move(bytes), std::nullopt) == faces::SkinOutcome::PackLook;
}

// The area a view draws in on a screen of `geometry`, as the main program gives it.
[[nodiscard]] inline app::ViewContext viewContext(const ui::ScreenGeometry& geometry)
{
    return { geometry, QRect(0, 0, app::viewWidth(geometry), geometry.scaled(245)) };
}

// Times `count` once-a-second repaints of `view` into `frame`, in milliseconds each, after
// ten that are not kept (they load fonts and prepare pictures). `beforeEach` runs, untimed,
// ahead of every repaint.
template <typename View, typename BeforeEach>
[[nodiscard]] std::vector<double> timeRepaints(
    View& view, QImage& frame, const app::ViewContext& context, int count, BeforeEach beforeEach)
{
    constexpr int kWarmUp = 10;
    std::vector<double> repaintMs;
    repaintMs.reserve(std::size_t(count));
    for (int round = 0; round < count + kWarmUp; ++round) {
        beforeEach();
        const auto start = Clock::now();
        {
            QPainter painter(&frame);
            view.perSecond(painter, context);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (round >= kWarmUp)
            repaintMs.push_back(ms);
    }
    return repaintMs;
}
#endif

} // namespace bench

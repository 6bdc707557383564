// Figures for the device service: how late a wake-up starts its program, what a
// registration costs with many stored, and how much memory the service holds.
//
// It runs on a device of its own in a temporary directory. The program the wake-ups start
// is this one again: started with $TKW_BENCH_PROBE_LOG set, it notes the moment it began
// and exits.

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/notifications.h"
#include "platform/text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::int64_t wallNs()
{
    timespec now { };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int noteStart(const char* logPath, const char* commandLine)
{
    const std::string line = std::string(commandLine) + " " + std::to_string(wallNs()) + "\n";
    const int fd = ::open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return 1;
    ::flock(fd, LOCK_EX);
    const bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    ::close(fd);
    return written ? 0 : 1;
}

DWORD registerAt(std::int64_t dueWallNs, const std::string& arguments)
{
    const std::uint64_t utcTicks = std::uint64_t(platform::kUnixEpochTicks + dueWallNs / 100);
    FILETIME utc = fileTimeOf(utcTicks), local { };
    FileTimeToLocalFileTime(&utc, &local);
    const auto args = platform::toUtf16(arguments);
    CE_NOTIFICATION_TRIGGER trigger { };
    trigger.dwSize = sizeof trigger;
    trigger.dwType = CNT_TIME;
    trigger.lpszApplication = u"\\Windows\\probe.exe";
    trigger.lpszArguments = args.c_str();
    trigger.stStartTime = *platform::systemTimeOfTicks(ticksOf(local));
    return DWORD(reinterpret_cast<std::uintptr_t>(CeSetUserNotificationEx(nullptr, &trigger, nullptr)));
}

struct Figures {
    double median, p90, worst;
};

Figures figuresOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    auto at = [&](double share) { return values[std::size_t(share * double(values.size() - 1))]; };
    return { at(0.5), at(0.9), values.back() };
}

void measureFiringDelay(const std::filesystem::path& probeLog, int count)
{
    // Wake-ups land on whole milliseconds, as the handheld's SYSTEMTIME holds them.
    const std::int64_t first = (wallNs() / 1'000'000 + 1500) * 1'000'000;
    std::vector<std::int64_t> due;
    for (int i = 0; i < count; ++i) {
        due.push_back(first + std::int64_t(i) * 120'000'000);
        registerAt(due.back(), "w" + std::to_string(i));
    }
    std::this_thread::sleep_for(std::chrono::nanoseconds(due.back() - wallNs()) + std::chrono::seconds(2));
    std::ifstream in(probeLog);
    std::vector<double> delaysMs;
    std::string name;
    std::int64_t startedNs = 0;
    while (in >> name >> startedNs) {
        const int index = std::stoi(name.substr(1));
        delaysMs.push_back(double(startedNs - due[std::size_t(index)]) / 1e6);
    }
    if (delaysMs.size() != std::size_t(count)) {
        std::printf("firing delay: only %zu of %d wake-ups started their program\n", delaysMs.size(), count);
        return;
    }
    const auto f = figuresOf(delaysMs);
    std::printf("firing delay, due moment to the program's own start (%d wake-ups):\n", count);
    std::printf("  median %.2f ms, p90 %.2f ms, worst %.2f ms (target: median below 20 ms, worst below 100 ms)\n\n",
        f.median, f.p90, f.worst);
}

void measureRegistrationCost(int stored, int measured)
{
    const std::int64_t farAhead = wallNs() + std::int64_t(86400) * 1'000'000'000 * 30;
    for (int i = 0; i < stored; ++i)
        registerAt(farAhead + std::int64_t(i) * 60'000'000'000, "a01");
    std::vector<double> costsMs;
    for (int i = 0; i < measured; ++i) {
        const auto start = std::chrono::steady_clock::now();
        registerAt(farAhead - std::int64_t(i + 1) * 60'000'000'000, "a02");
        costsMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    const auto f = figuresOf(costsMs);
    std::printf("registration with %d registrations stored (%d calls):\n", stored, measured);
    std::printf("  median %.3f ms, p90 %.3f ms, worst %.3f ms (target: below 2 ms)\n\n", f.median, f.p90, f.worst);
}

void printServiceMemory()
{
    const auto pid = platform::runningDeviceService();
    if (!pid)
        return;
    std::ifstream status("/proc/" + std::to_string(*pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:") || line.starts_with("VmHWM:"))
            std::printf("service %s (target: resident below 8 MiB)\n", line.c_str());
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* probeLog = std::getenv("TKW_BENCH_PROBE_LOG"))
        return noteStart(probeLog, argc > 1 ? argv[1] : "");

    char pattern[] = "/tmp/tkw-service-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("service bench: temporary device");
        return 1;
    }
    const std::filesystem::path root = pattern;
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    if (!std::getenv("TKW_DEVICED"))
        ::setenv("TKW_DEVICED", TKW_DEVICED_PROGRAM, 1);
    platform::useDeviceRoot(root);
    std::filesystem::create_directories(root / "Windows");
    std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe"), root / "Windows" / "probe.exe");
    const auto probeLog = root / "probe.log";
    ::setenv("TKW_BENCH_PROBE_LOG", probeLog.c_str(), 1);
    // Only the service's children are probes.
    std::string problem;
    if (!platform::startDeviceService(&problem)) {
        std::fprintf(stderr, "service bench: %s (set TKW_DEVICED)\n", problem.c_str());
        return 1;
    }
    ::unsetenv("TKW_BENCH_PROBE_LOG");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    measureFiringDelay(probeLog, argc > 1 ? std::atoi(argv[1]) : 60);
    printServiceMemory();
    (void)platform::stopDeviceService();
    measureRegistrationCost(10'000, 200);

    std::error_code ignored;
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(root, ignored);
    std::filesystem::remove_all(runtime, ignored);
    return 0;
}

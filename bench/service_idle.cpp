// Figures for the device service at rest: with nothing due and no input, how much CPU it
// uses, how often its threads wake, and how often it rewrites its status file.
//
//   service_idle [--seconds N] [--settle N]
//
// It starts the real tkw-deviced ($TKW_DEVICED, else the one built beside this program) on
// a device of its own in a temporary directory, lets it settle, then watches it for N
// seconds (60 unless told): CPU time from /proc/<pid>/stat (utime + stime, all threads) and
// /proc/<pid>/task/*/schedstat, wake-ups as the context switches of all its threads, status
// writes through inotify on the runtime directory. Exits 1 when the service could not be
// watched, 0 otherwise: the figures are for people to read.

#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kStatusFileName = "deviced.status";

struct ProcessCounters {
    std::uint64_t cpuClockTicks = 0; // utime + stime of the whole process
    std::uint64_t runNs = 0;         // time on a CPU, summed over the threads alive now
    std::uint64_t contextSwitches = 0;
    int threads = 0;
};

std::optional<std::uint64_t> readCpuClockTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(in, text))
        return std::nullopt;
    // The command name may hold spaces; the fields after it are plain numbers.
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    std::uint64_t utime = 0, stime = 0;
    // After the name: state is field 3, utime field 14, stime field 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14)
            utime = std::stoull(field);
        else if (number == 15)
            stime = std::stoull(field);
    }
    return utime + stime;
}

std::uint64_t statusValue(const std::filesystem::path& file, const std::string& key)
{
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(key))
            return std::strtoull(line.c_str() + key.size(), nullptr, 10);
    }
    return 0;
}

std::optional<ProcessCounters> readCounters(pid_t pid)
{
    ProcessCounters counters;
    const auto ticks = readCpuClockTicks(pid);
    if (!ticks)
        return std::nullopt;
    counters.cpuClockTicks = *ticks;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        counters.contextSwitches += statusValue(task.path() / "status", "voluntary_ctxt_switches:")
            + statusValue(task.path() / "status", "nonvoluntary_ctxt_switches:");
        std::ifstream schedstat(task.path() / "schedstat");
        std::uint64_t runNs = 0;
        if (schedstat >> runNs)
            counters.runNs += runNs;
        ++counters.threads;
    }
    if (error)
        return std::nullopt;
    return counters;
}

// Counts the times the status file is put in place: by a rename onto it or by a write
// to it that is closed.
class StatusWriteCounter {
public:
    bool watch(const std::filesystem::path& folder)
    {
        m_fd.reset(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
        return m_fd && ::inotify_add_watch(m_fd.get(), folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) >= 0;
    }

    void drain()
    {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(m_fd.get(), buffer, sizeof buffer);
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::strcmp(event->name, kStatusFileName) == 0)
                    ++m_writes;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

    int fd() const { return m_fd.get(); }
    int takeWrites() { return std::exchange(m_writes, 0); }

private:
    platform::UniqueFd m_fd;
    int m_writes = 0;
};

bool waitForStatusFile(const std::filesystem::path& file, std::chrono::seconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::error_code error;
    while (!std::filesystem::exists(file, error)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int measure(int seconds, int settleSeconds)
{
    const auto pid = platform::runningDeviceService();
    if (!pid || *pid <= 0) {
        std::fprintf(stderr, "service idle: the service is not running\n");
        return 1;
    }
    const auto statusFile = platform::runtimeDirectory() / kStatusFileName;
    if (!waitForStatusFile(statusFile, std::chrono::seconds(10))) {
        std::fprintf(stderr, "service idle: the service wrote no status file\n");
        return 1;
    }
    StatusWriteCounter writes;
    if (!writes.watch(platform::runtimeDirectory())) {
        std::fprintf(stderr, "service idle: cannot watch %s: %s\n", platform::runtimeDirectory().c_str(),
            std::strerror(errno));
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(settleSeconds));
    writes.drain();
    (void)writes.takeWrites();

    const auto before = readCounters(*pid);
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    // This process sleeps in poll() on the inotify descriptor alone, so it adds nothing
    // to the service's wake-ups.
    for (auto now = start; now < end; now = std::chrono::steady_clock::now()) {
        pollfd watched { writes.fd(), POLLIN, 0 };
        const auto leftMs = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        if (::poll(&watched, 1, int(leftMs) + 1) > 0)
            writes.drain();
    }
    const auto after = readCounters(*pid);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!before || !after) {
        std::fprintf(stderr, "service idle: the service ended while it was watched\n");
        return 1;
    }
    const int statusWrites = writes.takeWrites();
    const double perMinute = 60.0 / elapsed;
    const double cpuSeconds = double(after->cpuClockTicks - before->cpuClockTicks) / double(::sysconf(_SC_CLK_TCK));
    const std::uint64_t wakeUps = after->contextSwitches - before->contextSwitches;
    const char* display = std::getenv("DISPLAY");
    std::printf("device service at rest: nothing due, no input, %.1f s watched, %d threads, display %s\n", elapsed,
        after->threads, display && *display ? display : "none");
    std::printf("  CPU (utime+stime):   %.2f %% of a core (%.2f s)\n", 100.0 * cpuSeconds / elapsed, cpuSeconds);
    std::printf("  CPU (schedstat):     %.4f %% of a core (%.3f ms) (target: 0.00 %%)\n",
        100.0 * double(after->runNs - before->runNs) / 1e9 / elapsed, double(after->runNs - before->runNs) / 1e6);
    std::printf("  wake-ups:            %llu, %.1f a minute (target: below 10 a minute)\n",
        static_cast<unsigned long long>(wakeUps), double(wakeUps) * perMinute);
    std::printf("  status file written: %d times, %.1f a minute (target: 0 while nothing changes)\n", statusWrites,
        double(statusWrites) * perMinute);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    int settleSeconds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--settle") == 0 && i + 1 < argc) {
            settleSeconds = std::max(0, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: service_idle [--seconds N] [--settle N]\n");
            return 2;
        }
    }

    char pattern[] = "/tmp/tkw-service-idle-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("service idle: temporary device");
        return 1;
    }
    // The device lies one folder down, so that the service hears nothing of what other
    // programs do in /tmp.
    const std::filesystem::path root = std::filesystem::path(pattern) / "device";
    std::error_code made;
    std::filesystem::create_directory(root, made);
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    if (!std::getenv("TKW_DEVICED"))
        ::setenv("TKW_DEVICED", TKW_DEVICED_PROGRAM, 1);
    platform::useDeviceRoot(root);
    std::string problem;
    int result = 1;
    if (!platform::startDeviceService(&problem)) {
        std::fprintf(stderr, "service idle: %s (set TKW_DEVICED)\n", problem.c_str());
    } else {
        for (int i = 0; i < 500 && !platform::runningDeviceService().value_or(0); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        result = measure(seconds, settleSeconds);
        (void)platform::stopDeviceService();
    }
    std::error_code ignored;
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(pattern, ignored);
    std::filesystem::remove_all(runtime, ignored);
    return result;
}

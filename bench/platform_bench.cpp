// Figures for the platform layer: how fast a named event set in one process wakes a waiter
// in another, and what reading the registry and the device clock costs. Runs on a device
// of its own in a temporary directory.

#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/registry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::int64_t monotonicNs()
{
    timespec now { };
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The waiter process writes the moment it woke here; the setter compares with the moment
// it set the event.
struct WakeRecord {
    std::atomic<std::int64_t> wokeAtNs;
};

void measureSetToWake(int rounds)
{
    auto* record = static_cast<WakeRecord*>(
        ::mmap(nullptr, sizeof(WakeRecord), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    HANDLE ping = CreateEventW(nullptr, TRUE, FALSE, u"bench_ping");
    HANDLE pong = CreateEventW(nullptr, TRUE, FALSE, u"bench_pong");
    const pid_t child = ::fork();
    if (child == 0) {
        for (int i = 0; i < rounds; ++i) {
            WaitForSingleObject(ping, INFINITE);
            record->wokeAtNs.store(monotonicNs());
            EventModify(ping, EVENT_RESET);
            EventModify(pong, EVENT_SET);
        }
        ::_exit(0);
    }
    std::vector<double> microseconds;
    microseconds.reserve(std::size_t(rounds));
    for (int i = 0; i < rounds; ++i) {
        // Give the waiter time to fall asleep, so each round measures a real wake-up.
        ::usleep(200);
        const std::int64_t setAt = monotonicNs();
        EventModify(ping, EVENT_SET);
        WaitForSingleObject(pong, INFINITE);
        EventModify(pong, EVENT_RESET);
        microseconds.push_back(double(record->wokeAtNs.load() - setAt) / 1000.0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::sort(microseconds.begin(), microseconds.end());
    auto at = [&](double share) { return microseconds[std::size_t(share * double(microseconds.size() - 1))]; };
    std::printf("named event, set in one process to wake in another (%d rounds):\n", rounds);
    std::printf("  median %.1f us, p90 %.1f us, p99 %.1f us, max %.1f us (target: median below 200 us)\n\n",
        at(0.5), at(0.9), at(0.99), microseconds.back());
    CloseHandle(ping);
    CloseHandle(pong);
    ::munmap(record, sizeof(WakeRecord));
}

void BM_GetLocalTime(benchmark::State& state)
{
    SYSTEMTIME now { };
    for (auto _ : state) {
        GetLocalTime(&now);
        benchmark::DoNotOptimize(now);
    }
}
BENCHMARK(BM_GetLocalTime);

void BM_RegistryReadDword(benchmark::State& state)
{
    (void)platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, u"SOFTWARE\\Orvane\\Tickwell Pro", u"Lang", 1);
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvane\\Tickwell Pro", 0, 0, &key);
    for (auto _ : state) {
        DWORD value = 0, size = sizeof value, type = 0;
        RegQueryValueExW(key, u"Lang", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        benchmark::DoNotOptimize(value);
    }
    RegCloseKey(key);
}
BENCHMARK(BM_RegistryReadDword);

void BM_RegistryReadByPath(benchmark::State& state)
{
    (void)platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, u"SOFTWARE\\Orvane\\Tickwell Pro", u"Lang", 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::readRegistryDword(platform::RegistryRoot::LocalMachine, u"SOFTWARE\\Orvane\\Tickwell Pro", u"Lang"));
}
BENCHMARK(BM_RegistryReadByPath);

void BM_EventTestUnset(benchmark::State& state)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"bench_test");
    for (auto _ : state)
        benchmark::DoNotOptimize(WaitForSingleObject(event, 0));
    CloseHandle(event);
}
BENCHMARK(BM_EventTestUnset);

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/tkw-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("tkw bench: temporary device");
        return 1;
    }
    platform::useDeviceRoot(pattern);
    measureSetToWake(2000);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::error_code ignored;
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(pattern, ignored);
    std::filesystem::remove_all(runtime, ignored);
    return 0;
}

// The delay from an alarm's due moment to the first audible sample of its sound: the device
// service wakes at the moment, the runner starts, brings the alarm up to date, opens its
// alert and starts the sound, which SDL's disk driver writes to a capture file that this
// bench watches.
//
//   runner_bench [ROUNDS]   (10 by default)
//
// The runner waits 500 ms before it looks at the due item and gets everything else ready
// meanwhile; each round also shows the part from the end of that wait (which the runner
// notes through its test hook TKW_RUNNER_TIMING) to the first sample. A second series runs
// with the wait taken out through the hook TKW_RUNNER_TIME_SCALE, to show what start-up
// costs when nothing can hide behind the wait.

#include "alarms/alarm_file.h"
#include "bench/runner_device.h"
#include "alarms/alarm_schedule.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/notifications.h"
#include "platform/windows.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/sound_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kTicksPerMs = 10'000;

// When a sample above the noise floor first appears in the capture (which each runner
// writes afresh), or nullopt after `limit`.
std::optional<Clock::time_point> waitForSound(const std::filesystem::path& capture, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    std::ifstream in;
    std::uintmax_t at = 0;
    while (Clock::now() < deadline) {
        if (!in.is_open()) {
            in.open(capture, std::ios::binary);
            if (!in.is_open()) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
        }
        in.clear();
        in.seekg(std::streamoff(at));
        float pair[2];
        while (in.read(reinterpret_cast<char*>(pair), sizeof pair)) {
            at += sizeof pair;
            if (std::fabs(pair[0]) > 0.05f)
                return Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::nullopt;
}

// The local time on the bench's `day`, counted from 1 March 2026 (day 1) on into April
// when the rounds are many.
SYSTEMTIME at(int day, int hour, int minute, int second, int ms = 0)
{
    const SYSTEMTIME first { 2026, 3, 0, 1, WORD(hour), WORD(minute), WORD(second), WORD(ms) };
    return *platform::systemTimeOfTicks(
        *platform::ticksOfSystemTime(first) + std::uint64_t(day - 1) * 86400 * std::uint64_t(platform::kTicksPerSecond));
}

// Alarm 1 on every day at 07:00, registered for that day, playing the bench's sound once.
bool armAlarm(int day)
{
    alarms::AlarmRecord alarm { };
    if (alarms::readAlarm(0, alarm))
        CeClearUserNotification(reinterpret_cast<HANDLE>(std::uintptr_t(alarm.hNotification)));
    alarm = alarms::AlarmRecord { };
    alarm.enabled = 1;
    alarm.weekdays = alarms::kWeekdayBits;
    alarm.soundIndex = 1;
    alarm.actionKind = alarms::kShowNotification;
    const SYSTEMTIME due = at(day, 7, 0, 0);
    alarm.alarmTime = fileTimeOf(*platform::ticksOfSystemTime(due));
    alarm.hNotification = alarms::registerAlarmWakeUp(store::kRunnerPath, u"a01", due, alarms::WakeUpEnd::None);
    alarms::AlarmTable table { };
    table[0] = alarm;
    return alarm.hNotification != 0 && alarms::SaveAlarms(table);
}

void endAlert()
{
    HWND window = nullptr;
    for (int i = 0; i < 500 && !window; ++i) {
        window = FindWindowW(u"EventsClassa01", u" Reminder");
        if (!window)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (window)
        SendMessageW(window, WM_COMMAND, 200, 0);
    for (int i = 0; i < 500 && FindWindowW(u"EventsClassa01", nullptr); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the runner closes its sound and ends
}

// When the runner's start-up wait ended, as it noted on the steady clock.
std::optional<Clock::time_point> settledAt(const std::filesystem::path& timing)
{
    std::ifstream in(timing);
    std::optional<Clock::time_point> last;
    std::string word;
    long long nanoseconds = 0;
    while (in >> word >> nanoseconds) {
        if (word == "settled")
            last = Clock::time_point(std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanoseconds)));
    }
    return last;
}

// The runner's start-up wait as shipped, which it counts from the start of its main().
constexpr double kSettleMs = 500;

struct Delays {
    std::vector<double> fromDue;     // due moment to the first audible sample, ms
    std::vector<double> fromSettled; // end of the runner's start-up wait to that sample, ms
    std::vector<double> toMain;      // due moment to the runner's main(): service and process start
};

// One series of rounds.
Delays measure(int rounds, const std::filesystem::path& capture, const std::filesystem::path& timing, int& firstDay)
{
    Delays delays;
    for (int round = 0; round < rounds; ++round) {
        const int day = firstDay++;
        std::error_code ignored;
        std::filesystem::remove(capture, ignored);
        std::filesystem::remove(timing, ignored);
        // The clock first: a registration in the device's past would fire at once.
        const SYSTEMTIME before = at(day, 6, 59, 58, 500);
        SetLocalTime(&before);
        if (!armAlarm(day)) {
            std::printf("round %d: cannot register the alarm\n", round);
            continue;
        }
        // The due moment on this process's steady clock.
        FILETIME dueLocal = fileTimeOf(*platform::ticksOfSystemTime(at(day, 7, 0, 0))), dueUtc { };
        LocalFileTimeToFileTime(&dueLocal, &dueUtc);
        const auto nowSteady = Clock::now();
        const auto untilDue = std::int64_t(ticksOf(dueUtc)) - std::int64_t(platform::deviceUniversalTicks());
        const auto due = nowSteady + std::chrono::microseconds(untilDue / 10);
        const auto heard = waitForSound(capture, std::chrono::seconds(15));
        if (!heard) {
            std::printf("round %d: nothing heard within 15 s\n", round);
        } else {
            delays.fromDue.push_back(std::chrono::duration<double, std::milli>(*heard - due).count());
            if (const auto settled = settledAt(timing)) {
                delays.fromSettled.push_back(std::chrono::duration<double, std::milli>(*heard - *settled).count());
                delays.toMain.push_back(delays.fromDue.back() - delays.fromSettled.back() - kSettleMs);
            }
        }
        endAlert();
    }
    return delays;
}

void report(const char* what, std::vector<double> delays)
{
    if (delays.empty()) {
        std::printf("%s: no round heard anything\n", what);
        return;
    }
    std::sort(delays.begin(), delays.end());
    const double median = delays.size() % 2 ? delays[delays.size() / 2]
                                            : (delays[delays.size() / 2 - 1] + delays[delays.size() / 2]) / 2;
    std::printf("%s (%zu rounds):\n  median %.0f ms, best %.0f ms, worst %.0f ms\n", what, delays.size(), median,
        delays.front(), delays.back());
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    char pattern[] = "/tmp/tkw-runner-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::filesystem::path root = pattern;
    const auto capture = root / "capture.raw";
    const auto timing = root / "timing.txt";
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    ::setenv("TKW_DEVICED", TKW_DEVICED_PROGRAM, 1);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TKW_RUNNER_TIMING", timing.c_str(), 1);
    if (!bench::prepareRunnerDevice(root, TKW_RUNNER_PROGRAM))
        return 1;
    testing_support::writeTone(root / "Windows" / "Bench.wav", 0.5, 3000, 0.8, 48000);
    if (!alarms::WriteAlarmSound(0, u"\\Windows\\Bench.wav"))
        return 1;

    int day = 2;
    int status = 0;
    for (const bool shortened : { false, true }) {
        if (shortened)
            ::setenv("TKW_RUNNER_TIME_SCALE", "0", 1);
        std::string problem;
        if (!platform::startDeviceService(&problem)) {
            std::printf("cannot start the device service: %s\n", problem.c_str());
            status = 1;
            break;
        }
        for (int i = 0; i < 500 && !platform::runningDeviceService(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto delays = measure(rounds, capture, timing, day);
        if (shortened) {
            report("Without the runner's 500 ms start-up wait (test hook TKW_RUNNER_TIME_SCALE=0)", delays.fromDue);
        } else {
            report("Due moment to the first audible sample of the alarm, as shipped "
                   "(target: median below 530 ms, worst below 560 ms)",
                delays.fromDue);
            report("  of which from the end of the runner's 500 ms wait to the first sample", delays.fromSettled);
            report("  and from the due moment to the runner's main() (service firing, process start)", delays.toMain);
        }
        (void)platform::stopDeviceService();
        if (delays.fromDue.empty())
            status = 1;
    }
    std::error_code ignored;
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(root, ignored);
    std::filesystem::remove_all(runtime, ignored);
    return status;
}

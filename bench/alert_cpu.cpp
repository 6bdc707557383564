// What an alert costs in CPU while it rings: the real runner, on a device of its own in a
// temporary directory, alerts for alarm 1 twice, once with a sound and once silent, and is
// dismissed after the same time each run. The sound plays into SDL's disk driver, which is
// also how the bench checks that it did play.
//
//   alert_cpu [SECONDS]   (10 by default)
//
// For each run it prints the runner's CPU time (user + system) over the alert, from the
// moment its alert window appears to the dismissal (the process's CPU clock), the part of
// it that SDL's audio thread took (from /proc/PID/task/TID/sched where the kernel keeps it,
// else in clock ticks from the thread's stat; the thread feeds the output every 11 ms,
// sound and the silence between plays alike), the CPU over the runner's whole life (from
// the child's rusage), and the wall times. The sound run is then compared with the silent
// one, allowing for what playing a sound costs anyway: the one decode of the file (measured
// here, in this process) and the audio thread. Target: the sound run's CPU over its whole
// life, less its audio thread, within twice the silent run's plus the decode.

#include "alarms/alarm_file.h"
#include "bench/runner_device.h"
#include "platform/audio.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "platform/windows.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/sound_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char16_t* kSound = u"\\Windows\\Bench.wav";
constexpr double kSoundSeconds = 2.0;
constexpr int kPauseIndex = 0; // one second between plays

// Local time on the bench's `day`, counted from 1 March 2026 (day 1).
SYSTEMTIME at(int day, int hour, int minute, int second)
{
    const SYSTEMTIME first { 2026, 3, 0, 1, WORD(hour), WORD(minute), WORD(second), 0 };
    return *platform::systemTimeOfTicks(
        *platform::ticksOfSystemTime(first) + std::uint64_t(day - 1) * 86400 * std::uint64_t(platform::kTicksPerSecond));
}

// Alarm 1 every day at 07:00, due on `day`, in the notification bubble; with a sound it
// plays `plays` times, a second apart.
bool armAlarm(int day, bool withSound, int plays)
{
    alarms::AlarmRecord alarm { };
    alarm.enabled = 1;
    alarm.weekdays = alarms::kWeekdayBits;
    alarm.soundIndex = withSound ? 1 : 0;
    alarm.repeatIndex = std::uint8_t(std::clamp(plays, 1, 256) - 1);
    alarm.pauseIndex = kPauseIndex;
    alarm.actionKind = alarms::kShowNotification;
    alarm.alarmTime = fileTimeOf(*platform::ticksOfSystemTime(at(day, 7, 0, 0)));
    alarms::AlarmTable table { };
    table[0] = alarm;
    return alarms::SaveAlarms(table) && alarms::WriteAlarmSound(0, withSound ? kSound : u"\\Windows\\None");
}

// User + system CPU in seconds (clock-tick resolution) from a /proc stat file: of a whole
// process, or of one thread (/proc/PID/task/TID/stat); with the thread's name in `name`.
std::optional<double> cpuSecondsIn(const std::filesystem::path& stat, std::string* name = nullptr)
{
    std::ifstream in(stat);
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return std::nullopt;
    if (name)
        *name = line.substr(open + 1, close - open - 1);
    std::istringstream fields(line.substr(close + 2));
    // From the state on: state ppid pgrp session tty tpgid flags minflt cminflt majflt
    // cmajflt utime stime.
    std::string field;
    for (int skip = 0; skip < 11 && fields >> field; ++skip) { }
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system))
        return std::nullopt;
    return double(user + system) / double(::sysconf(_SC_CLK_TCK));
}

// A thread's CPU in seconds from its scheduler statistics (/proc/PID/task/TID/sched, where
// "se.sum_exec_runtime" counts milliseconds to the nanosecond); nullopt without them.
std::optional<double> schedulerCpuSecondsIn(const std::filesystem::path& sched)
{
    std::ifstream in(sched);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("se.sum_exec_runtime"))
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            return std::nullopt;
        return std::atof(line.c_str() + colon + 1) / 1000.0;
    }
    return std::nullopt;
}

struct CpuSample {
    double process = 0;
    double audioThread = 0; // SDL's, "SDLAudioP2" and the like
};

std::optional<CpuSample> cpuOf(pid_t pid)
{
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    CpuSample sample;
    clockid_t clock { };
    timespec used { };
    if (::clock_getcpuclockid(pid, &clock) == 0 && ::clock_gettime(clock, &used) == 0) {
        sample.process = double(used.tv_sec) + double(used.tv_nsec) / 1e9;
    } else if (const auto process = cpuSecondsIn(proc / "stat")) {
        sample.process = *process;
    } else {
        return std::nullopt;
    }
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(proc / "task", error)) {
        std::string name;
        const auto ticks = cpuSecondsIn(task.path() / "stat", &name);
        if (!ticks || !name.starts_with("SDLAudio"))
            continue;
        sample.audioThread += schedulerCpuSecondsIn(task.path() / "sched").value_or(*ticks);
    }
    return sample;
}

double seconds(timeval time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; }

double threadCpuSeconds()
{
    timespec now { };
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

pid_t startRunner()
{
    const pid_t child = ::fork();
    if (child == 0) {
        // As the wake-up of alarm 1 starts it.
        ::setenv(platform::kModulePathVariable, platform::toUtf8(store::kRunnerPath).c_str(), 1);
        std::freopen("/dev/null", "w", stdout);
        ::execl(TKW_RUNNER_PROGRAM, TKW_RUNNER_PROGRAM, "a01", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

struct Run {
    bool alerted = false;
    double alertCpu = 0;     // from the alert window's appearance to the dismissal
    double audioCpu = 0;     // of which SDL's audio thread
    double audioLifeCpu = 0; // SDL's audio thread from its start to the dismissal
    double alertWall = 0;
    double totalCpu = 0;     // the runner's whole life
    double totalWall = 0;
    double heardSeconds = 0;
};

Run measure(int day, bool withSound, double alertSeconds, const std::filesystem::path& capture)
{
    Run run;
    std::error_code ignored;
    std::filesystem::remove(capture, ignored);
    const int plays = int(std::ceil(alertSeconds / (kSoundSeconds + kPauseIndex + 1))) + 1;
    if (!armAlarm(day, withSound, plays))
        return run;
    const SYSTEMTIME due = at(day, 7, 0, 0);
    SetLocalTime(&due);

    const auto started = Clock::now();
    const pid_t runner = startRunner();
    if (runner <= 0)
        return run;
    HWND window = nullptr;
    while (!window && Clock::now() - started < 20s) {
        window = FindWindowW(u"EventsClassa01", u" Reminder");
        if (!window)
            std::this_thread::sleep_for(5ms);
    }
    if (window) {
        const auto shown = Clock::now();
        const auto cpuBefore = cpuOf(runner);
        std::this_thread::sleep_until(shown + std::chrono::duration<double>(alertSeconds));
        const auto cpuAfter = cpuOf(runner);
        run.alertWall = std::chrono::duration<double>(Clock::now() - shown).count();
        if (cpuBefore && cpuAfter) {
            run.alerted = true;
            run.alertCpu = cpuAfter->process - cpuBefore->process;
            run.audioCpu = cpuAfter->audioThread - cpuBefore->audioThread;
            run.audioLifeCpu = cpuAfter->audioThread;
        }
        SendMessageW(window, WM_COMMAND, 200, 0); // Dismiss
    }
    // A runner that does not end after its dismissal is ended here, and the run counts as failed.
    int status = 0;
    rusage usage { };
    for (int waited = 0; ::wait4(runner, &status, WNOHANG, &usage) == 0; ++waited) {
        if (waited == 2000) {
            ::kill(runner, SIGKILL);
            run.alerted = false;
        }
        std::this_thread::sleep_for(5ms);
    }
    run.totalWall = std::chrono::duration<double>(Clock::now() - started).count();
    run.totalCpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.heardSeconds = testing_support::heardSince(capture, 0).seconds;
    return run;
}

void report(const char* what, const Run& run)
{
    std::printf("%s: CPU %.3f s over the alert's %.2f s (audio thread %.3f s); whole run CPU %.3f s in %.2f s; "
                "sound heard %.2f s\n",
        what, run.alertCpu, run.alertWall, run.audioCpu, run.totalCpu, run.totalWall, run.heardSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    const double alertSeconds = argc > 1 ? std::clamp(std::atof(argv[1]), 1.0, 600.0) : 10.0;
    char pattern[] = "/tmp/tkw-alert-cpu-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::filesystem::path root = pattern;
    const auto capture = root / "capture.raw";
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1); // nothing but the bench starts a runner
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!bench::prepareRunnerDevice(root, TKW_RUNNER_PROGRAM))
        return 1;
    testing_support::writeTone(root / "Windows" / "Bench.wav", kSoundSeconds, 880, 0.5, 44100);

    // The one decode the sound run does on top of the silent one.
    const auto soundFile = platform::hostPathOf(kSound);
    const double decodeStart = threadCpuSeconds();
    const bool decoded = soundFile && platform::decodeSoundFile(*soundFile).has_value();
    const double decodeCpu = threadCpuSeconds() - decodeStart;

    const Run sound = measure(2, true, alertSeconds, capture);
    const Run silent = measure(3, false, alertSeconds, capture);

    std::printf("Alert of %.0f s, %.1f s sound played every %.1f s, runner dismissed at the end:\n", alertSeconds,
        kSoundSeconds, kSoundSeconds + kPauseIndex + 1);
    report("  with sound", sound);
    report("  silent    ", silent);
    std::printf("  decode of the sound file: CPU %.3f s\n", decodeCpu);
    std::printf("  over the alert, sound less its audio thread / silent: %.3f s / %.3f s\n",
        sound.alertCpu - sound.audioCpu, silent.alertCpu - silent.audioCpu);
    const double soundBesideAudio = sound.totalCpu - sound.audioLifeCpu;
    const double allowed = 2 * silent.totalCpu + decodeCpu;
    std::printf("  whole run, sound less its audio thread / silent: %.3f s / %.3f s = %.1fx; "
                "target: within 2 x silent + decode = %.3f s: %s\n",
        soundBesideAudio, silent.totalCpu, silent.totalCpu > 0 ? soundBesideAudio / silent.totalCpu : INFINITY,
        allowed, soundBesideAudio <= allowed ? "met" : "missed");

    std::error_code ignored;
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(root, ignored);
    std::filesystem::remove_all(runtime, ignored);
    const bool valid = decoded && sound.alerted && silent.alerted && sound.heardSeconds > 0.5
        && silent.heardSeconds == 0;
    if (!valid)
        std::printf("alert_cpu: a run did not alert as it should (see above)\n");
    return valid ? 0 : 1;
}

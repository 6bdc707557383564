// The soak: alarms, timers and events ringing again and again while the device clock
// jumps, the time zone changes, the device service is killed and tools change the same
// records beside them. Every item runs a small program when it alerts, which writes its
// name to a log; each round ends by counting, per item, how often it alerted.
//
//   alert_soak [--rounds N] [--alarms N] [--timers N] [--events N] [--seed N]
//
// Prints how many alerts were expected, fired, doubled and lost; exits 1 when any was
// doubled or lost. Runs on a device of its own in a temporary directory with the real
// tkwctl, runner and device service (their paths are built in).

#include "alarms/alarm_board.h"
#include "events/event_list.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_service.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "timers/timer_board.h"
#include "timers/timer_file.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr const char16_t* kProbe = u"\\Windows\\soakprobe";

struct Options {
    int rounds = 42;
    int alarms = 8;
    int timers = 2;
    int events = 2;
    unsigned seed = 20261208;
};

// Starts tkwctl with its output (and, when `quiet`, its errors) dropped.
pid_t spawnTkwctl(const std::vector<std::string>& words, bool quiet = true)
{
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv { const_cast<char*>(TKW_TKWCTL) };
        for (const auto& word : words)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        if (quiet)
            std::freopen("/dev/null", "w", stderr);
        ::execv(TKW_TKWCTL, argv.data());
        ::_exit(127);
    }
    return child;
}

// Runs tkwctl to its end; its exit code.
int tkwctl(const std::vector<std::string>& words)
{
    int status = 0;
    ::waitpid(spawnTkwctl(words, false), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

std::string iso(const SYSTEMTIME& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", unsigned(t.wYear) % 10000u,
        unsigned(t.wMonth) % 100u, unsigned(t.wDay) % 100u, unsigned(t.wHour) % 100u, unsigned(t.wMinute) % 100u,
        unsigned(t.wSecond) % 100u);
    return text;
}

SYSTEMTIME plusSeconds(const SYSTEMTIME& t, std::int64_t seconds)
{
    const auto ticks = *platform::ticksOfSystemTime(t);
    return *platform::systemTimeOfTicks(std::uint64_t(std::int64_t(ticks) + seconds * 10'000'000));
}

void require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "alert_soak: %s\n", what);
        std::exit(2);
    }
}

// Lines the probe wrote since `offset`, counted by item name.
std::map<std::string, int> alertsSince(const std::filesystem::path& log, std::uintmax_t& offset)
{
    std::map<std::string, int> counts;
    std::ifstream in(log);
    in.seekg(std::streamoff(offset));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            ++counts[line];
    }
    std::error_code error;
    offset = std::filesystem::file_size(log, error);
    return counts;
}

void startService()
{
    std::string problem;
    require(platform::startDeviceService(&problem), "cannot start the device service");
    for (int i = 0; i < 200 && !platform::runningDeviceService(); ++i)
        std::this_thread::sleep_for(10ms);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--rounds")
            options.rounds = std::max(1, value);
        else if (option == "--alarms")
            options.alarms = std::clamp(value, 0, 19);
        else if (option == "--timers")
            options.timers = std::clamp(value, 0, 15);
        else if (option == "--events")
            options.events = std::clamp(value, 0, 20);
        else if (option == "--seed")
            options.seed = unsigned(value);
        else
            require(false, "unknown option (--rounds --alarms --timers --events --seed)");
    }
    std::mt19937 random(options.seed);

    char pattern[] = "/tmp/tkw-soak-XXXXXX";
    require(::mkdtemp(pattern) != nullptr, "cannot make a temporary device");
    const std::filesystem::path root = pattern;
    const std::filesystem::path log = root / "alerts.log";
    ::setenv("TICKWELL_DEVICE", root.c_str(), 1);
    ::setenv("TKW_DEVICED", TKW_DEVICED_PROGRAM, 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::setenv("TKW_RUNNER_TIME_SCALE", "0.2", 1);

    require(tkwctl({ "install" }) == 0, "tkwctl install failed");
    store::SettingsRecord settings { };
    store::DefaultSettings(settings, 0);
    require(store::SaveSettings(settings), "cannot write settings.dat");
    {
        const auto probe = root / "Windows" / "soakprobe";
        std::ofstream script(probe);
        script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log.string() << "'\n";
        script.close();
        std::filesystem::permissions(probe, std::filesystem::perms::owner_all);
    }

    SYSTEMTIME moment { 2027, 1, 0, 4, 7, 0, 0, 0 }; // a Monday, 07:00
    require(SetLocalTime(&moment), "cannot set the device clock");
    const SYSTEMTIME before = plusSeconds(moment, -3600);
    require(SetLocalTime(&before), "cannot set the device clock");

    // Alarms 1..A ring every day at 07:00 and run the probe with their name.
    for (int n = 1; n <= options.alarms; ++n) {
        require(tkwctl({ "alarm", "set", std::to_string(n), "--time", "07:00", "--days", "Sun,Mon,Tue,Wed,Thu,Fri,Sat",
                    "--on" })
                == 0,
            "tkwctl alarm set failed");
        alarms::AlarmBoard board(alarms::Holder::OtherTool);
        auto chosen = board.currentSettings(n - 1);
        chosen.actionKind = alarms::kExecuteProgram;
        chosen.programPath = kProbe;
        chosen.programArgs = platform::toUtf16("a" + std::to_string(n));
        chosen.keepAwakeIndex = 0;
        require(board.ApplySettings(n - 1, chosen, platform::localNow()).saved, "cannot store an alarm's action");
    }
    // Timers 1..T count three seconds to each round's moment.
    {
        const auto edit = store::editDataFile(store::kTimersFile);
        timers::TimerBoard board;
        (void)board.load(platform::deviceLocalNow());
        for (int n = 1; n <= options.timers; ++n) {
            timers::TimerSettings chosen;
            chosen.name = platform::toUtf16("soak " + std::to_string(n));
            chosen.actionKind = 2;
            chosen.programPath = kProbe;
            chosen.programArgs = platform::toUtf16("t" + std::to_string(n));
            require(board.ApplySettings(n - 1, chosen), "cannot store a timer's action");
        }
        require(timers::SaveAllTimers(board.records()), "cannot write timers.dat");
    }
    startService();

    const char* zones[] = { "UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "JST-9",
        "AEST-10AEDT,M10.1.0,M4.1.0/3" };
    int expected = 0, fired = 0, doubled = 0, lost = 0, strays = 0, kills = 0;
    std::uintmax_t offset = 0;
    for (int round = 0; round < options.rounds; ++round) {
        moment = plusSeconds(moment, 24 * 3600);
        // A new zone (a time change of its own), then the clock a few seconds before 07:00.
        if (random() % 3 == 0)
            (void)tkwctl({ "device", "zone", "set", zones[random() % std::size(zones)] });
        const SYSTEMTIME lead = plusSeconds(moment, -4);
        require(SetLocalTime(&lead), "cannot set the device clock");

        std::set<std::string> wanted;
        for (int n = 1; n <= options.alarms; ++n)
            wanted.insert("a" + std::to_string(n));
        for (int n = 1; n <= options.timers; ++n) {
            (void)tkwctl({ "timer", "reset", std::to_string(n) }); // one that went astray starts anew
            if (tkwctl({ "timer", "set", std::to_string(n), "--value", "00:00:04" }) == 0
                && tkwctl({ "timer", "start", std::to_string(n) }) == 0)
                wanted.insert("t" + std::to_string(n));
        }
        for (int k = 0; k < options.events; ++k) {
            const std::string name = "r" + std::to_string(round) + "e" + std::to_string(k);
            if (tkwctl({ "event", "add", "--name", name, "--at", iso(plusSeconds(moment, 1)) }) != 0)
                continue;
            const auto edit = store::editDataFile(store::kEventsFile);
            events::EventList list;
            if (!edit || !events::LoadEvents(list))
                continue;
            for (std::size_t i = 0; i < list.count(); ++i) {
                auto& event = list.records[i];
                if (platform::toUtf8(events::eventName(event)) != name)
                    continue;
                event.actionKind = 2;
                std::fill(std::begin(event.programPath), std::end(event.programPath), u'\0');
                std::fill(std::begin(event.programArgs), std::end(event.programArgs), u'\0');
                std::u16string path(kProbe), args = platform::toUtf16(name);
                std::copy(path.begin(), path.end(), event.programPath);
                std::copy(args.begin(), args.end(), event.programArgs);
                if (events::SaveEvents(list))
                    wanted.insert(name);
            }
        }

        // Tools changing the same records beside the ringing, and now and then the service
        // killed and started again.
        std::vector<pid_t> tools;
        for (int k = 0; k < 4 && options.alarms > 0; ++k)
            tools.push_back(spawnTkwctl({ "alarm", "set", std::to_string(1 + random() % unsigned(options.alarms)),
                "--label", "round " + std::to_string(round) }));
        tools.push_back(spawnTkwctl({ "alarm", "set", "20", "--time", "07:00", "--days", "Mon", "--label", "never" }));
        tools.push_back(spawnTkwctl({ "settings", "set", "chime", std::to_string(round % 2) }));
        if (random() % 3 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 5000));
            if (const auto pid = platform::runningDeviceService()) {
                ::kill(*pid, SIGKILL);
                ++kills;
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1500));
                startService();
            }
        }
        for (const pid_t tool : tools)
            ::waitpid(tool, nullptr, 0);

        // The runners of kind "execute" end a second after their program.
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + 9s);
        const auto counts = alertsSince(log, offset);
        expected += int(wanted.size());
        for (const auto& item : wanted) {
            const auto found = counts.find(item);
            const int times = found == counts.end() ? 0 : found->second;
            if (times > 0)
                ++fired;
            if (times > 1)
                ++doubled;
            if (times == 0) {
                ++lost;
                std::fprintf(stderr, "alert_soak: round %d: %s did not alert\n", round, item.c_str());
            }
        }
        for (const auto& [item, times] : counts) {
            if (!wanted.contains(item)) {
                strays += times;
                std::fprintf(stderr, "alert_soak: round %d: %s alerted %d time(s) unasked\n", round, item.c_str(), times);
            }
        }
        std::printf("round %d: %zu expected, %d fired in all so far, %d doubled, %d lost\n", round + 1, wanted.size(),
            fired, doubled, lost);
        std::fflush(stdout);
    }
    if (const auto pid = platform::runningDeviceService())
        ::kill(*pid, SIGTERM);
    std::printf("alert_soak: %d rounds, %d service kills: %d alerts expected, %d fired, %d doubled, %d lost, "
                "%d unasked\n",
        options.rounds, kills, expected, fired, doubled, lost, strays);
    std::error_code error;
    std::filesystem::remove_all(root, error);
    return doubled == 0 && lost == 0 && strays == 0 ? 0 : 1;
}

// Several programs changing the same records and wake-ups at once, and programs stopped in
// the middle of a change: real tkwctl, runner and device-service processes on a device of
// the test's own. Every round ends with every change present and exactly one registration
// for each item that is on, none for the others.

#include "alarms/alarm_file.h"
#include "alarms/alarm_schedule.h"
#include "events/event_list.h"
#include "platform/device_service.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "runner/alert_window.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "tests/runner/runner_fixture.h"
#include "tests/support/child_process.h"
#include "timers/timer_file.h"

#include <csignal>
#include <fstream>
#include <map>
#include <random>
#include <set>

using namespace runner_tests;
using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::runCommand;

namespace {

class Consistency : public testing_support::DeviceTest {
protected:
    Consistency()
        : m_deviced("TKW_DEVICED", TKW_DEVICED_PROGRAM)
        , m_display("QT_QPA_PLATFORM", "offscreen")
        , m_audio("SDL_AUDIODRIVER", "dummy")
        , m_quick("TKW_RUNNER_TIME_SCALE", "0")
    {
        EXPECT_EQ(tkwctl({ "install" }).exitCode, 0);
        setClock(at(2026, 3, 9, 6, 0)); // a Monday
    }

    ~Consistency() override
    {
        for (const pid_t pid : runners())
            ::kill(pid, SIGKILL);
    }

    static void setClock(const SYSTEMTIME& local) { ASSERT_TRUE(SetLocalTime(&local)); }

    static testing_support::CommandResult tkwctl(std::vector<std::string> words)
    {
        words.insert(words.begin(), TKW_TKWCTL);
        return runCommand(words, 60s);
    }

    // Starts every command at once and waits for all; their exit codes.
    static std::vector<int> inParallel(const std::vector<std::vector<std::string>>& commands)
    {
        std::vector<std::unique_ptr<ChildProcess>> children;
        for (auto words : commands) {
            words.insert(words.begin(), TKW_TKWCTL);
            children.push_back(std::make_unique<ChildProcess>(words));
        }
        std::vector<int> codes;
        for (auto& child : children)
            codes.push_back(child->wait(60s).value_or(-1));
        return codes;
    }

    static alarms::AlarmTable alarmsOnDisk()
    {
        alarms::AlarmTable table { };
        EXPECT_TRUE(alarms::readAlarmsFile(table));
        return table;
    }

    // Exactly one registration for each alarm that is on, named by its record; none for the
    // alarms that are off.
    static void expectOneRegistrationPerAlarmThatIsOn()
    {
        const auto table = alarmsOnDisk();
        for (int i = 0; i < alarms::kAlarmCount; ++i) {
            const auto& alarm = table[std::size_t(i)];
            const auto found = wakeUpsWithArguments(alarms::alarmArgument(i + 1));
            if (alarm.enabled) {
                ASSERT_EQ(found.size(), 1u) << "alarm " << i + 1;
                EXPECT_EQ(found[0].handle, alarm.hNotification) << "alarm " << i + 1;
                EXPECT_EQ(found[0].startLocalTicks, ticksOf(alarm.alarmTime)) << "alarm " << i + 1;
            } else {
                EXPECT_TRUE(found.empty()) << "alarm " << i + 1 << " is off but registered";
            }
        }
    }

    std::vector<pid_t> runners() const { return programsOfDevice(m_device.root(), "TkEvents.exe"); }

    bool waitForNoRunner() const { return waitUntil([&] { return runners().empty(); }, 30s); }

    // The runner's renewal, as "tkwctl notify renew" asks for it.
    void renew() const
    {
        ASSERT_EQ(runCommand({ TKW_RUNNER, "UpdateNotifications" }, 60s).exitCode, 0);
    }

    static void startService()
    {
        std::string problem;
        ASSERT_TRUE(platform::startDeviceService(&problem)) << problem;
        ASSERT_TRUE(waitUntil([] { return platform::runningDeviceService().has_value(); }, 10s));
    }

    testing_support::EnvironmentGuard m_deviced, m_display, m_audio, m_quick;
};

TEST_F(Consistency, TwentyToolsChangingTwentyAlarmsAtOnceLoseNothing)
{
    for (int round = 0; round < 10; ++round) {
        std::vector<std::vector<std::string>> commands;
        const std::string time = round % 2 ? "07:00" : "08:30";
        for (int n = 1; n <= 20; ++n)
            commands.push_back({ "alarm", "set", std::to_string(n), "--time", time, "--days", "Mon",
                "--label", "L" + std::to_string(n) + "r" + std::to_string(round), "--on" });
        const auto codes = inParallel(commands);
        for (std::size_t i = 0; i < codes.size(); ++i)
            ASSERT_EQ(codes[i], 0) << "alarm " << i + 1 << " in round " << round;
        const auto table = alarmsOnDisk();
        for (int n = 1; n <= 20; ++n) {
            const auto& alarm = table[std::size_t(n - 1)];
            EXPECT_TRUE(alarm.enabled) << "alarm " << n << " in round " << round;
            EXPECT_EQ(platform::toUtf8(alarms::alarmLabel(alarm)), "L" + std::to_string(n) + "r" + std::to_string(round));
        }
        expectOneRegistrationPerAlarmThatIsOn();
    }
}

TEST_F(Consistency, TwentyChangesOfOneAlarmAtOnceLeaveOneWakeUp)
{
    ASSERT_EQ(tkwctl({ "alarm", "set", "3", "--time", "07:00", "--days", "Mon,Tue" }).exitCode, 0);
    std::vector<std::vector<std::string>> commands;
    for (int k = 0; k < 20; ++k)
        commands.push_back({ "alarm", "set", "3", "--label", "Run " + std::to_string(k), "--on" });
    for (const int code : inParallel(commands))
        EXPECT_EQ(code, 0);
    EXPECT_TRUE(alarmsOnDisk()[2].enabled);
    expectOneRegistrationPerAlarmThatIsOn();
    EXPECT_EQ(wakeUpsWithArguments(u"a03").size(), 1u);
}

TEST_F(Consistency, TwentyEventsAddedAtOnceAreAllKeptEachWithItsWakeUp)
{
    for (int round = 0; round < 10; ++round) {
        std::vector<std::vector<std::string>> commands;
        for (int k = 0; k < 20; ++k)
            commands.push_back({ "event", "add", "--name", "E" + std::to_string(k) + "r" + std::to_string(round),
                "--at", "2026-04-01T09:00" });
        for (const int code : inParallel(commands))
            EXPECT_EQ(code, 0);
        events::EventList list;
        ASSERT_TRUE(events::LoadEvents(list));
        ASSERT_EQ(list.count(), std::size_t(20 * (round + 1)));
        std::set<std::string> names;
        for (std::size_t i = 0; i < list.count(); ++i) {
            names.insert(platform::toUtf8(events::eventName(list.records[i])));
            const auto found
                = wakeUpsWithArguments(u"e" + platform::toUtf16(std::to_string(list.records[i].hNotification)));
            EXPECT_EQ(found.size(), 1u) << "event " << i + 1;
        }
        EXPECT_EQ(names.size(), list.count());
    }
}

TEST_F(Consistency, AMixedRoundOfAlarmsTimersEventsAndSettingsKeepsEveryChange)
{
    ASSERT_EQ(tkwctl({ "alarm", "set", "5", "--time", "06:30", "--days", "Tue", "--on" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "set", "2", "--value", "00:10:00", "--name", "Tea" }).exitCode, 0);
    for (int round = 0; round < 10; ++round) {
        const auto codes = inParallel({
            { "alarm", "set", "5", "--off" },
            { "alarm", "set", "6", "--label", "Renamed", "--time", "09:00", "--days", "Fri", "--on" },
            { "timer", "start", "2" },
            { "timer", "set", "7", "--value", "00:00:30", "--name", "Egg" },
            { "event", "add", "--name", "Mixed", "--at", "2026-05-01T10:00" },
            { "settings", "set", "chime", "1" },
            { "settings", "set", "alarmVolume", "2" },
        });
        for (std::size_t i = 0; i < codes.size(); ++i)
            EXPECT_EQ(codes[i], 0) << "command " << i << " in round " << round;
        const auto table = alarmsOnDisk();
        EXPECT_FALSE(table[4].enabled);
        EXPECT_TRUE(table[5].enabled);
        EXPECT_EQ(platform::toUtf8(alarms::alarmLabel(table[5])), "Renamed");
        timers::TimerTable timerTable { };
        ASSERT_TRUE(timers::readTimersFile(timerTable));
        EXPECT_TRUE(timerTable[1].running);
        EXPECT_EQ(wakeUpsWithArguments(u"t01").size(), 1u);
        EXPECT_EQ(wakeUpsWithArguments(u"t01")[0].handle, timerTable[1].hNotification);
        EXPECT_EQ(timerTable[6].initSecond, 30);
        events::EventList list;
        ASSERT_TRUE(events::LoadEvents(list));
        EXPECT_EQ(list.count(), std::size_t(round + 1));
        const auto settings = platform::readWholeFile(store::DataFilePath(store::kSettingsFile), 2048);
        ASSERT_TRUE(settings && settings->size() == sizeof(store::SettingsRecord));
        store::SettingsRecord record { };
        std::memcpy(&record, settings->data(), sizeof record);
        EXPECT_EQ(record.chime, 1);
        EXPECT_EQ(record.alarmVolume, 2u);
        expectOneRegistrationPerAlarmThatIsOn();
        ASSERT_EQ(tkwctl({ "timer", "stop", "2" }).exitCode, 0);
        EXPECT_TRUE(wakeUpsWithArguments(u"t01").empty());
    }
}

TEST_F(Consistency, ToolsKilledInTheMiddleOfAChangeLeaveNothingARenewalCannotMend)
{
    ASSERT_EQ(tkwctl({ "alarm", "set", "3", "--time", "07:00", "--days", "Mon,Wed" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "alarm", "set", "4", "--time", "07:30", "--days", "Tue" }).exitCode, 0);
    std::mt19937 random(20261208);
    for (int round = 0; round < 30; ++round) {
        const bool on = random() % 2 == 0;
        ChildProcess one({ TKW_TKWCTL, "alarm", "set", "3", on ? "--on" : "--off" });
        ChildProcess two({ TKW_TKWCTL, "alarm", "set", "4", on ? "--off" : "--on" });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60'000));
        one.kill(SIGKILL);
        two.kill(SIGKILL);
        (void)one.wait(10s);
        (void)two.wait(10s);
    }
    renew();
    expectOneRegistrationPerAlarmThatIsOn();
    // No temporary file of an interrupted save is left once the file has been saved again.
    for (const auto& entry : std::filesystem::directory_iterator(m_device.root() / "Application Data" / "Orvane Tickwell Pro" / "data")) {
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.starts_with(".alarms.dat.") && !name.ends_with(".lock")) << name;
    }
}

TEST_F(Consistency, ATimeChangeRacingTheRingLeavesOneWakeUpAndTheAlarmStillAlerts)
{
    ASSERT_EQ(tkwctl({ "alarm", "set", "3", "--time", "07:00", "--days", "Mon,Tue,Wed,Thu,Fri,Sat,Sun", "--on" })
                  .exitCode,
        0);
    alarms::AlarmRecord alarm { };
    ASSERT_TRUE(alarms::readAlarm(2, alarm));
    alarm.actionKind = alarms::kShowNotification;
    ASSERT_TRUE(alarms::writeAlarm(2, alarm));
    store::SettingsRecord settings { };
    store::DefaultSettings(settings, 0);
    ASSERT_TRUE(store::SaveSettings(settings)); // the runner would wait for it otherwise
    int alerted = 0;
    constexpr int kRounds = 50;
    for (int round = 0; round < kRounds; ++round) {
        // Each round rings the alarm of the day at 07:00 while the renewal after a time
        // change runs beside the ringing runner.
        const auto before = wakeUpsWithArguments(u"a03");
        ASSERT_EQ(before.size(), 1u) << "round " << round;
        SYSTEMTIME due { };
        ASSERT_TRUE(platform::systemTimeOfTicks(before[0].startLocalTicks).has_value());
        due = *platform::systemTimeOfTicks(before[0].startLocalTicks);
        setClock(due);
        ASSERT_TRUE(platform::takeWakeUpForFiring(before[0].handle)); // as the service does
        testing_support::EnvironmentGuard fired(platform::kWakeUpStartVariable,
            std::to_string(before[0].startLocalTicks).c_str());
        ChildProcess renewal({ TKW_RUNNER, "AppRunAfterTimeChange" });
        ChildProcess ring({ TKW_RUNNER, "a03" });
        ASSERT_TRUE(renewal.wait(60s).has_value());
        const std::u16string cls = runner::alertWindowClass(u"a03");
        if (waitUntil([&] { return FindWindowW(cls.c_str(), nullptr) != nullptr; }, 20s))
            ++alerted;
        ring.kill(SIGKILL);
        (void)ring.wait(10s);
        const auto after = wakeUpsWithArguments(u"a03");
        ASSERT_EQ(after.size(), 1u) << "round " << round;
        ASSERT_TRUE(alarms::readAlarm(2, alarm));
        EXPECT_EQ(after[0].handle, alarm.hNotification) << "round " << round;
        EXPECT_EQ(after[0].startLocalTicks, before[0].startLocalTicks + 24 * 3600 * kSecond) << "round " << round;
    }
    EXPECT_EQ(alerted, kRounds);
}

TEST_F(Consistency, AnAlarmSetWithTkwctlOnANewDeviceRingsWithoutTheMainProgramEverStarting)
{
    // Only the installer has run: path.dat and the time-change registration are its.
    EXPECT_FALSE(store::ReadInstallFolder(store::InstallFolderReader::TodayPlugin).empty());
    EXPECT_FALSE(platform::timeChangeApplications().value_or(std::vector<std::u16string> { }).empty());
    ASSERT_EQ(tkwctl({ "alarm", "set", "1", "--time", "07:00", "--days", "Mon", "--on" }).exitCode, 0);
    startService();
    setClock(at(2026, 3, 9, 6, 59, 58));
    const std::u16string cls = runner::alertWindowClass(u"a01");
    EXPECT_TRUE(waitUntil([&] { return FindWindowW(cls.c_str(), nullptr) != nullptr; }, 30s));
}

TEST_F(Consistency, ADamagedWakeUpDatabaseIsRebuiltFromTheRecordsRunningTimersIncluded)
{
    ASSERT_EQ(tkwctl({ "alarm", "set", "2", "--time", "07:15", "--days", "Mon", "--on" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "set", "4", "--value", "02:00:00" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "start", "4" }).exitCode, 0);
    const auto database = m_device.root() / ".platform" / "wakeups.db";
    ASSERT_TRUE(std::filesystem::exists(database));
    for (const char* companion : { "-wal", "-shm" })
        std::filesystem::remove(database.string() + companion);
    {
        std::ofstream damage(database, std::ios::binary | std::ios::trunc);
        damage << std::string(8192, 'x');
    }
    // A runner on the damaged database gives up at once and says why.
    const auto started = std::chrono::steady_clock::now();
    (void)runCommand({ TKW_RUNNER, "a02" }, 60s);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    const auto log = platform::readWholeFile(store::kLogPath, 1 << 20);
    ASSERT_TRUE(log.has_value());
    std::u16string text(log->size() / 2, u'\0');
    std::memcpy(text.data(), log->data(), text.size() * 2);
    EXPECT_NE(text.find(u"wake-up database"), std::u16string::npos);

    // The service sets it aside, makes it anew and has the runner register everything again.
    startService();
    EXPECT_TRUE(waitUntil([] {
        return wakeUpsWithArguments(u"t03").size() == 1 && wakeUpsWithArguments(u"a02").size() == 1;
    }, 30s));
    EXPECT_TRUE(waitForNoRunner());
    timers::TimerTable timerTable { };
    ASSERT_TRUE(timers::readTimersFile(timerTable));
    EXPECT_EQ(wakeUpsWithArguments(u"t03")[0].handle, timerTable[3].hNotification);
    expectOneRegistrationPerAlarmThatIsOn();
    bool setAside = false;
    for (const auto& entry : std::filesystem::directory_iterator(database.parent_path()))
        setAside = setAside || entry.path().filename().string().starts_with("wakeups.db.damaged-");
    EXPECT_TRUE(setAside);
}

TEST_F(Consistency, BusyFilesAreWaitedForAndUnreadableOnesRefused)
{
    ASSERT_EQ(tkwctl({ "timer", "set", "3", "--value", "00:05:00", "--name", "Pasta" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "settings", "set", "chime", "1" }).exitCode, 0);
    {
        // Another program holds both files for a moment.
        auto timersHeld = platform::File::open(store::DataFilePath(store::kTimersFile), platform::Access::ReadWrite,
            platform::Share::None, platform::Disposition::OpenExisting);
        auto settingsHeld = platform::File::open(store::DataFilePath(store::kSettingsFile),
            platform::Access::ReadWrite, platform::Share::None, platform::Disposition::OpenExisting);
        ASSERT_EQ(tkwctl({ "alarm", "set", "7", "--label", "Kept" }).exitCode, 0);
        auto alarmsHeld = platform::File::open(store::DataFilePath(store::kAlarmsFile), platform::Access::ReadWrite,
            platform::Share::None, platform::Disposition::OpenExisting);
        ASSERT_TRUE(timersHeld && settingsHeld && alarmsHeld);
        ChildProcess list({ TKW_TKWCTL, "--json", "timer", "list" });
        ChildProcess show({ TKW_TKWCTL, "--json", "settings", "show" });
        ChildProcess alarmList({ TKW_TKWCTL, "--json", "alarm", "list" });
        std::this_thread::sleep_for(300ms);
        timersHeld.reset();
        settingsHeld.reset();
        alarmsHeld.reset();
        std::string alarmsListed;
        while (const auto line = alarmList.readLine())
            alarmsListed += *line;
        EXPECT_EQ(alarmList.wait(), 0);
        EXPECT_NE(alarmsListed.find("\"label\":\"Kept\""), std::string::npos);
        std::string listed, shown;
        while (const auto line = list.readLine())
            listed += *line;
        while (const auto line = show.readLine())
            shown += *line;
        EXPECT_EQ(list.wait(), 0);
        EXPECT_EQ(show.wait(), 0);
        EXPECT_NE(listed.find("\"name\":\"Pasta\""), std::string::npos);
        EXPECT_NE(shown.find("\"source\":\"file\""), std::string::npos);
    }
    timers::TimerTable timerTable { };
    ASSERT_TRUE(timers::readTimersFile(timerTable));
    EXPECT_EQ(platform::toUtf8(alarms::fieldText(timerTable[2].name)), "Pasta");

    // Start on a running timer is refused and moves nothing.
    ASSERT_EQ(tkwctl({ "timer", "start", "3" }).exitCode, 0);
    ASSERT_TRUE(timers::readTimersFile(timerTable));
    const auto end = ticksOf(timerTable[2].value);
    const auto wakeUp = wakeUpsWithArguments(u"t02");
    ASSERT_EQ(wakeUp.size(), 1u);
    setClock(at(2026, 3, 9, 6, 2));
    EXPECT_EQ(tkwctl({ "timer", "start", "3" }).exitCode, 1);
    ASSERT_TRUE(timers::readTimersFile(timerTable));
    EXPECT_EQ(ticksOf(timerTable[2].value), end);
    EXPECT_EQ(wakeUpsWithArguments(u"t02")[0].startLocalTicks, wakeUp[0].startLocalTicks);

    // A file that cannot be read is an error, never an empty list.
    const auto data = m_device.root() / "Application Data" / "Orvane Tickwell Pro" / "data";
    std::filesystem::remove(data / "alarms.dat");
    std::filesystem::create_directory(data / "alarms.dat");
    EXPECT_EQ(tkwctl({ "alarm", "list" }).exitCode, 1);
    std::filesystem::remove(data / "timers.dat");
    std::filesystem::create_directory(data / "timers.dat");
    EXPECT_EQ(tkwctl({ "timer", "list" }).exitCode, 1);
    EXPECT_EQ(tkwctl({ "timer", "start", "1" }).exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_directory(data / "timers.dat"));
}

} // namespace

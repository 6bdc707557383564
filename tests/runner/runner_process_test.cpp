// The runner as the device starts it: real processes (the device service, tkwctl, the
// runner itself) on a device of the test's own, moved through time with the device clock.
// The runners play into SDL's disk driver and are watched through their alert window.

#include "alarms/alarm_file.h"
#include "events/event_list.h"
#include "platform/device_service.h"
#include "platform/files.h"
#include "platform/text.h"
#include "runner/alert_window.h"
#include "store/signals.h"
#include "tests/runner/runner_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/sound_capture.h"
#include "timers/timer_file.h"
#include "timers/timer_schedule.h"

#include <csignal>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>

using namespace runner;
using namespace runner_tests;
using namespace std::chrono_literals;
using testing_support::runCommand;

namespace {

class RunnerProcesses : public testing_support::DeviceTest {
protected:
    RunnerProcesses()
        : m_capture(m_device.root() / "capture.raw")
        , m_deviced("TKW_DEVICED", TKW_DEVICED_PROGRAM)
        , m_audio("SDL_AUDIODRIVER", "disk")
        , m_audioFile("SDL_DISKAUDIOFILE", m_capture.c_str())
        , m_display("QT_QPA_PLATFORM", "offscreen")
        , m_quick("TKW_RUNNER_TIME_SCALE", "0.2")
    {
        EXPECT_EQ(tkwctl({ "install" }).exitCode, 0);
        prepareDevice();
        testing_support::writeTone(m_device.root() / "Windows" / "Tone.wav", 0.3, 880, 0.5);
        setClock(at(2026, 3, 9, 6, 50)); // a Monday
    }

    ~RunnerProcesses() override
    {
        // Runners and the programs they start are nobody's children: end those this test left.
        for (const pid_t pid : runners())
            ::kill(pid, SIGKILL);
        for (const pid_t pid : reminderScreens())
            ::kill(pid, SIGKILL);
    }

    static void setClock(const SYSTEMTIME& local) { ASSERT_TRUE(SetLocalTime(&local)); }

    static void startService()
    {
        std::string problem;
        ASSERT_TRUE(platform::startDeviceService(&problem)) << problem;
        ASSERT_TRUE(waitUntil([] { return platform::runningDeviceService().has_value(); }, 10s));
    }

    static testing_support::CommandResult tkwctl(std::vector<std::string> words)
    {
        words.insert(words.begin(), TKW_TKWCTL);
        return runCommand(words, 20s);
    }

    // Alarm 1 at 07:00 every day playing Tone.wav in the notification bubble, as tkwctl
    // switches it on; `edit` then changes what the settings window would.
    static void switchOnAlarm(const std::function<void(alarms::AlarmRecord&)>& edit)
    {
        ASSERT_EQ(tkwctl({ "alarm", "set", "1", "--time", "07:00", "--days", "Mon,Tue,Wed,Thu,Fri,Sat,Sun", "--sound",
                      "\\Windows\\Tone.wav", "--on" })
                      .exitCode,
            0);
        alarms::AlarmRecord alarm { };
        ASSERT_TRUE(alarms::readAlarm(0, alarm));
        alarm.actionKind = alarms::kShowNotification; // a new alarm shows a plug-in view
        edit(alarm);
        ASSERT_TRUE(alarms::writeAlarm(0, alarm));
    }

    static HWND waitForAlertWindow(std::u16string_view argument, std::chrono::milliseconds timeout = 20s)
    {
        const std::u16string cls = alertWindowClass(argument);
        HWND window = nullptr;
        const std::u16string title(kAlertWindowTitle);
        (void)waitUntil([&] { return (window = FindWindowW(cls.c_str(), title.c_str())) != nullptr; }, timeout);
        return window;
    }

    static AlertState stateOf(HWND window) { return decodeAlertState(SendMessageW(window, kAlertStateQuery, 0, 0)); }

    // Waits until the alert's sound loop has played `plays` times in all and is over.
    static bool waitForPlays(HWND window, int plays)
    {
        return waitUntil([&] {
            const auto state = stateOf(window);
            return state.playsStarted >= plays && !state.soundPlaying;
        }, 20s);
    }

    std::vector<pid_t> runners() const { return programsStartedAs("TkEvents.exe"); }
    std::vector<pid_t> reminderScreens() const { return programsStartedAs("Tickwell Pro.exe"); }

    std::vector<pid_t> programsStartedAs(std::string_view fileName) const
    {
        return programsOfDevice(m_device.root(), fileName);
    }

    bool waitForNoRunner() const { return waitUntil([&] { return runners().empty(); }, 20s); }

    void dismissAndWaitForTheEnd(HWND window) const
    {
        SendMessageW(window, WM_COMMAND, kDismissCommand, 0);
        EXPECT_TRUE(waitForNoRunner());
        EXPECT_EQ(registryVolume(), kUserVolume);
        EXPECT_FALSE(signalIsSet(store::kSoundVolumeTaken));
    }

    // How many separate sounds the capture holds (sounds at least 0.2 s apart).
    int soundsHeard() const
    {
        std::this_thread::sleep_for(200ms); // the driver writes a buffer behind
        std::ifstream in(m_capture, std::ios::binary);
        float pair[2];
        int sounds = 0;
        std::int64_t quietFrames = 48000;
        while (in.read(reinterpret_cast<char*>(pair), sizeof pair)) {
            if (std::fabs(pair[0]) > 0.01f) {
                if (quietFrames >= 9600)
                    ++sounds;
                quietFrames = 0;
            } else {
                ++quietFrames;
            }
        }
        return sounds;
    }

    // The main program, as the runner starts it for an item that shows a plug-in view: the
    // reminder screen probe, behaving as `mode` says (see reminder_screen_probe.cpp).
    void replaceMainProgram(const char* mode)
    {
        const auto program = m_device.root() / "Program Files" / "Tickwell Pro" / "Tickwell Pro.exe";
        std::filesystem::remove(program);
        std::filesystem::create_symlink(TKW_REMINDER_SCREEN_PROBE, program);
        m_screenMode.emplace("TKW_REMINDER_PROBE", mode);
        m_screenLog.emplace("TKW_REMINDER_PROBE_LOG", (m_device.root() / "screens.log").c_str());
    }

    // The command lines the main program was started with.
    std::vector<std::string> mainProgramStarts() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_device.root() / "screens.log");
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // Alarm 1 due now, showing the plug-in view "Dezod" (a new alarm's action) with Tone.wav.
    static void switchOnPluginViewAlarm()
    {
        switchOnAlarm([](alarms::AlarmRecord& alarm) {
            alarm.actionKind = alarms::kShowPluginView;
            alarms::setFieldText(alarm.programPath, u"Dezod");
        });
        setClock(at(2026, 3, 9, 7, 0, 0));
    }

    // The runner as the wake-up of alarm 1 starts it.
    static std::unique_ptr<testing_support::ChildProcess> startRunnerForAlarm()
    {
        testing_support::EnvironmentGuard started("TKW_MODULE_PATH", platform::toUtf8(store::kRunnerPath).c_str());
        return std::make_unique<testing_support::ChildProcess>(std::vector<std::string> { TKW_RUNNER, "a01" });
    }

    static bool waitForOwnBubble(HWND window, std::chrono::milliseconds timeout = 20s)
    {
        return waitUntil([&] {
            const auto state = stateOf(window);
            return state.bubbleOpen && state.bubbleHasSoftKeys;
        }, timeout);
    }

    static alarms::AlarmRecord alarmOnDisk()
    {
        alarms::AlarmRecord alarm { };
        EXPECT_TRUE(alarms::readAlarm(0, alarm));
        return alarm;
    }

    std::filesystem::path m_capture;
    testing_support::EnvironmentGuard m_deviced, m_audio, m_audioFile, m_display, m_quick;
    std::optional<testing_support::EnvironmentGuard> m_screenMode, m_screenLog;
};

} // namespace

TEST_F(RunnerProcesses, AnAlarmSwitchedOnWithTkwctlRingsAsTheClockPassesItsMomentAndEndsOnDismiss)
{
    switchOnAlarm([](alarms::AlarmRecord& alarm) {
        alarm.repeatIndex = 1; // twice
        alarm.pauseIndex = 0;  // one second apart
        alarms::setAlarmLabel(alarm, u"Gym");
    });
    startService();
    setClock(at(2026, 3, 9, 6, 59, 58));

    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    // Moved to its next weekday under the runner's own registration.
    const auto moved = alarmOnDisk();
    EXPECT_EQ(ticksOf(moved.alarmTime), ticksAt(at(2026, 3, 10, 7, 0)));
    const auto next = wakeUpsWithArguments(u"a01");
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].handle, moved.hNotification);
    EXPECT_EQ(next[0].startLocalTicks, ticksAt(at(2026, 3, 10, 7, 0)));
    EXPECT_EQ(next[0].application, store::kRunnerPath);

    ASSERT_TRUE(waitForPlays(window, 2));
    const AlertState state = stateOf(window);
    EXPECT_EQ(state.playsStarted, 2);
    EXPECT_TRUE(state.bubbleOpen);
    EXPECT_TRUE(state.volumeRaised);
    EXPECT_EQ(registryVolume(), 0xffffffffu);
    EXPECT_EQ(soundsHeard(), 2);
    dismissAndWaitForTheEnd(window);
    EXPECT_EQ(FindWindowW(alertWindowClass(u"a01").c_str(), nullptr), nullptr);
}

TEST_F(RunnerProcesses, SnoozeBringsTheAlertBackThroughAnSnWakeUpFiveMinutesLater)
{
    switchOnAlarm([](alarms::AlarmRecord&) { });
    startService();
    setClock(at(2026, 3, 9, 6, 59, 58));
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitForPlays(window, 1));

    SendMessageW(window, WM_COMMAND, kSnoozeCommand, 0);
    SendMessageW(window, WM_COMMAND, kSnoozeCommand, 0);
    const auto snoozes = wakeUpsWithArguments(u"sn");
    ASSERT_EQ(snoozes.size(), 1u);
    EXPECT_EQ(snoozes[0].application, store::kRunnerPath);
    EXPECT_NEAR(double(snoozes[0].startLocalTicks), double(localNowTicks() + 300 * kSecond), double(5 * kSecond));
    EXPECT_FALSE(stateOf(window).bubbleOpen);

    setClock(*platform::systemTimeOfTicks(snoozes[0].startLocalTicks - kSecond));
    ASSERT_TRUE(waitUntil([&] { return stateOf(window).alertsShown == 2; }, 20s));
    ASSERT_TRUE(waitForPlays(window, 2));
    EXPECT_TRUE(stateOf(window).bubbleOpen);
    EXPECT_TRUE(wakeUpsWithArguments(u"sn").empty());
    EXPECT_EQ(soundsHeard(), 2);
    dismissAndWaitForTheEnd(window);
}

TEST_F(RunnerProcesses, ARepeatingAlarmTwiceTwoMinutesApartAlertsThreeTimesEachThroughAnSnWakeUp)
{
    switchOnAlarm([](alarms::AlarmRecord& alarm) {
        alarm.repeatAlarm = 1;
        alarm.repeatAlarmCountIndex = 1;    // twice
        alarm.repeatAlarmIntervalIndex = 1; // 2 minutes
    });
    startService();
    setClock(at(2026, 3, 9, 6, 59, 58));
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    for (int alert = 1; alert <= 2; ++alert) {
        ASSERT_TRUE(waitForPlays(window, alert));
        const auto repeat = wakeUpsWithArguments(u"sn");
        ASSERT_EQ(repeat.size(), 1u) << "after alert " << alert;
        EXPECT_NEAR(double(repeat[0].startLocalTicks), double(localNowTicks() + 120 * kSecond), double(5 * kSecond));
        EXPECT_EQ(stateOf(window).alertsShown, alert);
        setClock(*platform::systemTimeOfTicks(repeat[0].startLocalTicks - kSecond));
        ASSERT_TRUE(waitUntil([&] { return stateOf(window).alertsShown == alert + 1; }, 20s));
    }
    ASSERT_TRUE(waitForPlays(window, 3));
    EXPECT_TRUE(wakeUpsWithArguments(u"sn").empty()); // no fourth time
    EXPECT_EQ(stateOf(window).alertsShown, 3);
    EXPECT_EQ(soundsHeard(), 3);
    dismissAndWaitForTheEnd(window);
}

TEST_F(RunnerProcesses, AnAlarmDeliveredTwentyOneMinutesLateMovesOnWithoutAnAlert)
{
    switchOnAlarm([](alarms::AlarmRecord&) { });
    setClock(at(2026, 3, 9, 7, 21, 30)); // the device was off at 07:00
    startService();                      // and fires what it missed
    ASSERT_TRUE(waitUntil([] { return ticksOf(alarmOnDisk().alarmTime) == ticksAt(at(2026, 3, 10, 7, 0)); }, 20s));
    ASSERT_TRUE(waitForNoRunner());
    EXPECT_EQ(wakeUpsWithArguments(u"a01").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(m_capture)); // nothing ever played
    EXPECT_EQ(registryVolume(), kUserVolume);
}

TEST_F(RunnerProcesses, ATimerStartedForThreeSecondsFiresRewritesItsRecordAndSignals)
{
    ASSERT_EQ(tkwctl({ "timer", "set", "1", "--value", "00:00:03", "--name", "Tea" }).exitCode, 0);
    timers::TimerTable table { };
    ASSERT_TRUE(timers::readTimer(0, table[0]));
    table[0].soundIndex = 1;
    ASSERT_TRUE(timers::SaveTimer(table, 0));
    ASSERT_TRUE(timers::writeTimerSound(0, u"\\Windows\\Tone.wav"));
    startService();
    ASSERT_EQ(tkwctl({ "timer", "start", "1" }).exitCode, 0);
    (void)takeSignal(store::kTimersChanged);

    HWND window = waitForAlertWindow(u"t00");
    ASSERT_NE(window, nullptr);
    timers::TimerRecord finished { };
    ASSERT_TRUE(timers::readTimer(0, finished));
    EXPECT_EQ(finished.running, 0);
    EXPECT_EQ(finished.hNotification, 0u);
    SYSTEMTIME value { };
    ASSERT_TRUE(FileTimeToSystemTime(&finished.value, &value));
    EXPECT_EQ(value.wHour * 3600 + value.wMinute * 60 + value.wSecond, 3);
    EXPECT_TRUE(takeSignal(store::kTimersChanged));
    ASSERT_TRUE(waitForPlays(window, 1));
    EXPECT_TRUE(stateOf(window).bubbleOpen);
    EXPECT_EQ(soundsHeard(), 1);

    // The session ends under the alert: the runner gives the volume back as it goes.
    EXPECT_EQ(registryVolume(), 0xffffffffu);
    const auto pids = runners();
    ASSERT_EQ(pids.size(), 1u);
    ::kill(pids[0], SIGTERM);
    EXPECT_TRUE(waitForNoRunner());
    EXPECT_EQ(registryVolume(), kUserVolume);
    EXPECT_FALSE(signalIsSet(store::kSoundVolumeTaken));
}

TEST_F(RunnerProcesses, ATimerResetWhileItsRunnerWaitsEndsTheRunnerWithoutAnAlert)
{
    ASSERT_EQ(tkwctl({ "timer", "set", "1", "--value", "00:00:30" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "start", "1" }).exitCode, 0);
    ASSERT_EQ(wakeUpsWithArguments(u"t00").size(), 1u);
    // Started early, as a late-set clock or a slow device may: it waits for the end.
    testing_support::EnvironmentGuard started("TKW_MODULE_PATH", platform::toUtf8(store::kRunnerPath).c_str());
    testing_support::ChildProcess runner({ TKW_RUNNER, "t00" });
    ASSERT_TRUE(waitUntil([] { return wakeUpsWithArguments(u"t00").empty(); }, 10s)); // it took the record

    const auto resetAt = std::chrono::steady_clock::now();
    ASSERT_EQ(tkwctl({ "timer", "reset", "1" }).exitCode, 0);
    EXPECT_EQ(runner.wait(10s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - resetAt, 5s);
    EXPECT_EQ(FindWindowW(alertWindowClass(u"t00").c_str(), nullptr), nullptr);
    EXPECT_FALSE(signalIsSet(timers::timerResetEventName(0))); // consumed
    timers::TimerRecord timer { };
    ASSERT_TRUE(timers::readTimer(0, timer));
    EXPECT_EQ(timer.running, 0);
}

TEST_F(RunnerProcesses, AMonthlyEventFiresAndIsRegisteredForTheNextMonth)
{
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "Rent", "--at", "2026-03-09T07:00", "--recur", "month" }).exitCode, 0);
    const auto registered = wakeUps();
    ASSERT_EQ(registered.size(), 1u);
    const std::u16string argument = registered[0].arguments;
    startService();
    // The installer registered the runner for time changes, and this test's runners wait a
    // fifth of their time: the renewal after this change must come while the event is still
    // more than a second ahead, as it does at full speed only after the event has fired.
    setClock(at(2026, 3, 9, 6, 59, 55));

    HWND window = waitForAlertWindow(argument);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(stateOf(window).bubbleOpen);
    events::EventList list;
    ASSERT_TRUE(events::LoadEvents(list));
    ASSERT_EQ(list.count(), 1u);
    EXPECT_EQ(ticksOf(list.records[0].nextTime), ticksAt(at(2026, 4, 9, 7, 0)));
    const auto next = wakeUps();
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].startLocalTicks, ticksAt(at(2026, 4, 9, 7, 0)));
    EXPECT_EQ(next[0].handle, list.records[0].hNotification);
    EXPECT_EQ(next[0].arguments, u"e" + platform::toUtf16(std::to_string(next[0].handle)));
    dismissAndWaitForTheEnd(window);
}

TEST_F(RunnerProcesses, AfterATimeChangeTheRunnerRegistersAlarmsAndEventsAnew)
{
    setClock(at(2026, 3, 9, 8, 0));
    switchOnAlarm([](alarms::AlarmRecord&) { });
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "Rent", "--at", "2026-01-15T09:00", "--recur", "month" }).exitCode, 0);
    ASSERT_EQ(wakeUpsWithArguments(u"a01")[0].startLocalTicks, ticksAt(at(2026, 3, 10, 7, 0)));
    startService();
    // The service has taken note of the clock settings made so far, before the runner is
    // registered for time changes as the main program registers it: only the next change
    // starts it.
    ASSERT_TRUE(waitUntil([] { return platform::handledTimeChangeCount() == platform::timeChangeCount(); }, 10s));
    const std::u16string runner(store::kRunnerPath);
    ASSERT_TRUE(CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_TIME_CHANGE));

    setClock(at(2026, 2, 10, 8, 0)); // the user puts the clock back a month
    const auto renewedTo = [](std::uint64_t alarmStart, std::uint64_t eventStart) {
        bool alarm = false, event = false;
        for (const auto& wakeUp : wakeUps()) {
            alarm = alarm || (wakeUp.arguments == u"a01" && wakeUp.startLocalTicks == alarmStart);
            event = event || (wakeUp.arguments.starts_with(u"e") && wakeUp.startLocalTicks == eventStart);
        }
        return alarm && event;
    };
    const auto alarmStart = ticksAt(at(2026, 2, 11, 7, 0));
    EXPECT_TRUE(waitUntil([&] { return renewedTo(alarmStart, ticksAt(at(2026, 2, 15, 9, 0))); }, 20s));
    EXPECT_TRUE(waitForNoRunner());
    EXPECT_EQ(wakeUps().size(), 2u);
    EXPECT_EQ(ticksOf(alarmOnDisk().alarmTime), alarmStart);
    EXPECT_FALSE(std::filesystem::exists(m_capture));
}

TEST_F(RunnerProcesses, RenewingFromTkwctlLeavesExactlyOneTimeChangeRegistrationOfTheRunner)
{
    switchOnAlarm([](alarms::AlarmRecord&) { });
    const auto lost = wakeUpsWithArguments(u"a01");
    ASSERT_EQ(lost.size(), 1u);
    ASSERT_EQ(tkwctl({ "notify", "clear", std::to_string(lost[0].handle) }).exitCode, 0); // the registration went astray
    const std::u16string runner(store::kRunnerPath);
    for (const char16_t* program : { runner.c_str(), runner.c_str(), u"\\Windows\\TkEvents.exe",
             u"\\Application Data\\Orvane Tickwell\\TkTimer.exe" })
        ASSERT_TRUE(CeRunAppAtEvent(program, NOTIFICATION_EVENT_TIME_CHANGE));

    ASSERT_EQ(tkwctl({ "notify", "renew" }).exitCode, 0);
    EXPECT_TRUE(waitUntil([] { return wakeUpsWithArguments(u"a01").size() == 1; }, 20s));
    EXPECT_TRUE(waitForNoRunner());
    EXPECT_EQ(platform::timeChangeApplications(), std::vector<std::u16string> { runner });
    EXPECT_EQ(wakeUpsWithArguments(u"a01")[0].startLocalTicks, ticksAt(at(2026, 3, 9, 7, 0)));
}

TEST_F(RunnerProcesses, TheSmallJobsAnswerAtOnce)
{
    const auto width = runCommand({ TKW_RUNNER, "dpi" }, 10s);
    EXPECT_EQ(width.exitCode, 240);
    EXPECT_EQ(width.output, "240\n");

    // A snooze wake-up with no alert waiting: the signal stays for the next one.
    (void)takeSignal(store::kSnoozeActive);
    EXPECT_EQ(runCommand({ TKW_RUNNER, "sn" }, 10s).exitCode, 0);
    EXPECT_TRUE(takeSignal(store::kSnoozeActive));
    // Nothing the runner knows: it ends without a window.
    EXPECT_EQ(runCommand({ TKW_RUNNER, "j05" }, 10s).exitCode, 0);

    // The interval chime plays the settings' chime sound once.
    store::SettingsRecord settings { };
    store::DefaultSettings(settings, 0);
    settings.chime = 1;
    alarms::setFieldText(settings.chimeSound, u"\\Windows\\Tone.wav");
    ASSERT_TRUE(store::SaveSettings(settings));
    (void)runCommand({ TKW_RUNNER, "chime" }, 20s);
    EXPECT_EQ(soundsHeard(), 1);
}

TEST_F(RunnerProcesses, APluginViewWhoseMainProgramEndsAtOnceFallsBackToTheRunnersBubbleAndDismissEndsIt)
{
    replaceMainProgram("exit");
    switchOnPluginViewAlarm();
    const auto runner = startRunnerForAlarm();
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);

    // The program came and went without a choice: the alert goes on in the runner's bubble.
    ASSERT_TRUE(waitForOwnBubble(window));
    EXPECT_EQ(mainProgramStarts(), std::vector<std::string> { "na01" });
    ASSERT_TRUE(waitForPlays(window, 1));
    const AlertState state = stateOf(window);
    EXPECT_EQ(state.alertsShown, 1);
    EXPECT_TRUE(state.volumeRaised);
    EXPECT_EQ(soundsHeard(), 1);
    EXPECT_TRUE(signalIsSet(store::kSoundVolumeTaken));

    dismissAndWaitForTheEnd(window);
    EXPECT_EQ(runner->wait(10s), 0);
}

TEST_F(RunnerProcesses, AReminderScreenThatNeverAppearsIsWaitedForAFewSecondsAndSnoozeWorksInTheFallback)
{
    replaceMainProgram("hang");
    switchOnPluginViewAlarm();
    const auto runner = startRunnerForAlarm();
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitUntil([&] { return reminderScreens().size() == 1; }, 10s));

    // The program still runs and may yet show its screen: only the short bubble so far.
    std::this_thread::sleep_for(2s);
    EXPECT_FALSE(stateOf(window).bubbleHasSoftKeys);
    ASSERT_TRUE(waitForOwnBubble(window));

    // Snoozed from the runner's bubble, the alert comes back in that bubble five minutes
    // later, without starting the main program again.
    SendMessageW(window, WM_COMMAND, kSnoozeCommand, 0);
    const auto snoozes = wakeUpsWithArguments(u"sn");
    ASSERT_EQ(snoozes.size(), 1u);
    EXPECT_TRUE(stateOf(window).snoozePending);
    EXPECT_FALSE(stateOf(window).bubbleOpen);
    startService();
    setClock(*platform::systemTimeOfTicks(snoozes[0].startLocalTicks - kSecond));
    ASSERT_TRUE(waitUntil([&] { return stateOf(window).alertsShown == 2; }, 20s));
    EXPECT_TRUE(waitForOwnBubble(window, 5s));
    EXPECT_EQ(mainProgramStarts().size(), 1u);

    dismissAndWaitForTheEnd(window);
    EXPECT_EQ(runner->wait(10s), 0);
}

TEST_F(RunnerProcesses, AReminderScreenClosedWithoutAChoiceLeavesTheAlertToTheRunnersBubble)
{
    replaceMainProgram("close 500");
    switchOnPluginViewAlarm();
    const auto runner = startRunnerForAlarm();
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitUntil([] { return FindWindowW(u"Tickwell Proa01", u"Tickwell Pro Reminder") != nullptr; }, 10s));
    ASSERT_TRUE(waitForOwnBubble(window));
    EXPECT_EQ(FindWindowW(u"Tickwell Proa01", nullptr), nullptr);
    dismissAndWaitForTheEnd(window);
}

TEST_F(RunnerProcesses, AChoiceTheReminderScreenForwardsIsTakenAndNoBubbleFollowsIt)
{
    replaceMainProgram("choose 201"); // Snooze
    switchOnPluginViewAlarm();
    const auto runner = startRunnerForAlarm();
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitUntil([&] { return stateOf(window).snoozePending; }, 10s));
    ASSERT_TRUE(waitUntil([&] { return reminderScreens().empty(); }, 10s));
    // Well past the moment a screen gone without a choice would have been replaced.
    std::this_thread::sleep_for(1500ms);
    const AlertState state = stateOf(window);
    EXPECT_FALSE(state.bubbleHasSoftKeys);
    EXPECT_TRUE(state.snoozePending);
    EXPECT_EQ(wakeUpsWithArguments(u"sn").size(), 1u);
    dismissAndWaitForTheEnd(window);
    EXPECT_TRUE(wakeUpsWithArguments(u"sn").empty());
}

TEST_F(RunnerProcesses, ARunnerWithoutAnInstallationFolderLogsTheAlarmAndAlertsInItsOwnBubble)
{
    replaceMainProgram("hang");
    switchOnPluginViewAlarm();
    std::filesystem::remove(*platform::hostPathOf(store::DataFilePath(store::kPathFile)));
    ASSERT_TRUE(platform::deleteRegistryValue(
        platform::RegistryRoot::CurrentUser, store::kInstallCopyKey, store::kInstallCopyValue));
    ASSERT_TRUE(store::ReadInstallFolder(store::InstallFolderReader::Runner, { 0, 0 }).empty());

    const auto runner = startRunnerForAlarm();
    HWND window = waitForAlertWindow(u"a01");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(waitForOwnBubble(window));
    EXPECT_TRUE(mainProgramStarts().empty()); // the bubble came without waiting for one
    ASSERT_TRUE(waitForPlays(window, 1));
    EXPECT_EQ(soundsHeard(), 1);
    EXPECT_EQ(ticksOf(alarmOnDisk().alarmTime), ticksAt(at(2026, 3, 10, 7, 0))); // moved on as always

    const auto log = platform::readWholeFile(store::kLogPath, 1 << 20);
    ASSERT_TRUE(log);
    std::u16string text(log->size() / 2, u'\0');
    std::memcpy(text.data(), log->data(), text.size() * 2);
    EXPECT_NE(text.find(u"a01"), std::u16string::npos) << platform::toUtf8(text);
    EXPECT_NE(text.find(u"installation folder"), std::u16string::npos) << platform::toUtf8(text);

    dismissAndWaitForTheEnd(window);
    EXPECT_EQ(runner->wait(10s), 0);
}

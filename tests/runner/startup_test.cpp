// The runner's start-up jobs in this process: the due item brought up to date and judged,
// the timer's wait on its reset event, and the renewals.

#include "alarms/alarm_file.h"
#include "events/event_list.h"
#include "runner/startup.h"
#include "store/renewal_request.h"
#include "store/signals.h"
#include "tests/runner/runner_fixture.h"
#include "timers/countdown.h"
#include "timers/timer_file.h"
#include "timers/timer_schedule.h"

#include <algorithm>

using namespace runner;
using namespace runner_tests;

namespace {

constexpr platform::RetryPolicy kQuick { 1, 1 };
constexpr std::u16string_view kOwnPath = store::kRunnerPath;

class StartUp : public testing_support::DeviceTest {
protected:
    StartUp()
    {
        (void)store::createDataDirectory();
        setClock(at(2026, 3, 9, 12, 0)); // a Monday
    }

    static void setClock(const SYSTEMTIME& local) { ASSERT_TRUE(SetLocalTime(&local)); }

    // Timer `index` running towards `endTicks`, registered as the Timers view leaves it.
    static timers::TimerRecord startTimer(int index, std::uint64_t endTicks, bool running = true)
    {
        timers::TimerTable table { };
        timers::TimerRecord& timer = table[std::size_t(index)];
        timer.value = fileTimeOf(endTicks);
        timer.initMinute = 5;
        timer.running = running ? 1 : 0;
        timer.soundIndex = 1;
        timer.name[0] = u'T';
        timer.hNotification = timers::registerTimerWakeUp(index, 0, platform::LocalTicks(endTicks), kOwnPath);
        EXPECT_NE(timer.hNotification, 0u);
        EXPECT_TRUE(timers::SaveAllTimers(table));
        return timer;
    }

    static timers::TimerRecord timerOnDisk(int index)
    {
        timers::TimerRecord timer { };
        EXPECT_TRUE(timers::readTimer(index, timer));
        return timer;
    }
};

Command commandFor(std::u16string_view line) { return parseCommandLine(line); }

} // namespace

TEST_F(StartUp, ADueEventIsFoundByItsHandleAndAMonthlyOneMovesToNextMonth)
{
    events::EventList list;
    auto editor = events::OpenEditor(list, *events::NewEventSlot(list));
    ASSERT_TRUE(editor);
    editor->working.recurrence = events::kEveryMonth;
    events::setEventName(editor->working, u"Rent");
    const FILETIME anchor = fileTimeOf(ticksAt(at(2026, 1, 15, 9, 0)));
    ASSERT_EQ(events::ApplyEditor(list, *editor, anchor, at(2026, 3, 9, 12, 0), kQuick), events::ApplyOutcome::Saved);
    const DWORD handle = list.records[0].hNotification;
    ASSERT_NE(handle, 0u);

    setClock(at(2026, 3, 15, 9, 0, 1));
    EXPECT_FALSE(loadDueItem(commandFor(u"e" + std::u16string(u"99999")), kOwnPath, kQuick));
    const std::string digits = std::to_string(handle);
    const auto item = loadDueItem(commandFor(u"e" + std::u16string(digits.begin(), digits.end())), kOwnPath, kQuick);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, ItemKind::Event);
    EXPECT_EQ(item->note, u"Rent");
    EXPECT_EQ(ticksOf(item->itemTime), ticksAt(at(2026, 4, 15, 9, 0)));
    const auto all = wakeUps();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].startLocalTicks, ticksAt(at(2026, 4, 15, 9, 0)));
}

TEST_F(StartUp, ADueTimerAlertsOnlyWhileRunningAndWithinTwentyMinutesAndLosesItsWakeUp)
{
    const std::uint64_t now = localNowTicks();
    const auto timer = startTimer(3, now + 30 * kSecond);
    const auto item = loadDueItem(commandFor(u"t03"), kOwnPath, kQuick);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, ItemKind::Timer);
    EXPECT_EQ(item->timerEnd.count(), now + 30 * kSecond);
    EXPECT_EQ(item->note, u"T");
    EXPECT_FALSE(platform::findWakeUp(timer.hNotification));

    startTimer(3, now - (21 * 60 + 1) * kSecond);
    EXPECT_FALSE(loadDueItem(commandFor(u"t03"), kOwnPath, kQuick));
    EXPECT_TRUE(wakeUps().empty()); // cleared all the same
    startTimer(3, now - 20 * 60 * kSecond);
    EXPECT_TRUE(loadDueItem(commandFor(u"t03"), kOwnPath, kQuick));

    // Stopped by the user after its wake-up was taken: its value is no end moment.
    startTimer(3, now + 30 * kSecond, false);
    EXPECT_FALSE(loadDueItem(commandFor(u"t03"), kOwnPath, kQuick));
}

TEST_F(StartUp, ATimerAtItsEndGoesBackToItsInitialValueAndTheMainProgramIsTold)
{
    (void)takeSignal(store::kTimersChanged);
    startTimer(3, localNowTicks() + 1 * kSecond);
    const auto item = loadDueItem(commandFor(u"t03"), kOwnPath, kQuick);
    ASSERT_TRUE(item);
    EXPECT_TRUE(awaitTimerEnd(*item));
    const auto finished = timerOnDisk(3);
    EXPECT_EQ(finished.running, 0);
    EXPECT_EQ(finished.hNotification, 0u);
    SYSTEMTIME value { };
    ASSERT_TRUE(FileTimeToSystemTime(&finished.value, &value));
    EXPECT_EQ(value.wHour * 3600 + value.wMinute * 60 + value.wSecond, 5 * 60); // 00:05:00 again
    EXPECT_TRUE(takeSignal(store::kTimersChanged));
}

TEST_F(StartUp, RenewalLeavesOneTimeChangeRegistrationAndBringsOverdueTimersBack)
{
    const std::u16string runner(store::kRunnerPath);
    ASSERT_TRUE(CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_TIME_CHANGE));
    ASSERT_TRUE(CeRunAppAtEvent(u"\\Windows\\Other.exe", NOTIFICATION_EVENT_TIME_CHANGE));
    const std::uint64_t now = localNowTicks();
    startTimer(2, now - 60 * kSecond); // its wake-up was missed
    ASSERT_TRUE(alarms::SaveAlarms(alarms::AlarmTable { }));

    renewAllRegistrations(kOwnPath);
    const auto applications = platform::timeChangeApplications().value_or(std::vector<std::u16string> { });
    EXPECT_EQ(std::count(applications.begin(), applications.end(), runner), 1);
    EXPECT_EQ(std::count(applications.begin(), applications.end(), u"\\Windows\\Other.exe"), 1);
    const auto timer = timerOnDisk(2);
    const auto renewed = platform::findWakeUp(timer.hNotification);
    ASSERT_TRUE(renewed);
    EXPECT_EQ(renewed->arguments, u"t02");
    EXPECT_GE(renewed->startLocalTicks, now + 20 * kSecond);

    // Once more with nothing registered for time changes: still exactly one.
    ASSERT_TRUE(CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_NONE));
    renewAllRegistrations(kOwnPath);
    const auto again = platform::timeChangeApplications().value_or(std::vector<std::u16string> { });
    EXPECT_EQ(std::count(again.begin(), again.end(), runner), 1);
}

TEST_F(StartUp, ARenewalRequestRemovesWhatOlderVersionsRegisteredForTimeChanges)
{
    for (const char16_t* old : { u"\\Windows\\TkEvents.exe", u"\\Windows\\TkTimer.exe",
             u"\\Application Data\\Orvane Tickwell\\TkEvents.exe", u"\\Application Data\\Orvane Tickwell\\TkTimer.exe" })
        ASSERT_TRUE(CeRunAppAtEvent(old, NOTIFICATION_EVENT_TIME_CHANGE));
    ASSERT_TRUE(CeRunAppAtEvent(u"\\Windows\\Mine.exe", NOTIFICATION_EVENT_TIME_CHANGE));
    EXPECT_FALSE(store::requestRenewal()); // no runner is installed on this device
    EXPECT_EQ(platform::timeChangeApplications(), std::vector<std::u16string> { u"\\Windows\\Mine.exe" });
}

TEST(StartUpWaits, OnlyATestCanShortenThemAndNeverLengthenThem)
{
    {
        testing_support::EnvironmentGuard scale("TKW_RUNNER_TIME_SCALE", nullptr);
        EXPECT_EQ(startUpTimeScale(), 1.0);
    }
    {
        testing_support::EnvironmentGuard scale("TKW_RUNNER_TIME_SCALE", "0.25");
        EXPECT_EQ(startUpTimeScale(), 0.25);
    }
    for (const char* invalid : { "3", "-1", "fast", "0.5s", "nan" }) {
        testing_support::EnvironmentGuard scale("TKW_RUNNER_TIME_SCALE", invalid);
        EXPECT_EQ(startUpTimeScale(), 1.0) << invalid;
    }
    EXPECT_TRUE(withinAlertWindow(platform::LocalTicks(0), platform::LocalTicks(20 * 60 * kSecond + 59 * kSecond))); // 20 whole minutes
    EXPECT_FALSE(withinAlertWindow(platform::LocalTicks(21 * 60 * kSecond), platform::LocalTicks(0)));
}

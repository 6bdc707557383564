// The device service with real processes: the service itself, the probe it starts, and
// tkwctl, each on the test's own device.

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_service.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/leds.h"
#include "platform/notifications.h"
#include "platform/power.h"
#include "platform/zone_rule.h"
#include "tests/services/service_fixture.h"
#include "tests/support/child_process.h"

#include <algorithm>
#include <map>
#include <random>
#include <thread>

using namespace std::chrono_literals;
using testing_support::kProbePath;

namespace {

using DeviceService = testing_support::ServiceTest;

HANDLE asHandle(DWORD handle) { return reinterpret_cast<HANDLE>(std::uintptr_t(handle)); }

bool waitForEvent(const char16_t* name, DWORD timeoutMs)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
    const bool set = WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(event);
    return set;
}

} // namespace

TEST_F(DeviceService, RegistrationStartsItsProgramWithExactlyItsArgumentsAtItsMoment)
{
    startService();
    const std::uint64_t due = localTicksIn(1000ms);
    ASSERT_NE(registerProbe(due, "a03"), 0u);
    ASSERT_NE(registerProbe(localTicksIn(1200ms), "e17 with  spaces"), 0u);

    const auto starts = waitForProbeStarts(2, 10s);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].commandLine, "a03");
    EXPECT_EQ(starts[1].commandLine, "e17 with  spaces");
    // Not before its moment (the device clock is the host clock here).
    FILETIME local = fileTimeOf(due), utc { };
    LocalFileTimeToFileTime(&local, &utc);
    const std::int64_t dueNs = (std::int64_t(ticksOf(utc)) - platform::kUnixEpochTicks) * 100;
    EXPECT_GE(starts[0].wallNs, dueNs);
    EXPECT_LT(starts[0].wallNs - dueNs, 2'000'000'000);
    // Fired registrations are gone.
    EXPECT_TRUE(platform::listWakeUps()->empty());
}

TEST_F(DeviceService, ReplacedAndClearedRegistrationsDoNotFire)
{
    startService();
    const DWORD replaced = registerProbe(localTicksIn(600ms), "old");
    const DWORD cleared = registerProbe(localTicksIn(700ms), "cleared");
    ASSERT_NE(replaced, 0u);
    ASSERT_EQ(registerProbe(localTicksIn(900ms), "new", asHandle(replaced)), replaced);
    ASSERT_TRUE(CeClearUserNotification(asHandle(cleared)));

    const auto starts = waitForProbeStarts(1, 10s);
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(probeStarts().size(), 1u);
    EXPECT_EQ(starts[0].commandLine, "new");
    // The handle of a fired registration names nothing any more.
    EXPECT_EQ(registerProbe(localTicksIn(1h), "stale", asHandle(replaced)), 0u);
}

TEST_F(DeviceService, WakeUpsDueWhileTheServiceWasKilledFireOnceWhenItReturnsOldestFirst)
{
    startService();
    killService();
    ASSERT_NE(registerProbe(localTicksIn(-3000ms), "oldest"), 0u);
    ASSERT_NE(registerProbe(localTicksIn(-1000ms), "middle"), 0u);
    ASSERT_NE(registerProbe(localTicksIn(300ms), "soon"), 0u);
    std::this_thread::sleep_for(600ms);
    EXPECT_TRUE(probeStarts().empty());

    startService();
    auto starts = waitForProbeStarts(3, 10s);
    ASSERT_EQ(starts.size(), 3u);
    // Each program has started before the next is launched.
    std::sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.wallNs < b.wallNs; });
    EXPECT_EQ(starts[0].commandLine, "oldest");
    EXPECT_EQ(starts[1].commandLine, "middle");
    EXPECT_EQ(starts[2].commandLine, "soon");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(probeStarts().size(), 3u);
}

TEST_F(DeviceService, ServiceKilledAtRandomWhileFiringLosesNoneAndFiresNoneTwice)
{
    constexpr int kWakeUps = 24;
    for (int i = 0; i < kWakeUps; ++i)
        ASSERT_NE(registerProbe(localTicksIn(std::chrono::milliseconds(-2000 + 60 * i)), "w" + std::to_string(i)), 0u);
    std::mt19937 random(1208);
    std::uniform_int_distribution<int> lifeMs(5, 60);
    for (int round = 0; round < 15 && !platform::listWakeUps()->empty(); ++round) {
        startService();
        std::this_thread::sleep_for(std::chrono::milliseconds(lifeMs(random)));
        killService();
    }
    startService();
    const auto starts = waitForProbeStarts(kWakeUps, 20s);
    std::this_thread::sleep_for(500ms);
    std::map<std::string, int> times;
    for (const auto& start : probeStarts())
        times[start.commandLine]++;
    ASSERT_EQ(times.size(), std::size_t(kWakeUps));
    for (const auto& [commandLine, count] : times)
        EXPECT_EQ(count, 1) << commandLine;
}

TEST_F(DeviceService, MovingTheDeviceClockPastARegistrationFiresIt)
{
    startService();
    ASSERT_NE(registerProbe(localTicksIn(3h), "a07"), 0u);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(probeStarts().empty());
    const auto moved = testing_support::runCommand({ TKW_TKWCTL, "device", "time", "advance", "10800" });
    ASSERT_EQ(moved.exitCode, 0);
    const auto starts = waitForProbeStarts(1, 5s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, "a07");
}

TEST_F(DeviceService, TimeChangeStartsTheRegisteredProgramsUntilTheyAreRemoved)
{
    startService();
    ASSERT_TRUE(CeRunAppAtEvent(kProbePath, NOTIFICATION_EVENT_TIME_CHANGE));
    ASSERT_TRUE(CeRunAppAtEvent(kProbePath, NOTIFICATION_EVENT_TIME_CHANGE)); // registering twice keeps one
    EXPECT_EQ(platform::timeChangeApplications()->size(), 1u);

    const auto zone = platform::zoneFromPosixRule("AEST-10AEDT,M10.1.0,M4.1.0/3");
    ASSERT_TRUE(SetTimeZoneInformation(&*zone));
    auto starts = waitForProbeStarts(1, 5s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, "AppRunAfterTimeChange");

    ASSERT_TRUE(platform::advanceDeviceClock(60 * platform::kTicksPerSecond));
    starts = waitForProbeStarts(2, 5s);
    ASSERT_EQ(starts.size(), 2u);

    ASSERT_TRUE(CeRunAppAtEvent(kProbePath, NOTIFICATION_EVENT_NONE));
    ASSERT_TRUE(platform::advanceDeviceClock(60 * platform::kTicksPerSecond));
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(probeStarts().size(), 2u);
}

TEST_F(DeviceService, TimeChangeMadeWhileNoServiceRanIsHandledWhenItStarts)
{
    ASSERT_TRUE(CeRunAppAtEvent(kProbePath, NOTIFICATION_EVENT_TIME_CHANGE));
    startService();
    killService();
    ASSERT_TRUE(platform::advanceDeviceClock(-3600 * platform::kTicksPerSecond));
    startService();
    const auto starts = waitForProbeStarts(1, 5s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, "AppRunAfterTimeChange");
}

TEST_F(DeviceService, NamedEventTriggerSetsItsEventAndItsLedFollowsTheHandle)
{
    startService();
    CE_NOTIFICATION_TRIGGER trigger { };
    trigger.dwSize = sizeof trigger;
    trigger.dwType = CNT_TIME;
    trigger.lpszApplication = u"\\\\.\\Notifications\\NamedEvents\\TkReminder_LED_On";
    trigger.stStartTime = *platform::systemTimeOfTicks(localTicksIn(0ms));
    trigger.stEndTime = trigger.stStartTime;
    CE_USER_NOTIFICATION led { };
    led.ActionFlags = PUN_LED;
    HANDLE handle = CeSetUserNotificationEx(nullptr, &trigger, &led);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(waitForEvent(u"TkReminder_LED_On", 5000));

    // The registration stays while its LED is wanted, and the notification LED blinks;
    // switched off, the LED stops and the registration ends.
    ASSERT_TRUE(EventModify(handle, EVENT_SET));
    EXPECT_TRUE(platform::notificationLedRequested());
    for (int i = 0; i < 250 && platform::ledState(0) != 2; ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(platform::ledState(0), 2);
    ASSERT_TRUE(EventModify(handle, EVENT_RESET));
    EXPECT_FALSE(platform::notificationLedRequested());
    for (int i = 0; i < 250 && platform::ledState(0) != 0; ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(platform::ledState(0), 0);
    for (int i = 0; i < 100 && !platform::listWakeUps()->empty(); ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(platform::listWakeUps()->empty());
}

TEST_F(DeviceService, ActivityEventsFlipWithTheReportsOfTkwctl)
{
    startService();
    HANDLE active = CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityActiveEvent);
    HANDLE inactive = CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityInactiveEvent);
    // The power manager made both; a new service starts with the user active.
    EXPECT_EQ(WaitForSingleObject(active, 5000), WAIT_OBJECT_0);

    ASSERT_EQ(testing_support::runCommand({ TKW_TKWCTL, "device", "activity", "idle" }).exitCode, 0);
    EXPECT_EQ(WaitForSingleObject(inactive, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(active, 0), WAIT_TIMEOUT);

    ASSERT_EQ(testing_support::runCommand({ TKW_TKWCTL, "device", "activity", "active" }).exitCode, 0);
    EXPECT_EQ(WaitForSingleObject(active, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(inactive, 0), WAIT_TIMEOUT);
    CloseHandle(active);
    CloseHandle(inactive);
}

TEST_F(DeviceService, OnlyOneServiceRunsPerDeviceAndStatusSaysSo)
{
    startService();
    const auto first = platform::runningDeviceService();
    const auto second = testing_support::runCommand({ TKW_DEVICED_PROGRAM });
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(platform::runningDeviceService(), first);
    // The service reports itself once it has set up.
    auto status = testing_support::runCommand({ TKW_TKWCTL, "--json", "service", "status" });
    for (int i = 0; i < 100 && status.output.find("\"wake-from-suspend\":") == std::string::npos; ++i) {
        std::this_thread::sleep_for(20ms);
        status = testing_support::runCommand({ TKW_TKWCTL, "--json", "service", "status" });
    }
    EXPECT_NE(status.output.find("\"running\":true"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("\"wake-from-suspend\":"), std::string::npos) << status.output;
    ASSERT_TRUE(platform::stopDeviceService());
    EXPECT_NE(testing_support::runCommand({ TKW_TKWCTL, "--json", "service", "status" }).output.find("\"running\":false"),
        std::string::npos);
}

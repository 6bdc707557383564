// The wake-up database on its own: no service runs in these tests.

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "platform/processes.h"
#include "platform/zone_rule.h"
#include "tests/services/service_fixture.h"

#include <csignal>

using namespace std::chrono_literals;

namespace {

using WakeUpDatabase = testing_support::ServiceTest;

HANDLE asHandle(DWORD handle) { return reinterpret_cast<HANDLE>(std::uintptr_t(handle)); }

SYSTEMTIME at(int year, int month, int day, int hour, int minute)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), 0, 0 };
}

} // namespace

TEST_F(WakeUpDatabase, HandlesAreNeverGivenOutTwice)
{
    const DWORD first = registerProbe(localTicksIn(1h), "a01");
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(CeClearUserNotification(asHandle(first)));
    const DWORD second = registerProbe(localTicksIn(1h), "a01");
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_FALSE(CeClearUserNotification(asHandle(first))); // harmless
    EXPECT_FALSE(CeClearUserNotification(nullptr));
}

TEST_F(WakeUpDatabase, BadTriggersAreRefused)
{
    CE_NOTIFICATION_TRIGGER trigger { };
    trigger.dwSize = sizeof trigger;
    trigger.dwType = CNT_TIME;
    trigger.lpszApplication = testing_support::kProbePath;
    trigger.stStartTime = at(2026, 2, 30, 7, 0);
    EXPECT_EQ(CeSetUserNotificationEx(nullptr, &trigger, nullptr), nullptr);
    trigger.stStartTime = at(2026, 2, 28, 7, 0);
    trigger.lpszApplication = nullptr;
    EXPECT_EQ(CeSetUserNotificationEx(nullptr, &trigger, nullptr), nullptr);
    trigger.lpszApplication = testing_support::kProbePath;
    trigger.dwType = 99;
    EXPECT_EQ(CeSetUserNotificationEx(nullptr, &trigger, nullptr), nullptr);
    EXPECT_EQ(CeSetUserNotificationEx(nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WakeUpDatabase, StartTimesAreLocalAndFollowTheZone)
{
    const auto berlin = platform::zoneFromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(SetTimeZoneInformation(&*berlin));
    const DWORD handle = registerProbe(*platform::ticksOfSystemTime(at(2030, 1, 15, 7, 0)), "a01");
    ASSERT_NE(handle, 0u);
    const auto inBerlin = platform::nextWakeUpUniversalTicks();
    ASSERT_TRUE(inBerlin);
    EXPECT_EQ(*inBerlin, *platform::universalTicksOf(at(2030, 1, 15, 6, 0)));

    // 07:00 stays 07:00 in the new zone.
    const auto newYork = platform::zoneFromPosixRule("EST5EDT,M3.2.0,M11.1.0");
    ASSERT_TRUE(SetTimeZoneInformation(&*newYork));
    EXPECT_EQ(platform::nextWakeUpUniversalTicks(), *platform::universalTicksOf(at(2030, 1, 15, 12, 0)));

    const auto due = platform::dueWakeUps(*platform::universalTicksOf(at(2030, 1, 15, 11, 59)));
    ASSERT_TRUE(due);
    EXPECT_TRUE(due->empty());
    EXPECT_EQ(platform::dueWakeUps(*platform::universalTicksOf(at(2030, 1, 15, 12, 0)))->size(), 1u);
}

TEST_F(WakeUpDatabase, ARegistrationIsTakenForFiringOnlyOnce)
{
    const DWORD handle = registerProbe(localTicksIn(-1s), "t03");
    platform::WakeUp taken;
    ASSERT_TRUE(platform::takeWakeUpForFiring(handle, &taken));
    EXPECT_EQ(taken.arguments, u"t03");
    EXPECT_FALSE(platform::takeWakeUpForFiring(handle));
    EXPECT_FALSE(platform::findWakeUp(handle));
}

TEST_F(WakeUpDatabase, ShellExecuteStartsADeviceProgramWithItsCommandLineAndAWaitableHandle)
{
    SHELLEXECUTEINFO info { };
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = u"open";
    info.lpFile = testing_support::kProbePath;
    info.lpParameters = u"UpdateNotifications";
    ASSERT_TRUE(ShellExecuteEx(&info));
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    const auto starts = probeStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, "UpdateNotifications");

    info.lpFile = u"\\Windows\\missing.exe";
    EXPECT_FALSE(ShellExecuteEx(&info));
}

TEST_F(WakeUpDatabase, SnapshotNamesAProgramByTheFileItWasStartedAs)
{
    std::filesystem::create_symlink("/bin/sleep", m_device.root() / "Windows" / "TkTimer.exe");
    SHELLEXECUTEINFO info { };
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = u"\\Windows\\TkTimer.exe";
    info.lpParameters = u"30";
    ASSERT_TRUE(ShellExecuteEx(&info));

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    PROCESSENTRY32 entry { };
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (std::u16string(entry.szExeFile) == u"TkTimer.exe")
            found = entry.th32ProcessID;
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(CloseToolhelp32Snapshot(snapshot));
    ASSERT_NE(found, 0u);
    ::kill(pid_t(found), SIGKILL);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
}

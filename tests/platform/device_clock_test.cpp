#include "platform/device_clock.h"

#include "platform/calendar.h"
#include "platform/device_root.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/zone_rule.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <cstdlib>
#include <ctime>

using namespace platform;
using testing_support::EnvironmentGuard;

namespace {

// Each test's device is new, so its first use imports the zone from TZ.
class DeviceClock : public ::testing::Test {
protected:
    EnvironmentGuard m_tz { "TZ", "CET-1CEST,M3.5.0,M10.5.0/3" };
    testing_support::TemporaryDevice m_device;
};

std::int64_t hostUniversalTicks()
{
    return kUnixEpochTicks + std::int64_t(std::time(nullptr)) * kTicksPerSecond;
}

SYSTEMTIME at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0 };
}

std::int64_t secondsBetween(const SYSTEMTIME& later, const SYSTEMTIME& earlier)
{
    return (std::int64_t(*ticksOfSystemTime(later)) - std::int64_t(*ticksOfSystemTime(earlier))) / kTicksPerSecond;
}

} // namespace

TEST_F(DeviceClock, NewDeviceTakesTheHostZoneAndTheHostTime)
{
    TIME_ZONE_INFORMATION zone { };
    const DWORD state = GetTimeZoneInformation(&zone);
    EXPECT_EQ(zone.Bias, -60);
    EXPECT_EQ(zone.DaylightBias, -60);
    EXPECT_EQ(zone.DaylightDate.wMonth, 3);
    EXPECT_EQ(zone.StandardDate.wHour, 3);
    EXPECT_TRUE(state == TIME_ZONE_ID_STANDARD || state == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(deviceClockOffsetTicks(), 0);
    EXPECT_LE(std::llabs(std::int64_t(deviceUniversalTicks()) - hostUniversalTicks()), 2 * kTicksPerSecond);
    EXPECT_EQ(timeChangeCount(), 0u);
}

TEST_F(DeviceClock, SettingTheLocalTimeMovesTheDeviceClockOnly)
{
    const auto hostBefore = hostUniversalTicks();
    SYSTEMTIME wanted = at(2026, 3, 29, 1, 59, 50); // ten seconds before daylight time starts
    ASSERT_TRUE(SetLocalTime(&wanted));
    EXPECT_LE(std::llabs(hostUniversalTicks() - hostBefore), 5 * kTicksPerSecond); // the host clock did not move

    SYSTEMTIME local { }, universal { };
    GetLocalTime(&local);
    GetSystemTime(&universal);
    EXPECT_LE(secondsBetween(local, wanted), 2);
    EXPECT_EQ(local.wDayOfWeek, 0); // a Sunday
    EXPECT_EQ(secondsBetween(local, universal), 3600);

    // Twenty seconds on, the clock shows daylight time.
    ASSERT_TRUE(advanceDeviceClock(20 * kTicksPerSecond));
    GetLocalTime(&local);
    EXPECT_EQ(local.wHour, 3);
    GetSystemTime(&universal);
    EXPECT_EQ(secondsBetween(local, universal), 7200);
    TIME_ZONE_INFORMATION zone { };
    EXPECT_EQ(GetTimeZoneInformation(&zone), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(timeChangeCount(), 2u);
}

TEST_F(DeviceClock, InvalidTimesAndZonesAreRefusedAndChangeNothing)
{
    SYSTEMTIME bad = at(2026, 2, 30, 7, 0);
    EXPECT_FALSE(SetLocalTime(&bad));
    EXPECT_FALSE(SetSystemTime(&bad));
    TIME_ZONE_INFORMATION zone { };
    GetTimeZoneInformation(&zone);
    zone.DaylightDate.wDay = 6; // occurrences run 1 to 5
    EXPECT_FALSE(SetTimeZoneInformation(&zone));
    EXPECT_EQ(timeChangeCount(), 0u);
    EXPECT_EQ(deviceClockOffsetTicks(), 0);
}

TEST_F(DeviceClock, ZoneChangeIsKeptCountedAndAnnounced)
{
    HANDLE changed = CreateEventW(nullptr, TRUE, FALSE, kTimeChangedEvent);
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(WaitForSingleObject(changed, 0), WAIT_TIMEOUT);

    const auto sydney = zoneFromPosixRule("AEST-10AEDT,M10.1.0,M4.1.0/3");
    ASSERT_TRUE(sydney);
    ASSERT_TRUE(SetTimeZoneInformation(&*sydney));
    EXPECT_EQ(WaitForSingleObject(changed, 0), WAIT_OBJECT_0);
    EXPECT_EQ(timeChangeCount(), 1u);
    CloseHandle(changed);

    // Another process of the device sees the new zone.
    const auto shown = testing_support::runCommand({ TKW_TKWCTL, "device", "zone" });
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.output.find("AEST-10AEDT,M10.1.0,M4.1.0/3"), std::string::npos) << shown.output;

    // The daylight flag is kept but is no time change.
    ASSERT_TRUE(SetDaylightTime(TRUE));
    EXPECT_TRUE(daylightFlag());
    EXPECT_EQ(timeChangeCount(), 1u);
}

TEST_F(DeviceClock, ClockSurvivesTheLossOfTheRuntimeDirectory)
{
    ASSERT_TRUE(advanceDeviceClock(-86400 * kTicksPerSecond));
    const auto offset = deviceClockOffsetTicks();
    // A reboot empties the runtime directory; the device keeps its clock.
    std::filesystem::remove_all(runtimeDirectory());
    useDeviceRoot(m_device.root());
    EXPECT_EQ(deviceClockOffsetTicks(), offset);
    EXPECT_EQ(timeChangeCount(), 1u);
}

TEST_F(DeviceClock, LocalAndUniversalFileTimesConvertWithTheRuleOfTheirDate)
{
    SYSTEMTIME summer = at(2026, 7, 1, 12, 0), winter = at(2026, 1, 1, 12, 0);
    FILETIME summerUtc { }, winterUtc { }, local { };
    ASSERT_TRUE(SystemTimeToFileTime(&summer, &summerUtc));
    ASSERT_TRUE(SystemTimeToFileTime(&winter, &winterUtc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&summerUtc, &local));
    EXPECT_EQ(std::int64_t(ticksOf(local) - ticksOf(summerUtc)), 2 * 3600 * kTicksPerSecond);
    ASSERT_TRUE(FileTimeToLocalFileTime(&winterUtc, &local));
    EXPECT_EQ(std::int64_t(ticksOf(local) - ticksOf(winterUtc)), 3600 * kTicksPerSecond);
    FILETIME back { };
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(ticksOf(back), ticksOf(winterUtc));
}

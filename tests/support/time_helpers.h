#pragma once
// Moments for tests: a SYSTEMTIME from its calendar fields, its ticks, and a device whose
// clock a test sets and moves on.

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/types.h"
#include "tests/support/device_fixture.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace testing_support {

// The date and time given; the day of the week and the milliseconds stay zero.
[[nodiscard]] inline SYSTEMTIME at(
    int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    SYSTEMTIME time {};
    time.wYear = WORD(year);
    time.wMonth = WORD(month);
    time.wDay = WORD(day);
    time.wHour = WORD(hour);
    time.wMinute = WORD(minute);
    time.wSecond = WORD(second);
    return time;
}

// The same as ticks (100 ns since 1601); the moment must lie within the calendar.
[[nodiscard]] inline std::uint64_t ticksAt(
    int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return platform::ticksOfSystemTime(at(year, month, day, hour, minute, second)).value();
}

// A test on a device of its own whose clock stands at 10:00:00 universal time on Tuesday
// 8 December 2026 when it begins; the test moves it on with `travel`, never sleeping.
class ClockDeviceTest : public DeviceTest {
protected:
    void SetUp() override
    {
        const SYSTEMTIME start { 2026, 12, 2, 8, 10, 0, 0, 0 };
        ASSERT_TRUE(SetSystemTime(&start));
    }
    [[nodiscard]] static std::uint64_t now() { return platform::deviceUniversalNow().count(); }
    static void travel(std::int64_t seconds)
    {
        ASSERT_TRUE(platform::advanceDeviceClock(seconds * platform::kTicksPerSecond));
    }
};

} // namespace testing_support

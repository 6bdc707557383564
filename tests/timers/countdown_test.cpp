#include "timers/countdown.h"

#include "platform/calendar.h"

#include <gtest/gtest.h>

using namespace timers;

namespace {

constexpr std::uint64_t kSecond = 10'000'000;

std::uint64_t at(int year, int month, int day, int hour, int minute, int second, int ms = 0)
{
    return *platform::ticksOfSystemTime(
        SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), WORD(ms) });
}

TimerRecord stoppedAt(int hour, int minute, int second)
{
    TimerRecord timer { };
    timer.value = fileTimeOf(at(2026, 1, 1, hour, minute, second));
    timer.initHour = std::uint8_t(hour);
    timer.initMinute = std::uint8_t(minute);
    timer.initSecond = std::uint8_t(second);
    return timer;
}

} // namespace

TEST(Countdown, MidnightValueCountsAWholeDay)
{
    EXPECT_EQ(durationTicks(stoppedAt(0, 0, 0).value), 24 * 3600 * kSecond);
    EXPECT_EQ(durationTicks(stoppedAt(1, 2, 3).value), 3723 * kSecond);

    TimerRecord running = stoppedAt(0, 0, 0);
    const std::uint64_t start = at(2026, 3, 8, 9, 30, 0);
    running.value = fileTimeOf(start + durationTicks(running.value));
    running.running = 1;
    EXPECT_EQ(displayText(DisplayValue(running, platform::LocalTicks(start + 1))), u"23:59:59"); // whole seconds left
    EXPECT_EQ(displayText(DisplayValue(running, platform::LocalTicks(start))), u"24:00:00");
}

TEST(Countdown, TimeLeftDropsFractionsAndStopsAtZero)
{
    const std::uint64_t now = at(2026, 3, 8, 9, 0, 0);
    const auto left = remainingTime(fileTimeOf(now + 3723 * kSecond + 9 * kSecond / 10), platform::LocalTicks(now));
    EXPECT_EQ(left.hours, 1u);
    EXPECT_EQ(left.minutes, 2u);
    EXPECT_EQ(left.seconds, 3u);
    // Days of waiting keep counting hours.
    EXPECT_EQ(remainingTime(fileTimeOf(now + 50 * 3600 * kSecond), platform::LocalTicks(now)).hours, 50u);
    // An end that has passed leaves nothing, rather than a wrapped-round count.
    const auto late = remainingTime(fileTimeOf(now - kSecond), platform::LocalTicks(now));
    EXPECT_EQ(late.hours + late.minutes + late.seconds, 0u);
}

TEST(Countdown, InitialValueKeepsTheDateAndMilliseconds)
{
    TimerRecord timer = stoppedAt(0, 0, 0);
    timer.value = fileTimeOf(at(2026, 7, 4, 5, 6, 7, 890));
    timer.initHour = 1;
    timer.initMinute = 2;
    timer.initSecond = 3;
    EXPECT_EQ(ticksOf(initialValue(timer)), at(2026, 7, 4, 1, 2, 3, 890));
}

TEST(StatusBarTimer, ShowsTheFirstOfTimersOneToFourThatEnds)
{
    TimerTable table { };
    const std::uint64_t now = at(2026, 3, 8, 9, 0, 0);
    EXPECT_EQ(statusBarTimerText(table, platform::LocalTicks(now)), u"--:--");
    table[4].running = 1; // timer 5 does not count
    table[4].value = fileTimeOf(now + 10 * kSecond);
    EXPECT_EQ(statusBarTimerText(table, platform::LocalTicks(now)), u"--:--");
    table[3].running = 1;
    table[3].value = fileTimeOf(now + 90 * kSecond);
    table[1].running = 1;
    table[1].value = fileTimeOf(now + 3600 * kSecond);
    EXPECT_EQ(statusBarTimerText(table, platform::LocalTicks(now)), u"00:01:30");
}

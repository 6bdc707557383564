#include "timers/timer_board.h"

#include "platform/calendar.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "store/data_files.h"
#include "store/signals.h"
#include "timers/countdown.h"
#include "timers/timer_file.h"
#include "timers/timer_schedule.h"
#include "tests/support/device_fixture.h"

#include <cstring>
#include <thread>

using namespace timers;

namespace {

constexpr std::uint64_t kSecond = 10'000'000;

std::uint64_t at(int year, int month, int day, int hour, int minute, int second, int ms = 0)
{
    return *platform::ticksOfSystemTime(
        SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), WORD(ms) });
}

class Timers : public testing_support::DeviceTest {
protected:
    Timers()
    {
        (void)store::createDataDirectory();
        m_board.load(platform::LocalTicks(m_now));
    }
    std::uint64_t m_now = at(2026, 3, 8, 9, 0, 0);
    TimerBoard m_board;
};

} // namespace

TEST_F(Timers, NewInstallationHasTodaysDateInTheFirstFourTimers)
{
    TimerTable onDisk { };
    std::memset(onDisk.data(), 0x55, kTimersFileSize);
    LoadTimers(onDisk, platform::LocalTicks(m_now));
    EXPECT_EQ(ticksOf(onDisk[0].value), at(2026, 3, 8, 0, 0, 0));
    EXPECT_EQ(ticksOf(onDisk[3].value), at(2026, 3, 8, 0, 0, 0));
    EXPECT_EQ(ticksOf(onDisk[4].value), 0u);
    EXPECT_EQ(*platform::fileSize(store::DataFilePath(store::kTimersFile)), kTimersFileSize);
    for (const auto& timer : onDisk)
        EXPECT_EQ(displayText(DisplayValue(timer, platform::LocalTicks(m_now))), u"00:00:00");
}

TEST_F(Timers, StartRegistersTheRunnerWithTheTimersArgument)
{
    EXPECT_EQ(timerArgument(0), u"t00");
    EXPECT_EQ(timerArgument(9), u"t09");
    EXPECT_EQ(timerArgument(10), u"t10");
    EXPECT_EQ(std::u16string(timers::timerResetEventName(9)), u"TkTimers_10_Reset");
    EXPECT_EQ(std::u16string(timers::timerResetEventName(10)), u"TkTimers_11_Reset");
    EXPECT_EQ(std::u16string(timers::timerResetEventName(0)), u"TkTimers_1_Reset");
    EXPECT_EQ(std::u16string(timers::timerResetEventName(15)), u"TkTimers_16_Reset");
    EXPECT_EQ(timers::timerResetEventName(16), nullptr);

    m_board.setInitialValue(9, 0, 5, 0, platform::LocalTicks(m_now));
    ASSERT_TRUE(m_board.StartTimer(9, platform::LocalTicks(m_now)).registered);
    const auto& timer = m_board.records()[9];
    EXPECT_TRUE(timer.running);
    const auto wakeUp = platform::findWakeUp(timer.hNotification);
    ASSERT_TRUE(wakeUp);
    EXPECT_EQ(wakeUp->application, store::kRunnerPath);
    EXPECT_EQ(wakeUp->arguments, u"t09");
    EXPECT_EQ(wakeUp->startLocalTicks, m_now + 300 * kSecond);
    // What was started is on disk, for the runner.
    TimerRecord onDisk { };
    ASSERT_TRUE(readTimer(9, onDisk));
    EXPECT_EQ(onDisk.hNotification, timer.hNotification);
}

TEST_F(Timers, PauseKeepsTheWholeSecondsLeftAndResetBringsBackTheInitialValue)
{
    m_board.setInitialValue(0, 2, 0, 0, platform::LocalTicks(m_now));
    ASSERT_TRUE(m_board.StartTimer(0, platform::LocalTicks(m_now)).registered);
    const std::uint32_t handle = m_board.records()[0].hNotification;
    // 1 h 2 min 3.9 s before the end.
    const std::uint64_t pausedAt = m_now + 2 * 3600 * kSecond - (3723 * kSecond + 9 * kSecond / 10);
    m_board.StopTimer(0, platform::LocalTicks(pausedAt));
    const auto& timer = m_board.records()[0];
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(timer.hNotification, 0u);
    EXPECT_FALSE(platform::findWakeUp(handle));
    EXPECT_EQ(displayText(DisplayValue(timer, platform::LocalTicks(pausedAt))), u"01:02:03");
    EXPECT_EQ(durationTicks(timer.value), 3723 * kSecond);
    // The runner waiting for that end learns of the cancel.
    HANDLE reset = CreateEventW(nullptr, TRUE, FALSE, u"TkTimers_1_Reset");
    EXPECT_EQ(WaitForSingleObject(reset, 0), WAIT_OBJECT_0);
    CloseHandle(reset);

    m_board.ResetTimer(0);
    EXPECT_EQ(displayText(DisplayValue(m_board.records()[0], platform::LocalTicks(pausedAt))), u"02:00:00");
}

TEST_F(Timers, StoppingATimerWhoseEndHasPassedResetsIt)
{
    m_board.setInitialValue(2, 0, 0, 30, platform::LocalTicks(m_now));
    m_board.StartTimer(2, platform::LocalTicks(m_now));
    m_board.StopTimer(2, platform::LocalTicks(m_now + 45 * kSecond)); // the runner is late
    EXPECT_EQ(displayText(DisplayValue(m_board.records()[2], platform::LocalTicks(m_now))), u"00:00:30");
}

TEST_F(Timers, TwoTimersFiringBeforeARepaintAreResynchronisedOneAtATime)
{
    m_board.setInitialValue(2, 0, 1, 0, platform::LocalTicks(m_now));
    m_board.setInitialValue(4, 0, 2, 0, platform::LocalTicks(m_now));
    m_board.StartTimer(2, platform::LocalTicks(m_now));
    m_board.StartTimer(4, platform::LocalTicks(m_now));
    EXPECT_FALSE(m_board.PollTimerChanges(platform::LocalTicks(m_now))); // nothing happened yet
    // The two runners finish their timers.
    ASSERT_TRUE(FinishTimer(2));
    ASSERT_TRUE(FinishTimer(4));
    EXPECT_EQ(m_board.PollTimerChanges(platform::LocalTicks(m_now + 200 * kSecond)), 2);
    EXPECT_FALSE(m_board.records()[2].running);
    EXPECT_EQ(displayText(DisplayValue(m_board.records()[2], platform::LocalTicks(m_now))), u"00:01:00");
    // Timer 5 was reloaded as not running, but the one resynchronised is timer 3.
    EXPECT_FALSE(m_board.PollTimerChanges(platform::LocalTicks(m_now + 200 * kSecond)));
}

TEST_F(Timers, RunnerWaitingForTheEndLeavesWhenTheTimerIsStopped)
{
    m_board.setInitialValue(1, 0, 0, 30, platform::LocalTicks(m_now));
    m_board.StartTimer(1, platform::LocalTicks(m_now));
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        m_board.StopTimer(1, platform::LocalTicks(m_now + 10 * kSecond));
    });
    EXPECT_EQ(waitForTimerEnd(1, platform::LocalTicks(m_now + 30 * kSecond), platform::LocalTicks(m_now + 10 * kSecond)), TimerWait::Cancelled);
    user.join();
    EXPECT_EQ(waitForTimerEnd(1, platform::LocalTicks(m_now), platform::LocalTicks(m_now + kSecond)), TimerWait::Ended);
}

TEST_F(Timers, RenewalRegistersLateTimersTwentySecondsOnAndReplacesFiredHandles)
{
    m_board.setInitialValue(0, 0, 1, 0, platform::LocalTicks(m_now));
    m_board.setInitialValue(1, 1, 0, 0, platform::LocalTicks(m_now));
    m_board.StartTimer(0, platform::LocalTicks(m_now));
    m_board.StartTimer(1, platform::LocalTicks(m_now));
    // The first timer's wake-up fired without the runner rewriting its record.
    ASSERT_TRUE(platform::takeWakeUpForFiring(m_board.records()[0].hNotification));
    const std::uint64_t later = m_now + 300 * kSecond;
    ASSERT_TRUE(RescheduleAllTimers(platform::LocalTicks(later), store::kRunnerPath));
    TimerTable renewed { };
    LoadTimers(renewed, platform::LocalTicks(later));
    const auto first = platform::findWakeUp(renewed[0].hNotification);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->startLocalTicks, later + 20 * kSecond);
    const auto second = platform::findWakeUp(renewed[1].hNotification);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->startLocalTicks, m_now + 3600 * kSecond); // a later end stays
}

TEST_F(Timers, SettingsStoreNameSoundAndProgram)
{
    TimerSettings settings;
    settings.name = std::u16string(40, u'x');
    settings.soundIndex = 3;
    settings.soundPath = u"\\Windows\\Alarm3.wav";
    settings.repeatIndex = 2;
    ASSERT_TRUE(m_board.ApplySettings(5, settings));
    const auto& timer = m_board.records()[5];
    EXPECT_EQ(std::u16string(timer.name), std::u16string(31, u'x'));
    EXPECT_EQ(timer.soundIndex, 3u);
    EXPECT_EQ(readTimerSound(5), u"\\Windows\\Alarm3.wav");
    EXPECT_EQ(readTimerSound(6), u"\\Windows\\Alarm1.wav"); // no file: the default
    EXPECT_EQ(SoundFileName(15), u"timersnd15.dat");
}

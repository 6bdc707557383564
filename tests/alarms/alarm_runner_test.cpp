#include "alarms/alarm_schedule.h"

#include "store/signals.h"
#include "tests/alarms/alarm_fixture.h"

using namespace alarms;
using namespace alarm_tests;

namespace {

constexpr std::u16string_view kOwnPath = u"\\Application Data\\Orvane Tickwell Pro\\TkEvents.exe";

class Runner : public AlarmsTest {
protected:
    // Alarms as the main program left them: each on with a registration at its next moment.
    void storeAlarms(const std::vector<std::pair<int, AlarmRecord>>& alarms, const SYSTEMTIME& now)
    {
        for (auto [index, alarm] : alarms) {
            if (alarm.enabled) {
                const auto next = NextOccurrence(alarm, From::Now, now);
                if (next) {
                    alarm.alarmTime = fileTimeOf(ticksAt(*next));
                    alarm.hNotification = registerAlarmWakeUp(u"\\Application Data\\Orvane Tickwell Pro\\TkEvents.exe",
                        alarmArgument(index + 1), *next, WakeUpEnd::FiveMinutesLater);
                }
            }
            m_table[std::size_t(index)] = alarm;
        }
        ASSERT_TRUE(SaveAlarms(m_table));
        (void)takeSignal(store::kAlarmsChangedForMainProgram);
        (void)takeSignal(store::kAlarmsChangedForToday);
    }

    AlarmTable m_table { };
};

} // namespace

TEST_F(Runner, ARingMovesTheAlarmToItsNextWeekdayUnderTheRunnersOwnRegistration)
{
    // Every day at 07:00; Saturday 14 March 2026 rings.
    storeAlarms({ { 2, alarmAt(7, 0, kEveryDay) } }, at(2026, 3, 14, 6, 0));
    const std::uint32_t fired = m_table[2].hNotification;
    ASSERT_TRUE(platform::takeWakeUpForFiring(fired)); // the service started the runner with it

    const auto now = at(2026, 3, 14, 7, 0, 2);
    const auto advanced = AdvanceAlarm(3, u"a3", u"\\Runner\\Own.exe", now, kQuick);
    ASSERT_TRUE(advanced);
    EXPECT_TRUE(advanced->written);
    EXPECT_EQ(ticksOf(advanced->rang), ticksAt(at(2026, 3, 14, 7, 0)));
    EXPECT_TRUE(shouldAlert(*advanced, now));

    const auto registered = wakeUps();
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].application, u"\\Runner\\Own.exe");
    EXPECT_EQ(registered[0].arguments, u"a3"); // as the runner was started
    EXPECT_EQ(registered[0].startLocalTicks, ticksAt(at(2026, 3, 15, 7, 0)));
    EXPECT_EQ(registered[0].endLocalTicks, 0u);

    const auto onDisk = recordOnDisk(2);
    EXPECT_EQ(onDisk.hNotification, registered[0].handle);
    EXPECT_EQ(ticksOf(onDisk.alarmTime), ticksAt(at(2026, 3, 15, 7, 0)));
    EXPECT_TRUE(takeSignal(store::kAlarmsChangedForMainProgram));
    EXPECT_TRUE(takeSignal(store::kAlarmsChangedForToday));
    // Only that record was rewritten.
    const auto neighbour = recordOnDisk(1);
    EXPECT_EQ(std::memcmp(&neighbour, &m_table[1], sizeof neighbour), 0);
}

TEST_F(Runner, ALateWakeUpMovesTheAlarmOnButAlertsOnlyWithinTwentyWholeMinutes)
{
    storeAlarms({ { 0, alarmAt(7, 0, kMonday) } }, at(2026, 3, 8, 9, 0));
    const auto twentyAndABit = AdvanceAlarm(1, u"a01", kOwnPath, at(2026, 3, 9, 7, 20, 59), kQuick);
    ASSERT_TRUE(twentyAndABit);
    EXPECT_TRUE(shouldAlert(*twentyAndABit, at(2026, 3, 9, 7, 20, 59)));
    EXPECT_EQ(ticksOf(recordOnDisk(0).alarmTime), ticksAt(at(2026, 3, 16, 7, 0)));

    storeAlarms({ { 0, alarmAt(7, 0, kMonday) } }, at(2026, 3, 8, 9, 0));
    const auto late = AdvanceAlarm(1, u"a01", kOwnPath, at(2026, 3, 9, 7, 25), kQuick);
    ASSERT_TRUE(late);
    EXPECT_FALSE(shouldAlert(*late, at(2026, 3, 9, 7, 25)));
    EXPECT_EQ(ticksOf(recordOnDisk(0).alarmTime), ticksAt(at(2026, 3, 16, 7, 0)));
    // Early by as much counts the same way.
    EXPECT_FALSE(shouldAlert(*late, at(2026, 3, 9, 6, 39)));
}

TEST_F(Runner, AnAlarmSwitchedOffMeanwhileIsClearedAndNotRenewed)
{
    storeAlarms({ { 4, alarmAt(7, 0, kMonday) } }, at(2026, 3, 8, 9, 0));
    AlarmRecord off = m_table[4];
    off.enabled = 0;
    ASSERT_TRUE(writeAlarm(4, off)); // the wake-up is still registered
    const auto advanced = AdvanceAlarm(5, u"a05", kOwnPath, at(2026, 3, 9, 7, 0), kQuick);
    ASSERT_TRUE(advanced);
    EXPECT_FALSE(shouldAlert(*advanced, at(2026, 3, 9, 7, 0)));
    EXPECT_TRUE(wakeUps().empty());
    EXPECT_EQ(recordOnDisk(4).hNotification, 0u);
}

TEST_F(Runner, NoFileOrNoSuchAlarmMeansNoRing)
{
    EXPECT_FALSE(AdvanceAlarm(3, u"a03", kOwnPath, at(2026, 3, 9, 7, 0), kQuick));
    storeAlarms({ }, at(2026, 3, 8, 9, 0));
    EXPECT_FALSE(AdvanceAlarm(0, u"a00", kOwnPath, at(2026, 3, 9, 7, 0), kQuick));
    EXPECT_FALSE(AdvanceAlarm(21, u"a21", kOwnPath, at(2026, 3, 9, 7, 0), kQuick));
    EXPECT_FALSE(takeSignal(store::kAlarmsChangedForMainProgram));
}

TEST_F(Runner, AfterATimeChangeEveryAlarmThatIsOnIsRegisteredAfresh)
{
    AlarmRecord noDays = alarmAt(8, 0, kMonday);
    storeAlarms({ { 0, alarmAt(7, 0, kMonday) }, { 1, alarmAt(22, 30, kSunday | kSaturday) }, { 2, noDays },
                    { 3, alarmAt(6, 0, kEveryDay, false) } },
        at(2026, 3, 8, 9, 0));
    // Alarm 3 is on but its weekdays went (as an older version could leave it): it keeps its
    // registration.
    m_table[2].weekdays = 0;
    ASSERT_TRUE(SaveAlarms(m_table));
    const std::uint32_t keptHandle = m_table[2].hNotification;

    // The clock moved to Sunday 23:00.
    ASSERT_EQ(RescheduleAllAlarms(kOwnPath, at(2026, 3, 8, 23, 0), kQuick), RescheduleOutcome::Done);
    const auto first = recordOnDisk(0);
    const auto second = recordOnDisk(1);
    EXPECT_EQ(ticksOf(first.alarmTime), ticksAt(at(2026, 3, 9, 7, 0)));
    EXPECT_EQ(ticksOf(second.alarmTime), ticksAt(at(2026, 3, 14, 22, 30)));
    EXPECT_EQ(recordOnDisk(2).hNotification, keptHandle);
    EXPECT_EQ(recordOnDisk(3).hNotification, 0u);

    const auto registered = wakeUps();
    ASSERT_EQ(registered.size(), 3u);
    const auto secondWakeUp = platform::findWakeUp(second.hNotification);
    ASSERT_TRUE(secondWakeUp);
    EXPECT_EQ(secondWakeUp->arguments, u"a02");
    EXPECT_EQ(secondWakeUp->application, kOwnPath);
    EXPECT_EQ(secondWakeUp->endLocalTicks, 0u);
    EXPECT_FALSE(platform::findWakeUp(m_table[0].hNotification)); // the old one went
    EXPECT_TRUE(takeSignal(store::kAlarmsChangedForMainProgram));
    EXPECT_TRUE(takeSignal(store::kAlarmsChangedForToday));
}

TEST_F(Runner, ADamagedFileIsNotRenewed)
{
    storeAlarms({ { 0, alarmAt(7, 0, kMonday) } }, at(2026, 3, 8, 9, 0));
    auto bytes = readDataFile(store::kAlarmsFile);
    bytes.pop_back();
    writeDataFile(store::kAlarmsFile, bytes.data(), bytes.size());
    EXPECT_EQ(RescheduleAllAlarms(kOwnPath, at(2026, 3, 8, 23, 0), kQuick), RescheduleOutcome::Unreadable);
    EXPECT_EQ(readDataFile(store::kAlarmsFile), bytes);
    EXPECT_TRUE(platform::findWakeUp(m_table[0].hNotification));
    EXPECT_FALSE(takeSignal(store::kAlarmsChangedForMainProgram));
}

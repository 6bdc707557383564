#include "alarms/alarm_board.h"

#include "alarms/alarm_schedule.h"
#include "store/signals.h"
#include "tests/alarms/alarm_fixture.h"
#include "tests/support/child_process.h"

using namespace alarms;
using namespace alarm_tests;

namespace {

// Sunday 8 March 2026, 09:00.
const SYSTEMTIME kNow = at(2026, 3, 8, 9, 0);
constexpr std::uint64_t kFiveMinutes = 5 * 60 * 10'000'000ull;

class AlarmsView : public AlarmsTest {
protected:
    AlarmsView() { (void)m_board.load(kNow); }

    // Alarm 3 on for Mondays at 07:00, as the view's row does it.
    void switchOnMondaysAtSeven()
    {
        m_board.setAlarmTime(2, 7, 0, kNow);
        m_board.setWeekdays(2, kMonday, kNow);
        const auto change = m_board.switchAlarmOn(2, kNow);
        ASSERT_TRUE(change.enabled && change.registered && change.saved);
    }

    AlarmBoard m_board;
};

testing_support::CommandResult runner(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TKW_ALARM_RUNNER_PROBE);
    return testing_support::runCommand(arguments);
}

} // namespace

TEST_F(AlarmsView, SwitchingOnLeavesOneWakeUpForTheRunnerFromTheMomentToFiveMinutesLater)
{
    (void)takeSignal(store::kAlarmsChangedForToday);
    switchOnMondaysAtSeven();
    auto registered = wakeUps();
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].application, u"\\Application Data\\Orvane Tickwell Pro\\TkEvents.exe");
    EXPECT_EQ(registered[0].arguments, u"a03");
    EXPECT_EQ(registered[0].startLocalTicks, ticksAt(at(2026, 3, 9, 7, 0)));
    EXPECT_EQ(registered[0].endLocalTicks, ticksAt(at(2026, 3, 9, 7, 0)) + kFiveMinutes);
    EXPECT_EQ(registered[0].actionFlags, 0u);
    EXPECT_TRUE(takeSignal(store::kAlarmsChangedForToday));

    // On disk for the runner: the handle and the moment.
    const auto onDisk = recordOnDisk(2);
    EXPECT_EQ(onDisk.hNotification, registered[0].handle);
    EXPECT_EQ(ticksOf(onDisk.alarmTime), ticksAt(at(2026, 3, 9, 7, 0)));
    EXPECT_EQ(onDisk.enabled, 1);

    // A new time replaces the registration rather than adding one.
    ASSERT_TRUE(m_board.setAlarmTime(2, 6, 15, kNow).registered);
    registered = wakeUps();
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(registered[0].startLocalTicks, ticksAt(at(2026, 3, 9, 6, 15)));
    EXPECT_EQ(recordOnDisk(2).hNotification, registered[0].handle);
}

TEST_F(AlarmsView, SwitchingOffOrClearingTheLastWeekdayRemovesTheWakeUp)
{
    switchOnMondaysAtSeven();
    const auto off = m_board.switchAlarmOff(2, kNow);
    EXPECT_FALSE(off.enabled);
    EXPECT_TRUE(wakeUps().empty());
    EXPECT_EQ(recordOnDisk(2).hNotification, 0u);
    EXPECT_EQ(recordOnDisk(2).enabled, 0);

    switchOnMondaysAtSeven();
    // Adding a weekday moves it to the earlier day; taking all away switches it off.
    m_board.setWeekdays(2, kMonday | kSunday, at(2026, 3, 8, 6, 0));
    ASSERT_EQ(wakeUps().size(), 1u);
    EXPECT_EQ(wakeUps()[0].startLocalTicks, ticksAt(at(2026, 3, 8, 7, 0)));
    const auto cleared = m_board.setWeekdays(2, 0, kNow);
    EXPECT_FALSE(cleared.enabled); // the check box is cleared
    EXPECT_TRUE(wakeUps().empty());
    const auto onDisk = recordOnDisk(2);
    EXPECT_EQ(onDisk.enabled, 0);
    EXPECT_EQ(onDisk.hNotification, 0u);
    EXPECT_EQ(onDisk.weekdays, 0);
}

TEST_F(AlarmsView, AnAlarmWithoutWeekdaysStaysOff)
{
    m_board.setAlarmTime(5, 7, 0, kNow);
    const auto change = m_board.switchAlarmOn(5, kNow);
    EXPECT_TRUE(change.noWeekdays);
    EXPECT_FALSE(change.enabled);
    EXPECT_EQ(m_board.records()[5].enabled, 0);
    EXPECT_TRUE(wakeUps().empty());
    EXPECT_FALSE(m_board.NextAlarm(kNow).anyEnabled);
}

TEST_F(AlarmsView, TheRegistrationClearedIsTheOneOnDiskNotAStaleCopy)
{
    switchOnMondaysAtSeven();
    const std::uint32_t known = m_board.records()[2].hNotification;
    // The runner renews every alarm in its own process; the main program tested the change
    // event just before that write, so its copy is stale.
    ASSERT_EQ(runner({ "reschedule", "\\Application Data\\Orvane Tickwell Pro\\TkEvents.exe", "2026-03-08T09:00:30" })
                  .output,
        "done\n");
    (void)takeSignal(store::kAlarmsChangedForMainProgram);
    const std::uint32_t pending = recordOnDisk(2).hNotification;
    ASSERT_NE(pending, known);
    ASSERT_EQ(m_board.records()[2].hNotification, known);
    ASSERT_TRUE(platform::findWakeUp(pending));

    m_board.switchAlarmOff(2, kNow);
    EXPECT_TRUE(wakeUps().empty());
}

TEST_F(AlarmsView, ARingInTheRunnersProcessIsReloadedBeforeTheNextChange)
{
    switchOnMondaysAtSeven();
    m_board.setLabel(2, u"Work", kNow);
    ASSERT_TRUE(m_board.NextAlarm(kNow).localTime);
    EXPECT_EQ(ticksAt(*m_board.NextAlarm(kNow).localTime), ticksAt(at(2026, 3, 9, 7, 0)));

    ASSERT_EQ(runner({ "advance", "3", "a03", "\\Application Data\\Orvane Tickwell Pro\\TkEvents.exe",
                  "2026-03-09T07:00:04" })
                  .output,
        "alert\n");
    // The status bar's copy follows the runner's signal.
    const auto& next = m_board.NextAlarm(at(2026, 3, 9, 7, 1));
    ASSERT_TRUE(next.localTime);
    EXPECT_EQ(ticksAt(*next.localTime), ticksAt(at(2026, 3, 16, 7, 0)));
    EXPECT_EQ(m_board.records()[2].hNotification, wakeUps().at(0).handle);
    EXPECT_FALSE(takeSignal(store::kAlarmsChangedForMainProgram)); // consumed by the reload

    // A label change after the ring keeps what the runner wrote.
    m_board.setLabel(2, u"Work, week 2", at(2026, 3, 9, 7, 2));
    EXPECT_EQ(ticksOf(recordOnDisk(2).alarmTime), ticksAt(at(2026, 3, 16, 7, 0)));
    EXPECT_EQ(alarmLabel(recordOnDisk(2)), u"Work, week 2");
}

TEST_F(AlarmsView, AnotherToolLeavesTheMainProgramsSignalAndRaisesIt)
{
    (void)takeSignal(store::kAlarmsChangedForMainProgram);
    {
        AlarmBoard tool(Holder::OtherTool);
        (void)tool.load(kNow);
        store::signalByName(store::kAlarmsChangedForMainProgram); // a runner wrote meanwhile
        EXPECT_TRUE(tool.ReloadAlarmsIfChanged(kNow));
        tool.setWeekdays(7, kFriday, kNow);
        ASSERT_TRUE(tool.switchAlarmOn(7, kNow).registered);
    }
    // Still set for the main program, which now takes the tool's change.
    EXPECT_TRUE(m_board.ReloadAlarmsIfChanged(kNow));
    EXPECT_EQ(m_board.records()[7].enabled, 1);
    EXPECT_FALSE(m_board.ReloadAlarmsIfChanged(kNow));
}

TEST_F(AlarmsView, SettingsAreWrittenForEveryActionKind)
{
    AlarmSettings settings = m_board.currentSettings(0);
    EXPECT_EQ(settings.actionKind, kShowPluginView);
    EXPECT_EQ(settings.programPath, u"Dezod");
    EXPECT_EQ(settings.soundPath, u"\\Windows\\Alarm1.wav");

    settings.actionKind = kShowNotification;
    settings.soundIndex = 4;
    settings.soundPath = u"\\Windows\\Chime2.wav";
    settings.repeatIndex = 2;
    settings.repeatAlarm = true;
    settings.repeatAlarmCountIndex = 6;
    settings.repeatAlarmIntervalIndex = 5;
    const auto first = m_board.ApplySettings(0, settings, kNow);
    EXPECT_TRUE(first.saved && first.soundStored);
    auto onDisk = recordOnDisk(0);
    EXPECT_EQ(onDisk.actionKind, kShowNotification);
    EXPECT_EQ(fieldText(onDisk.programPath), u"");
    EXPECT_EQ(onDisk.soundIndex, 4u);
    EXPECT_EQ(onDisk.repeatIndex, 2);
    EXPECT_EQ(onDisk.repeatAlarm, 1);
    EXPECT_EQ(onDisk.repeatAlarmCountIndex, 6);
    EXPECT_EQ(ReadAlarmSound(0, SoundReader::Runner), u"\\Windows\\Chime2.wav");

    // A program to run reaches the file at once, and the sound settings stay.
    settings.actionKind = kExecuteProgram;
    settings.programPath = u"\\Windows\\calc.exe";
    settings.programArgs = u"/quiet";
    settings.keepAwakeIndex = 5;
    settings.soundIndex = 0;
    EXPECT_TRUE(m_board.ApplySettings(0, settings, kNow).saved);
    onDisk = recordOnDisk(0);
    EXPECT_EQ(onDisk.actionKind, kExecuteProgram);
    EXPECT_EQ(fieldText(onDisk.programPath), u"\\Windows\\calc.exe");
    EXPECT_EQ(fieldText(onDisk.programArgs), u"/quiet");
    EXPECT_EQ(onDisk.keepAwakeIndex, 5u);
    EXPECT_EQ(onDisk.soundIndex, 4u);
}

TEST_F(AlarmsView, LabelsKeepThirtyOneCharacters)
{
    const std::u16string thirtyOne(31, u'L');
    EXPECT_TRUE(m_board.setLabel(11, thirtyOne + u"X", kNow));
    EXPECT_EQ(alarmLabel(recordOnDisk(11)), thirtyOne);
    EXPECT_EQ(recordOnDisk(11).label[31], u'\0');
}

TEST_F(AlarmsView, TheTodayItemRereadsTheNextAlarmOnlyWhenSignalled)
{
    NextAlarmWatch today;
    EXPECT_FALSE(today.current().anyEnabled);
    switchOnMondaysAtSeven();
    ASSERT_TRUE(today.current().localTime);
    EXPECT_EQ(ticksAt(*today.current().localTime), ticksAt(at(2026, 3, 9, 7, 0)));

    // A write nobody signalled is not seen; the signal brings it in.
    AlarmRecord moved = recordOnDisk(2);
    moved.alarmTime = fileTimeOf(ticksAt(at(2026, 3, 16, 7, 0)));
    ASSERT_TRUE(writeAlarm(2, moved));
    EXPECT_EQ(ticksAt(*today.current().localTime), ticksAt(at(2026, 3, 9, 7, 0)));
    store::signalByName(store::kAlarmsChangedForToday);
    EXPECT_EQ(ticksAt(*today.current().localTime), ticksAt(at(2026, 3, 16, 7, 0)));
    EXPECT_FALSE(takeSignal(store::kAlarmsChangedForToday));
}

TEST_F(AlarmsView, ACopyThatFoundTheFileBusyReadsItBeforeItsFirstChange)
{
    switchOnMondaysAtSeven();
    AlarmBoard late;
    {
        auto held = platform::File::open(store::DataFilePath(store::kAlarmsFile), platform::Access::ReadWrite,
            platform::Share::None, platform::Disposition::OpenExisting);
        ASSERT_TRUE(held);
        EXPECT_EQ(late.load(kNow), LoadOutcome::Unreadable);
    }
    EXPECT_TRUE(late.setLabel(5, u"Tea", kNow));
    const auto third = recordOnDisk(2);
    EXPECT_EQ(third.enabled, 1);
    EXPECT_EQ(third.hNotification, m_board.records()[2].hNotification);
    EXPECT_EQ(alarmLabel(recordOnDisk(5)), u"Tea");
}

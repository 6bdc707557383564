// What the runner gets ready during its start-up wait: the alert a due item's record
// promises before the wait, read without changing anything, and its sound.

#include "alarms/alarm_file.h"
#include "events/event_list.h"
#include "events/event_notes.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "runner/warm_start.h"
#include "tests/runner/runner_fixture.h"
#include "tests/support/sound_capture.h"
#include "timers/timer_file.h"

#include <string>

using namespace runner;
using namespace runner_tests;

namespace {

class WarmStart : public testing_support::DeviceTest {
protected:
    WarmStart()
    {
        (void)store::createDataDirectory();
        const SYSTEMTIME now = at(2026, 3, 9, 7, 0, 5);
        EXPECT_TRUE(SetLocalTime(&now));
    }

    // Alarm 2 set for `moment`, sounding Tone.wav in the bubble.
    static void saveAlarm(const SYSTEMTIME& moment, bool enabled = true)
    {
        alarms::AlarmTable table { };
        alarms::AlarmRecord& alarm = table[1];
        alarm.enabled = enabled ? 1 : 0;
        alarm.weekdays = alarms::kWeekdayBits;
        alarm.soundIndex = 1;
        alarm.repeatIndex = 2;
        alarm.alarmTime = fileTimeOf(ticksAt(moment));
        ASSERT_TRUE(alarms::SaveAlarms(table));
        ASSERT_TRUE(alarms::WriteAlarmSound(1, u"\\Windows\\Tone.wav"));
    }

    static std::vector<std::byte> bytesOf(std::u16string_view fileName)
    {
        return platform::readWholeFile(store::DataFilePath(fileName), 1 << 20).value_or(std::vector<std::byte> { });
    }
};

Command commandFor(std::u16string_view line) { return parseCommandLine(line); }

} // namespace

TEST_F(WarmStart, ADueAlarmPromisesItsSoundAndItsRecordIsLeftAsItWas)
{
    saveAlarm(at(2026, 3, 9, 7, 0));
    const auto before = bytesOf(store::kAlarmsFile);
    const auto alert = peekDueAlert(commandFor(u"a02"));
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->soundOn);
    EXPECT_EQ(alert->soundPath, u"\\Windows\\Tone.wav");
    EXPECT_EQ(alert->playsPerAlert, 3);
    EXPECT_EQ(bytesOf(store::kAlarmsFile), before);
    EXPECT_TRUE(wakeUps().empty());

    EXPECT_FALSE(peekDueAlert(commandFor(u"a03"))); // no such alarm set
}

TEST_F(WarmStart, AnAlarmThatWillNotAlertPromisesNothing)
{
    saveAlarm(at(2026, 3, 9, 7, 0), false);
    EXPECT_FALSE(peekDueAlert(commandFor(u"a02")));
    saveAlarm(at(2026, 3, 9, 6, 39)); // the wake-up came 21 minutes late
    EXPECT_FALSE(peekDueAlert(commandFor(u"a02")));

    // Moved on meanwhile by a renewal: it rang at the moment its wake-up was registered for.
    saveAlarm(at(2026, 3, 10, 7, 0));
    EXPECT_FALSE(peekDueAlert(commandFor(u"a02")));
    testing_support::EnvironmentGuard fired(
        platform::kWakeUpStartVariable, std::to_string(ticksAt(at(2026, 3, 9, 7, 0))).c_str());
    EXPECT_TRUE(peekDueAlert(commandFor(u"a02")));
}

TEST_F(WarmStart, AnEventIsFoundByItsWakeUpHandle)
{
    events::EventList list;
    list.header.numEvents = 2;
    list.records[0].hNotification = 41;
    list.records[0].eventId = 1;
    list.records[1].hNotification = 42;
    list.records[1].eventId = 2;
    list.records[1].soundIndex = 1;
    ASSERT_TRUE(events::SaveEvents(list));
    ASSERT_TRUE(events::writeEventSound(2, u"\\Windows\\Bell.wav"));

    const auto alert = peekDueAlert(commandFor(u"e42"));
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->soundOn);
    EXPECT_EQ(alert->soundPath, u"\\Windows\\Bell.wav");
    EXPECT_FALSE(peekDueAlert(commandFor(u"e43")));
}

TEST_F(WarmStart, ATimerPromisesItsAlertOnlyRunningAndAtItsEnd)
{
    timers::TimerTable table { };
    table[3].running = 1;
    table[3].soundIndex = 1;
    table[3].value = fileTimeOf(ticksAt(at(2026, 3, 9, 7, 0, 5)));
    table[4].running = 1;
    table[4].value = fileTimeOf(ticksAt(at(2026, 3, 9, 7, 0, 35))); // the runner waits first
    table[5].value = fileTimeOf(ticksAt(at(2026, 3, 9, 7, 0, 5)));  // stopped
    ASSERT_TRUE(timers::SaveAllTimers(table));
    ASSERT_TRUE(timers::writeTimerSound(3, u"\\Windows\\Tone.wav"));

    const auto alert = peekDueAlert(commandFor(u"t03"));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->soundPath, u"\\Windows\\Tone.wav");
    EXPECT_FALSE(peekDueAlert(commandFor(u"t04")));
    EXPECT_FALSE(peekDueAlert(commandFor(u"t05")));
}

TEST_F(WarmStart, OnlyASoundThatWillPlayIsMadeReady)
{
    std::filesystem::create_directories(m_device.root() / "Windows");
    testing_support::writeTone(m_device.root() / "Windows" / "Tone.wav", 0.2, 880, 0.5);
    testing_support::EnvironmentGuard quiet("SDL_AUDIODRIVER", "dummy");
    AlertParameters alert;
    alert.soundOn = true;
    alert.soundPath = u"\\Windows\\Tone.wav";
    EXPECT_TRUE(warmUpSound(alert));

    AlertParameters missing = alert;
    missing.soundPath = u"\\Windows\\Missing.wav";
    EXPECT_FALSE(warmUpSound(missing));
    AlertParameters silent = alert;
    silent.soundOn = false;
    EXPECT_FALSE(warmUpSound(silent));
    AlertParameters program = alert;
    program.action = Action::ExecuteProgram;
    EXPECT_FALSE(warmUpSound(program));
}

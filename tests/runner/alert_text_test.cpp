// What an alert is made of: the record's action, sound and repetitions, and the bubble's
// texts in the runner's six languages.

#include "alarms/alarm_file.h"
#include "events/event_notes.h"
#include "platform/registry.h"
#include "platform/locale.h"
#include "runner/alert_parameters.h"
#include "runner/reminder_text.h"
#include "store/data_files.h"
#include "tests/runner/runner_fixture.h"
#include "timers/timer_file.h"

using namespace runner;
using namespace runner_tests;

namespace {

class AlertParameterFiles : public testing_support::DeviceTest {
protected:
    AlertParameterFiles() { (void)store::createDataDirectory(); }
};

std::size_t count(const std::u16string& text, std::u16string_view part)
{
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

} // namespace

TEST(AlertParameters, RepeatingAlarmsComeBackByTheirCountAndInterval)
{
    const int counts[] = { 1, 2, 3, 4, 5, 7, 10 };
    for (std::uint8_t i = 0; i < 7; ++i)
        EXPECT_EQ(repetitionCount(i), counts[i]);
    EXPECT_EQ(repetitionCount(7), 0);
    const int seconds[] = { 60, 120, 180, 300, 600, 900 };
    for (std::uint8_t i = 0; i < 6; ++i)
        EXPECT_EQ(repetitionIntervalSeconds(i), seconds[i]);
    EXPECT_EQ(repetitionIntervalSeconds(6), 300);
    const DWORD keepAwake[] = { 300000, 600000, 900000, 1200000, 1800000, 3600000 };
    for (std::uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(keepAwakeMs(i), keepAwake[i]);
    EXPECT_EQ(keepAwakeMs(6), 0u);
    EXPECT_EQ(actionOf(2), Action::ExecuteProgram);
    EXPECT_EQ(actionOf(7), Action::Notification); // never stuck without a way to dismiss
}

TEST_F(AlertParameterFiles, AnAlarmTakesItsPlaysPausesRepetitionsAndSoundFile)
{
    alarms::AlarmRecord alarm { };
    alarm.soundIndex = 3;
    alarm.repeatIndex = 2;
    alarm.pauseIndex = 4;
    alarm.repeatAlarm = 1;
    alarm.repeatAlarmCountIndex = 1;
    alarm.repeatAlarmIntervalIndex = 1;
    alarms::setFieldText(alarm.programPath, u"Dezod");
    ASSERT_TRUE(alarms::WriteAlarmSound(6, u"\\Windows\\Tone.wav"));
    const auto alert = alarmAlert(alarm, 7);
    EXPECT_TRUE(alert.soundOn);
    EXPECT_EQ(alert.playsPerAlert, 3);
    EXPECT_EQ(alert.pauseSeconds, 5);
    EXPECT_EQ(alert.repetitions, 2);
    EXPECT_EQ(alert.repetitionIntervalSeconds, 120);
    EXPECT_EQ(alert.soundPath, u"\\Windows\\Tone.wav");
    EXPECT_EQ(alert.programPath, u"Dezod");

    alarm.repeatAlarm = 0;
    alarm.soundIndex = 0;
    const auto plain = alarmAlert(alarm, 8); // no sound file for alarm 8
    EXPECT_FALSE(plain.soundOn);
    EXPECT_EQ(plain.repetitions, 0);
    EXPECT_EQ(plain.soundPath, kNoSound);
}

TEST_F(AlertParameterFiles, EventsAndTimersNeverRepeatAndAMissingSoundFilePlaysNothing)
{
    events::EventRecord event { };
    event.eventId = 4;
    event.soundIndex = 1;
    event.actionKind = 2;
    event.keepAwakeIndex = 5;
    EXPECT_EQ(eventAlert(event).soundPath, kNoSound);
    ASSERT_TRUE(events::writeEventSound(4, u"\\Windows\\Chord.wav"));
    const auto fromEvent = eventAlert(event);
    EXPECT_EQ(fromEvent.soundPath, u"\\Windows\\Chord.wav");
    EXPECT_EQ(fromEvent.action, Action::ExecuteProgram);
    EXPECT_EQ(fromEvent.repetitions, 0);
    EXPECT_EQ(fromEvent.repetitionIntervalSeconds, 300);

    timers::TimerRecord timer { };
    timer.soundIndex = 2;
    timer.repeatIndex = 1;
    // The timers' own reader would give "\Windows\Alarm1.wav" here.
    EXPECT_EQ(timerAlert(timer, 3).soundPath, kNoSound);
    ASSERT_TRUE(timers::writeTimerSound(3, u"\\Windows\\Bell.wav"));
    const auto fromTimer = timerAlert(timer, 3);
    EXPECT_EQ(fromTimer.soundPath, u"\\Windows\\Bell.wav");
    EXPECT_EQ(fromTimer.playsPerAlert, 2);
    EXPECT_EQ(fromTimer.repetitions, 0);
}

TEST(ReminderText, AlarmTitleHasTwoBlanksBeforeTheEndOfBold)
{
    const auto html = reminderHtml(ItemKind::Alarm, 7, 0, u"7:00 AM", u"Mar 09, 2026", u"Wake up");
    EXPECT_EQ(html,
        u"<html><body>Tickwell Pro <b>Alarm 7  </b><a href=\"cmd:202\" align=\"right\">go to...</a><br><br>"
        u"<b>Time:</b> 7:00 AM<br><b>Date:</b> Mar 09, 2026<br><br><b>Note:</b> Wake up<br><br></body></html>");
}

TEST(ReminderText, TimersCountFromOneEventsShowNoNumberAndEachLanguageHasItsWords)
{
    const auto timer = reminderHtml(ItemKind::Timer, 3, 3, u"00:05:00", u"mars 09, 2026", u"Thé");
    EXPECT_NE(timer.find(u"<b>Minuteur 4  </b>"), std::u16string::npos);
    EXPECT_NE(timer.find(u">Aller à...</a>"), std::u16string::npos);
    EXPECT_NE(timer.find(u"<b>Heure\u00a0:</b> 00:05:00"), std::u16string::npos);
    EXPECT_NE(timer.find(u"<b>Notes\u00a0:</b> Thé<br>"), std::u16string::npos);

    const auto event = reminderHtml(ItemKind::Event, 1234, 1, u"09:00", u"", u"");
    EXPECT_NE(event.find(u"<b>Ereignis  </b>"), std::u16string::npos);
    EXPECT_EQ(event.find(u"1234"), std::u16string::npos);
    EXPECT_NE(event.find(u"<b>Notiz:</b> <br><br></body></html>"), std::u16string::npos);

    EXPECT_NE(reminderHtml(ItemKind::Alarm, 2, 2, u"", u"", u"").find(u"<b>Alarma 2  </b>"), std::u16string::npos);
    EXPECT_NE(reminderHtml(ItemKind::Alarm, 2, 4, u"", u"", u"").find(u"<b>Sveglia 2  </b>"), std::u16string::npos);
    EXPECT_NE(
        reminderHtml(ItemKind::Alarm, 2, 5, u"", u"", u"").find(u"<b>Будильник 2  </b>"), std::u16string::npos);
    EXPECT_NE(reminderHtml(ItemKind::Alarm, 2, 9, u"", u"", u"").find(u"<b>Alarm 2  </b>"), std::u16string::npos);

    EXPECT_EQ(softKeyTitle(SoftKey::Dismiss, 5), u"Закрыть");
    EXPECT_EQ(softKeyTitle(SoftKey::Snooze, 1), u"Schlummern");
    EXPECT_EQ(softKeyTitle(SoftKey::Dismiss, 2), u"Apagar");
    EXPECT_EQ(softKeyTitle(SoftKey::Snooze, 4), u"Posponi");
}

TEST(ReminderText, SpanishHasNoEnglishWordsLeft)
{
    const auto timer = reminderHtml(ItemKind::Timer, 0, 2, u"00:01:00", u"", u"");
    EXPECT_NE(timer.find(u"<b>Temporizador 1  </b>"), std::u16string::npos);
    EXPECT_EQ(timer.find(u"Timer"), std::u16string::npos);
    EXPECT_EQ(softKeyTitle(SoftKey::Snooze, 2), u"Posponer");
}

TEST(ReminderText, TheUsersLabelCannotBecomeMarkupOrACommandLink)
{
    const auto html = reminderHtml(ItemKind::Alarm, 1, 0, u"", u"", u"<a href=\"cmd:200\">Tom & Jerry</a>");
    EXPECT_EQ(count(html, u"href=\"cmd:"), 1u); // only the "go to..." link
    EXPECT_NE(html.find(u"&lt;a href=&quot;cmd:200&quot;&gt;Tom &amp; Jerry&lt;/a&gt;"), std::u16string::npos);
}

TEST_F(AlertParameterFiles, TimesShowWithoutSecondsExceptForTimersAndTheDateByItsPicture)
{
    ASSERT_TRUE(platform::writeRegistryString(platform::RegistryRoot::LocalMachine, u"SYSTEM\\Tickwell\\Profile",
        u"Locale", u"de_DE"));
    const FILETIME moment = fileTimeOf(ticksAt(at(2026, 3, 9, 7, 5, 3)));
    EXPECT_EQ(reminderItemTime(ItemKind::Alarm, moment), u"07:05");
    EXPECT_EQ(reminderItemTime(ItemKind::Event, moment), u"07:05");
    EXPECT_EQ(reminderItemTime(ItemKind::Timer, moment), u"07:05:03");
    const auto date = reminderDate(at(2026, 3, 9, 12, 0));
    EXPECT_TRUE(date.ends_with(u" 09, 2026")) << platform::userLocaleName();
    EXPECT_TRUE(date.starts_with(u"Mär")) << platform::userLocaleName();
}

#pragma once
// The twenty alarms as the main program holds them (the image of alarms.dat), and the
// changes the Alarms view and its settings window make to them. Every change is one edit of
// alarms.dat: it takes the file's edit lock, reloads the file when another program has
// rewritten it (a tool reads it afresh), changes the record, registers or clears its
// wake-up, writes the whole file and tells the Today item. What the user must be told
// comes back in the outcome; indexes are zero-based (alarm 1 is index 0).

#include "alarms/alarm_file.h"
#include "alarms/alarm_record.h"
#include "alarms/next_alarm.h"
#include "platform/edit_lock.h"
#include "platform/handle.h"
#include "platform/types.h"

#include <optional>
#include <string>
#include <string_view>

namespace alarms {

// Who holds the copy, which decides what happens to "Tkw_NeedUpdateAlarmSettingsOnMainApp".
enum class Holder {
    MainProgram, // reloads when the event is set and resets it
    OtherTool,   // (tkwctl) reloads when it is set but leaves it to the main program, and
                 // sets it after each save so that a running main program reloads too
};

struct AlarmChange {
    bool enabled = false;    // the alarm is on afterwards (the row's check box)
    bool noWeekdays = false; // switching on was refused: no weekday is chosen (hint or blink)
    bool registered = true;  // false: a moment was due but the database refused it
                             // ("Not registered", caption "Debug"); the alarm stays on
    bool saved = true;       // alarms.dat was written (a failure is not shown to the user)
    bool busy = false;       // another program kept alarms.dat for its own change past the
                             // wait, or a tool could not read it whole: nothing was changed
};

// What the settings window stores on "OK".
struct AlarmSettings {
    std::uint32_t actionKind = kShowNotification;
    std::u16string programPath;           // kind 1: the plug-in view's name; kind 2: the program
                                          // or document, already checked by the window
    std::u16string programArgs;           // kind 2, at most 259 characters are kept
    std::uint32_t keepAwakeIndex = 0;     // kind 2
    std::uint32_t soundIndex = 0;         // kinds 0 and 1: position in the sound chooser
    std::u16string soundPath;             // kinds 0 and 1: written to the alarm's sound file
    std::uint8_t repeatIndex = 0;
    std::uint8_t pauseIndex = 0;
    std::uint8_t repeatAlarmCountIndex = 0;
    std::uint8_t repeatAlarmIntervalIndex = 0;
    bool repeatAlarm = false;
};

struct SettingsOutcome {
    bool soundStored = true; // the sound file was written (kinds 0 and 1)
    bool saved = true;
};

// Several changes of one alarm made as one edit (`tkwctl alarm set`): the file is read once,
// every change is made to the record, and then the file is written once, the wake-up
// registered or cleared at most once and the other programs signalled once. The record
// ends as the actions below would leave it, applied one after the other in this order:
// label, sound, time, weekdays, on or off.
struct AlarmEdit {
    std::optional<std::u16string> label;     // at most 31 characters are kept
    std::optional<std::u16string> soundPath; // "" for no sound
    std::uint32_t soundIndex = 0;            // with soundPath: its position in the sound chooser
    struct Time {
        int hour = 0; // 24-hour
        int minute = 0;
    };
    std::optional<Time> time;                // the "Alarm Time" dialog's result, as setAlarmTime
    std::optional<std::uint8_t> weekdays;    // the whole mask, as setWeekdays
    std::optional<bool> on;
};

struct AlarmEditOutcome {
    AlarmChange change;        // busy: the file could not be read (whole, for a tool): nothing changed
    bool soundRefused = false; // a sound was given for an alarm that starts a program: nothing changed
    bool soundStored = true;   // false: the sound file could not be written; the label and sound
                               // were saved, the time, weekdays and switch left as they were
};

class AlarmBoard {
public:
    explicit AlarmBoard(Holder holder = Holder::MainProgram);
    ~AlarmBoard();
    AlarmBoard(const AlarmBoard&) = delete;
    AlarmBoard& operator=(const AlarmBoard&) = delete;

    [[nodiscard]] const AlarmTable& records() const { return m_alarms; }
    // At start-up: LoadAlarmsRetry; a missing file becomes the defaults, written at once.
    LoadOutcome load(const SYSTEMTIME& now);
    // When the runner has signalled a rewrite, or the last load found the file busy: reloads
    // with LoadAlarmsRetry. True when it did.
    bool ReloadAlarmsIfChanged(const SYSTEMTIME& now);

    // Registers the alarm at `next` (its old registration cleared, alarmTime = next), or with
    // nullopt clears it and switches the alarm off; then writes the file and sets
    // "Tkw_NeedUpdateAlarmSettingsOnOnTkTP". Reloads first, so changes to the record belong
    // in the actions below, which reload before they change anything.
    AlarmChange ScheduleAlarm(int index, const std::optional<SYSTEMTIME>& next, const SYSTEMTIME& now);

    // The check box. Without a weekday the alarm stays off and nothing is written.
    AlarmChange switchAlarmOn(int index, const SYSTEMTIME& now);
    AlarmChange switchAlarmOff(int index, const SYSTEMTIME& now);
    // The weekday boxes: the row's whole mask (bit 0 Sunday ... bit 6 Saturday). An alarm
    // that is on is moved to its next weekday, or switched off when none is left.
    AlarmChange setWeekdays(int index, std::uint8_t weekdays, const SYSTEMTIME& now);
    // The "Alarm Time" dialog's result (24-hour). Scheduled whether the alarm is on or off;
    // the runner ignores the wake-up of an alarm that is off.
    AlarmChange setAlarmTime(int index, int hour, int minute, const SYSTEMTIME& now);
    // The label's input box; at most 31 characters are kept. True when the file was written.
    bool setLabel(int index, std::u16string_view label, const SYSTEMTIME& now);

    // What the settings window shows when it opens: the record's fields and the sound path
    // (its default when the alarm has no sound file).
    [[nodiscard]] AlarmSettings currentSettings(int index) const;
    // The settings window's "OK". Every kind is written at once, so a program chosen for
    // the alarm reaches the runner without waiting for another change.
    SettingsOutcome ApplySettings(int index, const AlarmSettings& settings, const SYSTEMTIME& now);

    // The changes of `edit` as one edit of alarms.dat (see AlarmEdit).
    AlarmEditOutcome editAlarm(int index, const AlarmEdit& edit, const SYSTEMTIME& now);

    // The status bar's and the faces' view of the alarms, kept until the alarms change.
    [[nodiscard]] const NextAlarmInfo& NextAlarm(const SYSTEMTIME& now);

private:
    // The edit of alarms.dat that every change holds from its reload to its save.
    std::optional<platform::EditLock> beginEdit(const SYSTEMTIME& now);
    [[nodiscard]] AlarmChange busyChange(int index) const;
    AlarmChange schedule(int index, const std::optional<SYSTEMTIME>& next);
    // The settings window's fields stored in the record, and its sound file written; true
    // when the sound file was written (or the kind has none). Nothing is saved.
    bool storeSettings(int index, const AlarmSettings& settings);
    bool save();

    Holder m_holder;
    AlarmTable m_alarms { };
    platform::UniqueHandle m_changed;
    bool m_unread = false; // the file was busy at the last load: this copy is not its image
    std::optional<NextAlarmInfo> m_next;
};

} // namespace alarms

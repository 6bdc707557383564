#include "alarms/alarm_board.h"

#include "alarms/alarm_schedule.h"
#include "platform/calendar.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"

#include <algorithm>

namespace alarms {

namespace {

bool validIndex(int index) { return index >= 0 && index < kAlarmCount; }


constexpr AlarmChange kRefused { false, false, true, false, false };

// The date stays as it was (today's when the record holds none that converts): while the
// alarm is off only the hour and minute are read.
void setTimeOfDay(AlarmRecord& alarm, int hour, int minute, const SYSTEMTIME& now)
{
    SYSTEMTIME time { };
    if (!FileTimeToSystemTime(&alarm.alarmTime, &time))
        time = now;
    time.wHour = WORD(std::clamp(hour, 0, 23));
    time.wMinute = WORD(std::clamp(minute, 0, 59));
    time.wSecond = 0;
    time.wMilliseconds = 0;
    (void)SystemTimeToFileTime(&time, &alarm.alarmTime);
}

} // namespace

AlarmBoard::AlarmBoard(Holder holder)
    : m_holder(holder)
    , m_changed(CreateEventW(nullptr, TRUE, FALSE, store::kAlarmsChangedForMainProgram))
{
}

AlarmBoard::~AlarmBoard() = default;

LoadOutcome AlarmBoard::load(const SYSTEMTIME& now)
{
    m_next.reset();
    const LoadOutcome outcome = LoadAlarmsRetry(m_alarms, now);
    m_unread = outcome == LoadOutcome::Unreadable;
    return outcome;
}

AlarmChange AlarmBoard::busyChange(int index) const
{
    AlarmChange change { m_alarms[std::size_t(index)].enabled != 0, false, true, false, true };
    return change;
}

std::optional<platform::EditLock> AlarmBoard::beginEdit(const SYSTEMTIME& now)
{
    auto edit = store::editDataFile(store::kAlarmsFile);
    if (!edit)
        return std::nullopt;
    // A tool holds no copy between its commands: it reads the file afresh inside the edit.
    // The main program reloads when another program has signalled a rewrite.
    if (m_holder == Holder::OtherTool) {
        if (!succeeded(load(now)))
            return std::nullopt; // a tool never writes back a file it could not read whole
    } else {
        (void)ReloadAlarmsIfChanged(now);
    }
    return edit;
}

bool AlarmBoard::ReloadAlarmsIfChanged(const SYSTEMTIME& now)
{
    const bool signalled = m_changed && WaitForSingleObject(m_changed.get(), 0) == WAIT_OBJECT_0;
    // A file that stayed busy through the last load is read before anything is written over it.
    if (!signalled && !m_unread)
        return false;
    // Reset before reading: a rewrite that lands during the read is then seen at the next
    // check instead of being overwritten by this copy's next save.
    if (signalled && m_holder == Holder::MainProgram)
        EventModify(m_changed.get(), EVENT_RESET);
    (void)load(now); // goes on with what arrived, as at start-up
    return true;
}

bool AlarmBoard::save()
{
    const bool saved = SaveAlarmsRetry(m_alarms);
    // A running main program reloads what another tool wrote, as it does for the runner.
    if (m_holder == Holder::OtherTool)
        store::Signal(m_changed.get());
    return saved;
}

AlarmChange AlarmBoard::schedule(int index, const std::optional<SYSTEMTIME>& next)
{
    AlarmRecord& alarm = m_alarms[std::size_t(index)];
    AlarmChange change;
    // The file names the registration really pending: the runner may have replaced the one
    // this copy knows. The copy's own differs from it only after a save that failed, and
    // would then ring on beside the new one; handles are never given out twice, so clearing
    // a spent one is harmless.
    const std::uint32_t stored = StoredAlarmHandle(index);
    const std::uint32_t held = alarm.hNotification;
    const auto clearOld = [&] {
        for (const std::uint32_t old : { stored, held }) {
            if (old != alarm.hNotification)
                platform::clearWakeUp(old);
        }
    };
    alarm.hNotification = 0;
    if (next) {
        // The new registration replaces every other of this alarm in the same step, so the
        // alarm is never without one; the record then names it.
        (void)SystemTimeToFileTime(&*next, &alarm.alarmTime); // a moment NextOccurrence made
        alarm.hNotification = registerAlarmWakeUp(store::kRunnerPath, alarmArgument(index + 1), *next,
            WakeUpEnd::FiveMinutesLater);
        change.registered = alarm.hNotification != 0;
        clearOld();
        change.saved = save();
    } else {
        alarm.enabled = 0;
        // The record goes first: a program stopped in between leaves an alarm that is off
        // with a wake-up the runner ignores, never one that is on without a wake-up.
        change.saved = save();
        clearOld();
        (void)platform::clearWakeUpsOf(store::kRunnerPath, alarmArgument(index + 1));
    }
    store::signalByName(store::kAlarmsChangedForToday);
    m_next.reset();
    change.enabled = alarm.enabled != 0;
    return change;
}

AlarmChange AlarmBoard::ScheduleAlarm(int index, const std::optional<SYSTEMTIME>& next, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return kRefused;
    const auto edit = beginEdit(now);
    if (!edit)
        return busyChange(index);
    return schedule(index, next);
}

AlarmChange AlarmBoard::switchAlarmOn(int index, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return kRefused;
    const auto edit = beginEdit(now);
    if (!edit)
        return busyChange(index);
    AlarmRecord& alarm = m_alarms[std::size_t(index)];
    if ((alarm.weekdays & kWeekdayBits) == 0) {
        alarm.enabled = 0;
        AlarmChange change;
        change.noWeekdays = true;
        return change;
    }
    alarm.enabled = 1;
    return schedule(index, NextOccurrence(alarm, From::Now, now));
}

AlarmChange AlarmBoard::switchAlarmOff(int index, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return kRefused;
    const auto edit = beginEdit(now);
    if (!edit)
        return busyChange(index);
    m_alarms[std::size_t(index)].enabled = 0;
    return schedule(index, std::nullopt);
}

AlarmChange AlarmBoard::setWeekdays(int index, std::uint8_t weekdays, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return kRefused;
    const auto edit = beginEdit(now);
    if (!edit)
        return busyChange(index);
    AlarmRecord& alarm = m_alarms[std::size_t(index)];
    alarm.weekdays = weekdays;
    // An alarm that is off stays without a wake-up; one that is on without a weekday goes off.
    if (!alarm.enabled || (weekdays & kWeekdayBits) == 0)
        return schedule(index, std::nullopt);
    return schedule(index, NextOccurrence(alarm, From::Now, now));
}

AlarmChange AlarmBoard::setAlarmTime(int index, int hour, int minute, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return kRefused;
    const auto edit = beginEdit(now);
    if (!edit)
        return busyChange(index);
    AlarmRecord& alarm = m_alarms[std::size_t(index)];
    setTimeOfDay(alarm, hour, minute, now);
    return schedule(index, NextOccurrence(alarm, From::Now, now));
}

bool AlarmBoard::setLabel(int index, std::u16string_view label, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return false;
    const auto edit = beginEdit(now);
    if (!edit)
        return false;
    setAlarmLabel(m_alarms[std::size_t(index)], label);
    return save();
}

AlarmSettings AlarmBoard::currentSettings(int index) const
{
    AlarmSettings settings;
    if (!validIndex(index))
        return settings;
    const AlarmRecord& alarm = m_alarms[std::size_t(index)];
    settings.actionKind = alarm.actionKind;
    settings.programPath = fieldText(alarm.programPath);
    settings.programArgs = fieldText(alarm.programArgs);
    settings.keepAwakeIndex = alarm.keepAwakeIndex;
    settings.soundIndex = alarm.soundIndex;
    settings.soundPath = ReadAlarmSound(index, SoundReader::MainProgram);
    settings.repeatIndex = alarm.repeatIndex;
    settings.pauseIndex = alarm.pauseIndex;
    settings.repeatAlarmCountIndex = alarm.repeatAlarmCountIndex;
    settings.repeatAlarmIntervalIndex = alarm.repeatAlarmIntervalIndex;
    settings.repeatAlarm = alarm.repeatAlarm != 0;
    return settings;
}

SettingsOutcome AlarmBoard::ApplySettings(int index, const AlarmSettings& settings, const SYSTEMTIME& now)
{
    if (!validIndex(index))
        return { false, false };
    const auto edit = beginEdit(now);
    if (!edit)
        return { true, false };
    SettingsOutcome outcome;
    outcome.soundStored = storeSettings(index, settings);
    outcome.saved = save();
    return outcome;
}

bool AlarmBoard::storeSettings(int index, const AlarmSettings& settings)
{
    AlarmRecord& alarm = m_alarms[std::size_t(index)];
    bool soundStored = true;
    alarm.actionKind = settings.actionKind;
    switch (settings.actionKind) {
    case kShowNotification:
        setFieldText(alarm.programPath, u"");
        setFieldText(alarm.programArgs, u"");
        break;
    case kExecuteProgram:
        setFieldText(alarm.programPath, settings.programPath);
        setFieldText(alarm.programArgs, settings.programArgs);
        alarm.keepAwakeIndex = settings.keepAwakeIndex;
        break;
    default:
        setFieldText(alarm.programPath, settings.programPath);
        break;
    }
    if (settings.actionKind != kExecuteProgram) {
        alarm.soundIndex = settings.soundIndex;
        soundStored = WriteAlarmSound(index, settings.soundPath);
        alarm.repeatIndex = settings.repeatIndex;
        alarm.pauseIndex = settings.pauseIndex;
        alarm.repeatAlarmCountIndex = settings.repeatAlarmCountIndex;
        alarm.repeatAlarmIntervalIndex = settings.repeatAlarmIntervalIndex;
        alarm.repeatAlarm = settings.repeatAlarm ? 1 : 0;
    }
    return soundStored;
}

AlarmEditOutcome AlarmBoard::editAlarm(int index, const AlarmEdit& edit, const SYSTEMTIME& now)
{
    AlarmEditOutcome outcome;
    if (!validIndex(index)) {
        outcome.change = kRefused;
        return outcome;
    }
    const auto lock = beginEdit(now);
    if (!lock) {
        outcome.change = busyChange(index);
        return outcome;
    }
    AlarmRecord& alarm = m_alarms[std::size_t(index)];
    outcome.change.enabled = alarm.enabled != 0;
    if (edit.soundPath && alarm.actionKind == kExecuteProgram) {
        outcome.soundRefused = true;
        return outcome;
    }
    if (edit.label)
        setAlarmLabel(alarm, *edit.label);
    if (edit.soundPath) {
        AlarmSettings settings = currentSettings(index);
        settings.soundIndex = edit.soundIndex;
        settings.soundPath = *edit.soundPath;
        outcome.soundStored = storeSettings(index, settings);
    }

    // Each step decides the wake-up afresh, as the separate actions do, and moves alarmTime
    // to the moment it chose; only the last decision is registered.
    std::optional<std::optional<SYSTEMTIME>> wakeUp;
    const auto aimAt = [&](const std::optional<SYSTEMTIME>& next) {
        if (next)
            (void)SystemTimeToFileTime(&*next, &alarm.alarmTime); // a moment NextOccurrence made
        else
            alarm.enabled = 0;
        wakeUp = next;
    };
    bool refusedOn = false;
    // A sound that could not be stored ends the edit there, as it ends the settings window.
    if (outcome.soundStored) {
        if (edit.time) {
            setTimeOfDay(alarm, edit.time->hour, edit.time->minute, now);
            aimAt(NextOccurrence(alarm, From::Now, now));
        }
        if (edit.weekdays) {
            alarm.weekdays = *edit.weekdays;
            if (!alarm.enabled || (alarm.weekdays & kWeekdayBits) == 0)
                aimAt(std::nullopt);
            else
                aimAt(NextOccurrence(alarm, From::Now, now));
        }
        if (edit.on && *edit.on && (alarm.weekdays & kWeekdayBits) == 0) {
            refusedOn = true;
        } else if (edit.on && *edit.on) {
            alarm.enabled = 1;
            aimAt(NextOccurrence(alarm, From::Now, now));
        } else if (edit.on) {
            alarm.enabled = 0;
            aimAt(std::nullopt);
        }
    }

    if (wakeUp)
        outcome.change = schedule(index, *wakeUp);
    else if (edit.label || edit.soundPath)
        outcome.change.saved = save();
    m_next.reset();
    if (refusedOn) {
        // Refused as the check box refuses it: this copy shows the alarm off, the file keeps
        // its switch as it was.
        alarm.enabled = 0;
        outcome.change.noWeekdays = true;
    }
    outcome.change.enabled = alarm.enabled != 0;
    return outcome;
}

const NextAlarmInfo& AlarmBoard::NextAlarm(const SYSTEMTIME& now)
{
    (void)ReloadAlarmsIfChanged(now);
    if (!m_next)
        m_next = summariseAlarms(m_alarms);
    return *m_next;
}

} // namespace alarms

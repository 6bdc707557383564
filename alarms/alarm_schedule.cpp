#include "alarms/alarm_schedule.h"

#include "alarms/alarm_file.h"
#include "platform/calendar.h"
#include "platform/notifications.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"

#include <string>

namespace alarms {

namespace {

void signalAlarmsChanged()
{
    store::signalByName(store::kAlarmsChangedForMainProgram);
    store::signalByName(store::kAlarmsChangedForToday);
}

// Moves a record that is on to its next moment under a new registration of the runner.
// The old registration is cleared first; a record without a next moment is left alone.
void renew(AlarmRecord& alarm, From from, std::u16string_view runnerPath, std::u16string_view argument,
    const SYSTEMTIME& now)
{
    const auto next = NextOccurrence(alarm, from, now);
    if (!next)
        return;
    platform::clearWakeUp(alarm.hNotification);
    alarm.hNotification = registerAlarmWakeUp(runnerPath, argument, *next, WakeUpEnd::None);
    (void)SystemTimeToFileTime(&*next, &alarm.alarmTime); // came from a FILETIME, so it converts
}

} // namespace

std::optional<SYSTEMTIME> NextOccurrence(const AlarmRecord& alarm, From from, const SYSTEMTIME& now)
{
    const unsigned weekdays = alarm.weekdays & kWeekdayBits;
    if (weekdays == 0)
        return std::nullopt;
    SYSTEMTIME alarmAt { };
    if (!FileTimeToSystemTime(&alarm.alarmTime, &alarmAt))
        return std::nullopt;
    const SYSTEMTIME candidate { now.wYear, now.wMonth, 0, now.wDay, alarmAt.wHour, alarmAt.wMinute, 0, 0 };
    const auto candidateTicks = platform::ticksOfSystemTime(candidate);
    const auto nowTicks = platform::ticksOfSystemTime(now);
    if (!candidateTicks || !nowTicks)
        return std::nullopt;
    // The weekday of the date itself: callers' SYSTEMTIMEs need not carry a filled-in one.
    const int today = platform::dayOfWeek(now.wYear, now.wMonth, now.wDay);
    const int first = from == From::Tomorrow || *candidateTicks < *nowTicks ? today + 1 : today;

    int daysAhead = -1;
    for (int day = first; day <= 6 && daysAhead < 0; ++day) {
        if (weekdays & (1u << day))
            daysAhead = day - today;
    }
    for (int day = 0; day <= 6 && daysAhead < 0; ++day) {
        if (weekdays & (1u << day))
            daysAhead = day - today + 7;
    }
    const std::uint64_t ticks = *candidateTicks + std::uint64_t(daysAhead) * std::uint64_t(platform::kTicksPerDay);
    if (ticks > platform::kMaxFileTimeTicks)
        return std::nullopt;
    return platform::systemTimeOfTicks(ticks);
}

std::u16string alarmArgument(int number)
{
    const std::string digits = std::to_string(number);
    return u"a" + std::u16string(digits.size() < 2 ? 1 : 0, u'0') + std::u16string(digits.begin(), digits.end());
}

std::uint32_t registerAlarmWakeUp(
    std::u16string_view application, std::u16string_view argument, const SYSTEMTIME& start, WakeUpEnd end)
{
    platform::ProgramWakeUp wakeUp(application, argument, start);
    if (end == WakeUpEnd::FiveMinutesLater) {
        const auto startTicks = platform::ticksOfSystemTime(start);
        const auto endTime = startTicks ? platform::systemTimeOfTicks(*startTicks + kMainProgramWakeUpSpanTicks)
                                        : std::nullopt;
        if (!endTime)
            return 0;
        wakeUp.end = *endTime;
    }
    // The one wake-up of this alarm: whatever another program registered for it meanwhile
    // goes in the same step.
    return platform::registerSoleWakeUp(wakeUp);
}

std::optional<AdvancedAlarm> AdvanceAlarm(int number, std::u16string_view argument, std::u16string_view runnerPath,
    const SYSTEMTIME& now, platform::RetryPolicy retry, std::optional<FILETIME> fired)
{
    const int index = number - 1;
    if (index < 0 || index >= kAlarmCount)
        return std::nullopt;
    // Read, moved on, registered and written back as one edit: a change made beside it by
    // the main program, tkwctl or a renewal waits for it instead of being overwritten.
    const auto edit = store::editDataFile(store::kAlarmsFile);
    if (!edit)
        return std::nullopt;
    AdvancedAlarm advanced { };
    if (!platform::retry(retry, [&] { return readAlarm(index, advanced.alarm); }))
        return std::nullopt;

    AlarmRecord& alarm = advanced.alarm;
    advanced.rang = fired.value_or(alarm.alarmTime);
    if (fired && ticksOf(alarm.alarmTime) > ticksOf(*fired)) {
        // Another program (a renewal after a time change, the user) moved the alarm past the
        // moment that fired while this runner waited: its next moment stands. It is
        // registered again in place, which leaves one wake-up whatever happened before.
        if (alarm.enabled) {
            SYSTEMTIME next { };
            if (FileTimeToSystemTime(&alarm.alarmTime, &next))
                alarm.hNotification = registerAlarmWakeUp(runnerPath, argument, next, WakeUpEnd::None);
        }
    } else {
        // The wake-up that started this runner is spent; an alarm switched off meanwhile
        // keeps none.
        platform::clearWakeUp(alarm.hNotification);
        alarm.hNotification = 0;
        if (alarm.enabled)
            renew(alarm, From::Tomorrow, runnerPath, argument, now);
        else
            (void)platform::clearWakeUpsOf(runnerPath, argument);
    }

    advanced.written = platform::retry(retry, [&] { return writeAlarm(index, alarm); });
    // A record that could not be written back changed nothing another program could reload.
    if (advanced.written)
        signalAlarmsChanged();
    return advanced;
}

bool shouldAlert(const AdvancedAlarm& advanced, const SYSTEMTIME& now)
{
    const auto nowTicks = platform::ticksOfSystemTime(now);
    if (!advanced.alarm.enabled || !nowTicks)
        return false;
    const std::uint64_t rang = ticksOf(advanced.rang);
    const std::uint64_t apart = *nowTicks > rang ? *nowTicks - rang : rang - *nowTicks;
    return apart / std::uint64_t(platform::kTicksPerMinute) <= std::uint64_t(kAlertWindowMinutes);
}

RescheduleOutcome RescheduleAllAlarms(std::u16string_view runnerPath, const SYSTEMTIME& now, platform::RetryPolicy retry)
{
    const auto edit = store::editDataFile(store::kAlarmsFile);
    if (!edit)
        return RescheduleOutcome::Unreadable;
    AlarmTable table { };
    if (!platform::retry(retry, [&] { return readAlarmsFile(table); }))
        return RescheduleOutcome::Unreadable;
    for (int index = 0; index < kAlarmCount; ++index) {
        AlarmRecord& alarm = table[std::size_t(index)];
        if (alarm.enabled)
            renew(alarm, From::Now, runnerPath, alarmArgument(index + 1), now);
        else
            (void)platform::clearWakeUpsOf(runnerPath, alarmArgument(index + 1));
    }
    if (!platform::retry(retry, [&] { return SaveAlarms(table); }))
        return RescheduleOutcome::WriteFailed;
    signalAlarmsChanged();
    return RescheduleOutcome::Done;
}

} // namespace alarms

#include "runner/warm_start.h"

#include "alarms/alarm_file.h"
#include "events/event_list.h"
#include "platform/audio.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/processes.h"
#include "runner/startup.h"
#include "timers/timer_file.h"

#include <algorithm>
#include <chrono>

namespace runner {

namespace {

constexpr std::chrono::seconds kTimerEndAhead { 1 };

std::optional<AlertParameters> peekAlarm(const Command& command)
{
    const int number = int(command.number);
    alarms::AlarmRecord alarm { };
    if (number < 1 || number > alarms::kAlarmCount || !alarms::readAlarm(number - 1, alarm) || !alarm.enabled)
        return std::nullopt;
    // The moment that rang, as the alarm's own load will take it.
    const auto rang = platform::startingWakeUpLocalTicks().value_or(platform::LocalTicks(ticksOf(alarm.alarmTime)));
    if (!withinAlertWindow(rang, platform::deviceLocalNow()))
        return std::nullopt;
    return alarmAlert(alarm, number);
}

std::optional<AlertParameters> peekEvent(const Command& command)
{
    events::EventList list;
    if (!events::LoadEvents(list))
        return std::nullopt;
    const auto end = list.records.begin() + std::ptrdiff_t(list.count());
    const auto event = std::find_if(list.records.begin(), end,
        [&](const events::EventRecord& record) { return record.hNotification == command.number; });
    if (event == end)
        return std::nullopt;
    return eventAlert(*event);
}

std::optional<AlertParameters> peekTimer(const Command& command)
{
    const int index = int(command.number);
    timers::TimerRecord timer { };
    if (!timers::readTimer(index, timer) || !timer.running)
        return std::nullopt;
    // A runner started before the end waits for it first: nothing to hold open until then.
    const platform::LocalTicks end(ticksOf(timer.value));
    const auto now = platform::deviceLocalNow();
    if (end > now + kTimerEndAhead || !withinAlertWindow(end, now))
        return std::nullopt;
    return timerAlert(timer, index);
}

} // namespace

std::optional<AlertParameters> peekDueAlert(const Command& command)
{
    switch (command.job) {
    case Job::Alarm: return peekAlarm(command);
    case Job::Event: return peekEvent(command);
    case Job::Timer: return peekTimer(command);
    default: return std::nullopt;
    }
}

bool warmUpSound(const AlertParameters& alert)
{
    if (alert.action == Action::ExecuteProgram || !alert.soundOn || alert.soundPath == kNoSound)
        return false;
    if (!platform::preloadSound(alert.soundPath))
        return false; // nothing would play: no output to hold open either
    (void)platform::openAudioOutput(); // without one, the alert is silent after the wait too
    return true;
}

} // namespace runner

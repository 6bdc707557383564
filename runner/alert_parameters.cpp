#include "runner/alert_parameters.h"

#include "alarms/alarm_file.h"
#include "events/event_notes.h"
#include "platform/files.h"
#include "store/data_files.h"
#include "timers/timer_file.h"

#include <array>

namespace runner {

namespace {

// The fields from the action kind on are laid out alike in the three records.
template <typename Record> AlertParameters commonParameters(const Record& record)
{
    AlertParameters alert;
    alert.action = actionOf(record.actionKind);
    alert.programPath = alarms::fieldText(record.programPath);
    alert.programArgs = alarms::fieldText(record.programArgs);
    alert.keepAwakeIndex = record.keepAwakeIndex;
    alert.soundOn = record.soundIndex != 0;
    alert.playsPerAlert = int(record.repeatIndex) + 1;
    alert.pauseSeconds = int(record.pauseIndex) + 1;
    return alert;
}

} // namespace

Action actionOf(std::uint32_t actionKind)
{
    switch (actionKind) {
    case 1: return Action::PluginView;
    case 2: return Action::ExecuteProgram;
    default: return Action::Notification;
    }
}

int repetitionCount(std::uint8_t countIndex)
{
    static constexpr std::array<int, 7> kCounts { 1, 2, 3, 4, 5, 7, 10 };
    return countIndex < kCounts.size() ? kCounts[countIndex] : 0;
}

int repetitionIntervalSeconds(std::uint8_t intervalIndex)
{
    static constexpr std::array<int, 6> kSeconds { 60, 120, 180, 300, 600, 900 };
    return intervalIndex < kSeconds.size() ? kSeconds[intervalIndex] : 300;
}

DWORD keepAwakeMs(std::uint32_t keepAwakeIndex)
{
    static constexpr std::array<DWORD, 6> kMilliseconds { 300000, 600000, 900000, 1200000, 1800000, 3600000 };
    return keepAwakeIndex < kMilliseconds.size() ? kMilliseconds[keepAwakeIndex] : 0;
}

AlertParameters alarmAlert(const alarms::AlarmRecord& alarm, int number)
{
    AlertParameters alert = commonParameters(alarm);
    if (alarm.repeatAlarm) {
        alert.repetitions = repetitionCount(alarm.repeatAlarmCountIndex);
        alert.repetitionIntervalSeconds = repetitionIntervalSeconds(alarm.repeatAlarmIntervalIndex);
    }
    alert.soundPath = alarms::ReadAlarmSound(number - 1, alarms::SoundReader::Runner);
    return alert;
}

AlertParameters eventAlert(const events::EventRecord& event)
{
    AlertParameters alert = commonParameters(event);
    alert.soundPath = events::readEventSound(event.eventId).value_or(std::u16string(kNoSound));
    return alert;
}

AlertParameters timerAlert(const timers::TimerRecord& timer, int index)
{
    AlertParameters alert = commonParameters(timer);
    // The timers' own reader stands in the default sound for a missing file; the runner
    // plays nothing then.
    alert.soundPath = platform::fileExists(store::DataFilePath(timers::SoundFileName(index)))
        ? timers::readTimerSound(index)
        : std::u16string(kNoSound);
    return alert;
}

} // namespace runner

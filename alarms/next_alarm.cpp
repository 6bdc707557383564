#include "alarms/next_alarm.h"

#include "alarms/alarm_file.h"
#include "platform/calendar.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "store/signals.h"

namespace alarms {

NextAlarmInfo summariseAlarms(const AlarmTable& table)
{
    NextAlarmInfo info;
    const AlarmRecord* earliest = nullptr;
    for (const auto& alarm : table) {
        if (!alarm.enabled)
            continue;
        info.anyEnabled = true;
        // One 64-bit comparison is the high halves first, then the low ones.
        if (!earliest || ticksOf(alarm.alarmTime) < ticksOf(earliest->alarmTime))
            earliest = &alarm;
    }
    if (earliest) {
        SYSTEMTIME local { };
        if (FileTimeToSystemTime(&earliest->alarmTime, &local))
            info.localTime = local;
    }
    return info;
}

NextAlarmWatch::NextAlarmWatch()
    : m_changed(CreateEventW(nullptr, TRUE, FALSE, store::kAlarmsChangedForToday))
{
}

NextAlarmWatch::~NextAlarmWatch() = default;

const NextAlarmInfo& NextAlarmWatch::current()
{
    const bool changed = store::TestAndReset(m_changed.get());
    if (changed || !m_known) {
        AlarmTable table { };
        // A file that is busy or missing now is read at the next call.
        m_known = readAlarmsFile(table);
        if (m_known)
            m_info = summariseAlarms(table);
    }
    return m_info;
}

} // namespace alarms

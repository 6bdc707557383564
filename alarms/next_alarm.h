#pragma once
// The next alarm as the status bar's "Alarm" field, the clock faces (digit kinds 3, 11, 12
// and 16, area kind 3) and the Today item show it.

#include "alarms/alarm_record.h"
#include "platform/handle.h"
#include "platform/types.h"

#include <optional>

namespace alarms {

struct NextAlarmInfo {
    bool anyEnabled = false;             // at least one alarm is on
    std::optional<SYSTEMTIME> localTime; // the earliest alarmTime among the alarms that are on,
                                         // wDayOfWeek filled in; nullopt when none is on
};

// Among the alarms that are on, the smallest alarmTime; the first of equal ones wins.
[[nodiscard]] NextAlarmInfo summariseAlarms(const AlarmTable& table);
[[nodiscard]] inline std::optional<SYSTEMTIME> NextAlarm(const AlarmTable& table)
{
    return summariseAlarms(table).localTime;
}

// The Today item's copy: alarms.dat is read again only when "Tkw_NeedUpdateAlarmSettingsOnOnTkTP"
// is set (it is reset first, so a change made during the read is seen next time) or when
// nothing could be read yet. The file is only read, never created or logged about.
class NextAlarmWatch {
public:
    NextAlarmWatch();
    ~NextAlarmWatch();
    NextAlarmWatch(const NextAlarmWatch&) = delete;
    NextAlarmWatch& operator=(const NextAlarmWatch&) = delete;

    [[nodiscard]] const NextAlarmInfo& current();

private:
    platform::UniqueHandle m_changed;
    NextAlarmInfo m_info;
    bool m_known = false;
};

} // namespace alarms

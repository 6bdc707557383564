#pragma once
// Helpers of the alarms tests: local times by their parts, records as the view leaves them,
// the wake-up database and the named events as another program sees them.

#include "alarms/alarm_file.h"
#include "alarms/alarm_record.h"
#include "platform/calendar.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "tests/store/store_fixture.h"

#include <cstring>
#include <vector>

namespace alarm_tests {

// Days of the week as weekday bits.
inline constexpr std::uint8_t kSunday = 1 << 0, kMonday = 1 << 1, kWednesday = 1 << 3, kFriday = 1 << 5,
                              kSaturday = 1 << 6, kEveryDay = 0x7F;

inline SYSTEMTIME at(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), WORD(ms) };
}

inline std::uint64_t ticksAt(const SYSTEMTIME& time) { return *platform::ticksOfSystemTime(time); }

inline alarms::AlarmRecord alarmAt(int hour, int minute, std::uint8_t weekdays, bool enabled = true)
{
    alarms::AlarmRecord alarm { };
    alarm.alarmTime = fileTimeOf(ticksAt(at(2001, 5, 5, hour, minute, 45)));
    alarm.weekdays = weekdays;
    alarm.enabled = enabled ? 1 : 0;
    return alarm;
}

inline constexpr platform::RetryPolicy kQuick { 1, 1 };

// Tests and resets a named event as its reader would.
inline bool takeSignal(const char16_t* name)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
    const bool set = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    EventModify(event, EVENT_RESET);
    CloseHandle(event);
    return set;
}

class AlarmsTest : public testing_support::StoreTest {
protected:
    alarms::AlarmRecord recordOnDisk(int index) const
    {
        const auto bytes = readDataFile(store::kAlarmsFile);
        alarms::AlarmRecord record { };
        const std::size_t offset = std::size_t(index) * sizeof record;
        if (bytes.size() >= offset + sizeof record)
            std::memcpy(&record, bytes.data() + offset, sizeof record);
        return record;
    }

    static std::vector<platform::WakeUp> wakeUps() { return platform::listWakeUps().value_or(std::vector<platform::WakeUp> { }); }
};

} // namespace alarm_tests

#pragma once
// One weekly alarm as alarms.dat holds it: twenty of these back to back, alarm 1 first.

#include "platform/types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace alarms {

inline constexpr int kAlarmCount = 20;

enum ActionKind : std::uint32_t { kShowNotification = 0, kShowPluginView = 1, kExecuteProgram = 2 };

// Weekday bits: bit 0 Sunday ... bit 6 Saturday. Bit 7 means nothing and is masked off.
inline constexpr std::uint8_t kWeekdayBits = 0x7F;

// These bytes are the file: little-endian, written exactly as they sit in memory.
struct AlarmRecord {
    std::uint32_t hNotification;            // the pending wake-up; 0 while none is registered
    char16_t label[32];                     // UTF-16, at most 31 characters, zero-terminated
    std::uint32_t soundIndex;               // position in the sound chooser; 0 no sound
    std::uint8_t repeatIndex;               // the sound plays repeatIndex + 1 times
    std::uint8_t pauseIndex;                // pauseIndex + 1 seconds between plays
    std::uint8_t repeatAlarmCountIndex;     // 0-4: 1-5 times, 5: 7 times, 6: 10 times
    std::uint8_t repeatAlarmIntervalIndex;  // 0-5: 1, 2, 3, 5, 10, 15 minutes
    std::uint8_t weekdays;                  // kWeekdayBits
    std::uint8_t reserved77[3];             // always zero
    FILETIME alarmTime;                     // local. On: the next ring. Off: only its hour and
                                            // minute matter.
    std::uint8_t enabled;
    std::uint8_t repeatAlarm;               // the alert comes back by the two indexes above
    std::uint8_t reserved90[2];             // always zero
    std::uint32_t actionKind;               // ActionKind
    char16_t programPath[260];              // kind 2: program or document; kind 1: the view's name
    char16_t programArgs[260];              // kind 2: its parameters
    std::uint32_t keepAwakeIndex;           // kind 2: 0 5, 1 10, 2 15, 3 20, 4 30 minutes, 5 1 hour
};
static_assert(std::is_trivially_copyable_v<AlarmRecord>);
static_assert(sizeof(AlarmRecord) == 1140);
static_assert(offsetof(AlarmRecord, hNotification) == 0);
static_assert(offsetof(AlarmRecord, label) == 4);
static_assert(offsetof(AlarmRecord, soundIndex) == 68);
static_assert(offsetof(AlarmRecord, repeatIndex) == 72);
static_assert(offsetof(AlarmRecord, pauseIndex) == 73);
static_assert(offsetof(AlarmRecord, repeatAlarmCountIndex) == 74);
static_assert(offsetof(AlarmRecord, repeatAlarmIntervalIndex) == 75);
static_assert(offsetof(AlarmRecord, weekdays) == 76);
static_assert(offsetof(AlarmRecord, alarmTime) == 80);
static_assert(offsetof(AlarmRecord, enabled) == 88);
static_assert(offsetof(AlarmRecord, repeatAlarm) == 89);
static_assert(offsetof(AlarmRecord, actionKind) == 92);
static_assert(offsetof(AlarmRecord, programPath) == 96);
static_assert(offsetof(AlarmRecord, programArgs) == 616);
static_assert(offsetof(AlarmRecord, keepAwakeIndex) == 1136);

using AlarmTable = std::array<AlarmRecord, kAlarmCount>;
inline constexpr std::size_t kAlarmsFileSize = sizeof(AlarmTable);
static_assert(kAlarmsFileSize == 22800);

inline constexpr std::size_t kMaxLabelChars = 31;
inline constexpr std::u16string_view kDefaultPluginView = u"Dezod";

// A text field up to its first zero, or its end when it has none.
template <std::size_t N> [[nodiscard]] std::u16string fieldText(const char16_t (&field)[N])
{
    const std::u16string_view all(field, N);
    return std::u16string(all.substr(0, all.find(u'\0')));
}

// Stores at most N - 1 characters and zeroes the rest, so the field always ends in a zero.
template <std::size_t N> void setFieldText(char16_t (&field)[N], std::u16string_view text)
{
    const std::size_t kept = text.size() < N ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i)
        field[i] = i < kept ? text[i] : u'\0';
}

[[nodiscard]] inline std::u16string alarmLabel(const AlarmRecord& alarm) { return fieldText(alarm.label); }
// At most 31 characters are kept.
inline void setAlarmLabel(AlarmRecord& alarm, std::u16string_view label) { setFieldText(alarm.label, label); }

} // namespace alarms

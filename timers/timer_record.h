#pragma once
// One countdown timer as timers.dat holds it: sixteen of these back to back, timer 1 first.

#include "platform/types.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace timers {

inline constexpr int kTimerCount = 16;

// These bytes are the file: little-endian, written exactly as they sit in memory.
struct TimerRecord {
    std::uint32_t hNotification; // the pending wake-up; 0 while none is registered
    char16_t name[32];           // UTF-16, zero-terminated
    FILETIME value;              // local time. Stopped: its time of day is the value to count
                                 // down from. Running: the end moment.
    std::uint32_t soundIndex;    // position in the sound chooser; 0 no sound
    std::uint8_t repeatIndex;    // the sound plays repeatIndex + 1 times
    std::uint8_t pauseIndex;     // pauseIndex + 1 seconds between plays
    std::uint8_t running;
    std::uint8_t initSecond;     // the initial value the user set
    std::uint8_t initMinute;
    std::uint8_t initHour;
    std::uint8_t reserved86[2];
    std::uint32_t actionKind;    // 0 notification window, 1 plug-in view, 2 program or file
    char16_t programPath[260];   // kind 2: the program or document; kind 1: the view's name
    char16_t programArgs[260];
    std::uint32_t keepAwakeIndex; // 0 5, 1 10, 2 15, 3 20, 4 30 minutes, 5 1 hour
};
static_assert(std::is_trivially_copyable_v<TimerRecord>);
static_assert(sizeof(TimerRecord) == 1136);
static_assert(offsetof(TimerRecord, name) == 4);
static_assert(offsetof(TimerRecord, value) == 68);
static_assert(offsetof(TimerRecord, soundIndex) == 76);
static_assert(offsetof(TimerRecord, repeatIndex) == 80);
static_assert(offsetof(TimerRecord, pauseIndex) == 81);
static_assert(offsetof(TimerRecord, running) == 82);
static_assert(offsetof(TimerRecord, initSecond) == 83);
static_assert(offsetof(TimerRecord, initMinute) == 84);
static_assert(offsetof(TimerRecord, initHour) == 85);
static_assert(offsetof(TimerRecord, actionKind) == 88);
static_assert(offsetof(TimerRecord, programPath) == 92);
static_assert(offsetof(TimerRecord, programArgs) == 612);
static_assert(offsetof(TimerRecord, keepAwakeIndex) == 1132);

using TimerTable = std::array<TimerRecord, kTimerCount>;
inline constexpr std::size_t kTimersFileSize = sizeof(TimerTable);
static_assert(kTimersFileSize == 18176);

} // namespace timers

#pragma once
// How the runner alerts for the item that fell due: its action, its sound and how often
// the alert comes back, taken from the item's record.

#include "alarms/alarm_record.h"
#include "events/event_record.h"
#include "platform/types.h"
#include "store/sound_path.h"
#include "timers/timer_record.h"

#include <cstdint>
#include <string>

namespace runner {

enum class Action : std::uint32_t { Notification = 0, PluginView = 1, ExecuteProgram = 2 };

struct AlertParameters {
    Action action = Action::Notification;
    std::u16string programPath;    // ExecuteProgram: the program or document; PluginView: the view
    std::u16string programArgs;    // ExecuteProgram: its parameters
    std::uint32_t keepAwakeIndex = 0;
    bool soundOn = false;
    int playsPerAlert = 1;
    int pauseSeconds = 1;          // after each play
    int repetitions = 0;           // automatic repetitions of the whole alert
    int repetitionIntervalSeconds = 300;
    std::u16string soundPath;      // device path; "\Windows\None" plays nothing
};

// What a missing sound file stands for in the runner.
inline constexpr std::u16string_view kNoSound = store::kNoSoundPath;

// A record's action kind; a value the settings windows never write counts as the
// notification, so the alert can always be dismissed.
[[nodiscard]] Action actionOf(std::uint32_t actionKind);

// Repetitions of a repeating alarm by repeatAlarmCountIndex: 1-5, 7 or 10 (index 0-6);
// none for a larger index.
[[nodiscard]] int repetitionCount(std::uint8_t countIndex);
// Seconds between repetitions by repeatAlarmIntervalIndex: 60, 120, 180, 300, 600, 900
// (index 0-5); 300 for a larger index, as events and timers use.
[[nodiscard]] int repetitionIntervalSeconds(std::uint8_t intervalIndex);
// How long a started program keeps the device awake, by keepAwakeIndex: 5, 10, 15, 20, 30
// minutes or an hour (0-5); 0 for any other index.
[[nodiscard]] DWORD keepAwakeMs(std::uint32_t keepAwakeIndex);

// `number` is the alarm's 1-based number. The sound paths are read from the data directory.
[[nodiscard]] AlertParameters alarmAlert(const alarms::AlarmRecord& alarm, int number);
[[nodiscard]] AlertParameters eventAlert(const events::EventRecord& event);
// `index` is the timer's 0-based index.
[[nodiscard]] AlertParameters timerAlert(const timers::TimerRecord& timer, int index);

} // namespace runner

#pragma once
// The notification LEDs of the device profile (the vibrator counts as the last one). By
// default two virtual LEDs, 0 the notification LED and 1 the vibrator, whose changes are
// logged with timestamps in the runtime directory ("leds.log", one line a change) and kept
// as the current state ("led0.state" ...); the profile value "Led<N>Device" binds LED N to a
// Linux LED class device (/sys/class/leds/NAME) instead.

#include "platform/types.h"

#include <optional>
#include <string>
#include <vector>

inline constexpr UINT NLED_COUNT_INFO_ID = 0;
inline constexpr UINT NLED_SETTINGS_INFO_ID = 2;

struct NLED_COUNT_INFO {
    UINT cLeds;
};

struct NLED_SETTINGS_INFO {
    UINT LedNum;
    INT OffOnBlink; // 0 off, 1 on, 2 blink
    LONG TotalCycleTime;
    LONG OnTime;
    LONG OffTime;
    INT MetaCycleOn;
    INT MetaCycleOff;
};

BOOL NLedGetDeviceInfo(UINT infoId, void* output);
BOOL NLedSetDevice(UINT infoId, void* input);

namespace platform {

struct LedChange {
    std::int64_t monotonicMs; // CLOCK_MONOTONIC
    UINT led;
    int state;                // 0 off, 1 on, 2 blink
};

// The changes logged so far for the virtual LEDs of this device, oldest first.
[[nodiscard]] std::vector<LedChange> loggedLedChanges();
// The state a LED was last set to (0 when never).
[[nodiscard]] int ledState(UINT led);

} // namespace platform

#pragma once
// Power: the AC line and battery as the handheld reports them, and the user-activity
// reports that drive the power manager's "PowerManager/UserActivity_Active" and
// "PowerManager/UserActivity_Inactive" events (kept by the device service).

#include "platform/types.h"

#include <optional>

inline constexpr BYTE AC_LINE_OFFLINE = 0;
inline constexpr BYTE AC_LINE_ONLINE = 1;
inline constexpr BYTE AC_LINE_UNKNOWN = 0xff;
inline constexpr BYTE BATTERY_FLAG_HIGH = 1;
inline constexpr BYTE BATTERY_FLAG_LOW = 2;
inline constexpr BYTE BATTERY_FLAG_CRITICAL = 4;
inline constexpr BYTE BATTERY_FLAG_CHARGING = 8;
inline constexpr BYTE BATTERY_FLAG_NO_BATTERY = 128;
inline constexpr BYTE BATTERY_FLAG_UNKNOWN = 255;
inline constexpr BYTE BATTERY_PERCENTAGE_UNKNOWN = 255;
inline constexpr DWORD BATTERY_LIFE_UNKNOWN = 0xffffffffu;

struct SYSTEM_POWER_STATUS_EX2 {
    BYTE ACLineStatus;
    BYTE BatteryFlag;
    BYTE BatteryLifePercent;
    BYTE Reserved1;
    DWORD BatteryLifeTime;
    DWORD BatteryFullLifeTime;
    BYTE Reserved2;
    BYTE BackupBatteryFlag;
    BYTE BackupBatteryLifePercent;
    BYTE Reserved3;
    DWORD BackupBatteryLifeTime;
    DWORD BackupBatteryFullLifeTime;
    DWORD BatteryVoltage;
    DWORD BatteryCurrent;
    DWORD BatteryAverageCurrent;
    DWORD BatteryAverageInterval;
    DWORD BatterymAHourConsumed;
    DWORD BatteryTemperature;
    DWORD BackupBatteryVoltage;
    BYTE BatteryChemistry;
};

// Fills as much of the record as `length` allows; returns the bytes filled, 0 on failure.
DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL update);

namespace platform {

inline constexpr const char16_t* kUserActivityActiveEvent = u"PowerManager/UserActivity_Active";
inline constexpr const char16_t* kUserActivityInactiveEvent = u"PowerManager/UserActivity_Inactive";
// Set by reportUserActivity; the power manager makes the user active.
inline constexpr const char16_t* kUserInputEvent = u"TkwPlatform_UserInput";
// Set by reportUserIdle; the power manager makes the user inactive at once.
inline constexpr const char16_t* kUserIdleEvent = u"TkwPlatform_UserIdle";

// The device profile's key (HKEY_LOCAL_MACHINE) and the values the power code reads.
inline constexpr const char16_t* kProfileKey = u"SYSTEM\\Tickwell\\Profile";
inline constexpr const char16_t* kIdleTimeoutValue = u"IdleTimeoutSeconds"; // default 30
inline constexpr const char16_t* kAcLineValue = u"ACLine";                  // 0 battery, 1 AC; absent: the host's
inline constexpr DWORD kDefaultIdleTimeoutSeconds = 30;

// Input in one of the suite's windows, or `tkwctl device activity active`.
void reportUserActivity();
// `tkwctl device activity idle`: the user counts as gone from now.
void reportUserIdle();

// Whether the user is active now, from the power manager's events; nullopt when no power
// manager has made them.
[[nodiscard]] std::optional<bool> userActive();

// Forces the AC state reported to programs (true: on AC), or returns it to the host's.
[[nodiscard]] bool setAcLineOverride(std::optional<bool> onAc);

} // namespace platform

#pragma once
// The named events by which the programs of the suite tell each other that a data file
// changed, or that one of them runs. All are manual-reset; set means "changed" or "running".

#include "platform/power.h"
#include "platform/types.h"

namespace store {

inline constexpr const char16_t* kAlarmsChangedForMainProgram = u"Tkw_NeedUpdateAlarmSettingsOnMainApp";
inline constexpr const char16_t* kAlarmsChangedForToday = u"Tkw_NeedUpdateAlarmSettingsOnOnTkTP";
inline constexpr const char16_t* kTodaySettingsChanged = u"NeedUpdateTickwellTodayPlgSettings";
inline constexpr const char16_t* kTodayPluginRunning = u"TkTPlugin_AllReady_Running";
inline constexpr const char16_t* kScreenSaverRunning = u"Tkw_ScreenSaverRunning";
inline constexpr const char16_t* kWatcherRunning = u"TkPTimer_AllReady_Running";
inline constexpr const char16_t* kWatcherSettingsChanged = u"TkPTimer_Settings_Change";
inline constexpr const char16_t* kTimersChanged = u"TkTimers_Settings_Change";
inline constexpr const char16_t* kSnoozeActive = u"TkMEvent_Snooze_Active";
inline constexpr const char16_t* kSoundVolumeTaken = u"TkMEvent_SoundAllReadySet";
inline constexpr const char16_t* kReminderLed = u"TkReminder_LED_On";
// The power manager's, made by the device service.
inline constexpr const char16_t* kUserActivityActive = platform::kUserActivityActiveEvent;
inline constexpr const char16_t* kUserActivityInactive = platform::kUserActivityInactiveEvent;

// The main program's shared events, made once at its shared initialisation and kept for
// its whole run. The screen-saver flag exists only in the lock modes.
struct SharedEvents {
    HANDLE todaySettingsChanged = nullptr;
    HANDLE todayPluginRunning = nullptr;
    HANDLE alarmsChangedForMainProgram = nullptr;
    HANDLE alarmsChangedForToday = nullptr;
    HANDLE screenSaverRunning = nullptr;
};

enum class LockMode { No, Yes };
// Creates the four shared events, and in a lock mode creates and sets the screen-saver flag.
const SharedEvents& CreateSharedEvents(LockMode lock = LockMode::No);
[[nodiscard]] const SharedEvents& sharedEventHandles();

// True when the event was set; it is reset then. Never blocks.
bool TestAndReset(HANDLE event);
void Signal(HANDLE event);
// For processes that do not keep the handle: opens the event by name, sets it, closes it.
void signalByName(const char16_t* name);

} // namespace store

#pragma once
// English identifiers of the strings the programs look up by name (ui::text, ui::list).
// The language's string is the identifier plus the language index (ui/resources.h).

namespace ui {

// The menu bar and its menus.
inline constexpr unsigned kOptionsMenuString = 40025; // "Options"
inline constexpr unsigned kViewMenuString = 40035; // "View"
inline constexpr unsigned kViewNamesList = 40045; // "General\Digital Clock\...\Time Calc\"
inline constexpr unsigned kPreferencesString = 40845; // "Preferences"
inline constexpr unsigned kEditCitiesString = 40905; // "Edit Cities"
inline constexpr unsigned kPluginsMenuString = 41435; // "Plugins"
inline constexpr unsigned kTimeAndLocationString = 45005; // "Time and Location"
inline constexpr unsigned kAboutString = 45015; // "About"
inline constexpr unsigned kExitString = 45025; // "Exit"

// Alarms and their action settings.
inline constexpr unsigned kAlarmTimeString = 41395; // "Alarm Time"
inline constexpr unsigned kInvalidPathText = 41175; // "Please, select an application ..."
inline constexpr unsigned kInvalidPathCaption = 41185; // "Invalid path"

// The reminder screen's buttons.
inline constexpr unsigned kDismissString = 41345; // "Dismiss"
inline constexpr unsigned kGoToString = 41355; // "Go to..."
inline constexpr unsigned kSnoozeString = 41365; // "Snooze"

} // namespace ui

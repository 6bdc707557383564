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
inline constexpr unsigned kBuildString = 45215; // "Build"
inline constexpr unsigned kMoreString = 45225; // "More"

// Alarms and their action settings.
inline constexpr unsigned kAlarmTimeString = 41395; // "Alarm Time"
inline constexpr unsigned kInvalidPathText = 41175; // "Please, select an application ..."
inline constexpr unsigned kInvalidPathCaption = 41185; // "Invalid path"

// The reminder screen's buttons.
inline constexpr unsigned kDismissString = 41345; // "Dismiss"
inline constexpr unsigned kGoToString = 41355; // "Go to..."
inline constexpr unsigned kSnoozeString = 41365; // "Snooze"
// The reminder screen's titles.
inline constexpr unsigned kAlarmTitleString = 41225; // "Alarm "
inline constexpr unsigned kEventTitleString = 41235; // "Event"
inline constexpr unsigned kTimerTitleString = 41245; // "Timer "

// The General, Digital Clock and Analog Clock views.
inline constexpr unsigned kTodayString = 40115; // "Today:"
inline constexpr unsigned kWeekString = 40125; // "Week:"

// The first start and critical errors.
inline constexpr unsigned kCriticalErrorString = 45035; // "Critical error. One of the application compon..."
inline constexpr unsigned kLanguagePromptString = 45045; // "Welcome to Tickwell Pro. Please choose your l..."

// The skin menu.
inline constexpr unsigned kSkinMenuString = 40775; // "Skin"
inline constexpr unsigned kDefaultSkinString = 41095; // "Default"

// The Alarms view.
inline constexpr unsigned kPlaceholderString = 41105; // "< Tap to describe >"
inline constexpr unsigned kNoWeekdayHint = 45055; // "Your alarm will not activate since you haven'..."
inline constexpr unsigned kDoNotShowAgain = 45065; // "Do not show this message again."
inline constexpr unsigned kSettingsButton = 45075; // "Settings..."
inline constexpr unsigned kPageTitle = 45185; // "Alarms %1–%2"

// The Alarm Settings window.
inline constexpr unsigned kNotificationWindowString = 41125; // "Show Notification Window\"
inline constexpr unsigned kExecuteString = 41135; // "Execute...\."
inline constexpr unsigned kShowString = 41145; // "Show "
inline constexpr unsigned kPluginString = 41155; // " Plugin\"
inline constexpr unsigned kStopString = 40735; // "Stop"
inline constexpr unsigned kTestString = 41335; // "Test"
inline constexpr unsigned kSoundLabel = 41035; // "Sound:"
inline constexpr unsigned kRepeatList = 40465; // "once\twice\3 times\4 times\5 times\."
inline constexpr unsigned kPauseList = 40475; // "1 second\2 seconds\3 seconds\4 seconds\5 seco..."
inline constexpr unsigned kRepeatCountList = 40485; // "once\twice\3 times\4 times\5 times\7 times\10..."
inline constexpr unsigned kRepeatIntervalList = 40495; // "1 minutes\2 minutes\3 minutes\5 minutes\10 mi..."
inline constexpr unsigned kKeepAwakeList = 40645; // "5 minute\10 minute\15 minute\20 minute\30 min..."
inline constexpr unsigned kCaptionString = 45085; // "Alarm Settings"
inline constexpr unsigned kActionLabel = 45095; // "Action:"
inline constexpr unsigned kRepeatLabel = 45105; // "Repeat:"
inline constexpr unsigned kPauseLabel = 45115; // "Pause:"
inline constexpr unsigned kRepeatingAlarmString = 45125; // "Repeating alarm"
inline constexpr unsigned kIntervalLabel = 45135; // "Every:"
inline constexpr unsigned kPathLabel = 45145; // "File or module path:"
inline constexpr unsigned kParametersLabel = 45155; // "Parameters:"
inline constexpr unsigned kKeepAwakeLabel = 45165; // "Keep the device from shutdown:"
inline constexpr unsigned kCountLabel = 45175; // "Times:"

// The Timers view and the timer settings window.
inline constexpr unsigned kTimerList = 40075; // "Timer 1\Timer 2\...\Timer 16\."
inline constexpr unsigned kTimerStartString = 40275; // "Start"
inline constexpr unsigned kTimerResetString = 45795; // "Reset"
inline constexpr unsigned kTimerSetString = 47005; // "Set..."
inline constexpr unsigned kStopResetAllString = 47015; // "Stop && Reset All..."
inline constexpr unsigned kInitialValueString = 41385; // "Initial Value"
inline constexpr unsigned kTimerSettingsCaption = 40745; // "Timer Settings"
inline constexpr unsigned kDescriptionHint = 41205; // "< Description >"
inline constexpr unsigned kInitialValueLabel = 47025; // "Initial value:"
inline constexpr unsigned kCannotSaveTimers = 47035; // "Can't save timer settings"
inline constexpr unsigned kTimerNotRegistered = 47045; // "Timer Not registered"
inline constexpr unsigned kTimersBusy = 47055; // "Another program is changing the timers. ..."

// The sound chooser.
inline constexpr unsigned kBrowseTitleString = 40995; // "Browse for Sounds"
inline constexpr unsigned kStatusPartChoicesString = 40455; // "None\Alarm\Timer\Stopwatch\Sunrise\Sunset\Int..."
inline constexpr unsigned kBrowseString = 45195; // "Browse..."

// The file chooser.
inline constexpr unsigned kExecutableFileTitleString = 45205; // "Select Executable File"

// The Events view, the event editor and the note window.
inline constexpr unsigned kDeleteEventQuestion = 40665; // "Are you sure you want to delete the selected event?"
inline constexpr unsigned kNoNameString = 41045; // "No Name"
inline constexpr unsigned kEventNameHint = 41215; // "< Event name >"
inline constexpr unsigned kRemindList = 41325; // "once\every year\every month\."
inline constexpr unsigned kEventDateLabel = 40245; // "Date:"
inline constexpr unsigned kEventTimeLabel = 40255; // "Time:"
inline constexpr unsigned kNewEventString = 46105; // "New..."
inline constexpr unsigned kEditEventString = 46115; // "Edit..."
inline constexpr unsigned kDeleteEventString = 46125; // "Delete..."
inline constexpr unsigned kNoteString = 46135; // "Note"
inline constexpr unsigned kRemindLabel = 46145; // "Remind:"
inline constexpr unsigned kClearString = 46155; // "Clear"
inline constexpr unsigned kCannotSaveNote = 46165; // "Can't save event note"
inline constexpr unsigned kCannotStoreNote = 46175; // "Can't storage event note"
inline constexpr unsigned kCannotSaveEvents = 46185; // "Can't save event settings"
inline constexpr unsigned kCorruptEvents = 46195; // "Corrupt file with event settings"
inline constexpr unsigned kEventsBusy = 46205; // "Another program is changing the events. ..."

} // namespace ui

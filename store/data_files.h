#pragma once
// The data directory shared by every program of the suite, the full path of each data
// file, the installation folder (path.dat and its registry copy) and the diagnostic log.

#include "platform/retry.h"
#include "platform/types.h"

#include <string>
#include <string_view>

namespace store {

// Fixed device paths; the suite never derives them from the installation folder.
inline constexpr std::u16string_view kProgramDataFolder = u"\\Application Data\\Orvane Tickwell Pro\\";
inline constexpr std::u16string_view kDataDirectory = u"\\Application Data\\Orvane Tickwell Pro\\data\\";
inline constexpr std::u16string_view kRunnerPath = u"\\Application Data\\Orvane Tickwell Pro\\TkEvents.exe";
inline constexpr std::u16string_view kWatcherPath = u"\\Application Data\\Orvane Tickwell Pro\\TkTimer.exe";
inline constexpr std::u16string_view kDefaultInstallFolder = u"\\Program Files\\Tickwell Pro\\";
inline constexpr std::u16string_view kMainProgramName = u"Tickwell Pro.exe";
inline constexpr std::u16string_view kLogPath = u"\\Application Data\\log.txt";

inline constexpr std::u16string_view kSettingsFile = u"settings.dat";
inline constexpr std::u16string_view kAlarmsFile = u"alarms.dat";
inline constexpr std::u16string_view kTimersFile = u"timers.dat";
inline constexpr std::u16string_view kEventsFile = u"events.dat";
inline constexpr std::u16string_view kStopwatchFile = u"stopwatch.dat";
inline constexpr std::u16string_view kScreenSaverListFile = u"ssaver.dat";
inline constexpr std::u16string_view kPluginSettingsFile = u"plg.dat";
inline constexpr std::u16string_view kPathFile = u"path.dat";
inline constexpr std::u16string_view kLanguageFile = u"lang.dat";

// Registry, under HKEY_CURRENT_USER.
inline constexpr std::u16string_view kSuiteKey = u"SOFTWARE\\Orvane\\Tickwell Pro";
inline constexpr std::u16string_view kLanguageValue = u"Lang";
inline constexpr std::u16string_view kInstallCopyKey = u"SOFTWARE\\Orvane\\Tickwell Pro\\InstallPas";
inline constexpr std::u16string_view kInstallCopyValue = u"Pass";
inline constexpr std::size_t kFolderChars = 260; // the registry copy holds 260 characters

// The data directory followed by the file name ("alarmsnd3.dat" and the like).
[[nodiscard]] std::u16string DataFilePath(std::u16string_view fileName);

// Creates the data directory; an existing one is no error.
[[nodiscard]] bool createDataDirectory();

// The folder of a module path: cut after its last "\" (kept), at most 260 characters;
// "\" when there is none.
[[nodiscard]] std::u16string folderOfModulePath(std::u16string_view modulePath);

// Keeps path.dat and its registry copy naming `folder`: path.dat is rewritten only when
// its text differs; the registry copy is written until it reads back equal (up to 10
// attempts, 100 ms apart). Failures are ignored, as nothing depends on them at once.
void storeInstallFolder(std::u16string_view folder);

enum class InstallFolderReader {
    Runner,       // falls back to the registry copy, 3 attempts 200 ms apart
    Watcher,      // likewise
    TodayPlugin,  // path.dat only
};

// The installation folder, with its trailing "\"; empty when there is none.
[[nodiscard]] std::u16string ReadInstallFolder(InstallFolderReader reader,
    platform::RetryPolicy registryRetry = { 2, 200 });

// Appends one entry to "\Application Data\log.txt": UTF-16LE, the text and CR LF, with a
// byte-order mark first when the file is empty.
void AppendLog(std::u16string_view text);

} // namespace store

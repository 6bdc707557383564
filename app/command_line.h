#pragma once
// The main program's command line: its first character decides the mode, and the rest is
// read by position. Other programs start it this way: the Today item ("ptds" + view, "d",
// "o"), the activity watcher ("ssave", "lock1", "lock2" + face name) and the runner
// ("na", "ne", "nt" + number for a reminder screen).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class StartMode {
    Normal,
    ScreenSaver,
    Lock,
    Reminder,
    TimeAndLocation, // the time-and-location dialog alone ("d")
    FirstRunSetup,   // the first-run set-up alone ("df")
    Preferences,     // the preferences dialog alone ("o")
};

enum class ReminderKind { Alarm, Event, Timer };

struct StartRequest {
    StartMode mode = StartMode::Normal;
    int lockKind = 0;                   // 1 the standard locker, 2 the full-screen one
    ReminderKind reminderKind = ReminderKind::Alarm;
    std::uint32_t reminderNumber = 0;   // alarm index (number - 1), event or timer number
    std::optional<std::uint32_t> view;  // the view to start with, when the line names one
    std::optional<std::uint32_t> viewItem; // the alarm (index) or timer page to select
    std::u16string faceName;            // screen saver and lock
    std::u16string storedCommandLine;   // kept for modes that read it later
};

// nullopt for a reminder line the program must not act on (an unknown kind, a number out
// of range): it then ends at once, showing nothing.
[[nodiscard]] std::optional<StartRequest> parseCommandLine(std::u16string_view commandLine);

// What the words the program is started with ask for.
enum class ProgramAction {
    Run,         // start in the mode of the command line
    ShowHelp,    // "--help": the usage on standard output, and end
    ShowVersion, // "--version": the name and version on standard output, and end
};

// The words the program is started with: "--help" or "--version" anywhere, "--screenshot
// FILE" anywhere, and at most one other word, the handheld's command line.
struct ProgramArguments {
    ProgramAction action = ProgramAction::Run;
    std::u16string commandLine;
    std::optional<std::string> screenshotFile; // PNG of the first screen, then the program ends
};

// nullopt, with `problem` set, for a usage error: "--screenshot" without a file name after
// it, an option the program does not know, a second command line, or a command line whose
// first character starts no mode. "--help" and "--version" win over every other word.
[[nodiscard]] std::optional<ProgramArguments> parseProgramArguments(
    const std::vector<std::string>& words, std::string& problem);

// Whether a command line starts one of the modes: empty, or its first character is one
// the grammar knows ("ptds7", "a3", "t2", "e...", "ssave...", "lock1...", "na3", "d", "o").
[[nodiscard]] bool isKnownCommandLine(std::u16string_view commandLine);

// The text "--help" prints: the usage and the command-line forms.
[[nodiscard]] std::string usageText();

// The decimal number at `position` as the handheld's wide-to-integer call reads it: leading
// digits only, 0 when there are none.
[[nodiscard]] std::uint32_t numberAt(std::u16string_view text, std::size_t position);

} // namespace app

#include "app/command_line.h"

#include "platform/text.h"

namespace app {

namespace {

constexpr std::uint32_t kViewAlarms = 3;
constexpr std::uint32_t kViewTimers = 4;
constexpr std::uint32_t kViewEvents = 6;
constexpr std::uint32_t kAlarmCount = 20;
constexpr std::uint32_t kLastTimerReminder = 20;

std::u16string_view from(std::u16string_view text, std::size_t position)
{
    return position < text.size() ? text.substr(position) : std::u16string_view();
}

} // namespace

std::optional<ProgramArguments> parseProgramArguments(const std::vector<std::string>& words, std::string& problem)
{
    ProgramArguments arguments;
    // A request for help or the version is answered whatever else is on the line.
    for (const auto& word : words) {
        if (word == "--help") {
            arguments.action = ProgramAction::ShowHelp;
            return arguments;
        }
    }
    for (const auto& word : words) {
        if (word == "--version") {
            arguments.action = ProgramAction::ShowVersion;
            return arguments;
        }
    }
    bool haveCommandLine = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--screenshot") {
            // "--screenshot --other" would write a file named like an option: surely a slip.
            if (i + 1 >= words.size() || words[i + 1].empty() || words[i + 1].rfind("--", 0) == 0) {
                problem = "--screenshot needs the name of the PNG file to write";
                return std::nullopt;
            }
            arguments.screenshotFile = words[++i];
            continue;
        }
        // No command line of the grammar starts with "-".
        if (!word.empty() && word[0] == '-') {
            problem = "unknown option '" + word + "'";
            return std::nullopt;
        }
        if (haveCommandLine) {
            problem = "unexpected argument '" + word + "' after the command line '"
                + platform::toUtf8(arguments.commandLine) + "' (a face name with spaces is quoted as one word)";
            return std::nullopt;
        }
        arguments.commandLine = platform::toUtf16(word);
        haveCommandLine = true;
    }
    if (!isKnownCommandLine(arguments.commandLine)) {
        problem = "unknown command line '" + platform::toUtf8(arguments.commandLine) + "'";
        return std::nullopt;
    }
    return arguments;
}

bool isKnownCommandLine(std::u16string_view commandLine)
{
    return commandLine.empty() || std::u16string_view(u"pateslndo").find(commandLine[0]) != std::u16string_view::npos;
}

std::string usageText()
{
    return "Usage: tickwell-pro [COMMAND-LINE] [--screenshot FILE]\n"
           "       tickwell-pro --help | --version\n"
           "\n"
           "COMMAND-LINE is one word; its first character chooses the mode:\n"
           "  (none)         the main window, on the last view or the start view\n"
           "  ptdsN          the main window on view N (0-12, then the clock faces)\n"
           "  aN             the Alarms view with alarm N (from 1) selected\n"
           "  tN             the Timers view with timer page N selected\n"
           "  e...           the Events view\n"
           "  ssaveFACE      the screen saver with the clock face FACE\n"
           "  lock1FACE      the device lock over the clock (lock2FACE: full screen)\n"
           "  naN, neN, ntN  the reminder screen of alarm, event or timer N\n"
           "  d              the time-and-location dialog (df: the first-run set-up)\n"
           "  o              the preferences dialog\n"
           "\n"
           "  --screenshot FILE  write the first screen to FILE (PNG) and end; a dialog on\n"
           "                     the way is drawn into the picture and answered by itself\n"
           "  --help             show this text and end\n"
           "  --version          show the version and end\n";
}

std::uint32_t numberAt(std::u16string_view text, std::size_t position)
{
    std::uint32_t value = 0;
    for (std::size_t i = position; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value * 10 + std::uint32_t(text[i] - u'0'); // wraps like the handheld's call
    return value;
}

std::optional<StartRequest> parseCommandLine(std::u16string_view line)
{
    StartRequest request;
    if (line.empty())
        return request;
    switch (line[0]) {
    case u'p':
        request.view = numberAt(line, 4);
        break;
    case u'a':
        request.view = kViewAlarms;
        request.viewItem = numberAt(line, 1) - 1;
        break;
    case u't':
        request.view = kViewTimers;
        request.viewItem = numberAt(line, 1);
        break;
    case u'e':
        request.view = kViewEvents;
        request.storedCommandLine = line;
        break;
    case u's':
        request.mode = StartMode::ScreenSaver;
        request.faceName = from(line, 5);
        request.storedCommandLine = line;
        break;
    case u'l':
        request.mode = StartMode::Lock;
        request.lockKind = line.size() > 4 && line[4] == u'1' ? 1 : 2;
        request.faceName = from(line, 5);
        request.storedCommandLine = line;
        break;
    case u'n': {
        request.mode = StartMode::Reminder;
        request.storedCommandLine = line;
        const std::uint32_t number = numberAt(line, 2);
        const char16_t kind = line.size() > 1 ? line[1] : u'\0';
        if (kind == u'a') {
            // Stored as an index: alarm 0 wraps round and falls outside like alarm 21.
            request.reminderKind = ReminderKind::Alarm;
            request.reminderNumber = number - 1;
            if (request.reminderNumber >= kAlarmCount)
                return std::nullopt;
        } else if (kind == u'e') {
            request.reminderKind = ReminderKind::Event;
            request.reminderNumber = number;
            if (number == 0)
                return std::nullopt;
        } else if (kind == u't') {
            request.reminderKind = ReminderKind::Timer;
            request.reminderNumber = number;
            if (number > kLastTimerReminder)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
        break;
    }
    case u'd':
        request.mode = line.size() > 1 && line[1] == u'f' ? StartMode::FirstRunSetup : StartMode::TimeAndLocation;
        break;
    case u'o':
        request.mode = StartMode::Preferences;
        break;
    default:
        break; // anything else starts normally
    }
    return request;
}

} // namespace app

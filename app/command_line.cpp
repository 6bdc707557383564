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
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--screenshot") {
            arguments.commandLine = platform::toUtf16(words[i]);
            continue;
        }
        // "--screenshot --other" would write a file named like an option: surely a slip.
        if (i + 1 >= words.size() || words[i + 1].empty() || words[i + 1].rfind("--", 0) == 0) {
            problem = "--screenshot needs the name of the PNG file to write";
            return std::nullopt;
        }
        arguments.screenshotFile = words[++i];
    }
    return arguments;
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

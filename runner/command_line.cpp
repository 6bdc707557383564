#include "runner/command_line.h"

#include "alarms/alarm_record.h"

#include <limits>
#include <optional>

namespace runner {

namespace {

std::optional<std::uint32_t> decimalNumber(std::u16string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(c - u'0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
    }
    return std::uint32_t(value);
}

} // namespace

Command parseCommandLine(std::u16string_view commandLine)
{
    Command command;
    command.argument = std::u16string(commandLine);
    if (commandLine.starts_with(u"dpi")) {
        command.job = Job::ScreenWidth;
    } else if (commandLine == u"AppRunAfterTimeChange") {
        command.job = Job::AfterTimeChange;
    } else if (commandLine == u"UpdateNotifications") {
        command.job = Job::RenewAll;
    } else if (commandLine == u"chime") {
        command.job = Job::Chime;
    } else if (commandLine.starts_with(u"sn")) {
        command.job = Job::SnoozeDue;
    } else if (!commandLine.empty()) {
        const auto number = decimalNumber(commandLine.substr(1));
        if (!number)
            return command;
        switch (commandLine.front()) {
        case u'a':
            if (*number >= 1 && *number <= alarms::kAlarmCount)
                command.job = Job::Alarm;
            break;
        case u'e':
            if (*number != 0)
                command.job = Job::Event;
            break;
        case u't':
            if (*number <= 15)
                command.job = Job::Timer;
            break;
        default:
            // "j" + number included: the parser of old knew it as an item kind without any
            // record or action, and nothing registers it.
            break;
        }
        if (command.job != Job::None)
            command.number = *number;
    }
    return command;
}

ItemKind kindOf(Job job)
{
    switch (job) {
    case Job::Event: return ItemKind::Event;
    case Job::Timer: return ItemKind::Timer;
    case Job::Chime: return ItemKind::Chime;
    default: return ItemKind::Alarm;
    }
}

} // namespace runner

#pragma once
// The runner's command line: one string, compared exactly and case-sensitively, that names
// the one job of this start.

#include <cstdint>
#include <string>
#include <string_view>

namespace runner {

enum class Job {
    ScreenWidth,     // "dpi...": exit with the screen width
    AfterTimeChange, // "AppRunAfterTimeChange": renew alarms and events
    RenewAll,        // "UpdateNotifications": renew every registration
    Chime,           // "chime": the interval chime, once
    SnoozeDue,       // "sn...": a snooze or repeat wake-up fell due
    Alarm,           // "a" + 1..20
    Event,           // "e" + the event's wake-up handle
    Timer,           // "t" + 0..15
    None,            // anything else, and numbers out of range: nothing to do
};

// What is due, as the alert window and the main program's reminder count it.
enum class ItemKind : int { Alarm = 0, Event = 1, Timer = 2, Chime = 3 };

struct Command {
    Job job = Job::None;
    std::uint32_t number = 0; // alarm 1-20, timer index 0-15, event handle (never 0)
    std::u16string argument;  // the whole command line: what registrations and the main
                              // program receive again ("a05", "t03", "e1234")
};

// The number after the first letter is decimal with leading zeros allowed ("a05" and "a5"
// both name alarm 5). Anything but digits after the letter, no digits, a value that does
// not fit, an alarm outside 1-20, a timer outside 0-15 or event handle 0 make Job::None:
// such a wake-up names nothing the runner could look up.
[[nodiscard]] Command parseCommandLine(std::u16string_view commandLine);

[[nodiscard]] ItemKind kindOf(Job job);

} // namespace runner

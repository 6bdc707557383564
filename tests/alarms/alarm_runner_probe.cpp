// The runner's side of the alarms in a process of its own, as the notification runner runs it:
//   alarm_runner_probe advance NUMBER ARGUMENT RUNNER-PATH YYYY-MM-DDTHH:MM:SS
//     prints "alert", "silent" or "unreadable"
//   alarm_runner_probe reschedule RUNNER-PATH YYYY-MM-DDTHH:MM:SS
//     prints "done", "unreadable" or "write-failed"
// The moment is the local "now". File accesses are tried once, so a failure shows at once.

#include "alarms/alarm_schedule.h"
#include "platform/text.h"

#include <cstdio>
#include <optional>
#include <string>

namespace {

std::optional<SYSTEMTIME> parseNow(const char* text)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text, "%4u-%2u-%2uT%2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second) != 6)
        return std::nullopt;
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0 };
}

constexpr platform::RetryPolicy kOnce { 0, 0 };

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "advance" && argc == 6) {
        const auto now = parseNow(argv[5]);
        if (!now)
            return 2;
        const auto advanced = alarms::AdvanceAlarm(std::stoi(argv[2]), platform::toUtf16(argv[3]),
            platform::toUtf16(argv[4]), *now, kOnce);
        std::puts(!advanced ? "unreadable" : alarms::shouldAlert(*advanced, *now) ? "alert" : "silent");
        return 0;
    }
    if (command == "reschedule" && argc == 4) {
        const auto now = parseNow(argv[3]);
        if (!now)
            return 2;
        switch (alarms::RescheduleAllAlarms(platform::toUtf16(argv[2]), *now, kOnce)) {
        case alarms::RescheduleOutcome::Done: std::puts("done"); break;
        case alarms::RescheduleOutcome::Unreadable: std::puts("unreadable"); break;
        case alarms::RescheduleOutcome::WriteFailed: std::puts("write-failed"); break;
        }
        return 0;
    }
    return 2;
}

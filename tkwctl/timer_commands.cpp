#include "tkwctl/commands.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/text.h"
#include "store/signals.h"
#include "timers/countdown.h"
#include "timers/timer_board.h"
#include "timers/timer_file.h"
#include "tkwctl/json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace tkwctl {

namespace {

std::uint64_t nowLocalTicks()
{
    SYSTEMTIME now { };
    GetLocalTime(&now);
    return platform::ticksOfSystemTime(now).value_or(0);
}

std::optional<int> timerNumber(const std::string& text)
{
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1 || number > timers::kTimerCount)
        return std::nullopt;
    return number - 1;
}

std::string nameOf(const timers::TimerRecord& timer)
{
    const std::u16string_view name(timer.name, std::u16string_view(timer.name, 32).find(u'\0') == std::u16string_view::npos
            ? 32
            : std::u16string_view(timer.name, 32).find(u'\0'));
    return platform::toUtf8(name);
}

int list(bool json)
{
    timers::TimerBoard board;
    const auto now = nowLocalTicks();
    board.Load(now);
    std::vector<std::string> items;
    for (int i = 0; i < timers::kTimerCount; ++i) {
        const auto& timer = board.records()[std::size_t(i)];
        const std::string shown = platform::toUtf8(timers::displayText(timers::DisplayValue(timer, now)));
        const std::string initial = platform::toUtf8(timers::displayText(
            SYSTEMTIME { 0, 0, 0, 0, timer.initHour, timer.initMinute, timer.initSecond, 0 }));
        if (json)
            items.push_back(JsonObject().add("timer", std::int64_t(i + 1)).add("name", nameOf(timer))
                .add("running", timer.running != 0).add("shows", shown).add("initial", initial)
                .add("wakeUp", std::int64_t(timer.hNotification)).str());
        else
            std::printf("%2d  %-8s  %s  %s%s\n", i + 1, shown.c_str(), timer.running ? "running" : "stopped",
                nameOf(timer).c_str(), timer.running && !timer.hNotification ? "  (no wake-up)" : "");
    }
    if (json)
        std::printf("%s\n", jsonArray(items).c_str());
    return 0;
}

// The time of "--value HH:MM:SS".
std::optional<std::array<int, 3>> parseValue(const std::string& text)
{
    unsigned hour = 0, minute = 0, second = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%2u:%2u:%2u%n", &hour, &minute, &second, &consumed) != 3
        || std::size_t(consumed) != text.size() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return std::array<int, 3> { int(hour), int(minute), int(second) };
}

int report(const timers::TimerOutcome& outcome)
{
    // Another program's copy of timers.dat is stale now.
    store::SignalByName(store::kTimersChanged);
    if (!outcome.registered)
        return fail("Timer Not registered");
    if (!outcome.saved)
        return fail("Can't save timer settings");
    return 0;
}

} // namespace

int runTimer(const Arguments& a)
{
    if (a.words.size() == 1 && a.words[0] == "list")
        return list(a.json);
    if (a.words.size() < 2)
        return fail("usage: tkwctl timer list | start|stop|reset N | set N --value HH:MM:SS [--name TEXT]", kExitUsage);
    const auto index = timerNumber(a.words[1]);
    if (!index)
        return fail("'" + a.words[1] + "' is not a timer (1 to 16)", kExitUsage);
    timers::TimerBoard board;
    const auto now = nowLocalTicks();
    board.Load(now);
    const std::string& command = a.words[0];
    if (command == "start" && a.words.size() == 2)
        return report(board.StartTimer(*index, now));
    if (command == "stop" && a.words.size() == 2)
        return report(board.StopTimer(*index, now));
    if (command == "reset" && a.words.size() == 2)
        return report(board.ResetTimer(*index));
    if (command == "set" && a.words.size() >= 4) {
        std::optional<std::array<int, 3>> value;
        std::optional<std::string> name;
        for (std::size_t i = 2; i + 1 < a.words.size(); i += 2) {
            if (a.words[i] == "--value")
                value = parseValue(a.words[i + 1]);
            else if (a.words[i] == "--name")
                name = a.words[i + 1];
            else
                return fail("unknown option '" + a.words[i] + "'", kExitUsage);
        }
        if (!value)
            return fail("--value HH:MM:SS is needed (up to 23:59:59; 00:00:00 counts a day)", kExitUsage);
        if (board.records()[std::size_t(*index)].running)
            return fail("timer " + a.words[1] + " is running; stop it first");
        board.SetInitialValue(*index, (*value)[0], (*value)[1], (*value)[2], now);
        if (name) {
            const std::u16string text = platform::toUtf16(*name).substr(0, 31);
            auto& field = board.records()[std::size_t(*index)].name;
            std::fill(std::begin(field), std::end(field), u'\0');
            std::copy(text.begin(), text.end(), field);
        }
        return report(timers::TimerOutcome { true, timers::SaveTimer(board.records(), *index) });
    }
    return fail("unknown or incomplete timer command '" + command + "'", kExitUsage);
}

} // namespace tkwctl

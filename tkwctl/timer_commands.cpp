#include "tkwctl/commands.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"
#include "timers/countdown.h"
#include "timers/timer_board.h"
#include "timers/timer_file.h"
#include "tkwctl/action_options.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

namespace tkwctl {

namespace {

platform::LocalTicks nowLocalTicks()
{
    return platform::deviceLocalNow();
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

// What keeps timers.dat from being shown or changed; nothing when it was read.
std::optional<std::string> loadProblem(timers::TimersLoad outcome)
{
    switch (outcome) {
    case timers::TimersLoad::Busy: return std::string("timers.dat stays busy: another program holds it");
    case timers::TimersLoad::Unreadable: return std::string("timers.dat cannot be read (is it a file you may read?)");
    default: return std::nullopt;
    }
}

std::string timerJson(const timers::TimerRecord& timer, int index, platform::LocalTicks now)
{
    const std::string shown = platform::toUtf8(timers::displayText(timers::DisplayValue(timer, now)));
    const std::string initial = platform::toUtf8(
        timers::displayText(SYSTEMTIME { 0, 0, 0, 0, timer.initHour, timer.initMinute, timer.initSecond, 0 }));
    JsonObject object;
    object.add("timer", std::int64_t(index + 1)).add("name", nameOf(timer)).add("running", timer.running != 0)
        .add("shows", shown).add("initial", initial).add("wakeUp", std::int64_t(timer.hNotification));
    addActionJson(object, actionFieldsOf(timer), timers::readTimerSound(index));
    return object.str();
}

int list(bool json)
{
    timers::TimerBoard board;
    const auto now = nowLocalTicks();
    if (const auto problem = loadProblem(board.load(now)))
        return fail(*problem);
    std::vector<std::string> items;
    for (int i = 0; i < timers::kTimerCount; ++i) {
        const auto& timer = board.records()[std::size_t(i)];
        if (json) {
            items.push_back(timerJson(timer, i, now));
            continue;
        }
        const std::string shown = platform::toUtf8(timers::displayText(timers::DisplayValue(timer, now)));
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
    if (!isDigitGroups(text, ":"))
        return std::nullopt;
    if (std::sscanf(text.c_str(), "%2u:%2u:%2u%n", &hour, &minute, &second, &consumed) != 3
        || std::size_t(consumed) != text.size() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return std::array<int, 3> { int(hour), int(minute), int(second) };
}

// The characters of a timer's name, without its terminating zero.
constexpr std::size_t kMaxNameChars = sizeof(timers::TimerRecord::name) / sizeof(char16_t) - 1;

struct SetRequest {
    std::optional<std::array<int, 3>> value;
    std::optional<std::u16string> name;
    ActionRequest action;
};

// The words of "timer start|stop|reset|set N ..." after N; the options of "set" into `request`.
std::optional<std::string> parseCommand(const std::vector<std::string>& words, SetRequest& request)
{
    const std::string& command = words[0];
    if (command == "start" || command == "stop" || command == "reset")
        return noMoreWords(words, 2, "timer " + command);
    if (command != "set")
        return unknownCommand(command, "timer");
    Options options({ "--value", "--name", TKWCTL_ACTION_OPTIONS });
    if (auto problem = options.read(words, 2, "timer set"))
        return problem;
    if (const std::string* value = options.value("--value")) {
        request.value = parseValue(*value);
        if (!request.value)
            return "--value " + inQuotes(*value) + " is not HH:MM:SS (up to 23:59:59; 00:00:00 counts a day)";
    }
    if (const std::string* name = options.value("--name")) {
        request.name.emplace();
        if (auto problem = readText("--name", *name, kMaxNameChars, TextKind::Line, *request.name))
            return problem;
    }
    if (auto problem = readActionOptions(options, request.action))
        return problem;
    if (!request.value && !request.name && !request.action.any())
        return std::string("'timer set' needs something to set: --value HH:MM:SS, --name TEXT or an action option");
    return std::nullopt;
}

int report(const timers::TimerOutcome& outcome)
{
    if (outcome.busy)
        return fail("timers.dat is being changed by another program; try again");
    if (outcome.alreadyRunning)
        return fail("the timer is already running; stop or reset it first");
    // Another program's copy of timers.dat is stale now.
    store::signalByName(store::kTimersChanged);
    if (!outcome.registered)
        return fail("Timer Not registered");
    if (!outcome.saved)
        return fail("Can't save timer settings");
    return 0;
}

} // namespace

int runTimer(const Arguments& a)
{
    if (!a.words.empty() && a.words[0] == "list") {
        if (const auto problem = noMoreWords(a.words, 1, "timer list"))
            return fail(*problem, kExitUsage);
        return list(a.json);
    }
    const std::string usage = std::string("usage: tkwctl timer list | start|stop|reset N | set N [--value HH:MM:SS]"
                                          " [--name TEXT] ") + kActionUsage;
    const std::string known[] = { "start", "stop", "reset", "set" };
    if (!a.words.empty() && std::find(std::begin(known), std::end(known), a.words[0]) == std::end(known))
        return fail(unknownCommand(a.words[0], "timer") + "\n" + usage, kExitUsage);
    if (a.words.size() < 2)
        return fail(usage, kExitUsage);
    const auto index = timerNumber(a.words[1]);
    if (!index)
        return fail("'" + a.words[1] + "' is not a timer (1 to 16)", kExitUsage);
    SetRequest request;
    if (const auto problem = parseCommand(a.words, request))
        return fail(*problem, kExitUsage);
    // Read, changed and written as one edit: a tool or the runner changing timers.dat at the
    // same moment waits for it.
    platform::EditLockError why = platform::EditLockError::None;
    const auto edit = store::editDataFile(store::kTimersFile, store::kEditWait, &why);
    if (!edit)
        return fail(std::string("timers.dat cannot be changed now: ") + platform::describe(why));
    timers::TimerBoard board;
    const auto now = nowLocalTicks();
    if (const auto problem = loadProblem(board.load(now)))
        return fail(*problem);
    const std::string& command = a.words[0];
    if (command == "start" && a.words.size() == 2)
        return report(board.StartTimer(*index, now));
    if (command == "stop" && a.words.size() == 2)
        return report(board.StopTimer(*index, now));
    if (command == "reset" && a.words.size() == 2)
        return report(board.ResetTimer(*index));
    if (command == "set") {
        if (board.records()[std::size_t(*index)].running)
            return fail("timer " + a.words[1] + " is running; stop it first");
        // Everything is checked before anything changes, so a refusal stores nothing.
        auto& timer = board.records()[std::size_t(*index)];
        ActionFields action = actionFieldsOf(timer);
        if (const auto problem = applyAction(action, request.action, "timer " + a.words[1]))
            return fail(*problem);
        if (request.value)
            board.setInitialValue(*index, (*request.value)[0], (*request.value)[1], (*request.value)[2], now);
        if (request.name) {
            const std::u16string& text = *request.name;
            std::fill(std::begin(timer.name), std::end(timer.name), u'\0');
            std::copy(text.begin(), text.end(), timer.name);
        }
        storeActionFields(timer, action);
        const bool plays = action.actionKind != kActionProgram;
        if (plays && request.action.sound && !timers::writeTimerSound(*index, *request.action.sound))
            return fail("the timer's sound could not be stored");
        const int code = report(timers::TimerOutcome { true, timers::SaveTimer(board.records(), *index), false, false });
        if (a.json)
            std::printf("%s\n", timerJson(timer, *index, now).c_str());
        return code;
    }
    return fail("unknown or incomplete timer command '" + command + "'", kExitUsage);
}

} // namespace tkwctl

// tkwctl alarm: the twenty weekly alarms of alarms.dat, changed the way the Alarms view and
// its settings window change them.

#include "tkwctl/commands.h"

#include "alarms/alarm_board.h"
#include "alarms/alarm_file.h"
#include "alarms/next_alarm.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "tkwctl/action_options.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

namespace tkwctl {

namespace {

constexpr const char* kSetUsage = "usage: tkwctl alarm set N [--time HH:MM] [--days Mon,Tue,...|none] [--label TEXT]"
                                  " [--sound DEVICE-PATH|none] [--on|--off]";
constexpr std::array<const char*, 7> kDayNames { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
constexpr const char* kNoWeekdaysMessage
    = "Your alarm will not activate since you haven't selected any days of the week.";

using platform::localNow;

std::string unreadableMessage()
{
    return "alarms.dat cannot be read whole (it should be a file of 22800 bytes that you may read)";
}

std::optional<int> alarmIndex(const std::string& text)
{
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1 || number > alarms::kAlarmCount)
        return std::nullopt;
    return number - 1;
}

// "Mon,Wed,Fri" in the week's order from Sunday; "none" for an empty mask.
std::string daysText(std::uint8_t weekdays)
{
    std::string text;
    for (int day = 0; day < 7; ++day) {
        if (weekdays & (1u << day))
            text += (text.empty() ? "" : ",") + std::string(kDayNames[std::size_t(day)]);
    }
    return text.empty() ? "none" : text;
}

std::optional<std::uint8_t> parseDays(const std::string& text)
{
    if (text.empty() || text == "none")
        return std::uint8_t(0);
    std::uint8_t mask = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::u16string name = platform::toUtf16(text.substr(start, comma - start));
        const auto found = std::find_if(kDayNames.begin(), kDayNames.end(),
            [&](const char* day) { return platform::equalsIgnoringCase(name, platform::toUtf16(day)); });
        if (found == kDayNames.end())
            return std::nullopt;
        mask = std::uint8_t(mask | (1u << (found - kDayNames.begin())));
        start = comma + 1;
    }
    return mask;
}

std::optional<std::array<int, 2>> parseTime(const std::string& text)
{
    unsigned hour = 0, minute = 0;
    int consumed = 0;
    if (!isDigitGroups(text, ":"))
        return std::nullopt;
    if (std::sscanf(text.c_str(), "%2u:%2u%n", &hour, &minute, &consumed) != 2 || std::size_t(consumed) != text.size()
        || hour > 23 || minute > 59)
        return std::nullopt;
    return std::array<int, 2> { int(hour), int(minute) };
}

std::string timeOfDay(const FILETIME& time)
{
    SYSTEMTIME local { };
    if (!FileTimeToSystemTime(&time, &local))
        return "--:--";
    char text[8];
    std::snprintf(text, sizeof text, "%02u:%02u", unsigned(local.wHour) % 100, unsigned(local.wMinute) % 100);
    return text;
}

// The moment an alarm that is on rings next; "-" for one that is off.
std::string nextText(const alarms::AlarmRecord& alarm)
{
    SYSTEMTIME local { };
    if (!alarm.enabled || !FileTimeToSystemTime(&alarm.alarmTime, &local))
        return "-";
    return isoText(local);
}

const char* actionName(std::uint32_t kind)
{
    switch (kind) {
    case alarms::kShowNotification: return "notification";
    case alarms::kShowPluginView: return "plugin";
    case alarms::kExecuteProgram: return "program";
    default: return "?";
    }
}

std::string alarmJson(const alarms::AlarmRecord& alarm, int index)
{
    return JsonObject().add("alarm", std::int64_t(index + 1)).add("enabled", alarm.enabled != 0)
        .add("time", timeOfDay(alarm.alarmTime)).add("days", daysText(alarm.weekdays & alarms::kWeekdayBits))
        .add("label", platform::toUtf8(alarms::alarmLabel(alarm))).add("next", nextText(alarm))
        .add("wakeUp", std::int64_t(alarm.hNotification)).add("action", actionName(alarm.actionKind))
        .add("program", platform::toUtf8(alarms::fieldText(alarm.programPath)))
        .add("soundIndex", std::int64_t(alarm.soundIndex))
        .add("sound", platform::toUtf8(alarms::ReadAlarmSound(index, alarms::SoundReader::MainProgram)))
        .str();
}

void printAlarm(const alarms::AlarmRecord& alarm, int index)
{
    std::printf("%02d  %-3s  %s  %-27s  %-19s  %s%s\n", index + 1, alarm.enabled ? "on" : "off",
        timeOfDay(alarm.alarmTime).c_str(), daysText(alarm.weekdays & alarms::kWeekdayBits).c_str(),
        nextText(alarm).c_str(), platform::toUtf8(alarms::alarmLabel(alarm)).c_str(),
        alarm.enabled && !alarm.hNotification ? "  (no wake-up)" : "");
}

int list(bool json)
{
    alarms::AlarmTable table { };
    bool read = false;
    platform::FileError why = platform::FileError::None;
    (void)platform::retry(platform::kDataFileRetry, [&] {
        read = alarms::readAlarmsFile(table, &why);
        return read || why != platform::FileError::SharingViolation; // a busy file is read again
    });
    if (!read) {
        // Only looked at: a missing file is shown as the defaults the main program would make.
        if (why != platform::FileError::NotFound && why != platform::FileError::PathNotFound)
            return fail(unreadableMessage());
        alarms::DefaultAlarms(table, localNow());
    }
    const auto next = alarms::summariseAlarms(table);
    if (json) {
        std::vector<std::string> items;
        for (int i = 0; i < alarms::kAlarmCount; ++i)
            items.push_back(alarmJson(table[std::size_t(i)], i));
        JsonObject object;
        if (next.localTime)
            object.add("nextAlarm", isoText(*next.localTime));
        else
            object.addRaw("nextAlarm", "null");
        std::printf("%s\n", object.addRaw("alarms", jsonArray(items)).str().c_str());
        return 0;
    }
    for (int i = 0; i < alarms::kAlarmCount; ++i)
        printAlarm(table[std::size_t(i)], i);
    return 0;
}

struct SetRequest {
    std::optional<std::array<int, 2>> time;
    std::optional<std::uint8_t> days;
    std::optional<std::u16string> label;
    std::optional<std::u16string> sound; // "" for no sound
    std::optional<bool> on;
};

// The options of "alarm set"; a message when they are not understood.
std::optional<std::string> parseSet(const std::vector<std::string>& words, SetRequest& request)
{
    Options options({ "--time", "--days", "--label", "--sound" }, { "--on", "--off" });
    if (auto problem = options.read(words, 2, "alarm set"))
        return problem;
    if (options.given("--on") && options.given("--off"))
        return std::string("--on and --off are given once, not both");
    if (options.given("--on") || options.given("--off"))
        request.on = options.given("--on");
    if (const std::string* value = options.value("--time")) {
        request.time = parseTime(*value);
        if (!request.time)
            return "--time " + inQuotes(*value) + " is not a time of day (HH:MM, 24-hour)";
    }
    if (const std::string* value = options.value("--days")) {
        request.days = parseDays(*value);
        if (!request.days)
            return "--days " + inQuotes(*value) + " is not a list of days (Sun,Mon,Tue,Wed,Thu,Fri,Sat or none)";
    }
    if (const std::string* value = options.value("--label")) {
        request.label.emplace();
        if (auto problem = readText("--label", *value, alarms::kMaxLabelChars, TextKind::Line, *request.label))
            return problem;
    }
    if (const std::string* value = options.value("--sound")) {
        request.sound.emplace();
        if (*value != "none") {
            if (auto problem = readDevicePath("--sound", *value, platform::Links::StayInside, *request.sound))
                return problem;
        }
    }
    return std::nullopt;
}

// The exit code of a change of the time, the weekdays or the switch; the failure is reported.
int report(const alarms::AlarmChange& change)
{
    if (change.busy)
        return fail("alarms.dat is being changed by another program; try again");
    if (change.noWeekdays)
        return fail(kNoWeekdaysMessage);
    if (!change.registered)
        return fail("Not registered");
    if (!change.saved)
        return fail("alarms.dat could not be written");
    return 0;
}

int set(const Arguments& a)
{
    const auto index = alarmIndex(a.words[1]);
    if (!index)
        return fail("'" + a.words[1] + "' is not an alarm (1 to 20)", kExitUsage);
    SetRequest request;
    if (const auto problem = parseSet(a.words, request))
        return fail(*problem + "\n" + kSetUsage, kExitUsage);
    if (request.sound && !request.sound->empty() && !platform::fileExists(*request.sound))
        return fail("there is no sound file " + platform::toUtf8(*request.sound));

    (void)store::createDataDirectory(); // Made by the main program's first start; saving tells.
    // The whole command is one edit of alarms.dat: another tool or the runner changing
    // alarms at the same moment waits for it, and it reads what they wrote. Every option is
    // applied to the record read, which is then written once.
    platform::EditLockError why = platform::EditLockError::None;
    const auto edit = store::editDataFile(store::kAlarmsFile, store::kEditWait, &why);
    if (!edit)
        return fail(std::string("alarms.dat cannot be changed now: ") + platform::describe(why));
    alarms::AlarmEdit change;
    change.label = request.label;
    if (request.sound) {
        change.soundPath = *request.sound;
        change.soundIndex = request.sound->empty() ? 0 : soundChooserPosition(*request.sound);
    }
    if (request.time)
        change.time = alarms::AlarmEdit::Time { (*request.time)[0], (*request.time)[1] };
    change.weekdays = request.days;
    change.on = request.on;
    alarms::AlarmBoard board(alarms::Holder::OtherTool);
    // The view goes on with whatever arrived; a tool must not write a damaged file back whole.
    const auto outcome = board.editAlarm(*index, change, localNow());
    if (outcome.change.busy)
        return fail(unreadableMessage());
    if (outcome.soundRefused)
        return fail("alarm " + a.words[1] + " starts a program and plays no sound");
    const auto& alarm = board.records()[std::size_t(*index)];

    // The first option that failed is reported, in the order the options are applied.
    int code = 0;
    if (request.label && !outcome.change.saved)
        code = fail("alarms.dat could not be written");
    else if (request.sound && (!outcome.soundStored || !outcome.change.saved))
        code = fail("the alarm's sound could not be stored");
    else if (request.time || request.days || request.on)
        code = report(outcome.change);

    if (a.json)
        std::printf("%s\n", alarmJson(alarm, *index).c_str());
    else
        printAlarm(alarm, *index);
    return code;
}

} // namespace

int runAlarm(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl alarm list | set N [--time HH:MM] [--days Mon,Tue,...|none]"
                                   " [--label TEXT] [--sound DEVICE-PATH|none] [--on|--off]";
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command == "list") {
        if (const auto problem = noMoreWords(a.words, 1, "alarm list"))
            return fail(*problem, kExitUsage);
        return list(a.json);
    }
    if (command == "set" && a.words.size() >= 2)
        return set(a);
    if (command == "set")
        return fail("'alarm set' needs an alarm number\n" + std::string(kUsage), kExitUsage);
    return fail((command.empty() ? std::string() : unknownCommand(command, "alarm") + "\n") + kUsage, kExitUsage);
}

} // namespace tkwctl

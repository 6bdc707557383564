// tkwctl city: the city database of the program folder, shown and changed through the same
// library the Edit Cities page uses: every change is one edit of the six continent files
// under the database's edit lock.

#include "tkwctl/commands.h"

#include "cities/city_database.h"
#include "cities/city_record.h"
#include "cities/world_time.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "tkwctl/city_lookup.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tkwctl {

namespace {

std::string utf8(std::u16string_view text)
{
    return platform::toUtf8(text);
}

constexpr const char* kCityUsage
    = "usage: tkwctl city list [--continent N]\n"
      "       tkwctl city show NAME|--at C,I [--year Y]\n"
      "       tkwctl city time NAME [--at YYYY-MM-DDTHH:MM[:SS][Z]]\n"
      "       tkwctl city add --continent N --name TEXT --offset MINUTES --lat DD:MMN|S"
      " --lon DDD:MME|W [--daylight M,WD,N/M,WD,N|none] [--hours H/H]\n"
      "       tkwctl city edit NAME|--at C,I [the options of add but --continent]\n"
      "       tkwctl city delete NAME|--at C,I";

// The city editor's own messages.
constexpr const char* kNoNameMessage = "Please enter name of city.";
constexpr const char* kBadPositionMessage = "Please enter correct latitude and logitude data.";
constexpr const char* kHomeLocationMessage = "You can't delete home location city.";

// The editor's offset picker: twelve hours west to fourteen east.
constexpr std::int64_t kSmallestOffset = -12 * 60;
constexpr std::int64_t kLargestOffset = 14 * 60;
// Hours a new city's clocks change at when neither the command nor the device's zone says.
constexpr int kDefaultDaylightStartHour = 2;
constexpr int kDefaultDaylightEndHour = 3;

// ---- a city as tkwctl shows it

std::string ruleDayJson(const cities::RuleDay& day, int hour)
{
    return JsonObject()
        .add("month", std::int64_t(day.month))
        .add("weekday", std::int64_t(day.weekday))
        .add("occurrence", std::int64_t(day.occurrence))
        .add("hour", std::int64_t(hour))
        .str();
}

std::string ruleJson(const cities::CityRecord& city)
{
    const auto rule = cities::daylightRule(city);
    if (!rule)
        return "null";
    return JsonObject()
        .addRaw("start", ruleDayJson(rule->daylightStart, city.daylightStartHour))
        .addRaw("end", ruleDayJson(rule->standardStart, city.daylightEndHour))
        .str();
}

std::string ruleText(const cities::CityRecord& city)
{
    const auto rule = cities::daylightRule(city);
    if (!rule)
        return "no daylight saving";
    const auto dayText = [](const cities::RuleDay& day, int hour) {
        return ruleDayText(day.month, day.weekday, day.occurrence, hour);
    };
    return "daylight from the " + dayText(rule->daylightStart, city.daylightStartHour) + " to the "
        + dayText(rule->standardStart, city.daylightEndHour);
}

std::string dateText(int year, const cities::RuleDay& day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, day.month,
        cities::transitionDay(year, day.month, day.weekday, day.occurrence));
    return text;
}

JsonObject cityObject(const cities::CityRef& ref, const cities::CityRecord& city)
{
    JsonObject object;
    object.add("continent", std::int64_t(ref.continent))
        .add("index", std::int64_t(ref.index))
        .add("name", utf8(cities::cityName(city)))
        .add("offsetMinutes", std::int64_t(city.offsetMinutes))
        .add("latitude", cities::latitudeText(city))
        .add("longitude", cities::longitudeText(city))
        .addRaw("daylight", ruleJson(city));
    return object;
}

std::string cityLine(const cities::CityRef& ref, const cities::CityRecord& city)
{
    char text[160];
    std::snprintf(text, sizeof text, "%d,%-4d %-20s %-12s %-7s %-7s ", ref.continent, ref.index,
        utf8(cities::cityName(city)).c_str(),
        utf8(cities::editorOffsetText(city.offsetMinutes)).c_str(),
        cities::latitudeText(city).c_str(), cities::longitudeText(city).c_str());
    return text + ruleText(city);
}

// The city as `city show` prints it; `year` picks the transitions shown.
void printCity(const cities::CityRef& ref, const cities::CityRecord& city, int year, bool json)
{
    const auto rule = cities::daylightRule(city);
    if (json) {
        JsonObject object = cityObject(ref, city);
        if (rule)
            object.addRaw("transitions",
                JsonObject()
                    .add("year", std::int64_t(year))
                    .add("daylightStart", dateText(year, rule->daylightStart))
                    .add("standardStart", dateText(year, rule->standardStart))
                    .str());
        else
            object.addRaw("transitions", "null");
        std::printf("%s\n", object.str().c_str());
        return;
    }
    std::printf("%s\n", utf8(cities::cityName(city)).c_str());
    std::printf("place:      %s, --at %s\n", kContinentNames[std::size_t(ref.continent)],
        placeText(ref).c_str());
    std::printf("offset:     %s\n", utf8(cities::editorOffsetText(city.offsetMinutes)).c_str());
    std::printf("position:   %s %s\n", cities::latitudeText(city).c_str(),
        cities::longitudeText(city).c_str());
    std::printf("daylight:   %s\n", ruleText(city).c_str());
    if (rule)
        std::printf("in %d:    daylight time from %s, standard time from %s\n", year,
            dateText(year, rule->daylightStart).c_str(),
            dateText(year, rule->standardStart).c_str());
}

// ---- the read commands

int listCities(const cities::CityDatabase& database, std::optional<int> onlyContinent, bool json)
{
    std::vector<std::string> items;
    for (int continent = 0; continent < cities::kContinentCount; ++continent) {
        if (onlyContinent && continent != *onlyContinent)
            continue;
        if (!json)
            std::printf("%s\n", kContinentNames[std::size_t(continent)]);
        for (int index = 0; index < database.count(continent); ++index) {
            const cities::CityRecord* city = database.record(continent, index);
            if (!city)
                continue;
            if (json)
                items.push_back(cityObject({ continent, index }, *city).str());
            else
                std::printf("  %s\n", cityLine({ continent, index }, *city).c_str());
        }
    }
    if (json)
        std::printf("%s\n", jsonArray(items).c_str());
    return 0;
}

int showTime(const cities::CityRecord& city, std::uint64_t universalTicks, bool json)
{
    const auto universal = platform::systemTimeOfTicks(universalTicks);
    if (!universal)
        return fail("that moment is past the last the device can show");
    const SYSTEMTIME local = cities::cityLocalTime(city, universalTicks);
    const bool daylight = cities::isDaylight(cities::zoneOfCity(city), *universal);
    const int offset = cities::currentOffsetMinutes(city, universalTicks);
    const std::string label = utf8(cities::offsetLabel(city));
    if (json) {
        std::printf("%s\n",
            JsonObject()
                .add("utc", isoText(*universal) + "Z")
                .add("local", isoText(local))
                .add("daylight", daylight)
                .add("offsetMinutes", std::int64_t(offset))
                .add("label", label)
                .str()
                .c_str());
    } else {
        std::printf("%s  %s (%s, %+d min)\nuniversal %sZ\n", label.c_str(), isoText(local).c_str(),
            daylight ? "daylight time" : "standard time", offset, isoText(*universal).c_str());
    }
    return 0;
}

// ---- add and edit: the city editor's fields

struct CityChanges {
    std::optional<std::u16string> name;
    std::optional<std::int16_t> offsetMinutes;
    const std::string* latitude = nullptr;
    const std::string* longitude = nullptr;
    std::optional<std::optional<cities::DaylightRule>>
        daylight; // set: given; inner nullopt: "none"
    std::optional<std::pair<int, int>> hours;
};

std::optional<cities::RuleDay> parseRuleDay(std::string_view text)
{
    std::array<std::int64_t, 3> parts {};
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t end = i + 1 < parts.size() ? text.find(',', start) : text.size();
        if (end == std::string_view::npos)
            return std::nullopt;
        const auto number = wholeNumber(text.substr(start, end - start), 0, 12);
        if (!number)
            return std::nullopt;
        parts[i] = *number;
        start = end + 1;
    }
    if (parts[0] < 1 || parts[1] > 6 || parts[2] < 1 || parts[2] > 5)
        return std::nullopt;
    return cities::RuleDay { int(parts[0]), int(parts[1]), int(parts[2]) };
}

// The options of add and edit, read into `changes`: a malformed value is a problem (exit 2).
// The name and the position are judged later with the editor's own messages.
Problem readChanges(const Options& options, CityChanges& changes)
{
    if (const std::string* name = options.value("--name")) {
        std::u16string text;
        if (auto problem = readText("--name", *name, 0, TextKind::Line, text))
            return problem;
        changes.name = std::move(text);
    }
    if (const std::string* offset = options.value("--offset")) {
        const auto minutes = wholeNumber(*offset, kSmallestOffset, kLargestOffset);
        if (!minutes)
            return "--offset " + inQuotes(*offset)
                + " is not an offset in minutes from universal time ("
                + std::to_string(kSmallestOffset) + " to " + std::to_string(kLargestOffset)
                + ", east positive)";
        changes.offsetMinutes = std::int16_t(*minutes);
    }
    changes.latitude = options.value("--lat");
    changes.longitude = options.value("--lon");
    if (const std::string* daylight = options.value("--daylight")) {
        if (*daylight == "none") {
            changes.daylight.emplace(std::nullopt);
        } else {
            const std::size_t slash = daylight->find('/');
            const auto start = slash == std::string::npos
                ? std::nullopt
                : parseRuleDay(std::string_view(*daylight).substr(0, slash));
            const auto end = slash == std::string::npos
                ? std::nullopt
                : parseRuleDay(std::string_view(*daylight).substr(slash + 1));
            if (!start || !end)
                return "--daylight " + inQuotes(*daylight)
                    + " is not MONTH,WEEKDAY,OCCURRENCE/MONTH,WEEKDAY,OCCURRENCE (month 1-12, "
                      "weekday 0 Sunday to"
                      " 6, occurrence 1-4 or 5 for the last) or none";
            changes.daylight.emplace(cities::DaylightRule { *start, *end });
        }
    }
    if (const std::string* hours = options.value("--hours")) {
        const std::size_t slash = hours->find('/');
        const auto start = slash == std::string::npos
            ? std::nullopt
            : wholeNumber(std::string_view(*hours).substr(0, slash), 0, 23);
        const auto end = slash == std::string::npos
            ? std::nullopt
            : wholeNumber(std::string_view(*hours).substr(slash + 1), 0, 23);
        if (!start || !end)
            return "--hours " + inQuotes(*hours)
                + " is not START/END (hours 0 to 23 the clocks change at)";
        changes.hours.emplace(int(*start), int(*end));
    }
    return std::nullopt;
}

// The changes applied to `city` in the editor's order of checks; the editor's message when
// the name is empty or the position is out of range, and `city` is then left alone.
std::optional<std::string> applyChanges(const CityChanges& changes, cities::CityRecord& city)
{
    cities::CityRecord changed = city;
    if (changes.name) {
        if (changes.name->empty())
            return std::string(kNoNameMessage);
        cities::setCityName(changed, *changes.name);
    }
    if (changes.offsetMinutes)
        changed.offsetMinutes = *changes.offsetMinutes;
    if (changes.latitude) {
        const auto angle = cities::parseAngle(*changes.latitude, true);
        if (!angle)
            return std::string(kBadPositionMessage);
        changed.latitudeDegrees = std::uint16_t(angle->degrees);
        changed.latitudeMinutes = std::uint16_t(angle->minutes);
        changed.north = angle->positive ? 1 : 0;
    }
    if (changes.longitude) {
        const auto angle = cities::parseAngle(*changes.longitude, false);
        if (!angle)
            return std::string(kBadPositionMessage);
        changed.longitudeDegrees = std::uint16_t(angle->degrees);
        changed.longitudeMinutes = std::uint16_t(angle->minutes);
        changed.east = angle->positive ? 1 : 0;
    }
    if (changes.daylight)
        cities::setDaylightRule(changed, *changes.daylight);
    if (changes.hours) {
        changed.daylightStartHour = std::uint8_t(changes.hours->first);
        changed.daylightEndHour = std::uint8_t(changes.hours->second);
    }
    city = changed;
    return std::nullopt;
}

// What the editor starts a new city with: no name, offset 0, position 0:00, and the device
// zone's rule (switched off until asked for) with its hours.
cities::CityRecord newCity()
{
    cities::CityRecord city {};
    city.north = 1;
    city.east = 1;
    city.daylightStartHour = kDefaultDaylightStartHour;
    city.daylightEndHour = kDefaultDaylightEndHour;
    TIME_ZONE_INFORMATION zone {};
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID && zone.DaylightDate.wMonth != 0
        && zone.DaylightDate.wYear == 0 && zone.StandardDate.wMonth != 0) {
        const auto day = [](const SYSTEMTIME& date) {
            return cities::RuleDay { date.wMonth, date.wDayOfWeek, date.wDay };
        };
        cities::setDaylightRule(
            city, cities::DaylightRule { day(zone.DaylightDate), day(zone.StandardDate) });
        cities::setDaylightRule(
            city, std::nullopt); // the rule bytes stay for when it is switched on
        city.daylightStartHour = std::uint8_t(zone.DaylightDate.wHour % 24);
        city.daylightEndHour = std::uint8_t(zone.StandardDate.wHour % 24);
    }
    return city;
}

int editFailure(cities::EditError error)
{
    switch (error) {
    case cities::EditError::None:
        return 0;
    case cities::EditError::HomeLocation:
        return fail(kHomeLocationMessage);
    case cities::EditError::Busy:
        return fail("the city database is being changed by another program; try again");
    case cities::EditError::WriteFailed:
        return fail("the city files cannot be written; they stay as they were");
    default:
        return fail(std::string("the city database was not changed: ") + cities::describe(error));
    }
}

// ---- the commands that name one city

// The city a command names by its first word after the command, or by "--at C,I".
struct Target {
    std::optional<cities::CityRef> ref;
    std::string problem;
    int exitCode = kExitFailure;
};

Target findTarget(const cities::CityDatabase& database, const std::optional<std::string>& name,
    const std::string* at, std::string_view command)
{
    Target target;
    if (name && at) {
        target.problem = "'" + std::string(command) + "' takes a NAME or --at C,I, not both";
        target.exitCode = kExitUsage;
    } else if (!name && !at) {
        target.problem
            = "'" + std::string(command) + "' needs a city: NAME or --at C,I\n" + kCityUsage;
        target.exitCode = kExitUsage;
    } else {
        target.ref = name ? cityByName(database, *name, target.problem)
                          : cityAt(database, *at, target.problem);
    }
    return target;
}

int currentYear()
{
    return platform::localNow().wYear;
}

int runShow(const std::vector<std::string>& words, bool json)
{
    const auto name = positionalName(words);
    Options options({ "--at", "--year" });
    if (auto problem = options.read(words, name ? 2 : 1, "city show"))
        return fail(*problem, kExitUsage);
    int year = currentYear();
    if (const std::string* text = options.value("--year")) {
        const auto given = wholeNumber(*text, 1601, 30827);
        if (!given)
            return fail("--year " + inQuotes(*text) + " is not a year (1601 to 30827)", kExitUsage);
        year = int(*given);
    }
    const auto data = readCityData();
    if (!data)
        return kExitFailure;
    const cities::CityDatabase& database = data->database;
    const Target target = findTarget(database, name, options.value("--at"), "city show");
    if (!target.ref)
        return fail(target.problem, target.exitCode);
    printCity(*target.ref, *database.record(*target.ref), year, json);
    return 0;
}

int runTime(const std::vector<std::string>& words, bool json)
{
    const auto name = positionalName(words);
    if (!name)
        return fail("'city time' needs a city name\n" + std::string(kCityUsage), kExitUsage);
    Options options({ "--at" });
    if (auto problem = options.read(words, 2, "city time"))
        return fail(*problem, kExitUsage);
    std::uint64_t universalTicks = cities::universalTicksNow();
    if (const std::string* at = options.value("--at")) {
        const auto given = parseIsoMoment(*at);
        if (!given)
            return fail("--at " + inQuotes(*at)
                    + " is not YYYY-MM-DDTHH:MM[:SS] (the device's local time) or the same ending "
                      "in Z (universal)",
                kExitUsage);
        universalTicks = *given;
    }
    const auto data = readCityData();
    if (!data)
        return kExitFailure;
    const cities::CityDatabase& database = data->database;
    std::string problem;
    const auto ref = cityByName(database, *name, problem);
    if (!ref)
        return fail(problem);
    return showTime(*database.record(*ref), universalTicks, json);
}

int runList(const std::vector<std::string>& words, bool json)
{
    Options options({ "--continent" });
    if (auto problem = options.read(words, 1, "city list"))
        return fail(*problem, kExitUsage);
    std::optional<int> continent;
    if (const std::string* text = options.value("--continent")) {
        const auto given = wholeNumber(*text, 0, cities::kContinentCount - 1);
        if (!given)
            return fail("--continent " + inQuotes(*text)
                    + " is not a continent: 0 Africa, 1 Asia, 2 Australia, 3 Europe, 4 North "
                      "America, 5 South America",
                kExitUsage);
        continent = int(*given);
    }
    const auto data = readCityData();
    if (!data)
        return kExitFailure;
    const cities::CityDatabase& database = data->database;
    return listCities(database, continent, json);
}

int runAdd(const std::vector<std::string>& words, bool json)
{
    Options options(
        { "--continent", "--name", "--offset", "--lat", "--lon", "--daylight", "--hours" });
    if (auto problem = options.read(words, 1, "city add"))
        return fail(*problem, kExitUsage);
    for (const char* needed : { "--continent", "--name", "--offset", "--lat", "--lon" }) {
        if (!options.given(needed))
            return fail("'city add' needs " + std::string(needed) + "\n" + kCityUsage, kExitUsage);
    }
    const std::string& continentText = *options.value("--continent");
    const auto continent = wholeNumber(continentText, 0, cities::kContinentCount - 1);
    if (!continent)
        return fail(
            "--continent " + inQuotes(continentText) + " is not a continent (0 to 5)", kExitUsage);
    CityChanges changes;
    if (auto problem = readChanges(options, changes))
        return fail(*problem, kExitUsage);
    cities::CityRecord city = newCity();
    if (auto refused = applyChanges(changes, city))
        return fail(*refused);
    auto edit = beginCityEdit();
    if (!edit)
        return kExitFailure;
    cities::CityDatabase& database = edit->data.database;
    int added = -1;
    if (const auto error = database.add(int(*continent), city, &added);
        error != cities::EditError::None)
        return editFailure(error);
    const cities::CityRef ref { int(*continent), added };
    if (const cities::CityRecord* stored = database.record(ref))
        printCity(ref, *stored, currentYear(), json);
    return 0;
}

int runEdit(const std::vector<std::string>& words, bool json)
{
    const auto name = positionalName(words);
    Options options({ "--at", "--name", "--offset", "--lat", "--lon", "--daylight", "--hours" });
    if (auto problem = options.read(words, name ? 2 : 1, "city edit"))
        return fail(*problem, kExitUsage);
    CityChanges changes;
    if (auto problem = readChanges(options, changes))
        return fail(*problem, kExitUsage);
    auto edit = beginCityEdit();
    if (!edit)
        return kExitFailure;
    cities::CityDatabase& database = edit->data.database;
    const Target target = findTarget(database, name, options.value("--at"), "city edit");
    if (!target.ref)
        return fail(target.problem, target.exitCode);
    cities::CityRecord city = *database.record(*target.ref);
    if (auto refused = applyChanges(changes, city))
        return fail(*refused);
    // The city is named by its new name from here on: a changed name may move it in the lists
    // of a later reading.
    const auto slot = database.registerSlot(*target.ref);
    if (const auto error = database.edit(*target.ref, city); error != cities::EditError::None)
        return editFailure(error);
    const cities::CityRef ref = database.slot(slot);
    if (const cities::CityRecord* stored = database.record(ref))
        printCity(ref, *stored, currentYear(), json);
    return 0;
}

int runDelete(const std::vector<std::string>& words)
{
    const auto name = positionalName(words);
    Options options({ "--at" });
    if (auto problem = options.read(words, name ? 2 : 1, "city delete"))
        return fail(*problem, kExitUsage);
    auto edit = beginCityEdit();
    if (!edit)
        return kExitFailure;
    cities::CityDatabase& database = edit->data.database;
    const Target target = findTarget(database, name, options.value("--at"), "city delete");
    if (!target.ref)
        return fail(target.problem, target.exitCode);
    const std::string described = describeCity(database, *target.ref);
    if (const auto error = database.remove(*target.ref); error != cities::EditError::None)
        return editFailure(error);
    std::printf("deleted %s\n", described.c_str());
    return 0;
}

} // namespace

int runCity(const Arguments& a)
{
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command == "list")
        return runList(a.words, a.json);
    if (command == "show")
        return runShow(a.words, a.json);
    if (command == "time")
        return runTime(a.words, a.json);
    if (command == "add")
        return runAdd(a.words, a.json);
    if (command == "edit")
        return runEdit(a.words, a.json);
    if (command == "delete")
        return runDelete(a.words);
    return fail(unknownCommandUsage(command, "city", kCityUsage), kExitUsage);
}

} // namespace tkwctl

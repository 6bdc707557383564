// tkwctl zone: the device's time zone, and a city's zone given to the device as OK in the
// Home Location dialog gives it.

#include "tkwctl/commands.h"

#include "cities/world_time.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"
#include "tkwctl/city_lookup.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <cstdio>

namespace tkwctl {

namespace {

constexpr const char* kZoneUsage = "usage: tkwctl zone show | apply NAME [--keep-utc]";

std::string utf8(std::u16string_view text)
{
    return platform::toUtf8(text);
}

std::string zoneRuleJson(const TIME_ZONE_INFORMATION& zone)
{
    if (!platform::hasDaylightRule(zone))
        return "null";
    const auto day = [](const SYSTEMTIME& date) {
        return JsonObject()
            .add("month", std::int64_t(date.wMonth))
            .add("weekday", std::int64_t(date.wDayOfWeek))
            .add("occurrence", std::int64_t(date.wDay))
            .add("hour", std::int64_t(date.wHour))
            .str();
    };
    return JsonObject()
        .addRaw("start", day(zone.DaylightDate))
        .addRaw("end", day(zone.StandardDate))
        .add("biasMinutes", std::int64_t(zone.DaylightBias))
        .str();
}

std::string zoneRuleText(const TIME_ZONE_INFORMATION& zone)
{
    if (!platform::hasDaylightRule(zone))
        return "no daylight saving";
    const auto day = [](const SYSTEMTIME& date) {
        if (date.wYear != 0)
            return isoText(date);
        return ruleDayText(date.wMonth, date.wDayOfWeek, date.wDay, date.wHour);
    };
    return "daylight from the " + day(zone.DaylightDate) + " to the " + day(zone.StandardDate);
}

int showZone(bool json)
{
    TIME_ZONE_INFORMATION zone {};
    const DWORD state = GetTimeZoneInformation(&zone);
    if (state == TIME_ZONE_ID_INVALID)
        return fail("the device's time zone cannot be read");
    const bool daylightNow = state == TIME_ZONE_ID_DAYLIGHT;
    // The world-time city is named only when the device keeps its zone; without a readable
    // database the zone is still worth showing.
    std::optional<std::string> worldCity;
    if (const auto settings = readSettings()) {
        cities::LoadError why = cities::LoadError::None;
        const auto database = loadDatabase(settings->record, &why);
        if (!database.available())
            std::fprintf(stderr, "tkwctl: %s\n", loadProblem(why).c_str());
        else if (const cities::CityRecord* world = database.currentCity();
                 world && !cities::zoneDiffers(zone, cities::zoneOfCity(*world)))
            worldCity = utf8(cities::cityName(*world));
    }
    if (json) {
        std::printf("%s\n",
            JsonObject()
                .add("biasMinutes", std::int64_t(zone.Bias))
                .addRaw("daylight", zoneRuleJson(zone))
                .add("daylightNow", daylightNow)
                .addRaw("worldCity", worldCity ? jsonString(*worldCity) : std::string("null"))
                .str()
                .c_str());
        return 0;
    }
    std::printf("offset:     %s%s\n", utf8(cities::editorOffsetText(-zone.Bias)).c_str(),
        daylightNow ? ", daylight time now" : "");
    std::printf("daylight:   %s\n", zoneRuleText(zone).c_str());
    std::printf("world city: %s\n", worldCity ? worldCity->c_str() : "none keeps this zone");
    return 0;
}

int applyZone(const std::vector<std::string>& words)
{
    const auto name = positionalName(words);
    if (!name)
        return fail("'zone apply' needs a city name\n" + std::string(kZoneUsage), kExitUsage);
    Options options({}, { "--keep-utc" });
    if (auto problem = options.read(words, 2, "zone apply"))
        return fail(*problem, kExitUsage);
    // The settings' cities are read, changed and written as one edit, so that a program
    // saving its settings at the same moment keeps its change or ours whole, never half.
    platform::EditLockError why = platform::EditLockError::None;
    const auto edit = store::editDataFile(store::kSettingsFile, store::kEditWait, &why);
    if (!edit)
        return fail(std::string("settings.dat cannot be changed now: ") + platform::describe(why));
    auto settings = readSettings();
    if (!settings)
        return kExitFailure;
    auto database = openDatabase(settings->record);
    if (!database)
        return kExitFailure;
    std::string problem;
    const auto ref = cityByName(*database, *name, problem);
    if (!ref)
        return fail(problem);
    cities::ApplyOptions apply;
    apply.keepUniversalTime = options.given("--keep-utc");
    const bool zoneChanged = cities::applyCityZone(*database, *ref, apply);
    // As the Home Location dialog's OK outside the first start: the city is the world-time
    // city, and the Visiting city unless it is the Home city.
    settings->record.worldCity = storedRefOf(*ref);
    const cities::CityRecord* home
        = database->record(database->slot(cities::CityDatabase::kHomeSlot));
    if (home != database->record(*ref))
        settings->record.visitingCity = storedRefOf(*ref);
    if (!settings->fromFile && platform::fileExists(store::DataFilePath(store::kSettingsFile)))
        std::fprintf(stderr,
            "tkwctl: settings.dat had the wrong size; it is replaced by the defaults with this "
            "change\n");
    if (!store::SaveSettings(settings->record))
        return fail("the zone is set, but settings.dat cannot be written: the world-time city "
                    "stays as it was");
    store::signalByName(store::kTodaySettingsChanged);
    const std::string label = utf8(cities::offsetLabel(*database->record(*ref)));
    if (zoneChanged)
        std::printf("the device keeps the zone of %s now\n", label.c_str());
    else
        std::printf(
            "the device keeps the zone of %s already; the world-time city is set\n", label.c_str());
    return 0;
}

} // namespace

int runCityZone(const Arguments& a)
{
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command == "show") {
        if (const auto problem = noMoreWords(a.words, 1, "zone show"))
            return fail(*problem, kExitUsage);
        return showZone(a.json);
    }
    if (command == "apply")
        return applyZone(a.words);
    return fail(unknownCommandUsage(command, "zone", kZoneUsage), kExitUsage);
}

} // namespace tkwctl

// tkwctl moon, sun, beat and convert: the Moon, Sun rise/set, Internet Time and Time Calc
// views' computations for a moment, place or city given on the command line, through the same
// astro library calls the views make.

#include "tkwctl/commands.h"

#include "astro/beat.h"
#include "astro/julian.h"
#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/time_calc.h"
#include "cities/city_database.h"
#include "cities/city_record.h"
#include "cities/world_time.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/text.h"
#include "store/settings.h"
#include "tkwctl/city_lookup.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace tkwctl {

namespace {

constexpr const char* kMomentHelp
    = "is not YYYY-MM-DDTHH:MM[:SS] (the device's local time) or the same ending in Z "
      "(universal)";

// Moments whose phases and apsides all stay inside four-digit years.
constexpr int kFirstAstroYear = 1602;
constexpr int kLastAstroYear = 9998;

// The offsets a zone can have: twelve hours west to fourteen east.
constexpr double kSmallestOffsetHours = -12;
constexpr double kLargestOffsetHours = 14;
constexpr int kMinutesPerDay = 24 * 60;

std::string utf8(std::u16string_view text)
{
    return platform::toUtf8(text);
}

std::string utcText(const SYSTEMTIME& universal)
{
    return isoText(universal) + "Z";
}

std::string dateOnly(const SYSTEMTIME& date)
{
    return isoText(date).substr(0, 10);
}

// A number with a fraction as JSON and as text: 1, -3.5, 5.75.
std::string decimalText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// The moment of "--at", or now; nullopt after telling what was wrong (exit 2 then).
std::optional<SYSTEMTIME> universalMomentOf(const Options& options)
{
    std::uint64_t ticks = cities::universalTicksNow();
    if (const std::string* at = options.value("--at")) {
        const auto given = parseIsoMoment(*at);
        if (!given) {
            fail("--at " + inQuotes(*at) + " " + kMomentHelp, kExitUsage);
            return std::nullopt;
        }
        ticks = *given;
    }
    const auto universal = platform::systemTimeOfTicks(ticks);
    if (!universal)
        fail("the moment lies outside the calendar", kExitUsage);
    return universal;
}

// ---- moon

constexpr const char* kMoonUsage = "usage: tkwctl moon [--at YYYY-MM-DDTHH:MM[:SS][Z]] [--south]";

const char* phaseKindName(astro::PhaseKind kind)
{
    switch (kind) {
    case astro::PhaseKind::NewMoon:
        return "new";
    case astro::PhaseKind::FirstQuarter:
        return "first";
    case astro::PhaseKind::FullMoon:
        return "full";
    case astro::PhaseKind::LastQuarter:
        return "last";
    }
    return "new";
}

// Whether the Moon view of this device shows the southern picture: its current city lies
// south of the equator. A device without readable cities is taken to be in the north (and
// told so on standard error).
bool deviceSeesMoonFromTheSouth()
{
    const auto data = readCityData(CityRead::InsideEdit);
    return data && astro::seenFromTheSouth(data->database.currentCity());
}

int runMoonCommand(const Arguments& arguments)
{
    Options options({ "--at" }, { "--south" });
    if (auto problem = options.read(arguments.words, 0, "moon"))
        return fail(*problem + "\n" + kMoonUsage, kExitUsage);
    const auto universal = universalMomentOf(options);
    if (!universal)
        return kExitUsage;
    if (universal->wYear < kFirstAstroYear || universal->wYear > kLastAstroYear)
        return fail("the Moon is computed for the years " + std::to_string(kFirstAstroYear) + " to "
                + std::to_string(kLastAstroYear),
            kExitUsage);
    const bool south = options.given("--south") || deviceSeesMoonFromTheSouth();

    const astro::MoonReport report = astro::moonReport(*universal);
    // Every instant lies within a lunation of a moment inside four-digit years.
    const auto instantText = [](double julianDay) {
        const auto time = astro::systemTimeOfJulianDay(julianDay);
        return time ? utcText(*time) : std::string("?");
    };
    const std::string age = utf8(report.text.age);
    const std::string name = utf8(astro::englishPhaseName(report.text.nameId));
    const int picture = astro::hemispherePicture(report.text.picture, south);

    if (arguments.json) {
        std::vector<std::string> phases;
        for (const astro::Phase& phase : report.phases.phases)
            phases.push_back(JsonObject()
                                 .add("kind", phaseKindName(phase.kind))
                                 .add("at", instantText(phase.instant))
                                 .str());
        const auto apsis = [&](double instant, int distanceKm) {
            return JsonObject()
                .add("at", instantText(instant))
                .add("distanceKm", std::int64_t(distanceKm))
                .str();
        };
        std::printf("%s\n",
            JsonObject()
                .add("moment", utcText(*universal))
                .addRaw("phases", jsonArray(phases))
                .add("previousNewMoon", instantText(report.phases.previousNewMoon))
                .add("nextNewMoon", instantText(report.phases.nextNewMoon))
                .add("illuminatedPercent", std::int64_t(report.position.visiblePercent))
                .add("distanceKm", std::int64_t(report.position.distanceKm))
                .add("age", age)
                .add("phaseName", name)
                .add("picture", std::int64_t(picture))
                .add("south", south)
                .addRaw("perigee", apsis(report.apsides.perigee, report.apsides.perigeeDistanceKm))
                .addRaw("apogee", apsis(report.apsides.apogee, report.apsides.apogeeDistanceKm))
                .str()
                .c_str());
        return 0;
    }
    std::printf("The Moon at %s\n", utcText(*universal).c_str());
    std::printf("phase:     %s (picture %d, %s)\n", name.c_str(), picture,
        south ? "southern hemisphere" : "northern hemisphere");
    std::printf("visible:   %d%%\n", report.position.visiblePercent);
    std::printf("age:       %s\n", age.c_str());
    std::printf("distance:  %d km\n", report.position.distanceKm);
    std::printf("apogee:    %s  %d km\n", instantText(report.apsides.apogee).c_str(),
        report.apsides.apogeeDistanceKm);
    std::printf("perigee:   %s  %d km\n", instantText(report.apsides.perigee).c_str(),
        report.apsides.perigeeDistanceKm);
    std::printf("new moons: %s and %s\n", instantText(report.phases.previousNewMoon).c_str(),
        instantText(report.phases.nextNewMoon).c_str());
    for (const astro::Phase& phase : report.phases.phases)
        std::printf("  %-6s %s\n", phaseKindName(phase.kind), instantText(phase.instant).c_str());
    return 0;
}

// ---- sun

constexpr const char* kSunUsage
    = "usage: tkwctl sun --lat DD:MMN|S --lon DDD:MME|W [--offset HOURS] [--date YYYY-MM-DD]\n"
      "       tkwctl sun --city NAME [--offset HOURS] [--date YYYY-MM-DD]";

constexpr std::array<const char*, 4> kSunEventNames { "sunrise", "civil", "nautical",
    "astronomical" };

// Hours from universal time: a decimal number ("-3.5", "5.75") from −12 to +14 that lands
// on a whole minute.
std::optional<double> parseOffsetHours(const std::string& text)
{
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    const std::size_t point = digits.find('.');
    const auto isDigits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!isDigits(digits.substr(0, point))
        || (point != std::string_view::npos && !isDigits(digits.substr(point + 1)))
        || digits.size() > 12)
        return std::nullopt;
    const double hours = std::strtod(text.c_str(), nullptr);
    const double minutes = hours * 60;
    if (hours < kSmallestOffsetHours || hours > kLargestOffsetHours
        || std::abs(minutes - std::round(minutes)) > 1e-9)
        return std::nullopt;
    return hours;
}

// The device's own offset on `date` (at noon, clear of the hours its clocks change in).
double deviceOffsetHoursOn(const SYSTEMTIME& date)
{
    SYSTEMTIME noon = date;
    noon.wHour = 12;
    FILETIME local {};
    FILETIME universal {};
    if (!SystemTimeToFileTime(&noon, &local) || !LocalFileTimeToFileTime(&local, &universal))
        return astro::deviceZoneOffsetHours();
    const double ticks = double(std::int64_t(ticksOf(local) - ticksOf(universal)));
    return std::round(ticks / double(platform::kTicksPerMinute)) / 60;
}

std::string sunTimeText(int minutes, std::u16string_view missing)
{
    if (minutes < 0 || minutes >= kMinutesPerDay)
        return utf8(missing);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

struct SunPlace {
    astro::SunQuery query; // place only
    std::string name; // the city, or empty
    std::optional<cities::CityRecord> city;
};

// The angle of --lat (`latitude`) or --lon; nullopt after telling what was wrong.
std::optional<cities::Angle> angleOption(const std::string& text, bool latitude)
{
    const auto angle = cities::parseAngle(text, latitude);
    if (!angle)
        fail(latitude ? "--lat " + inQuotes(text)
                    + " is not a latitude DD:MM with N or S (0 to 90 degrees, minutes 0-59)"
                      : "--lon " + inQuotes(text)
                    + " is not a longitude DDD:MM with E or W (0 to 180 degrees, minutes 0-59)",
            kExitUsage);
    return angle;
}

// The place of --lat/--lon or --city; nullopt after telling what was wrong.
std::optional<SunPlace> sunPlaceOf(const Options& options, int& exitCode)
{
    exitCode = kExitUsage;
    const std::string* latitude = options.value("--lat");
    const std::string* longitude = options.value("--lon");
    const std::string* cityName = options.value("--city");
    if (cityName && (latitude || longitude)) {
        fail("give either --city or --lat and --lon\n" + std::string(kSunUsage), kExitUsage);
        return std::nullopt;
    }
    SunPlace place;
    if (!cityName) {
        if (!latitude || !longitude) {
            fail("'sun' needs --lat and --lon, or --city\n" + std::string(kSunUsage), kExitUsage);
            return std::nullopt;
        }
        const auto north = angleOption(*latitude, true);
        const auto east = north ? angleOption(*longitude, false) : std::nullopt;
        if (!east)
            return std::nullopt;
        place.query.latitudeDegrees = north->degrees;
        place.query.latitudeMinutes = north->minutes;
        place.query.south = !north->positive;
        place.query.longitudeDegrees = east->degrees;
        place.query.longitudeMinutes = east->minutes;
        place.query.west = !east->positive;
        return place;
    }
    exitCode = kExitFailure;
    const auto data = readCityData(CityRead::InsideEdit);
    if (!data)
        return std::nullopt;
    const cities::CityDatabase& database = data->database;
    std::string problem;
    const auto ref = cityByName(database, *cityName, problem);
    if (!ref) {
        fail(problem);
        return std::nullopt;
    }
    place.city = *database.record(*ref);
    place.query = astro::sunQueryForCity(*place.city);
    place.name = utf8(cities::cityName(*place.city));
    return place;
}

int runSunCommand(const Arguments& arguments)
{
    Options options({ "--lat", "--lon", "--city", "--offset", "--date" });
    if (auto problem = options.read(arguments.words, 0, "sun"))
        return fail(*problem + "\n" + kSunUsage, kExitUsage);
    std::optional<double> offsetHours;
    if (const std::string* offset = options.value("--offset")) {
        offsetHours = parseOffsetHours(*offset);
        if (!offsetHours)
            return fail("--offset " + inQuotes(*offset)
                    + " is not an offset in hours from universal time (-12 to 14, east positive,"
                      " a fraction such as 5.5 allowed)",
                kExitUsage);
    }
    std::optional<SYSTEMTIME> date;
    if (const std::string* text = options.value("--date")) {
        date = parseIsoDate(*text);
        if (!date)
            return fail("--date " + inQuotes(*text) + " is not a date YYYY-MM-DD", kExitUsage);
    }
    int exitCode = kExitUsage;
    auto place = sunPlaceOf(options, exitCode);
    if (!place)
        return exitCode;

    // Today is the place's own date: the city's, or the device's for a bare position.
    if (!date) {
        SYSTEMTIME today
            = place->city ? cities::cityLocalTimeNow(*place->city) : platform::localNow();
        today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = today.wDayOfWeek = 0;
        date = today;
    }
    if (!offsetHours) {
        if (place->city) {
            SYSTEMTIME noon = *date;
            noon.wHour = 12;
            offsetHours = astro::cityZoneOffsetHours(*place->city, noon);
        } else {
            offsetHours = deviceOffsetHoursOn(*date);
        }
    }

    astro::SunQuery query = place->query;
    query.zoneOffsetHours = *offsetHours;
    query.year = date->wYear;
    query.month = date->wMonth;
    query.day = date->wDay;
    std::vector<std::string> events;
    std::vector<std::string> lines;
    for (int event = 0; event < int(kSunEventNames.size()); ++event) {
        query.zenithDistance = *astro::zenithDistanceOf(event);
        const astro::SunTimes times = astro::sunTimes(query);
        const std::string riseText = sunTimeText(times.riseMinutes, astro::kNoRiseText);
        const std::string setText = sunTimeText(times.setMinutes, astro::kNoSetText);
        events.push_back(JsonObject()
                             .add("kind", kSunEventNames[std::size_t(event)])
                             .add("rise", std::int64_t(times.riseMinutes))
                             .add("set", std::int64_t(times.setMinutes))
                             .add("riseText", riseText)
                             .add("setText", setText)
                             .str());
        char line[96];
        std::snprintf(line, sizeof line, "%-13s %-10s %s", kSunEventNames[std::size_t(event)],
            riseText.c_str(), setText.c_str());
        lines.push_back(line);
    }
    char latitude[16];
    char longitude[16];
    std::snprintf(latitude, sizeof latitude, "%d:%02d%c", query.latitudeDegrees,
        query.latitudeMinutes, query.south ? 'S' : 'N');
    std::snprintf(longitude, sizeof longitude, "%d:%02d%c", query.longitudeDegrees,
        query.longitudeMinutes, query.west ? 'W' : 'E');
    if (arguments.json) {
        JsonObject object;
        if (place->city)
            object.add("city", place->name);
        object.add("latitude", latitude)
            .add("longitude", longitude)
            .add("date", dateOnly(*date))
            .addRaw("offsetHours", decimalText(*offsetHours))
            .addRaw("events", jsonArray(events));
        std::printf("%s\n", object.str().c_str());
        return 0;
    }
    std::printf("%s%s %s, %s, universal time %+g h\n",
        place->city ? (place->name + " ").c_str() : "", latitude, longitude,
        dateOnly(*date).c_str(), *offsetHours);
    std::printf("%-13s %-10s %s\n", "", "rise", "set");
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
    return 0;
}

// ---- beat

constexpr const char* kBeatUsage = "usage: tkwctl beat [--at YYYY-MM-DDTHH:MM[:SS][Z]]\n"
                                   "       tkwctl beat --to-time BEAT [--date YYYY-MM-DD]";

int runBeatCommand(const Arguments& arguments)
{
    Options options({ "--at", "--to-time", "--date" });
    if (auto problem = options.read(arguments.words, 0, "beat"))
        return fail(*problem + "\n" + kBeatUsage, kExitUsage);
    const std::string* beatWord = options.value("--to-time");
    if (!beatWord) {
        if (options.given("--date"))
            return fail("--date goes with --to-time\n" + std::string(kBeatUsage), kExitUsage);
        const auto universal = universalMomentOf(options);
        if (!universal)
            return kExitUsage;
        const int beat = astro::beatOfUniversal(*universal);
        const std::string text = utf8(astro::beatText(beat));
        if (arguments.json)
            std::printf("%s\n",
                JsonObject().add("beat", std::int64_t(beat)).add("text", text).str().c_str());
        else
            std::printf("@%s\n", text.c_str());
        return 0;
    }
    if (options.given("--at"))
        return fail("--at and --to-time go separately\n" + std::string(kBeatUsage), kExitUsage);
    const auto beat = wholeNumber(*beatWord, 0, astro::kBeatsPerDay - 1);
    if (!beat)
        return fail("--to-time " + inQuotes(*beatWord) + " is not a beat (0 to 999)", kExitUsage);
    SYSTEMTIME date {};
    if (const std::string* text = options.value("--date")) {
        const auto given = parseIsoDate(*text);
        if (!given)
            return fail("--date " + inQuotes(*text) + " is not a date YYYY-MM-DD", kExitUsage);
        date = *given;
    } else {
        // Today's beat day: beat time runs an hour ahead of universal time.
        const auto beatNow = platform::systemTimeOfTicks(
            cities::universalTicksNow() + 60 * platform::kTicksPerMinute);
        if (!beatNow)
            return fail("the device's clock lies outside the calendar");
        date = *beatNow;
    }
    const auto universal = astro::universalOfBeat(int(*beat), date);
    const auto local = astro::localOfBeat(int(*beat), date);
    if (!universal || !local)
        return fail("beat " + std::to_string(*beat) + " of " + dateOnly(date)
                + " lies outside the calendar",
            kExitUsage);
    if (arguments.json) {
        std::printf("%s\n",
            JsonObject()
                .add("beat", *beat)
                .add("date", dateOnly(date))
                .add("utc", utcText(*universal))
                .add("local", isoText(*local))
                .str()
                .c_str());
        return 0;
    }
    std::printf("@%s of %s\nuniversal %s\nlocal     %s\n",
        utf8(astro::beatText(int(*beat))).c_str(), dateOnly(date).c_str(),
        utcText(*universal).c_str(), isoText(*local).c_str());
    return 0;
}

// ---- convert

constexpr const char* kConvertUsage
    = "usage: tkwctl convert [--from CITY] [--at YYYY-MM-DDTHH:MM[:SS][Z]] "
      "--to CITY [CITY...]";

constexpr std::array<const char*, 7> kWeekdayAbbreviations { "Sun", "Mon", "Tue", "Wed", "Thu",
    "Fri", "Sat" };

struct ConvertRequest {
    const std::string* from = nullptr;
    const std::string* at = nullptr;
    std::vector<std::string> to;
};

// --from and --at take one word, --to every word up to the next option.
Problem readConvert(const std::vector<std::string>& words, ConvertRequest& request)
{
    bool sawTo = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--from" || word == "--at") {
            const std::string*& slot = word == "--from" ? request.from : request.at;
            if (slot)
                return inQuotes(word) + " is given twice";
            if (i + 1 >= words.size() || words[i + 1].rfind("--", 0) == 0)
                return inQuotes(word) + " needs a value";
            slot = &words[++i];
        } else if (word == "--to") {
            if (sawTo)
                return inQuotes(word) + " is given twice";
            sawTo = true;
            while (i + 1 < words.size() && words[i + 1].rfind("--", 0) != 0)
                request.to.push_back(words[++i]);
            if (request.to.empty())
                return "'--to' needs at least one city";
        } else {
            return inQuotes(word) + " is not an option of 'convert'";
        }
    }
    if (!sawTo)
        return std::string("'convert' needs --to and the cities to convert to");
    return std::nullopt;
}

std::string timeOfDayText(const SYSTEMTIME& time)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u", time.wHour, time.wMinute);
    return text;
}

int runConvertCommand(const Arguments& arguments)
{
    ConvertRequest request;
    if (auto problem = readConvert(arguments.words, request))
        return fail(*problem + "\n" + kConvertUsage, kExitUsage);
    // The source city's local time, or (ending in Z) a universal time seen in the source city.
    std::optional<SYSTEMTIME> givenLocal;
    std::optional<std::uint64_t> givenUniversal;
    if (request.at) {
        const std::string& at = *request.at;
        const bool universal = !at.empty() && (at.back() == 'Z' || at.back() == 'z');
        givenLocal = parseIsoLocal(universal ? at.substr(0, at.size() - 1) : at);
        if (!givenLocal)
            return fail("--at " + inQuotes(at)
                    + " is not YYYY-MM-DDTHH:MM[:SS] (the source city's local time) or the same "
                      "ending in Z (universal)",
                kExitUsage);
        if (universal) {
            givenUniversal = platform::ticksOfSystemTime(*givenLocal);
            if (!givenUniversal)
                return fail("--at " + inQuotes(at) + " lies outside the calendar", kExitUsage);
        }
    }
    const auto data = readCityData(CityRead::InsideEdit);
    if (!data)
        return kExitFailure;
    const cities::CityDatabase& database = data->database;
    std::string problem;
    const cities::CityRecord* source = database.currentCity();
    if (request.from) {
        const auto ref = cityByName(database, *request.from, problem);
        if (!ref)
            return fail(problem);
        source = database.record(*ref);
    }
    if (!source)
        return fail("there is no world-time city to convert from; name one with --from");
    std::vector<const cities::CityRecord*> targets;
    for (const std::string& name : request.to) {
        const auto ref = cityByName(database, name, problem);
        if (!ref)
            return fail(problem);
        targets.push_back(database.record(*ref));
    }

    SYSTEMTIME sourceLocal {};
    if (givenLocal && !givenUniversal)
        sourceLocal = *givenLocal;
    else
        sourceLocal = cities::cityLocalTime(
            *source, givenUniversal ? *givenUniversal : cities::universalTicksNow());
    sourceLocal.wDayOfWeek = 0;
    const auto universal
        = platform::systemTimeOfTicks(cities::universalOfCityLocal(*source, sourceLocal));
    if (!universal)
        return fail("the time lies outside the calendar", kExitUsage);
    const bool dayFirst = data->settings.record.dateFormat == std::uint8_t(store::DateFormat::DayFirst);

    std::vector<std::string> rows;
    std::string lines;
    for (const cities::CityRecord* target : targets) {
        const auto local = astro::convertCityTime(*source, sourceLocal, *target);
        if (!local)
            return fail("the time lies outside the calendar", kExitUsage);
        const std::string name = utf8(cities::cityName(*target));
        const char* weekday = kWeekdayAbbreviations[local->wDayOfWeek % 7];
        const std::string date
            = utf8(astro::cellDateText(*local, dayFirst, platform::toUtf16(weekday), u"/"));
        rows.push_back(JsonObject()
                           .add("name", name)
                           .add("local", isoText(*local))
                           .add("time", timeOfDayText(*local))
                           .add("date", date)
                           .add("weekday", weekday)
                           .str());
        char line[160];
        std::snprintf(line, sizeof line, "%-20s %s  %s  %s\n", name.c_str(),
            isoText(*local).c_str(), timeOfDayText(*local).c_str(), date.c_str());
        lines += line;
    }
    const std::string sourceName = utf8(cities::cityName(*source));
    if (arguments.json) {
        std::printf("%s\n",
            JsonObject()
                .addRaw("from",
                    JsonObject().add("name", sourceName).add("local", isoText(sourceLocal)).str())
                .add("utc", utcText(*universal))
                .addRaw("cities", jsonArray(rows))
                .str()
                .c_str());
        return 0;
    }
    std::printf("%-20s %s  (universal %s)\n%s", sourceName.c_str(), isoText(sourceLocal).c_str(),
        utcText(*universal).c_str(), lines.c_str());
    return 0;
}

} // namespace

int runMoon(const Arguments& arguments)
{
    return runMoonCommand(arguments);
}

int runSun(const Arguments& arguments)
{
    return runSunCommand(arguments);
}

int runBeat(const Arguments& arguments)
{
    return runBeatCommand(arguments);
}

int runConvert(const Arguments& arguments)
{
    return runConvertCommand(arguments);
}

} // namespace tkwctl

#include "tkwctl/city_lookup.h"

#include "cities/city_record.h"
#include "platform/files.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/language.h"
#include "tkwctl/commands.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

namespace tkwctl {

namespace {

constexpr std::array<const char*, 7> kWeekdayNames { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri",
    "Sat" };
constexpr std::array<const char*, 12> kMonthNames { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul",
    "Aug", "Sep", "Oct", "Nov", "Dec" };
constexpr std::array<const char*, 5> kOccurrenceNames { "first", "second", "third", "fourth",
    "last" };
// Candidates named in the message for a name that matches no city or several.
constexpr std::size_t kCandidatesShown = 12;

std::string utf8(std::u16string_view text)
{
    return platform::toUtf8(text);
}

cities::CityRef cityRefOf(const store::CityRef& ref)
{
    // A value past the int range is out of range all the same, and the loader makes it (0, 0).
    const auto narrow
        = [](std::uint32_t value) { return value > 0x7fffffffu ? -1 : std::int32_t(value); };
    return { narrow(ref.continent), narrow(ref.index) };
}

std::string candidateList(
    const cities::CityDatabase& database, const std::vector<cities::CityRef>& refs)
{
    std::string text;
    for (std::size_t i = 0; i < refs.size() && i < kCandidatesShown; ++i)
        text += "\n  " + describeCity(database, refs[i]);
    if (refs.size() > kCandidatesShown)
        text += "\n  ... and " + std::to_string(refs.size() - kCandidatesShown) + " more";
    return text;
}

} // namespace

std::u16string cityProgramFolder()
{
    return std::u16string(store::kDefaultInstallFolder);
}

std::optional<SettingsCopy> readSettings()
{
    SettingsCopy copy;
    platform::FileError why = platform::FileError::None;
    std::optional<std::vector<std::byte>> bytes;
    (void)platform::retry(platform::kDataFileRetry, [&] {
        bytes = platform::readWholeFile(store::DataFilePath(store::kSettingsFile), 1 << 20, &why);
        return bytes.has_value() || why != platform::FileError::SharingViolation;
    });
    if (!bytes && why != platform::FileError::NotFound
        && why != platform::FileError::PathNotFound) {
        fail(std::string("settings.dat cannot be read: ") + platform::describe(why));
        return std::nullopt;
    }
    if (bytes && bytes->size() == sizeof copy.record) {
        std::memcpy(&copy.record, bytes->data(), sizeof copy.record);
        copy.fromFile = true;
        return copy;
    }
    (void)store::ReadLanguage(
        store::LanguageReader::TodayPlugin); // lang.dat only: nothing is written
    store::DefaultSettings(copy.record, store::currentLanguage());
    return copy;
}

store::CityRef storedRefOf(const cities::CityRef& ref)
{
    return { std::uint32_t(ref.continent), std::uint32_t(ref.index) };
}

cities::CityDatabase loadDatabase(const store::SettingsRecord& settings, cities::LoadError* why)
{
    return cities::CityDatabase::load(cityProgramFolder(), cityRefOf(settings.worldCity),
        cityRefOf(settings.homeCity), cityRefOf(settings.visitingCity), why);
}

std::string loadProblem(cities::LoadError error)
{
    const std::u16string folder = cityProgramFolder();
    for (const auto& file : cities::kContinentFiles) {
        const std::u16string path = folder + std::u16string(file);
        platform::FileError why = platform::FileError::None;
        const auto size = platform::fileSize(path, &why);
        if (!size)
            return "the city database cannot be read: " + utf8(path) + ": "
                + platform::describe(why) + " (tkwctl install lays out the shipped cities)";
        if (*size < sizeof(cities::CityRecord))
            return "the city database cannot be read: " + utf8(path) + " holds "
                + std::to_string(*size) + " bytes, less than one city (64 bytes)";
    }
    return std::string("the city database cannot be read: ") + cities::describe(error) + " (in "
        + utf8(folder) + "data\\)";
}

std::optional<cities::CityDatabase> openDatabase(const store::SettingsRecord& settings)
{
    cities::LoadError why = cities::LoadError::None;
    auto database = loadDatabase(settings, &why);
    if (!database.available()) {
        fail(loadProblem(why));
        return std::nullopt;
    }
    return database;
}

std::string placeText(const cities::CityRef& ref)
{
    return std::to_string(ref.continent) + "," + std::to_string(ref.index);
}

std::string describeCity(const cities::CityDatabase& database, const cities::CityRef& ref)
{
    const cities::CityRecord* city = database.record(ref);
    return utf8(city ? cities::cityName(*city) : std::u16string()) + " ("
        + kContinentNames[std::size_t(std::clamp(ref.continent, 0, cities::kAllCities))] + ", --at "
        + placeText(ref) + ")";
}

std::optional<cities::CityRef> cityByName(
    const cities::CityDatabase& database, const std::string& name, std::string& problem)
{
    std::u16string wanted;
    if (auto refused = readText("the city name", name, 0, TextKind::Line, wanted)) {
        problem = *refused;
        return std::nullopt;
    }
    // The database keeps 20 characters of a name: a longer one names the city it was cut to.
    if (wanted.size() > cities::kCityNameLength)
        wanted.resize(cities::kCityNameLength);
    const auto found = database.findByName(wanted);
    const auto isWhole = [&](const cities::CityRef& ref) {
        const cities::CityRecord* city = database.record(ref);
        return city && platform::equalsIgnoringCase(cities::cityName(*city), wanted);
    };
    std::vector<cities::CityRef> whole;
    std::copy_if(found.begin(), found.end(), std::back_inserter(whole), isWhole);
    if (whole.size() == 1)
        return whole.front();
    if (whole.size() > 1) {
        problem = inQuotes(name) + " names " + std::to_string(whole.size())
            + " cities; say which with --at C,I:" + candidateList(database, whole);
        return std::nullopt;
    }
    std::vector<cities::CityRef> similar = found;
    if (similar.empty()) {
        // No name starts so: offer those that hold it.
        const std::u16string folded = platform::foldedCopy(wanted);
        for (int index = 0; index < database.count(cities::kAllCities); ++index) {
            const cities::CityRecord* city = database.record(cities::kAllCities, index);
            if (city && !folded.empty()
                && platform::foldedCopy(cities::cityName(*city)).find(folded)
                    != std::u16string::npos) {
                if (const auto ref = database.continentRef({ cities::kAllCities, index }))
                    similar.push_back(*ref);
            }
        }
    }
    problem = "no city is called " + inQuotes(name)
        + (similar.empty() ? std::string("; tkwctl city list shows them all")
                           : "; did you mean:" + candidateList(database, similar));
    return std::nullopt;
}

std::optional<cities::CityRef> cityAt(
    const cities::CityDatabase& database, const std::string& text, std::string& problem)
{
    const std::size_t comma = text.find(',');
    const auto continent = comma == std::string::npos
        ? std::nullopt
        : wholeNumber(std::string_view(text).substr(0, comma), 0, cities::kAllCities);
    const auto index = comma == std::string::npos
        ? std::nullopt
        : wholeNumber(std::string_view(text).substr(comma + 1), 0, 0x7fffffff);
    if (!continent || !index) {
        problem = "--at " + inQuotes(text) + " is not C,I (a continent 0 to 6 and an index in it)";
        return std::nullopt;
    }
    const cities::CityRef ref { std::int32_t(*continent), std::int32_t(*index) };
    const auto resolved = database.continentRef(ref);
    if (!resolved || !database.record(*resolved)) {
        problem = "there is no city " + placeText(ref) + ": "
            + kContinentNames[std::size_t(ref.continent)] + " holds "
            + std::to_string(database.count(ref.continent)) + " cities (0 to "
            + std::to_string(database.count(ref.continent) - 1) + ")";
        return std::nullopt;
    }
    return resolved;
}

std::optional<std::string> positionalName(const std::vector<std::string>& words)
{
    if (words.size() > 1 && !words[1].starts_with("--"))
        return words[1];
    return std::nullopt;
}

std::string ruleDayText(int month, int weekday, int occurrence, int hour)
{
    if (month < 1 || month > 12 || weekday < 0 || weekday > 6 || occurrence < 1 || occurrence > 5)
        return "(no valid day)";
    char text[48];
    std::snprintf(text, sizeof text, "%s %s of %s %02d:00",
        kOccurrenceNames[std::size_t(occurrence - 1)], kWeekdayNames[std::size_t(weekday)],
        kMonthNames[std::size_t(month - 1)], hour);
    return text;
}

std::optional<platform::EditLock> holdCityEdit()
{
    platform::EditLockError why = platform::EditLockError::None;
    auto lock = platform::EditLock::acquire(
        cityProgramFolder() + std::u16string(cities::kCitiesEditName), store::kEditWait, &why);
    if (!lock)
        fail(std::string("the city database cannot be changed now: ") + platform::describe(why));
    return lock;
}

std::optional<CityData> readCityData(CityRead how)
{
    auto settings = readSettings();
    if (!settings)
        return std::nullopt;
    std::optional<platform::EditLock> edit;
    if (how == CityRead::InsideEdit) {
        edit = holdCityEdit();
        if (!edit)
            return std::nullopt;
    }
    auto database = openDatabase(settings->record);
    if (!database)
        return std::nullopt;
    return CityData { std::move(*settings), std::move(*database) };
}

std::optional<CityEdit> beginCityEdit()
{
    auto edit = holdCityEdit();
    if (!edit)
        return std::nullopt;
    auto data = readCityData();
    if (!data)
        return std::nullopt;
    return CityEdit { std::move(*edit), std::move(*data) };
}

} // namespace tkwctl

#pragma once
// What the city and zone commands of tkwctl share: the city database of the program folder
// with the settings' three cities in its slots, a city named on the command line, and the
// database's edit held for a whole command.

#include "cities/city_database.h"
#include "platform/edit_lock.h"
#include "store/settings.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tkwctl {

inline constexpr std::array<const char*, cities::kContinentCount + 1> kContinentNames { "Africa",
    "Asia", "Australia", "Europe", "North America", "South America", "All Continents" };

// The folder the main program reads the city files from.
[[nodiscard]] std::u16string cityProgramFolder();

struct SettingsCopy {
    store::SettingsRecord record {};
    bool fromFile = false; // false: the defaults, settings.dat being missing or the wrong size
};
// The record as settings.dat holds it, or the defaults; nullopt, with the reason told, when
// the file is there but cannot be read: its contents must not be taken for the defaults.
[[nodiscard]] std::optional<SettingsCopy> readSettings();

[[nodiscard]] store::CityRef storedRefOf(const cities::CityRef& ref);

// The database with the settings' world-time, Home and Visiting cities in its slots;
// unavailable when it cannot be read.
[[nodiscard]] cities::CityDatabase loadDatabase(
    const store::SettingsRecord& settings, cities::LoadError* why);
// Why it could not be read, naming the first continent file that is missing or short.
[[nodiscard]] std::string loadProblem(cities::LoadError error);
// The same, with the reason told and nullopt for an unavailable database.
[[nodiscard]] std::optional<cities::CityDatabase> openDatabase(
    const store::SettingsRecord& settings);

// What a city command works on: the settings and the database with their cities in its slots.
struct CityData {
    SettingsCopy settings;
    cities::CityDatabase database;
};
enum class CityRead {
    Plain,
    // The files are read inside the database's edit, let go once they are in memory: a
    // program that writes the city files does so inside that edit, and a file held open for
    // reading meanwhile would make its write fail.
    InsideEdit,
};
// Both read for a command; nullopt, with the reason told, when either cannot be read.
[[nodiscard]] std::optional<CityData> readCityData(CityRead how = CityRead::Plain);

// A command that changes cities: the database's edit held (holdCityEdit) and what it works on
// read inside it. Nullopt, with the reason told, when any of it cannot be had.
struct CityEdit {
    platform::EditLock edit;
    CityData data;
};
[[nodiscard]] std::optional<CityEdit> beginCityEdit();

// "C,I" as a command shows a place and --at takes it.
[[nodiscard]] std::string placeText(const cities::CityRef& ref);
// "Berlin (Europe, --at 3,8)".
[[nodiscard]] std::string describeCity(
    const cities::CityDatabase& database, const cities::CityRef& ref);

// The city called `name`, whole and ignoring case (a name longer than the 20 characters
// kept names the city it was cut to). A name that names several cities, only starts theirs,
// or none, is a `problem` that lists the candidates: a change never lands on a city the
// user did not spell out.
[[nodiscard]] std::optional<cities::CityRef> cityByName(
    const cities::CityDatabase& database, const std::string& name, std::string& problem);
// "C,I": a continent (0-5, or 6 for the list of all cities) and an index in it, made a
// continent reference.
[[nodiscard]] std::optional<cities::CityRef> cityAt(
    const cities::CityDatabase& database, const std::string& text, std::string& problem);

// The first word after the command when it is no option: the city's name.
[[nodiscard]] std::optional<std::string> positionalName(const std::vector<std::string>& words);

// "last Sun of Mar 02:00".
[[nodiscard]] std::string ruleDayText(int month, int weekday, int occurrence, int hour);

// The city database's own edit, the one each of its changes takes, held by a command for its
// whole length: a change made from fields read before the edit began could put back what
// another program changed meanwhile. The database takes it again at no cost. Nullopt, with
// the reason told, when it cannot be had.
[[nodiscard]] std::optional<platform::EditLock> holdCityEdit();

} // namespace tkwctl

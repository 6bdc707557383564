#pragma once
// The city database: the six continent files of the program folder, read whole into one
// record buffer, each continent's cities and all cities together as lists of pointers in
// name order, and the selection slots through which views and choosers name a city.
//
// Several programs edit the same files (the main program's Edit Cities page, tkwctl): every
// change runs as one edit under the database's edit lock. It reads the files again when
// another program changed them since this copy was read (the slots follow their cities by
// name), makes the change and writes the six files before the lock is let go, so that no
// program's change overwrites another's.

#include "cities/city_record.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cities {

inline constexpr int kContinentCount = 6;
inline constexpr int kAllCities = 6;     // the list index of all cities merged by name
inline constexpr int kAdditionRoom = 99; // cities one run may add; a deletion gives none back
inline constexpr int kSpareRecords = 100;

// The continent files, relative to the program folder, by continent index.
inline constexpr std::array<std::u16string_view, kContinentCount> kContinentFiles { u"data\\africa.cdb",
    u"data\\asia.cdb", u"data\\australia.cdb", u"data\\europe.cdb", u"data\\namerica.cdb",
    u"data\\samerica.cdb" };

// The file, relative to the program folder, whose edit lock guards changes of the six
// continent files (whoever writes them takes it).
inline constexpr std::u16string_view kCitiesEditName = u"data\\cities";

// A city as a list and a place in it: continent 0-5, or 6 for the list of all cities.
struct CityRef {
    std::int32_t continent = 0;
    std::int32_t index = 0;
    friend bool operator==(const CityRef&, const CityRef&) = default;
};

enum class LoadError {
    None,
    Missing,   // a continent file cannot be opened
    TooShort,  // a continent file holds less than one record
    Unreadable,
};
[[nodiscard]] const char* describe(LoadError error) noexcept;

// Why an edit changed nothing.
enum class EditError {
    None,
    Busy,         // another program kept the database's edit for the whole wait
    Unavailable,  // the files cannot be read (again)
    NoSuchCity,   // the list or index names no city
    NoRoom,       // 99 cities were added in this run, or the continent is out of range
    HomeLocation, // the world-time city cannot be deleted
    WriteFailed,  // the files could not be written; they stay as they were
};
[[nodiscard]] const char* describe(EditError error) noexcept;

class CityDatabase {
public:
    using Slot = std::size_t;
    // The slots the settings persist: the world-time city (the home location, also the
    // current city), the Home and the Visiting city.
    static constexpr Slot kWorldSlot = 0;
    static constexpr Slot kHomeSlot = 1;
    static constexpr Slot kVisitingSlot = 2;

    // An empty, unavailable database.
    CityDatabase();
    CityDatabase(CityDatabase&&) noexcept;
    CityDatabase& operator=(CityDatabase&&) noexcept;
    CityDatabase(const CityDatabase&) = delete;
    CityDatabase& operator=(const CityDatabase&) = delete;
    ~CityDatabase();

    // Reads the six files of `programFolder` (a device path ending in a backslash) and
    // registers the three persisted slots with `world`, `home` and `visiting`, out-of-range
    // references made (0, 0). On failure the database stays unavailable and holds nothing.
    [[nodiscard]] static CityDatabase load(std::u16string_view programFolder, CityRef world = { },
        CityRef home = { }, CityRef visiting = { }, LoadError* why = nullptr);

    [[nodiscard]] bool available() const;
    [[nodiscard]] const std::u16string& programFolder() const;

    // The number of cities of a list (0-5, 6 all); 0 for a list above 6.
    [[nodiscard]] int count(int list) const;
    // The city at `index` of `list`; null when there is none.
    [[nodiscard]] const CityRecord* record(int list, int index) const;
    [[nodiscard]] const CityRecord* record(CityRef ref) const { return record(ref.continent, ref.index); }
    // The continent (0-5) of the city at `index` of the all-cities list, -1 for none.
    [[nodiscard]] int continentOfAllCitiesEntry(int index) const;
    // Its place in its continent's list, -1 for none.
    [[nodiscard]] int indexWithinContinent(int index) const;
    // A reference into list 6 made one into its continent (others returned as they are).
    [[nodiscard]] std::optional<CityRef> continentRef(CityRef ref) const;
    // The place of `city` (a record of this database) in `list`, -1 when it is not there.
    [[nodiscard]] int indexOf(int list, const CityRecord* city) const;

    // Cities whose name equals `name` ignoring case, else those that start with it; each
    // as its continent reference.
    [[nodiscard]] std::vector<CityRef> findByName(std::u16string_view name) const;

    // Selection slots. A slot keeps naming its city while cities are added and deleted.
    [[nodiscard]] Slot registerSlot(CityRef ref);
    void releaseSlot(Slot slot); // a chooser's slot, when it goes; slots 0-2 stay
    [[nodiscard]] CityRef slot(Slot slot) const;
    void setSlot(Slot slot, CityRef ref);

    // Makes a city the current one (slot 0): continent -1 takes slot 0 as it is, 6 is made a
    // continent reference first; false for continents above 6 or a city that does not exist.
    bool selectCurrentCity(int continent, int index);
    [[nodiscard]] const CityRecord* currentCity() const;

    // The three changes. Each runs as one edit as described above and writes the files.
    EditError edit(CityRef ref, const CityRecord& city);
    // Adds a city to continent 0-5; `added` receives its index in its continent's list.
    EditError add(int continent, const CityRecord& city, int* added = nullptr);
    // Deletes a city; the world-time city (slot 0) is refused with HomeLocation.
    EditError remove(CityRef ref);

    // Cities this run may still add.
    [[nodiscard]] int additionsLeft() const;
    // Set by every change of this run.
    [[nodiscard]] bool changed() const;
    // Writes the six files when a change of this run is not on disk yet (every change is
    // written as it is made; this is the exit's safety net). False when writing failed.
    bool save();
    // Reads the files again when another program changed them since this copy was read
    // (slots follow their cities by name); true when it did.
    bool reloadIfChanged();

    // How long a change waits for another program's edit (tests shorten it).
    static void setEditWait(std::chrono::milliseconds wait);

private:
    struct Data;
    template <typename Change>
    EditError runEdit(Change change);

    Data* m_data;
};

// The comparison that orders city names: the user locale's, as the platform compares
// strings; negative, zero or positive.
[[nodiscard]] int compareCityNames(std::u16string_view first, std::u16string_view second);

} // namespace cities

#include "cities/city_database.h"

#include "platform/edit_lock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/text.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace cities {

namespace {

// No continent file comes near this; a larger one is not a city file.
constexpr std::size_t kMaxFileBytes = 16u << 20;

std::chrono::milliseconds g_editWait { 10'000 };

// What a file looked like when this copy read or wrote it: another program's save changes
// it (saves replace files whole, so the modification time moves).
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written { };
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
using Stamps = std::array<std::optional<FileStamp>, kContinentCount>;

Stamps stampsOf(const std::u16string& folder)
{
    Stamps stamps;
    for (int continent = 0; continent < kContinentCount; ++continent) {
        const auto host = platform::hostPathOf(folder + std::u16string(kContinentFiles[std::size_t(continent)]));
        std::error_code error;
        if (!host)
            continue;
        const auto size = std::filesystem::file_size(*host, error);
        if (error)
            continue;
        const auto written = std::filesystem::last_write_time(*host, error);
        if (!error)
            stamps[std::size_t(continent)] = FileStamp { size, written };
    }
    return stamps;
}

} // namespace

const char* describe(LoadError error) noexcept
{
    switch (error) {
    case LoadError::None: return "no error";
    case LoadError::Missing: return "a continent file is missing";
    case LoadError::TooShort: return "a continent file holds no whole city";
    case LoadError::Unreadable: return "a continent file cannot be read";
    }
    return "unknown error";
}

const char* describe(EditError error) noexcept
{
    switch (error) {
    case EditError::None: return "no error";
    case EditError::Busy: return "another program is changing the cities; try again";
    case EditError::Unavailable: return "the city files cannot be read";
    case EditError::NoSuchCity: return "no such city";
    case EditError::NoRoom: return "no more cities can be added";
    case EditError::HomeLocation: return "You can't delete home location city.";
    case EditError::WriteFailed: return "the city files cannot be written";
    }
    return "unknown error";
}

int compareCityNames(std::u16string_view first, std::u16string_view second)
{
    return CompareStringW(LOCALE_USER_DEFAULT, 0, first.data(), int(first.size()), second.data(),
               int(second.size()))
        - 2;
}

struct CityDatabase::Data {
    std::u16string folder;
    bool available = false;
    // Every record, back to back in continent order, with room for the cities this run may
    // add: the lists below point into it, so it never grows past what it reserved.
    std::vector<CityRecord> records;
    std::array<std::vector<CityRecord*>, kContinentCount> continents;
    std::vector<CityRecord*> all;
    std::vector<std::optional<CityRef>> slots; // a released chooser's slot is empty
    int additionsLeft = kAdditionRoom;
    bool changed = false;
    bool unsaved = false;
    Stamps stamps;

    [[nodiscard]] std::vector<CityRecord*>* list(int index)
    {
        if (index >= 0 && index < kContinentCount)
            return &continents[std::size_t(index)];
        return index == kAllCities ? &all : nullptr;
    }

    // Reads the six files into this copy (its slots untouched).
    LoadError read()
    {
        // Under the edit lock: a file held open for reading would make another program's
        // save fail, and a save half-way through would give a mix of old and new files.
        // (Taken again at no cost inside an edit; without a lock folder the files are
        // missing anyway and the read says so.)
        const auto lock = platform::EditLock::acquire(folder + std::u16string(kCitiesEditName), g_editWait);
        std::array<std::vector<std::byte>, kContinentCount> files;
        std::size_t total = 0;
        for (int continent = 0; continent < kContinentCount; ++continent) {
            platform::FileError why = platform::FileError::None;
            auto bytes = platform::readWholeFile(
                folder + std::u16string(kContinentFiles[std::size_t(continent)]), kMaxFileBytes, &why);
            if (!bytes)
                return why == platform::FileError::NotFound ? LoadError::Missing : LoadError::Unreadable;
            if (bytes->size() < sizeof(CityRecord))
                return LoadError::TooShort;
            total += bytes->size() / sizeof(CityRecord);
            files[std::size_t(continent)] = std::move(*bytes);
        }
        records.clear();
        records.reserve(total + kSpareRecords);
        for (int continent = 0; continent < kContinentCount; ++continent) {
            const auto& bytes = files[std::size_t(continent)];
            const std::size_t first = records.size();
            // A partial record at the end is left out.
            for (std::size_t at = 0; at + sizeof(CityRecord) <= bytes.size(); at += sizeof(CityRecord))
                records.push_back(cityFromBytes(bytes.data() + at));
            auto& pointers = continents[std::size_t(continent)];
            pointers.clear();
            for (std::size_t k = first; k < records.size(); ++k)
                pointers.push_back(&records[k]);
        }
        merge();
        stamps = stampsOf(folder);
        available = true;
        return LoadError::None;
    }

    // All cities by name: the smallest of the six lists' heads each time; among equal
    // names the lowest continent.
    void merge()
    {
        all.clear();
        std::size_t total = 0;
        for (const auto& pointers : continents)
            total += pointers.size();
        all.reserve(total + kSpareRecords);
        std::array<std::size_t, kContinentCount> heads { };
        std::array<std::u16string, kContinentCount> names;
        for (int c = 0; c < kContinentCount; ++c)
            if (!continents[std::size_t(c)].empty())
                names[std::size_t(c)] = cityName(*continents[std::size_t(c)][0]);
        while (all.size() < total) {
            int best = -1;
            for (int c = 0; c < kContinentCount; ++c) {
                const auto k = std::size_t(c);
                if (heads[k] >= continents[k].size())
                    continue;
                if (best < 0 || compareCityNames(names[std::size_t(best)], names[k]) > 0)
                    best = c;
            }
            const auto b = std::size_t(best);
            all.push_back(continents[b][heads[b]]);
            if (++heads[b] < continents[b].size())
                names[b] = cityName(*continents[b][heads[b]]);
        }
    }

    [[nodiscard]] bool write()
    {
        for (int continent = 0; continent < kContinentCount; ++continent) {
            const auto& pointers = continents[std::size_t(continent)];
            std::vector<std::byte> bytes(pointers.size() * sizeof(CityRecord));
            for (std::size_t k = 0; k < pointers.size(); ++k)
                cityToBytes(*pointers[k], bytes.data() + k * sizeof(CityRecord));
            if (!platform::replaceFile(folder + std::u16string(kContinentFiles[std::size_t(continent)]), bytes))
                return false;
        }
        stamps = stampsOf(folder);
        unsaved = false;
        return true;
    }

    // Reads the files again; every slot keeps naming the city it named (found by its
    // continent and name), or the nearest place when that city is gone.
    LoadError reread()
    {
        struct Named {
            int continent = -1;
            std::u16string name;
            bool inAll = false;
            CityRef old;
        };
        std::vector<std::optional<Named>> named(slots.size());
        for (std::size_t s = 0; s < slots.size(); ++s) {
            if (!slots[s])
                continue;
            Named entry;
            entry.old = *slots[s];
            entry.inAll = slots[s]->continent == kAllCities;
            if (const CityRecord* city = at(*slots[s])) {
                entry.name = cityName(*city);
                entry.continent = continentOf(city);
            }
            named[s] = entry;
        }
        const LoadError error = read();
        if (error != LoadError::None)
            return error;
        for (std::size_t s = 0; s < slots.size(); ++s) {
            if (!named[s])
                continue;
            const Named& entry = *named[s];
            CityRef ref = entry.old;
            if (entry.continent >= 0) {
                const auto& pointers = continents[std::size_t(entry.continent)];
                const auto found = std::find_if(pointers.begin(), pointers.end(),
                    [&](const CityRecord* city) { return cityName(*city) == entry.name; });
                if (found != pointers.end()) {
                    ref = { entry.continent, int(found - pointers.begin()) };
                    if (entry.inAll)
                        ref = { kAllCities, indexIn(all, *found) };
                }
            }
            const auto* pointers = list(ref.continent);
            if (pointers && !pointers->empty())
                ref.index = std::clamp(ref.index, 0, int(pointers->size()) - 1);
            slots[s] = ref;
        }
        return LoadError::None;
    }

    [[nodiscard]] const CityRecord* at(CityRef ref)
    {
        const auto* pointers = list(ref.continent);
        if (!pointers || ref.index < 0 || std::size_t(ref.index) >= pointers->size())
            return nullptr;
        return (*pointers)[std::size_t(ref.index)];
    }

    [[nodiscard]] int continentOf(const CityRecord* city) const
    {
        for (int c = 0; c < kContinentCount; ++c) {
            const auto& pointers = continents[std::size_t(c)];
            if (std::find(pointers.begin(), pointers.end(), city) != pointers.end())
                return c;
        }
        return -1;
    }

    // A city as an edit finds it again after a re-read: its continent and its name.
    struct CityKey {
        int continent = -1;
        std::u16string name;
    };

    [[nodiscard]] std::optional<CityKey> keyOf(CityRef ref)
    {
        const CityRecord* city = at(ref);
        if (!city)
            return std::nullopt;
        return CityKey { continentOf(city), cityName(*city) };
    }

    // The keyed city in its continent's list, or that list's end when another program
    // deleted it meanwhile.
    [[nodiscard]] std::vector<CityRecord*>::iterator find(const CityKey& key)
    {
        auto& pointers = continents[std::size_t(key.continent)];
        return std::find_if(pointers.begin(), pointers.end(),
            [&](const CityRecord* c) { return cityName(*c) == key.name; });
    }

    [[nodiscard]] static int indexIn(const std::vector<CityRecord*>& pointers, const CityRecord* city)
    {
        const auto found = std::find(pointers.begin(), pointers.end(), city);
        return found == pointers.end() ? -1 : int(found - pointers.begin());
    }

    // Puts a renamed city of `continent` back in name order in its lists; the slots keep
    // naming the cities they named.
    void resort(CityRecord* city, int continent)
    {
        std::vector<std::pair<std::size_t, const CityRecord*>> named;
        for (std::size_t s = 0; s < slots.size(); ++s)
            if (slots[s] && (slots[s]->continent == continent || slots[s]->continent == kAllCities))
                named.emplace_back(s, at(*slots[s]));
        const std::u16string name = cityName(*city);
        for (auto* pointers : { &continents[std::size_t(continent)], &all }) {
            pointers->erase(std::find(pointers->begin(), pointers->end(), city));
            const auto place = std::find_if(pointers->begin(), pointers->end(),
                [&](const CityRecord* other) { return compareCityNames(cityName(*other), name) >= 0; });
            pointers->insert(place, city);
        }
        for (const auto& [s, was] : named)
            if (was)
                slots[s]->index = indexIn(*list(slots[s]->continent), was);
    }

    // A slot that names `list` at or past `from` moves by `step`.
    void shiftSlots(int listIndex, int from, int step)
    {
        for (auto& slot : slots)
            if (slot && slot->continent == listIndex && slot->index >= from)
                slot->index += step;
    }

    // After the entry at `removed` left `listIndex`, now `count` long.
    void closeSlots(int listIndex, int removed, int count)
    {
        for (auto& slot : slots)
            if (slot && slot->continent == listIndex && (slot->index > removed || slot->index == count))
                slot->index = std::max(0, slot->index - 1);
    }
};

CityDatabase::CityDatabase()
    : m_data(new Data)
{
}

CityDatabase::CityDatabase(CityDatabase&& other) noexcept
    : m_data(std::exchange(other.m_data, new Data))
{
}

CityDatabase& CityDatabase::operator=(CityDatabase&& other) noexcept
{
    std::swap(m_data, other.m_data);
    return *this;
}

CityDatabase::~CityDatabase() { delete m_data; }

CityDatabase CityDatabase::load(
    std::u16string_view programFolder, CityRef world, CityRef home, CityRef visiting, LoadError* why)
{
    CityDatabase database;
    Data& d = *database.m_data;
    d.folder = std::u16string(programFolder);
    const LoadError error = d.read();
    if (why)
        *why = error;
    if (error != LoadError::None) {
        d = Data { };
        d.folder = std::u16string(programFolder);
        return database;
    }
    for (const CityRef ref : { world, home, visiting })
        d.slots.emplace_back(d.at(ref) ? ref : CityRef { 0, 0 });
    return database;
}

bool CityDatabase::available() const { return m_data->available; }
const std::u16string& CityDatabase::programFolder() const { return m_data->folder; }

int CityDatabase::count(int list) const
{
    const auto* pointers = m_data->list(list);
    return pointers ? int(pointers->size()) : 0;
}

const CityRecord* CityDatabase::record(int list, int index) const { return m_data->at({ list, index }); }

int CityDatabase::continentOfAllCitiesEntry(int index) const
{
    const CityRecord* city = m_data->at({ kAllCities, index });
    return city ? m_data->continentOf(city) : -1;
}

int CityDatabase::indexWithinContinent(int index) const
{
    const CityRecord* city = m_data->at({ kAllCities, index });
    const int continent = city ? m_data->continentOf(city) : -1;
    return continent < 0 ? -1 : Data::indexIn(m_data->continents[std::size_t(continent)], city);
}

std::optional<CityRef> CityDatabase::continentRef(CityRef ref) const
{
    if (!m_data->at(ref))
        return std::nullopt;
    if (ref.continent != kAllCities)
        return ref;
    return CityRef { continentOfAllCitiesEntry(ref.index), indexWithinContinent(ref.index) };
}

int CityDatabase::indexOf(int list, const CityRecord* city) const
{
    const auto* pointers = m_data->list(list);
    return pointers ? Data::indexIn(*pointers, city) : -1;
}

std::vector<CityRef> CityDatabase::findByName(std::u16string_view name) const
{
    std::vector<CityRef> exact;
    std::vector<CityRef> starting;
    const std::u16string wanted = platform::foldedCopy(name);
    for (int c = 0; c < kContinentCount; ++c) {
        const auto& pointers = m_data->continents[std::size_t(c)];
        for (std::size_t k = 0; k < pointers.size(); ++k) {
            const std::u16string folded = platform::foldedCopy(cityName(*pointers[k]));
            if (folded == wanted)
                exact.push_back({ c, int(k) });
            else if (!wanted.empty() && folded.starts_with(wanted))
                starting.push_back({ c, int(k) });
        }
    }
    return exact.empty() ? starting : exact;
}

CityDatabase::Slot CityDatabase::registerSlot(CityRef ref)
{
    auto& slots = m_data->slots;
    const auto free = std::find(slots.begin() + std::min<std::size_t>(slots.size(), 3), slots.end(), std::nullopt);
    if (free != slots.end()) {
        *free = ref;
        return Slot(free - slots.begin());
    }
    slots.emplace_back(ref);
    return slots.size() - 1;
}

void CityDatabase::releaseSlot(Slot slot)
{
    if (slot > kVisitingSlot && slot < m_data->slots.size())
        m_data->slots[slot].reset();
}

CityRef CityDatabase::slot(Slot slot) const
{
    if (slot < m_data->slots.size() && m_data->slots[slot])
        return *m_data->slots[slot];
    return { };
}

void CityDatabase::setSlot(Slot slot, CityRef ref)
{
    if (slot >= m_data->slots.size())
        m_data->slots.resize(slot + 1);
    m_data->slots[slot] = ref;
}

bool CityDatabase::selectCurrentCity(int continent, int index)
{
    if (continent == -1)
        return m_data->at(slot(kWorldSlot)) != nullptr;
    if (continent > kAllCities || continent < -1)
        return false;
    const auto ref = continentRef({ continent, index });
    if (!ref)
        return false;
    setSlot(kWorldSlot, *ref);
    return true;
}

const CityRecord* CityDatabase::currentCity() const { return m_data->at(slot(kWorldSlot)); }

// Runs one change of the database as an edit: the files' lock held from the re-read to the
// write.
template <typename Change>
EditError CityDatabase::runEdit(Change change)
{
    Data& d = *m_data;
    if (!d.available)
        return EditError::Unavailable;
    platform::EditLockError why = platform::EditLockError::None;
    const auto lock = platform::EditLock::acquire(d.folder + std::u16string(kCitiesEditName), g_editWait, &why);
    if (!lock)
        return why == platform::EditLockError::Busy ? EditError::Busy : EditError::Unavailable;
    if (stampsOf(d.folder) != d.stamps && d.reread() != LoadError::None)
        return EditError::Unavailable;
    const EditError error = change();
    if (error != EditError::None)
        return error;
    d.changed = true;
    d.unsaved = true;
    if (!d.write()) {
        // What is on disk is the truth: the copy goes back to it.
        (void)d.reread();
        return EditError::WriteFailed;
    }
    return EditError::None;
}

EditError CityDatabase::edit(CityRef ref, const CityRecord& city)
{
    Data& d = *m_data;
    const auto key = d.keyOf(ref);
    if (!key)
        return EditError::NoSuchCity;
    return runEdit([&] {
        const auto found = d.find(*key);
        if (found == d.continents[std::size_t(key->continent)].end())
            return EditError::NoSuchCity; // another program deleted it meanwhile
        const bool renamed = cityName(**found) != cityName(city);
        **found = city;
        // A new name takes its place in name order, as an added city does.
        if (renamed)
            d.resort(*found, key->continent);
        return EditError::None;
    });
}

EditError CityDatabase::add(int continent, const CityRecord& city, int* added)
{
    Data& d = *m_data;
    if (continent < 0 || continent >= kContinentCount || d.additionsLeft <= 0)
        return EditError::NoRoom;
    return runEdit([&] {
        if (d.records.size() == d.records.capacity())
            return EditError::NoRoom; // never: the buffer keeps room for every addition
        d.records.push_back(city);
        CityRecord* stored = &d.records.back();
        --d.additionsLeft;
        const std::u16string name = cityName(city);
        const auto insertAt = [&](std::vector<CityRecord*>& pointers) {
            const auto place = std::find_if(pointers.begin(), pointers.end(),
                [&](const CityRecord* other) { return compareCityNames(cityName(*other), name) >= 0; });
            const int index = int(place - pointers.begin());
            pointers.insert(place, stored);
            return index;
        };
        const int index = insertAt(d.continents[std::size_t(continent)]);
        d.shiftSlots(continent, index, +1);
        const int allIndex = insertAt(d.all);
        d.shiftSlots(kAllCities, allIndex, +1);
        if (added)
            *added = index;
        return EditError::None;
    });
}

EditError CityDatabase::remove(CityRef ref)
{
    Data& d = *m_data;
    const auto key = d.keyOf(ref);
    if (!key)
        return EditError::NoSuchCity;
    return runEdit([&] {
        auto& pointers = d.continents[std::size_t(key->continent)];
        const auto found = d.find(*key);
        if (found == pointers.end())
            return EditError::NoSuchCity;
        CityRecord* city = *found;
        if (city == currentCity())
            return EditError::HomeLocation;
        const int index = int(found - pointers.begin());
        const int allIndex = Data::indexIn(d.all, city);
        pointers.erase(found);
        d.all.erase(d.all.begin() + allIndex);
        d.closeSlots(key->continent, index, int(pointers.size()));
        d.closeSlots(kAllCities, allIndex, int(d.all.size()));
        return EditError::None;
    });
}

int CityDatabase::additionsLeft() const { return m_data->additionsLeft; }
bool CityDatabase::changed() const { return m_data->changed; }

bool CityDatabase::save()
{
    Data& d = *m_data;
    if (!d.available || !d.unsaved)
        return true;
    const auto lock = platform::EditLock::acquire(d.folder + std::u16string(kCitiesEditName), g_editWait);
    return lock && d.write();
}

bool CityDatabase::reloadIfChanged()
{
    Data& d = *m_data;
    if (!d.available || stampsOf(d.folder) == d.stamps)
        return false;
    return d.reread() == LoadError::None;
}

void CityDatabase::setEditWait(std::chrono::milliseconds wait) { g_editWait = wait; }

} // namespace cities

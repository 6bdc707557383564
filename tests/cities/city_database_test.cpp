// The city database on a device of its own: its files read and merged, the three changes
// written back at once, selection slots that keep naming their cities, and a second copy of
// the database (as another program holds one) changing the files beside the first.

#include "cities/city_database.h"
#include "platform/files.h"
#include "tests/support/device_fixture.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

using cities::CityDatabase;
using cities::CityRecord;
using cities::CityRef;
using cities::EditError;
using cities::kAllCities;

constexpr std::u16string_view kFolder = u"\\Program Files\\Tickwell Pro\\";

CityRecord city(std::u16string_view name, int offset = 0)
{
    CityRecord record { };
    cities::setCityName(record, name);
    record.offsetMinutes = std::int16_t(offset);
    return record;
}

std::vector<std::byte> bytesOf(const std::vector<CityRecord>& records)
{
    std::vector<std::byte> bytes(records.size() * sizeof(CityRecord));
    for (std::size_t k = 0; k < records.size(); ++k)
        cities::cityToBytes(records[k], bytes.data() + k * sizeof(CityRecord));
    return bytes;
}

std::u16string filePath(int continent)
{
    return std::u16string(kFolder) + std::u16string(cities::kContinentFiles[std::size_t(continent)]);
}

std::vector<std::u16string> namesOf(const CityDatabase& database, int list)
{
    std::vector<std::u16string> names;
    for (int k = 0; k < database.count(list); ++k)
        names.push_back(cities::cityName(*database.record(list, k)));
    return names;
}

class CityDatabaseTest : public testing_support::DeviceTest {
protected:
    CityDatabaseTest()
    {
        std::filesystem::create_directories(m_device.root() / "Program Files" / "Tickwell Pro" / "data");
        // Six small continents; "Santiago" is in two of them.
        write(0, { city(u"Cairo", 120), city(u"Nairobi", 180) });
        write(1, { city(u"Delhi", 330), city(u"Tokyo", 540) });
        write(2, { city(u"Sydney", 600) });
        write(3, { city(u"Berlin", 60), city(u"London"), city(u"Paris", 60), city(u"Santiago", 60) });
        write(4, { city(u"Denver", -420), city(u"New York", -300) });
        write(5, { city(u"Lima", -300), city(u"Santiago", -240) });
    }

    static void write(int continent, const std::vector<CityRecord>& records)
    {
        ASSERT_TRUE(platform::replaceFile(filePath(continent), bytesOf(records)));
    }
    static void writeBytes(int continent, std::size_t count)
    {
        ASSERT_TRUE(platform::replaceFile(filePath(continent), std::vector<std::byte>(count)));
    }
    static std::vector<std::byte> fileBytes(int continent)
    {
        return platform::readWholeFile(filePath(continent), 1 << 20).value_or(std::vector<std::byte> { });
    }
};

} // namespace

TEST_F(CityDatabaseTest, AFileThatIsMissingOrHoldsNoWholeCityMakesTheDatabaseUnavailable)
{
    cities::LoadError why = cities::LoadError::None;
    writeBytes(2, 63);
    EXPECT_FALSE(CityDatabase::load(kFolder, { }, { }, { }, &why).available());
    EXPECT_EQ(why, cities::LoadError::TooShort);

    ASSERT_TRUE(platform::deleteFile(filePath(2)));
    const auto missing = CityDatabase::load(kFolder, { }, { }, { }, &why);
    EXPECT_FALSE(missing.available());
    EXPECT_EQ(why, cities::LoadError::Missing);
    EXPECT_EQ(missing.count(kAllCities), 0);
    EXPECT_EQ(missing.record(0, 0), nullptr);
    // Nothing is written back by a database that could not be read.
    CityDatabase unavailable = CityDatabase::load(kFolder);
    EXPECT_EQ(unavailable.add(0, city(u"Accra")), EditError::Unavailable);
    EXPECT_TRUE(unavailable.save());
    EXPECT_EQ(fileBytes(0).size(), 2 * sizeof(CityRecord));
}

TEST_F(CityDatabaseTest, AFileWithAPartialRecordLoadsItsWholeRecords)
{
    std::vector<std::byte> bytes = bytesOf({ city(u"Sydney"), city(u"Perth") });
    bytes.resize(130);
    ASSERT_TRUE(platform::replaceFile(filePath(2), bytes));
    const auto database = CityDatabase::load(kFolder);
    ASSERT_TRUE(database.available());
    EXPECT_EQ(namesOf(database, 2), (std::vector<std::u16string> { u"Sydney", u"Perth" }));
}

TEST_F(CityDatabaseTest, AllCitiesAreMergedByNameWithEqualNamesInContinentOrder)
{
    const auto database = CityDatabase::load(kFolder);
    ASSERT_TRUE(database.available());
    EXPECT_EQ(database.count(kAllCities), 13);
    EXPECT_EQ(database.count(7), 0);
    EXPECT_EQ(database.record(7, 0), nullptr);
    const auto all = namesOf(database, kAllCities);
    EXPECT_EQ(all,
        (std::vector<std::u16string> { u"Berlin", u"Cairo", u"Delhi", u"Denver", u"Lima", u"London", u"Nairobi",
            u"New York", u"Paris", u"Santiago", u"Santiago", u"Sydney", u"Tokyo" }));
    // The European Santiago (continent 3) comes before the South American one.
    EXPECT_EQ(database.continentOfAllCitiesEntry(9), 3);
    EXPECT_EQ(database.continentOfAllCitiesEntry(10), 5);
    EXPECT_EQ(database.indexWithinContinent(10), 1);
    EXPECT_EQ(database.continentRef({ kAllCities, 1 }), (CityRef { 0, 0 }));
    EXPECT_EQ(database.continentOfAllCitiesEntry(99), -1);
}

TEST_F(CityDatabaseTest, AddingPutsTheCityInNameOrderAndMovesTheSlotsBehindIt)
{
    auto database = CityDatabase::load(kFolder, { 3, 3 }, { 3, 2 }, { kAllCities, 12 });
    const auto chooser = database.registerSlot({ 3, 1 });
    int added = -1;
    ASSERT_EQ(database.add(3, city(u"Rome", 60), &added), EditError::None);
    // Just before the last city of Europe.
    EXPECT_EQ(added, 3);
    EXPECT_EQ(namesOf(database, 3),
        (std::vector<std::u16string> { u"Berlin", u"London", u"Paris", u"Rome", u"Santiago" }));
    EXPECT_EQ(database.slot(CityDatabase::kWorldSlot), (CityRef { 3, 4 })); // still Santiago
    EXPECT_EQ(database.slot(CityDatabase::kHomeSlot), (CityRef { 3, 2 }));  // still Paris
    EXPECT_EQ(database.slot(chooser), (CityRef { 3, 1 }));                    // still London
    EXPECT_EQ(cities::cityName(*database.record(database.slot(CityDatabase::kVisitingSlot))), u"Tokyo");
    EXPECT_TRUE(database.changed());
    // Written at once, in name order.
    const auto reread = CityDatabase::load(kFolder);
    EXPECT_EQ(namesOf(reread, 3), namesOf(database, 3));
    EXPECT_EQ(database.add(6, city(u"Nowhere")), EditError::NoRoom);
}

TEST_F(CityDatabaseTest, DeletingTheLastCityMovesItsSlotToTheNewLastAndTheWorldCityStays)
{
    auto database = CityDatabase::load(kFolder, { 0, 0 });
    const auto onLast = database.registerSlot({ 3, 3 });
    const auto onAll = database.registerSlot({ kAllCities, 12 });
    ASSERT_EQ(database.remove({ 3, 3 }), EditError::None);
    EXPECT_EQ(database.slot(onLast), (CityRef { 3, 2 }));
    EXPECT_EQ(namesOf(database, 3), (std::vector<std::u16string> { u"Berlin", u"London", u"Paris" }));
    EXPECT_EQ(database.count(kAllCities), 12);
    EXPECT_EQ(cities::cityName(*database.record(database.slot(onAll))), u"Tokyo");

    // The world-time city (Cairo) is refused, in its own list and in the list of all.
    EXPECT_EQ(database.remove({ 0, 0 }), EditError::HomeLocation);
    EXPECT_EQ(database.remove({ kAllCities, 1 }), EditError::HomeLocation);
    EXPECT_EQ(database.count(0), 2);
    EXPECT_EQ(database.remove({ 3, 9 }), EditError::NoSuchCity);
    EXPECT_EQ(CityDatabase::load(kFolder).count(3), 3);
}

TEST_F(CityDatabaseTest, ARunAddsNinetyNineCitiesAndDeletionsGiveNoRoomBack)
{
    auto database = CityDatabase::load(kFolder);
    for (int k = 0; k < cities::kAdditionRoom; ++k) {
        const std::u16string name = u"Town " + std::u16string(1, char16_t(u'A' + k / 26)) + char16_t(u'a' + k % 26);
        ASSERT_EQ(database.add(k % 6, city(name)), EditError::None) << k;
        if (k % 10 == 0) {
            ASSERT_EQ(database.remove(database.findByName(name).at(0)), EditError::None) << k;
        }
    }
    EXPECT_EQ(database.additionsLeft(), 0);
    EXPECT_EQ(database.add(0, city(u"One Too Many")), EditError::NoRoom);
    EXPECT_TRUE(database.findByName(u"One Too Many").empty());
}

TEST_F(CityDatabaseTest, ARenamedCityMovesToItsPlaceInNameOrderWithItsSlots)
{
    auto database = CityDatabase::load(kFolder, { 3, 0 });
    const auto onLondon = database.registerSlot({ 3, 1 });
    const auto onParis = database.registerSlot({ kAllCities, 8 });
    CityRecord renamed = *database.record(3, 1);
    cities::setCityName(renamed, u"Zurich");
    ASSERT_EQ(database.edit({ 3, 1 }, renamed), EditError::None);
    EXPECT_EQ(namesOf(database, 3), (std::vector<std::u16string> { u"Berlin", u"Paris", u"Santiago", u"Zurich" }));
    EXPECT_EQ(database.slot(onLondon), (CityRef { 3, 3 }));
    EXPECT_EQ(cities::cityName(*database.record(database.slot(onParis))), u"Paris");
    EXPECT_EQ(namesOf(database, kAllCities).back(), u"Zurich");
    // And so it is written: the file stays in name order.
    EXPECT_EQ(namesOf(CityDatabase::load(kFolder), 3), namesOf(database, 3));
}

TEST_F(CityDatabaseTest, EditingKeepsTheRecordsBytesAndItsPlace)
{
    auto database = CityDatabase::load(kFolder);
    CityRecord changed = *database.record(3, 1);
    changed.reserved[0] = 0x5a;
    changed.reserved58 = 0xa5;
    changed.offsetMinutes = 0;
    cities::setCityName(changed, u"Londinium");
    ASSERT_EQ(database.edit({ 3, 1 }, changed), EditError::None);
    const auto bytes = fileBytes(3);
    ASSERT_EQ(bytes.size(), 4 * sizeof(CityRecord));
    const CityRecord stored = cities::cityFromBytes(bytes.data() + sizeof(CityRecord));
    EXPECT_EQ(cities::cityName(stored), u"Londinium");
    EXPECT_EQ(stored.reserved[0], 0x5a);
    EXPECT_EQ(stored.reserved58, 0xa5);
    EXPECT_EQ(database.edit({ 4, 5 }, changed), EditError::NoSuchCity);
}

TEST_F(CityDatabaseTest, TwoCopiesChangingTheFilesLoseNeitherChange)
{
    auto first = CityDatabase::load(kFolder);
    auto second = CityDatabase::load(kFolder);
    auto onlyLooking = CityDatabase::load(kFolder);
    const auto chooser = first.registerSlot({ 4, 1 }); // New York
    ASSERT_EQ(second.add(4, city(u"Boston", -300)), EditError::None);
    ASSERT_EQ(second.remove({ 1, 0 }), EditError::None); // Delhi
    // The first copy reads the files again before its own change and keeps its slot on
    // New York, which moved.
    ASSERT_EQ(first.add(4, city(u"Chicago", -360)), EditError::None);
    EXPECT_EQ(namesOf(first, 4), (std::vector<std::u16string> { u"Boston", u"Chicago", u"Denver", u"New York" }));
    EXPECT_EQ(first.slot(chooser), (CityRef { 4, 3 }));
    EXPECT_EQ(namesOf(first, 1), (std::vector<std::u16string> { u"Tokyo" }));
    // An edit of a city the other copy deleted meanwhile changes nothing.
    ASSERT_EQ(second.remove({ 0, 1 }), EditError::None); // Nairobi
    EXPECT_EQ(first.edit({ 0, 1 }, city(u"Mombasa")), EditError::NoSuchCity);
    const auto onDisk = CityDatabase::load(kFolder);
    EXPECT_EQ(namesOf(onDisk, 4), namesOf(first, 4));
    EXPECT_EQ(namesOf(onDisk, 0), (std::vector<std::u16string> { u"Cairo" }));
    // A copy that only looks picks the other's changes up when asked.
    EXPECT_TRUE(onlyLooking.reloadIfChanged());
    EXPECT_EQ(namesOf(onlyLooking, 4), namesOf(first, 4));
    EXPECT_EQ(namesOf(onlyLooking, 0), namesOf(onDisk, 0));
    EXPECT_FALSE(onlyLooking.reloadIfChanged());
}

TEST_F(CityDatabaseTest, FindingANameIgnoresCaseAndFallsBackToTheStartOfNames)
{
    const auto database = CityDatabase::load(kFolder);
    EXPECT_EQ(database.findByName(u"berlin"), (std::vector<CityRef> { { 3, 0 } }));
    EXPECT_EQ(database.findByName(u"SANTIAGO").size(), 2u);
    EXPECT_EQ(database.findByName(u"New").size(), 1u);
    EXPECT_EQ(database.findByName(u"D").size(), 2u); // Delhi, Denver
    EXPECT_TRUE(database.findByName(u"Atlantis").empty());
}

TEST_F(CityDatabaseTest, SelectingTheCurrentCityTranslatesTheListOfAllAndRefusesOtherLists)
{
    auto database = CityDatabase::load(kFolder);
    EXPECT_TRUE(database.selectCurrentCity(kAllCities, 12));
    EXPECT_EQ(database.slot(CityDatabase::kWorldSlot), (CityRef { 1, 1 }));
    EXPECT_EQ(cities::cityName(*database.currentCity()), u"Tokyo");
    EXPECT_FALSE(database.selectCurrentCity(7, 0));
    EXPECT_TRUE(database.selectCurrentCity(-1, 0));
    EXPECT_EQ(cities::cityName(*database.currentCity()), u"Tokyo");
}

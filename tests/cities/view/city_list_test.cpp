// The city chooser: its slot, what it shows, what a pick does, and how it follows its city
// while this program, a second copy of the database and tkwctl add and delete cities.

#include "cities/view/city_list.h"

#include "cities/city_database.h"
#include "store/data_files.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"

#include <QFontMetrics>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using cities::CityDatabase;
using cities::CityList;
using cities::CityRef;

constexpr int kEurope = 3;

class CityListTest : public testing_support::DeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testing_support::installShippedCities());
        m_database = CityDatabase::load(store::kDefaultInstallFolder);
        ASSERT_TRUE(m_database.available());
        CityDatabase::setEditWait(std::chrono::seconds(5));
    }

    // A second user of the same files, as another program holds it.
    static CityDatabase otherCopy() { return CityDatabase::load(store::kDefaultInstallFolder); }

    CityRef refOf(std::u16string_view name) const
    {
        const auto found = m_database.findByName(name);
        return found.empty() ? CityRef { -1, -1 } : found.front();
    }

    static cities::CityRecord newCity(std::u16string_view name)
    {
        cities::CityRecord city {};
        cities::setCityName(city, name);
        city.offsetMinutes = 60;
        city.north = 1;
        city.east = 1;
        return city;
    }

    CityDatabase m_database;
    ui::ScreenGeometry m_screen = ui::ScreenGeometry::of(240, 320);
};

TEST_F(CityListTest, ShowsItsCityAndTakesItsOwnSlotUntilItGoes)
{
    const CityRef berlin = refOf(u"Berlin");
    ASSERT_EQ(berlin.continent, kEurope);
    CityDatabase::Slot slot = 0;
    {
        CityList chooser(m_database, berlin, m_screen);
        chooser.resize(116, chooser.sizeHint().height());
        slot = chooser.slot();
        EXPECT_GT(slot, CityDatabase::kVisitingSlot);
        EXPECT_EQ(m_database.slot(slot), berlin);
        EXPECT_EQ(chooser.city(), berlin);
        EXPECT_EQ(chooser.continentList()->items().size(), 7);
        EXPECT_EQ(chooser.continentList()->currentIndex(), kEurope);
        EXPECT_EQ(chooser.cityNames()->currentText(), QStringLiteral("Berlin"));
        EXPECT_EQ(chooser.cityNames()->items().size(), m_database.count(kEurope));
        CityList other(m_database, CityRef { 6, 0 }, m_screen);
        EXPECT_NE(other.slot(), slot);
    }
    // Both slots were given back: the next chooser takes the first of them again.
    CityList later(m_database, berlin, m_screen);
    EXPECT_EQ(later.slot(), slot);
}

TEST_F(CityListTest, AChoiceThatNamesNoCityStartsOnTheFirstCity)
{
    for (const CityRef bad : { CityRef { 3, 100000 }, CityRef { 9, 0 }, CityRef { -1, 2 } }) {
        CityList chooser(m_database, bad, m_screen);
        EXPECT_EQ(chooser.city(), (CityRef { 0, 0 }));
        EXPECT_NE(chooser.record(), nullptr);
        EXPECT_FALSE(chooser.setCity(bad));
        EXPECT_EQ(chooser.city(), (CityRef { 0, 0 }));
    }
}

TEST_F(CityListTest, PickingACityOrAContinentMovesTheSlotAndTellsTheOwner)
{
    CityList chooser(m_database, refOf(u"Berlin"), m_screen);
    QSignalSpy picked(&chooser, &CityList::cityPicked);
    const CityRef paris = refOf(u"Paris");
    emit chooser.cityNames()->selected(paris.index);
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(picked.takeFirst().at(0).value<CityRef>(), paris);
    EXPECT_EQ(chooser.city(), paris);
    EXPECT_EQ(cities::cityName(*chooser.record()), u"Paris");

    // Another continent shows its cities and takes the first of them.
    emit chooser.continentList()->selected(4);
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(chooser.city(), (CityRef { 4, 0 }));
    EXPECT_EQ(chooser.cityNames()->items().size(), m_database.count(4));
    EXPECT_EQ(chooser.cityNames()->currentIndex(), 0);
    // The same continent again changes nothing.
    emit chooser.continentList()->selected(4);
    EXPECT_EQ(picked.size(), 1);

    // Choosing in code does not tell the owner.
    EXPECT_TRUE(chooser.setCity(paris));
    EXPECT_EQ(picked.size(), 1);
    EXPECT_EQ(chooser.cityNames()->currentText(), QStringLiteral("Paris"));
}

TEST_F(CityListTest, FollowsItsCityWhenASecondCopyOfTheDatabaseEditsTheFiles)
{
    CityList chooser(m_database, refOf(u"London"), m_screen);
    const int london = chooser.city().index;
    {
        CityDatabase other = otherCopy();
        ASSERT_TRUE(other.available());
        ASSERT_EQ(other.add(kEurope, newCity(u"Aberdeen")), cities::EditError::None);
        ASSERT_EQ(other.add(kEurope, newCity(u"Zagreb2")), cities::EditError::None);
    }
    ASSERT_TRUE(m_database.reloadIfChanged());
    EXPECT_TRUE(chooser.follow());
    EXPECT_EQ(chooser.city(), (CityRef { kEurope, london + 1 }));
    EXPECT_EQ(chooser.cityNames()->currentText(), QStringLiteral("London"));

    // The other copy deletes the city the chooser shows: it moves to the next one, which
    // now has its place, and says so.
    {
        CityDatabase other = otherCopy();
        const auto found = other.findByName(u"London");
        ASSERT_FALSE(found.empty());
        ASSERT_EQ(other.remove(found.front()), cities::EditError::None);
    }
    ASSERT_TRUE(m_database.reloadIfChanged());
    chooser.follow();
    EXPECT_NE(chooser.record(), nullptr);
    EXPECT_EQ(chooser.cityNames()->currentText(), chooser.cityNames()->items().value(chooser.city().index));
    EXPECT_FALSE(chooser.cityNames()->items().contains(QStringLiteral("London")));
}

TEST_F(CityListTest, FollowsItsCityWhileTkwctlEditsBesideIt)
{
    CityList chooser(m_database, refOf(u"Berlin"), m_screen);
    const int berlin = chooser.city().index;
    const auto tkwctl = [](std::vector<std::string> words) {
        words.insert(words.begin(), TKW_TKWCTL);
        return testing_support::runCommand(words);
    };
    const auto add = tkwctl({ "city", "add", "--continent", "3", "--name", "Aalborg", "--offset", "60", "--lat",
        "57:03N", "--lon", "9:55E" });
    ASSERT_EQ(add.exitCode, 0) << add.output;
    ASSERT_TRUE(m_database.reloadIfChanged());
    chooser.follow();
    EXPECT_EQ(chooser.city(), (CityRef { kEurope, berlin + 1 }));
    EXPECT_EQ(chooser.cityNames()->currentText(), QStringLiteral("Berlin"));

    const auto remove = tkwctl({ "city", "delete", "Aalborg" });
    ASSERT_EQ(remove.exitCode, 0) << remove.output;
    ASSERT_TRUE(m_database.reloadIfChanged());
    chooser.follow();
    EXPECT_EQ(chooser.city(), (CityRef { kEurope, berlin }));
    EXPECT_EQ(chooser.cityNames()->currentText(), QStringLiteral("Berlin"));
}

TEST_F(CityListTest, LongNamesFitTheListsWidthBoldAsTheyAreDrawn)
{
    const CityRef longest = [&] {
        CityRef best { 6, 0 };
        qsizetype length = 0;
        for (int index = 0; index < m_database.count(6); ++index) {
            const auto name = cities::cityName(*m_database.record(6, index));
            if (qsizetype(name.size()) > length) {
                length = qsizetype(name.size());
                best = { 6, index };
            }
        }
        return best;
    }();
    for (const QSize screen : { QSize(240, 320), QSize(480, 640) }) {
        const auto geometry = ui::ScreenGeometry::of(screen.width(), screen.height());
        CityList chooser(m_database, longest, geometry);
        chooser.resize(geometry.scaled(100), chooser.sizeHint().height());
        for (const ui::DropList* list : { chooser.continentList(), chooser.cityNames() }) {
            QFont bold = list->font();
            bold.setBold(true);
            // The title's room: the arrow box and a margin either side taken off.
            EXPECT_LE(QFontMetrics(bold).horizontalAdvance(list->currentText()), list->width() - 16 - 8)
                << list->currentText().toStdString();
            EXPECT_LE(QFontMetrics(bold).height(), list->height());
        }
    }
}

} // namespace

// The city pages of the main program, headless on a device of the test's own with the
// shipped city files: the city editor's checks, Edit Cities' deletion, the Home Location
// dialog of the first start and of a changed zone, and the Time and Location dialog's OK.

#include "app/first_run.h"
#include "cities/view/city_list.h"
#include "cities/view/edit_cities.h"
#include "cities/view/home_location.h"
#include "cities/view/time_and_location.h"
#include "cities/world_time.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "ui/headless.h"
#include "ui/pickers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

using app_testing::answerModal;

using cities::CityDatabase;
using cities::CityRef;

// What a modal message box said, and how it was answered.
struct Message {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs `action` and answers the message box it shows with `button`; nullopt when none showed.
std::optional<Message> messageDuring(
    const std::function<void()>& action, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    Message message;
    const bool seen = answerModal(action, [&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr) << modal.metaObject()->className();
        message = { box->text(), box->windowTitle(), box->icon() };
        if (QAbstractButton* answer = box->button(button))
            answer->click();
        else
            box->reject();
    });
    if (!seen)
        return std::nullopt;
    return message;
}

cities::CityRef refOf(const store::CityRef& stored)
{
    return { std::int32_t(stored.continent), std::int32_t(stored.index) };
}

class CityPages : public testing_support::DeviceTest {
protected:
    CityPages()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
        store::setCurrentLanguage(store::kEnglish);
        m_db = CityDatabase::load(u"\\Program Files\\Tickwell Pro\\", kBerlin, kBerlin, kParis);
        EXPECT_TRUE(m_db.available());
    }
    ~CityPages() override { store::setCurrentLanguage(store::kEnglish); }

    CityRef named(std::u16string_view name) const
    {
        const auto found = m_db.findByName(name);
        EXPECT_FALSE(found.empty())
            << QString::fromStdU16String(std::u16string(name)).toStdString();
        return found.empty() ? CityRef {} : found.front();
    }
    static TIME_ZONE_INFORMATION deviceZone()
    {
        TIME_ZONE_INFORMATION zone {};
        (void)GetTimeZoneInformation(&zone);
        return zone;
    }
    void giveDeviceTheZoneOf(std::u16string_view name)
    {
        const TIME_ZONE_INFORMATION zone = cities::zoneOfCity(*m_db.record(named(name)), true);
        ASSERT_TRUE(SetTimeZoneInformation(&zone));
    }

    static constexpr CityRef kBerlin { 3, 8 };
    static constexpr CityRef kParis { 3, 55 };
    CityDatabase m_db;
};

// --- The city editor ---------------------------------------------------------------------

TEST_F(CityPages, TheEditorChecksNameThenPositionAndStaysOpenUntilBothAreRight)
{
    cities::CityEditor editor(nullptr, m_db, std::nullopt, 3);
    editor.show();
    const int before = m_db.count(3);
    // Nothing filled in and a latitude past the pole: the name is asked for first.
    editor.nameField()->setText(QStringLiteral("   "));
    editor.latitudeDegrees()->setText(QStringLiteral("91"));
    auto said = messageDuring([&] { editor.accept(); });
    ASSERT_TRUE(said);
    EXPECT_EQ(said->text, QStringLiteral("Please enter name of city."));
    EXPECT_EQ(said->caption, QStringLiteral("Tickwell Pro"));
    EXPECT_EQ(said->icon, QMessageBox::Warning);
    EXPECT_TRUE(editor.isVisible());

    editor.nameField()->setText(QStringLiteral("Longyearbyen North Pole Station"));
    const auto refused = [&](const char* latDegrees, const char* latMinutes, const char* lonDegrees,
                             const char* lonMinutes) {
        editor.latitudeDegrees()->setText(QString::fromLatin1(latDegrees));
        editor.latitudeMinutes()->setText(QString::fromLatin1(latMinutes));
        editor.longitudeDegrees()->setText(QString::fromLatin1(lonDegrees));
        editor.longitudeMinutes()->setText(QString::fromLatin1(lonMinutes));
        const auto message = messageDuring([&] { editor.accept(); });
        return message
            && message->text == QStringLiteral("Please enter correct latitude and logitude data.")
            && message->caption == QStringLiteral("Tickwell Pro")
            && editor.result() != QDialog::Accepted;
    };
    EXPECT_TRUE(refused("91", "0", "10", "0"));
    EXPECT_TRUE(refused("90", "1", "10", "0"));
    EXPECT_TRUE(refused("45", "", "10", "0")); // an empty edit is no number
    EXPECT_TRUE(refused("45", "60", "10", "0")); // minutes stop at 59
    EXPECT_TRUE(refused("45", "0", "181", "0"));
    EXPECT_TRUE(refused("45", "0", "180", "1"));
    EXPECT_TRUE(refused("4x", "0", "10", "0"));
    EXPECT_EQ(m_db.count(3), before);

    // 90° 0′ and 180° 0′ are the limits themselves.
    editor.latitudeDegrees()->setText(QStringLiteral("90"));
    editor.latitudeMinutes()->setText(QStringLiteral("0"));
    editor.northSouth()->setCurrentIndex(1);
    editor.longitudeDegrees()->setText(QStringLiteral("180"));
    editor.longitudeMinutes()->setText(QStringLiteral("0"));
    editor.eastWest()->setCurrentIndex(1);
    editor.offsetSign()->setCurrentIndex(1);
    editor.offsetHours()->setValue(5);
    editor.offsetMinutes()->setValue(30);
    EXPECT_FALSE(messageDuring([&] { editor.accept(); }));
    EXPECT_EQ(editor.result(), QDialog::Accepted);

    // Written to the files: a fresh read finds it, the name cut to 20 characters.
    const auto fresh = CityDatabase::load(u"\\Program Files\\Tickwell Pro\\");
    ASSERT_EQ(fresh.count(3), before + 1);
    const auto found = fresh.findByName(u"Longyearbyen North ");
    ASSERT_EQ(found.size(), 1u);
    const cities::CityRecord& city = *fresh.record(found.front());
    EXPECT_EQ(cities::cityName(city), u"Longyearbyen North P");
    EXPECT_EQ(city.latitudeDegrees, 90);
    EXPECT_EQ(city.north, 0);
    EXPECT_EQ(city.longitudeDegrees, 180);
    EXPECT_EQ(city.east, 0);
    EXPECT_EQ(city.offsetMinutes, -330);
}

TEST_F(CityPages, AnEditKeepsTheBytesTheEditorHasNoFieldForAndTheRuleWhenDaylightIsOff)
{
    const CityRef berlin = named(u"Berlin");
    const cities::CityRecord before = *m_db.record(berlin);
    cities::CityEditor editor(nullptr, m_db, berlin, 3);
    EXPECT_TRUE(editor.daylightUsed()->isChecked());
    EXPECT_EQ(editor.monthList(0)->currentIndex(), 2); // March
    EXPECT_EQ(editor.weekList(0)->currentIndex(), 4); // the last week
    editor.daylightUsed()->setChecked(false);
    editor.accept();
    ASSERT_EQ(editor.result(), QDialog::Accepted);

    const auto fresh = CityDatabase::load(u"\\Program Files\\Tickwell Pro\\");
    const cities::CityRecord after = *fresh.record(fresh.findByName(u"Berlin").front());
    EXPECT_EQ(after.usesDaylight, 0);
    EXPECT_EQ(after.daylightStartDay, before.daylightStartDay);
    EXPECT_EQ(after.daylightStartMonth, before.daylightStartMonth);
    EXPECT_EQ(after.standardStartMonth, before.standardStartMonth);
    EXPECT_EQ(after.daylightStartHour, before.daylightStartHour);
    EXPECT_EQ(after.daylightEndHour, before.daylightEndHour);
    EXPECT_EQ(after.reserved58, before.reserved58);
    EXPECT_EQ(after.offsetMinutes, before.offsetMinutes);
}

TEST_F(CityPages, ANewCityStartsWithTheDevicesDaylightRule)
{
    giveDeviceTheZoneOf(u"New York"); // second Sunday of March at 2:00 to the first of November
    cities::CityEditor editor(nullptr, m_db, std::nullopt, 4);
    EXPECT_TRUE(editor.nameField()->text().isEmpty());
    EXPECT_EQ(editor.latitudeDegrees()->text(), QStringLiteral("0"));
    EXPECT_EQ(editor.offsetHours()->value(), 0);
    EXPECT_FALSE(editor.daylightUsed()->isChecked());
    EXPECT_EQ(editor.monthList(0)->currentIndex(), 2);
    EXPECT_EQ(editor.weekList(0)->currentIndex(), 1);
    EXPECT_EQ(editor.monthList(1)->currentIndex(), 10);
    EXPECT_EQ(editor.weekList(1)->currentIndex(), 0);
    editor.nameField()->setText(QStringLiteral("Hartford"));
    editor.daylightUsed()->setChecked(true);
    editor.accept();
    ASSERT_EQ(editor.result(), QDialog::Accepted);
    const cities::CityRecord& added = *m_db.record(editor.stored());
    const auto rule = cities::daylightRule(added);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->daylightStart, (cities::RuleDay { 3, 0, 2 }));
    EXPECT_EQ(rule->standardStart, (cities::RuleDay { 11, 0, 1 }));
    EXPECT_EQ(added.daylightStartHour, 2);
    EXPECT_EQ(added.daylightEndHour, 2);
}

// The Day list starts on Monday where the week does, and Monday is stored as 1 and Sunday
// as 0 either way.
TEST(CityEditorDays, TheDayListFollowsTheLocalesFirstDayOfTheWeek)
{
    EXPECT_EQ(cities::weekdayOfDayListPosition(0, 0), 1);
    EXPECT_EQ(cities::weekdayOfDayListPosition(5, 0), 6);
    EXPECT_EQ(cities::weekdayOfDayListPosition(6, 0), 0);
    EXPECT_EQ(cities::weekdayOfDayListPosition(0, 6), 0);
    EXPECT_EQ(cities::weekdayOfDayListPosition(6, 6), 6);
    for (int weekday = 0; weekday < 7; ++weekday)
        for (const int first : { 0, 6 })
            EXPECT_EQ(cities::weekdayOfDayListPosition(
                          cities::dayListPositionOfWeekday(weekday, first), first),
                weekday);

    for (const auto& [locale, mondayFirst] :
        { std::pair { "de_DE.UTF-8", true }, std::pair { "en_US.UTF-8", false } }) {
        testing_support::EnvironmentGuard all("LC_ALL", locale);
        testing_support::TemporaryDevice device;
        ASSERT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
        ASSERT_EQ(platform::userLocale().firstDayOfWeek == 0, mondayFirst) << locale;
        auto db = CityDatabase::load(u"\\Program Files\\Tickwell Pro\\");
        ASSERT_TRUE(db.available());
        const CityRef tokyo = db.findByName(u"Tokyo").front();
        cities::CityEditor editor(nullptr, db, tokyo, 1);
        const auto& days = platform::userLocale().dayNames; // Sunday first
        EXPECT_EQ(
            editor.dayList(0)->itemText(0), QString::fromStdU16String(days[mondayFirst ? 1 : 0]))
            << locale;
        EXPECT_EQ(
            editor.dayList(0)->itemText(6), QString::fromStdU16String(days[mondayFirst ? 0 : 6]))
            << locale;
        editor.daylightUsed()->setChecked(true);
        editor.dayList(0)->setCurrentIndex(0); // the first day of the list
        editor.dayList(1)->setCurrentIndex(6); // its last
        editor.accept();
        ASSERT_EQ(editor.result(), QDialog::Accepted);
        const auto rule = cities::daylightRule(*db.record(tokyo));
        ASSERT_TRUE(rule);
        EXPECT_EQ(rule->daylightStart.weekday, mondayFirst ? 1 : 0) << locale;
        EXPECT_EQ(rule->standardStart.weekday, mondayFirst ? 0 : 6) << locale;
    }
}

// --- Edit Cities ---------------------------------------------------------------------------

TEST_F(CityPages, DeletingTheHomeLocationIsRefusedAndAnyOtherCityIsAskedAbout)
{
    cities::EditCitiesPage page(nullptr, m_db);
    page.showContinent(3);
    const int berlinRow = m_db.indexOf(3, m_db.record(named(u"Berlin")));
    page.selectRow(berlinRow);
    auto said = messageDuring([&] { page.deleteSelected(); });
    ASSERT_TRUE(said);
    EXPECT_EQ(said->text, QStringLiteral("You can't delete home location city."));
    EXPECT_EQ(said->icon, QMessageBox::Warning);
    EXPECT_EQ(m_db.findByName(u"Berlin").size(), 1u);

    // Through the all-cities list the same city is still the home location.
    page.showContinent(cities::kAllCities);
    page.selectRow(m_db.indexOf(cities::kAllCities, m_db.record(named(u"Berlin"))));
    said = messageDuring([&] { page.deleteSelected(); });
    ASSERT_TRUE(said);
    EXPECT_EQ(said->text, QStringLiteral("You can't delete home location city."));

    page.showContinent(3);
    const int count = m_db.count(3);
    page.selectRow(m_db.indexOf(3, m_db.record(named(u"Madrid"))));
    said = messageDuring([&] { page.deleteSelected(); }, QMessageBox::No);
    ASSERT_TRUE(said);
    EXPECT_EQ(said->text, QStringLiteral("Are you sure you want to delete the selected city?"));
    EXPECT_EQ(said->icon, QMessageBox::Question);
    EXPECT_EQ(m_db.count(3), count);
    EXPECT_EQ(m_db.findByName(u"Madrid").size(), 1u);

    said = messageDuring([&] { page.deleteSelected(); }, QMessageBox::Yes);
    ASSERT_TRUE(said);
    EXPECT_EQ(m_db.count(3), count - 1);
    EXPECT_EQ(page.cityRows()->topLevelItemCount(), count - 1);
    EXPECT_TRUE(
        CityDatabase::load(u"\\Program Files\\Tickwell Pro\\").findByName(u"Madrid").empty());
}

TEST_F(CityPages, TheRowsShowEachCitysStandardOffset)
{
    cities::EditCitiesPage page(nullptr, m_db);
    page.showContinent(1);
    const int row = m_db.indexOf(1, m_db.record(named(u"Kolkata")));
    ASSERT_GE(row, 0);
    EXPECT_EQ(page.cityRows()->topLevelItem(row)->text(0), QStringLiteral("Kolkata"));
    EXPECT_EQ(page.cityRows()->topLevelItem(row)->text(1), QStringLiteral("(GMT +05:30)"));
    EXPECT_EQ(page.cityRows()->topLevelItemCount(), m_db.count(1));
}

// The page edits a city while tkwctl, another process, adds one: both changes reach the files.
TEST_F(CityPages, AnEditBesideAnotherProgramAddingACityLosesNeither)
{
    cities::EditCitiesPage page(nullptr, m_db);
    page.showContinent(3);
    page.selectRow(m_db.indexOf(3, m_db.record(named(u"Vienna"))));
    const auto added = testing_support::runCommand({ TKW_TKWCTL, "city", "add", "--continent", "3",
        "--name", "Aachen", "--offset", "60", "--lat", "50:46N", "--lon", "06:05E" });
    ASSERT_EQ(added.exitCode, 0) << added.output;

    const bool opened = answerModal([&] { page.editSelected(); },
        [](QWidget& modal) {
            auto& editor = dynamic_cast<cities::CityEditor&>(modal);
            // The editor shows the city the page selected, although a city was added before it.
            EXPECT_EQ(editor.nameField()->text(), QStringLiteral("Vienna"));
            editor.nameField()->setText(QStringLiteral("Wien"));
            editor.accept();
        });
    ASSERT_TRUE(opened);
    const auto fresh = CityDatabase::load(u"\\Program Files\\Tickwell Pro\\");
    EXPECT_EQ(fresh.findByName(u"Aachen").size(), 1u);
    EXPECT_EQ(fresh.findByName(u"Wien").size(), 1u);
    EXPECT_TRUE(fresh.findByName(u"Vienna").empty());
    // The page shows both.
    QStringList names;
    for (int row = 0; row < page.cityRows()->topLevelItemCount(); ++row)
        names.append(page.cityRows()->topLevelItem(row)->text(0));
    EXPECT_TRUE(names.contains(QStringLiteral("Aachen")));
    EXPECT_TRUE(names.contains(QStringLiteral("Wien")));
}

// --- Home Location ---------------------------------------------------------------------------

TEST_F(CityPages, TheFirstStartAsksTheLanguageThenTheHomeLocationAndGivesItsZoneToTheDevice)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""),
        locale("LANG", "C");
    giveDeviceTheZoneOf(u"Tokyo");
    QStringList asked;
    const bool languageAsked = answerModal([&] { app::runFirstRunSetUp(nullptr); },
        [&](QWidget& modal) {
            asked.append(modal.metaObject()->className());
            auto& step = dynamic_cast<app::LanguageStep&>(modal);
            step.choose(store::kGerman);
            step.accept();
        });
    ASSERT_TRUE(languageAsked);
    const bool homeAsked = answerModal([&] { app::runFirstStartHomeLocation(nullptr, m_db); },
        [&](QWidget& modal) {
            asked.append(modal.metaObject()->className());
            auto& dialog = dynamic_cast<cities::HomeLocationDialog&>(modal);
            EXPECT_EQ(dialog.form(), cities::HomeLocationForm::FirstStart);
            EXPECT_EQ(
                dialog.windowTitle(), QString::fromUtf8("Heimatort")); // in the language chosen
            // German starts on Berlin.
            EXPECT_EQ(cities::cityName(*dialog.chooser()->record()), u"Berlin");
            EXPECT_TRUE(dialog.chooser()->setCity(named(u"Paris")));
            dialog.accept();
        });
    ASSERT_TRUE(homeAsked);
    EXPECT_EQ(asked,
        (QStringList {
            QStringLiteral("app::LanguageStep"), QStringLiteral("cities::HomeLocationDialog") }));

    // Paris is the Home and the world-time city, in the settings file too; German's Visiting
    // city stays.
    const cities::CityRecord* paris = m_db.record(named(u"Paris"));
    EXPECT_EQ(m_db.record(m_db.slot(CityDatabase::kWorldSlot)), paris);
    EXPECT_EQ(m_db.record(m_db.slot(CityDatabase::kHomeSlot)), paris);
    EXPECT_EQ(cities::cityName(*m_db.record(m_db.slot(CityDatabase::kVisitingSlot))), u"Istanbul");
    store::SettingsRecord saved {};
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(m_db.record(refOf(saved.worldCity)), paris);
    EXPECT_EQ(m_db.record(refOf(saved.homeCity)), paris);
    EXPECT_EQ(saved.homeActive, 1);
    // The device keeps Paris's zone, hours of the transitions included.
    const TIME_ZONE_INFORMATION zone = deviceZone();
    EXPECT_EQ(zone.Bias, -60);
    EXPECT_EQ(zone.DaylightDate.wMonth, 3);
    EXPECT_EQ(zone.DaylightDate.wHour, 2);
    EXPECT_EQ(zone.StandardDate.wMonth, 10);
    EXPECT_EQ(zone.StandardDate.wHour, 3);
    EXPECT_FALSE(cities::homeLocationChanged(m_db));
}

TEST_F(CityPages, AStartInAnotherZoneShowsTheSecondFormAndTheNewCityBecomesVisiting)
{
    giveDeviceTheZoneOf(u"Berlin");
    EXPECT_FALSE(answerModal([&] { EXPECT_FALSE(app::runHomeLocationCheck(nullptr, m_db)); },
        [](QWidget& modal) { modal.close(); }));

    giveDeviceTheZoneOf(u"New York");
    const bool asked = answerModal([&] { EXPECT_TRUE(app::runHomeLocationCheck(nullptr, m_db)); },
        [&](QWidget& modal) {
            auto& dialog = dynamic_cast<cities::HomeLocationDialog&>(modal);
            EXPECT_EQ(dialog.form(), cities::HomeLocationForm::ZoneChanged);
            const auto labels = dialog.findChildren<QLabel*>(QStringLiteral("HomeLocationMessage"));
            ASSERT_EQ(labels.size(), 1);
            EXPECT_EQ(labels.front()->text(),
                QStringLiteral("The application has detected that the system time zone settings "
                               "have been changed. "
                               "\nPlease, set your current location."));
            EXPECT_TRUE(dialog.chooser()->setCity(named(u"Tokyo")));
            dialog.accept();
        });
    ASSERT_TRUE(asked);
    const cities::CityRecord* tokyo = m_db.record(named(u"Tokyo"));
    EXPECT_EQ(m_db.record(m_db.slot(CityDatabase::kWorldSlot)), tokyo);
    EXPECT_EQ(m_db.record(m_db.slot(CityDatabase::kVisitingSlot)), tokyo);
    EXPECT_EQ(cities::cityName(*m_db.record(m_db.slot(CityDatabase::kHomeSlot))), u"Berlin");
    EXPECT_EQ(store::settings().homeActive, 0);
    EXPECT_EQ(deviceZone().Bias, -540);
    EXPECT_EQ(deviceZone().StandardDate.wMonth, 0);
    EXPECT_FALSE(cities::homeLocationChanged(m_db));
}

// --- Time and Location ----------------------------------------------------------------------

TEST_F(CityPages, TimeAndLocationUntouchedKeepsTheUniversalTimeAndGivesTheZone)
{
    giveDeviceTheZoneOf(u"Tokyo");
    cities::TimeAndLocationDialog dialog(nullptr, m_db);
    EXPECT_TRUE(
        dialog.chooser(cities::TimeAndLocationDialog::Visiting)->setCity(named(u"New York")));
    dialog.sideButton(cities::TimeAndLocationDialog::Visiting)->setChecked(true);
    dialog.tick();
    // The untouched pickers show New York's time.
    const SYSTEMTIME shown = dialog.timePicker(cities::TimeAndLocationDialog::Visiting)->value();
    const SYSTEMTIME newYork = cities::cityLocalTimeNow(*m_db.record(named(u"New York")));
    EXPECT_EQ(shown.wHour, newYork.wHour);
    const std::int64_t before = std::int64_t(platform::deviceUniversalTicks());
    dialog.accept();
    const std::int64_t after = std::int64_t(platform::deviceUniversalTicks());
    EXPECT_GE(after - before, 0);
    EXPECT_LT(after - before, std::int64_t(cities::kTicksPerMinute)); // the clock went on, no jump
    EXPECT_EQ(deviceZone().Bias, 300);
    EXPECT_EQ(store::settings().homeActive, 0);
    EXPECT_EQ(m_db.record(refOf(store::settings().visitingCity)), m_db.record(named(u"New York")));
    EXPECT_EQ(m_db.record(m_db.slot(CityDatabase::kWorldSlot)), m_db.record(named(u"New York")));
}

TEST_F(CityPages, TimeAndLocationWithAnEditedTimeSetsTheDeviceClockInTheCitysZone)
{
    giveDeviceTheZoneOf(u"Tokyo");
    cities::TimeAndLocationDialog dialog(nullptr, m_db);
    dialog.sideButton(cities::TimeAndLocationDialog::Home)->setChecked(true);
    // An edit of the Visiting city's time does not count: Home is the active one.
    dialog.editTime(cities::TimeAndLocationDialog::Visiting, 1, 1);
    dialog.editTime(cities::TimeAndLocationDialog::Home, 7, 45);
    SYSTEMTIME date {};
    date.wYear = 2031;
    date.wMonth = 1;
    date.wDay = 15;
    dialog.editDate(cities::TimeAndLocationDialog::Home, date);
    dialog.accept();
    EXPECT_EQ(deviceZone().Bias, -60); // Berlin
    const SYSTEMTIME now = platform::localNow();
    EXPECT_EQ(now.wYear, 2031);
    EXPECT_EQ(now.wMonth, 1);
    EXPECT_EQ(now.wDay, 15);
    EXPECT_EQ(now.wHour, 7);
    EXPECT_EQ(now.wMinute, 45);
    EXPECT_EQ(store::settings().homeActive, 1);
}

TEST_F(CityPages, TimeAndLocationWithOnlyTheDateEditedKeepsTheCitysTimeOfDay)
{
    giveDeviceTheZoneOf(u"New York");
    cities::TimeAndLocationDialog dialog(nullptr, m_db);
    dialog.sideButton(cities::TimeAndLocationDialog::Home)->setChecked(true);
    SYSTEMTIME date {};
    date.wYear = 2030;
    date.wMonth = 6;
    date.wDay = 3;
    dialog.editDate(cities::TimeAndLocationDialog::Home, date);
    const SYSTEMTIME berlin = cities::cityLocalTimeNow(*m_db.record(named(u"Berlin")));
    dialog.accept();
    const SYSTEMTIME now = platform::localNow();
    EXPECT_EQ(now.wYear, 2030);
    EXPECT_EQ(now.wMonth, 6);
    EXPECT_EQ(now.wDay, 3);
    // Berlin's time of day (a minute's turn aside).
    const int minutes = now.wHour * 60 + now.wMinute;
    const int expected = berlin.wHour * 60 + berlin.wMinute;
    EXPECT_LE((minutes - expected + 1440) % 1440, 1);
    EXPECT_EQ(deviceZone().Bias, -60);
}

TEST_F(CityPages, TimeAndLocationRefreshesOnlyWhatTheUserDidNotEdit)
{
    cities::TimeAndLocationDialog dialog(nullptr, m_db);
    const auto side = cities::TimeAndLocationDialog::Home;
    dialog.editTime(side, 3, 4);
    dialog.tick();
    EXPECT_EQ(dialog.timePicker(side)->value().wHour, 3);
    EXPECT_EQ(dialog.timePicker(side)->value().wMinute, 4);
    const SYSTEMTIME berlin = cities::cityLocalTimeNow(*m_db.record(named(u"Berlin")));
    EXPECT_EQ(dialog.datePicker(side)->value().wDay, berlin.wDay);
    // Cancel changes nothing.
    const TIME_ZONE_INFORMATION zone = deviceZone();
    dialog.reject();
    EXPECT_EQ(deviceZone().Bias, zone.Bias);
}

// tkwctl deletes a city listed before the Visiting city while the dialog is open: OK still
// stores the Visiting city the user sees, at its new place.
TEST_F(CityPages, TimeAndLocationBesideAnotherProgramDeletingACityKeepsItsCities)
{
    cities::TimeAndLocationDialog dialog(nullptr, m_db);
    const auto side = cities::TimeAndLocationDialog::Visiting;
    ASSERT_EQ(cities::cityName(*dialog.chooser(side)->record()), u"Paris");
    const auto deleted = testing_support::runCommand({ TKW_TKWCTL, "city", "delete", "Amsterdam" });
    ASSERT_EQ(deleted.exitCode, 0) << deleted.output;
    for (int tick = 0; tick < 10; ++tick)
        dialog.tick();
    dialog.sideButton(side)->setChecked(true);
    dialog.accept();
    const auto fresh = CityDatabase::load(u"\\Program Files\\Tickwell Pro\\");
    EXPECT_TRUE(fresh.findByName(u"Amsterdam").empty());
    EXPECT_EQ(cities::cityName(*fresh.record(refOf(store::settings().visitingCity))), u"Paris");
    EXPECT_EQ(cities::cityName(*fresh.record(refOf(store::settings().homeCity))), u"Berlin");
}

// Pictures for a person to look at (no test compares them): the pages as a 240x320 device
// shows them in English.
TEST_F(CityPages, PicturesOfThePages)
{
    const QString folder = QStringLiteral(TKW_SCREENSHOT_DIR "/");
    const auto save = [&](QWidget& page, const char* name) {
        page.show();
        QApplication::processEvents();
        EXPECT_TRUE(ui::saveScreenshot(&page, folder + QString::fromLatin1(name))) << name;
    };
    cities::HomeLocationDialog first(nullptr, m_db, cities::HomeLocationForm::FirstStart);
    save(first, "home_location.png");
    cities::HomeLocationDialog changed(nullptr, m_db, cities::HomeLocationForm::ZoneChanged);
    save(changed, "home_location_zone_changed.png");
    cities::TimeAndLocationDialog timeAndLocation(nullptr, m_db);
    save(timeAndLocation, "time_and_location.png");
    cities::EditCitiesPage page(nullptr, m_db);
    save(page, "edit_cities.png");
    cities::CityEditor editor(nullptr, m_db, named(u"Berlin"), 3);
    save(editor, "city_editor.png");
}

} // namespace

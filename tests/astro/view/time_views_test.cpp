// The Internet Time, Time Calc and City Time views and the General view's year counter,
// headless on a device of the test's own: the converter both ways and its direction kept
// for the next start, the time calculator across a daylight rule, the grids' pages and the
// choices kept in the settings while tkwctl edits the cities beside them, and every view
// fitted on portrait and landscape screens in English and German.

#include "app/year_counter.h"
#include "astro/view/city_time_view.h"
#include "astro/view/internet_time_view.h"
#include "astro/view/time_calc_view.h"
#include "cities/view/city_list.h"
#include "cities/view/time_and_location.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/child_process.h"
#include "tests/support/city_device_test.h"
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/layout_report.h"
#include "ui/pickers.h"
#include "ui/time_dialog.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

using cities::CityDatabase;
using cities::CityRef;

SYSTEMTIME at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), WORD(cities::dayOfWeek(year, month, day)),
        WORD(day), WORD(hour), WORD(minute), 0, 0 };
}

class TimeViews : public testing_support::CityDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CityDeviceTest::SetUp());
        store::setCurrentLanguage(store::kEnglish);
        m_screen.resize(240, 320);
    }
    void TearDown() override { store::setCurrentLanguage(store::kEnglish); }

    std::u16string nameOf(const store::CityRef& ref) const
    {
        const auto* city
            = m_database.record(CityRef { std::int32_t(ref.continent), std::int32_t(ref.index) });
        return city ? std::u16string(cities::cityName(*city)) : u"(none)";
    }
    void giveDeviceTheZoneOf(std::u16string_view name)
    {
        const TIME_ZONE_INFORMATION zone
            = cities::zoneOfCity(*m_database.record(refOf(name)), true);
        ASSERT_TRUE(SetTimeZoneInformation(&zone));
    }

    QWidget m_screen;
    faces::SkinSet m_skin; // not loaded: the views' plain colours
};

// --- Internet Time -----------------------------------------------------------------------

TEST_F(TimeViews, InternetTimeConvertsBothWaysOnThePickedDateInTheDevicesZone)
{
    giveDeviceTheZoneOf(u"Berlin"); // daylight time in June: universal time + 2 hours
    store::settings().viewOption1 = 0;
    astro::InternetTimeView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin);
    view.activate();
    EXPECT_EQ(view.direction(), astro::ConverterDirection::ToBeats);
    EXPECT_EQ(view.currentBeatText().size(), 3);

    // 14:00 in Berlin is 12:00 universal time: 46,800 s × 10 / 864 = 541.67.
    view.datePicker().setValue(at(2024, 6, 10));
    view.timePicker().setTime(QTime(14, 0));
    EXPECT_EQ(view.resultText(), QStringLiteral("541"));
    view.timePicker().setTime(QTime(1, 0)); // 23:00 universal time the day before: beat 0
    EXPECT_EQ(view.resultText(), QStringLiteral("000"));

    // The other way: beat 500 begins at 11:00 universal time, 13:00 in Berlin.
    view.setDirection(astro::ConverterDirection::FromBeats);
    EXPECT_TRUE(view.beatField().isVisibleTo(&m_screen));
    EXPECT_FALSE(view.timePicker().isVisibleTo(&m_screen));
    view.beatField().setValue(500);
    EXPECT_EQ(view.resultText(), QStringLiteral("13:00"));
    // The field takes no beat past the day's last.
    view.beatField().setValue(1500);
    EXPECT_EQ(view.beatField().value(), 999);
}

TEST_F(TimeViews, InternetTimeKeepsItsDirectionForTheNextStartAndReadsAnyByteAsOne)
{
    store::settings().viewOption1 = 0;
    {
        astro::InternetTimeView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin);
        // The user picks the second entry of the list.
        emit view.directionList().selected(1);
        EXPECT_EQ(view.direction(), astro::ConverterDirection::FromBeats);
    }
    ASSERT_TRUE(store::SaveSettings());
    store::settings().viewOption1 = 0;
    ASSERT_TRUE(store::LoadSettings());
    EXPECT_EQ(store::settings().viewOption1, 1);
    {
        astro::InternetTimeView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin);
        EXPECT_EQ(view.direction(), astro::ConverterDirection::FromBeats);
        EXPECT_EQ(view.directionList().currentIndex(), 1);
    }
    // A damaged record's byte starts the first direction, not an entry the list lacks.
    store::settings().viewOption1 = 7;
    astro::InternetTimeView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin);
    EXPECT_EQ(view.direction(), astro::ConverterDirection::ToBeats);
    EXPECT_EQ(view.directionList().currentIndex(), 0);
}

// --- Time Calc ---------------------------------------------------------------------------

TEST_F(TimeViews, TimeCalcConvertsFromADaylightCityToOneWithoutDaylightRule)
{
    store::settings().worldCity = stored(refOf(u"Berlin"));
    store::settings().cityListB[0] = stored(refOf(u"Tokyo"));
    store::settings().cityListB[1] = stored(refOf(u"London"));
    astro::TimeCalcView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin, m_database);
    view.activate();
    // 16 July 12:00 in Berlin (daylight) is 10:00 universal time: 19:00 in Tokyo, which
    // keeps no daylight time (eight hours on the offsets, seven in summer), 11:00 in London.
    view.datePicker().setValue(at(2024, 7, 16));
    view.timePicker().setTime(QTime(12, 0));
    const astro::CityGrid::LocalTimeOf localOf = [&](const cities::CityRecord& cell) {
        return astro::convertCityTime(*view.source().record(), view.sourceTime(), cell);
    };
    const auto tokyo = view.grid().texts(0, localOf);
    EXPECT_EQ(tokyo.time, QStringLiteral("19:00"));
    EXPECT_EQ(tokyo.date, QStringLiteral("Tue, 16/07"));
    EXPECT_EQ(view.grid().texts(1, localOf).time, QStringLiteral("11:00"));

    // What the view draws is what it reports: a clock and two texts a cell, none over a control.
    ui::LayoutReport report;
    const auto geometry = ui::ScreenGeometry::of(240, 320);
    const QRect area(0, 0, 240, 245);
    view.reportLayout(report, app::ViewContext { geometry, area });
    QStringList drawn;
    for (const auto& text : report.texts())
        drawn.append(text.text);
    EXPECT_TRUE(drawn.contains(QStringLiteral("19:00")));
    EXPECT_TRUE(drawn.contains(QStringLiteral("Tue, 16/07")));
    EXPECT_EQ(report.images().size(), std::size_t(view.grid().shape().cellsPerPage()));
    EXPECT_TRUE(testing_support::checkDrawnLayout(report, area, &m_screen).empty())
        << testing_support::formatFindings(
               testing_support::checkDrawnLayout(report, area, &m_screen))
               .toStdString();
}

TEST_F(TimeViews, TimeCalcSourceLeavesTheHomeLocationAlone)
{
    const CityRef berlin = refOf(u"Berlin");
    store::settings().worldCity = stored(berlin);
    m_database.setSlot(CityDatabase::kWorldSlot, berlin);
    astro::TimeCalcView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin, m_database);
    // The user picks North America, which picks its first city.
    emit view.source().continentList()->selected(4);
    EXPECT_EQ(view.source().city().continent, 4);
    EXPECT_EQ(store::settings().worldCity, stored(berlin));
    EXPECT_EQ(m_database.slot(CityDatabase::kWorldSlot), berlin);
}

TEST_F(TimeViews, TimeCalcPickersTakeWhatTheirDialogsChooseAndNothingOnCancel)
{
    astro::TimeCalcView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin, m_database);
    view.activate();
    SYSTEMTIME start = at(2024, 7, 16);
    start.wHour = 12;
    start.wMinute = 30;
    start.wSecond = 45;
    view.datePicker().setValue(start);
    view.timePicker().setValue(start);
    // Answers the dialog the next tap opens.
    const auto answer = [](std::function<void(QDialog&)> act) {
        QTimer::singleShot(50, [act] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                act(*dialog);
        });
    };

    // Another date: the day changes, the time of the date picker stays.
    answer([](QDialog& dialog) {
        auto* dates = qobject_cast<cities::DateDialog*>(&dialog);
        ASSERT_NE(dates, nullptr);
        dates->calendar()->setSelectedDate(QDate(2025, 2, 3));
        dialog.accept();
    });
    emit view.datePicker().activated();
    EXPECT_EQ(view.datePicker().date(), QDate(2025, 2, 3));
    EXPECT_EQ(view.datePicker().value().wDayOfWeek, 1); // a Monday
    EXPECT_EQ(view.datePicker().value().wHour, 12);

    // Cancelled: nothing changes.
    answer([](QDialog& dialog) {
        auto* dates = qobject_cast<cities::DateDialog*>(&dialog);
        ASSERT_NE(dates, nullptr);
        dates->calendar()->setSelectedDate(QDate(2026, 5, 5));
        dialog.reject();
    });
    emit view.datePicker().activated();
    EXPECT_EQ(view.datePicker().date(), QDate(2025, 2, 3));

    // Another time: the whole minute chosen, which the converted moment takes.
    answer([](QDialog& dialog) {
        auto* times = qobject_cast<ui::TimeDialog*>(&dialog);
        ASSERT_NE(times, nullptr);
        times->setTime(7, 5);
        dialog.accept();
    });
    emit view.timePicker().activated();
    EXPECT_EQ(view.timePicker().time(), QTime(7, 5));
    const SYSTEMTIME moment = view.sourceTime();
    EXPECT_EQ(QDate(moment.wYear, moment.wMonth, moment.wDay), QDate(2025, 2, 3));
    EXPECT_EQ(moment.wHour, 7);
    EXPECT_EQ(moment.wMinute, 5);
    EXPECT_EQ(moment.wSecond, 0);

    answer([](QDialog& dialog) {
        if (auto* times = qobject_cast<ui::TimeDialog*>(&dialog))
            times->setTime(20, 0);
        dialog.reject();
    });
    emit view.timePicker().activated();
    EXPECT_EQ(view.timePicker().time(), QTime(7, 5));
}

// --- The grids ---------------------------------------------------------------------------

TEST_F(TimeViews, GridsTurnPagesKeepPicksInTheSettingsAndRestoreTheirPage)
{
    store::settings().cityListA[16] = stored(refOf(u"Sydney"));
    const auto geometry = ui::ScreenGeometry::of(240, 320);
    astro::CityTimeView view(&m_screen, geometry, m_skin, m_database);
    view.activate();
    const int perPage = view.grid().shape().cellsPerPage();
    ASSERT_EQ(perPage, 4); // four rows of one city on a portrait screen
    auto* next = m_screen.findChild<QToolButton*>(QStringLiteral("CityTimeNext"));
    ASSERT_NE(next, nullptr);
    next->click();
    EXPECT_EQ(view.subSelection(), 4);
    EXPECT_EQ(view.grid().choosers()[0]->city(),
        (CityRef { std::int32_t(store::settings().cityListA[4].continent),
            std::int32_t(store::settings().cityListA[4].index) }));

    // Picking a city in the page's second cell changes entry 5 of cityListA, no other.
    const store::CityRef before4 = store::settings().cityListA[4];
    emit view.grid().choosers()[1]->continentList()->selected(2); // Australia, its first city
    EXPECT_EQ(store::settings().cityListA[5].continent, 2u);
    EXPECT_EQ(store::settings().cityListA[4], before4);

    // The last page holds the rest; a saved entry past the end shows the last page.
    view.setSubSelection(19);
    EXPECT_EQ(view.subSelection(), 16);
    EXPECT_FALSE(next->isEnabled());
    view.setSubSelection(200);
    EXPECT_EQ(view.subSelection(), 16);

    // The texts are the city's local time and date at the view's clock.
    view.setUniversalClock([] {
        return *platform::ticksOfSystemTime(SYSTEMTIME { 2026, 12, 2, 8, 9, 30, 0, 0 });
    });
    view.setSubSelection(16);
    ui::LayoutReport report;
    view.reportLayout(report, app::ViewContext { geometry, QRect(0, 0, 240, 245) });
    QStringList drawn;
    for (const auto& text : report.texts())
        drawn.append(text.text);
    EXPECT_TRUE(drawn.contains(QStringLiteral("20:30")))
        << drawn.join(u'|').toStdString(); // +10:00, +1 daylight
    EXPECT_TRUE(drawn.contains(QStringLiteral("Tue, 8/12")));
    EXPECT_TRUE(drawn.contains(QStringLiteral("17–20")));
}

// tkwctl deletes a city that sorts before grid cities, on the shown page and on others:
// every entry keeps naming its city, and the settings follow.
TEST_F(TimeViews, GridEntriesFollowTheirCitiesWhileTkwctlEditsTheDatabase)
{
    const auto names = [&] {
        std::vector<std::u16string> shown;
        for (const auto& entry : store::settings().cityListA)
            shown.push_back(nameOf(entry));
        return shown;
    };
    store::settings().cityListA[0] = stored(refOf(u"Berlin"));
    store::settings().cityListA[9] = stored(refOf(u"Vienna"));
    astro::CityTimeView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin, m_database);
    view.activate();
    const auto before = names();

    const auto deleted = testing_support::runCommand({ TKW_TKWCTL, "city", "delete", "Amsterdam" });
    ASSERT_EQ(deleted.exitCode, 0) << deleted.output;
    view.refresh(); // the view looks once a second, and when the window asks
    EXPECT_EQ(names(), before);
    EXPECT_EQ(cities::cityName(*view.grid().choosers()[0]->record()), u"Berlin");

    // A city added before Berlin by another program moves it one place down.
    const CityRef berlin = refOf(u"Berlin");
    const auto added = testing_support::runCommand({ TKW_TKWCTL, "city", "add", "--continent", "3",
        "--name", "Aachen", "--offset", "60", "--lat", "50:46N", "--lon", "6:05E" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    view.refresh();
    EXPECT_EQ(names(), before);
    EXPECT_EQ(
        store::settings().cityListA[0], stored(CityRef { berlin.continent, berlin.index + 1 }));
}

// --- Year counter ------------------------------------------------------------------------

TEST_F(TimeViews, YearCounterCountsPassedAndRemainingTimeOfTheChosenYear)
{
    app::YearCounterBox counter(ui::ScreenGeometry::of(240, 320), at(2026, 1, 1, 12), &m_screen);
    counter.resize(228, 26);
    EXPECT_EQ(counter.unit(), astro::CounterUnit::Days);
    EXPECT_EQ(counter.year(), 2026);
    EXPECT_EQ(counter.passedText(), QStringLiteral("Passed 0.5"));
    EXPECT_EQ(counter.remainText(), QStringLiteral("Remain 364.5"));
    counter.setUnit(astro::CounterUnit::Hours);
    EXPECT_EQ(counter.passedText(), QStringLiteral("Passed 12.0"));
    // A past year has nothing left, a future one nothing passed.
    counter.setYear(2025);
    EXPECT_EQ(counter.remainText(), QStringLiteral("Remain 0.0"));
    counter.setYear(2027);
    EXPECT_EQ(counter.passedText(), QStringLiteral("Passed 0.0"));
    // A clock outside the list's years starts on the nearest one.
    app::YearCounterBox late(ui::ScreenGeometry::of(240, 320), at(2040, 3, 1), &m_screen);
    EXPECT_EQ(late.year(), 2031);

    store::setCurrentLanguage(store::kGerman);
    app::YearCounterBox german(ui::ScreenGeometry::of(240, 320), at(2026, 7, 2), &m_screen);
    german.resize(228, 26);
    EXPECT_EQ(german.unitList()->currentText(), QStringLiteral("Tage"));
    EXPECT_TRUE(german.passedText().startsWith(QStringLiteral("Vergangen ")));
}

// --- Every view fitted -------------------------------------------------------------------

TEST_F(TimeViews, EveryViewFitsPortraitAndLandscapeScreensInEnglishAndGerman)
{
    for (const DWORD language : { store::kEnglish, store::kGerman }) {
        store::setCurrentLanguage(language);
        for (const QSize size : { QSize(240, 320), QSize(320, 240), QSize(480, 640) }) {
            const auto geometry = ui::ScreenGeometry::of(size.width(), size.height());
            const QRect area(
                0, 0, app::viewWidth(geometry), geometry.scaled(geometry.landscape ? 165 : 245));
            QWidget screen;
            screen.resize(size);
            std::vector<std::unique_ptr<app::View>> views;
            views.push_back(std::make_unique<astro::InternetTimeView>(&screen, geometry, m_skin));
            views.push_back(
                std::make_unique<astro::TimeCalcView>(&screen, geometry, m_skin, m_database));
            views.push_back(
                std::make_unique<astro::CityTimeView>(&screen, geometry, m_skin, m_database));
            for (auto& view : views) {
                const std::string where = std::to_string(view->index()) + " on "
                    + std::to_string(size.width()) + "x" + std::to_string(size.height())
                    + " in language " + std::to_string(language);
                view->activate();
                screen.show();
                const auto widgets = testing_support::checkLayout(screen, size);
                EXPECT_TRUE(widgets.empty())
                    << where << "\n"
                    << testing_support::formatFindings(widgets).toStdString();
                ui::LayoutReport report;
                view->reportLayout(report, app::ViewContext { geometry, area });
                EXPECT_FALSE(report.texts().empty()) << where;
                const auto drawn = testing_support::checkDrawnLayout(report, area, &screen);
                EXPECT_TRUE(drawn.empty()) << where << "\n"
                                           << testing_support::formatFindings(drawn).toStdString();
                view->leave();
            }
        }
    }
}

} // namespace

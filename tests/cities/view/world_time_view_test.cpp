// The World Time view: the two chosen cities' times and offset labels, the map with its
// markers, the choices kept in the settings across a restart and across another program's
// edits, and the Digital Clock's lines that read the same database.

#include "cities/view/world_time_view.h"

#include "app/clock_views.h"
#include "cities/view/city_list.h"
#include "cities/view/world_map.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "platform/calendar.h"
#include "platform/locale.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "tests/support/child_process.h"
#include "tests/support/city_device_test.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/layout_report.h"

#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using cities::CityDatabase;
using cities::CityRef;
using cities::WorldTimeView;

// 1 July 2026 12:00 universal time: Berlin keeps daylight time, New York too.
std::uint64_t julyNoon()
{
    return *platform::ticksOfSystemTime(SYSTEMTIME { 2026, 7, 3, 1, 12, 0, 0, 0 });
}

class WorldTimeViewTest : public testing_support::CityDeviceTest {
protected:
    std::unique_ptr<WorldTimeView> makeView(ui::ScreenGeometry geometry = ui::ScreenGeometry::of(240, 320))
    {
        auto view = std::make_unique<WorldTimeView>(&m_screen, geometry, m_skin, m_database);
        view->setUniversalClock(julyNoon);
        return view;
    }

    QWidget m_screen;
    faces::SkinSet m_skin; // not loaded: the view's plain colours and maps
};

TEST_F(WorldTimeViewTest, ShowsTheTwoChosenCitiesTimesAndOffsetLabels)
{
    store::settings().cityChooserA = stored(refOf(u"Berlin"));
    store::settings().cityChooserB = stored(refOf(u"New York"));
    auto view = makeView();
    EXPECT_EQ(view->timeText(0), QStringLiteral("Wed 14:00:00"));
    EXPECT_EQ(view->labelText(0), QStringLiteral("Berlin (GMT +1:00)"));
    EXPECT_EQ(view->timeText(1), QStringLiteral("Wed 8:00:00"));
    EXPECT_EQ(view->labelText(1), QStringLiteral("New York (GMT -5:00)"));

    // What the view draws is what it reports to the layout check: the map and four texts,
    // every one inside the view, none over a chooser.
    ui::LayoutReport report;
    const auto geometry = ui::ScreenGeometry::of(240, 320);
    const QRect area(0, 0, 240, 245);
    view->reportLayout(report, app::ViewContext { geometry, area });
    ASSERT_EQ(report.images().size(), 1u);
    EXPECT_TRUE(area.contains(report.images().front()));
    ASSERT_EQ(report.texts().size(), 4u);
    QStringList drawn;
    for (const auto& text : report.texts()) {
        drawn.append(text.text);
        EXPECT_TRUE(area.contains(text.rect)) << text.text.toStdString();
        for (std::size_t chooser = 0; chooser < 2; ++chooser)
            EXPECT_FALSE(text.rect.intersects(view->chooser(chooser).geometry())) << text.text.toStdString();
    }
    EXPECT_TRUE(drawn.contains(QStringLiteral("Wed 14:00:00")));
    // A label too wide for its column keeps every character, on two lines.
    EXPECT_TRUE(drawn.contains(QStringLiteral("New York (GMT -5:00)"))
        || drawn.contains(QStringLiteral("New York\n(GMT -5:00)")));
}

TEST_F(WorldTimeViewTest, PaintsTheShadedMapWithTheFirstCityRedAndTheSecondBlue)
{
    const CityRef sydney = refOf(u"Sydney"), london = refOf(u"London");
    store::settings().cityChooserA = stored(sydney);
    store::settings().cityChooserB = stored(london);
    for (const QSize size : { QSize(240, 320), QSize(320, 240), QSize(480, 640) }) {
        const auto geometry = ui::ScreenGeometry::of(size.width(), size.height());
        auto view = makeView(geometry);
        const QRect map = cities::worldTimeLayout(geometry).map;
        QImage screen(size, QImage::Format_RGB32);
        {
            QPainter painter(&screen);
            view->paint(painter, app::ViewContext { geometry, QRect(QPoint(0, 0), size) });
        }
        const QPoint first = map.topLeft() + cities::mapPosition(*view->chooser(0).record(), map.size());
        const QPoint second = map.topLeft() + cities::mapPosition(*view->chooser(1).record(), map.size());
        EXPECT_EQ(screen.pixel(first), cities::kFirstMarkerCentre) << size.width();
        EXPECT_EQ(screen.pixel(second), cities::kSecondMarkerCentre) << size.width();
        // July noon: the Arctic in daylight, the Antarctic in the night.
        EXPECT_NE(screen.pixel(map.center().x(), map.top() + 1), screen.pixel(map.center().x(), map.bottom() - 1));
    }
}

TEST_F(WorldTimeViewTest, KeepsTheChosenCitiesAcrossARestart)
{
    const CityRef tokyo = refOf(u"Tokyo"), paris = refOf(u"Paris");
    {
        auto view = makeView();
        view->activate();
        // The user picks Tokyo in the first chooser and Paris in the second.
        emit view->chooser(0).continentList()->selected(tokyo.continent);
        emit view->chooser(0).cityNames()->selected(tokyo.index);
        emit view->chooser(1).continentList()->selected(paris.continent);
        emit view->chooser(1).cityNames()->selected(paris.index);
        EXPECT_EQ(store::settings().cityChooserA, stored(tokyo));
        EXPECT_EQ(store::settings().cityChooserB, stored(paris));
        view->leave();
    }
    ASSERT_TRUE(store::SaveSettings());
    // The next run reads the file afresh.
    store::settings().cityChooserA = store::CityRef { 0, 0 };
    store::settings().cityChooserB = store::CityRef { 0, 0 };
    ASSERT_TRUE(store::LoadSettings());
    loadDatabase();
    auto view = makeView();
    EXPECT_EQ(view->chooser(0).city(), tokyo);
    EXPECT_EQ(view->chooser(1).city(), paris);
    EXPECT_EQ(view->labelText(0), QStringLiteral("Tokyo (GMT +9:00)"));
    EXPECT_EQ(view->timeText(0), QStringLiteral("Wed 21:00:00"));
}

TEST_F(WorldTimeViewTest, FollowsItsCitiesWhenTkwctlAddsOneBeforeThem)
{
    const CityRef berlin = refOf(u"Berlin");
    store::settings().cityChooserA = stored(berlin);
    auto view = makeView();
    view->activate();
    const auto added = testing_support::runCommand({ TKW_TKWCTL, "city", "add", "--continent", "3", "--name",
        "Aachen", "--offset", "60", "--lat", "50:46N", "--lon", "6:05E" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    // The view looks once a second (and when the window asks it to refresh).
    view->refresh();
    EXPECT_EQ(view->chooser(0).city(), (CityRef { berlin.continent, berlin.index + 1 }));
    EXPECT_EQ(view->labelText(0), QStringLiteral("Berlin (GMT +1:00)"));
    EXPECT_EQ(store::settings().cityChooserA, stored(CityRef { berlin.continent, berlin.index + 1 }));
}

TEST_F(WorldTimeViewTest, WithoutCitiesTheSettingsKeepTheirChoices)
{
    store::settings().cityChooserA = store::CityRef { 3, 8 };
    CityDatabase none;
    {
        WorldTimeView view(&m_screen, ui::ScreenGeometry::of(240, 320), m_skin, none);
        EXPECT_EQ(view.chooser(0).record(), nullptr);
        EXPECT_EQ(view.timeText(0), QStringLiteral("--:--"));
        QImage screen(240, 320, QImage::Format_RGB32);
        QPainter painter(&screen);
        view.paint(painter, app::ViewContext { ui::ScreenGeometry::of(240, 320), QRect(0, 0, 240, 245) });
    }
    EXPECT_EQ(store::settings().cityChooserA, (store::CityRef { 3, 8 }));
}

TEST_F(WorldTimeViewTest, DigitalClockNamesTheWorldCityAndShowsTheVisitingCitysTime)
{
    const CityRef berlin = refOf(u"Berlin"), newYork = refOf(u"New York");
    m_database.setSlot(CityDatabase::kWorldSlot, berlin);
    m_database.setSlot(CityDatabase::kVisitingSlot, newYork);
    const SYSTEMTIME now { 2026, 7, 3, 1, 14, 0, 0, 0 };
    const auto& locale = platform::userLocale();
    const auto inputs = app::digitalClockInputs(now, store::settings(), locale, &m_database);
    EXPECT_TRUE(inputs.homeCityName.starts_with(u"Berlin (GMT +1:00) "));
    ASSERT_TRUE(inputs.visitingTime.has_value());
    const SYSTEMTIME expected = cities::cityLocalTimeNow(*m_database.record(newYork));
    EXPECT_EQ(inputs.visitingTime->wHour, expected.wHour);
    EXPECT_EQ(inputs.visitingTime->wMinute, expected.wMinute);
    // Without the database the line keeps the week alone and there is no second clock.
    const auto plain = app::digitalClockInputs(now, store::settings(), locale);
    EXPECT_FALSE(plain.visitingTime.has_value());
    EXPECT_FALSE(plain.homeCityName.starts_with(u"Berlin"));
}

} // namespace

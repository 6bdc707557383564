// The main window with the shipped look: the pack it cannot do without, the Skin menu, the
// view-selector panel of larger screens, the clock views and the clock faces.

#include "app/alarms_view.h"
#include "app/clock_views.h"
#include "app/general_view.h"
#include "app/main_window.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/settings.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/headless.h"
#include "ui/input_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QCalendarWidget>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using app_testing::setScreen;

namespace {

fs::path programFolder() { return *platform::hostPathOf(u"\\Program Files\\Tickwell Pro"); }

QString screenshot(const char* name) { return QStringLiteral(TKW_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name)); }

// How many pixels of `area` differ from the colour at its top-left corner.
int inkIn(const QImage& image, QRect area)
{
    const QRgb ground = image.pixel(area.topLeft());
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += image.pixel(x, y) != ground;
    return ink;
}

bool closesAt(app::MainWindow& window, QPoint point)
{
    return dynamic_cast<app::FaceView&>(window.viewObject(13)).closesAt(point);
}

std::u16string storedSkin()
{
    const auto& name = store::settings().skinName;
    return std::u16string(name, std::char_traits<char16_t>::length(name));
}

class Look : public testing_support::DeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
        SYSTEMTIME now { 2026, 12, 2, 8, 10, 8, 36, 0 };
        ASSERT_TRUE(SetLocalTime(&now));
    }
};

} // namespace

TEST(LookMissing, WithoutTheCityFilesTheProgramReportsCriticalErrorOne)
{
    testing_support::TemporaryDevice device;
    ASSERT_TRUE(testing_support::installShippedLook());
    const auto europe = platform::hostPathOf(u"\\Program Files\\Tickwell Pro\\data\\europe.cdb");
    ASSERT_TRUE(europe);
    std::filesystem::resize_file(*europe, 63); // not one whole city
    (void)store::LoadSettings();
    {
        app::MainWindow window(app::StartRequest { });
        EXPECT_EQ(window.criticalError(), app::CriticalError::CityDatabase);
    }
    // Nothing was written back: the damaged file stays as it was for a reinstall to mend.
    EXPECT_EQ(std::filesystem::file_size(*europe), 63u);
}

TEST(LookMissing, WithoutTheResourcePackTheProgramReportsACriticalError)
{
    testing_support::TemporaryDevice device;
    ASSERT_TRUE(testing_support::installShippedCities()); // the cities are there, the pack is not
    (void)store::LoadSettings();
    app::MainWindow window(app::StartRequest { });
    EXPECT_EQ(window.criticalError(), app::CriticalError::ResourcePack);
    QString text;
    app_testing::whenModalShows([&](QDialog& box) {
        text = app_testing::labelText(box);
        box.accept();
    });
    app::showCriticalError(&window);
    EXPECT_TRUE(text.contains(QStringLiteral("Critical error. One of the application components may be corrupted.")));

    // A damaged pack is the same.
    fs::create_directories(programFolder() / "data");
    fs::copy_file(fs::path(TKW_SHIPPED_ART_DIR) / "data" / "res.dat", programFolder() / "data" / "res.dat");
    fs::resize_file(programFolder() / "data" / "res.dat", 3000);
    app::MainWindow damaged(app::StartRequest { });
    EXPECT_EQ(damaged.criticalError(), app::CriticalError::ResourcePack);
}

TEST_F(Look, SkinMenuListsTheSkinsAndAChoiceIsKept)
{
    fs::create_directories(programFolder() / "skins");
    fs::copy_file(programFolder() / "data" / "res.dat", programFolder() / "skins" / "Mine.qsk", fs::copy_options::overwrite_existing);
    app::MainWindow window(app::StartRequest { });
    ASSERT_EQ(window.criticalError(), app::CriticalError::None);
    auto* menu = window.findChild<QMenu*>(QStringLiteral("SkinMenu"));
    ASSERT_NE(menu, nullptr);
    QStringList names;
    QAction* mine = nullptr;
    for (QAction* action : menu->actions()) {
        names.append(action->text());
        if (action->text() == QStringLiteral("Mine"))
            mine = action;
    }
    EXPECT_EQ(names.value(0), QStringLiteral("Default"));
    ASSERT_NE(mine, nullptr);
    EXPECT_TRUE(menu->actions().value(0)->isChecked());

    window.command(mine->data().toInt());
    EXPECT_EQ(storedSkin(), u"Mine");
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(std::u16string(saved.skinName), u"Mine");
    menu = window.findChild<QMenu*>(QStringLiteral("SkinMenu"));
    for (QAction* action : menu->actions())
        EXPECT_EQ(action->isChecked(), action->text() == QStringLiteral("Mine")) << action->text().toStdString();

    window.command(40700); // Default again
    EXPECT_EQ(storedSkin(), u"Default");
}

TEST_F(Look, ClockViewsDrawTheTimeWithTheSkin)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(1);
    const QImage digital = window.screen()->grab().toImage();
    ui::saveScreenshot(&window, screenshot("digital_clock_view"));
    EXPECT_GT(inkIn(digital, QRect(0, 55, 240, 85)), 400); // the big time's digit images
    EXPECT_GT(inkIn(digital, QRect(0, 245, 240, 22)), 50);  // the status bar

    window.selectView(2);
    const QImage analog = window.screen()->grab().toImage();
    ui::saveScreenshot(&window, screenshot("analog_clock_view"));
    EXPECT_GT(inkIn(analog, QRect(40, 42, 160, 160)), 2000); // the dial and hands
    EXPECT_NE(digital, analog);
}

TEST_F(Look, TheViewSelectorPanelOfA400LineScreenSwitchesViews)
{
    setScreen(240, 400);
    app::MainWindow window(app::StartRequest { });
    window.show();
    ASSERT_EQ(window.selectorButton(0), QRect(0, 272, 34, 34));
    EXPECT_EQ(window.selectorButton(8), QRect(34, 308, 34, 34)); // second row
    ui::tap(window.screen(), window.selectorButton(5)->center());
    EXPECT_EQ(window.currentView(), 5);
    ui::saveScreenshot(&window, screenshot("view_selector_240x400"));

    // On a 240 x 320 screen there is no panel.
    setScreen(240, 320);
    app::MainWindow small(app::StartRequest { });
    EXPECT_EQ(small.selectorButton(0), std::nullopt);
}

TEST_F(Look, TheViewSelectorPanelOfA320SquareScreenStandsInTwoColumns)
{
    setScreen(320, 320);
    app::MainWindow window(app::StartRequest { });
    window.show();
    ASSERT_EQ(window.selectorButton(0), QRect(243, 4, 34, 34));
    EXPECT_EQ(window.selectorButton(3), QRect(283, 39, 34, 34));
    ui::tap(window.screen(), window.selectorButton(12)->center());
    EXPECT_EQ(window.currentView(), 12);
    EXPECT_EQ(window.selectorButtonAt(QPoint(10, 10)), std::nullopt);
}

TEST_F(Look, AClockFaceCoversTheScreenAndItsCloseAreaLeavesIt)
{
    if (!fs::exists(programFolder() / "plugins" / "Dezod.qpg"))
        GTEST_SKIP() << "the build made no face Dezod";
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(4);
    const int dezod = 13 + int(std::find(window.views().pluginFaces.begin(), window.views().pluginFaces.end(), u"Dezod")
        - window.views().pluginFaces.begin());
    ASSERT_TRUE(window.selectView(dezod));
    EXPECT_FALSE(window.viewManager()->isVisible());
    EXPECT_EQ(window.screen()->size(), QSize(240, 320)); // the whole screen
    const QImage face = window.screen()->grab().toImage();
    EXPECT_GT(inkIn(face, QRect(0, 0, 240, 320)), 5000);
    ui::saveScreenshot(&window, screenshot("face_view_dezod"));
    QPoint close;
    for (int y = 0; y < 320 && close.isNull(); y += 4)
        for (int x = 0; x < 240 && close.isNull(); x += 4)
            if (closesAt(window, QPoint(x, y)))
                close = QPoint(x, y);
    ASSERT_FALSE(close.isNull()) << "the face has no close area";
    ui::tap(window.screen(), close);
    EXPECT_EQ(window.currentView(), 4); // back where it came from
    EXPECT_TRUE(window.viewManager()->isVisible());
}

TEST_F(Look, AFaceThatDoesNotLoadIsToldAndItsViewStaysEmpty)
{
    fs::create_directories(programFolder() / "plugins");
    std::ofstream(programFolder() / "plugins" / "AAA Broken.qpg") << "not a face";
    app::MainWindow window(app::StartRequest { });
    window.show();
    ASSERT_EQ(window.views().pluginFaces.front(), u"AAA Broken");
    QString told;
    app_testing::whenModalShows([&](QDialog& box) {
        told = app_testing::labelText(box);
        box.accept();
    });
    EXPECT_TRUE(window.selectView(13));
    EXPECT_EQ(told, QStringLiteral("Plugin loading error!"));
    EXPECT_EQ(window.currentView(), 13);
}

TEST_F(Look, LargeScreensDrawTheClockViewsAtTwiceTheSize)
{
    setScreen(480, 640);
    app::MainWindow window(app::StartRequest { });
    window.show();
    ASSERT_EQ(window.criticalError(), app::CriticalError::None);
    window.selectView(1);
    const QImage digital = window.screen()->grab().toImage();
    ui::saveScreenshot(&window, screenshot("digital_clock_view_vga"));
    EXPECT_GT(inkIn(digital, QRect(0, 110, 480, 170)), 1600);
    window.selectView(2);
    ui::saveScreenshot(&window, screenshot("analog_clock_view_vga"));
    EXPECT_GT(inkIn(window.screen()->grab().toImage(), QRect(80, 84, 320, 320)), 8000);
}

TEST(GeneralViewTime, TwelveHourClocksCarryTheLocalesAmOrPm)
{
    const platform::LocaleInfo us = platform::localeInfo("en_US");
    ASSERT_FALSE(us.use24Hour);
    const auto at = [](int hour, int minute) { return SYSTEMTIME { 2026, 12, 2, 8, WORD(hour), WORD(minute), 0, 0 }; };
    const auto evening = app::generalViewTime(at(22, 30), us);
    EXPECT_EQ(evening.time, QStringLiteral("10:30"));
    EXPECT_EQ(evening.amPm, QStringLiteral("PM"));
    const auto morning = app::generalViewTime(at(9, 5), us);
    EXPECT_EQ(morning.time, QStringLiteral("9:05"));
    EXPECT_EQ(morning.amPm, QStringLiteral("AM"));
    const auto midnight = app::generalViewTime(at(0, 5), us);
    EXPECT_EQ(midnight.time, QStringLiteral("12:05"));
    EXPECT_EQ(midnight.amPm, QStringLiteral("AM"));

    const platform::LocaleInfo german = platform::localeInfo("de_DE");
    ASSERT_TRUE(german.use24Hour);
    const auto day = app::generalViewTime(at(22, 30), german);
    EXPECT_EQ(day.time, QStringLiteral("22:30"));
    EXPECT_TRUE(day.amPm.isEmpty());
}

namespace {

// Pixels of the General view's time line, right of the digits of "10:08", that its paint
// changes over the bare background.
int inkRightOfTheTime(const char16_t* localeName)
{
    EXPECT_TRUE(platform::writeRegistryString(
        platform::RegistryRoot::LocalMachine, platform::kProfileKey, u"Locale", localeName));
    app::MainWindow window(app::StartRequest { });
    const auto g = ui::ScreenGeometry::current();
    const app::ViewContext context { g, QRect(0, 0, g.width, g.height) };
    QImage bare(g.width, g.height, QImage::Format_RGB32), painted(bare);
    {
        QPainter painter(&bare);
        app::paintViewBackground(painter, window.skin(), 0, context);
    }
    {
        QPainter painter(&painted);
        window.viewObject(0).paint(painter, context);
    }
    const int digitsRight
        = g.scaled(72) + QFontMetrics(ui::suiteFont(ui::FontRole::Bold32, g)).horizontalAdvance(QStringLiteral("10:08"));
    int ink = 0;
    for (int y = g.scaled(24); y < g.scaled(60); ++y)
        for (int x = digitsRight + 1; x < app::viewWidth(g) - g.scaled(6); ++x)
            ink += bare.pixel(x, y) != painted.pixel(x, y);
    return ink;
}

} // namespace

TEST_F(Look, TheGeneralViewsTimeShowsAmOrPmInTwelveHourMode)
{
    EXPECT_GT(inkRightOfTheTime(u"en_US"), 20);
}

TEST_F(Look, TheGeneralViewsTimeHasNothingBesideItInTwentyFourHourMode)
{
    EXPECT_EQ(inkRightOfTheTime(u"de_DE"), 0);
}

TEST_F(Look, TheGeneralViewShowsTheDayWithItsCalendarAndTheNextAlarm)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(3);
    auto& general = dynamic_cast<app::GeneralView&>(window.viewObject(0));
    window.selectView(0);
    ASSERT_NE(general.calendar(), nullptr);
    EXPECT_TRUE(general.calendar()->isVisible());
    EXPECT_EQ(general.calendar()->selectedDate(), QDate(2026, 12, 8));
    ui::saveScreenshot(&window, screenshot("general_view"));
    window.selectView(1);
    EXPECT_FALSE(general.calendar()->isVisible()); // it goes with its view

    // Landscape: the calendar stands beside the clock.
    setScreen(320, 240);
    app::MainWindow wide(app::StartRequest { });
    wide.show();
    wide.selectView(0);
    auto& wideGeneral = dynamic_cast<app::GeneralView&>(wide.viewObject(0));
    EXPECT_GE(wideGeneral.calendar()->geometry().left(), 120);
    EXPECT_LE(wideGeneral.calendar()->geometry().bottom(), 165);
    ui::saveScreenshot(&wide, screenshot("general_view_landscape"));
}

namespace {

// The share of a picture's pixels that are light (near white).
double lightShare(const QImage& image)
{
    if (image.isNull())
        return 0;
    qint64 light = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            light += QColor(image.pixel(x, y)).lightness() > 200;
    return double(light) / (qint64(image.width()) * image.height());
}

// The share of `area` of `shown` that has the colours of `picture` drawn at its top-left
// corner (hands drawn over it excepted).
double sameAs(const QImage& shown, QRect area, const QImage& picture)
{
    if (picture.isNull() || picture.size() != area.size())
        return 0;
    qint64 same = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const QColor a(shown.pixel(area.left() + x, area.top() + y));
            const QColor b(picture.pixel(x, y));
            same += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 24;
        }
    }
    return double(same) / (qint64(area.width()) * area.height());
}

struct WidgetViews {
    double calendar = 0;
    double alarms = 0;
    double title = 0;
    double titleList = 0;
};

// How light the widget-based parts of the views are drawn.
WidgetViews lightness(app::MainWindow& window)
{
    WidgetViews shares;
    window.selectView(0);
    const auto& general = dynamic_cast<app::GeneralView&>(window.viewObject(0));
    shares.calendar = lightShare(general.calendar()->grab().toImage());
    window.selectView(3);
    const auto& alarms = dynamic_cast<app::AlarmsView&>(window.viewObject(3));
    shares.alarms = lightShare(alarms.panel()->grab().toImage());
    shares.title = lightShare(window.viewManager()->grab().toImage());
    auto* list = window.viewManager()->findChild<QListWidget*>(QStringLiteral("DropListPopup"));
    shares.titleList = list ? lightShare(list->viewport()->grab().toImage()) : 0;
    return shares;
}

} // namespace

TEST_F(Look, TheDarkSkinColoursTheWidgetViewsAndDrawsItsOwnSmallDial)
{
    app::MainWindow window(app::StartRequest { });
    ASSERT_EQ(window.criticalError(), app::CriticalError::None);
    window.show();

    // The pack's look is light: the same measures find the widgets light there.
    const WidgetViews light = lightness(window);
    EXPECT_GT(light.calendar, 0.6);
    EXPECT_GT(light.alarms, 0.6);
    EXPECT_GT(light.title, 0.6);
    EXPECT_GT(light.titleList, 0.6);

    QAction* graphite = nullptr;
    for (QAction* action : window.findChild<QMenu*>(QStringLiteral("SkinMenu"))->actions()) {
        if (action->text() == QStringLiteral("Graphite"))
            graphite = action;
    }
    ASSERT_NE(graphite, nullptr) << "the build made no skin Graphite";
    window.command(graphite->data().toInt());
    ASSERT_EQ(storedSkin(), u"Graphite");
    const QColor ground = window.skin().colour(faces::skin::kWindowColour);
    ASSERT_LT(ground.lightness(), 100);

    const WidgetViews dark = lightness(window);
    EXPECT_LT(dark.calendar, 0.1);
    EXPECT_LT(dark.alarms, 0.1);
    EXPECT_LT(dark.title, 0.1);
    EXPECT_LT(dark.titleList, 0.1);
    ui::saveScreenshot(&window, screenshot("alarms_view_graphite"));

    // The Alarms view's rows: the check boxes and fields stand on the skin's ground and
    // carry its text colour.
    const auto& alarms = dynamic_cast<app::AlarmsView&>(window.viewObject(3));
    ASSERT_FALSE(alarms.rows().empty());
    const auto& row = alarms.rows().front();
    EXPECT_LT(row.label->palette().color(QPalette::Base).lightness(), 100);
    EXPECT_LT(row.settings->palette().color(QPalette::Button).lightness(), 100);
    EXPECT_LT(lightShare(row.settings->grab().toImage()), 0.1);
    EXPECT_EQ(row.onOff->palette().color(QPalette::WindowText), window.skin().colour(faces::skin::kTextColour));
    EXPECT_EQ(QColor(alarms.panel()->grab().toImage().pixel(1, alarms.panel()->height() - 2)), ground);

    // The General view's small dial is the skin's own picture, not the pack's white one.
    window.selectView(0);
    const QImage shown = window.screen()->grab().toImage();
    ui::saveScreenshot(&window, screenshot("general_view_graphite"));
    const QImage dial = window.skin().image(window.skin().element(faces::skin::kSmallDial).image);
    faces::SkinSet pack;
    std::ifstream packFile(programFolder() / "data" / "res.dat", std::ios::binary);
    const std::string packBytes((std::istreambuf_iterator<char>(packFile)), std::istreambuf_iterator<char>());
    faces::Bytes bytes(packBytes.size());
    std::memcpy(bytes.data(), packBytes.data(), packBytes.size());
    ASSERT_EQ(pack.loadBytes(std::move(bytes), std::nullopt), faces::SkinOutcome::PackLook);
    const QImage packDial = pack.image(pack.element(faces::skin::kSmallDial).image);
    ASSERT_FALSE(packDial.isNull());
    ASSERT_EQ(dial.size(), QSize(56, 56));
    EXPECT_NE(dial, packDial);
    const QRect dialArea(8, 28, 56, 56);
    EXPECT_GT(sameAs(shown, dialArea, dial), 0.8);
    EXPECT_LT(sameAs(shown, dialArea, packDial), 0.3);
    EXPECT_LT(QColor(shown.pixel(dialArea.topLeft())).lightness(), 100); // no white corner
}

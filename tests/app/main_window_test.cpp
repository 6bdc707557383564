// The main window in this process, headless: taps, minimising.

#include "app/first_run.h"
#include "app/main_window.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/headless.h"

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

class MainWindowTest : public testing_support::DeviceTest {
protected:
    MainWindowTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }
};

} // namespace

TEST_F(MainWindowTest, StatusBarPartsOpenTheViewsOfTheirContents)
{
    // Defaults: Date, Sunrise, Internet Time.
    app::MainWindow window(app::StartRequest { });
    window.selectView(5);
    ui::tap(window.screen(), QPoint(120, 255));
    EXPECT_EQ(window.currentView(), 9);
    ui::tap(window.screen(), QPoint(200, 255));
    EXPECT_EQ(window.currentView(), 11);
    ui::tap(window.screen(), QPoint(20, 255));
    EXPECT_EQ(window.currentView(), 0);
    // None does not react.
    store::settings().statusField2 = 0;
    ui::tap(window.screen(), QPoint(120, 255));
    EXPECT_EQ(window.currentView(), 0);
    EXPECT_EQ(window.selectView(13), !window.views().pluginFaces.empty()); // view 13 is the first face
}

TEST_F(MainWindowTest, MinimisingEndsTheProgramAfterSavingItsView)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(8);
    window.setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 8u);
}

TEST_F(MainWindowTest, TitleAreaOpensTheViewListAndAPickSwitches)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    EXPECT_EQ(window.viewManager()->items().size(), 13 + int(window.views().pluginFaces.size()));
    ui::tap(window.screen(), QPoint(40, 10));
    EXPECT_TRUE(window.viewManager()->listShown());
    emit window.viewManager()->selected(6);
    EXPECT_EQ(window.currentView(), 6);
    window.selectView(2);
    EXPECT_EQ(window.viewManager()->currentIndex(), 2);
}

namespace {

using app_testing::whenModalShows;

DWORD storedLanguageFile()
{
    const auto bytes = platform::readWholeFile(store::DataFilePath(u"lang.dat"), 64);
    if (!bytes || bytes->size() != 4)
        return 0xffffffff;
    DWORD value = 0;
    std::memcpy(&value, bytes->data(), 4);
    return value;
}

} // namespace

TEST_F(MainWindowTest, FirstStartAsksTheLanguageAndKeepsItEverywhere)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""), locale("LANG", "fr_FR.UTF-8");
    // The host's language comes first; the user picks Italian.
    whenModalShows([](QDialog& dialog) {
        auto& step = dynamic_cast<app::LanguageStep&>(dialog);
        EXPECT_EQ(step.language(), store::kFrench);
        step.choose(store::kItalian);
        step.accept();
    });
    EXPECT_EQ(app::runFirstRunSetUp(nullptr), store::kItalian);
    EXPECT_EQ(platform::readRegistryDword(platform::RegistryRoot::CurrentUser, u"SOFTWARE\\Orvane\\Tickwell Pro", u"Lang"), 4u);
    EXPECT_EQ(storedLanguageFile(), store::kItalian);
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.worldCity, (store::CityRef { 3, 62 }));
    EXPECT_EQ(saved.visitingCity, (store::CityRef { 4, 97 }));
    // Italian has no own home-screen page: the item is switched on for the user.
    EXPECT_EQ(platform::readRegistryDword(platform::RegistryRoot::LocalMachine,
                  u"Software\\Microsoft\\Today\\Items\\Tickwell Pro", u"Enabled"), 1u);
}

TEST_F(MainWindowTest, LanguagesWithTheirOwnHomeScreenPageLeaveTheItemAlone)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""), locale("LANG", "C");
    whenModalShows([](QDialog& dialog) {
        auto& step = dynamic_cast<app::LanguageStep&>(dialog);
        EXPECT_EQ(step.language(), store::kEnglish);
        step.choose(store::kRussian);
        step.reject(); // dismissed: what it shows is taken
    });
    EXPECT_EQ(app::runFirstRunSetUp(nullptr), store::kRussian);
    EXPECT_EQ(storedLanguageFile(), store::kRussian);
    EXPECT_FALSE(platform::readRegistryDword(platform::RegistryRoot::LocalMachine,
        u"Software\\Microsoft\\Today\\Items\\Tickwell Pro", u"Enabled"));

    // The window follows: menus and view names in Russian.
    app::MainWindow window(app::StartRequest { });
    window.retranslate();
    EXPECT_EQ(window.viewManager()->items().value(1), QString::fromUtf8("Цифровые часы"));
    store::setCurrentLanguage(store::kEnglish);
}

TEST_F(MainWindowTest, ViewsAreActivatedLeftAndRefreshedInTurn)
{
    // A face file that disappears after start keeps the previous view.
    const auto plugins = *platform::hostPathOf(std::u16string(store::kDefaultInstallFolder) + u"plugins");
    std::filesystem::remove_all(plugins);
    std::filesystem::create_directories(plugins);
    std::filesystem::copy_file(std::filesystem::path(TKW_SHIPPED_ART_DIR) / "plugins" / "Dezod.qpg", plugins / "Dezod.qpg");
    app::MainWindow window(app::StartRequest { });
    ASSERT_EQ(window.views().pluginFaces.size(), 1u);
    EXPECT_TRUE(window.selectView(13));
    EXPECT_EQ(window.currentView(), 13);
    window.selectView(4);
    std::filesystem::remove(plugins / "Dezod.qpg");
    EXPECT_FALSE(window.selectView(13));
    EXPECT_EQ(window.currentView(), 4);
    EXPECT_EQ(window.viewManager()->currentIndex(), 4);

    // The sub-selection of Alarms, Timers, City Time and Time Calc survives a run that
    // does not touch it; other views store 0.
    window.viewObject(4).setSubSelection(3);
    window.shutDown();
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 4u);
    EXPECT_EQ(saved.lastViewItem, 3u);
}

TEST_F(MainWindowTest, TurningTheScreenLaysTheViewsOutAgain)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(3);
    EXPECT_EQ(window.screen()->size(), QSize(240, 268));
    app_testing::setScreen(320, 240);
    for (int i = 0; i < 50 && window.screen()->size() != QSize(320, 188); ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    EXPECT_EQ(window.screen()->size(), QSize(320, 188));
    EXPECT_EQ(window.currentView(), 3);
}

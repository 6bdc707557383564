// The main window in this process, headless: taps, minimising.

#include "app/main_window.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "ui/drop_list.h"
#include "ui/headless.h"

#include <QApplication>

namespace {

class MainWindowTest : public testing_support::DeviceTest {
protected:
    MainWindowTest() { (void)store::LoadSettings(); }
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
    store::Settings().statusField2 = 0;
    ui::tap(window.screen(), QPoint(120, 255));
    EXPECT_EQ(window.currentView(), 0);
    EXPECT_FALSE(window.selectView(13)); // no face files: no view 13
}

TEST_F(MainWindowTest, MinimisingEndsTheProgramAfterSavingItsView)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    window.selectView(8);
    window.setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::ReadTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 8u);
}

TEST_F(MainWindowTest, TitleAreaOpensTheViewListAndAPickSwitches)
{
    app::MainWindow window(app::StartRequest { });
    window.show();
    EXPECT_EQ(window.viewManager()->items().size(), 13);
    ui::tap(window.screen(), QPoint(40, 10));
    EXPECT_TRUE(window.viewManager()->listShown());
    emit window.viewManager()->selected(6);
    EXPECT_EQ(window.currentView(), 6);
    window.selectView(2);
    EXPECT_EQ(window.viewManager()->currentIndex(), 2);
}

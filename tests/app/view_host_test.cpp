// The main window as a host of views: the table it makes them from, the hooks it asks
// them by, and the interval chime that sounds beside its events.

#include "app/interval_chime.h"
#include "app/main_window.h"
#include "app/view_list.h"
#include "app/view_table.h"
#include "platform/files.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "tests/support/sound_capture.h"
#include "ui/drop_list.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <set>

namespace {

class ViewHostTest : public testing_support::DeviceTest {
protected:
    ViewHostTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }
};

} // namespace

TEST(ViewTable, HasEveryBuiltInViewOnceInIndexOrder)
{
    const auto table = app::builtInViewTable();
    ASSERT_EQ(table.size(), std::size_t(app::kBuiltInViewCount));
    std::set<int> seen;
    for (std::size_t k = 0; k < table.size(); ++k) {
        EXPECT_EQ(table[k].index, int(k));
        EXPECT_NE(table[k].make, nullptr);
        seen.insert(table[k].index);
    }
    EXPECT_EQ(seen.size(), table.size());
}

TEST_F(ViewHostTest, WindowMakesEachViewFromItsRowAndSwitchesThroughAll)
{
    app::MainWindow window(app::StartRequest {});
    window.show();
    const int faces = int(window.views().pluginFaces.size());
    ASSERT_GT(faces, 0); // the shipped look brings clock faces
    for (int view = 0; view < app::kBuiltInViewCount + faces; ++view) {
        ASSERT_TRUE(window.selectView(view)) << view;
        EXPECT_EQ(window.currentView(), view);
        EXPECT_EQ(window.viewManager()->currentIndex(), view);
        if (view < app::kBuiltInViewCount) {
            EXPECT_EQ(window.viewObject(view).index(), view);
        }
        // Each view paints, the way the window paints it.
        EXPECT_FALSE(window.screen()->grab().isNull());
    }
    EXPECT_FALSE(window.selectView(app::kBuiltInViewCount + faces));
    EXPECT_TRUE(window.selectView(app::kGeneralView));
    EXPECT_EQ(window.currentView(), app::kGeneralView);
}

TEST_F(ViewHostTest, ViewsAnswerTheHooksTheWindowAsksThemBy)
{
    app::MainWindow window(app::StartRequest {});
    const std::set<int> perSecond { app::kSunView, app::kInternetTimeView, app::kTimeCalcView };
    const std::set<int> restoring { app::kAlarmsView, app::kTimersView, app::kCityTimeView,
        app::kTimeCalcView };
    store::settings().stopwatchRunning = 0;
    for (int view = 0; view < app::kBuiltInViewCount; ++view) {
        const app::View& object = window.viewObject(view);
        EXPECT_EQ(object.takesPerSecondUpdate(), perSecond.count(view) == 1) << view;
        EXPECT_EQ(object.restoresSubSelection(), restoring.count(view) == 1) << view;
        EXPECT_FALSE(object.wantsEveryTick()) << view;
    }
    // A running stopwatch is drawn on every tick; no other view asks for it.
    store::settings().stopwatchRunning = 1;
    for (int view = 0; view < app::kBuiltInViewCount; ++view)
        EXPECT_EQ(window.viewObject(view).wantsEveryTick(), view == app::kStopwatchView) << view;
    store::settings().stopwatchRunning = 0;
}

TEST_F(ViewHostTest, StartWithTheLastViewRestoresTheSubSelectionOnlyWhereTheViewKeepsOne)
{
    auto& settings = store::settings();
    settings.startView = 0; // the last view
    settings.lastViewItem = 2;
    settings.lastView = app::kCityTimeView;
    {
        app::MainWindow window(app::StartRequest {});
        EXPECT_EQ(window.currentView(), app::kCityTimeView);
        EXPECT_EQ(window.viewObject(app::kCityTimeView).subSelection(), 2);
    }
    settings.lastView = app::kWorldTimeView;
    {
        app::MainWindow window(app::StartRequest {});
        EXPECT_EQ(window.currentView(), app::kWorldTimeView);
        EXPECT_EQ(window.viewObject(app::kWorldTimeView).subSelection(), 0);
    }
}

namespace {

// The chime with SDL's disk driver capturing what it plays.
class IntervalChimeTest : public testing_support::DeviceTest {
protected:
    IntervalChimeTest()
        : m_capture(m_device.root() / "chime-capture.raw")
        , m_driver("SDL_AUDIODRIVER", "disk")
        , m_file("SDL_DISKAUDIOFILE", m_capture.c_str())
    {
        testing_support::writeTone(*platform::hostPathOf(kSound), 0.6, 880, 0.5);
    }

    static constexpr const char16_t* kSound = u"\\chime.wav";
    std::filesystem::path m_capture;

private:
    testing_support::EnvironmentGuard m_driver;
    testing_support::EnvironmentGuard m_file;
};

} // namespace

TEST_F(IntervalChimeTest, SoundsWhileTheEventLoopKeepsRunning)
{
    app::IntervalChime chime;
    ASSERT_TRUE(chime.play(kSound));
    // play() came back while the chime is still to sound: nothing waited for it here.
    EXPECT_TRUE(chime.playing());
    EXPECT_FALSE(chime.play(kSound)); // one chime at a time

    int turns = 0;
    QEventLoop loop;
    QTimer turn;
    turn.setInterval(20);
    QObject::connect(&turn, &QTimer::timeout, &loop, [&] {
        ++turns;
        if (!chime.playing())
            loop.quit();
    });
    QTimer::singleShot(20'000, &loop, &QEventLoop::quit); // a chime that never ends fails below
    turn.start();
    loop.exec();
    EXPECT_FALSE(chime.playing());
    // The loop turned all through the quiet second, the sound and the two quiet seconds.
    EXPECT_GT(turns, 50);
    EXPECT_GT(testing_support::heardSince(m_capture, 0).seconds, 0.4);
    // Over: the next chime may start.
    EXPECT_TRUE(chime.play(kSound));
}

TEST_F(IntervalChimeTest, EndingDuringTheQuietSecondPlaysNothing)
{
    {
        app::IntervalChime chime;
        ASSERT_TRUE(chime.play(kSound));
    }
    EXPECT_EQ(testing_support::heardSince(m_capture, 0).seconds, 0.0);
}

// The Stopwatch view driven through its buttons, headless, in two languages and on a
// portrait and a landscape screen; a split taken by tkwctl showing up in the running view;
// the status bar's stopwatch part.

#include "stopwatch/view/stopwatch_view.h"

#include "app/main_window.h"
#include "app/suite_state.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/layout_screens.h"
#include "tests/support/shipped_look.h"
#include "tests/support/time_helpers.h"
#include "ui/headless.h"
#include "ui/layout_report.h"
#include "ui/list_view.h"
#include "ui/resources.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using stopwatch::StopwatchView;

// Lets queued events (the folder watch) arrive until `done` or five seconds passed.
template <typename Done> bool waitFor(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class StopwatchViewTest : public testing_support::ClockDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ClockDeviceTest::SetUp());
        (void)store::LoadSettings();
    }
    void TearDown() override { store::setCurrentLanguage(store::kEnglish); }
    static QString text(unsigned id, DWORD language) { return ui::text(id, language); }
};

TEST_F(StopwatchViewTest, ButtonsDriveItInTwoLanguagesOnPortraitAndLandscapeScreens)
{
    for (const DWORD language : { store::kEnglish, store::kGerman }) {
        for (const QSize size : { QSize(240, 320), QSize(640, 480) }) {
            SCOPED_TRACE(testing::Message()
                << "language " << language << ", " << size.width() << "x" << size.height());
            store::setCurrentLanguage(language);
            store::settings().stopwatchRunning = 0;
            store::settings().stopwatchStart = {};
            ASSERT_TRUE(store::SaveSettings());
            (void)platform::deleteFile(store::DataFilePath(store::kStopwatchFile));

            const auto geometry = ui::ScreenGeometry::of(size.width(), size.height());
            QWidget screen;
            screen.resize(size);
            faces::SkinSet look; // not loaded: plain colours
            stopwatch::Stopwatch watch(store::settings());
            StopwatchView view(&screen, geometry, look, watch);
            screen.show();
            ASSERT_TRUE(view.activate());

            EXPECT_EQ(view.startStopButton().text(), text(40275, language)); // "Start"
            EXPECT_FALSE(view.splitButton().isEnabled());
            EXPECT_FALSE(view.resetButton().isEnabled());
            EXPECT_FALSE(view.deleteAllButton().isEnabled());
            EXPECT_FALSE(view.wantsEveryTick());

            view.startStopButton().click();
            EXPECT_EQ(view.startStopButton().text(), text(40735, language)); // "Stop"
            EXPECT_TRUE(view.splitButton().isEnabled());
            EXPECT_TRUE(view.resetButton().isEnabled());
            EXPECT_TRUE(view.wantsEveryTick());
            travel(5);
            view.splitButton().click();
            ASSERT_EQ(view.splitList().rowCount(), 1);
            EXPECT_EQ(view.splitList().cell(0, 0), text(40285, language) + QStringLiteral(" 01"));
            EXPECT_TRUE(view.splitList().cell(0, 1).startsWith(QStringLiteral("00:00 05.")))
                << view.splitList().cell(0, 1).toStdString();
            EXPECT_TRUE(view.deleteAllButton().isEnabled());

            view.startStopButton().click();
            EXPECT_EQ(view.startStopButton().text(), text(40945, language)); // "Resume"
            EXPECT_FALSE(view.splitButton().isEnabled());
            travel(30);
            EXPECT_TRUE(view.displayedText().startsWith(QStringLiteral("00:00 05.")))
                << view.displayedText().toStdString();

            // Every control inside the screen, every caption whole, the display inside its box.
            const QRect area(
                0, 0, app::viewWidth(geometry), geometry.scaled(geometry.landscape ? 165 : 245));
            EXPECT_EQ(testing_support::formatFindings(testing_support::checkLayout(screen, size)),
                QString());
            ui::LayoutReport report;
            view.reportLayout(report, { geometry, area });
            ASSERT_EQ(report.texts().size(), 1u);
            // The display's text is drawn in black inside its box, and nowhere outside it.
            QImage frame(size, QImage::Format_RGB32);
            {
                QPainter painter(&frame);
                view.paint(painter, { geometry, area });
            }
            const QRect box = report.texts()[0].rect;
            int inkInside = 0, inkOutside = 0;
            for (int y = 0; y < area.height(); ++y)
                for (int x = 0; x < area.width(); ++x)
                    (box.contains(x, y) ? inkInside : inkOutside)
                        += frame.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
            EXPECT_GT(inkInside, box.width() * box.height() / 20);
            EXPECT_EQ(inkOutside, 0);
            EXPECT_EQ(testing_support::formatFindings(
                          testing_support::checkDrawnLayout(report, area, &screen)),
                QString());

            view.resetButton().click();
            EXPECT_EQ(view.startStopButton().text(), text(40275, language));
            EXPECT_TRUE(view.displayedText().startsWith(QStringLiteral("00:00 00.")));
            EXPECT_FALSE(view.resetButton().isEnabled());
            EXPECT_EQ(view.splitList().rowCount(), 1); // the splits stay

            EXPECT_FALSE(view.deleteButton().isEnabled());
            view.splitList().setCurrentRow(0);
            emit view.splitList().rowChosen(0);
            EXPECT_TRUE(view.deleteButton().isEnabled());
            view.deleteButton().click();
            EXPECT_EQ(view.splitList().rowCount(), 0);
            EXPECT_FALSE(view.deleteAllButton().isEnabled());
            EXPECT_EQ(platform::fileSize(store::DataFilePath(store::kStopwatchFile)), 0u);
            view.leave();
        }
    }
}

TEST_F(StopwatchViewTest, TheLabelWordOfTheCommandLineIsTheStringTables)
{
    for (const DWORD language : testing_support::kMainProgramLanguages)
        EXPECT_EQ(stopwatch::splitWord(language), ui::text(40285, language).toStdU16String())
            << language;
}

TEST_F(StopwatchViewTest, ASplitTakenByTkwctlShowsInTheRunningView)
{
    QWidget screen;
    faces::SkinSet look;
    stopwatch::Stopwatch watch(store::settings());
    StopwatchView view(&screen, ui::ScreenGeometry::of(240, 320), look, watch);
    ASSERT_TRUE(view.activate());
    view.startStopButton().click();
    travel(3);
    ASSERT_EQ(testing_support::runCommand({ TKW_TKWCTL, "stopwatch", "split" }).exitCode, 0);
    ASSERT_TRUE(waitFor([&] { return view.splitList().rowCount() == 1; }));
    EXPECT_EQ(view.splitList().cell(0, 0), QStringLiteral("Split 01"));
    EXPECT_TRUE(view.splitList().cell(0, 1).startsWith(QStringLiteral("00:00 03.")))
        << view.splitList().cell(0, 1).toStdString();
    // The view's own next split follows on, in the same file.
    view.splitButton().click();
    EXPECT_EQ(view.splitList().cell(1, 0), QStringLiteral("Split 02"));
    // tkwctl stops it: the view's first button says "Resume".
    ASSERT_EQ(testing_support::runCommand({ TKW_TKWCTL, "stopwatch", "stop" }).exitCode, 0);
    ASSERT_TRUE(waitFor([&] { return view.startStopButton().text() == QStringLiteral("Resume"); }));
    EXPECT_FALSE(view.splitButton().isEnabled());
    EXPECT_FALSE(view.wantsEveryTick());
}

TEST_F(StopwatchViewTest, TheDisplayTakesTheLooksColoursAndDigits)
{
    ASSERT_TRUE(testing_support::installShippedLook());
    faces::SkinSet look;
    ASSERT_NE(look.load(faces::SkinSource {}, u""), faces::SkinOutcome::PackUnusable);
    const auto geometry = ui::ScreenGeometry::of(240, 320);
    QWidget screen;
    stopwatch::Stopwatch watch(store::settings());
    StopwatchView view(&screen, geometry, look, watch);
    ASSERT_TRUE(view.activate());
    const QRect area(0, 0, 240, 245);
    QImage frame(240, 320, QImage::Format_RGB32);
    {
        QPainter painter(&frame);
        view.paint(painter, { geometry, area });
    }
    ui::LayoutReport report;
    view.reportLayout(report, { geometry, area });
    // The display's box is filled with the look's big-time colour behind the digits.
    const QRect box = look.hasDigitImages() ? report.images().at(0) : report.texts().at(0).rect;
    EXPECT_EQ(
        QColor(frame.pixel(box.topLeft() + QPoint(1, 1))), look.colour(faces::skin::kBigTimeFill));
    EXPECT_EQ(
        testing_support::formatFindings(testing_support::checkDrawnLayout(report, area, nullptr)),
        QString());
}

TEST_F(StopwatchViewTest, TheStatusBarPartShowsTheRunningStopwatch)
{
    store::settings().statusField1 = 3; // Stopwatch
    app::SuiteState suite;
    EXPECT_FALSE(suite.statusInputs(platform::localNow()).stopwatchText);
    ASSERT_EQ(suite.stopwatch().StartStop(platform::deviceUniversalNow().count()),
        stopwatch::EditOutcome::Done);
    travel(3600 + 65);
    EXPECT_EQ(suite.statusInputs(platform::localNow()).stopwatchText, std::u16string(u"01:01 05"));
    ASSERT_EQ(suite.stopwatch().StartStop(platform::deviceUniversalNow().count()),
        stopwatch::EditOutcome::Done);
    EXPECT_FALSE(suite.statusInputs(platform::localNow()).stopwatchText);
}

// Pictures of the view in the main window with the shipped look, for a person to look at:
// English and German, portrait and landscape, stopped after two splits.
TEST_F(StopwatchViewTest, PicturesOfTheView)
{
    ASSERT_TRUE(testing_support::installShippedLook());
    (void)store::LoadSettings();
    for (const DWORD language : { store::kEnglish, store::kGerman }) {
        for (const QSize size : { QSize(240, 320), QSize(320, 240) }) {
            ASSERT_TRUE(testing_support::setScreenKind(size));
            store::setCurrentLanguage(language);
            app::MainWindow window(app::StartRequest {});
            window.show();
            ASSERT_TRUE(window.selectView(app::kStopwatchView));
            auto& view = dynamic_cast<StopwatchView&>(window.viewObject(app::kStopwatchView));
            if (view.splitList().rowCount() == 0) {
                view.startStopButton().click();
                travel(83);
                view.splitButton().click();
                travel(3600 + 17);
                view.splitButton().click();
                travel(9);
                view.startStopButton().click();
            }
            ASSERT_EQ(view.splitList().rowCount(), 2);
            QApplication::processEvents();
            const QString name
                = QStringLiteral("/stopwatch_view_%1_%2.png")
                      .arg(
                          language == store::kEnglish ? QStringLiteral("en") : QStringLiteral("de"))
                      .arg(size.width() > size.height() ? QStringLiteral("landscape")
                                                        : QStringLiteral("portrait"));
            EXPECT_TRUE(ui::saveScreenshot(&window, QStringLiteral(TKW_SCREENSHOT_DIR) + name));
        }
    }
}

} // namespace

// The Timers view and the Timer Settings window, headless, on the test's own device: what
// a tap does to timers.dat and to the wake-up database, and what the view shows when
// tkwctl, a second program, changes the timers beside it.

#include "app/action_panel.h"
#include "app/main_window.h"
#include "app/timer_settings.h"
#include "app/timers_view.h"
#include "app/view_list.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "timers/timer_file.h"
#include "ui/headless.h"
#include "ui/sound_chooser.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using app_testing::setScreen;
using app_testing::whenModalShows;

class TimersViewTest : public testing_support::DeviceTest {
protected:
    TimersViewTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
        store::setCurrentLanguage(store::kEnglish);
        SYSTEMTIME now { 2026, 12, 3, 9, 12, 0, 0, 0 }; // Wednesday 2026-12-09, 12:00
        EXPECT_TRUE(SetLocalTime(&now));
    }
    ~TimersViewTest() override { store::setCurrentLanguage(store::kEnglish); }

    std::unique_ptr<app::MainWindow> openTimers()
    {
        auto window = std::make_unique<app::MainWindow>(app::StartRequest {});
        window->show();
        EXPECT_TRUE(window->selectView(app::kTimersView));
        QApplication::processEvents();
        return window;
    }
    static app::TimersView& timersView(app::MainWindow& window)
    {
        return dynamic_cast<app::TimersView&>(window.viewObject(app::kTimersView));
    }
    static QPushButton* button(app::TimersView& view, const char* name)
    {
        return view.panel()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static timers::TimerRecord onDisk(int index)
    {
        timers::TimerRecord record {};
        EXPECT_TRUE(timers::readTimer(index, record));
        return record;
    }
    // The arguments of the runner's wake-ups: "t00" ... "t15" for timers.
    static std::vector<std::u16string> timerWakeUps()
    {
        std::vector<std::u16string> arguments;
        for (const auto& wakeUp : platform::wakeUpsOf(store::kRunnerPath).value_or(std::vector<platform::WakeUp> {}))
            if (wakeUp.arguments.starts_with(u"t"))
                arguments.push_back(wakeUp.arguments);
        return arguments;
    }
    static int tkwctl(std::vector<std::string> words)
    {
        words.insert(words.begin(), TKW_TKWCTL);
        const auto result = testing_support::runCommand(words);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.exitCode;
    }
};

TEST_F(TimersViewTest, StartingFromATabOnTheSecondPageRegistersTheTimerAndShowsStop)
{
    auto window = openTimers();
    auto& view = timersView(*window);
    EXPECT_TRUE(view.startPanel()->isVisibleTo(view.panel()));
    EXPECT_FALSE(view.previousTabs()->isEnabled());
    view.nextTabs()->click();
    ASSERT_EQ(view.firstTab(), 4);
    view.tab(2)->click(); // the seventh timer, index 6
    ASSERT_EQ(view.selected(), 6);
    EXPECT_EQ(view.timerList()->currentIndex(), 6);
    EXPECT_TRUE(view.tab(2)->icon().isNull());
    button(view, "StartButton")->click();

    EXPECT_EQ(timerWakeUps(), std::vector<std::u16string> { u"t06" });
    EXPECT_NE(onDisk(6).hNotification, 0u);
    EXPECT_EQ(onDisk(6).running, 1);
    EXPECT_TRUE(view.stopPanel()->isVisibleTo(view.panel()));
    EXPECT_FALSE(view.startPanel()->isVisibleTo(view.panel()));
    EXPECT_FALSE(view.tab(2)->icon().isNull()); // the bell
    EXPECT_TRUE(view.tab(1)->icon().isNull());

    // Another timer shows its own panel; back on the running one, "Stop" pauses it.
    view.SelectTimer(5);
    EXPECT_TRUE(view.startPanel()->isVisibleTo(view.panel()));
    view.SelectTimer(6);
    button(view, "StopButton")->click();
    EXPECT_TRUE(timerWakeUps().empty());
    EXPECT_EQ(onDisk(6).running, 0);
    EXPECT_TRUE(view.startPanel()->isVisibleTo(view.panel()));
}

TEST_F(TimersViewTest, StopAndResetAllClearsEveryRegistration)
{
    auto window = openTimers();
    auto& view = timersView(*window);
    for (const int index : { 0, 6, 13 }) {
        view.SelectTimer(index);
        view.startSelected();
    }
    ASSERT_EQ(timerWakeUps().size(), 3u);
    EXPECT_EQ(view.firstTab(), 12); // following the selection
    auto* all = button(view, "StopResetAllButton");
    EXPECT_EQ(all->text(), QStringLiteral("Stop && Reset All..."));
    all->click();
    EXPECT_TRUE(timerWakeUps().empty());
    for (int index = 0; index < timers::kTimerCount; ++index) {
        EXPECT_EQ(onDisk(index).hNotification, 0u) << index;
        EXPECT_EQ(onDisk(index).running, 0) << index;
    }
    EXPECT_TRUE(view.startPanel()->isVisibleTo(view.panel()));
    EXPECT_TRUE(view.tab(1)->icon().isNull());
}

TEST_F(TimersViewTest, TheListMovesTheTabsAndTheCountdownTapSetsTheInitialValueOfAStoppedTimer)
{
    auto window = openTimers();
    auto& view = timersView(*window);
    emit view.timerList()->activated(9);
    EXPECT_EQ(view.selected(), 9);
    EXPECT_EQ(view.firstTab(), 8);
    EXPECT_TRUE(view.tab(1)->isChecked());

    int opened = 0;
    whenModalShows([&](QDialog& dialog) {
        ++opened;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Initial Value"));
        dynamic_cast<app::InitialValueDialog&>(dialog).field()->setTime(QTime(0, 5, 30));
        dialog.accept();
    });
    view.countdownTapped();
    ASSERT_EQ(opened, 1);
    // Written at once, not only at the next start.
    EXPECT_EQ(onDisk(9).initMinute, 5);
    EXPECT_EQ(onDisk(9).initSecond, 30);
    EXPECT_EQ(view.display()->text(), QStringLiteral("00:05:30"));

    // A running timer's countdown takes no tap.
    view.startSelected();
    whenModalShows([&](QDialog& dialog) {
        ++opened;
        dialog.reject();
    });
    view.countdownTapped();
    QApplication::processEvents();
    EXPECT_EQ(opened, 1);
}

TEST_F(TimersViewTest, TheSettingsWindowRefusesAnInvalidProgramPathAndStoresNothing)
{
    auto window = openTimers();
    auto& view = timersView(*window);
    const auto before = onDisk(2);
    QString caption;
    bool stayedOpen = false;
    whenModalShows([&](QDialog& dialog) {
        auto& settings = dynamic_cast<app::TimerSettingsWindow&>(dialog);
        settings.nameField()->setText(QStringLiteral("Eggs"));
        settings.actionPanel()->actionList()->setCurrentIndex(settings.actionPanel()->actionList()->count() - 1);
        settings.actionPanel()->programPath()->setText(QStringLiteral("\\Program Files\\Nothing.exe"));
        whenModalShows([&](QDialog& box) {
            caption = box.windowTitle();
            box.accept();
        });
        settings.accept();
        stayedOpen = settings.isVisible();
        settings.reject();
    });
    view.openSettings(2);
    EXPECT_EQ(caption, QStringLiteral("Invalid path"));
    EXPECT_TRUE(stayedOpen);
    const auto after = onDisk(2);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_FALSE(std::filesystem::exists(*platform::hostPathOf(u"\\Application Data\\Orvane Tickwell Pro\\data\\timersnd2.dat")));

    // A path without its leading "\" names nothing either, even where the file exists.
    const auto document = *platform::hostPathOf(u"\\notes.txt");
    std::ofstream(document) << "boil";
    EXPECT_EQ(app::CheckProgramPath(u"notes.txt"), app::ProgramPathKind::Invalid);
    EXPECT_EQ(app::CheckProgramPath(u"\\notes.txt"), app::ProgramPathKind::Document);
    // A program named in capitals is still a program: its parameters are kept.
    std::ofstream(*platform::hostPathOf(u"\\Tool.EXE")) << "MZ";
    EXPECT_EQ(app::CheckProgramPath(u"\\Tool.EXE"), app::ProgramPathKind::Program);
}

TEST_F(TimersViewTest, TheSettingsWindowStoresNameInitialValueAndFaceAtOnceAndResetKeepsTheName)
{
    std::filesystem::create_directories(*platform::hostPathOf(u"\\Windows"));
    std::ofstream(*platform::hostPathOf(u"\\Windows\\Alarm1.wav")) << "RIFF";
    auto window = openTimers();
    auto& view = timersView(*window);
    whenModalShows([&](QDialog& dialog) {
        auto& settings = dynamic_cast<app::TimerSettingsWindow&>(dialog);
        settings.nameField()->setText(QStringLiteral("Tea"));
        settings.initialValueField()->setTime(QTime(0, 4, 0));
        settings.actionPanel()->repeatList()->setCurrentIndex(3);
        settings.ResetSettings();
        EXPECT_EQ(settings.nameField()->text(), QStringLiteral("Tea"));
        EXPECT_EQ(settings.initialValueField()->time(), QTime(0, 0));
        EXPECT_EQ(settings.actionPanel()->repeatList()->currentIndex(), 0);
        settings.initialValueField()->setTime(QTime(0, 3, 15));
        settings.actionPanel()->repeatList()->setCurrentIndex(2);
        if (settings.actionPanel()->actionList()->count() > 2)
            settings.actionPanel()->actionList()->setCurrentIndex(1);
        settings.accept();
    });
    view.openSettings(4);
    const auto stored = onDisk(4);
    EXPECT_EQ(std::u16string(stored.name), u"Tea");
    EXPECT_EQ(stored.initMinute, 3);
    EXPECT_EQ(stored.initSecond, 15);
    EXPECT_EQ(stored.repeatIndex, 2);
    if (window->views().pluginFaces.empty()) {
        EXPECT_EQ(stored.actionKind, 0u);
    } else {
        EXPECT_EQ(stored.actionKind, 1u);
        EXPECT_EQ(std::u16string(stored.programPath), window->views().pluginFaces.front());
    }
    EXPECT_EQ(timers::readTimerSound(4), u"\\Windows\\Alarm1.wav");
}

TEST_F(TimersViewTest, WhatTkwctlChangesBesideTheOpenViewShowsUpAndIsNotOverwritten)
{
    auto window = openTimers();
    auto& view = timersView(*window);
    ASSERT_EQ(view.display()->text(), QStringLiteral("00:00:00"));
    ASSERT_EQ(tkwctl({ "timer", "set", "1", "--value", "00:07:00", "--name", "Pasta" }), 0);
    ASSERT_EQ(tkwctl({ "timer", "start", "3" }), 0);
    view.refresh(); // the per-second drawing does this while the view is shown
    EXPECT_EQ(view.display()->text(), QStringLiteral("00:07:00"));
    EXPECT_FALSE(view.tab(2)->icon().isNull()); // timer 3 runs: its bell
    view.SelectTimer(2);
    EXPECT_TRUE(view.stopPanel()->isVisibleTo(view.panel()));

    // A change tkwctl makes just before a tap is kept: the tap works on the fresh copy.
    ASSERT_EQ(tkwctl({ "timer", "set", "2", "--name", "Rice" }), 0);
    view.SelectTimer(1);
    view.startSelected();
    EXPECT_EQ(std::u16string(onDisk(1).name), u"Rice");
    EXPECT_EQ(onDisk(1).running, 1);
    EXPECT_EQ(std::u16string(onDisk(0).name), u"Pasta");
}

// The view and the settings window in English and German, portrait and landscape.
TEST_F(TimersViewTest, Screenshots)
{
    for (const auto language : { store::kEnglish, store::kGerman }) {
        for (const bool landscape : { false, true }) {
            setScreen(landscape ? 320 : 240, landscape ? 240 : 320);
            store::setCurrentLanguage(language);
            auto window = openTimers();
            auto& view = timersView(*window);
            view.SelectTimer(5);
            view.startSelected();
            view.SelectTimer(6);
            QApplication::processEvents();
            const QString suffix = QStringLiteral("%1_%2").arg(landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"))
                                       .arg(language == store::kEnglish ? QStringLiteral("en") : QStringLiteral("de"));
            EXPECT_TRUE(ui::saveScreenshot(window.get(), QStringLiteral(TKW_SCREENSHOT_DIR "/timers_view_%1.png").arg(suffix)));
            app::TimerSettingsWindow settings(window.get(), timers::TimerRecord {}, u"", {});
            settings.show();
            QApplication::processEvents();
            EXPECT_TRUE(ui::saveScreenshot(&settings, QStringLiteral(TKW_SCREENSHOT_DIR "/timer_settings_%1.png").arg(suffix)));
            settings.reject();
            view.resetAll();
        }
    }
}

} // namespace

// The Alarms view and its settings window, headless, on the test's own device: what a tap
// does to the alarms on disk and in the wake-up database.

#include "alarms/alarm_file.h"
#include "app/alarm_settings.h"
#include "app/alarms_view.h"
#include "app/main_window.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/settings.h"
#include "tests/app/gui_helpers.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "tests/support/sound_capture.h"
#include "ui/headless.h"
#include "ui/pickers.h"
#include "ui/sound_chooser.h"
#include "ui/time_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <fstream>

namespace {

using app_testing::setScreen;
using app_testing::whenModalShows;

void setProfile(const char16_t* name, std::u16string_view value)
{
    ASSERT_TRUE(platform::writeRegistryString(platform::RegistryRoot::LocalMachine, platform::kProfileKey, name, value));
}

class AlarmsViewTest : public testing_support::DeviceTest {
protected:
    AlarmsViewTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
        // Wednesday 2026-12-09, 12:00.
        SYSTEMTIME now { 2026, 12, 3, 9, 12, 0, 0, 0 };
        EXPECT_TRUE(SetLocalTime(&now));
    }

    std::unique_ptr<app::MainWindow> openAlarms()
    {
        auto window = std::make_unique<app::MainWindow>(app::StartRequest { });
        window->show();
        window->selectView(3);
        return window;
    }

    static app::AlarmsView& alarmsView(app::MainWindow& window) { return dynamic_cast<app::AlarmsView&>(window.viewObject(3)); }

    // Taps the weekday area of `row` at `x` logical pixels.
    static void tapWeekday(app::AlarmsView& view, int row, int x)
    {
        ui::tap(view.rows()[std::size_t(row)].weekdays, QPoint(x, 9));
    }

    static alarms::AlarmRecord onDisk(int index)
    {
        alarms::AlarmRecord record { };
        EXPECT_TRUE(alarms::readAlarm(index, record));
        return record;
    }
};

} // namespace

TEST_F(AlarmsViewTest, SundayFirstLocaleOrdersTheBoxesFromSunday)
{
    setProfile(u"Locale", u"en_US");
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    tapWeekday(view, 0, 4);  // box 0: Sunday
    tapWeekday(view, 0, 20); // box 1: Monday
    EXPECT_EQ(onDisk(0).weekdays, 0b0000011);
    tapWeekday(view, 0, 95); // box 6: Saturday
    EXPECT_EQ(onDisk(0).weekdays, 0b1000011);
    tapWeekday(view, 0, 100); // right of the boxes: nothing
    EXPECT_EQ(onDisk(0).weekdays, 0b1000011);
}

TEST_F(AlarmsViewTest, MondayFirstLocaleEndsTheRowWithSunday)
{
    setProfile(u"Locale", u"de_DE");
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    tapWeekday(view, 1, 4);  // box 0: Monday
    tapWeekday(view, 1, 95); // box 6: Sunday
    EXPECT_EQ(onDisk(1).weekdays, 0b0000011);
}

TEST_F(AlarmsViewTest, SwitchingOnRegistersOneWakeUpAndClearingTheLastDaySwitchesOff)
{
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    const auto& row = view.rows()[1];
    tapWeekday(view, 1, 20); // alarm 2, a weekday
    row.onOff->click();
    const auto record = onDisk(1);
    EXPECT_EQ(record.enabled, 1);
    ASSERT_NE(record.hNotification, 0u);
    const auto wakeUps = platform::listWakeUps();
    ASSERT_TRUE(wakeUps);
    ASSERT_EQ(wakeUps->size(), 1u);
    EXPECT_EQ(wakeUps->front().arguments, u"a02");
    EXPECT_TRUE(row.onOff->isChecked());

    tapWeekday(view, 1, 20); // the last weekday goes: the alarm goes off
    EXPECT_FALSE(row.onOff->isChecked());
    EXPECT_EQ(onDisk(1).enabled, 0);
    EXPECT_EQ(onDisk(1).hNotification, 0u);
    EXPECT_TRUE(platform::listWakeUps()->empty());
}

TEST_F(AlarmsViewTest, SwitchingOnWithoutWeekdaysHintsOnceThenBlinks)
{
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    const auto& row = view.rows()[0];
    bool hinted = false;
    whenModalShows([&](QDialog& dialog) {
        hinted = dialog.objectName() == QStringLiteral("NoWeekdayHint");
        dialog.findChild<QCheckBox*>(QStringLiteral("DoNotShowAgain"))->setChecked(true);
        dialog.accept();
    });
    row.onOff->click();
    EXPECT_TRUE(hinted);
    EXPECT_FALSE(row.onOff->isChecked());
    EXPECT_EQ(onDisk(0).enabled, 0);
    EXPECT_EQ(store::settings().hintsOff & 1, 1);
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.hintsOff & 1, 1);

    // Told once: now the boxes blink instead.
    row.onOff->click();
    EXPECT_FALSE(row.onOff->isChecked());
    EXPECT_TRUE(row.weekdays->blinking());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AlarmsViewTest, PagesHoldFourRowsAndTheStartCommandOpensTheAlarmsPage)
{
    app::StartRequest request;
    request.view = 3;
    request.viewItem = 9; // "a10"
    app::MainWindow window(request);
    auto& view = alarmsView(window);
    EXPECT_EQ(view.rowsPerPage(), 4);
    EXPECT_EQ(view.page(), 2); // alarms 9-12
    EXPECT_EQ(view.rows()[1].onOff->text(), QStringLiteral("10"));
    window.shutDown();
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 3u);
    EXPECT_EQ(saved.lastViewItem, 8u); // the first alarm shown
}

TEST_F(AlarmsViewTest, LandscapeShowsThreeRowsAndTheLastPageTwo)
{
    setScreen(320, 240);
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    EXPECT_EQ(view.rowsPerPage(), 3);
    view.showPage(6);
    EXPECT_TRUE(view.rows()[1].frame->isVisibleTo(view.panel()));
    EXPECT_FALSE(view.rows()[2].frame->isVisibleTo(view.panel()));
    EXPECT_EQ(view.rows()[1].onOff->text(), QStringLiteral("20"));
    view.showPage(0);
    ui::saveScreenshot(window.get(), QStringLiteral(TKW_SCREENSHOT_DIR "/alarms_view_landscape.png"));
}

TEST_F(AlarmsViewTest, PortraitScreenshotWithAlarmsSet)
{
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    tapWeekday(view, 0, 20);
    tapWeekday(view, 0, 34);
    tapWeekday(view, 0, 48);
    tapWeekday(view, 0, 62);
    tapWeekday(view, 0, 76);
    view.rows()[0].onOff->click();
    view.setLabel(0, QStringLiteral("Work"));
    view.setLabel(1, QStringLiteral("Gym"));
    tapWeekday(view, 1, 4);
    ui::saveScreenshot(window.get(), QStringLiteral(TKW_SCREENSHOT_DIR "/alarms_view_portrait.png"));
    EXPECT_EQ(onDisk(0).weekdays, 0b0111110);
    EXPECT_EQ(std::u16string(onDisk(1).label), u"Gym");
}

TEST_F(AlarmsViewTest, SettingsWindowKeepsAnInvalidProgramOpenAndTakesTheOthers)
{
    alarms::AlarmSettings current;
    current.actionKind = alarms::kShowPluginView;
    current.programPath = u"Dezod";
    app::AlarmSettingsWindow window(nullptr, 0, current, { QStringLiteral("Dezod"), QStringLiteral("Virevur") });
    // Notification, two faces, Execute.
    ASSERT_EQ(window.actionList()->count(), 4);
    EXPECT_EQ(window.actionList()->currentIndex(), 1);

    // A path that names nothing: told in English, the window stays.
    window.actionList()->setCurrentIndex(3);
    window.programPath()->setText(QStringLiteral("\\Program Files\\Nothing.exe"));
    QString caption;
    whenModalShows([&](QDialog& box) {
        caption = box.windowTitle();
        box.accept();
    });
    window.accept();
    EXPECT_EQ(caption, QStringLiteral("Invalid path"));
    EXPECT_EQ(window.result(), 0);

    // An existing document: taken, without parameters (they mean nothing to a document).
    const auto document = *platform::hostPathOf(u"\\notes.txt");
    std::ofstream(document) << "wake up";
    window.programPath()->setText(QStringLiteral("\\notes.txt"));
    EXPECT_FALSE(window.programArgs()->isVisibleTo(&window));
    window.programArgs()->setText(QStringLiteral("--ignored"));
    window.accept();
    EXPECT_EQ(window.result(), int(QDialog::Accepted));
    EXPECT_EQ(window.chosen().actionKind, std::uint32_t(alarms::kExecuteProgram));
    EXPECT_EQ(window.chosen().programPath, u"\\notes.txt");
    EXPECT_EQ(window.chosen().programArgs, u"");
}

TEST_F(AlarmsViewTest, SettingsWindowTakesTheNotificationWindowAndTheFaceByName)
{
    alarms::AlarmSettings current;
    current.actionKind = alarms::kShowPluginView;
    current.programPath = u"Gone"; // a face no longer installed keeps its entry
    {
        app::AlarmSettingsWindow window(nullptr, 4, current, { QStringLiteral("Dezod") });
        ASSERT_EQ(window.actionList()->count(), 4);
        EXPECT_EQ(window.actionList()->currentIndex(), 2);
        window.accept();
        EXPECT_EQ(window.chosen().programPath, u"Gone");
    }
    app::AlarmSettingsWindow window(nullptr, 4, current, { QStringLiteral("Dezod") });
    window.actionList()->setCurrentIndex(0);
    window.repeatList()->setCurrentIndex(2);
    window.repeatingAlarm()->setChecked(true);
    window.repeatCountList()->setCurrentIndex(6);
    window.accept();
    EXPECT_EQ(window.chosen().actionKind, std::uint32_t(alarms::kShowNotification));
    EXPECT_EQ(window.chosen().programPath, u"");
    EXPECT_EQ(window.chosen().repeatIndex, 2);
    EXPECT_TRUE(window.chosen().repeatAlarm);
    EXPECT_EQ(window.chosen().repeatAlarmCountIndex, 6);
}

TEST_F(AlarmsViewTest, TestPlaysTheChosenSoundAndTurnsIntoStop)
{
    std::filesystem::create_directories(*platform::hostPathOf(u"\\Windows"));
    testing_support::writeTone(*platform::hostPathOf(u"\\Windows\\Alarm1.wav"), 0.3, 660, 0.4);
    alarms::AlarmSettings current;
    current.soundIndex = 1;
    current.soundPath = u"\\Windows\\Alarm1.wav";
    current.repeatIndex = 4; // five plays: long enough to stop
    app::AlarmSettingsWindow window(nullptr, 0, current, { });
    ASSERT_EQ(window.soundChooser()->position(), 1);
    QString during;
    QTimer::singleShot(200, [&] {
        during = window.testButton()->text();
        window.testButton()->click(); // Stop
    });
    window.testButton()->click();
    EXPECT_EQ(during, QStringLiteral("Stop"));
    EXPECT_FALSE(window.previewing());
    EXPECT_EQ(window.testButton()->text(), QStringLiteral("Test"));
}

TEST_F(AlarmsViewTest, TheAlarmTimeDialogSetsTheTimeAndIsNotReopenedWithinItsGuard)
{
    auto window = openAlarms();
    auto& view = alarmsView(*window);
    int opened = 0;
    whenModalShows([&](QDialog& dialog) {
        ++opened;
        dynamic_cast<ui::TimeDialog&>(dialog).setTime(6, 45);
        dialog.accept();
    });
    view.timeTapped(2);
    ASSERT_EQ(opened, 1);
    SYSTEMTIME time { };
    const auto record = onDisk(2);
    FileTimeToSystemTime(&record.alarmTime, &time);
    EXPECT_EQ(time.wHour, 6);
    EXPECT_EQ(time.wMinute, 45);
    EXPECT_EQ(view.rows()[2].time->time(), QTime(6, 45));

    // The picker's notification that follows the close does not open it again.
    whenModalShows([&](QDialog& dialog) {
        ++opened;
        dialog.reject();
    });
    view.timeTapped(2);
    QEventLoop settle;
    QTimer::singleShot(100, &settle, &QEventLoop::quit);
    settle.exec();
    EXPECT_EQ(opened, 1);
}

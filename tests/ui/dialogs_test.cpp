#include "ui/activity.h"
#include "ui/bubble.h"
#include "ui/dialogs.h"
#include "ui/headless.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/time_dialog.h"
#include "ui/window_host.h"

#include "platform/device_profile.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/language.h"
#include "tests/support/device_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <optional>

namespace {

using GuiTest = testing_support::DeviceTest;

// Ends the dialog that is about to open with `result`.
void endNextDialog(int result)
{
    QTimer::singleShot(0, [result] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->done(result);
    });
}

} // namespace

TEST(ScreenGeometryRules, ScaleShiftSquareLandscapeAndLayoutKind)
{
    const auto portrait = ui::ScreenGeometry::of(240, 320);
    EXPECT_EQ(portrait.scaleShift, 0);
    EXPECT_EQ(portrait.layoutKind, 0);
    EXPECT_EQ(portrait.pick(248, 165, 165), 248);

    const auto vga = ui::ScreenGeometry::of(480, 640);
    EXPECT_EQ(vga.scaleShift, 1);
    EXPECT_EQ(vga.layoutKind, 0);
    EXPECT_EQ(vga.pick(248, 165, 165), 496);

    EXPECT_EQ(ui::ScreenGeometry::of(240, 400).layoutKind, 1);
    EXPECT_EQ(ui::ScreenGeometry::of(480, 800).layoutKind, 1); // 800 >> 1 is 400

    const auto square = ui::ScreenGeometry::of(320, 320);
    EXPECT_EQ(square.layoutKind, 2);
    EXPECT_FALSE(square.square); // cleared for the 320 x 320 layout
    EXPECT_EQ(square.scaleShift, 0);

    const auto landscape = ui::ScreenGeometry::of(320, 240);
    EXPECT_TRUE(landscape.landscape);
    EXPECT_EQ(landscape.pick(248, 165, 160), 160);
    EXPECT_TRUE(ui::ScreenGeometry::of(480, 480).square);
    EXPECT_EQ(ui::suiteFont(ui::FontRole::BoldHuge, vga).pixelSize(), 144);
    EXPECT_EQ(ui::suiteFont(ui::FontRole::Bold24, landscape).pixelSize(), 20);
}

TEST(Resources, StringsAreFoundByIdentifierPlusLanguage)
{
    EXPECT_EQ(ui::text(ui::kProductNameString, store::kEnglish), QStringLiteral("Tickwell Pro"));
    const QStringList english = ui::list(40045, store::kEnglish);
    ASSERT_EQ(english.size(), 13);
    EXPECT_EQ(english.first(), QStringLiteral("General"));
    EXPECT_EQ(english.last(), QStringLiteral("Time Calc"));
    for (unsigned language : { store::kGerman, store::kFrench, store::kItalian, store::kRussian }) {
        const QStringList names = ui::list(40045, language);
        EXPECT_EQ(names.size(), 13) << language;
        EXPECT_NE(names, english) << language;
    }
    // A line break in a message is a real one.
    EXPECT_TRUE(ui::text(41275, store::kEnglish).contains(u'\n'));
    EXPECT_EQ(ui::splitList(QStringLiteral("once\\twice\\3 times\\.")),
        (QStringList { QStringLiteral("once"), QStringLiteral("twice"), QStringLiteral("3 times") }));
    // A missing string shows, rather than failing.
    EXPECT_FALSE(ui::hasText(39990, 0));
    EXPECT_EQ(ui::text(39990, 0), QStringLiteral("[39990]"));
}

TEST_F(GuiTest, DialogEndingWithTheRelayoutCodeOpensAgain)
{
    int built = 0;
    int relayouts = 2;
    const int result = ui::runModal([&] {
        ++built;
        auto dialog = std::make_unique<QDialog>();
        endNextDialog(relayouts-- > 0 ? ui::kRelayoutResult : QDialog::Accepted);
        return dialog;
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(built, 3);
}

TEST(TimeDialogHours, TwelveHourFormConvertsBothWays)
{
    EXPECT_EQ(ui::twelveHourOf(0), std::make_pair(12, false));
    EXPECT_EQ(ui::twelveHourOf(12), std::make_pair(12, true));
    EXPECT_EQ(ui::twelveHourOf(13), std::make_pair(1, true));
    EXPECT_EQ(ui::twelveHourOf(23), std::make_pair(11, true));
    EXPECT_EQ(ui::twentyFourHourOf(12, false), 0);
    EXPECT_EQ(ui::twentyFourHourOf(12, true), 12);
    EXPECT_EQ(ui::twentyFourHourOf(1, true), 13);
    for (int hour = 0; hour < 24; ++hour) {
        const auto [hour12, afternoon] = ui::twelveHourOf(hour);
        EXPECT_EQ(ui::twentyFourHourOf(hour12, afternoon), hour);
    }
}

TEST_F(GuiTest, TimeDialogShowsTwelveHourFormAndReturnsTwentyFourHours)
{
    ui::TimeDialog dialog(nullptr, QStringLiteral("Alarm Time"), 13, 5, false);
    auto* hour = dialog.findChild<QSpinBox*>(QStringLiteral("hour"));
    auto* meridiem = dialog.findChild<QComboBox*>(QStringLiteral("meridiem"));
    ASSERT_TRUE(hour && meridiem);
    EXPECT_EQ(hour->value(), 1);
    EXPECT_EQ(meridiem->currentIndex(), 1);
    hour->setValue(12);
    meridiem->setCurrentIndex(0);
    EXPECT_EQ(dialog.hour(), 0);
    EXPECT_EQ(dialog.minute(), 5);

    endNextDialog(QDialog::Accepted);
    const auto choice = ui::chooseTime(nullptr, QStringLiteral("Alarm Time"), 12, 30, false);
    EXPECT_TRUE(choice.confirmed);
    EXPECT_EQ(choice.hour, 12);
    EXPECT_EQ(choice.minute, 30);

    ui::TimeDialog full(nullptr, QStringLiteral("Alarm Time"), 23, 59, true);
    EXPECT_EQ(full.findChild<QComboBox*>(QStringLiteral("meridiem")), nullptr);
    EXPECT_EQ(full.hour(), 23);
    endNextDialog(QDialog::Rejected);
    EXPECT_FALSE(ui::chooseTime(nullptr, QStringLiteral("Alarm Time"), 7, 0, true).confirmed);
}

TEST_F(GuiTest, BubbleSoftKeyAndLinkReachTheSinkWindow)
{
    QWidget alert;
    std::vector<WPARAM> commands;
    ui::WindowHost host(&alert, QStringLiteral("EventsClassa01"), QStringLiteral(" Reminder"),
        [&](UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            if (message == WM_COMMAND)
                commands.push_back(wParam);
            return 0;
        });
    ASSERT_TRUE(host.registered());
    ui::BubbleSpec bubble;
    bubble.owner = QUuid(QStringLiteral("{33775136-8CB9-459A-B021-55ED500AB9FC}"));
    bubble.id = quint64(platform::windowIdOf(host.handle()));
    bubble.sink = host.handle();
    bubble.title = QStringLiteral("Tickwell Pro Reminder");
    bubble.html = QStringLiteral("<b>Alarm</b> <a href=\"cmd:202\">go to...</a><br>07:00");
    bubble.keys[0] = { QStringLiteral("Dismiss"), 200 };
    bubble.keys[1] = { QStringLiteral("Snooze"), 201 };
    ASSERT_TRUE(ui::addBubble(bubble));
    EXPECT_TRUE(ui::bubbleOpen(bubble.owner, bubble.id));

    QWidget* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QStringLiteral("NotificationBubble") && top->isVisible())
            window = top;
    }
    ASSERT_NE(window, nullptr);
    window->findChild<QPushButton*>(QStringLiteral("softKey2"))->click();
    auto* body = window->findChild<QTextBrowser*>(QStringLiteral("bubbleBody"));
    emit body->anchorClicked(QUrl(QStringLiteral("cmd:202")));
    QApplication::processEvents();
    EXPECT_EQ(commands, (std::vector<WPARAM> { 201, 202 }));

    // An incoming call folds it to its icon.
    bubble.priority = ui::kBubbleIconic;
    ASSERT_TRUE(ui::updateBubble(bubble));
    EXPECT_FALSE(ui::bubbleOpen(bubble.owner, bubble.id));
    EXPECT_TRUE(ui::removeBubble(bubble.owner, bubble.id));
    EXPECT_FALSE(ui::updateBubble(bubble));
}

TEST_F(GuiTest, TurningTheScreenReachesTheWatcher)
{
    ui::ScreenWatcher watcher;
    EXPECT_EQ(watcher.geometry(), ui::ScreenGeometry::of(240, 320));
    std::optional<ui::ScreenGeometry> seen;
    QObject::connect(&watcher, &ui::ScreenWatcher::changed, [&](const ui::ScreenGeometry& g) { seen = g; });
    // Another program (tkwctl, the preferences) turns the device.
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kScreenWidthValue, 320));
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kScreenHeightValue, 240));
    for (int i = 0; i < 200 && !(seen && seen->landscape); ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->landscape);
    EXPECT_EQ(seen->width, 320);
}

TEST_F(GuiTest, InputInASuiteWindowCountsAsUserActivity)
{
    HANDLE input = CreateEventW(nullptr, TRUE, FALSE, platform::kUserInputEvent);
    ui::ActivityReporter reporter;
    QWidget window;
    window.resize(100, 100);
    window.show();
    EXPECT_EQ(WaitForSingleObject(input, 0), WAIT_TIMEOUT);
    ui::tap(&window, QPoint(10, 10));
    EXPECT_EQ(WaitForSingleObject(input, 0), WAIT_OBJECT_0);
    CloseHandle(input);
}

// The runner's notification bubble under the layout check: an alarm, an event with a long
// note and a timer, on every screen kind of the device profile and in every runner
// language, each in this process, headless.

#include "runner/alert_window.h"
#include "tests/runner/runner_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/layout_screens.h"
#include "ui/screen_geometry.h"

#include <QApplication>
#include <QTextBrowser>
#include <QWidget>
#include <array>

using namespace runner;
using namespace runner_tests;

namespace {

constexpr DWORD kRunnerLanguages = 6; // English, German, Spanish, French, Italian, Russian

class AlertLayout : public testing_support::DeviceTest {
protected:
    AlertLayout() { prepareDevice(); }

    static AlertSetup setupFor(
        ItemKind kind, std::uint32_t number, std::u16string note, DWORD language)
    {
        AlertSetup setup;
        setup.item.kind = kind;
        setup.item.number = number;
        setup.item.argument = u"a03";
        setup.item.note = std::move(note);
        setup.item.itemTime = fileTimeOf(ticksAt(at(2026, 11, 28, 23, 59, 58)));
        setup.item.alert.action = Action::Notification;
        setup.item.alert.soundOn = false;
        setup.item.alert.soundPath = std::u16string(kNoSound);
        setup.settings.read = true;
        setup.settings.alarmVolume = 2;
        setup.language = language;
        setup.ownPath = store::kRunnerPath;
        return setup;
    }

    // The runner's open bubble: the one visible top-level window named so.
    static const QWidget* openBubble()
    {
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QStringLiteral("NotificationBubble") && window->isVisible())
                return window;
        }
        return nullptr;
    }

    static void settle()
    {
        QApplication::processEvents();
        QApplication::processEvents();
    }
};

struct Item {
    const char* name;
    ItemKind kind;
    std::uint32_t number;
    std::u16string note;
};

} // namespace

TEST_F(AlertLayout, TheBubbleFitsEveryScreenInEveryLanguage)
{
    const std::array<Item, 3> items { {
        { "alarm", ItemKind::Alarm, 20, u"Gym" },
        { "event", ItemKind::Event, 7,
            u"Quarterly planning meeting with the regional sales managers in the large "
            u"conference room on the third floor" },
        { "timer", ItemKind::Timer, 15, u"Tea" },
    } };
    for (const QSize size : testing_support::kScreenKinds) {
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const auto screen = ui::ScreenGeometry::current();
        const QSize room = testing_support::windowRoom(screen);
        for (DWORD language = 0; language < kRunnerLanguages; ++language) {
            for (const Item& item : items) {
                SCOPED_TRACE(testing::Message()
                    << item.name << " on " << size.width() << "x" << size.height() << " in "
                    << testing_support::languageName(language));
                AlertWindow window(setupFor(item.kind, item.number, item.note, language));
                ASSERT_NE(window.handle(), nullptr);
                window.start();
                settle();
                const QWidget* bubble = openBubble();
                ASSERT_NE(bubble, nullptr);
                EXPECT_LE(bubble->width(), size.width());
                const auto findings = testing_support::checkLayout(*bubble, room);
                EXPECT_TRUE(findings.empty())
                    << testing_support::formatFindings(findings).toStdString();
                // The reminder reads without scrolling sideways, and whole while the bubble
                // may still grow within the screen.
                const auto* body = bubble->findChild<QTextBrowser*>(QStringLiteral("bubbleBody"));
                ASSERT_NE(body, nullptr);
                const QSizeF text = body->document()->size();
                EXPECT_LE(text.width(), body->viewport()->width());
                if (bubble->height() < room.height()) {
                    EXPECT_LE(text.height(), body->viewport()->height())
                        << "the bubble is " << bubble->height() << " px high";
                }
                window.end();
                settle();
            }
        }
    }
}

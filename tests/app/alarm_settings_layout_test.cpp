// The Alarm Settings window on every screen kind of the device profile and in every
// language of the main program, with each kind of action: the layout check finds nothing,
// the settings never scroll sideways, the path field gets the width there is and the
// controls grow with the device's scale.

#include "app/alarm_settings.h"
#include "app/first_run.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/layout_screens.h"
#include "tests/support/shipped_look.h"
#include "ui/screen_geometry.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <array>

namespace {

const QStringList kFaces { QStringLiteral("Dezod"), QStringLiteral("Virevur") };

void settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

class AlarmSettingsLayoutTest : public testing_support::DeviceTest {
protected:
    AlarmSettingsLayoutTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }
    ~AlarmSettingsLayoutTest() override { store::setCurrentLanguage(store::kEnglish); }
};

TEST_F(AlarmSettingsLayoutTest, FitsEveryScreenInEveryLanguageWithEveryAction)
{
    for (const QSize size : testing_support::kScreenKinds) {
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const auto screen = ui::ScreenGeometry::current();
        ASSERT_EQ(QSize(screen.width, screen.height), size);
        const QSize room = testing_support::windowRoom(screen);
        for (const DWORD language : testing_support::kMainProgramLanguages) {
            store::setCurrentLanguage(language);
            app::AlarmSettingsWindow window(nullptr, 0, alarms::AlarmSettings {}, kFaces);
            window.show();
            settle();
            auto* area = window.findChild<QScrollArea*>(QStringLiteral("SettingsArea"));
            ASSERT_NE(area, nullptr);
            // The notification window, a face, and Execute: each shows its own controls.
            for (const int action : { 0, 1, int(window.actionList()->count()) - 1 }) {
                window.actionList()->setCurrentIndex(action);
                settle();
                const QString where
                    = QStringLiteral("%1x%2, %3, action %4")
                          .arg(size.width())
                          .arg(size.height())
                          .arg(QString::fromLatin1(testing_support::languageName(language)))
                          .arg(action);
                const auto findings = testing_support::checkLayout(window, room);
                EXPECT_TRUE(findings.empty())
                    << where.toStdString() << ":\n"
                    << testing_support::formatFindings(findings).toStdString();
                // The layout check does not place what lies inside a scrolled area: the
                // settings must not be wider than the area shows.
                EXPECT_LE(area->widget()->width(), area->viewport()->width())
                    << where.toStdString();
                EXPECT_LE(area->widget()->minimumSizeHint().width(), area->viewport()->width())
                    << where.toStdString();
                if (action == window.actionList()->count() - 1) {
                    // The path field takes what its row leaves beside its browse button,
                    // room for some thirty characters on the narrowest screen.
                    const auto* path = window.programPath();
                    const int rightEdge = path->mapTo(area->widget(), QPoint(path->width(), 0)).x();
                    EXPECT_GE(rightEdge, area->viewport()->width() - screen.scaled(40))
                        << where.toStdString();
                    EXPECT_GE(path->width(), 25 * path->fontMetrics().averageCharWidth())
                        << where.toStdString();
                }
            }
            window.reject();
        }
    }
}

TEST_F(AlarmSettingsLayoutTest, ControlsGrowWithTheDeviceScale)
{
    auto heights = [](QSize size) {
        EXPECT_TRUE(testing_support::setScreenKind(size));
        app::AlarmSettingsWindow window(nullptr, 0, alarms::AlarmSettings {}, kFaces);
        window.show();
        settle();
        return std::array { QFontInfo(window.actionList()->font()).pixelSize(),
            window.actionList()->height(), window.testButton()->height() };
    };
    const auto small = heights(QSize(240, 320));
    const auto large = heights(QSize(480, 640));
    EXPECT_EQ(large[0], 2 * small[0]);
    EXPECT_GE(large[1], small[1] * 3 / 2);
    EXPECT_GE(large[2], small[2] * 3 / 2);
}

TEST_F(AlarmSettingsLayoutTest, TheCriticalErrorBoxFitsEveryScreenInEveryLanguage)
{
    for (const QSize size : testing_support::kScreenKinds) {
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const QSize room = testing_support::windowRoom(ui::ScreenGeometry::current());
        for (const DWORD language : testing_support::kMainProgramLanguages) {
            store::setCurrentLanguage(language);
            const std::string where
                = QStringLiteral("%1x%2, %3")
                      .arg(size.width())
                      .arg(size.height())
                      .arg(QString::fromLatin1(testing_support::languageName(language)))
                      .toStdString();
            bool seen = false;
            QTimer::singleShot(50, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                seen = true;
                settle();
                const auto findings = testing_support::checkLayout(*box, room);
                EXPECT_TRUE(findings.empty())
                    << where << ":\n"
                    << testing_support::formatFindings(findings).toStdString();
                box->accept();
            });
            app::showCriticalError(nullptr);
            EXPECT_TRUE(seen) << where;
        }
    }
}

} // namespace

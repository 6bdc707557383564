// The title list, the Alarms view's page title and the General view's calendar fit every
// screen kind of the device profile in every language of the main program: the main window
// opened on each built-in view goes through the layout check, headless.

#include "app/main_window.h"
#include "app/view_table.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/layout_screens.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <gtest/gtest.h>
#include <vector>

namespace {

using testing_support::LayoutFinding;

// The widgets this test holds to the check, by the start of their description.
const QStringList kCheckedWidgets { QStringLiteral("ui::DropList#ViewManager"),
    QStringLiteral("QCalendarWidget#MonthCalendar"), QStringLiteral("QLabel#AlarmPageTitle") };

constexpr int kGeneralView = 0;
constexpr int kAlarmsView = 3;

void settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

std::vector<LayoutFinding> checkedFindings(const std::vector<LayoutFinding>& findings)
{
    std::vector<LayoutFinding> kept;
    for (const auto& finding : findings)
        for (const auto& widget : kCheckedWidgets)
            if (finding.widget.startsWith(widget))
                kept.push_back(finding);
    return kept;
}

class TitleLayoutTest : public testing_support::DeviceTest {
protected:
    TitleLayoutTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }
    ~TitleLayoutTest() override { store::setCurrentLanguage(store::kEnglish); }
};

} // namespace

TEST_F(TitleLayoutTest, TitleListAlarmsTitleAndCalendarFitEveryScreenAndLanguage)
{
    const QStringList viewNames = ui::splitList(ui::text(ui::kViewNamesList, store::kEnglish));
    for (const QSize size : testing_support::kScreenKinds) {
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const auto screen = ui::ScreenGeometry::current();
        ASSERT_EQ(QSize(screen.width, screen.height), size);
        for (const DWORD language : testing_support::kMainProgramLanguages) {
            store::setCurrentLanguage(language);
            const QString where
                = QStringLiteral("%1x%2 %3")
                      .arg(size.width())
                      .arg(size.height())
                      .arg(QString::fromLatin1(testing_support::languageName(language)));
            app::MainWindow window(app::StartRequest {});
            window.show();
            settle();
            ASSERT_EQ(window.criticalError(), app::CriticalError::None) << where.toStdString();
            for (int view = 0; view < app::kBuiltInViewCount; ++view) {
                const QString name = where + u' ' + viewNames.value(view);
                ASSERT_TRUE(window.selectView(view)) << name.toStdString();
                settle();
                // The widgets the check is held to are there to be checked.
                const auto* list = window.viewManager();
                ASSERT_TRUE(list->isVisibleTo(&window)) << name.toStdString();
                EXPECT_EQ(list->currentIndex(), view) << name.toStdString();
                if (view == kGeneralView) {
                    const auto* calendar
                        = window.findChild<QCalendarWidget*>(QStringLiteral("MonthCalendar"));
                    ASSERT_TRUE(calendar && calendar->isVisibleTo(&window)) << name.toStdString();
                }
                if (view == kAlarmsView) {
                    const auto* title = window.findChild<QLabel*>(QStringLiteral("AlarmPageTitle"));
                    ASSERT_TRUE(title && title->isVisibleTo(&window)) << name.toStdString();
                    EXPECT_FALSE(title->text().isEmpty()) << name.toStdString();
                }
                const auto findings = checkedFindings(
                    testing_support::checkLayout(window, testing_support::windowRoom(screen)));
                EXPECT_TRUE(findings.empty())
                    << name.toStdString() << ":\n"
                    << testing_support::formatFindings(findings).toStdString();
            }
            window.shutDown();
        }
    }
}

// The filter above would hide a title list it did not recognise: a list too narrow for its
// name must come through it as a finding.
TEST_F(TitleLayoutTest, ATitleListTooNarrowForItsNameIsFound)
{
    ASSERT_TRUE(testing_support::setScreenKind(QSize(240, 320)));
    store::setCurrentLanguage(store::kFrench);
    app::MainWindow window(app::StartRequest {});
    window.show();
    settle();
    ASSERT_TRUE(window.selectView(0));
    settle();
    auto* list = window.viewManager();
    list->resize(list->height() * 2, list->height());
    const auto findings = checkedFindings(testing_support::checkLayout(
        window, testing_support::windowRoom(ui::ScreenGeometry::current())));
    ASSERT_EQ(findings.size(), 1U) << testing_support::formatFindings(findings).toStdString();
    EXPECT_TRUE(findings.front().widget.startsWith(QStringLiteral("ui::DropList#ViewManager")));
    EXPECT_TRUE(findings.front().problem.startsWith(QStringLiteral("title needs")));
    window.shutDown();
}

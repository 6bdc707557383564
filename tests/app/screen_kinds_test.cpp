// The main window on every screen kind of the device profile, headless: the view-selector
// panel's buttons all lie on the screen and switch, the Digital and Analog Clock views keep
// their texts and images apart and inside the view area, and a clock face laid out for a
// portrait screen is shown whole and centred on the others, with its close area mirrored
// on landscape screens.

#include "app/clock_views.h"
#include "app/main_window.h"
#include "app/view_list.h"
#include "faces/digital_clock.h"
#include "faces/face_host.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/layout_screens.h"
#include "tests/support/shipped_look.h"
#include "ui/drop_list.h"
#include "ui/headless.h"
#include "ui/layout_report.h"
#include "ui/screen_geometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolButton>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kDigitalClockView = 1;
constexpr int kAnalogClockView = 2;
constexpr int kFirstFace = 13;

std::string screenName(QSize size)
{
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

// Where the main window lets a built-in view draw: above the status bar, beside the
// view-selector panel where there is one.
QRect viewArea(const ui::ScreenGeometry& screen)
{
    return { 0, 0, app::viewWidth(screen), screen.scaled(screen.square || screen.landscape ? 165 : 245) };
}

class ScreenKindsTest : public testing_support::DeviceTest {
protected:
    ScreenKindsTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }
};

} // namespace

TEST_F(ScreenKindsTest, EveryViewSelectorButtonLiesOnTheScreenAndSwitchesToItsView)
{
    for (const QSize size : testing_support::kScreenKinds) {
        SCOPED_TRACE(screenName(size));
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const auto geometry = ui::ScreenGeometry::current();
        app::MainWindow window(app::StartRequest { });
        window.show();
        ASSERT_EQ(window.criticalError(), app::CriticalError::None);
        if (geometry.layoutKind == 0) {
            for (int button = 0; button < 14; ++button)
                EXPECT_FALSE(window.selectorButton(button)) << button;
            continue;
        }
        const QRect screen = window.screen()->rect();
        const bool columns = !(geometry.layoutKind == 1 && !geometry.landscape);
        const QRect views = viewArea(geometry);
        std::vector<QRect> buttons;
        for (int button = 0; button < 14; ++button) {
            const auto rect = window.selectorButton(button);
            ASSERT_TRUE(rect) << button;
            EXPECT_TRUE(screen.contains(*rect)) << "button " << button << " at " << rect->x() << ","
                                                << rect->y() << " " << rect->width() << "x" << rect->height();
            EXPECT_GE(rect->width(), geometry.scaled(20)) << button; // still a target for a finger
            // Beside the views (columns), or under the views and the status bar (rows).
            if (columns)
                EXPECT_GT(rect->left(), views.right()) << button;
            else
                EXPECT_GT(rect->top(), views.bottom() + geometry.scaled(22)) << button;
            for (const QRect& other : buttons)
                EXPECT_FALSE(rect->intersects(other)) << button;
            buttons.push_back(*rect);
        }
        // A tap in the middle of each built-in view's button opens that view (13 would be
        // the first face, and this device has none).
        for (int button = 0; button < kFirstFace; ++button) {
            ui::tap(window.screen(), buttons[std::size_t(button)].center());
            EXPECT_EQ(window.currentView(), button);
        }
        window.shutDown();
    }
}

// The height of the dark pixels (an arrow, a text) in `image`.
int inkHeight(const QImage& image)
{
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 96) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return bottom < top ? 0 : bottom - top + 1;
}

// On screens over 320 pixels both ways the whole window is drawn at twice the desktop's
// scale: the menu bar and its menus, the title list, check boxes and arrow buttons, not only
// the drawn views.
TEST_F(ScreenKindsTest, ControlsGrowWithTheScreenAsTheDrawnContentDoes)
{
    struct Sizes {
        int menuBarHeight = 0;
        int menuFontHeight = 0;
        int indicator = 0;
        int arrowHeight = 0; // of the arrow drawn on the button
        int titleListHeight = 0;
    };
    const auto measure = [](QSize size) {
        EXPECT_TRUE(testing_support::setScreenKind(size));
        app::StartRequest alarms;
        alarms.view = app::kAlarmsView; // check boxes and arrow buttons
        app::MainWindow window(alarms);
        window.show();
        Sizes sizes;
        const auto* bar = window.findChild<QMenuBar*>();
        const auto* menu = window.findChild<QMenu*>();
        const auto* check = window.findChild<QCheckBox*>();
        const auto* arrow = window.findChild<QToolButton*>(QStringLiteral("PreviousAlarms"));
        EXPECT_TRUE(bar && menu && check && arrow);
        if (!bar || !menu || !check || !arrow)
            return sizes;
        sizes.menuBarHeight = bar->sizeHint().height();
        sizes.menuFontHeight = QFontMetrics(menu->font()).height();
        sizes.indicator = check->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check);
        sizes.arrowHeight = inkHeight(const_cast<QToolButton*>(arrow)->grab().toImage());
        sizes.titleListHeight = window.viewManager()->height();
        window.shutDown();
        return sizes;
    };
    const Sizes small = measure({ 240, 320 });
    for (const QSize size : { QSize(480, 640), QSize(640, 480), QSize(480, 800) }) {
        SCOPED_TRACE(screenName(size));
        const Sizes large = measure(size);
        // Text heights double within a font's rounding; margins and indicators double.
        EXPECT_GE(large.menuBarHeight * 10, small.menuBarHeight * 18);
        EXPECT_GE(large.menuFontHeight * 10, small.menuFontHeight * 18);
        EXPECT_EQ(large.indicator, 2 * small.indicator);
        EXPECT_GE(large.arrowHeight * 10, small.arrowHeight * 18);
        EXPECT_GE(large.titleListHeight * 10, small.titleListHeight * 18);
    }
    // And back: a screen that turns small again takes the desktop's sizes again.
    const Sizes again = measure({ 240, 320 });
    EXPECT_EQ(again.menuBarHeight, small.menuBarHeight);
    EXPECT_EQ(again.indicator, small.indicator);
}

TEST_F(ScreenKindsTest, ClockViewsKeepTheirTextsAndImagesApartInsideTheViewArea)
{
    for (const QSize size : testing_support::kScreenKinds) {
        SCOPED_TRACE(screenName(size));
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const auto geometry = ui::ScreenGeometry::current();
        app::MainWindow window(app::StartRequest { });
        window.show();
        ASSERT_EQ(window.criticalError(), app::CriticalError::None);
        const app::ViewContext context { geometry, viewArea(geometry) };
        for (const int view : { kDigitalClockView, kAnalogClockView }) {
            SCOPED_TRACE(view == kDigitalClockView ? "Digital Clock" : "Analog Clock");
            ASSERT_TRUE(window.selectView(view));
            QApplication::processEvents();
            ui::LayoutReport report;
            window.viewObject(view).reportLayout(report, context);
            // The time and the dial or the big time's box are there to be checked.
            EXPECT_FALSE(report.texts().empty());
            EXPECT_FALSE(report.images().empty());
            const auto findings = testing_support::checkDrawnLayout(report, context.area, window.screen());
            EXPECT_TRUE(findings.empty()) << testing_support::formatFindings(findings).toStdString();
            if (view == kDigitalClockView) {
                // The big time's box comes first; the skin's digits lie whole inside it.
                ASSERT_GT(report.images().size(), 4u);
                const QRect box = report.images().front();
                for (const QRect& digit : report.images())
                    EXPECT_TRUE(box.contains(digit)) << digit.x() << "," << digit.y() << " "
                                                     << digit.width() << "x" << digit.height();
            }
        }

        // The longest date line of the year in the longest of the date formats, in the
        // 12-hour clock, with the home city's line under it.
        faces::DigitalClock clock(window.skin(), geometry);
        for (const char* localeName : { "en_US", "de_DE", "ru_RU", "fr_FR", "it_IT" }) {
            const platform::LocaleInfo locale = platform::localeInfo(localeName);
            for (const int dateFormat : { 0, 1, 2 }) {
                SCOPED_TRACE(std::string(localeName) + " date format " + std::to_string(dateFormat));
                faces::DigitalClockInputs inputs;
                inputs.localTime = SYSTEMTIME { 2026, 9, 3, 30, 22, 58, 58, 0 };
                inputs.dateFormat = dateFormat;
                inputs.homeCityName = u"Week";
                inputs.weekNumber = 40;
                inputs.locale = &locale;
                ui::LayoutReport report;
                clock.reportLayout(report, inputs);
                const auto findings = testing_support::checkDrawnLayout(report, context.area, window.screen());
                EXPECT_TRUE(findings.empty()) << testing_support::formatFindings(findings).toStdString();
            }
        }
        window.shutDown();
    }
}

namespace {

// A clock face laid out for the portrait screen (240 x 320) on this device.
class FaceOnScreenKindsTest : public ScreenKindsTest {
protected:
    FaceOnScreenKindsTest()
    {
        std::filesystem::remove_all(m_plugins);
        std::filesystem::create_directories(m_plugins);
        std::filesystem::copy_file(
            std::filesystem::path(TKW_SHIPPED_ART_DIR) / "plugins" / "Dezod.qpg", m_plugins / "Dezod.qpg");
    }

    const std::filesystem::path m_plugins
        = *platform::hostPathOf(std::u16string(store::kDefaultInstallFolder) + u"plugins");
};

} // namespace

TEST_F(FaceOnScreenKindsTest, APortraitFaceIsDrawnWholeAndCentredAndItsCloseAreaMirroredOnLandscape)
{
    for (const QSize size : { QSize(320, 240), QSize(240, 240), QSize(400, 240), QSize(320, 320) }) {
        SCOPED_TRACE(screenName(size));
        ASSERT_TRUE(testing_support::setScreenKind(size));
        const auto geometry = ui::ScreenGeometry::current();
        app::MainWindow window(app::StartRequest { });
        window.selectView(kDigitalClockView);
        ASSERT_TRUE(window.selectView(kFirstFace));
        auto& face = dynamic_cast<app::FaceView&>(window.viewObject(kFirstFace));
        ASSERT_TRUE(face.loaded());
        ASSERT_EQ(window.screen()->size(), size);

        // The face, made smaller to the screen's height, stands in the middle; left and
        // right of it lies the colour of its background's edge, not black.
        QImage shown(size, QImage::Format_RGB32);
        shown.fill(Qt::magenta);
        {
            QPainter painter(&shown);
            face.paint(painter, app::ViewContext { geometry, QRect(QPoint(0, 0), size) });
        }
        const QRect whole = faces::FaceHost::fittedRect(QSize(240, 320), shown.rect());
        EXPECT_EQ(whole.height(), std::min(size.height(), 320));
        EXPECT_EQ(whole.width(), whole.height() * 240 / 320);
        EXPECT_LE(std::abs(whole.left() - (size.width() - 1 - whole.right())), 1);
        faces::FaceHost host;
        ASSERT_TRUE(host.load(std::u16string(store::kDefaultInstallFolder) + u"plugins\\Dezod.qpg", 0));
        const QColor background = host.backgroundColour();
        ASSERT_NE(background, QColor(Qt::black));
        for (const int x : { 0, whole.left() / 2, whole.left() - 1, whole.right() + 1, (whole.right() + size.width()) / 2, size.width() - 1 }) {
            if (x < 0 || x >= size.width() || whole.contains(x, size.height() / 2))
                continue;
            for (const int y : { 0, size.height() / 2, size.height() - 1 })
                EXPECT_EQ(QColor(shown.pixel(x, y)), background) << x << "," << y;
        }
        // The face's own pixels reach from its top to its bottom: nothing of it is cut.
        EXPECT_NE(QColor(shown.pixel(whole.center().x(), whole.top())), QColor(Qt::magenta));
        EXPECT_NE(QColor(shown.pixel(whole.center().x(), whole.bottom())), QColor(Qt::magenta));

        // The close area: the file's rectangle where the face is drawn, mirrored in x on
        // landscape screens; a tap there leaves the face.
        const QRect file = host.closeRect();
        ASSERT_FALSE(file.isEmpty());
        const QRect close = face.closeArea();
        EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(close));
        const double scale = double(whole.width()) / 240;
        EXPECT_NEAR(close.width(), file.width() * scale, 1.0);
        EXPECT_NEAR(close.top(), whole.top() + file.top() * scale, 1.0);
        const double left = whole.left() + file.left() * scale;
        const double right = whole.left() + (file.right() + 1) * scale - 1;
        if (geometry.landscape)
            EXPECT_NEAR(close.left(), size.width() - 1 - right, 1.0);
        else
            EXPECT_NEAR(close.left(), left, 1.0);
        ui::tap(window.screen(), close.center());
        EXPECT_EQ(window.currentView(), kDigitalClockView);
        window.shutDown();
    }
}

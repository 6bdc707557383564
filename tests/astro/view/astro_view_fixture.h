#pragma once
// What the two astronomy view tests share: a device of the test's own with the shipped
// cities and look, the en_GB locale, the city database, the loaded look and a screen for
// the views' controls.

#include "app/view.h"
#include "cities/city_database.h"
#include "faces/skin.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/city_device_test.h"
#include "tests/support/layout_check.h"
#include "tests/support/shipped_look.h"
#include "tests/support/time_helpers.h"
#include "ui/layout_report.h"

#include <QWidget>
#include <initializer_list>
#include <gtest/gtest.h>

namespace astro_testing {

class AstroViewTest : public testing_support::CityDeviceTest {
protected:
    AstroViewTest() : CityDeviceTest(testing_support::Shipped::Look) { }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CityDeviceTest::SetUp());
        ASSERT_NE(m_skin.load(faces::SkinSource {}, u""), faces::SkinOutcome::PackUnusable);
        // The device keeps universal time all year unless a test says otherwise.
        TIME_ZONE_INFORMATION zone {};
        ASSERT_TRUE(SetTimeZoneInformation(&zone));
    }
    void TearDown() override { store::setCurrentLanguage(store::kEnglish); }

    // Makes `name` the current (world-time) city.
    void makeCurrent(std::u16string_view name)
    {
        const auto ref = refOf(name);
        ASSERT_TRUE(m_database.selectCurrentCity(ref.continent, ref.index))
            << std::string(name.begin(), name.end());
    }

    // The layout check's findings for what `view` draws on a screen of `size`.
    template <typename View>
    std::vector<testing_support::LayoutFinding> drawnFindings(View& view, QSize size)
    {
        const auto geometry = ui::ScreenGeometry::of(size.width(), size.height());
        view.rebuild(geometry);
        const QRect area(0, 0, app::viewWidth(geometry),
            geometry.scaled(geometry.square || geometry.landscape ? 165 : 245));
        m_screen.resize(size);
        ui::LayoutReport report;
        view.reportLayout(report, app::ViewContext { geometry, area });
        auto findings = testing_support::checkDrawnLayout(report, area, &m_screen);
        if (report.texts().empty())
            findings.push_back({ QStringLiteral("view"), QStringLiteral("reported no texts"), 1 });
        return findings;
    }

    // Shows `view` on the portrait, landscape, square and VGA screens in each of `languages`:
    // the layout check must find nothing, and `check` is handed the language, the screen's
    // size and geometry, and the report of what the view draws filling the screen.
    template <typename View, typename Check>
    void checkEveryScreen(View& view, std::initializer_list<DWORD> languages, Check check)
    {
        m_screen.show();
        for (const DWORD language : languages) {
            store::setCurrentLanguage(language);
            for (const QSize size :
                { QSize(240, 320), QSize(320, 240), QSize(240, 240), QSize(480, 640) }) {
                const auto findings = drawnFindings(view, size);
                EXPECT_TRUE(findings.empty())
                    << size.width() << "x" << size.height() << " language " << language << "\n"
                    << testing_support::formatFindings(findings).toStdString();
                const auto geometry = ui::ScreenGeometry::of(size.width(), size.height());
                ui::LayoutReport report;
                view.reportLayout(report, app::ViewContext { geometry, QRect(QPoint(), size) });
                check(language, size, geometry, report);
            }
        }
        m_screen.hide();
    }

    QWidget m_screen;
    faces::SkinSet m_skin;
};

} // namespace astro_testing

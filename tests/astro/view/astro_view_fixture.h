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
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/shipped_look.h"
#include "ui/layout_report.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace astro_testing {

class AstroViewTest : public testing_support::DeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::writeRegistryString(
            platform::RegistryRoot::LocalMachine, platform::kProfileKey, u"Locale", u"en_GB"));
        ASSERT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
        m_database = cities::CityDatabase::load(store::kDefaultInstallFolder);
        ASSERT_TRUE(m_database.available());
        cities::CityDatabase::setEditWait(std::chrono::seconds(5));
        ASSERT_NE(m_skin.load(faces::SkinSource {}, u""), faces::SkinOutcome::PackUnusable);
        // The device keeps universal time all year unless a test says otherwise.
        TIME_ZONE_INFORMATION zone {};
        ASSERT_TRUE(SetTimeZoneInformation(&zone));
    }
    void TearDown() override { store::setCurrentLanguage(store::kEnglish); }

    cities::CityRef refOf(std::u16string_view name) const
    {
        const auto found = m_database.findByName(name);
        return found.empty() ? cities::CityRef { -1, -1 } : found.front();
    }
    // Makes `name` the current (world-time) city.
    void makeCurrent(std::u16string_view name)
    {
        const auto ref = refOf(name);
        ASSERT_TRUE(m_database.selectCurrentCity(ref.continent, ref.index))
            << std::string(name.begin(), name.end());
    }

    static std::uint64_t ticksAt(int year, int month, int day, int hour, int minute)
    {
        SYSTEMTIME time {};
        time.wYear = WORD(year);
        time.wMonth = WORD(month);
        time.wDay = WORD(day);
        time.wHour = WORD(hour);
        time.wMinute = WORD(minute);
        return *platform::ticksOfSystemTime(time);
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

    QWidget m_screen;
    faces::SkinSet m_skin;
    cities::CityDatabase m_database;
};

} // namespace astro_testing

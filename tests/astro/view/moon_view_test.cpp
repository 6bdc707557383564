// The Moon Phases view: its facts in two languages, the picture from the look's strip
// combined by AND on light and dark looks, the southern sky of a current city south of the
// equator (also when another program moves the city there), a moment the user picks on
// the device's clock, and the portrait and compact layouts through the layout check.

#include "astro/view/moon_view.h"

#include "astro/julian.h"
#include "astro/moon.h"
#include "faces/skin_record.h"
#include "tests/astro/view/astro_view_fixture.h"
#include "tests/support/child_process.h"
#include "ui/pickers.h"

#include <QPainter>
#include <QRegularExpression>

namespace {

using astro::MoonView;
using astro::PhaseKind;
using testing_support::at;
using testing_support::ticksAt;

class MoonViewTest : public astro_testing::AstroViewTest {
protected:
    std::unique_ptr<MoonView> makeView(std::uint64_t universal, QSize size = QSize(240, 320))
    {
        auto view = std::make_unique<MoonView>(
            &m_screen, ui::ScreenGeometry::of(size.width(), size.height()), m_skin, m_database);
        view->setUniversalClock([universal] { return universal; });
        return view;
    }
    // The universal ticks of the first phase of `kind` after 1 June 2026, shifted by `days`.
    static std::uint64_t phaseOf(PhaseKind kind, double days = 0)
    {
        const auto list = astro::nextPhases(astro::julianDay(2026, 6, 1));
        for (const auto& phase : list.phases) {
            if (phase.kind == kind)
                return *platform::ticksOfSystemTime(
                    *astro::systemTimeOfJulianDay(phase.instant + days));
        }
        return 0;
    }
    // How bright the disc is just inside its left and its right limb, on the horizontal
    // through its centre (where even a thin crescent is lit).
    static std::pair<int, int> leftAndRight(const QImage& picture)
    {
        const QPoint centre(picture.width() / 2, picture.height() / 2);
        const int inside = picture.width() * 8 / 20; // 0.85 of the disc's radius
        const auto brightness = [&](int x) {
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                sum += qGray(picture.pixel(x, centre.y() + dy));
            return sum / 3;
        };
        return { brightness(centre.x() - inside), brightness(centre.x() + inside) };
    }
};

TEST_F(MoonViewTest, ShowsTheFullMoonInEnglishAndGermanWithPictureTwelveInBothHemispheres)
{
    // A minute after the full moon of June 2026 (published: 29 June 2026, 23:57 UT).
    const std::uint64_t fullMoon = phaseOf(PhaseKind::FullMoon) + platform::kTicksPerMinute;
    EXPECT_NEAR(
        double(fullMoon), double(ticksAt(2026, 6, 29, 23, 57)), 10.0 * platform::kTicksPerMinute);
    makeCurrent(u"London");
    auto view = makeView(fullMoon);
    auto facts = view->facts();
    EXPECT_EQ(facts.phaseName, QStringLiteral("Full Moon"));
    EXPECT_EQ(facts.picture, 12);
    EXPECT_EQ(facts.visible, QStringLiteral("100%"));
    EXPECT_TRUE(facts.age.startsWith(QStringLiteral("14d "))) << facts.age.toStdString();
    // A published distance then: about 360,000 to 400,000 km.
    EXPECT_TRUE(facts.distance.endsWith(QStringLiteral(" km")));
    const int km = facts.distance.section(u' ', 0, 0).toInt();
    EXPECT_GT(km, 356000);
    EXPECT_LT(km, 407000);
    // The full moon just past is not listed; the next new moon is, exactly once.
    EXPECT_EQ(facts.phases[0], PhaseKind::LastQuarter);
    EXPECT_EQ(std::count(facts.phases.begin(), facts.phases.end(), PhaseKind::NewMoon), 1);
    EXPECT_EQ(facts.phaseDates[0], QStringLiteral("07/07/2026")); // en_GB short date
    // The apsides' times in the locale's 24-hour form: "h:mm tt" would leave a 16:05 as an
    // ambiguous "4:05" where the locale has no AM and PM.
    static const QRegularExpression apsis(QStringLiteral("^\\d{1,2}:\\d{2} \\d{2} \\S+ 2026$"));
    EXPECT_TRUE(apsis.match(facts.apogee).hasMatch()) << facts.apogee.toStdString();
    EXPECT_TRUE(apsis.match(facts.perigee).hasMatch()) << facts.perigee.toStdString();
    EXPECT_TRUE(facts.perigeeDistance.endsWith(QStringLiteral(" km")));

    store::setCurrentLanguage(store::kGerman);
    makeCurrent(u"Sydney");
    facts = view->facts();
    EXPECT_EQ(facts.phaseName, QStringLiteral("Vollmond"));
    EXPECT_TRUE(facts.south);
    EXPECT_EQ(facts.picture, 12);
    // The southern icons show the quarters the other way round.
    EXPECT_EQ(facts.icons[0], PhaseKind::FirstQuarter);
}

TEST_F(MoonViewTest, SeenFromTheSouthTheWaxingMoonIsLitOnTheLeft)
{
    // Two days before the first quarter: a waxing crescent.
    const std::uint64_t crescent = phaseOf(PhaseKind::FirstQuarter, -2);
    makeCurrent(u"London");
    auto view = makeView(crescent);
    const auto north = view->facts();
    ASSERT_EQ(north.phaseName, QStringLiteral("Waxing Crescent"));
    ASSERT_GE(north.picture, 1);
    ASSERT_LE(north.picture, 5);
    const auto [northLeft, northRight] = leftAndRight(view->composedPicture(north.picture));
    EXPECT_GT(northRight, northLeft + 20) << "lit from the right in the north";

    makeCurrent(u"Sydney");
    const auto south = view->facts();
    EXPECT_EQ(south.picture, 24 - north.picture);
    const auto [southLeft, southRight] = leftAndRight(view->composedPicture(south.picture));
    EXPECT_GT(southLeft, southRight + 20) << "lit from the left in the south";
    for (std::size_t n = 0; n < 4; ++n) {
        const auto exchanged = north.phases[n] == PhaseKind::FirstQuarter ? PhaseKind::LastQuarter
            : north.phases[n] == PhaseKind::LastQuarter                   ? PhaseKind::FirstQuarter
                                                                          : north.phases[n];
        EXPECT_EQ(south.icons[n], exchanged) << n;
    }
}

TEST_F(MoonViewTest, TheMoonIsAndedOntoItsBackgroundAndStaysVisibleOnADarkLook)
{
    const std::uint64_t fullMoon = phaseOf(PhaseKind::FullMoon);
    makeCurrent(u"London");
    auto view = makeView(fullMoon);
    const QImage light = view->composedPicture(12);
    ASSERT_FALSE(light.isNull());
    // Outside the disc the AND leaves the window colour; inside, the Moon's own colours.
    EXPECT_EQ(QColor(light.pixel(0, 0)), m_skin.colour(faces::skin::kWindowColour));
    const QColor lightCentre(light.pixel(light.width() / 2, light.height() / 2));
    EXPECT_GT(lightCentre.lightness(), 120);

    // A dark look brings no background of its own: the Moon must not vanish in its window
    // colour, which an AND with the plain window colour would do.
    ASSERT_EQ(m_skin.load(faces::SkinSource {}, u"Graphite"), faces::SkinOutcome::Loaded);
    view->rebuild(ui::ScreenGeometry::of(240, 320));
    const QImage dark = view->composedPicture(12);
    EXPECT_EQ(QColor(dark.pixel(0, 0)), m_skin.colour(faces::skin::kWindowColour));
    EXPECT_LT(m_skin.colour(faces::skin::kWindowColour).lightness(), 60);
    EXPECT_EQ(QColor(dark.pixel(dark.width() / 2, dark.height() / 2)), lightCentre);

    // And what paint puts on the screen is that picture, in the layout's place.
    QImage screen(240, 320, QImage::Format_RGB32);
    {
        QPainter painter(&screen);
        view->paint(
            painter, app::ViewContext { ui::ScreenGeometry::of(240, 320), QRect(0, 0, 240, 245) });
    }
    const QRect picture = view->layout().picture;
    EXPECT_EQ(screen.pixel(picture.topLeft()), m_skin.colour(faces::skin::kWindowColour).rgb());
    EXPECT_GT(qGray(screen.pixel(picture.center())), 120);
}

TEST_F(MoonViewTest, APickedMomentIsTheDevicesLocalTimeUntilTheViewIsLeft)
{
    // The device keeps universal time plus three hours.
    TIME_ZONE_INFORMATION zone {};
    zone.Bias = -180;
    ASSERT_TRUE(SetTimeZoneInformation(&zone));
    makeCurrent(u"Moscow");
    auto view = makeView(ticksAt(2026, 12, 8, 10, 30));
    view->activate();
    EXPECT_EQ(view->datePicker().value().wDay, 8);
    EXPECT_EQ(view->timePicker().value().wHour, 13); // the device's local time

    view->showMoment(at(2027, 1, 2, 3, 15));
    const auto universal = view->shownUniversal();
    ASSERT_TRUE(universal.has_value());
    EXPECT_EQ(universal->wYear, 2027);
    EXPECT_EQ(universal->wDay, 2);
    EXPECT_EQ(universal->wHour, 0);
    EXPECT_EQ(universal->wMinute, 15);
    EXPECT_EQ(view->datePicker().value().wYear, 2027);
    EXPECT_EQ(view->timePicker().value().wMinute, 15);

    view->leave();
    EXPECT_FALSE(view->showsChosenMoment());
    EXPECT_EQ(view->shownUniversal()->wYear, 2026);
}

TEST_F(MoonViewTest, FollowsTheCurrentCityWhenTkwctlMovesItSouthOfTheEquator)
{
    const std::uint64_t crescent = phaseOf(PhaseKind::FirstQuarter, -2);
    makeCurrent(u"London");
    auto view = makeView(crescent);
    view->activate();
    const int north = view->facts().picture;
    const auto moved
        = testing_support::runCommand({ TKW_TKWCTL, "city", "edit", "London", "--lat", "51:30S" });
    ASSERT_EQ(moved.exitCode, 0) << moved.output;
    // The view looks once a second.
    QImage screen(240, 320, QImage::Format_RGB32);
    QPainter painter(&screen);
    view->perSecond(
        painter, app::ViewContext { ui::ScreenGeometry::of(240, 320), QRect(0, 0, 240, 245) });
    EXPECT_TRUE(view->facts().south);
    EXPECT_EQ(view->facts().picture, 24 - north);
}

TEST_F(MoonViewTest, FitsPortraitAndCompactScreensInEnglishAndRussian)
{
    makeCurrent(u"London");
    // A date whose apsides and phases have long texts: two-digit days and hours.
    auto view = makeView(ticksAt(2026, 12, 20, 22, 58));
    view->activate();
    checkEveryScreen(*view, { store::kEnglish, store::kRussian },
        [](DWORD language, QSize size, const ui::ScreenGeometry& geometry,
            const ui::LayoutReport& report) {
            // The picture and one icon a listed phase: four in portrait, two when compact.
            const bool compact = geometry.square || geometry.landscape;
            EXPECT_EQ(report.images().size(), compact ? 3u : 5u) << size.width();
            QStringList drawn;
            for (const auto& text : report.texts())
                drawn.append(text.text);
            EXPECT_TRUE(drawn.contains(
                language == store::kRussian ? QStringLiteral("Фаза:") : QStringLiteral("Phase:")));
        });
}

} // namespace

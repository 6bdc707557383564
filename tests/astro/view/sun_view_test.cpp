// The Sun rise/set view: published sunrise and sunset times of the current city, the
// placeholders of the midnight sun and of a twilight that never ends, the event kind kept
// in the settings beside another program's change of the file, a city moved by another
// program, a picked date, and the layouts through the layout check in two languages.

#include "astro/view/sun_view.h"

#include "faces/status_bar.h"
#include "tests/astro/view/astro_view_fixture.h"
#include "tests/support/child_process.h"
#include "ui/drop_list.h"
#include "ui/pickers.h"

#include <QPainter>
#include <QRegularExpression>

namespace {

using astro::SunView;
using testing_support::ticksAt;

// The minutes after midnight of the "H:mm" or "HH:mm" time at the end of a line; -1 when
// it ends in no time.
int minutesAtEnd(const QString& line)
{
    static const QRegularExpression time(QStringLiteral("(\\d{1,2}):(\\d{2})$"));
    const auto match = time.match(line);
    return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
}

SYSTEMTIME dateOf(int year, int month, int day)
{
    SYSTEMTIME date {};
    date.wYear = WORD(year);
    date.wMonth = WORD(month);
    date.wDay = WORD(day);
    return date;
}

class SunViewTest : public astro_testing::AstroViewTest {
protected:
    std::unique_ptr<SunView> makeView(std::uint64_t universal, QSize size = QSize(240, 320))
    {
        auto view = std::make_unique<SunView>(
            &m_screen, ui::ScreenGeometry::of(size.width(), size.height()), m_skin, m_database);
        view->setUniversalClock([universal] { return universal; });
        return view;
    }
    void paintOnce(SunView& view)
    {
        QImage screen(240, 320, QImage::Format_RGB32);
        QPainter painter(&screen);
        view.perSecond(
            painter, app::ViewContext { ui::ScreenGeometry::of(240, 320), QRect(0, 0, 240, 245) });
    }
};

TEST_F(SunViewTest, ShowsTodaysPublishedSunriseAndSunsetOfTheCurrentCity)
{
    // London on 8 December 2026 (published: sunrise 07:54, sunset 15:52 GMT; two minutes'
    // tolerance), the device on universal time as London keeps it in winter.
    makeCurrent(u"London");
    auto view = makeView(ticksAt(2026, 12, 8, 10, 0));
    view->activate();
    EXPECT_EQ(view->cityName(), QStringLiteral("London"));
    const auto lines = view->lines();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Sunrise:  "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Sunset:  "))) << lines[1].toStdString();
    EXPECT_NEAR(minutesAtEnd(lines[0]), 7 * 60 + 54, 2) << lines[0].toStdString();
    EXPECT_NEAR(minutesAtEnd(lines[1]), 15 * 60 + 52, 2) << lines[1].toStdString();
    EXPECT_EQ(view->datePicker().value().wDay, 8);

    // The status bar's sunrise and sunset are today's too.
    faces::StatusBarInputs inputs;
    view->addStatusInputs(inputs);
    EXPECT_EQ(QString::fromStdU16String(inputs.sunriseText),
        lines[0].mid(QStringLiteral("Sunrise:  ").size()));
}

TEST_F(SunViewTest, AtSeventyDegreesNorthInJuneBothPlaceholdersShowInGermanToo)
{
    cities::CityRecord tromso = *m_database.record(refOf(u"Oslo"));
    cities::setCityName(tromso, u"Tromsø");
    tromso.latitudeDegrees = 69;
    tromso.latitudeMinutes = 39;
    int added = -1;
    ASSERT_EQ(m_database.add(3, tromso, &added), cities::EditError::None);
    makeCurrent(u"Tromsø");
    auto view = makeView(ticksAt(2026, 12, 8, 10, 0));
    view->activate();
    // The user picks the solstice.
    view->showDate(dateOf(2026, 6, 21));
    EXPECT_TRUE(view->showsChosenDate());
    EXPECT_EQ(view->lines()[0], QStringLiteral("Sunrise:  --:--"));
    EXPECT_EQ(view->lines()[1], QStringLiteral("Sunset:  - - - - -"));
    store::setCurrentLanguage(store::kGerman);
    EXPECT_EQ(view->lines()[0], QStringLiteral("Sonnenaufgang:  --:--"));
    EXPECT_EQ(view->lines()[1], QStringLiteral("Sonnenuntergang:  - - - - -"));
    // In December the Sun does not rise there either; leaving goes back to today.
    view->leave();
    EXPECT_FALSE(view->showsChosenDate());
    EXPECT_EQ(view->lines()[0], QStringLiteral("Sonnenaufgang:  --:--"));
}

TEST_F(SunViewTest, TheEventKindIsSavedBesideAnotherProgramsChangeOfTheSettings)
{
    // Copenhagen (55:40 N) in mid-June: astronomical twilight never ends.
    makeCurrent(u"Copenhagen");
    auto view = makeView(ticksAt(2026, 6, 15, 10, 0));
    view->activate();
    EXPECT_GE(minutesAtEnd(view->lines()[0]), 0);
    // tkwctl switches the chime on while the view is open...
    const auto chime = testing_support::runCommand({ TKW_TKWCTL, "settings", "set", "chime", "1" });
    ASSERT_EQ(chime.exitCode, 0) << chime.output;
    // ...and the user picks Astronomical from the list.
    ASSERT_EQ(view->eventList().items().size(), 4);
    emit view->eventList().selected(3);
    EXPECT_EQ(view->eventList().currentIndex(), 3);
    EXPECT_EQ(store::settings().twilightKind, 3);
    EXPECT_EQ(view->lines()[0], QStringLiteral("Sunrise:  --:--"));
    EXPECT_EQ(view->lines()[1], QStringLiteral("Sunset:  - - - - -"));
    // Both changes are on disk.
    const auto shown = testing_support::runCommand({ TKW_TKWCTL, "--json", "settings", "show" });
    ASSERT_EQ(shown.exitCode, 0) << shown.output;
    EXPECT_NE(shown.output.find("\"twilightKind\":3"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("\"chime\":1"), std::string::npos) << shown.output;
    // Civil twilight there does begin and end.
    view->chooseEvent(1);
    EXPECT_GE(minutesAtEnd(view->lines()[0]), 0);
    EXPECT_GE(minutesAtEnd(view->lines()[1]), 0);
}

TEST_F(SunViewTest, ShowsPlaceholdersOnceTkwctlMovesTheCurrentCityToSeventyNorth)
{
    makeCurrent(u"Berlin");
    auto view = makeView(ticksAt(2026, 6, 21, 10, 0));
    view->activate();
    ASSERT_GE(minutesAtEnd(view->lines()[0]), 0);
    const auto moved
        = testing_support::runCommand({ TKW_TKWCTL, "city", "edit", "Berlin", "--lat", "70:00N" });
    ASSERT_EQ(moved.exitCode, 0) << moved.output;
    paintOnce(*view); // the view looks once a second
    EXPECT_EQ(view->lines()[0], QStringLiteral("Sunrise:  --:--"));
    EXPECT_EQ(view->lines()[1], QStringLiteral("Sunset:  - - - - -"));
}

TEST_F(SunViewTest, FitsPortraitAndCompactScreensInEnglishAndItalian)
{
    makeCurrent(u"Rio de Janeiro");
    auto view = makeView(ticksAt(2026, 12, 8, 22, 58));
    view->activate();
    checkEveryScreen(*view, { store::kEnglish, store::kItalian },
        [&view](DWORD, QSize, const ui::ScreenGeometry& geometry, const ui::LayoutReport& report) {
            // The controls stay above the two lines and inside the view.
            ASSERT_EQ(report.texts().size(), 3u);
            const int linesTop = report.texts()[1].rect.top();
            EXPECT_LT(view->datePicker().geometry().bottom(), linesTop);
            EXPECT_LT(view->eventList().geometry().bottom(), linesTop);
            EXPECT_LE(view->eventList().geometry().right(), app::viewWidth(geometry));
        });
}

} // namespace

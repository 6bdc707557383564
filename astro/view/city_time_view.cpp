#include "astro/view/city_time_view.h"

#include "app/clock_views.h"
#include "cities/world_time.h"
#include "store/settings.h"

#include <QWidget>

namespace astro {

namespace {

constexpr int kCityTimeViewIndex = 10;

// The page arrows under the title row, and the cells under them.
QRect pagerArea(const ui::ScreenGeometry& g)
{
    return QRect(g.scaled(2), g.scaled(24), app::viewWidth(g) - g.scaled(4), g.scaled(18));
}

QRect cellsArea(const ui::ScreenGeometry& g)
{
    const int top = pagerArea(g).bottom() + 1 + g.scaled(2);
    const int bottom = g.scaled(g.square || g.landscape ? 165 : 245);
    return QRect(0, top, app::viewWidth(g), bottom - top);
}

} // namespace

CityTimeView::CityTimeView(QWidget* screen, const ui::ScreenGeometry& geometry,
    const faces::SkinSet& skin, cities::CityDatabase& database)
    : View(kCityTimeViewIndex)
    , m_screen(screen)
    , m_skin(skin)
    , m_database(database)
    , m_grid(screen, database, store::settings().cityListA, skin, GridClock::None,
          QStringLiteral("CityTime"))
    , m_universalNow([] { return cities::universalTicksNow(); })
{
    m_grid.setOnChange([this] {
        if (m_screen)
            m_screen->update();
    });
    m_grid.place(geometry, cellsArea(geometry), pagerArea(geometry));
}

CityTimeView::~CityTimeView() = default;

bool CityTimeView::activate()
{
    refresh();
    m_grid.show();
    return true;
}

void CityTimeView::leave()
{
    m_grid.hide();
}

void CityTimeView::refresh()
{
    m_database.reloadIfChanged();
    (void)m_grid.follow();
}

void CityTimeView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_grid.place(geometry, cellsArea(geometry), pagerArea(geometry));
}

std::uint8_t CityTimeView::subSelection() const
{
    return std::uint8_t(m_grid.firstShown());
}

void CityTimeView::setSubSelection(std::uint8_t item)
{
    m_grid.showFrom(item);
}

CityGrid::LocalTimeOf CityTimeView::localTimeOf() const
{
    const std::uint64_t now = m_universalNow();
    return [now](const cities::CityRecord& city) -> std::optional<SYSTEMTIME> {
        return cities::cityLocalTime(city, now);
    };
}

void CityTimeView::perSecond(QPainter& painter, const app::ViewContext& context)
{
    // Another program may have edited the cities since the last second.
    refresh();
    paint(painter, context);
}

void CityTimeView::paint(QPainter& painter, const app::ViewContext& context)
{
    app::paintViewBackground(painter, m_skin, index(), context);
    m_grid.paint(painter, localTimeOf());
}

void CityTimeView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    m_grid.reportLayout(report, localTimeOf());
}

} // namespace astro

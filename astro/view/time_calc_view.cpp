#include "astro/view/time_calc_view.h"

#include "app/clock_views.h"
#include "astro/time_calc.h"
#include "astro/view/drawn_text.h"
#include "cities/view/city_list.h"
#include "faces/skin.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/pickers.h"
#include "ui/resources.h"

#include <QWidget>

namespace astro {

namespace {

constexpr int kTimeCalcViewIndex = 12;
constexpr unsigned kTimeLabelString = 40255; // "Time:", the time dialog's title

cities::CityRef chosenRef(const store::CityRef& ref)
{
    return { std::int32_t(ref.continent), std::int32_t(ref.index) };
}

// The source row under the title: the source chooser, the date and time pickers beside
// it, one above the other, and the grid's page arrows at the right end.
struct SourceRow {
    QRect chooser, date, time, pager;
};
SourceRow sourceRow(const ui::ScreenGeometry& g)
{
    const int width = app::viewWidth(g);
    const int top = g.scaled(24);
    const int row = g.scaled(18);
    const int gap = g.scaled(2);
    SourceRow r;
    r.chooser = QRect(g.scaled(2), top, std::min(g.scaled(116), width * 11 / 20), 2 * row + gap);
    const int left = r.chooser.right() + 1 + g.scaled(4);
    const int arrows = g.scaled(20);
    r.pager = QRect(width - g.scaled(2) - arrows, top, arrows, r.chooser.height());
    const int pickerWidth = std::min(r.pager.left() - g.scaled(4) - left, g.scaled(120));
    r.date = QRect(left, top, pickerWidth, row);
    r.time = QRect(left, top + row + gap, pickerWidth, row);
    return r;
}

QRect cellsArea(const ui::ScreenGeometry& g)
{
    const int top = sourceRow(g).chooser.bottom() + 1 + g.scaled(4);
    const int bottom = g.scaled(g.square || g.landscape ? 165 : 245);
    return QRect(0, top, app::viewWidth(g), bottom - top);
}

} // namespace

TimeCalcView::TimeCalcView(QWidget* screen, const ui::ScreenGeometry& geometry,
    const faces::SkinSet& skin, cities::CityDatabase& database)
    : View(kTimeCalcViewIndex)
    , m_screen(screen)
    , m_skin(skin)
    , m_database(database)
    , m_geometry(geometry)
    , m_source(
          new cities::CityList(database, chosenRef(store::settings().worldCity), geometry, screen))
    , m_date(new ui::DatePicker(screen))
    , m_time(new ui::TimePicker(screen))
    , m_grid(screen, database, store::settings().cityListB, skin, GridClock::Small,
          QStringLiteral("TimeCalc"))
{
    m_source->setObjectName(QStringLiteral("TimeCalcSource"));
    m_date->setObjectName(QStringLiteral("TimeCalcDate"));
    m_time->setObjectName(QStringLiteral("TimeCalcTime"));
    for (QWidget* control : { static_cast<QWidget*>(m_source), static_cast<QWidget*>(m_date),
             static_cast<QWidget*>(m_time) })
        control->hide();
    // The pickers start on the present moment; the locale's pictures, without seconds.
    const SYSTEMTIME now = platform::localNow();
    m_date->setValue(now);
    m_time->setValue(now);
    m_time->setPicture(platform::userLocale().use24Hour ? QStringLiteral("H':'mm")
                                                        : QStringLiteral("h':'mm' 'tt"));
    const auto repaint = [this] {
        if (m_screen)
            m_screen->update();
    };
    QObject::connect(m_source, &cities::CityList::cityPicked, m_source, repaint);
    openDialogsOnTap(*m_date, *m_time, m_screen, kTimeLabelString);
    m_grid.setOnChange(repaint);
    place(geometry);
}

TimeCalcView::~TimeCalcView()
{
    delete m_source;
    delete m_date;
    delete m_time;
}

void TimeCalcView::place(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    const SourceRow row = sourceRow(geometry);
    m_source->setScreen(geometry);
    m_source->setGeometry(row.chooser);
    m_date->setGeometry(row.date);
    m_time->setGeometry(row.time);
    const QFont font = ui::suiteFont(ui::FontRole::Normal12, geometry);
    m_date->setFont(font);
    m_time->setFont(font);
    if (m_skin.loaded()) {
        for (QWidget* control : { static_cast<QWidget*>(m_source), static_cast<QWidget*>(m_date),
                 static_cast<QWidget*>(m_time) })
            control->setPalette(faces::skinPalette(m_skin, control->palette()));
    }
    m_grid.place(geometry, cellsArea(geometry), row.pager);
}

void TimeCalcView::rebuild(const ui::ScreenGeometry& geometry)
{
    place(geometry);
}

bool TimeCalcView::activate()
{
    refresh();
    for (QWidget* control : { static_cast<QWidget*>(m_source), static_cast<QWidget*>(m_date),
             static_cast<QWidget*>(m_time) })
        control->show();
    m_grid.show();
    return true;
}

void TimeCalcView::leave()
{
    for (QWidget* control : { static_cast<QWidget*>(m_source), static_cast<QWidget*>(m_date),
             static_cast<QWidget*>(m_time) })
        control->hide();
    m_grid.hide();
}

void TimeCalcView::refresh()
{
    m_database.reloadIfChanged();
    (void)m_source->follow();
    (void)m_grid.follow();
}

SYSTEMTIME TimeCalcView::sourceTime() const
{
    return astro::pickedMoment(*m_date, *m_time);
}

std::uint8_t TimeCalcView::subSelection() const
{
    return std::uint8_t(m_grid.firstShown());
}

void TimeCalcView::setSubSelection(std::uint8_t item)
{
    m_grid.showFrom(item);
}

CityGrid::LocalTimeOf TimeCalcView::localTimeOf() const
{
    const cities::CityRecord* source = m_source->record();
    const SYSTEMTIME moment = sourceTime();
    return [source, moment](const cities::CityRecord& cell) -> std::optional<SYSTEMTIME> {
        if (!source)
            return std::nullopt;
        return convertCityTime(*source, moment, cell);
    };
}

void TimeCalcView::perSecond(QPainter& painter, const app::ViewContext& context)
{
    // The pickers hold still; only another program's edit of the cities changes the cells.
    refresh();
    paint(painter, context);
}

void TimeCalcView::paint(QPainter& painter, const app::ViewContext& context)
{
    app::paintViewBackground(painter, m_skin, index(), context);
    m_grid.paint(painter, localTimeOf());
}

void TimeCalcView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    m_grid.reportLayout(report, localTimeOf());
}

} // namespace astro

#include "astro/view/city_grid.h"

#include "astro/time_calc.h"
#include "astro/view/drawn_text.h"
#include "cities/view/city_list.h"
#include "cities/world_time.h"
#include "faces/analog_clock.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/layout_report.h"
#include "ui/qt_text.h"

#include <QPainter>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace astro {

namespace {

constexpr int kMostRows = 4;
constexpr int kLeft = Qt::AlignLeft | Qt::AlignVCenter;

cities::CityRef chosenRef(const store::CityRef& ref)
{
    return { std::int32_t(ref.continent), std::int32_t(ref.index) };
}
store::CityRef storedRef(cities::CityRef ref)
{
    return { std::uint32_t(ref.continent), std::uint32_t(ref.index) };
}

} // namespace

std::u16string dateSeparatorOf(std::u16string_view picture)
{
    bool quoted = false;
    for (const char16_t c : picture) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || c == u'd' || c == u'M' || c == u'y' || c == u' ')
            continue;
        return std::u16string(1, c);
    }
    return u"/";
}

CellTexts cellTexts(const SYSTEMTIME& local)
{
    const auto& locale = platform::userLocale();
    const int weekday = cities::dayOfWeek(local.wYear, local.wMonth, local.wDay);
    const std::u16string& abbreviation
        = locale.shortDayNames[std::size_t(std::clamp(weekday, 0, 6))];
    const std::u16string date = cellDateText(
        local, !locale.shortDateMonthFirst, abbreviation, dateSeparatorOf(locale.shortDatePicture));
    return { shortTimeText(local), ui::qText(date) };
}

GridShape gridShape(const ui::ScreenGeometry& g, const QRect& cells)
{
    // Two stacked lists of the chooser and a little air between the rows.
    const int rowHeight = 2 * g.scaled(18) + g.scaled(2) + g.scaled(2);
    GridShape shape;
    shape.rows = std::clamp(cells.height() / rowHeight, 1, kMostRows);
    // A second column would leave the choosers too narrow for the longer city names: the
    // cells stay one above the other, the time and date beside each chooser.
    shape.columns = 1;
    return shape;
}

CityGrid::CityGrid(QWidget* screen, cities::CityDatabase& database,
    std::span<store::CityRef> entries, const faces::SkinSet& skin, GridClock clock,
    const QString& name)
    : m_screen(screen)
    , m_database(database)
    , m_entries(entries)
    , m_skin(skin)
    , m_clock(clock)
    , m_name(name)
{
    for (const store::CityRef& entry : m_entries) {
        cities::CityRef ref = chosenRef(entry);
        // A reference that names no city (a damaged record, a database that shrank) starts
        // on the first city, as a chooser would show it.
        if (!m_database.record(ref))
            ref = {};
        m_slots.push_back(m_database.registerSlot(ref));
    }
    if (m_clock == GridClock::Small && m_skin.loaded())
        m_smallClock = std::make_unique<faces::SmallAnalogClock>(m_skin);

    m_previous = new QToolButton(m_screen);
    m_previous->setObjectName(m_name + QStringLiteral("Previous"));
    m_previous->setArrowType(Qt::LeftArrow);
    m_previous->hide();
    m_next = new QToolButton(m_screen);
    m_next->setObjectName(m_name + QStringLiteral("Next"));
    m_next->setArrowType(Qt::RightArrow);
    m_next->hide();
    QObject::connect(m_previous, &QToolButton::clicked, m_previous,
        [this] { showFrom(m_first - m_shape.cellsPerPage()); });
    QObject::connect(m_next, &QToolButton::clicked, m_next,
        [this] { showFrom(m_first + m_shape.cellsPerPage()); });
}

CityGrid::~CityGrid()
{
    storeChoices();
    for (cities::CityList* chooser : m_choosers)
        delete chooser;
    delete m_previous;
    delete m_next;
    for (const auto slot : m_slots)
        m_database.releaseSlot(slot);
}

void CityGrid::place(const ui::ScreenGeometry& g, const QRect& cells, const QRect& pager)
{
    m_geometry = g;
    m_shape = gridShape(g, cells);
    m_cells.clear();
    const int cellWidth = cells.width() / m_shape.columns;
    const int cellHeight = cells.height() / m_shape.rows;
    const int listsHeight = 2 * g.scaled(18) + g.scaled(2);
    for (int row = 0; row < m_shape.rows; ++row) {
        for (int column = 0; column < m_shape.columns; ++column) {
            const QRect cell(cells.left() + column * cellWidth, cells.top() + row * cellHeight,
                cellWidth, cellHeight);
            CellRects rects;
            const int chooserWidth = std::min(g.scaled(116), cell.width() * 11 / 20);
            rects.chooser = QRect(cell.left() + g.scaled(2),
                cell.top() + (cell.height() - listsHeight) / 2, chooserWidth, listsHeight);
            int textLeft = rects.chooser.right() + 1 + g.scaled(4);
            if (m_clock == GridClock::Small) {
                const int side = std::min(cell.height() - g.scaled(4), g.scaled(40));
                rects.clock = QRect(textLeft, cell.top() + (cell.height() - side) / 2, side, side);
                textLeft = rects.clock.right() + 1 + g.scaled(4);
            }
            const int textWidth = cell.right() - g.scaled(2) - textLeft;
            const int line = g.scaled(17);
            const int textTop = rects.chooser.top() + (listsHeight - 2 * line) / 2;
            rects.time = QRect(textLeft, textTop, textWidth, line);
            rects.date = QRect(textLeft, textTop + line, textWidth, line);
            m_cells.push_back(rects);
        }
    }
    // The page arrows: at the two ends of a wide pager with the page's entries between
    // them, or one above the other in a tall one.
    m_pager = pager;
    if (pager.width() >= pager.height()) {
        const int arrow = std::min(g.scaled(24), pager.width() / 4);
        m_previous->setGeometry(pager.left(), pager.top(), arrow, pager.height());
        m_next->setGeometry(pager.right() + 1 - arrow, pager.top(), arrow, pager.height());
    } else {
        const int half = pager.height() / 2;
        m_previous->setGeometry(pager.left(), pager.top(), pager.width(), half - g.scaled(1));
        m_next->setGeometry(pager.left(), pager.bottom() + 1 - half + g.scaled(1), pager.width(),
            half - g.scaled(1));
    }
    rebuildChoosers();
}

QRect CityGrid::pageTextRect() const
{
    // Only a wide pager has room for the text between its arrows.
    if (m_pager.width() < m_pager.height())
        return {};
    const int left = m_previous->geometry().right() + 1 + m_geometry.scaled(2);
    return QRect(left, m_pager.top(), m_next->geometry().left() - m_geometry.scaled(2) - left,
        m_pager.height());
}

int CityGrid::lastFirst() const
{
    return std::max(0, int(m_entries.size()) - m_shape.cellsPerPage());
}

void CityGrid::rebuildChoosers()
{
    storeChoices();
    for (cities::CityList* chooser : m_choosers)
        delete chooser;
    m_choosers.clear();
    m_first = std::clamp(m_first, 0, lastFirst());
    const int first = m_first;
    for (std::size_t cell = 0; cell < m_cells.size(); ++cell) {
        const int entry = first + int(cell);
        if (entry >= int(m_entries.size()))
            break;
        auto* chooser = new cities::CityList(
            m_database, m_database.slot(m_slots[std::size_t(entry)]), m_geometry, m_screen);
        chooser->setObjectName(m_name + QStringLiteral("City%1").arg(cell));
        chooser->setGeometry(m_cells[cell].chooser);
        if (m_skin.loaded())
            chooser->setPalette(faces::skinPalette(m_skin, chooser->palette()));
        QObject::connect(chooser, &cities::CityList::cityPicked, chooser, [this, cell] {
            const int picked = firstShown() + int(cell);
            m_database.setSlot(m_slots[std::size_t(picked)], m_choosers[cell]->city());
            changed();
        });
        chooser->setVisible(m_shown);
        m_choosers.push_back(chooser);
    }
    m_previous->setEnabled(m_first > 0);
    m_next->setEnabled(m_first < lastFirst());
}

void CityGrid::showFrom(int first)
{
    const int wanted = std::clamp(first, 0, lastFirst());
    if (wanted == m_first && !m_choosers.empty())
        return;
    storeChoices();
    m_first = wanted;
    rebuildChoosers();
    changed();
}

void CityGrid::show()
{
    m_shown = true;
    for (cities::CityList* chooser : m_choosers)
        chooser->show();
    const bool paged = lastFirst() > 0;
    m_previous->setVisible(paged);
    m_next->setVisible(paged);
}

void CityGrid::hide()
{
    m_shown = false;
    storeChoices();
    for (cities::CityList* chooser : m_choosers)
        chooser->hide();
    m_previous->hide();
    m_next->hide();
}

bool CityGrid::follow()
{
    bool moved = false;
    const int first = firstShown();
    for (std::size_t cell = 0; cell < m_choosers.size(); ++cell) {
        if (m_choosers[cell]->follow()) {
            moved = true;
            m_database.setSlot(m_slots[std::size_t(first) + cell], m_choosers[cell]->city());
        }
    }
    // The entries of other pages follow through their own slots; the settings keep them.
    storeChoices();
    return moved;
}

void CityGrid::storeChoices() const
{
    // Without cities the slots name nothing worth keeping: the settings keep theirs.
    if (!m_database.available())
        return;
    for (std::size_t entry = 0; entry < m_entries.size(); ++entry)
        m_entries[entry] = storedRef(m_database.slot(m_slots[entry]));
}

void CityGrid::changed()
{
    storeChoices();
    if (m_onChange)
        m_onChange();
}

CellTexts CityGrid::texts(std::size_t cell, const LocalTimeOf& localTimeOf) const
{
    if (cell >= m_choosers.size())
        return {};
    const cities::CityRecord* city = m_choosers[cell]->record();
    if (!city)
        return {};
    const auto local = localTimeOf(*city);
    return local ? cellTexts(*local) : CellTexts { QStringLiteral("--:--"), QString() };
}

QString CityGrid::pageText() const
{
    const int first = firstShown() + 1;
    const int last = std::min<int>(firstShown() + m_shape.cellsPerPage(), int(m_entries.size()));
    return first == last ? QString::number(first) : QStringLiteral("%1–%2").arg(first).arg(last);
}

std::vector<DrawnText> CityGrid::drawnTexts(
    const LocalTimeOf& localTimeOf, std::vector<DrawnCell>* clocks) const
{
    std::vector<DrawnText> drawn;
    const QFont timeBase = ui::suiteFont(ui::FontRole::Bold13, m_geometry);
    const QFont dateBase = ui::suiteFont(ui::FontRole::Normal12, m_geometry);
    for (std::size_t cell = 0; cell < m_choosers.size(); ++cell) {
        const cities::CityRecord* city = m_choosers[cell]->record();
        if (!city)
            continue;
        const auto local = localTimeOf(*city);
        const CellTexts shown
            = local ? cellTexts(*local) : CellTexts { QStringLiteral("--:--"), QString() };
        const CellRects& rects = m_cells[cell];
        drawn.push_back(
            { rects.time, shown.time, fittedFont(timeBase, shown.time, rects.time), kLeft, false });
        if (!shown.date.isEmpty())
            drawn.push_back({ rects.date, shown.date, fittedFont(dateBase, shown.date, rects.date),
                kLeft, true });
        if (clocks && !rects.clock.isEmpty())
            clocks->push_back({ local, rects.clock });
    }
    if (const QRect rect = pageTextRect(); lastFirst() > 0 && !rect.isEmpty()) {
        const QString page = pageText();
        drawn.push_back({ rect, page, fittedFont(dateBase, page, rect), Qt::AlignCenter, true });
    }
    return drawn;
}

void CityGrid::drawClock(QPainter& painter, const QRect& box, const SYSTEMTIME& time) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QImage dial = m_skin.loaded() ? m_skin.imageOf(faces::skin::kSmallDial) : QImage();
    if (m_smallClock && !dial.isNull() && dial.width() > 0) {
        // The look's small clock, drawn at its own size and scaled into the cell's box.
        const double scale = double(box.width()) / std::max(dial.width(), dial.height());
        painter.translate(box.topLeft());
        painter.scale(scale, scale);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_smallClock->draw(painter, QRect(QPoint(0, 0), dial.size()), time);
        painter.restore();
        return;
    }
    // Without the look's dial: a ring and two hands in the text colour.
    const QColor ink
        = m_skin.loaded() ? m_skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QPointF centre = QRectF(box).center();
    const double radius = box.width() / 2.0 - 1;
    painter.setPen(QPen(ink, std::max(1, box.width() / 24)));
    painter.drawEllipse(centre, radius, radius);
    const auto hand = [&](double turns, double length, double width) {
        const double angle = turns * 2 * std::numbers::pi;
        painter.setPen(QPen(ink, width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(
            centre, centre + QPointF(std::sin(angle) * length, -std::cos(angle) * length));
    };
    hand(((time.wHour % 12) * 60 + time.wMinute) / 720.0, radius * 0.55, std::max(1.5, radius / 8));
    hand(time.wMinute / 60.0, radius * 0.85, std::max(1.0, radius / 12));
    painter.restore();
}

void CityGrid::paint(QPainter& painter, const LocalTimeOf& localTimeOf) const
{
    std::vector<DrawnCell> clocks;
    const auto texts = drawnTexts(localTimeOf, &clocks);
    for (const DrawnCell& clock : clocks) {
        if (clock.clockTime)
            drawClock(painter, clock.clock, *clock.clockTime);
    }
    paintTexts(painter, m_skin, texts);
}

void CityGrid::reportLayout(ui::LayoutReport& report, const LocalTimeOf& localTimeOf) const
{
    std::vector<DrawnCell> clocks;
    reportTexts(report, drawnTexts(localTimeOf, &clocks));
    for (const DrawnCell& clock : clocks)
        report.addImage(clock.clock);
}

} // namespace astro

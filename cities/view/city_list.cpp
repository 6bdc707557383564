#include "cities/view/city_list.h"

#include "ui/drop_list.h"
#include "ui/fitted_text.h"
#include "ui/qt_text.h"
#include "ui/resources.h"

#include <QFontMetrics>
#include <algorithm>

namespace cities {

namespace {

constexpr int kRowHeight = 18; // one list, before scaling
constexpr int kRowGap = 2;
// What DropList keeps beside its title: the arrow box and a margin either side.
constexpr int kArrowBoxPx = 16;
constexpr int kTextMarginPx = 4;

// `base` as the list draws it (bold) fitted to `width`: as it is, condensed, then smaller.
QFont fittedListFont(const QFont& base, const QString& text, int width)
{
    const auto fits = [&](const QFont& font) {
        QFont bold = font;
        bold.setBold(true);
        return QFontMetrics(bold).horizontalAdvance(text) <= width;
    };
    QFont font = base;
    font.setStretch(QFont::Unstretched);
    return ui::fittedFont(font, fits);
}

bool namesACity(const CityDatabase& database, CityRef ref)
{
    return ref.continent >= 0 && ref.continent <= kAllCities && database.record(ref) != nullptr;
}

} // namespace

CityList::CityList(CityDatabase& database, CityRef initial, const ui::ScreenGeometry& geometry, QWidget* parent)
    : QWidget(parent)
    , m_database(database)
    , m_slot(database.registerSlot(namesACity(database, initial) ? initial : CityRef {}))
    , m_geometry(geometry)
    , m_continents(new ui::DropList(this))
    , m_cities(new ui::DropList(this))
{
    setObjectName(QStringLiteral("CityList"));
    m_continents->setObjectName(QStringLiteral("ContinentList"));
    m_cities->setObjectName(QStringLiteral("DropCityList"));
    m_continents->setItems(ui::list(kContinentNamesString).mid(0, kAllCities + 1));
    connect(m_continents, &ui::DropList::selected, this, &CityList::continentChosen);
    connect(m_cities, &ui::DropList::selected, this, &CityList::cityChosen);
    setFocusProxy(m_cities);
    follow();
    layOut();
}

CityList::~CityList() { m_database.releaseSlot(m_slot); }

CityRef CityList::city() const { return m_database.slot(m_slot); }

const CityRecord* CityList::record() const { return m_database.record(city()); }

bool CityList::setCity(CityRef ref)
{
    if (!namesACity(m_database, ref))
        return false;
    m_database.setSlot(m_slot, ref);
    follow();
    return true;
}

QStringList CityList::namesOf(int list) const
{
    QStringList names;
    const int count = m_database.count(list);
    names.reserve(count);
    for (int index = 0; index < count; ++index)
        names.append(ui::qText(cityName(*m_database.record(list, index))));
    return names;
}

bool CityList::follow()
{
    const CityRef ref = city();
    const int list = std::clamp(int(ref.continent), 0, kAllCities);
    QStringList names = namesOf(list);
    bool changed = false;
    if (list != m_shownList || names != m_shownNames) {
        // Refilling closes an open list: only when the names really changed.
        m_shownList = list;
        m_shownNames = std::move(names);
        m_cities->setItems(m_shownNames);
        changed = true;
    }
    if (m_continents->currentIndex() != list) {
        m_continents->setCurrentIndex(list);
        changed = true;
    }
    if (m_cities->currentIndex() != ref.index && ref.index >= 0 && ref.index < m_shownNames.size()) {
        m_cities->setCurrentIndex(ref.index);
        changed = true;
    }
    if (changed)
        fitFonts();
    return changed;
}

void CityList::continentChosen(int list)
{
    if (list == m_shownList)
        return;
    if (m_database.count(list) == 0) {
        // A continent without cities (all deleted) cannot be chosen: the choice stays.
        m_continents->setCurrentIndex(m_shownList);
        return;
    }
    m_database.setSlot(m_slot, CityRef { list, 0 });
    follow();
    emit cityPicked(city());
}

void CityList::cityChosen(int index)
{
    const CityRef ref { m_shownList, index };
    if (!namesACity(m_database, ref))
        return;
    m_database.setSlot(m_slot, ref);
    follow();
    emit cityPicked(ref);
}

void CityList::setScreen(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    updateGeometry();
    layOut();
}

QSize CityList::sizeHint() const
{
    return { m_geometry.scaled(116), 2 * m_geometry.scaled(kRowHeight) + m_geometry.scaled(kRowGap) };
}

void CityList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void CityList::layOut()
{
    const int row = m_geometry.scaled(kRowHeight);
    m_continents->setGeometry(0, 0, width(), row);
    m_cities->setGeometry(0, row + m_geometry.scaled(kRowGap), width(), row);
    fitFonts();
}

void CityList::fitFonts()
{
    const QFont base = ui::suiteFont(ui::FontRole::Normal12, m_geometry);
    // A pixel to spare: the text's ink may reach one past its advance.
    const int room = width() - kArrowBoxPx - 2 * kTextMarginPx - 1;
    for (ui::DropList* list : { m_continents, m_cities }) {
        const QFont font = fittedListFont(base, list->currentText(), room);
        if (list->font() != font)
            list->setFont(font);
    }
}

} // namespace cities

#include "cities/view/edit_cities.h"

#include "cities/view/city_list.h"
#include "cities/view/city_strings.h"
#include "cities/world_time.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "ui/dialog_page.h"
#include "ui/dialogs.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace cities {

namespace {

constexpr int kMaxOffsetHours = 14; // the zones of the world reach from -12:00 to +14:00
constexpr int kDefaultDaylightHour = 2; // where the device's zone gives no hours
constexpr int kDefaultStandardHour = 3;
constexpr int kWatchMs = 1000; // how often the page looks for another program's change

// A decimal number of at most five digits; nullopt for anything else, an empty text too.
std::optional<int> decimalOf(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return digits.toInt();
}

// Degrees up to `limit`, minutes up to 59, and no minutes past the limit.
bool readAngle(const QString& degreesText, const QString& minutesText, int limit,
    std::uint16_t& degrees, std::uint16_t& minutes)
{
    const auto d = decimalOf(degreesText);
    const auto m = decimalOf(minutesText);
    if (!d || !m || *d > limit || *m > 59 || (*d == limit && *m != 0))
        return false;
    degrees = std::uint16_t(*d);
    minutes = std::uint16_t(*m);
    return true;
}

// The rule bytes of a record as lists show them, whether or not the city uses them; bytes
// out of range show as the first entries.
RuleDay shownRuleDay(std::uint8_t day, std::uint8_t month)
{
    RuleDay shown;
    shown.weekday = (day & 0x0f) <= 6 ? day & 0x0f : 0;
    shown.occurrence = (day >> 4) <= 4 ? (day >> 4) + 1 : 1;
    shown.month = month <= 11 ? month + 1 : 1;
    return shown;
}

QStringList dayListNames(int firstDayOfWeek)
{
    const auto& names = platform::userLocale().dayNames; // Sunday first
    QStringList list;
    for (int position = 0; position < 7; ++position)
        list.append(
            ui::qText(names[std::size_t(weekdayOfDayListPosition(position, firstDayOfWeek))]));
    return list;
}

QStringList monthListNames()
{
    QStringList list;
    for (const auto& name : platform::userLocale().monthNames)
        list.append(ui::qText(name));
    return list;
}

QHBoxLayout* rowOf(std::initializer_list<QWidget*> widgets, int spacing)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    for (auto* widget : widgets)
        row->addWidget(widget);
    return row;
}

QLineEdit* numberField(QWidget* parent, int digits)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(digits);
    field->setInputMethodHints(Qt::ImhDigitsOnly);
    return field;
}

} // namespace

int weekdayOfDayListPosition(int position, int firstDayOfWeek)
{
    if (firstDayOfWeek != 0)
        return position;
    return position < 6 ? position + 1 : 0;
}

int dayListPositionOfWeekday(int weekday, int firstDayOfWeek)
{
    if (firstDayOfWeek != 0)
        return weekday;
    return weekday == 0 ? 6 : weekday - 1;
}

CityInputProblem storeCityInput(const CityInput& input, CityRecord& city)
{
    const QString name = input.name.trimmed();
    if (name.isEmpty())
        return CityInputProblem::NoName;
    CityRecord stored = city;
    setCityName(stored, name.toStdU16String());
    const int minutes = std::clamp(input.offsetHours, 0, kMaxOffsetHours) * 60
        + std::clamp(input.offsetMinutes, 0, 59);
    stored.offsetMinutes = std::int16_t(input.westOfGreenwich ? -minutes : minutes);
    if (!readAngle(input.latitudeDegrees, input.latitudeMinutes, 90, stored.latitudeDegrees,
            stored.latitudeMinutes))
        return CityInputProblem::BadPosition;
    stored.north = input.north ? 1 : 0;
    if (!readAngle(input.longitudeDegrees, input.longitudeMinutes, 180, stored.longitudeDegrees,
            stored.longitudeMinutes))
        return CityInputProblem::BadPosition;
    stored.east = input.east ? 1 : 0;
    setDaylightRule(stored, input.daylight ? std::optional(input.rule) : std::nullopt);
    city = stored;
    return CityInputProblem::None;
}

CityRecord newCityTemplate(const TIME_ZONE_INFORMATION& deviceZone)
{
    CityRecord city {};
    city.north = 1;
    city.east = 1;
    city.daylightStartHour = kDefaultDaylightHour;
    city.daylightEndHour = kDefaultStandardHour;
    const SYSTEMTIME& start = deviceZone.DaylightDate;
    const SYSTEMTIME& end = deviceZone.StandardDate;
    const auto dayInMonth = [](const SYSTEMTIME& date) {
        return date.wYear == 0 && date.wMonth >= 1 && date.wMonth <= 12 && date.wDayOfWeek <= 6
            && date.wDay >= 1 && date.wDay <= 5 && date.wHour <= 23;
    };
    if (start.wMonth != 0 && dayInMonth(start) && dayInMonth(end)) {
        city.daylightStartDay = packRuleDay(start.wDayOfWeek, start.wDay);
        city.daylightStartMonth = std::uint8_t(start.wMonth - 1);
        city.standardStartDay = packRuleDay(end.wDayOfWeek, end.wDay);
        city.standardStartMonth = std::uint8_t(end.wMonth - 1);
        city.daylightStartHour = std::uint8_t(start.wHour);
        city.daylightEndHour = std::uint8_t(end.wHour);
    }
    return city;
}

// --- The city editor ---------------------------------------------------------------------

CityEditor::CityEditor(
    QWidget* parent, CityDatabase& database, std::optional<CityRef> ref, int continent)
    : QDialog(parent)
    , m_database(database)
    , m_slot(ref ? std::optional(database.registerSlot(*ref)) : std::nullopt)
    , m_firstDayOfWeek(platform::userLocale().firstDayOfWeek)
{
    setObjectName(QStringLiteral("CityEditor"));
    setWindowTitle(ui::text(kEditCitiesTitle));
    const auto screen = ui::ScreenGeometry::current();
    const int margin = screen.scaled(ui::kPageMarginPx);
    const int spacing = screen.scaled(ui::kPageSpacingPx);
    // The fields scroll where the screen is too short for them; they never scroll sideways.
    const ui::ScrollingPage scrolling
        = ui::newScrollingPage(*this, QStringLiteral("CityFields"), screen);
    QWidget* body = scrolling.body;
    QVBoxLayout* layout = scrolling.layout;

    auto* form = new QFormLayout;
    m_name = new QLineEdit(body);
    m_name->setObjectName(QStringLiteral("CityName"));
    form->addRow(ui::text(kNameLabel), m_name);
    const QStringList continents = ui::list(kContinentNamesString).mid(0, kContinentCount);
    m_continent = ui::newListBox(body, continents);
    m_continent->setObjectName(QStringLiteral("CityContinent"));
    m_continent->setCurrentIndex(std::clamp(continent, 0, kContinentCount - 1));
    if (!m_slot)
        form->addRow(ui::text(kContinentLabel), m_continent);
    else
        m_continent->hide();

    m_sign = ui::newListBox(body, { QStringLiteral("+"), QStringLiteral("-") });
    m_sign->setObjectName(QStringLiteral("OffsetSign"));
    m_sign->setMinimumContentsLength(1);
    m_sign->setSizePolicy(QSizePolicy::Preferred, m_sign->sizePolicy().verticalPolicy());
    m_hours = new QSpinBox(body);
    m_hours->setObjectName(QStringLiteral("OffsetHours"));
    m_hours->setRange(0, kMaxOffsetHours);
    m_minutes = new QSpinBox(body);
    m_minutes->setObjectName(QStringLiteral("OffsetMinutes"));
    m_minutes->setRange(0, 59);
    m_minutes->setSingleStep(15);
    auto* offsetRow = rowOf({ m_sign, m_hours, m_minutes }, spacing);
    offsetRow->addStretch(1);
    form->addRow(ui::text(kOffsetLabel), offsetRow);

    m_latitudeDegrees = numberField(body, 2);
    m_latitudeDegrees->setObjectName(QStringLiteral("LatitudeDegrees"));
    m_latitudeMinutes = numberField(body, 2);
    m_latitudeMinutes->setObjectName(QStringLiteral("LatitudeMinutes"));
    m_northSouth = ui::newListBox(body, ui::list(kNorthSouthList));
    m_northSouth->setObjectName(QStringLiteral("NorthSouth"));
    form->addRow(ui::text(kLatitudeLabel),
        rowOf({ m_latitudeDegrees, m_latitudeMinutes, m_northSouth }, spacing));
    m_longitudeDegrees = numberField(body, 3);
    m_longitudeDegrees->setObjectName(QStringLiteral("LongitudeDegrees"));
    m_longitudeMinutes = numberField(body, 2);
    m_longitudeMinutes->setObjectName(QStringLiteral("LongitudeMinutes"));
    m_eastWest = ui::newListBox(body, ui::list(kEastWestList));
    m_eastWest->setObjectName(QStringLiteral("EastWest"));
    form->addRow(ui::text(kLongitudeLabel),
        rowOf({ m_longitudeDegrees, m_longitudeMinutes, m_eastWest }, spacing));
    for (auto* number :
        { m_latitudeDegrees, m_latitudeMinutes, m_longitudeDegrees, m_longitudeMinutes })
        number->setMaximumWidth(
            QFontMetrics(number->font()).horizontalAdvance(QStringLiteral("0000")) + 4 * spacing);
    layout->addLayout(form);

    m_daylight = new QCheckBox(ui::text(kDaylightUsedString), body);
    m_daylight->setObjectName(QStringLiteral("DaylightUsed"));
    layout->addWidget(m_daylight);
    m_tabs = new QTabWidget(body);
    m_tabs->setObjectName(QStringLiteral("RuleTabs"));
    std::vector<QFormLayout*> ruleForms;
    for (int tab = 0; tab < 2; ++tab) {
        auto* page = new QWidget(m_tabs);
        auto* ruleForm = new QFormLayout(page);
        ruleForm->setContentsMargins(margin, margin, margin, margin);
        RuleLists& lists = m_rule[std::size_t(tab)];
        lists.week = ui::newListBox(page, ui::list(kWeekOfMonthList));
        lists.day = ui::newListBox(page, dayListNames(m_firstDayOfWeek));
        lists.month = ui::newListBox(page, monthListNames());
        ruleForm->addRow(ui::text(kWeekLabel), lists.week);
        ruleForm->addRow(ui::text(kDayLabel), lists.day);
        ruleForm->addRow(ui::text(kMonthLabel), lists.month);
        m_tabs->addTab(page, ui::text(tab == 0 ? kRuleStartTab : kRuleEndTab));
        ruleForms.push_back(ruleForm);
    }
    layout->addWidget(m_tabs);
    ui::finishScrollingPage(*this, scrolling);
    connect(m_daylight, &QCheckBox::toggled, m_tabs, &QWidget::setEnabled);

    // The body's width: the work area less the margins and a scroll bar. The rule lists
    // sit inside a tab page with margins of its own.
    const int width = ui::scrollingBodyWidth(*this, screen);
    ui::fitForms({ form }, width, screen);
    ui::fitForms({ ruleForms[0], ruleForms[1] }, width - 4 * margin, screen);
    ui::coverWorkArea(*this, screen);

    if (ref) {
        if (const CityRecord* city = m_database.record(*ref))
            m_working = *city;
    } else {
        TIME_ZONE_INFORMATION zone {};
        if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
            zone = TIME_ZONE_INFORMATION {};
        m_working = newCityTemplate(zone);
    }
    showCity(m_working);
}

void CityEditor::showCity(const CityRecord& city)
{
    m_name->setText(ui::qText(cityName(city)));
    const int offset = city.offsetMinutes;
    m_sign->setCurrentIndex(offset < 0 ? 1 : 0);
    m_hours->setValue(std::abs(offset) / 60);
    m_minutes->setValue(std::abs(offset) % 60);
    m_latitudeDegrees->setText(QString::number(city.latitudeDegrees));
    m_latitudeMinutes->setText(QString::number(city.latitudeMinutes));
    m_northSouth->setCurrentIndex(city.north ? 0 : 1);
    m_longitudeDegrees->setText(QString::number(city.longitudeDegrees));
    m_longitudeMinutes->setText(QString::number(city.longitudeMinutes));
    m_eastWest->setCurrentIndex(city.east ? 0 : 1);
    m_daylight->setChecked(city.usesDaylight != 0);
    m_tabs->setEnabled(city.usesDaylight != 0);
    const RuleDay days[2] = { shownRuleDay(city.daylightStartDay, city.daylightStartMonth),
        shownRuleDay(city.standardStartDay, city.standardStartMonth) };
    for (int tab = 0; tab < 2; ++tab) {
        const RuleLists& lists = m_rule[std::size_t(tab)];
        lists.week->setCurrentIndex(days[tab].occurrence - 1);
        lists.day->setCurrentIndex(dayListPositionOfWeekday(days[tab].weekday, m_firstDayOfWeek));
        lists.month->setCurrentIndex(days[tab].month - 1);
    }
}

CityInput CityEditor::input() const
{
    CityInput input;
    input.name = m_name->text();
    input.westOfGreenwich = m_sign->currentIndex() == 1;
    input.offsetHours = m_hours->value();
    input.offsetMinutes = m_minutes->value();
    input.latitudeDegrees = m_latitudeDegrees->text();
    input.latitudeMinutes = m_latitudeMinutes->text();
    input.north = m_northSouth->currentIndex() == 0;
    input.longitudeDegrees = m_longitudeDegrees->text();
    input.longitudeMinutes = m_longitudeMinutes->text();
    input.east = m_eastWest->currentIndex() == 0;
    input.daylight = m_daylight->isChecked();
    RuleDay* days[2] = { &input.rule.daylightStart, &input.rule.standardStart };
    for (int tab = 0; tab < 2; ++tab) {
        const RuleLists& lists = m_rule[std::size_t(tab)];
        days[tab]->occurrence = std::max(lists.week->currentIndex(), 0) + 1;
        days[tab]->weekday
            = weekdayOfDayListPosition(std::max(lists.day->currentIndex(), 0), m_firstDayOfWeek);
        days[tab]->month = std::max(lists.month->currentIndex(), 0) + 1;
    }
    return input;
}

void CityEditor::accept()
{
    CityRecord city = m_working;
    switch (storeCityInput(input(), city)) {
    case CityInputProblem::NoName:
        ui::showMessage(this, ui::text(kNoNameMessage), ui::MessageIcon::Warning);
        m_name->setFocus();
        return; // stays open
    case CityInputProblem::BadPosition:
        ui::showMessage(this, ui::text(kBadPositionMessage), ui::MessageIcon::Warning);
        return;
    case CityInputProblem::None:
        break;
    }
    EditError error = EditError::None;
    if (m_slot) {
        // Another program may have changed the cities while the editor was open: the slot
        // names the city in the database as it is now.
        (void)m_database.reloadIfChanged();
        m_stored = m_database.slot(*m_slot);
        error = m_database.edit(m_stored, city);
    } else {
        int added = -1;
        const int continent = m_continent->currentIndex();
        error = m_database.add(continent, city, &added);
        m_stored = CityRef { continent, added };
    }
    if (error != EditError::None) {
        showEditError(this, error);
        if (error == EditError::Busy)
            return; // the user may try again with the fields as they are
        reject();
        return;
    }
    m_working = city;
    QDialog::accept();
}

CityEditor::~CityEditor()
{
    if (m_slot)
        m_database.releaseSlot(*m_slot);
}

// --- The Edit Cities page ----------------------------------------------------------------

void showEditError(QWidget* parent, EditError error)
{
    unsigned message = 0;
    switch (error) {
    case EditError::None:
        return;
    case EditError::Busy:
        message = kEditBusyMessage;
        break;
    case EditError::Unavailable:
    case EditError::WriteFailed:
        message = kEditFailedMessage;
        break;
    case EditError::NoRoom:
        message = kNoRoomMessage;
        break;
    case EditError::NoSuchCity:
        message = kNoSuchCityMessage;
        break;
    case EditError::HomeLocation:
        message = kHomeLocationDeleteMessage;
        break;
    }
    ui::showMessage(parent, ui::text(message), ui::MessageIcon::Warning);
}

EditCitiesPage::EditCitiesPage(QWidget* parent, CityDatabase& database)
    : QDialog(parent)
    , m_database(database)
{
    setObjectName(QStringLiteral("EditCities"));
    setWindowTitle(ui::text(kEditCitiesTitle));
    const auto screen = ui::ScreenGeometry::current();
    const int margin = screen.scaled(ui::kPageMarginPx);
    const int spacing = screen.scaled(ui::kPageSpacingPx);
    auto* layout = ui::newPageLayout(*this, screen);

    auto* form = new QFormLayout;
    m_continent = ui::newListBox(this, ui::list(kContinentNamesString));
    m_continent->setObjectName(QStringLiteral("Continent"));
    form->addRow(ui::text(kContinentLabel), m_continent);
    layout->addLayout(form);

    m_rows = new QTreeWidget(this);
    m_rows->setObjectName(QStringLiteral("CityRows"));
    m_rows->setColumnCount(2);
    m_rows->setHeaderHidden(true);
    m_rows->setRootIsDecorated(false);
    m_rows->setUniformRowHeights(true);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rows->header()->setStretchLastSection(false);
    m_rows->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_rows->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    layout->addWidget(m_rows, 1);

    m_new = new QPushButton(ui::text(kNewCityButton), this);
    m_new->setObjectName(QStringLiteral("NewCity"));
    m_edit = new QPushButton(ui::text(kEditCityButton), this);
    m_edit->setObjectName(QStringLiteral("EditCity"));
    m_delete = new QPushButton(ui::text(kDeleteCityButton), this);
    m_delete->setObjectName(QStringLiteral("DeleteCity"));
    auto* buttonRow = new QGridLayout;
    buttonRow->setSpacing(spacing);
    layout->addLayout(buttonRow);
    auto* done = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(done);

    // The three buttons in one row where they fit, else two and one; a face condensed first.
    const int width = ui::workArea(screen).width() - 2 * margin;
    const auto rowWidth = [&] {
        return m_new->sizeHint().width() + m_edit->sizeHint().width() + m_delete->sizeHint().width()
            + 2 * spacing;
    };
    if (rowWidth() > width) {
        QFont condensed = m_new->font();
        condensed.setStretch(QFont::Condensed);
        for (auto* button : { m_new, m_edit, m_delete })
            button->setFont(condensed);
    }
    const bool oneRow = rowWidth() <= width;
    buttonRow->addWidget(m_new, 0, 0);
    buttonRow->addWidget(m_edit, 0, 1);
    buttonRow->addWidget(m_delete, oneRow ? 0 : 1, oneRow ? 2 : 0, 1, oneRow ? 1 : 2);
    ui::fitForms({ form }, width, screen);
    ui::coverWorkArea(*this, screen);

    connect(m_continent, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(m_new, &QPushButton::clicked, this, &EditCitiesPage::addCity);
    connect(m_edit, &QPushButton::clicked, this, &EditCitiesPage::editSelected);
    connect(m_delete, &QPushButton::clicked, this, &EditCitiesPage::deleteSelected);
    connect(m_rows, &QTreeWidget::itemActivated, this, [this] { editSelected(); });
    connect(m_rows, &QTreeWidget::itemSelectionChanged, this, [this] {
        m_edit->setEnabled(selectedRow() >= 0);
        m_delete->setEnabled(selectedRow() >= 0);
    });
    connect(done, &QDialogButtonBox::accepted, this, &QDialog::accept);

    // Another program (tkwctl, a second copy of the page) may change the cities while the
    // page is open: it shows their change.
    m_watch = new QTimer(this);
    m_watch->setInterval(kWatchMs);
    connect(m_watch, &QTimer::timeout, this, [this] {
        if (m_database.reloadIfChanged())
            fill();
    });
    m_watch->start();

    // The world-time city's continent first.
    const CityRef world = m_database.slot(CityDatabase::kWorldSlot);
    const auto continentOfWorld = m_database.continentRef(world);
    m_continent->setCurrentIndex(continentOfWorld ? continentOfWorld->continent : 0);
    fill();
    if (continentOfWorld)
        selectRow(continentOfWorld->index);
}

void EditCitiesPage::showContinent(int list)
{
    m_continent->setCurrentIndex(std::clamp(list, 0, kAllCities));
    fill();
}

int EditCitiesPage::continent() const
{
    return std::max(m_continent->currentIndex(), 0);
}

void EditCitiesPage::selectRow(int row)
{
    if (row < 0 || row >= m_rows->topLevelItemCount())
        return;
    m_rows->setCurrentItem(m_rows->topLevelItem(row));
    m_rows->scrollToItem(m_rows->currentItem());
}

int EditCitiesPage::selectedRow() const
{
    const auto selected = m_rows->selectedItems();
    return selected.isEmpty() ? -1 : m_rows->indexOfTopLevelItem(selected.first());
}

void EditCitiesPage::fill()
{
    // The selection follows its city by name across another program's change.
    const int list = continent();
    QString selectedName;
    if (const int row = selectedRow(); row >= 0)
        selectedName = m_rows->topLevelItem(row)->text(0);
    const QSignalBlocker quiet(m_rows);
    m_rows->clear();
    int reselect = -1;
    for (int index = 0; index < m_database.count(list); ++index) {
        const CityRecord* city = m_database.record(list, index);
        if (!city)
            continue;
        auto* row = new QTreeWidgetItem(m_rows);
        row->setText(0, ui::qText(cityName(*city)));
        row->setText(1, ui::qText(editorOffsetText(city->offsetMinutes)));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (reselect < 0 && !selectedName.isEmpty() && row->text(0) == selectedName)
            reselect = index;
    }
    // Names too long for the width left beside the offsets take a condensed face.
    QFont font = m_rows->font();
    font.setStretch(QFont::Unstretched);
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int row = 0; row < m_rows->topLevelItemCount(); ++row)
        widest = std::max(widest,
            metrics.horizontalAdvance(m_rows->topLevelItem(row)->text(0))
                + metrics.horizontalAdvance(m_rows->topLevelItem(row)->text(1)));
    const int room = m_rows->viewport()->width() > 0 ? m_rows->viewport()->width() : width();
    if (widest + 4 * metrics.averageCharWidth() > room)
        font.setStretch(QFont::Condensed);
    m_rows->setFont(font);
    if (reselect >= 0)
        selectRow(reselect);
    m_edit->setEnabled(selectedRow() >= 0);
    m_delete->setEnabled(selectedRow() >= 0);
}

void EditCitiesPage::addCity()
{
    const int list = continent();
    // All Continents names no continent to add to: the editor starts on the world-time
    // city's continent.
    int into = list;
    if (list == kAllCities) {
        const auto world = m_database.continentRef(m_database.slot(CityDatabase::kWorldSlot));
        into = world ? world->continent : 0;
    }
    CityEditor editor(this, m_database, std::nullopt, into);
    if (editor.exec() != QDialog::Accepted)
        return;
    const CityRef added = editor.stored();
    const CityRecord* city = m_database.record(added);
    if (list != kAllCities && list != added.continent)
        m_continent->setCurrentIndex(added.continent);
    fill();
    if (city)
        selectRow(m_database.indexOf(continent(), city));
}

std::optional<CityRef> EditCitiesPage::currentSelection()
{
    if (m_database.reloadIfChanged())
        fill();
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    return CityRef { continent(), row };
}

void EditCitiesPage::editSelected()
{
    const auto ref = currentSelection();
    if (!ref)
        return;
    CityEditor editor(this, m_database, *ref, continent());
    const bool stored = editor.exec() == QDialog::Accepted;
    const CityRecord* city = stored ? m_database.record(editor.stored()) : nullptr;
    fill();
    if (city)
        selectRow(m_database.indexOf(continent(), city));
}

void EditCitiesPage::deleteSelected()
{
    const auto ref = currentSelection();
    if (!ref)
        return;
    const CityRecord* city = m_database.record(*ref);
    if (!city)
        return;
    if (city == m_database.record(m_database.slot(CityDatabase::kWorldSlot))) {
        ui::showMessage(this, ui::text(kHomeLocationDeleteMessage), ui::MessageIcon::Warning);
        return;
    }
    // The question waits for the user, and another program may change the cities meanwhile:
    // a slot keeps naming the city asked about.
    const CityDatabase::Slot asked = m_database.registerSlot(*ref);
    const bool yes = ui::showMessage(this, ui::text(kDeleteCityQuestion), ui::MessageIcon::Question,
                         ui::MessageButtons::YesNo)
        == ui::MessageAnswer::Yes;
    if (yes) {
        (void)m_database.reloadIfChanged();
        showEditError(this, m_database.remove(m_database.slot(asked)));
    }
    m_database.releaseSlot(asked);
    const int row = selectedRow();
    fill();
    if (yes)
        selectRow(std::min(row, m_rows->topLevelItemCount() - 1));
}

} // namespace cities

#include "cities/view/time_and_location.h"

#include "cities/view/city_list.h"
#include "cities/view/city_strings.h"
#include "cities/world_time.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/dialog_page.h"
#include "ui/pickers.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/time_dialog.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace cities {

namespace {

constexpr int kTickMs = 100; // the main window's clock
constexpr int kTicksPerSecond = 1000 / kTickMs;

store::CityRef storedOf(CityRef ref)
{
    return { std::uint32_t(std::max(ref.continent, 0)), std::uint32_t(std::max(ref.index, 0)) };
}

bool sameDay(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

SYSTEMTIME withDate(SYSTEMTIME time, const SYSTEMTIME& date)
{
    time.wYear = date.wYear;
    time.wMonth = date.wMonth;
    time.wDay = date.wDay;
    time.wDayOfWeek = WORD(dayOfWeek(date.wYear, date.wMonth, date.wDay));
    return time;
}

// The widest date the locale's short picture makes, for laying the pickers out.
SYSTEMTIME widestSampleDate()
{
    SYSTEMTIME sample {};
    sample.wYear = 2028;
    sample.wMonth = 12;
    sample.wDay = 28;
    sample.wDayOfWeek = WORD(dayOfWeek(2028, 12, 28));
    sample.wHour = 22;
    sample.wMinute = 58;
    sample.wSecond = 58;
    return sample;
}

} // namespace

DateDialog::DateDialog(QWidget* parent, const SYSTEMTIME& date)
    : QDialog(parent)
    , m_opened(date)
{
    setObjectName(QStringLiteral("DateDialog"));
    setWindowTitle(ui::text(kDateDialogTitle));
    const auto screen = ui::ScreenGeometry::current();
    auto* layout = ui::newPageLayout(*this, screen);
    m_calendar = new QCalendarWidget(this);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setFirstDayOfWeek(
        platform::userLocale().firstDayOfWeek == 6 ? Qt::Sunday : Qt::Monday);
    m_calendar->setMinimumDate(QDate(1601, 1, 1));
    m_calendar->setMaximumDate(QDate(30827, 12, 31));
    const QDate shown(date.wYear, date.wMonth, date.wDay);
    if (shown.isValid())
        m_calendar->setSelectedDate(shown);
    layout->addWidget(m_calendar, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_calendar, &QCalendarWidget::activated, this, &QDialog::accept);
    ui::coverWorkArea(*this, screen);
}

SYSTEMTIME DateDialog::date() const
{
    const QDate chosen = m_calendar->selectedDate();
    SYSTEMTIME date = m_opened;
    date.wYear = WORD(chosen.year());
    date.wMonth = WORD(chosen.month());
    date.wDay = WORD(chosen.day());
    date.wDayOfWeek = WORD(chosen.dayOfWeek() % 7);
    return date;
}

TimeAndLocationDialog::TimeAndLocationDialog(QWidget* parent, CityDatabase& database)
    : QDialog(parent)
    , m_database(database)
{
    setObjectName(QStringLiteral("TimeAndLocation"));
    setWindowTitle(ui::text(kTimeAndLocationTitle));
    const auto screen = ui::ScreenGeometry::current();
    const int spacing = screen.scaled(ui::kPageSpacingPx);
    // Landscape screens are short: the two cities scroll, never sideways.
    const ui::ScrollingPage page
        = ui::newScrollingPage(*this, QStringLiteral("TimeAndLocationArea"), screen);
    QWidget* body = page.body;
    QVBoxLayout* layout = page.layout;
    const int width = ui::scrollingBodyWidth(*this, screen);
    const QFont font = ui::suiteFont(ui::FontRole::Normal12, screen);

    const CityRef initial[2] = { m_database.slot(CityDatabase::kHomeSlot),
        m_database.slot(CityDatabase::kVisitingSlot) };
    const unsigned names[2] = { kHomeButton, kVisitingButton };
    for (const Side side : { Home, Visiting }) {
        SidePanel& panel = m_sides[side];
        panel.button = new QRadioButton(ui::text(names[side]), body);
        panel.button->setObjectName(
            side == Home ? QStringLiteral("HomeCity") : QStringLiteral("VisitingCity"));
        panel.button->setFont(font);
        layout->addWidget(panel.button);
        panel.chooser = new CityList(m_database, initial[side], screen, body);
        panel.chooser->setObjectName(
            side == Home ? QStringLiteral("HomeChooser") : QStringLiteral("VisitingChooser"));
        layout->addWidget(panel.chooser);
        panel.date = new ui::DatePicker(body);
        panel.time = new ui::TimePicker(body);
        for (ui::PictureField* picker : { static_cast<ui::PictureField*>(panel.date),
                 static_cast<ui::PictureField*>(panel.time) }) {
            picker->setFont(font);
            picker->setValue(widestSampleDate());
        }
        // Date and time side by side where both fit, else one above the other.
        auto* pickers = new QGridLayout;
        pickers->setSpacing(spacing);
        const bool oneRow
            = panel.date->sizeHint().width() + spacing + panel.time->sizeHint().width() <= width;
        pickers->addWidget(panel.date, 0, 0);
        pickers->addWidget(panel.time, oneRow ? 0 : 1, oneRow ? 1 : 0);
        layout->addLayout(pickers);
        connect(panel.date, &ui::PictureField::activated, this, [this, side] { openDate(side); });
        connect(panel.time, &ui::PictureField::activated, this, [this, side] { openTime(side); });
        connect(panel.chooser, &CityList::cityPicked, this, [this, side] {
            m_sides[side].button->setChecked(true);
            tick();
        });
    }
    (store::settings().homeActive ? m_sides[Home] : m_sides[Visiting]).button->setChecked(true);
    ui::finishScrollingPage(*this, page);
    ui::coverWorkArea(*this, screen);

    // The first values are shown at once, not a tick later.
    for (SidePanel& panel : m_sides)
        panel.date->setValue(SYSTEMTIME {});
    tick();
    m_clock = new QTimer(this);
    m_clock->setInterval(kTickMs);
    connect(m_clock, &QTimer::timeout, this, &TimeAndLocationDialog::tick);
    m_clock->start();
}

void TimeAndLocationDialog::tick()
{
    // Another program (the Edit Cities page of a second copy, tkwctl) may change the cities
    // while the dialog is open: once a second the choosers catch up with it.
    if (++m_ticks % kTicksPerSecond == 0 && m_database.reloadIfChanged())
        for (SidePanel& panel : m_sides)
            panel.chooser->follow();
    for (SidePanel& panel : m_sides) {
        const CityRecord* city = panel.chooser->record();
        if (!city)
            continue;
        const SYSTEMTIME local = cityLocalTimeNow(*city);
        if (!panel.timeEdited)
            panel.time->setValue(local);
        if (!panel.dateEdited && !sameDay(panel.date->value(), local))
            panel.date->setValue(local);
    }
}

void TimeAndLocationDialog::editDate(Side side, const SYSTEMTIME& date)
{
    SidePanel& panel = m_sides[side];
    panel.date->setValue(withDate(panel.date->value(), date));
    panel.dateEdited = true;
}

void TimeAndLocationDialog::editTime(Side side, int hour, int minute)
{
    SidePanel& panel = m_sides[side];
    SYSTEMTIME time = panel.time->value();
    time.wHour = WORD(std::clamp(hour, 0, 23));
    time.wMinute = WORD(std::clamp(minute, 0, 59));
    time.wSecond = 0;
    time.wMilliseconds = 0;
    panel.time->setValue(time);
    panel.timeEdited = true;
}

void TimeAndLocationDialog::openDate(Side side)
{
    DateDialog dialog(this, m_sides[side].date->value());
    if (dialog.exec() == QDialog::Accepted)
        editDate(side, dialog.date());
}

void TimeAndLocationDialog::openTime(Side side)
{
    const SYSTEMTIME shown = m_sides[side].time->value();
    const ui::TimeChoice choice = ui::chooseTime(this, ui::text(kTimeAndLocationTitle), shown.wHour,
        shown.wMinute, platform::userLocale().use24Hour);
    if (choice.confirmed)
        editTime(side, choice.hour, choice.minute);
}

void TimeAndLocationDialog::accept()
{
    m_clock->stop();
    // The choosers' slots follow their cities through another program's last change.
    (void)m_database.reloadIfChanged();
    const CityRef home = m_sides[Home].chooser->city();
    const CityRef visiting = m_sides[Visiting].chooser->city();
    const bool homeActive = m_sides[Home].button->isChecked();
    m_database.setSlot(CityDatabase::kHomeSlot, home);
    m_database.setSlot(CityDatabase::kVisitingSlot, visiting);
    auto& settings = store::settings();
    settings.homeCity = storedOf(home);
    settings.visitingCity = storedOf(visiting);
    settings.homeActive = homeActive ? 1 : 0;

    const SidePanel& active = m_sides[homeActive ? Home : Visiting];
    const CityRef chosen = homeActive ? home : visiting;
    const CityRecord* city = m_database.record(chosen);
    if (city && !active.dateEdited && !active.timeEdited) {
        ApplyOptions options;
        options.keepUniversalTime = true;
        (void)applyCityZone(m_database, chosen, options);
    } else if (city) {
        // The date and time are the city's: the city's zone goes to the device first, so
        // that the clock set next reads them in that zone. A date edited alone keeps the
        // city's time of day as it is now.
        const SYSTEMTIME now = cityLocalTimeNow(*city);
        SYSTEMTIME clock = active.timeEdited ? active.time->value() : now;
        clock = withDate(clock, active.dateEdited ? active.date->value() : now);
        (void)applyCityZone(m_database, chosen);
        (void)SetLocalTime(&clock);
    }
    settings.worldCity = storedOf(m_database.slot(CityDatabase::kWorldSlot));
    QDialog::accept();
}

} // namespace cities

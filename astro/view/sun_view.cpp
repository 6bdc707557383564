#include "astro/view/sun_view.h"

#include "app/view_list.h"
#include "astro/view/astro_strings.h"
#include "astro/view/drawn_text.h"
#include "cities/city_database.h"
#include "cities/city_record.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "faces/status_bar.h"
#include "platform/calendar.h"
#include "store/settings.h"
#include "ui/drop_list.h"
#include "ui/layout_report.h"
#include "ui/pickers.h"
#include "ui/qt_text.h"
#include "ui/resources.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace astro {

namespace {

// The status-bar icons of sunrise and sunset (frame = status content − 1).
constexpr std::size_t kSunriseIcon = 3;
constexpr std::size_t kSunsetIcon = 4;

// A date's noon: the hour the zone offset of a chosen date is taken at, clear of the
// night hours in which daylight saving time begins and ends.
SYSTEMTIME noonOf(SYSTEMTIME date)
{
    date.wHour = 12;
    date.wMinute = 0;
    date.wSecond = 0;
    date.wMilliseconds = 0;
    return date;
}

QString eventText(int minutes, const SYSTEMTIME& date, std::u16string_view placeholder)
{
    if (minutes < 0)
        return ui::qText(placeholder);
    SYSTEMTIME at = date;
    at.wHour = WORD(minutes / 60);
    at.wMinute = WORD(minutes % 60);
    at.wSecond = 0;
    at.wMilliseconds = 0;
    return shortTimeText(at);
}

bool sameDay(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

} // namespace

SunDayTexts sunDayTexts(
    const cities::CityRecord& city, const SYSTEMTIME& date, double zoneOffsetHours, int eventIndex)
{
    SunDayTexts texts;
    if (const auto zenith = zenithDistanceOf(eventIndex)) {
        SunQuery query = sunQueryForCity(city);
        query.zoneOffsetHours = zoneOffsetHours;
        query.zenithDistance = *zenith;
        query.year = date.wYear;
        query.month = date.wMonth;
        query.day = date.wDay;
        texts.times = sunTimes(query);
    }
    texts.rise = eventText(texts.times.riseMinutes, date, kNoRiseText);
    texts.set = eventText(texts.times.setMinutes, date, kNoSetText);
    return texts;
}

SunView::SunView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
    cities::CityDatabase& database)
    : View(app::kSunView)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_skin(skin)
    , m_database(database)
    , m_universalNow([] { return cities::universalTicksNow(); })
{
    m_date = new ui::DatePicker(m_screen);
    m_date->setObjectName(QStringLiteral("sunDate"));
    m_events = new ui::DropList(m_screen);
    m_events->setObjectName(QStringLiteral("sunEvents"));
    m_date->hide();
    m_events->hide();
    QObject::connect(m_date, &ui::PictureField::activated, m_date, [this] { pickDate(); });
    QObject::connect(
        m_events, &ui::DropList::selected, m_events, [this](int index) { chooseEvent(index); });
    placeControls();
}

SunView::~SunView()
{
    delete m_date;
    delete m_events;
}

void SunView::placeControls()
{
    const auto& g = m_geometry;
    const bool compact = g.square || g.landscape;
    const int width = app::viewWidth(g);
    const int bottom = g.scaled(compact ? 165 : 245) - g.scaled(2);
    const int margin = g.scaled(4);
    const int gap = g.scaled(6);
    const int inner = width - 2 * margin;
    m_cityRect = QRect(margin, g.scaled(22), inner, g.scaled(20));

    const QFont font = ui::suiteFont(ui::FontRole::Normal12, g);
    m_date->setFont(font);
    m_events->setFont(font);
    if (m_skin.loaded()) {
        m_date->setPalette(faces::skinPalette(m_skin, m_date->palette()));
        m_events->setPalette(faces::skinPalette(m_skin, m_events->palette()));
    }
    // In the language of the moment.
    m_events->setItems(ui::list(kSunEventList));
    m_events->setCurrentIndex(int(store::settings().twilightKind));
    const SYSTEMTIME kept = m_date->value();
    SYSTEMTIME widest {};
    widest.wYear = 2028;
    widest.wMonth = 12;
    widest.wDay = 28;
    widest.wDayOfWeek = 4;
    m_date->setValue(widest);
    const QSize dateSize(m_date->sizeHint().width() + g.scaled(2), m_date->sizeHint().height());
    m_date->setValue(kept);
    const QSize listSize(
        std::min(m_events->sizeHint().width(), inner), m_events->sizeHint().height());
    const int controlsTop = m_cityRect.bottom() + 1 + g.scaled(4);
    m_date->setGeometry(QRect(QPoint(margin, controlsTop), dateSize));
    // The list beside the date where both fit, else under it.
    int controlsBottom = 0;
    if (dateSize.width() + gap + listSize.width() <= inner) {
        m_events->setGeometry(
            QRect(QPoint(width - margin - listSize.width(), controlsTop), listSize));
        controlsBottom = controlsTop + std::max(dateSize.height(), listSize.height());
    } else {
        const int listTop = m_date->geometry().bottom() + 1 + g.scaled(3);
        m_events->setGeometry(QRect(QPoint(margin, listTop), listSize));
        controlsBottom = listTop + listSize.height();
    }

    // The two lines share what is left; the look's Sun picture, when it has one, goes at
    // their right.
    const int linesTop = controlsBottom + g.scaled(compact ? 6 : 14);
    const int lineHeight = std::max(0, std::min(g.scaled(36), (bottom - linesTop) / 2));
    const QImage picture = m_skin.loaded() ? m_skin.imageOf(faces::skin::kSunPicture) : QImage();
    int linesWidth = inner;
    m_picture = QRect();
    if (!picture.isNull() && picture.height() > 0) {
        const int side = std::min(2 * lineHeight, inner / 3);
        const QSize size = picture.size().scaled(side, side, Qt::KeepAspectRatio);
        m_picture = QRect(
            QPoint(width - margin - size.width(), linesTop + (2 * lineHeight - size.height()) / 2),
            size);
        linesWidth = inner - size.width() - gap;
    }
    const int iconSide = std::min(lineHeight, g.scaled(22));
    for (std::size_t line = 0; line < 2; ++line) {
        const int top = linesTop + int(line) * lineHeight;
        m_iconRects[line] = QRect(margin, top + (lineHeight - iconSide) / 2, iconSide, iconSide);
        const int textLeft = margin + iconSide + g.scaled(4);
        m_lineRects[line] = QRect(textLeft, top, margin + linesWidth - textLeft, lineHeight);
    }
    showInPicker();
}

bool SunView::activate()
{
    refresh();
    m_events->setCurrentIndex(int(store::settings().twilightKind));
    showInPicker();
    m_date->show();
    m_events->show();
    return true;
}

void SunView::leave()
{
    showToday();
    m_date->hide();
    m_events->hide();
}

void SunView::refresh()
{
    // Another program may have edited the cities (the current city's place among them).
    m_database.reloadIfChanged();
}

void SunView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    placeControls();
}

void SunView::showDate(const SYSTEMTIME& cityLocalDate)
{
    m_chosenDate = cityLocalDate;
    showInPicker();
    if (m_screen)
        m_screen->update();
}

void SunView::showToday()
{
    m_chosenDate.reset();
    showInPicker();
}

void SunView::chooseEvent(int eventIndex)
{
    if (eventIndex < 0 || eventIndex > 3)
        return;
    m_events->setCurrentIndex(eventIndex);
    auto& settings = store::settings();
    if (settings.twilightKind != std::uint8_t(eventIndex)) {
        settings.twilightKind = std::uint8_t(eventIndex);
        // Saved at once, merged with what other programs changed in the file meanwhile.
        (void)store::SaveSettings();
    }
    if (m_screen)
        m_screen->update();
}

std::optional<SunView::Day> SunView::today() const
{
    // Today is the device's local date, computed with the device's own offset.
    const std::uint64_t universal = m_universalNow();
    std::uint64_t local = 0;
    if (!deviceLocalOfUniversal(universal, local))
        return std::nullopt;
    const auto date = platform::systemTimeOfTicks(local);
    if (!date)
        return std::nullopt;
    const double minutes
        = double(std::int64_t(local - universal)) / double(cities::kTicksPerMinute);
    return Day { *date, std::round(minutes) / 60 };
}

std::optional<SunView::Day> SunView::shownDay() const
{
    if (!m_chosenDate)
        return today();
    const cities::CityRecord* city = m_database.currentCity();
    const SYSTEMTIME noon = noonOf(*m_chosenDate);
    return Day { noon, city ? cityZoneOffsetHours(*city, noon) : 0.0 };
}

void SunView::showInPicker()
{
    const auto day = shownDay();
    if (day && !sameDay(m_date->value(), day->date))
        m_date->setValue(day->date);
}

void SunView::pickDate()
{
    const auto picked = askDate(m_screen ? m_screen->window() : nullptr, m_date->value());
    if (!picked)
        return;
    const SYSTEMTIME& chosen = *picked;
    // Choosing today's date goes back to following today.
    const auto now = today();
    if (now && sameDay(now->date, chosen))
        showToday();
    else
        showDate(chosen);
    if (m_screen)
        m_screen->update();
}

QString SunView::cityName() const
{
    const cities::CityRecord* city = m_database.currentCity();
    return city ? ui::qText(cities::cityName(*city)) : QString();
}

std::array<QString, 2> SunView::lines() const
{
    QString rise = ui::qText(kNoRiseText);
    QString set = ui::qText(kNoSetText);
    const cities::CityRecord* city = m_database.currentCity();
    if (const auto day = shownDay(); city && day) {
        const auto texts = sunDayTexts(
            *city, day->date, day->zoneOffsetHours, int(store::settings().twilightKind));
        rise = texts.rise;
        set = texts.set;
    }
    return { ui::text(kSunriseLabel) + QStringLiteral("  ") + rise,
        ui::text(kSunsetLabel) + QStringLiteral("  ") + set };
}

void SunView::addStatusInputs(faces::StatusBarInputs& inputs) const
{
    const cities::CityRecord* city = m_database.currentCity();
    const auto day = today();
    if (!city || !day)
        return;
    const auto texts
        = sunDayTexts(*city, day->date, day->zoneOffsetHours, int(store::settings().twilightKind));
    // A missing event stays unknown to the bar, which shows its own "--:--" then.
    if (texts.times.riseMinutes >= 0)
        inputs.sunriseText = texts.rise.toStdU16String();
    if (texts.times.setMinutes >= 0)
        inputs.sunsetText = texts.set.toStdU16String();
}

std::vector<DrawnText> SunView::texts() const
{
    std::vector<DrawnText> shown;
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    const QString city = cityName();
    if (!city.isEmpty()) {
        const QFont font = ui::suiteFont(ui::FontRole::Bold13, m_geometry);
        shown.push_back({ m_cityRect, city, fittedFont(font, city, m_cityRect), left, false });
    }
    const auto both = lines();
    // Both lines in one size, the one the wider of them fits, so that they read alike.
    const QFont base = ui::suiteFont(ui::FontRole::Bold24, m_geometry);
    const std::size_t wider = textWidth(base, both[1]) > textWidth(base, both[0]) ? 1 : 0;
    const QFont font = fittedFont(base, both[wider], m_lineRects[wider]);
    for (std::size_t line = 0; line < 2; ++line)
        shown.push_back({ m_lineRects[line], both[line],
            fittedFont(font, both[line], m_lineRects[line]), left, false });
    return shown;
}

void SunView::perSecond(QPainter& painter, const app::ViewContext& context)
{
    refresh();
    showInPicker(); // today turns into tomorrow at midnight
    paint(painter, context);
}

void SunView::paint(QPainter& painter, const app::ViewContext& context)
{
    paintViewBackground(painter, m_skin, index(), context.area);
    if (m_skin.loaded()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const auto& icons = m_skin.statusIcons();
        const std::array<std::size_t, 2> frames { kSunriseIcon, kSunsetIcon };
        for (std::size_t line = 0; line < 2; ++line) {
            if (frames[line] < icons.size())
                painter.drawImage(m_iconRects[line], icons[frames[line]]);
        }
        if (!m_picture.isEmpty())
            painter.drawImage(m_picture, m_skin.imageOf(faces::skin::kSunPicture));
    }
    paintTexts(painter, m_skin, texts());
}

void SunView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    if (m_skin.loaded()) {
        const std::size_t iconCount = m_skin.statusIcons().size();
        for (std::size_t line = 0; line < 2; ++line) {
            if ((line == 0 ? kSunriseIcon : kSunsetIcon) < iconCount)
                report.addImage(m_iconRects[line]);
        }
        if (!m_picture.isEmpty())
            report.addImage(m_picture);
    }
    reportTexts(report, texts());
}

} // namespace astro

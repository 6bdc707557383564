#include "cities/view/world_time_view.h"

#include "cities/view/city_list.h"
#include "cities/view/world_map.h"
#include "cities/world_time.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/calendar.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/fitted_text.h"
#include "ui/layout_report.h"
#include "ui/qt_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace cities {

namespace {

constexpr int kWorldTimeViewIndex = 7;
constexpr std::int64_t kTicksPerMinuteSigned = std::int64_t(kTicksPerMinute);

// The look's map colours when it brings no maps: sea by day, and by night.
constexpr QRgb kPlainDay = qRgb(0x9c, 0xc4, 0xe4);
constexpr QRgb kPlainNight = qRgb(0x24, 0x34, 0x4c);

QString picture(const SYSTEMTIME& time, std::u16string_view pattern, platform::PictureKind kind)
{
    const auto text = platform::formatPicture(time, pattern, kind, platform::userLocale());
    return text ? ui::qText(*text) : QString();
}

// `font` fitted to `rect` for every line of `text`: as it is, condensed, then smaller.
QFont fitted(QFont font, const QString& text, const QRect& rect)
{
    const auto fits = [&](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        const QStringList lines = text.split(u'\n');
        int widest = 0;
        for (const auto& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        return widest <= rect.width() && metrics.height() * int(lines.size()) <= rect.height();
    };
    return ui::fittedFont(font, fits);
}

// The offset label on one line when it fits, else the name above its offset.
QString labelLines(const QString& label, const QFont& font, int width)
{
    if (QFontMetrics(font).horizontalAdvance(label) <= width)
        return label;
    const qsizetype split = label.lastIndexOf(QStringLiteral(" ("));
    if (split <= 0)
        return label;
    return label.left(split) + u'\n' + label.mid(split + 1);
}

// A city's local time as the view shows it: the weekday and the time with its seconds.
QString localTimeText(const CityRecord& city, std::uint64_t universalTicks)
{
    const SYSTEMTIME local = cityLocalTime(city, universalTicks);
    const bool use24Hour = platform::userLocale().use24Hour;
    return picture(local, u"ddd", platform::PictureKind::Date) + u' '
        + picture(local, use24Hour ? u"H':'mm':'ss" : u"h':'mm':'ss' 'tt", platform::PictureKind::Time);
}

store::CityRef storedRef(CityRef ref) { return { std::uint32_t(ref.continent), std::uint32_t(ref.index) }; }
CityRef chosenRef(store::CityRef ref) { return { std::int32_t(ref.continent), std::int32_t(ref.index) }; }

} // namespace

WorldTimeLayout worldTimeLayout(const ui::ScreenGeometry& g)
{
    WorldTimeLayout layout;
    const int width = app::viewWidth(g);
    const int top = g.scaled(22); // under the title
    const int columnWidth = (width - g.scaled(12)) / 2;
    const std::array<int, 2> columns { g.scaled(4), g.scaled(8) + columnWidth };
    const int chooserHeight = g.scaled(38);
    const int timeHeight = g.scaled(16);
    const int labelHeight = g.scaled(30);
    if (!(g.square || g.landscape)) {
        // Portrait: the whole map across the top, the two cities side by side under it.
        layout.map = QRect(0, top, width, width / 2);
        const int below = layout.map.bottom() + 1 + g.scaled(4);
        for (std::size_t city = 0; city < 2; ++city) {
            layout.chooser[city] = QRect(columns[city], below, columnWidth, chooserHeight);
            layout.time[city] = QRect(columns[city], below + chooserHeight + g.scaled(2), columnWidth, timeHeight);
            layout.label[city] = QRect(columns[city], layout.time[city].bottom() + 1, columnWidth, labelHeight);
        }
        return layout;
    }
    // Square and landscape: the two choosers side by side at the top, the map under them
    // and the cities' times in a column beside it.
    for (std::size_t city = 0; city < 2; ++city)
        layout.chooser[city] = QRect(columns[city], top, columnWidth, chooserHeight);
    const int mapTop = top + chooserHeight + g.scaled(4);
    const int bottom = g.scaled(165) - g.scaled(2);
    const int textWidth = g.scaled(g.square ? 92 : 112);
    const int mapWidth = std::min(width - textWidth - g.scaled(12), 2 * (bottom - mapTop));
    layout.map = QRect(g.scaled(4), mapTop, mapWidth, mapWidth / 2);
    const int textLeft = layout.map.right() + 1 + g.scaled(4);
    int y = mapTop;
    for (std::size_t city = 0; city < 2; ++city) {
        layout.time[city] = QRect(textLeft, y, textWidth, timeHeight);
        layout.label[city] = QRect(textLeft, y + timeHeight, textWidth, labelHeight);
        y = layout.label[city].bottom() + 1 + g.scaled(2);
    }
    return layout;
}

WorldTimeView::WorldTimeView(
    QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin, CityDatabase& database)
    : View(kWorldTimeViewIndex)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_layout(worldTimeLayout(geometry))
    , m_skin(skin)
    , m_database(database)
    , m_universalNow([] { return universalTicksNow(); })
{
    const auto& settings = store::settings();
    const std::array<store::CityRef, 2> stored { settings.cityChooserA, settings.cityChooserB };
    for (std::size_t city = 0; city < 2; ++city) {
        auto* chooser = new CityList(m_database, chosenRef(stored[city]), m_geometry, m_screen);
        chooser->setObjectName(city == 0 ? QStringLiteral("cityChooserA") : QStringLiteral("cityChooserB"));
        chooser->hide();
        QObject::connect(chooser, &CityList::cityPicked, chooser, [this] {
            storeChoices();
            m_composedMinute = -1;
            if (m_screen)
                m_screen->update();
        });
        m_choosers[city] = chooser;
    }
    placeChoosers();
    storeChoices(); // a choice that named no city is the first city now
}

WorldTimeView::~WorldTimeView()
{
    storeChoices();
    for (CityList* chooser : m_choosers)
        delete chooser;
}

void WorldTimeView::storeChoices() const
{
    // Without cities the choosers hold nothing worth keeping: the settings keep theirs.
    if (!m_database.available())
        return;
    auto& settings = store::settings();
    settings.cityChooserA = storedRef(m_choosers[0]->city());
    settings.cityChooserB = storedRef(m_choosers[1]->city());
}

void WorldTimeView::placeChoosers()
{
    for (std::size_t city = 0; city < 2; ++city) {
        CityList* chooser = m_choosers[city];
        chooser->setScreen(m_geometry);
        chooser->setGeometry(m_layout.chooser[city]);
        if (m_skin.loaded())
            chooser->setPalette(faces::skinPalette(m_skin, chooser->palette()));
    }
}

bool WorldTimeView::activate()
{
    refresh();
    for (CityList* chooser : m_choosers)
        chooser->show();
    return true;
}

void WorldTimeView::leave()
{
    storeChoices();
    for (CityList* chooser : m_choosers)
        chooser->hide();
}

void WorldTimeView::refresh()
{
    m_database.reloadIfChanged();
    bool moved = false;
    for (CityList* chooser : m_choosers)
        moved = chooser->follow() || moved;
    if (moved) {
        storeChoices();
        m_composedMinute = -1;
    }
}

void WorldTimeView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    m_layout = worldTimeLayout(geometry);
    m_day = QImage();
    m_night = QImage();
    m_composedMinute = -1;
    placeChoosers();
}

QString WorldTimeView::timeText(std::size_t which) const
{
    const CityRecord* city = m_choosers[which]->record();
    return city ? localTimeText(*city, m_universalNow()) : QStringLiteral("--:--");
}

QString WorldTimeView::labelText(std::size_t which) const
{
    const CityRecord* city = m_choosers[which]->record();
    return city ? ui::qText(offsetLabel(*city)) : QString();
}

std::vector<WorldTimeView::Text> WorldTimeView::texts(std::uint64_t universalTicks) const
{
    std::array<QString, 2> times;
    for (std::size_t which = 0; which < 2; ++which) {
        if (const CityRecord* city = m_choosers[which]->record())
            times[which] = localTimeText(*city, universalTicks);
    }
    // Both times in one font, the one that fits the wider of them, so that they read alike.
    const QFont timeBase = ui::suiteFont(ui::FontRole::Bold13, m_geometry);
    const QFontMetrics timeMetrics(timeBase);
    const std::size_t wider
        = timeMetrics.horizontalAdvance(times[1]) > timeMetrics.horizontalAdvance(times[0]) ? 1 : 0;
    const QFont timeFont = fitted(timeBase, times[wider], m_layout.time[wider]);
    std::vector<Text> shown;
    for (std::size_t which = 0; which < 2; ++which) {
        const CityRecord* city = m_choosers[which]->record();
        if (!city)
            continue;
        shown.push_back({ m_layout.time[which], times[which], timeFont, Qt::AlignLeft | Qt::AlignVCenter, false });
        const QRect& labelRect = m_layout.label[which];
        const QFont labelFont = ui::suiteFont(ui::FontRole::Normal12, m_geometry);
        const QString label = labelLines(ui::qText(offsetLabel(*city)), labelFont, labelRect.width());
        shown.push_back({ labelRect, label, fitted(labelFont, label, labelRect), Qt::AlignLeft | Qt::AlignTop, true });
    }
    return shown;
}

void WorldTimeView::prepareMapPictures()
{
    const QSize size = m_layout.map.size();
    const auto prepare = [&](int word, QRgb plain) {
        QImage picture = m_skin.loaded() ? m_skin.imageOf(word) : QImage();
        if (picture.isNull()) {
            picture = QImage(size, QImage::Format_RGB32);
            picture.fill(plain);
            return picture;
        }
        if (picture.size() != size)
            picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return picture.convertToFormat(QImage::Format_RGB32);
    };
    m_day = prepare(faces::skin::kDayMap, kPlainDay);
    m_night = prepare(faces::skin::kNightMap, kPlainNight);
}

const QImage& WorldTimeView::composedMap(std::uint64_t universalTicks)
{
    if (m_day.isNull() || m_day.size() != m_layout.map.size())
        prepareMapPictures();
    std::array<QPoint, 2> markers {};
    for (std::size_t which = 0; which < 2; ++which) {
        const CityRecord* city = m_choosers[which]->record();
        markers[which] = city ? mapPosition(*city, m_day.size()) : QPoint(-100, -100);
    }
    const std::int64_t minute = std::int64_t(universalTicks) / kTicksPerMinuteSigned;
    if (minute == m_composedMinute && markers == m_composedMarkers && !m_composed.isNull())
        return m_composed;
    const auto universal = platform::systemTimeOfTicks(universalTicks);
    drawDayAndNight(m_composed, m_day, m_night, universal ? &*universal : nullptr);
    const int scale = 1 << m_geometry.scaleShift;
    // The second city first, so that the first stays visible when both are one place.
    drawMapMarker(m_composed, markers[1], MapMarker::Second, scale);
    drawMapMarker(m_composed, markers[0], MapMarker::First, scale);
    m_composedMinute = minute;
    m_composedMarkers = markers;
    return m_composed;
}

void WorldTimeView::perSecond(QPainter& painter, const app::ViewContext& context)
{
    // Another program may have edited the cities since the last second.
    refresh();
    paint(painter, context);
}

void WorldTimeView::paint(QPainter& painter, const app::ViewContext& context)
{
    painter.fillRect(context.area, m_skin.loaded() ? m_skin.colour(faces::skin::kWindowColour) : QColor(Qt::white));
    if (m_skin.loaded()) {
        const int word = faces::skin::kFirstViewBackground + 5 * index();
        const QImage background = m_skin.imageOf(word);
        if (!background.isNull()) {
            const auto element = m_skin.element(word);
            painter.drawImage(QPoint(element.values[0], element.values[1]), background);
        }
    }
    const std::uint64_t now = m_universalNow();
    painter.drawImage(m_layout.map.topLeft(), composedMap(now));

    const QColor text = m_skin.loaded() ? m_skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QColor quiet = m_skin.loaded() ? m_skin.colour(faces::skin::kDateColour) : QColor(Qt::darkGray);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const Text& line : texts(now)) {
        painter.setPen(line.quiet ? quiet : text);
        painter.setFont(line.font);
        painter.drawText(line.rect, line.flags, line.text);
    }
}

void WorldTimeView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    report.addImage(m_layout.map);
    for (const Text& line : texts(m_universalNow()))
        report.addText(line.rect, line.text, line.font, line.flags);
}

} // namespace cities

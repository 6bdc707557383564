#include "astro/view/moon_view.h"

#include "app/view_list.h"
#include "astro/julian.h"
#include "astro/view/astro_strings.h"
#include "astro/view/drawn_text.h"
#include "cities/city_database.h"
#include "cities/world_time.h"
#include "faces/clock_text.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/calendar.h"
#include "platform/locale.h"
#include "ui/layout_report.h"
#include "ui/pickers.h"
#include "ui/qt_text.h"
#include "ui/resources.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace astro {

namespace {

constexpr int kFramesPerPhase = kMoonPictureCount / 4; // frame 0 new, 6 first quarter, ...
constexpr std::array<unsigned, 6> kFactLabels { kPhaseLabel, kVisibleLabel, kAgeLabel,
    kDistanceLabel, kApogeeLabel, kPerigeeLabel };

// The widest moment the pickers may have to show, for their widths.
SYSTEMTIME widestSample()
{
    SYSTEMTIME sample {};
    sample.wYear = 2028;
    sample.wMonth = 12;
    sample.wDay = 28;
    sample.wDayOfWeek = 4;
    sample.wHour = 22;
    sample.wMinute = 58;
    return sample;
}

QFont labelFont(const ui::ScreenGeometry& geometry)
{
    QFont font = ui::suiteFont(ui::FontRole::Normal12, geometry);
    font.setBold(true);
    return font;
}

// An apsis as the view writes it: the time (12-hour with AM/PM, or 24-hour where the
// locale has no AM/PM) and the date as "dd MMM yyyy".
QString apsisTime(double instant)
{
    const auto local = deviceLocalTimeOfJulianDay(instant);
    if (!local)
        return QStringLiteral("--:--");
    const auto& locale = platform::userLocale();
    const auto time = platform::formatPicture(*local,
        locale.use24Hour ? std::u16string_view(u"H':'mm") : std::u16string_view(u"h':'mm' 'tt"),
        platform::PictureKind::Time, locale);
    const auto date
        = platform::formatPicture(*local, u"dd MMM yyyy", platform::PictureKind::Date, locale);
    return (time ? ui::qText(*time).trimmed() : QString()) + u' '
        + (date ? ui::qText(*date) : QString());
}

QString kilometres(int distance)
{
    return QString::number(distance) + QStringLiteral(" km");
}

} // namespace

MoonLayout moonLayout(const ui::ScreenGeometry& g)
{
    MoonLayout layout;
    layout.compact = g.square || g.landscape;
    const int width = app::viewWidth(g);
    const int height = g.scaled(layout.compact ? 165 : 245);
    const int margin = g.scaled(4);
    layout.lineHeight = g.scaled(14);
    layout.iconSide = g.scaled(layout.compact ? 13 : 16);
    layout.heading = QRect(margin, g.scaled(22), width - 2 * margin, g.scaled(22));
    const int pictureTop = layout.heading.bottom() + 1 + g.scaled(3);
    const int side = g.scaled(layout.compact ? 70 : 80);
    layout.picture = QRect(margin, pictureTop, side, side);
    const int besideLeft = layout.picture.right() + 1 + g.scaled(8);
    layout.beside = QRect(besideLeft, pictureTop, width - margin - besideLeft, side);
    const int belowTop = layout.picture.bottom() + 1 + g.scaled(3);
    layout.below = QRect(margin, belowTop, width - 2 * margin, height - g.scaled(2) - belowTop);
    return layout;
}

MoonView::MoonView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
    cities::CityDatabase& database)
    : View(app::kMoonPhasesView)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_layout(moonLayout(geometry))
    , m_skin(skin)
    , m_database(database)
    , m_universalNow([] { return cities::universalTicksNow(); })
{
    m_date = new ui::DatePicker(m_screen);
    m_date->setObjectName(QStringLiteral("moonDate"));
    m_time = new ui::TimePicker(m_screen);
    m_time->setObjectName(QStringLiteral("moonTime"));
    m_time->setPicture(ui::qText(faces::timePictureWithoutSeconds(platform::userLocale())));
    for (QWidget* picker : { static_cast<QWidget*>(m_date), static_cast<QWidget*>(m_time) })
        picker->hide();
    QObject::connect(m_date, &ui::PictureField::activated, m_date, [this] { pickDate(); });
    QObject::connect(m_time, &ui::PictureField::activated, m_time, [this] { pickTime(); });
    placePickers();
}

MoonView::~MoonView()
{
    delete m_date;
    delete m_time;
}

void MoonView::placePickers()
{
    const QFont font = ui::suiteFont(ui::FontRole::Normal12, m_geometry);
    const SYSTEMTIME sample = widestSample();
    int widths[2] {};
    int index = 0;
    for (ui::PictureField* picker :
        { static_cast<ui::PictureField*>(m_date), static_cast<ui::PictureField*>(m_time) }) {
        picker->setFont(font);
        if (m_skin.loaded())
            picker->setPalette(faces::skinPalette(m_skin, picker->palette()));
        const SYSTEMTIME kept = picker->value();
        picker->setValue(sample);
        widths[index++] = picker->sizeHint().width() + m_geometry.scaled(2);
        picker->setValue(kept);
    }
    const QRect& heading = m_layout.heading;
    const int gap = m_geometry.scaled(3);
    const int height = std::min(heading.height(), m_date->sizeHint().height());
    const int top = heading.top() + (heading.height() - height) / 2;
    m_time->setGeometry(heading.right() + 1 - widths[1], top, widths[1], height);
    m_date->setGeometry(m_time->x() - gap - widths[0], top, widths[0], height);
    showInPickers();
}

bool MoonView::activate()
{
    refresh();
    showInPickers();
    m_date->show();
    m_time->show();
    return true;
}

void MoonView::leave()
{
    showPresent();
    m_date->hide();
    m_time->hide();
}

void MoonView::refresh()
{
    // Another program (tkwctl, a city edit of the Edit Cities page) may have changed the
    // current city, and with it the hemisphere the Moon is seen from.
    m_database.reloadIfChanged();
}

void MoonView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    m_layout = moonLayout(geometry);
    m_frames.clear();
    m_background = QImage();
    m_icons = {};
    placePickers();
}

void MoonView::showMoment(const SYSTEMTIME& deviceLocal)
{
    if (const auto ticks = platform::ticksOfSystemTime(deviceLocal))
        m_chosenLocalTicks = *ticks;
    showInPickers();
    if (m_screen)
        m_screen->update();
}

void MoonView::showPresent()
{
    m_chosenLocalTicks.reset();
    showInPickers();
}

std::uint64_t MoonView::shownLocalTicks() const
{
    if (m_chosenLocalTicks)
        return *m_chosenLocalTicks;
    std::uint64_t local = 0;
    return deviceLocalOfUniversal(m_universalNow(), local) ? local : m_universalNow();
}

std::optional<SYSTEMTIME> MoonView::shownUniversal() const
{
    // The user picks a moment on the device's clock; the series want universal time.
    std::uint64_t universal = m_universalNow();
    if (m_chosenLocalTicks && !deviceUniversalOfLocal(*m_chosenLocalTicks, universal))
        universal = *m_chosenLocalTicks;
    return platform::systemTimeOfTicks(universal);
}

void MoonView::showInPickers()
{
    const auto local = platform::systemTimeOfTicks(shownLocalTicks());
    if (!local)
        return;
    SYSTEMTIME shown = *local;
    shown.wSecond = 0;
    shown.wMilliseconds = 0;
    const SYSTEMTIME& before = m_date->value();
    // The pickers are drawn again only when the minute changed.
    if (before.wYear != shown.wYear || before.wMonth != shown.wMonth || before.wDay != shown.wDay
        || before.wHour != shown.wHour || before.wMinute != shown.wMinute) {
        m_date->setValue(shown);
        m_time->setValue(shown);
    }
}

void MoonView::pickDate()
{
    if (auto chosen = askDate(m_screen ? m_screen->window() : nullptr, m_date->value())) {
        chosen->wHour = m_time->value().wHour;
        chosen->wMinute = m_time->value().wMinute;
        showMoment(*chosen);
    }
}

void MoonView::pickTime()
{
    const auto chosen = askTimeOfDay(
        m_screen ? m_screen->window() : nullptr, ui::text(kMoonAtHeading), m_time->value());
    if (chosen)
        showMoment(atTimeOfDay(m_date->value(), chosen->wHour, chosen->wMinute));
}

MoonFacts MoonView::facts() const
{
    MoonFacts facts;
    const auto universal = shownUniversal();
    if (!universal)
        return facts;
    // Everything is worked out afresh for each drawing: the series take microseconds.
    const MoonReport report = moonReport(*universal);
    facts.south = seenFromTheSouth(m_database.currentCity());
    facts.picture = hemispherePicture(report.text.picture, facts.south);
    facts.phaseName = ui::text(unsigned(report.text.nameId));
    facts.visible = QString::number(report.position.visiblePercent) + u'%';
    facts.age = ui::qText(report.text.age);
    facts.distance = kilometres(report.position.distanceKm);
    facts.apogee = apsisTime(report.apsides.apogee);
    facts.apogeeDistance = kilometres(report.apsides.apogeeDistanceKm);
    facts.perigee = apsisTime(report.apsides.perigee);
    facts.perigeeDistance = kilometres(report.apsides.perigeeDistanceKm);
    for (std::size_t n = 0; n < 4; ++n) {
        const Phase& phase = report.phases.phases[n];
        facts.phases[n] = phase.kind;
        facts.icons[n] = hemispherePhaseIcon(phase.kind, facts.south);
        if (const auto local = deviceLocalTimeOfJulianDay(phase.instant)) {
            facts.phaseTimes[n] = shortTimeText(*local);
            facts.phaseDates[n] = shortDateText(*local);
        }
    }
    return facts;
}

std::vector<DrawnText> MoonView::texts(const MoonFacts& facts) const
{
    const auto& g = m_geometry;
    const QFont label = labelFont(g);
    const QFont value = ui::suiteFont(ui::FontRole::Normal12, g);
    const int gap = g.scaled(4);
    std::vector<DrawnText> shown;
    const auto add = [&](const QRect& rect, const QString& text, const QFont& font, int flags,
                         bool quiet = false) {
        shown.push_back({ rect, text, fittedFont(font, text, rect), flags, quiet });
    };
    const int left = Qt::AlignLeft | Qt::AlignVCenter;

    // "The Moon at", then the pickers showing the moment.
    const QRect heading(m_layout.heading.left(), m_layout.heading.top(),
        std::max(0, m_date->x() - gap - m_layout.heading.left()), m_layout.heading.height());
    add(heading, ui::text(kMoonAtHeading), label, left);

    // The facts in two columns: labels as wide as the widest of them (at most 45% of the
    // rows), values in the rest.
    const auto factRows = [&](QRect area, int rowHeight, std::size_t first, std::size_t end,
                              bool apsidesOnTwoLines) {
        int labelWidth = 0;
        for (const unsigned id : kFactLabels)
            labelWidth = std::max(labelWidth, textWidth(label, ui::text(id)));
        labelWidth = std::min(labelWidth + g.scaled(2), area.width() * 45 / 100);
        const int valueLeft = area.left() + labelWidth + gap;
        const int valueWidth = area.right() + 1 - valueLeft;
        const std::array<QString, 6> values { facts.phaseName, facts.visible, facts.age,
            facts.distance, facts.apogee + QStringLiteral("  ") + facts.apogeeDistance,
            facts.perigee + QStringLiteral("  ") + facts.perigeeDistance };
        int y = area.top();
        for (std::size_t row = first; row < end; ++row) {
            QString text = values[row];
            int lines = 1;
            if (row >= 4 && apsidesOnTwoLines && textWidth(value, text) > valueWidth) {
                text = (row == 4 ? facts.apogee : facts.perigee) + u'\n'
                    + (row == 4 ? facts.apogeeDistance : facts.perigeeDistance);
                lines = 2;
            }
            add(QRect(area.left(), y, labelWidth, rowHeight), ui::text(kFactLabels[row]), label,
                left);
            add(QRect(valueLeft, y, valueWidth, rowHeight * lines), text, value,
                lines == 1 ? left : Qt::AlignLeft | Qt::AlignTop);
            y += rowHeight * lines;
        }
    };
    // One listed phase: its icon (drawn by paint), its date and time.
    const auto phaseRow = [&](const QRect& row, std::size_t phase) {
        const QRect text(row.left() + m_layout.iconSide + gap, row.top(),
            row.width() - m_layout.iconSide - gap, row.height());
        add(text, facts.phaseDates[phase] + QStringLiteral("  ") + facts.phaseTimes[phase], value,
            left);
    };

    if (!m_layout.compact) {
        const int rowHeight = m_layout.beside.height() / 4;
        for (std::size_t phase = 0; phase < 4; ++phase)
            phaseRow(QRect(m_layout.beside.left(), m_layout.beside.top() + int(phase) * rowHeight,
                         m_layout.beside.width(), rowHeight),
                phase);
        factRows(m_layout.below, m_layout.lineHeight, 0, 6, true);
        return shown;
    }
    // Compact: the first four facts beside the picture, the apsides under it, then the
    // first and the third phase side by side.
    factRows(m_layout.beside, m_layout.beside.height() / 4, 0, 4, false);
    const QRect& below = m_layout.below;
    factRows(below, m_layout.lineHeight, 4, 6, false);
    const int half = (below.width() - gap) / 2;
    const int top = below.top() + 2 * m_layout.lineHeight;
    phaseRow(QRect(below.left(), top, half, below.bottom() + 1 - top), 0);
    phaseRow(QRect(below.left() + half + gap, top, half, below.bottom() + 1 - top), 2);
    return shown;
}

std::vector<std::pair<QRect, int>> MoonView::icons(const MoonFacts& facts) const
{
    const int side = m_layout.iconSide;
    std::vector<std::pair<QRect, int>> placed;
    const auto at = [&](const QRect& row, std::size_t phase) {
        placed.emplace_back(QRect(row.left(), row.top() + (row.height() - side) / 2, side, side),
            int(facts.icons[phase]));
    };
    if (!m_layout.compact) {
        const int rowHeight = m_layout.beside.height() / 4;
        for (std::size_t phase = 0; phase < 4; ++phase)
            at(QRect(m_layout.beside.left(), m_layout.beside.top() + int(phase) * rowHeight, side,
                   rowHeight),
                phase);
        return placed;
    }
    const QRect& below = m_layout.below;
    const int gap = m_geometry.scaled(4);
    const int half = (below.width() - gap) / 2;
    const int top = below.top() + 2 * m_layout.lineHeight;
    at(QRect(below.left(), top, side, below.bottom() + 1 - top), 0);
    at(QRect(below.left() + half + gap, top, side, below.bottom() + 1 - top), 2);
    return placed;
}

void MoonView::prepareFrames() const
{
    if (!m_frames.empty() || !m_skin.loaded())
        return;
    const QImage first = m_skin.imageOf(faces::skin::kMoonStrip);
    if (first.isNull())
        return;
    // A second strip holds frames 12-23; without it the first holds all 24.
    const QImage second = m_skin.imageOf(faces::skin::kMoonStripSecond);
    const bool twoStrips = !second.isNull();
    const int frameWidth = first.width() / (twoStrips ? kMoonPictureCount / 2 : kMoonPictureCount);
    const int height = first.height();
    if (frameWidth <= 0 || height <= 0)
        return;
    const auto frameOf = [&](int n) {
        const bool inSecond = twoStrips && n >= kMoonPictureCount / 2;
        const int x = (twoStrips ? n % (kMoonPictureCount / 2) : n) * frameWidth;
        return (inSecond ? second : first)
            .copy(x, 0, frameWidth, height)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    // Frames with transparency are laid on white, which an AND of colours leaves as it is.
    m_frames.reserve(kMoonPictureCount);
    for (int n = 0; n < kMoonPictureCount; ++n) {
        QImage flat(frameWidth, height, QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, frameOf(n));
        m_frames.push_back(flat);
    }
    QImage background = m_skin.imageOf(faces::skin::kMoonBackground);
    if (!background.isNull()) {
        m_background
            = background.scaled(frameWidth, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_RGB32);
    } else {
        // A look without a background of its own: its window colour with a white disc where
        // the full moon lies, so that the AND leaves the Moon as drawn on any window colour
        // (a dark look would otherwise swallow it).
        m_background = QImage(frameWidth, height, QImage::Format_RGB32);
        m_background.fill(m_skin.colour(faces::skin::kWindowColour));
        QImage disc = frameOf(kMoonPictureCount / 2);
        {
            QPainter painter(&disc);
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(disc.rect(), Qt::white);
        }
        QPainter painter(&m_background);
        painter.drawImage(0, 0, disc);
    }
    for (int kind = 0; kind < 4; ++kind)
        m_icons[std::size_t(kind)] = frameOf(kind * kFramesPerPhase)
                                         .scaled(m_layout.iconSide, m_layout.iconSide,
                                             Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage MoonView::composedPicture(int index) const
{
    prepareFrames();
    if (m_frames.empty() || index < 0 || index >= kMoonPictureCount)
        return {};
    // The background first, then the frame ANDed onto it.
    QImage picture = m_background.copy();
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(0, 0, m_frames[std::size_t(index)]);
    return picture;
}

void MoonView::perSecond(QPainter& painter, const app::ViewContext& context)
{
    refresh();
    showInPickers();
    paint(painter, context);
}

void MoonView::paint(QPainter& painter, const app::ViewContext& context)
{
    paintViewBackground(painter, m_skin, index(), context.area);
    const MoonFacts shown = facts();
    const QImage picture = composedPicture(shown.picture);
    if (!picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(m_layout.picture, picture);
        for (const auto& [rect, kind] : icons(shown))
            painter.drawImage(rect, m_icons[std::size_t(kind)]);
    }
    paintTexts(painter, m_skin, texts(shown));
}

void MoonView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    const MoonFacts shown = facts();
    prepareFrames();
    if (!m_frames.empty()) {
        report.addImage(m_layout.picture);
        for (const auto& placed : icons(shown))
            report.addImage(placed.first);
    }
    reportTexts(report, texts(shown));
}

} // namespace astro

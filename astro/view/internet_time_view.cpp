#include "astro/view/internet_time_view.h"

#include "app/clock_views.h"
#include "astro/beat.h"
#include "astro/view/drawn_text.h"
#include "faces/skin.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/drop_list.h"
#include "ui/fitted_text.h"
#include "ui/layout_report.h"
#include "ui/pickers.h"
#include "ui/qt_text.h"
#include "ui/resources.h"

#include <QFontMetrics>
#include <QPainter>
#include <QSpinBox>
#include <algorithm>
#include <array>

namespace astro {

namespace {

constexpr int kInternetTimeViewIndex = 11;

// The view's strings.
constexpr unsigned kDirectionList
    = 40105; // "Internet time from standard time\Standard time from internet time\."
constexpr unsigned kDateLabel = 40245; // "Date:"
constexpr unsigned kTimeLabel = 40255; // "Time:"
constexpr unsigned kInternetTimeLabel = 40265; // "Internet Time:"
constexpr unsigned kStandardTimeLabel = 40385; // "Standart Time:"
constexpr unsigned kBeatInputLabel = 40395; // "I-net Time:"

// The drop list's title, bold, in its room beside the arrow box (as the list draws it).
QFont listFont(const QFont& base, const QStringList& names, int width)
{
    const int room = width - 16 - 2 * 4 - 1;
    const auto fits = [&](const QFont& font) {
        QFont bold = font;
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        return std::all_of(names.begin(), names.end(),
            [&](const QString& name) { return metrics.horizontalAdvance(name) <= room; });
    };
    return ui::fittedFont(base, fits);
}

} // namespace

InternetTimeView::InternetTimeView(
    QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin)
    : View(kInternetTimeViewIndex)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_skin(skin)
    , m_directions(new ui::DropList(screen))
    , m_date(new ui::DatePicker(screen))
    , m_time(new ui::TimePicker(screen))
    , m_beat(new QSpinBox(screen))
{
    m_directions->setObjectName(QStringLiteral("ConverterDirection"));
    m_date->setObjectName(QStringLiteral("InternetTimeDate"));
    m_time->setObjectName(QStringLiteral("InternetTimeTime"));
    m_beat->setObjectName(QStringLiteral("InternetTimeBeat"));
    m_directions->setItems(ui::list(kDirectionList));
    m_beat->setRange(0, kBeatsPerDay - 1);
    m_beat->setAlignment(Qt::AlignRight);
    // The pickers start on the present moment; the time without seconds, as the result.
    const SYSTEMTIME now = platform::localNow();
    m_date->setValue(now);
    m_time->setValue(now);
    m_time->setPicture(platform::userLocale().use24Hour ? QStringLiteral("H':'mm")
                                                        : QStringLiteral("h':'mm' 'tt"));
    if (const auto beat = beatOfLocal(now))
        m_beat->setValue(*beat);
    showControls(false);

    // A damaged settings record may hold any byte: anything but the second direction is
    // the first.
    m_direction = store::settings().viewOption1 == 1 ? ConverterDirection::FromBeats
                                                     : ConverterDirection::ToBeats;
    m_directions->setCurrentIndex(int(m_direction));

    const auto repaint = [this] {
        if (m_screen)
            m_screen->update();
    };
    QObject::connect(m_directions, &ui::DropList::selected, m_directions, [this](int index) {
        setDirection(index == 1 ? ConverterDirection::FromBeats : ConverterDirection::ToBeats);
    });
    openDialogsOnTap(*m_date, *m_time, m_screen, kTimeLabel);
    QObject::connect(m_beat, &QSpinBox::valueChanged, m_beat, repaint);
    place();
}

InternetTimeView::~InternetTimeView()
{
    delete m_directions;
    delete m_date;
    delete m_time;
    delete m_beat;
}

void InternetTimeView::setDirection(ConverterDirection direction)
{
    m_direction = direction;
    m_directions->setCurrentIndex(int(direction));
    // Kept in the settings, which are written at exit and with every other saved choice.
    store::settings().viewOption1 = std::uint8_t(direction);
    if (m_shown)
        showControls(true);
    if (m_screen)
        m_screen->update();
}

InternetTimeView::Layout InternetTimeView::layOut() const
{
    const auto& g = m_geometry;
    const int width = app::viewWidth(g);
    const bool wide = g.square || g.landscape;
    const int margin = g.scaled(4);
    const int row = g.scaled(18);
    const int pitch = g.scaled(24);
    // The labels' column: as wide as the widest label needs, at most half the view.
    const QFont labelFont = ui::suiteFont(ui::FontRole::Normal12, g);
    int labelWidth = 0;
    for (const unsigned id : { kDateLabel, kTimeLabel, kStandardTimeLabel, kBeatInputLabel })
        labelWidth
            = std::max(labelWidth, QFontMetrics(labelFont).horizontalAdvance(ui::text(id)) + 2);
    labelWidth = std::min(labelWidth, (width - 2 * margin) / 2);
    const int valueLeft = margin + labelWidth + g.scaled(4);
    const int valueWidth = width - margin - valueLeft;

    Layout layout;
    int y = g.scaled(26);
    if (wide) {
        // The present beat on the first line beside its label.
        layout.currentLabel = QRect(margin, y, labelWidth + g.scaled(40), g.scaled(26));
        layout.currentBeat = QRect(layout.currentLabel.right() + 1 + g.scaled(4), y,
            width - margin - layout.currentLabel.right() - 1 - g.scaled(4), g.scaled(26));
        y += g.scaled(30);
    } else {
        layout.currentLabel = QRect(margin, y, width - 2 * margin, row);
        layout.currentBeat = QRect(margin, y + row, width - 2 * margin, g.scaled(46));
        y += row + g.scaled(50);
    }
    layout.directions = QRect(margin, y, width - 2 * margin, row);
    y += pitch;
    layout.dateLabel = QRect(margin, y, labelWidth, row);
    layout.date = QRect(valueLeft, y, valueWidth, row);
    y += pitch;
    layout.inputLabel = QRect(margin, y, labelWidth, row);
    layout.input = QRect(valueLeft, y, std::min(valueWidth, g.scaled(96)), g.scaled(20));
    y += pitch;
    layout.resultLabel = QRect(margin, y, labelWidth, g.scaled(20));
    layout.result = QRect(valueLeft, y, valueWidth, g.scaled(20));
    return layout;
}

void InternetTimeView::place()
{
    const Layout layout = layOut();
    const QFont font = ui::suiteFont(ui::FontRole::Normal12, m_geometry);
    m_directions->setGeometry(layout.directions);
    m_directions->setFont(listFont(font, m_directions->items(), layout.directions.width()));
    m_date->setGeometry(layout.date);
    m_time->setGeometry(
        layout.input.left(), layout.input.top(), layout.date.width(), layout.dateLabel.height());
    m_beat->setGeometry(layout.input);
    for (QWidget* control : { static_cast<QWidget*>(m_date), static_cast<QWidget*>(m_time),
             static_cast<QWidget*>(m_beat) })
        control->setFont(font);
    if (m_skin.loaded()) {
        for (QWidget* control :
            { static_cast<QWidget*>(m_directions), static_cast<QWidget*>(m_date),
                static_cast<QWidget*>(m_time), static_cast<QWidget*>(m_beat) })
            control->setPalette(faces::skinPalette(m_skin, control->palette()));
    }
}

void InternetTimeView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    place();
}

void InternetTimeView::showControls(bool shown)
{
    m_directions->setVisible(shown);
    m_date->setVisible(shown);
    m_time->setVisible(shown && m_direction == ConverterDirection::ToBeats);
    m_beat->setVisible(shown && m_direction == ConverterDirection::FromBeats);
}

bool InternetTimeView::activate()
{
    m_shown = true;
    showControls(true);
    return true;
}

void InternetTimeView::leave()
{
    m_shown = false;
    showControls(false);
}

SYSTEMTIME InternetTimeView::pickedMoment() const
{
    return astro::pickedMoment(*m_date, *m_time);
}

QString InternetTimeView::currentBeatText() const
{
    return ui::qText(beatText(kBeatNow));
}

QString InternetTimeView::resultText() const
{
    if (m_direction == ConverterDirection::ToBeats) {
        const auto beat = beatOfLocal(pickedMoment());
        return beat ? ui::qText(beatText(*beat)) : QStringLiteral("---");
    }
    const auto local = localOfBeat(m_beat->value(), m_date->value());
    return local ? shortTimeText(*local) : QStringLiteral("--:--");
}

std::vector<DrawnText> InternetTimeView::texts() const
{
    const auto& g = m_geometry;
    const Layout layout = layOut();
    const bool wide = g.square || g.landscape;
    const QFont label = ui::suiteFont(ui::FontRole::Normal12, g);
    const QFont bold = ui::suiteFont(ui::FontRole::Bold13, g);
    std::vector<DrawnText> shown;
    const auto add
        = [&](const QRect& rect, const QString& text, const QFont& font, int flags, bool quiet) {
              shown.push_back({ rect, text, fittedFont(font, text, rect), flags, quiet });
          };
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    add(layout.currentLabel, ui::text(kInternetTimeLabel), bold, left, false);
    add(layout.currentBeat, currentBeatText(),
        ui::suiteFont(wide ? ui::FontRole::Bold24 : ui::FontRole::BoldLarge, g),
        (wide ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter, false);
    add(layout.dateLabel, ui::text(kDateLabel), label, left, true);
    const bool toBeats = m_direction == ConverterDirection::ToBeats;
    add(layout.inputLabel, ui::text(toBeats ? kTimeLabel : kBeatInputLabel), label, left, true);
    add(layout.resultLabel, ui::text(toBeats ? kInternetTimeLabel : kStandardTimeLabel), label,
        left, true);
    add(layout.result, resultText(), bold, left, false);
    return shown;
}

void InternetTimeView::paint(QPainter& painter, const app::ViewContext& context)
{
    app::paintViewBackground(painter, m_skin, index(), context);
    paintTexts(painter, m_skin, texts());
}

void InternetTimeView::reportLayout(ui::LayoutReport& report, const app::ViewContext&) const
{
    reportTexts(report, texts());
}

} // namespace astro

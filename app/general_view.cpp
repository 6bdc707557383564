#include "app/general_view.h"

#include "alarms/alarm_board.h"
#include "app/clock_views.h"
#include "app/year_counter.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/layout_report.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace app {

namespace {

using platform::localNow;

QString picture(const SYSTEMTIME& time, std::u16string_view pattern, platform::PictureKind kind,
    const platform::LocaleInfo& locale = platform::userLocale())
{
    const auto text = platform::formatPicture(time, pattern, kind, locale);
    return text ? QString::fromStdU16String(*text) : QString();
}

QDate dateOf(const SYSTEMTIME& time) { return QDate(time.wYear, time.wMonth, time.wDay); }

// Square and landscape screens keep a column of text left of the calendar; on square ones
// it is narrower, so that the calendar keeps a usable width.
int columnWidth(const ui::ScreenGeometry& g) { return g.scaled(g.square ? 80 : 112); }

// The year counter: one row across the bottom of the view.
QRect counterArea(const ui::ScreenGeometry& g)
{
    const int left = g.scaled(g.square || g.landscape ? 8 : 6);
    const int height = g.scaled(26);
    const int bottom = g.scaled(g.square || g.landscape ? 165 : 245);
    return { left, bottom - height, viewWidth(g) - left - g.scaled(6), height };
}

// The calendar takes the rest of the view above the counter. Portrait: under the clock.
// Square and landscape: right of the column, from under the title area down.
QRect calendarArea(const ui::ScreenGeometry& g)
{
    const int width = viewWidth(g);
    const int bottom = counterArea(g).top() - g.scaled(2);
    if (!(g.square || g.landscape))
        return { g.scaled(6), g.scaled(103), width - g.scaled(12), bottom - g.scaled(103) };
    const int left = g.scaled(8) + columnWidth(g) + g.scaled(2);
    return { left, g.scaled(22), width - left - g.scaled(4), bottom - g.scaled(22) };
}

// `font` made smaller until every line of `text` fits `width`, and all its lines `height`
// when given (not below 8 pixels).
QFont fitted(QFont font, const QString& text, int width, int height = 0)
{
    const auto widest = [&] {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const auto& line : text.split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        return widest;
    };
    const auto tall = [&] {
        return QFontMetrics(font).boundingRect(QRect(0, 0, width, 1 << 16), Qt::AlignLeft | Qt::AlignTop, text).height();
    };
    while (font.pixelSize() > 8 && (widest() > width || (height > 0 && tall() > height)))
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace

GeneralViewTime generalViewTime(const SYSTEMTIME& now, const platform::LocaleInfo& locale)
{
    if (locale.use24Hour)
        return { picture(now, u"H':'mm", platform::PictureKind::Time, locale), QString() };
    return { picture(now, u"h':'mm", platform::PictureKind::Time, locale),
        picture(now, u"tt", platform::PictureKind::Time, locale) };
}

GeneralView::GeneralView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin, alarms::AlarmBoard& board)
    : View(0)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_skin(skin)
    , m_board(board)
{
    GeneralView::rebuild(geometry);
}

GeneralView::~GeneralView()
{
    delete m_calendar;
    delete m_counter;
}

void GeneralView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    m_clock = m_skin.loaded() ? std::make_unique<faces::SmallAnalogClock>(m_skin) : nullptr;
    if (m_calendar) {
        const bool shown = m_calendar->isVisible();
        build();
        m_calendar->setVisible(shown);
        m_counter->setVisible(shown);
    }
}

void GeneralView::build()
{
    delete m_calendar;
    m_calendar = makeCalendar();
    const auto& g = m_geometry;
    const QRect area = calendarArea(g);
    const QColor accent = m_skin.loaded() ? m_skin.colour(faces::skin::kHighlightColour) : QColor(0xe8, 0x60, 0x2c);
    const QColor text = m_skin.loaded() ? m_skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QColor band = m_skin.loaded() ? m_skin.colour(faces::skin::kLineColour) : QColor(0xdd, 0xe1, 0xe6);
    const QColor onAccent = m_skin.loaded() ? m_skin.colour(faces::skin::kHighlightTextColour) : QColor(Qt::white);
    // The days' ground, figures and headers take the look's palette (days of the months
    // either side keep their muted figures).
    if (m_skin.loaded())
        m_calendar->setPalette(faces::skinPalette(m_skin, m_calendar->palette()));
    const QString sheet
        = QStringLiteral("QCalendarWidget QAbstractItemView { selection-background-color: %1; selection-color: %4; }"
                         "QCalendarWidget QWidget#qt_calendar_navigationbar { background-color: %2; }"
                         "QCalendarWidget QToolButton { color: %3; background: transparent; font-weight: bold; }"
                         // The month's name opens its list on a tap; no arrow runs into the name.
                         "QCalendarWidget QToolButton::menu-indicator { image: none; width: 0px; }")
              .arg(accent.name(), band.name(), text.name(), onAccent.name());
    // The suite's font first; where the calendar's least size does not fit, a condensed one
    // (when only the width is short), then a size smaller, down to two thirds of it. The
    // style sheet fixes the fonts of the calendar's parts: it is laid on again after each.
    const QFont base = ui::suiteFont(ui::FontRole::Normal12, g);
    const int smallest = std::max(1, base.pixelSize() * 2 / 3);
    bool fits = false;
    for (int size = base.pixelSize(); size >= smallest && !fits; --size) {
        for (const int stretch : { int(QFont::Unstretched), int(QFont::Condensed) }) {
            QFont font = base;
            font.setPixelSize(size);
            font.setStretch(stretch);
            if (!m_calendar->styleSheet().isEmpty())
                m_calendar->setStyleSheet(QString());
            m_calendar->setFont(font);
            m_calendar->setStyleSheet(sheet);
            const QSize least = m_calendar->minimumSizeHint();
            fits = least.width() <= area.width() && least.height() <= area.height();
            // A condensed font is no lower: when the height is short, only a smaller size helps.
            if (fits || least.height() > area.height())
                break;
        }
    }
    // The day grid keeps the palette its style sheet gave it when first polished: it takes
    // the look's colours itself (its selection colours are the look's highlight already).
    if (m_skin.loaded()) {
        if (auto* days = m_calendar->findChild<QAbstractItemView*>())
            days->setPalette(faces::skinPalette(m_skin, days->palette()));
    }
    m_calendar->setGeometry(area);
    m_shownDay = QDate();
    showToday();

    // The year counter keeps its choices when the screen turns.
    const SYSTEMTIME now = localNow();
    auto* counter = new YearCounterBox(g, now, m_screen);
    counter->hide();
    if (m_counter) {
        counter->setUnit(m_counter->unit());
        counter->setYear(m_counter->year());
        delete m_counter;
    }
    m_counter = counter;
    if (m_skin.loaded())
        m_counter->setPalette(faces::skinPalette(m_skin, m_counter->palette()));
    m_counter->setGeometry(counterArea(g));
}

QCalendarWidget* GeneralView::makeCalendar() const
{
    auto* calendar = new QCalendarWidget(m_screen);
    calendar->hide();
    calendar->setObjectName(QStringLiteral("MonthCalendar"));
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    calendar->setGridVisible(false);
    const auto& locale = platform::userLocale();
    calendar->setFirstDayOfWeek(locale.firstDayOfWeek == 6 ? Qt::Sunday : Qt::Monday);
    calendar->setLocale(QLocale(QString::fromStdString(locale.name)));
    // Plain arrows in the look's colours instead of the platform's icons.
    for (const char* name : { "qt_calendar_prevmonth", "qt_calendar_nextmonth" }) {
        if (auto* arrow = calendar->findChild<QToolButton*>(QLatin1String(name))) {
            arrow->setIcon(QIcon());
            arrow->setArrowType(QLatin1String(name) == QLatin1String("qt_calendar_prevmonth") ? Qt::LeftArrow : Qt::RightArrow);
        }
    }
    return calendar;
}

void GeneralView::showToday()
{
    const QDate today = dateOf(localNow());
    if (!m_calendar || today == m_shownDay)
        return;
    m_shownDay = today;
    m_calendar->setSelectedDate(today);
    m_calendar->setCurrentPage(today.year(), today.month());
}

bool GeneralView::activate()
{
    if (!m_calendar)
        build();
    showToday();
    m_calendar->show();
    m_counter->setNow(localNow());
    m_counter->show();
    return true;
}

void GeneralView::leave()
{
    if (m_calendar)
        m_calendar->hide();
    if (m_counter)
        m_counter->hide();
}

GeneralView::Drawn GeneralView::layOut(const SYSTEMTIME& now) const
{
    const auto& g = m_geometry;
    const auto& locale = platform::userLocale();
    Drawn drawn;
    const auto addText = [&](QRect rect, QString text, QFont font, int flags, bool quiet) {
        drawn.texts.push_back({ rect, std::move(text), std::move(font), flags, quiet });
    };

    // Portrait: the small clock with the time and weekday beside it, then the next alarm
    // and today's date and week. Square and landscape screens keep a column left of the
    // calendar: time, weekday, next alarm, today and week.
    const bool wide = g.square || g.landscape;
    if (m_clock && !wide)
        drawn.dial = QRect(g.scaled(8), g.scaled(28), g.scaled(56), g.scaled(56));
    QRect timeRect = wide ? QRect(g.scaled(8), g.scaled(24), columnWidth(g), g.scaled(36))
                          : QRect(g.scaled(72), g.scaled(24), viewWidth(g) - g.scaled(78), g.scaled(36));
    const GeneralViewTime bigTime = generalViewTime(now, locale);
    const QFont amPmFont = ui::suiteFont(ui::FontRole::Bold14, g);
    const int amPmGap = g.scaled(3);
    const int amPmWidth
        = bigTime.amPm.isEmpty() ? 0 : amPmGap + QFontMetrics(amPmFont).horizontalAdvance(bigTime.amPm);
    // AM or PM keeps its size beside the digits; the digits give way when both do not fit.
    QFont timeFont = ui::suiteFont(ui::FontRole::Bold32, g);
    while (timeFont.pixelSize() > 8
        && QFontMetrics(timeFont).horizontalAdvance(QStringLiteral("00:00")) + amPmWidth > timeRect.width())
        timeFont.setPixelSize(timeFont.pixelSize() - 1);
    const QFontMetrics digits(timeFont);
    const QFontMetrics small(amPmFont);
    // A line taller than the box grows upwards, into the space under the title, and keeps
    // its bottom (and that of AM or PM on the digits' baseline) on the weekday's top.
    const QRect digitsLine = digits.boundingRect(QRect(0, 0, 1 << 16, 1 << 16), Qt::AlignLeft | Qt::AlignTop, bigTime.time);
    const int below = bigTime.amPm.isEmpty() ? 0 : std::max(0, small.descent() - digits.descent());
    if (digitsLine.height() + below > timeRect.height())
        timeRect.setTop(timeRect.bottom() + 1 - digitsLine.height() - below);
    timeRect.setHeight(std::max(timeRect.height() - below, digitsLine.height()));
    const int digitsWidth = digits.horizontalAdvance(bigTime.time);
    addText(QRect(timeRect.left(), timeRect.top(), std::min(timeRect.width(), digitsWidth + 1), timeRect.height()),
        bigTime.time, timeFont, Qt::AlignLeft | Qt::AlignVCenter, false);
    if (!bigTime.amPm.isEmpty()) {
        // On the digits' baseline, right after them.
        const int baseline = timeRect.top() + (timeRect.height() - digits.height()) / 2 + digits.ascent();
        addText(QRect(timeRect.left() + digitsWidth + amPmGap, baseline - small.ascent(),
                    small.horizontalAdvance(bigTime.amPm) + 1, small.height()),
            bigTime.amPm, amPmFont, Qt::AlignLeft | Qt::AlignTop, false);
    }
    const QString weekday = picture(now, u"dddd", platform::PictureKind::Date);
    addText(QRect(timeRect.left(), g.scaled(60), timeRect.width(), g.scaled(16)), weekday,
        fitted(ui::suiteFont(ui::FontRole::Normal13, g), weekday, timeRect.width()),
        Qt::AlignLeft | Qt::AlignVCenter, true);

    // The next alarm behind the skin's bell, "--:--" when none is on.
    const auto& icons = m_skin.statusIcons();
    const int line = g.scaled(wide ? 80 : 84);
    if (!icons.empty())
        drawn.bell = QRect(QPoint(g.scaled(8), line), icons.front().size());
    const auto& next = m_board.NextAlarm(now);
    const QString alarm = next.localTime
        ? picture(*next.localTime, u"ddd", platform::PictureKind::Date) + u' '
            + picture(*next.localTime, locale.use24Hour ? u"H':'mm" : u"h':'mm' 'tt", platform::PictureKind::Time)
        : QStringLiteral("--:--");
    const int alarmWidth = g.square ? columnWidth(g) - g.scaled(24) : g.scaled(90);
    const QRect alarmRect(g.scaled(32), line, alarmWidth, g.scaled(20));
    addText(alarmRect, alarm, fitted(ui::suiteFont(ui::FontRole::Normal13, g), alarm, alarmRect.width()),
        Qt::AlignLeft | Qt::AlignVCenter, false);

    // Today's date and its week; in portrait under the weekday, which a long name may
    // take to the right edge.
    const int week = weekNumber(now, store::settings().weekNumbering == 1, locale.firstDayOfWeek);
    const QString todayLabel = ui::text(ui::kTodayString);
    const QString date = picture(now, locale.shortDatePicture, platform::PictureKind::Date);
    const QString weekLine = ui::text(ui::kWeekString) + u' ' + QString::number(week);
    // In the column, it ends above the year counter.
    const int todayTop = g.scaled(g.square ? 102 : 106);
    const QRect todayRect = wide
        ? QRect(g.scaled(8), todayTop, columnWidth(g),
              counterArea(g).top() - g.scaled(2) - todayTop)
        : QRect(g.scaled(120), g.scaled(76), viewWidth(g) - g.scaled(126), g.scaled(27));
    const QFont todayFont = ui::suiteFont(ui::FontRole::Normal12, g);
    // The narrow column of square screens puts the date under its label when both do not
    // fit one line.
    QString today = todayLabel + u' ' + date + u'\n' + weekLine;
    if (g.square
        && QFontMetrics(todayFont).horizontalAdvance(todayLabel + u' ' + date) > todayRect.width())
        today = todayLabel + u'\n' + date + u'\n' + weekLine;
    addText(todayRect, today, fitted(todayFont, today, todayRect.width(), todayRect.height()),
        (wide ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, true);
    return drawn;
}

void GeneralView::paint(QPainter& painter, const ViewContext& context)
{
    paintViewBackground(painter, m_skin, index(), context);
    const SYSTEMTIME now = localNow();
    const QColor text = m_skin.loaded() ? m_skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QColor quiet = m_skin.loaded() ? m_skin.colour(faces::skin::kDateColour) : QColor(Qt::darkGray);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Drawn drawn = layOut(now);
    if (drawn.dial)
        m_clock->draw(painter, *drawn.dial, now);
    if (drawn.bell)
        painter.drawImage(drawn.bell->topLeft(), m_skin.statusIcons().front());
    for (const auto& line : drawn.texts) {
        painter.setPen(line.quiet ? quiet : text);
        painter.setFont(line.font);
        painter.drawText(line.rect, line.flags, line.text);
    }

    if (m_counter)
        m_counter->setNow(now);

    // A new day moves the calendar on (not from inside the paint).
    if (m_calendar && dateOf(now) != m_shownDay)
        QTimer::singleShot(0, m_calendar, [this] { showToday(); });
}

void GeneralView::reportLayout(ui::LayoutReport& report, const ViewContext&) const
{
    const Drawn drawn = layOut(localNow());
    if (drawn.dial)
        report.addImage(*drawn.dial);
    if (drawn.bell)
        report.addImage(*drawn.bell);
    for (const auto& line : drawn.texts)
        report.addText(line.rect, line.text, line.font, line.flags);
}

} // namespace app

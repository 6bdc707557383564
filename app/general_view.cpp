#include "app/general_view.h"

#include "alarms/alarm_board.h"
#include "app/clock_views.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QCalendarWidget>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

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

GeneralView::~GeneralView() { delete m_calendar; }

void GeneralView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    m_clock = m_skin.loaded() ? std::make_unique<faces::SmallAnalogClock>(m_skin) : nullptr;
    if (m_calendar) {
        const bool shown = m_calendar->isVisible();
        build();
        m_calendar->setVisible(shown);
    }
}

void GeneralView::build()
{
    delete m_calendar;
    const auto& g = m_geometry;
    const bool wide = g.square || g.landscape;
    m_calendar = new QCalendarWidget(m_screen);
    m_calendar->setObjectName(QStringLiteral("MonthCalendar"));
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    m_calendar->setGridVisible(false);
    const auto& locale = platform::userLocale();
    m_calendar->setFirstDayOfWeek(locale.firstDayOfWeek == 6 ? Qt::Sunday : Qt::Monday);
    m_calendar->setLocale(QLocale(QString::fromStdString(locale.name)));
    QFont font = ui::suiteFont(ui::FontRole::Normal12, g);
    m_calendar->setFont(font);
    // Portrait: under the clock. Square and landscape: beside it.
    const int width = viewWidth(g);
    const QRect area = wide ? QRect(g.scaled(124), g.scaled(24), width - g.scaled(128), g.scaled(138))
                            : QRect(g.scaled(6), g.scaled(104), width - g.scaled(12), g.scaled(138));
    m_calendar->setGeometry(area);
    const QColor accent = m_skin.loaded() ? m_skin.colour(faces::skin::kHighlightColour) : QColor(0xe8, 0x60, 0x2c);
    const QColor text = m_skin.loaded() ? m_skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QColor band = m_skin.loaded() ? m_skin.colour(faces::skin::kLineColour) : QColor(0xdd, 0xe1, 0xe6);
    m_calendar->setStyleSheet(
        QStringLiteral("QCalendarWidget QAbstractItemView { selection-background-color: %1; selection-color: white; }"
                       "QCalendarWidget QWidget#qt_calendar_navigationbar { background-color: %2; }"
                       "QCalendarWidget QToolButton { color: %3; background: transparent; font-weight: bold; }")
            .arg(accent.name(), band.name(), text.name()));
    // Plain arrows in the look's colours instead of the platform's icons.
    for (const char* name : { "qt_calendar_prevmonth", "qt_calendar_nextmonth" }) {
        if (auto* arrow = m_calendar->findChild<QToolButton*>(QLatin1String(name))) {
            arrow->setIcon(QIcon());
            arrow->setArrowType(QLatin1String(name) == QLatin1String("qt_calendar_prevmonth") ? Qt::LeftArrow : Qt::RightArrow);
        }
    }
    m_shownDay = QDate();
    showToday();
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
    return true;
}

void GeneralView::leave()
{
    if (m_calendar)
        m_calendar->hide();
}

void GeneralView::paint(QPainter& painter, const ViewContext& context)
{
    paintViewBackground(painter, m_skin, index(), context);
    const auto& g = m_geometry;
    const SYSTEMTIME now = localNow();
    const auto& locale = platform::userLocale();
    const QColor text = m_skin.loaded() ? m_skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QColor quiet = m_skin.loaded() ? m_skin.colour(faces::skin::kDateColour) : QColor(Qt::darkGray);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Portrait: the small clock with the time and weekday beside it, then the next alarm
    // and today's date and week. Square and landscape screens keep a column left of the
    // calendar: time, weekday, next alarm, today and week.
    const bool wide = g.square || g.landscape;
    if (m_clock && !wide)
        m_clock->draw(painter, QRect(g.scaled(8), g.scaled(28), g.scaled(56), g.scaled(56)), now);
    const QRect timeRect = wide ? QRect(g.scaled(8), g.scaled(24), g.scaled(112), g.scaled(36))
                                : QRect(g.scaled(72), g.scaled(24), viewWidth(g) - g.scaled(78), g.scaled(36));
    painter.setPen(text);
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
    painter.setFont(timeFont);
    painter.drawText(timeRect, Qt::AlignLeft | Qt::AlignVCenter, bigTime.time);
    if (!bigTime.amPm.isEmpty()) {
        // On the digits' baseline, right after them.
        const QFontMetrics digits(timeFont);
        const int baseline = timeRect.top() + (timeRect.height() - digits.height()) / 2 + digits.ascent();
        painter.setFont(amPmFont);
        painter.drawText(QPoint(timeRect.left() + digits.horizontalAdvance(bigTime.time) + amPmGap, baseline),
            bigTime.amPm);
    }
    painter.setFont(ui::suiteFont(ui::FontRole::Normal13, g));
    painter.setPen(quiet);
    painter.drawText(QRect(timeRect.left(), g.scaled(60), timeRect.width(), g.scaled(16)), Qt::AlignLeft | Qt::AlignVCenter,
        picture(now, u"dddd", platform::PictureKind::Date));

    // The next alarm behind the skin's bell, "--:--" when none is on.
    const auto& icons = m_skin.statusIcons();
    const int line = g.scaled(wide ? 80 : 86);
    if (!icons.empty())
        painter.drawImage(QPoint(g.scaled(8), line), icons.front());
    const auto& next = m_board.NextAlarm(now);
    const QString alarm = next.localTime
        ? picture(*next.localTime, u"ddd", platform::PictureKind::Date) + u' '
            + picture(*next.localTime, locale.use24Hour ? u"H':'mm" : u"h':'mm' 'tt", platform::PictureKind::Time)
        : QStringLiteral("--:--");
    painter.setPen(text);
    painter.drawText(QRect(g.scaled(32), line, g.scaled(90), g.scaled(20)), Qt::AlignLeft | Qt::AlignVCenter, alarm);

    // Today's date and its week.
    const int week = weekNumber(now, store::settings().weekNumbering == 1, locale.firstDayOfWeek);
    const QString today = ui::text(ui::kTodayString) + u' ' + picture(now, locale.shortDatePicture, platform::PictureKind::Date)
        + u'\n' + ui::text(ui::kWeekString) + u' ' + QString::number(week);
    painter.setPen(quiet);
    painter.setFont(ui::suiteFont(ui::FontRole::Normal12, g));
    const QRect todayRect = wide ? QRect(g.scaled(8), g.scaled(106), g.scaled(112), g.scaled(32))
                                 : QRect(g.scaled(120), g.scaled(74), viewWidth(g) - g.scaled(126), g.scaled(30));
    painter.drawText(todayRect, (wide ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, today);

    // A new day moves the calendar on (not from inside the paint).
    if (m_calendar && dateOf(now) != m_shownDay)
        QTimer::singleShot(0, m_calendar, [this] { showToday(); });
}

} // namespace app

#include "app/alarms_view.h"

#include "alarms/alarm_board.h"
#include "app/alarm_rows.h"
#include "app/alarm_settings.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/dialogs.h"
#include "ui/input_box.h"
#include "ui/pickers.h"
#include "ui/resources.h"
#include "ui/string_ids.h"
#include "ui/time_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int kBlinkMs = 196;
constexpr int kTimeDialogGuardMs = 536;
constexpr std::uint8_t kNoWeekdayHintOff = 0x01;

using platform::localNow;

bool sundayFirst() { return platform::userLocale().firstDayOfWeek == 6; }

} // namespace

WeekdayBoxes::WeekdayBoxes(QWidget* parent, int scaleShift)
    : QWidget(parent)
    , m_scaleShift(scaleShift)
{
    setObjectName(QStringLiteral("WeekdayBoxes"));
    setFixedSize(kWeekdayAreaWidth << scaleShift, kWeekdayAreaHeight << scaleShift);
}

void WeekdayBoxes::setMask(std::uint8_t mask)
{
    m_mask = mask & 0x7f;
    update();
}

void WeekdayBoxes::blink()
{
    m_blinkPhase = 6;
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        if (--m_blinkPhase <= 0)
            timer->deleteLater();
        update();
    });
    timer->start(kBlinkMs);
    update();
}

void WeekdayBoxes::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The look's colours (the screen's palette): its highlight for the days that are on.
    const QColor accent = palette().color(QPalette::Highlight);
    const bool highlighted = m_blinkPhase % 2 == 0 && m_blinkPhase > 0;
    if (highlighted) {
        QColor blink = accent;
        blink.setAlphaF(0.35f);
        painter.fillRect(rect(), blink);
    }
    const auto letters = platform::userLocale().dayInitialsInDisplayOrder();
    const bool sunday = sundayFirst();
    QFont font = painter.font();
    font.setPixelSize(11 << m_scaleShift);
    font.setBold(true);
    painter.setFont(font);
    const int width = 13 << m_scaleShift;
    for (int box = 0; box < 7; ++box) {
        const bool on = (m_mask >> weekdayBitOfBox(box, sunday)) & 1;
        const QRectF cell((weekdayLetterX(box) - 1) << m_scaleShift, 1 << m_scaleShift, width, height() - (2 << m_scaleShift));
        if (on) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(accent);
            painter.drawRoundedRect(cell, 3 << m_scaleShift, 3 << m_scaleShift);
        }
        painter.setPen(palette().color(on ? QPalette::HighlightedText : QPalette::PlaceholderText));
        painter.drawText(cell, Qt::AlignCenter, QString::fromStdU16String(letters[std::size_t(box)]));
    }
}

void WeekdayBoxes::mousePressEvent(QMouseEvent* event)
{
    const auto box = weekdayBoxAt(int(event->position().x()) >> m_scaleShift);
    if (!box)
        return;
    m_mask ^= std::uint8_t(1u << weekdayBitOfBox(*box, sundayFirst()));
    update();
    emit toggled(m_mask);
}

AlarmsView::AlarmsView(QWidget* screen, const ui::ScreenGeometry& geometry, alarms::AlarmBoard& board, QStringList faces)
    : View(3)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_board(board)
    , m_faces(std::move(faces))
{
}

AlarmsView::~AlarmsView() { delete m_panel; }

int AlarmsView::rowsPerPage() const { return alarmRowsPerPage(m_geometry.square || m_geometry.landscape); }

void AlarmsView::build()
{
    delete m_panel;
    m_rows.clear();
    const auto& g = m_geometry;
    const int top = g.scaled(22);
    const int bottom = g.scaled(g.square || g.landscape ? 165 : 245);
    m_panel = new QWidget(m_screen);
    m_panel->setObjectName(QStringLiteral("AlarmsPanel"));
    m_panel->setGeometry(0, top, viewWidth(g), bottom - top);
    // The panel and its rows take the look's colours from the screen's palette.
    m_panel->setAutoFillBackground(true);
    const QFont font = ui::suiteFont(ui::FontRole::Normal12, g);
    m_panel->setFont(font);

    const int bar = g.scaled(18);
    m_previous = new QToolButton(m_panel);
    m_previous->setObjectName(QStringLiteral("PreviousAlarms"));
    m_previous->setArrowType(Qt::LeftArrow);
    m_previous->setGeometry(g.scaled(2), 0, g.scaled(24), bar);
    m_next = new QToolButton(m_panel);
    m_next->setObjectName(QStringLiteral("NextAlarms"));
    m_next->setArrowType(Qt::RightArrow);
    m_next->setGeometry(viewWidth(g) - g.scaled(26), 0, g.scaled(24), bar);
    m_pageTitle = new QLabel(m_panel);
    m_pageTitle->setObjectName(QStringLiteral("AlarmPageTitle"));
    m_pageTitle->setAlignment(Qt::AlignCenter);
    m_pageTitle->setGeometry(g.scaled(28), 0, viewWidth(g) - g.scaled(56), bar);
    QObject::connect(m_previous, &QToolButton::clicked, m_panel, [this] { showPage(m_page - 1); });
    QObject::connect(m_next, &QToolButton::clicked, m_panel, [this] { showPage(m_page + 1); });

    const int rows = rowsPerPage();
    const int rowHeight = (m_panel->height() - bar) / rows;
    const int line = g.scaled(18);
    const int width = viewWidth(g);
    for (int r = 0; r < rows; ++r) {
        Row row;
        row.frame = new QWidget(m_panel);
        row.frame->setGeometry(0, bar + r * rowHeight, width, rowHeight);
        row.onOff = new QCheckBox(row.frame);
        row.onOff->setGeometry(g.scaled(2), g.scaled(2), g.scaled(40), line);
        row.label = new ui::InputBox(31, ui::text(ui::kPlaceholderString), row.frame);
        row.label->setGeometry(g.scaled(44), g.scaled(2), width - g.scaled(46), line);
        row.label->setFrame(false);
        row.time = new ui::TimePicker(row.frame);
        row.time->setGeometry(g.scaled(4), g.scaled(22), g.scaled(68), line);
        row.weekdays = new WeekdayBoxes(row.frame, g.scaleShift);
        row.weekdays->move(g.scaled(74), g.scaled(22));
        row.settings = new QPushButton(ui::text(ui::kSettingsButton), row.frame);
        row.settings->setGeometry(g.scaled(178), g.scaled(21), width - g.scaled(180), line + g.scaled(2));
        row.settings->setStyleSheet(QStringLiteral("padding: 0px 1px"));
        // A style sheet fixes the palette the button had when polished: it keeps the look's.
        row.settings->setPalette(m_screen->palette());
        QFont small = font;
        small.setPixelSize(g.scaled(11));
        row.settings->setFont(small);
        // Each control acts on the alarm its row shows at the time of the tap.
        QObject::connect(row.onOff, &QCheckBox::clicked, m_panel, [this, r](bool on) {
            switchAlarm(m_page * rowsPerPage() + r, on);
        });
        QObject::connect(row.weekdays, &WeekdayBoxes::toggled, m_panel, [this, r](std::uint8_t mask) {
            setWeekdays(m_page * rowsPerPage() + r, mask);
        });
        QObject::connect(row.time, &ui::TimePicker::activated, m_panel, [this, r] { timeTapped(m_page * rowsPerPage() + r); });
        QObject::connect(row.label, &QLineEdit::editingFinished, m_panel, [this, r] {
            setLabel(m_page * rowsPerPage() + r, m_rows[std::size_t(r)].label->text());
        });
        QObject::connect(row.settings, &QPushButton::clicked, m_panel, [this, r] { openSettings(m_page * rowsPerPage() + r); });
        if (r + 1 < rows) {
            auto* rule = new QWidget(m_panel);
            rule->setGeometry(g.scaled(4), bar + (r + 1) * rowHeight - 1, width - g.scaled(8), 1);
            rule->setBackgroundRole(QPalette::Mid);
            rule->setAutoFillBackground(true);
        }
        m_rows.push_back(row);
    }
    m_page = std::clamp(m_page, 0, alarmPageCount(rows) - 1);
}

void AlarmsView::fill()
{
    if (!m_panel)
        return;
    const int rows = rowsPerPage();
    const auto page = alarmsOnPage(m_page, rows);
    m_pageTitle->setText(ui::text(ui::kPageTitle).arg(page.first + 1).arg(page.first + page.count));
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < alarmPageCount(rows));
    for (int r = 0; r < rows; ++r) {
        const auto& row = m_rows[std::size_t(r)];
        row.frame->setVisible(r < page.count);
        if (r < page.count)
            fillRow(row, page.first + r);
    }
}

void AlarmsView::fillRow(const Row& row, int index)
{
    const auto& record = m_board.records()[std::size_t(index)];
    row.onOff->setText(QStringLiteral("%1").arg(index + 1, 2, 10, QLatin1Char('0')));
    row.onOff->setChecked(record.enabled != 0);
    const QString label = QString::fromStdU16String(std::u16string(record.label, std::char_traits<char16_t>::length(record.label)));
    if (!row.label->hasFocus())
        row.label->setText(label);
    SYSTEMTIME time { };
    FileTimeToSystemTime(&record.alarmTime, &time);
    row.time->setPicture(platform::userLocale().use24Hour ? QStringLiteral("HH':'mm") : QStringLiteral("h':'mm' 'tt"));
    row.time->setValue(time);
    if (!row.weekdays->blinking())
        row.weekdays->setMask(record.weekdays);
}

bool AlarmsView::activate()
{
    if (!m_panel)
        build();
    (void)m_board.ReloadAlarmsIfChanged(localNow());
    fill();
    m_panel->show();
    m_panel->raise();
    return true;
}

void AlarmsView::leave()
{
    if (m_panel)
        m_panel->hide();
}

void AlarmsView::refresh()
{
    (void)m_board.ReloadAlarmsIfChanged(localNow());
    fill();
}

void AlarmsView::perSecond(QPainter& painter, const ViewContext& context) { paint(painter, context); }

void AlarmsView::paint(QPainter& painter, const ViewContext& context)
{
    painter.fillRect(context.area, m_screen->palette().window());
}

std::uint8_t AlarmsView::subSelection() const { return std::uint8_t(m_page * rowsPerPage()); }

void AlarmsView::setSubSelection(std::uint8_t item) { showPage(std::min<int>(item, kAlarmCount - 1) / rowsPerPage()); }

void AlarmsView::rebuild(const ui::ScreenGeometry& geometry)
{
    const int first = m_page * rowsPerPage();
    m_geometry = geometry;
    m_page = first / rowsPerPage();
    if (m_panel) {
        const bool shown = m_panel->isVisible();
        build();
        fill();
        m_panel->setVisible(shown);
    }
}

void AlarmsView::showPage(int page)
{
    // A label being typed belongs to the page it was typed on.
    if (m_panel) {
        if (QWidget* focus = m_panel->focusWidget())
            focus->clearFocus();
    }
    m_page = std::clamp(page, 0, alarmPageCount(rowsPerPage()) - 1);
    fill();
}

void AlarmsView::tellNotRegistered()
{
    ui::showMessage(m_screen, QStringLiteral("Not registered"), ui::MessageIcon::None, ui::MessageButtons::Ok,
        QStringLiteral("Debug"));
}

void AlarmsView::tellNoWeekdays(int row)
{
    auto& settings = store::settings();
    if (!(settings.hintsOff & kNoWeekdayHintOff)) {
        QDialog hint(m_screen->window());
        hint.setObjectName(QStringLiteral("NoWeekdayHint"));
        hint.setWindowTitle(ui::text(ui::kProductNameString));
        auto* layout = new QVBoxLayout(&hint);
        auto* text = new QLabel(ui::text(ui::kNoWeekdayHint), &hint);
        text->setWordWrap(true);
        layout->addWidget(text);
        auto* again = new QCheckBox(ui::text(ui::kDoNotShowAgain), &hint);
        again->setObjectName(QStringLiteral("DoNotShowAgain"));
        layout->addWidget(again);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &hint);
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &hint, &QDialog::accept);
        hint.exec();
        if (again->isChecked()) {
            settings.hintsOff |= kNoWeekdayHintOff;
            (void)store::SaveSettings();
        }
        return;
    }
    QApplication::beep();
    if (row >= 0 && row < int(m_rows.size()))
        m_rows[std::size_t(row)].weekdays->blink();
}

void AlarmsView::switchAlarm(int index, bool on)
{
    const auto now = localNow();
    const auto change = on ? m_board.switchAlarmOn(index, now) : m_board.switchAlarmOff(index, now);
    fill();
    if (on && change.noWeekdays)
        tellNoWeekdays(index - m_page * rowsPerPage());
    else if (!change.registered)
        tellNotRegistered();
}

void AlarmsView::setWeekdays(int index, std::uint8_t mask)
{
    const auto change = m_board.setWeekdays(index, mask, localNow());
    fill();
    if (!change.registered)
        tellNotRegistered();
}

void AlarmsView::timeTapped(int index)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (m_timeDialogMoment.isValid() && m_timeDialogMoment.msecsTo(now) < kTimeDialogGuardMs) {
        fill(); // a change notification in the guard only puts the time back
        return;
    }
    const auto& record = m_board.records()[std::size_t(index)];
    SYSTEMTIME time { };
    FileTimeToSystemTime(&record.alarmTime, &time);
    ui::TimeDialog dialog(m_screen->window(), ui::text(ui::kAlarmTimeString), time.wHour, time.wMinute,
        platform::userLocale().use24Hour);
    m_timeDialogMoment = now;
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    m_timeDialogMoment = QDateTime::currentDateTime();
    if (confirmed) {
        const auto change = m_board.setAlarmTime(index, dialog.hour(), dialog.minute(), localNow());
        fill();
        if (!change.registered)
            tellNotRegistered();
    } else {
        fill();
    }
}

void AlarmsView::setLabel(int index, const QString& label)
{
    const auto& record = m_board.records()[std::size_t(index)];
    const std::u16string stored(record.label, std::char_traits<char16_t>::length(record.label));
    if (label.toStdU16String() == stored)
        return;
    (void)m_board.setLabel(index, label.toStdU16String(), localNow());
    fill();
}

void AlarmsView::openSettings(int index)
{
    AlarmSettingsWindow window(m_screen->window(), index, m_board.currentSettings(index), m_faces);
    if (window.exec() == QDialog::Accepted)
        (void)m_board.ApplySettings(index, window.chosen(), localNow());
    fill();
}

} // namespace app

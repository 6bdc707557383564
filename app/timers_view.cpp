#include "app/timers_view.h"

#include "app/timer_settings.h"
#include "platform/device_clock.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "timers/countdown.h"
#include "timers/timer_board.h"
#include "timers/timer_file.h"
#include "ui/dialogs.h"
#include "ui/fitted_text.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

namespace app {

namespace {

constexpr int kTabsShown = 4;
constexpr int kLastFirstTab = timers::kTimerCount - kTabsShown; // 12
constexpr int kButtonPaddingPx = 12; // before scaling: a button's frame and margins round its text

platform::LocalTicks nowTicks() { return platform::deviceLocalNow(); }

// A bell, drawn in `colour`, for the tabs of running timers.
QIcon bellIcon(int size, const QColor& colour)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal s = size;
    QPainterPath bell;
    bell.moveTo(s * 0.5, s * 0.08);
    bell.cubicTo(s * 0.78, s * 0.1, s * 0.78, s * 0.4, s * 0.8, s * 0.62);
    bell.lineTo(s * 0.92, s * 0.78);
    bell.lineTo(s * 0.08, s * 0.78);
    bell.lineTo(s * 0.2, s * 0.62);
    bell.cubicTo(s * 0.22, s * 0.4, s * 0.22, s * 0.1, s * 0.5, s * 0.08);
    painter.drawPath(bell);
    painter.drawEllipse(QPointF(s * 0.5, s * 0.86), s * 0.1, s * 0.1);
    return QIcon(pixmap);
}

// Whether `text` fits a button `width` pixels wide in `font`, with room for an icon.
bool fitsButton(const QFont& font, const QString& text, int width, int padding, int icon = 0)
{
    return QFontMetrics(font).horizontalAdvance(text) + padding + icon <= width;
}

// A tab's text: the timer's list label, or in narrow tabs its first letter, ". " and the
// timer's number ("T. 6").
QString tabText(const QStringList& labels, int index, bool narrow)
{
    const QString label = labels.value(index, QString::number(index + 1));
    return narrow ? label.left(1) + QStringLiteral(". ") + QString::number(index + 1) : label;
}

QPushButton* panelButton(QWidget* panel, unsigned stringId, const char* name)
{
    auto* button = new QPushButton(ui::text(stringId), panel);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

CountdownDisplay::CountdownDisplay(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("TimersItem"));
    setAlignment(Qt::AlignCenter);
}

void CountdownDisplay::mousePressEvent(QMouseEvent* event)
{
    m_pressed = rect().contains(event->position().toPoint());
    event->accept();
}

void CountdownDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    const bool tap = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (tap)
        emit tapped();
}

TimersView::TimersView(QWidget* screen, const ui::ScreenGeometry& geometry, timers::TimerBoard& board, QStringList faces)
    : View(4)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_board(board)
    , m_faces(std::move(faces))
{
}

TimersView::~TimersView() { delete m_panel; }

void TimersView::build()
{
    delete m_panel;
    const auto& g = m_geometry;
    const bool shortScreen = g.square || g.landscape;
    const int top = g.scaled(22);
    const int bottom = g.scaled(shortScreen ? 165 : 245);
    const int width = viewWidth(g);
    m_panel = new QWidget(m_screen);
    m_panel->setObjectName(QStringLiteral("TimersPanel"));
    m_panel->setGeometry(0, top, width, bottom - top);
    m_panel->setAutoFillBackground(true);
    m_panel->setFont(ui::suiteFont(ui::FontRole::Normal12, g));

    const int margin = g.scaled(2);
    const int line = g.scaled(20);
    m_list = new QComboBox(m_panel);
    m_list->setObjectName(QStringLiteral("TimerList"));
    m_list->addItems(ui::list(ui::kTimerList));
    m_list->setGeometry(margin, 0, width - 2 * margin, line);
    QObject::connect(m_list, &QComboBox::activated, m_panel, [this](int index) { SelectTimer(index); });

    const int tabsTop = line + g.scaled(shortScreen ? 2 : 4);
    buildTabs(tabsTop, line);

    // The countdown as large as the room between the tabs and the panels lets it be.
    const int displayTop = tabsTop + line + g.scaled(shortScreen ? 2 : 4);
    const int displayHeight = g.scaled(shortScreen ? 36 : 64);
    m_display = new CountdownDisplay(m_panel);
    m_display->setGeometry(margin, displayTop, width - 2 * margin, displayHeight);
    const int displayRoom = m_display->width() - g.scaled(8);
    const QString widest = QStringLiteral("00:00:00");
    QFont digits = ui::suiteFont(shortScreen ? ui::FontRole::BoldLarge : ui::FontRole::BoldBig, g);
    digits.setPixelSize(std::min(digits.pixelSize(), displayHeight - g.scaled(4)));
    m_display->setFont(ui::fittedFont(digits, [&](const QFont& font) {
        const QFontMetrics metrics(font);
        return metrics.horizontalAdvance(widest) <= displayRoom && metrics.height() <= displayHeight;
    }));
    QObject::connect(m_display, &CountdownDisplay::tapped, m_panel, [this] { countdownTapped(); });

    buildPanels(displayTop + displayHeight + g.scaled(shortScreen ? 4 : 6), m_panel->height());
}

void TimersView::buildTabs(int top, int height)
{
    const auto& g = m_geometry;
    const int width = viewWidth(g);
    const int margin = g.scaled(2);
    const int arrow = g.scaled(20);
    m_previousTabs = new QToolButton(m_panel);
    m_previousTabs->setObjectName(QStringLiteral("PreviousTimers"));
    m_previousTabs->setArrowType(Qt::LeftArrow);
    m_previousTabs->setGeometry(margin, top, arrow, height);
    m_nextTabs = new QToolButton(m_panel);
    m_nextTabs->setObjectName(QStringLiteral("NextTimers"));
    m_nextTabs->setArrowType(Qt::RightArrow);
    m_nextTabs->setGeometry(width - margin - arrow, top, arrow, height);
    QObject::connect(m_previousTabs, &QToolButton::clicked, m_panel, [this] { showTabsFrom(m_firstTab - kTabsShown); });
    QObject::connect(m_nextTabs, &QToolButton::clicked, m_panel, [this] { showTabsFrom(m_firstTab + kTabsShown); });

    const int left = margin + arrow + g.scaled(1);
    const int tabWidth = (width - 2 * left) / kTabsShown;
    const int icon = g.scaled(10);
    const QIcon bell = bellIcon(icon * 2, m_screen->palette().color(QPalette::WindowText));
    const int padding = g.scaled(8);
    const QFont font = m_panel->font();
    // Whole labels where every one fits its tab with the bell beside it, else the narrow
    // form ("T. 6").
    const QStringList labels = ui::list(ui::kTimerList);
    const auto allFit = [&](const QFont& f, bool narrow) {
        for (int index = 0; index < labels.size(); ++index)
            if (!fitsButton(f, tabText(labels, index, narrow), tabWidth, padding, icon + g.scaled(2)))
                return false;
        return true;
    };
    m_narrowTabs = !allFit(font, false);
    const QFont tabFont = ui::fittedFont(font, [&](const QFont& f) { return allFit(f, m_narrowTabs); });
    for (int position = 0; position < kTabsShown; ++position) {
        auto* tab = new QToolButton(m_panel);
        tab->setObjectName(QStringLiteral("TimerTab%1").arg(position + 1));
        tab->setCheckable(true);
        tab->setAutoRaise(false);
        tab->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        tab->setIconSize(QSize(icon, icon));
        tab->setProperty("tkwBell", QVariant::fromValue(bell));
        tab->setFont(tabFont);
        tab->setGeometry(left + position * tabWidth, top, tabWidth - g.scaled(1), height);
        // A tab is chosen when the pen goes down and comes up on it.
        QObject::connect(tab, &QToolButton::clicked, m_panel, [this, position] { SelectTimer(m_firstTab + position); });
        m_tabs[std::size_t(position)] = tab;
    }
}

void TimersView::buildPanels(int top, int bottom)
{
    const auto& g = m_geometry;
    const int width = viewWidth(g);
    const int margin = g.scaled(2);
    const int gap = g.scaled(2);
    const int button = g.scaled(24);
    const int padding = g.scaled(kButtonPaddingPx);
    const QFont font = m_panel->font();

    // "Stop && Reset All..." at the bottom.
    m_resetAllPanel = new QWidget(m_panel);
    m_resetAllPanel->setObjectName(QStringLiteral("ResetAllPanel"));
    m_resetAllPanel->setGeometry(0, bottom - button - gap, width, button);
    auto* all = panelButton(m_resetAllPanel, ui::kStopResetAllString, "StopResetAllButton");
    all->setGeometry(margin, 0, width - 2 * margin, button);
    all->setFont(ui::fittedFont(font, [&](const QFont& f) { return fitsButton(f, all->text(), all->width(), padding); }));
    QObject::connect(all, &QPushButton::clicked, m_panel, [this] { resetAll(); });

    // The start panel: its three buttons side by side where their texts fit (the wide
    // version), else "Start" above "Reset" and "Set..." where there is room for two rows
    // (the narrow version), else side by side in a condensed face.
    m_startPanel = new QWidget(m_panel);
    m_startPanel->setObjectName(QStringLiteral("StartPanel"));
    auto* start = panelButton(m_startPanel, ui::kTimerStartString, "StartButton");
    auto* reset = panelButton(m_startPanel, ui::kTimerResetString, "ResetButton");
    auto* set = panelButton(m_startPanel, ui::kTimerSetString, "SetButton");
    const int inner = width - 2 * margin;
    const int third = (inner - 2 * gap) / 3;
    const int half = (inner - gap) / 2;
    const bool wideFits = std::ranges::all_of(std::array { start, reset, set },
        [&](QPushButton* b) { return fitsButton(font, b->text(), third, padding); });
    const int room = m_resetAllPanel->y() - top;
    m_narrowStartPanel = !wideFits && room >= 2 * button + 2 * gap;
    if (m_narrowStartPanel) {
        m_startPanel->setGeometry(0, top, width, 2 * button + gap);
        start->setGeometry(margin, 0, inner, button);
        reset->setGeometry(margin, button + gap, half, button);
        set->setGeometry(margin + half + gap, button + gap, inner - half - gap, button);
    } else {
        m_startPanel->setGeometry(0, top, width, button);
        start->setGeometry(margin, 0, third, button);
        reset->setGeometry(margin + third + gap, 0, third, button);
        set->setGeometry(margin + 2 * (third + gap), 0, inner - 2 * (third + gap), button);
    }
    for (QPushButton* b : { start, reset, set })
        b->setFont(ui::fittedFont(font, [&](const QFont& f) { return fitsButton(f, b->text(), b->width(), padding); }));
    QObject::connect(start, &QPushButton::clicked, m_panel, [this] { startSelected(); });
    QObject::connect(reset, &QPushButton::clicked, m_panel, [this] { resetSelected(); });
    QObject::connect(set, &QPushButton::clicked, m_panel, [this] { openSettings(m_selected); });

    // The stop panel: "Stop" where "Start" was.
    m_stopPanel = new QWidget(m_panel);
    m_stopPanel->setObjectName(QStringLiteral("StopPanel"));
    m_stopPanel->setGeometry(0, top, width, button);
    auto* stop = panelButton(m_stopPanel, ui::kStopString, "StopButton");
    stop->setGeometry(margin, 0, inner, button);
    QObject::connect(stop, &QPushButton::clicked, m_panel, [this] { stopSelected(); });
}

bool TimersView::runningOnScreen(int index) const
{
    // A timer whose wake-up could not be registered still counts down on screen.
    const auto& timer = m_board.records()[std::size_t(index)];
    return timer.hNotification != 0 || timer.running != 0;
}

void TimersView::fill()
{
    if (!m_panel)
        return;
    const auto& records = m_board.records();
    m_list->setCurrentIndex(m_selected);
    const QStringList labels = ui::list(ui::kTimerList);
    for (int position = 0; position < kTabsShown; ++position) {
        const int index = m_firstTab + position;
        QToolButton* tab = m_tabs[std::size_t(position)];
        tab->setText(tabText(labels, index, m_narrowTabs));
        tab->setIcon(records[std::size_t(index)].hNotification != 0 ? tab->property("tkwBell").value<QIcon>() : QIcon());
        tab->setChecked(index == m_selected);
    }
    m_previousTabs->setEnabled(m_firstTab > 0);
    m_nextTabs->setEnabled(m_firstTab < kLastFirstTab);
    const auto& timer = records[std::size_t(m_selected)];
    m_display->setText(QString::fromStdU16String(timers::displayText(timers::DisplayValue(timer, nowTicks()))));
    const bool running = runningOnScreen(m_selected);
    m_startPanel->setVisible(!running);
    m_stopPanel->setVisible(running);
    m_resetAllPanel->setVisible(true);
}

bool TimersView::activate()
{
    // The view reads timers.dat afresh each time it is shown: the runner may have ended
    // timers meanwhile, and tkwctl changed them.
    if (const auto edit = store::editDataFile(store::kTimersFile))
        (void)m_board.load(nowTicks());
    if (!m_panel)
        build();
    fill();
    m_panel->show();
    m_panel->raise();
    return true;
}

void TimersView::leave()
{
    if (m_panel)
        m_panel->hide();
}

void TimersView::syncWithDisk()
{
    // The runner's end of a timer, and every change tkwctl makes, comes with the timers'
    // change signal; the core reloads and puts the timer that ended back to its start.
    (void)m_board.PollTimerChanges(nowTicks());
}

void TimersView::refresh()
{
    syncWithDisk();
    fill();
}

void TimersView::perSecond(QPainter& painter, const ViewContext& context)
{
    refresh();
    paint(painter, context);
}

void TimersView::paint(QPainter& painter, const ViewContext& context)
{
    painter.fillRect(context.area, m_screen->palette().window());
}

void TimersView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    if (m_panel) {
        const bool shown = m_panel->isVisible();
        build();
        fill();
        m_panel->setVisible(shown);
    }
}

void TimersView::showTabsFrom(int firstTab)
{
    m_firstTab = std::clamp(firstTab, 0, kLastFirstTab);
    fill();
}

void TimersView::SelectTimer(int index)
{
    m_selected = std::clamp(index, 0, timers::kTimerCount - 1);
    if (m_selected < m_firstTab || m_selected >= m_firstTab + kTabsShown)
        m_firstTab = m_selected / kTabsShown * kTabsShown;
    fill();
}

template <typename Change> bool TimersView::editTimers(Change&& change)
{
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit) {
        ui::showMessage(m_screen->window(), ui::text(ui::kTimersBusy), ui::MessageIcon::Warning);
        return false;
    }
    syncWithDisk();
    change();
    return true;
}

void TimersView::tell(const timers::TimerOutcome& outcome)
{
    if (outcome.busy)
        ui::showMessage(m_screen->window(), ui::text(ui::kTimersBusy), ui::MessageIcon::Warning);
    else if (!outcome.registered)
        ui::showMessage(m_screen->window(), ui::text(ui::kTimerNotRegistered), ui::MessageIcon::None,
            ui::MessageButtons::Ok, QStringLiteral("Debug"));
    else if (!outcome.saved)
        ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveTimers), ui::MessageIcon::Warning);
}

void TimersView::startSelected()
{
    timers::TimerOutcome outcome;
    const int index = m_selected;
    if (!editTimers([&] { outcome = m_board.StartTimer(index, nowTicks()); }))
        return;
    fill();
    tell(outcome);
}

void TimersView::stopSelected()
{
    timers::TimerOutcome outcome;
    const int index = m_selected;
    if (!editTimers([&] { outcome = m_board.StopTimer(index, nowTicks()); }))
        return;
    fill();
    tell(outcome);
}

void TimersView::resetSelected()
{
    timers::TimerOutcome outcome;
    const int index = m_selected;
    if (!editTimers([&] { outcome = m_board.ResetTimer(index); }))
        return;
    fill();
    tell(outcome);
}

void TimersView::resetAll()
{
    bool saved = true;
    if (!editTimers([&] { saved = m_board.ResetAllTimers(); }))
        return;
    fill();
    if (!saved)
        ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveTimers), ui::MessageIcon::Warning);
}

void TimersView::countdownTapped()
{
    if (runningOnScreen(m_selected))
        return;
    const int index = m_selected;
    SYSTEMTIME shown = timers::DisplayValue(m_board.records()[std::size_t(index)], nowTicks());
    InitialValueDialog dialog(m_screen->window(), QTime(shown.wHour % 24, shown.wMinute % 60, shown.wSecond % 60));
    if (dialog.exec() != QDialog::Accepted) {
        fill();
        return;
    }
    const QTime value = dialog.value();
    bool saved = true;
    const bool edited = editTimers([&] {
        // Started by another program meanwhile: its end moment stays.
        if (runningOnScreen(index))
            return;
        m_board.setInitialValue(index, value.hour(), value.minute(), value.second(), nowTicks());
        // Written at once, so that the runner's or a tool's next rewrite does not lose it.
        saved = timers::SaveTimer(m_board.records(), index);
    });
    fill();
    if (edited && !saved)
        ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveTimers), ui::MessageIcon::Warning);
}

void TimersView::openSettings(int index)
{
    if (index < 0 || index >= timers::kTimerCount)
        return;
    TimerSettingsWindow window(
        m_screen->window(), m_board.records()[std::size_t(index)], timers::readTimerSound(index), m_faces);
    if (window.exec() == QDialog::Accepted)
        applySettings(index, window.chosen());
    fill();
}

void TimersView::applySettings(int index, const TimerChoice& choice)
{
    bool saved = true;
    const bool edited = editTimers([&] {
        saved = m_board.ApplySettings(index, choice.settings);
        const QTime initial = choice.initialValue;
        auto& timer = m_board.records()[std::size_t(index)];
        if (runningOnScreen(index)) {
            // Started by another program meanwhile: the next start counts from the new
            // initial value, this run keeps its end moment.
            timer.initHour = std::uint8_t(initial.hour());
            timer.initMinute = std::uint8_t(initial.minute());
            timer.initSecond = std::uint8_t(initial.second());
        } else {
            m_board.setInitialValue(index, initial.hour(), initial.minute(), initial.second(), nowTicks());
        }
        saved = timers::SaveTimer(m_board.records(), index) && saved;
    });
    if (edited && !saved)
        ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveTimers), ui::MessageIcon::Warning);
}

} // namespace app

#include "app/main_window.h"

#include "app/alarms_view.h"

#include "alert/sound_player.h"
#include "app/schedule.h"
#include "app/single_instance.h"
#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/locale.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "store/signals.h"
#include "ui/drop_list.h"
#include "ui/resources.h"
#include "ui/window_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace app {

// The device screen: device pixels, painted by the main window.
class ScreenWidget final : public QWidget {
public:
    ScreenWidget(MainWindow* window, QSize size)
        : QWidget(window)
        , m_window(window)
    {
        setObjectName(QStringLiteral("DeviceScreen"));
        setFixedSize(size);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_window->paintScreen(painter);
    }
    void mousePressEvent(QMouseEvent* event) override { m_window->tapScreen(event->position().toPoint()); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_window->releaseScreen(event->position().toPoint()); }

private:
    MainWindow* m_window;
};

namespace {

constexpr int kAboutCommand = 40004;
constexpr int kExitCommand = 40006;
constexpr int kCloseCommand = 1;
constexpr std::uint32_t kStartWithLastView = 0;

QString qText(std::u16string_view text) { return QString::fromStdU16String(std::u16string(text)); }

SYSTEMTIME localNow()
{
    SYSTEMTIME now { };
    GetLocalTime(&now);
    return now;
}

QString formatted(const SYSTEMTIME& time, std::u16string_view picture, platform::PictureKind kind)
{
    const auto text = platform::formatPicture(time, picture, kind, platform::userLocale());
    return text ? QString::fromStdU16String(*text) : QString();
}

QString timeWithoutSeconds(const SYSTEMTIME& time)
{
    return formatted(time, platform::userLocale().use24Hour ? u"HH':'mm" : u"h':'mm' 'tt", platform::PictureKind::Time);
}

// The text of one status-bar part; contents whose subsystem is not here yet show "--".
QString statusText(std::uint32_t content, const SYSTEMTIME& now, alarms::AlarmBoard& alarmBoard)
{
    const auto& locale = platform::userLocale();
    switch (content) {
    case 1: {
        const auto& next = alarmBoard.NextAlarm(now);
        return next.localTime ? timeWithoutSeconds(*next.localTime) : QStringLiteral("--:--");
    }
    case 7: return formatted(now, locale.shortDatePicture, platform::PictureKind::Date);
    case 8: return timeWithoutSeconds(now);
    case 0: return QString();
    default: return QStringLiteral("--");
    }
}

// The clock faces of "plugins\": one object serves them all, as they share one face host.
class FaceView final : public View {
public:
    FaceView()
        : View(kBuiltInViewCount)
    {
    }
    void choose(QString name, bool present)
    {
        m_name = std::move(name);
        m_present = present;
    }
    bool activate() override { return m_present; }
    void paint(QPainter& painter, const ViewContext& context) override
    {
        NamedView(index(), m_name).paint(painter, context);
    }

private:
    QString m_name;
    bool m_present = false;
};

// The work area: the screen less the task bar and the menu bar.
QSize workArea(const ui::ScreenGeometry& screen)
{
    const int bar = (screen.width == 320 && screen.height == 320 ? 35 : 26) * (screen.width >= 480 ? 2 : 1);
    return { screen.width, screen.height - 2 * bar };
}

} // namespace

MainWindow::MainWindow(const StartRequest& request)
    : m_geometry(ui::ScreenGeometry::current())
{
    setObjectName(QStringLiteral("TickwellProMain"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_screen = new ScreenWidget(this, workArea(m_geometry));
    layout->addWidget(m_screen);
    // The title area (x 5-111, y 4-18) is the view manager: a tap opens the list of views.
    m_viewManager = new ui::DropList(m_screen);
    m_viewManager->setObjectName(QStringLiteral("ViewManager"));
    m_viewManager->setGeometry(m_geometry.scaled(5), m_geometry.scaled(4), m_geometry.scaled(107), m_geometry.scaled(15));
    connect(m_viewManager, &ui::DropList::selected, this, [this](int view) { selectView(view); });

    (void)m_alarms.Load(localNow());
    m_views = BuildViewList(store::kDefaultInstallFolder, m_geometry.scaleShift, ui::text(40045).toStdU16String());
    QStringList faces;
    for (const auto& face : m_views.pluginFaces)
        faces.append(qText(face));
    for (int view = 0; view < kBuiltInViewCount; ++view) {
        if (view == kAlarmsView)
            m_builtInViews[std::size_t(view)] = std::make_unique<AlarmsView>(m_screen, m_geometry, m_alarms, faces);
        else
            m_builtInViews[std::size_t(view)] = std::make_unique<NamedView>(view, QString());
    }
    m_faceView = std::make_unique<FaceView>();
    retranslate();
    new QShortcut(QKeySequence(QStringLiteral("Ctrl+A")), this, [this] { command(kAboutCommand); });
    new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this, [this] { command(kCloseCommand); });

    m_host = new ui::WindowHost(this, qText(kMainWindowClass), qText(kMainWindowTitle),
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return message(msg, wParam, lParam); });

    // The start view: the one the command line names, else the last one (with its selection)
    // or the one the preferences fix.
    const auto& settings = store::Settings();
    int start = kGeneralView;
    std::uint8_t item = 0;
    if (request.view) {
        start = int(*request.view);
        item = std::uint8_t(request.viewItem.value_or(0));
    } else if (settings.startView == kStartWithLastView) {
        start = int(settings.lastView);
        if (start == kAlarmsView || start == kTimersView || start == kCityTimeView || start == kTimeCalcView)
            item = settings.lastViewItem;
    } else {
        start = int(settings.startView) - 1;
    }
    if (!selectView(start))
        selectView(kGeneralView);
    viewObject(m_view).setSubSelection(item);
    // The screen turns: the views are laid out anew for it.
    auto* watcher = new ui::ScreenWatcher(this);
    connect(watcher, &ui::ScreenWatcher::changed, this, &MainWindow::screenChanged);

    m_lastTick = localNow();
    m_clock.setInterval(100);
    connect(&m_clock, &QTimer::timeout, this, &MainWindow::tick);
    m_clock.start();
}

MainWindow::~MainWindow() = default;

void MainWindow::retranslate()
{
    setWindowTitle(ui::text(ui::kProductNameString));
    m_views = BuildViewList(store::kDefaultInstallFolder, m_geometry.scaleShift, ui::text(40045).toStdU16String());
    QStringList names;
    for (int view = 0; ViewName(m_views.names, view); ++view)
        names.append(qText(*ViewName(m_views.names, view)));
    for (int view = 0; view < kBuiltInViewCount; ++view) {
        if (auto* named = dynamic_cast<NamedView*>(m_builtInViews[std::size_t(view)].get()))
            named->setName(names.value(view));
    }
    const int current = m_viewManager->currentIndex();
    m_viewManager->setItems(names);
    if (current >= 0)
        m_viewManager->setCurrentIndex(current);
    m_menuBar->clear();
    buildMenus();
    m_screen->update();
}

void MainWindow::buildMenus()
{
    QMenu* options = m_menuBar->addMenu(ui::text(40025));
    QAction* preferences = options->addAction(ui::text(40845));
    options->addSeparator();
    QAction* timeAndLocation = options->addAction(ui::text(45005));
    QAction* editCities = options->addAction(ui::text(40905));
    // Their dialogs come with the preferences and the city database.
    preferences->setEnabled(false);
    timeAndLocation->setEnabled(false);
    editCities->setEnabled(false);
    options->addSeparator();
    options->addAction(ui::text(45015), this, [this] { command(kAboutCommand); });
    options->addAction(ui::text(45025), this, [this] { command(kExitCommand); });

    QMenu* viewMenu = m_menuBar->addMenu(ui::text(40035));
    viewMenu->setObjectName(QStringLiteral("ViewMenu"));
    for (int view = 0; view < kBuiltInViewCount; ++view) {
        QAction* action = viewMenu->addAction(qText(ViewName(m_views.names, view).value_or(u"?")));
        action->setData(kFirstViewCommand + view);
        connect(action, &QAction::triggered, this, [this, view] { command(kFirstViewCommand + view); });
    }
    if (!m_views.pluginFaces.empty()) {
        viewMenu->addSeparator();
        QMenu* plugins = viewMenu->addMenu(ui::text(41435));
        for (std::size_t k = 0; k < m_views.pluginFaces.size(); ++k) {
            const int id = kFirstPluginCommand + int(k);
            plugins->addAction(qText(m_views.pluginFaces[k]), this, [this, id] { command(id); });
        }
    }
}

void MainWindow::screenChanged(const ui::ScreenGeometry& geometry)
{
    m_clock.stop();
    m_geometry = geometry;
    m_screen->setFixedSize(workArea(m_geometry));
    m_viewManager->setGeometry(m_geometry.scaled(5), m_geometry.scaled(4), m_geometry.scaled(107), m_geometry.scaled(15));
    for (auto& view : m_builtInViews)
        view->rebuild(m_geometry);
    m_faceView->rebuild(m_geometry);
    m_clock.start();
    m_screen->update();
}

View& MainWindow::viewObject(int view) const
{
    if (view >= 0 && view < kBuiltInViewCount)
        return *m_builtInViews[std::size_t(view)];
    return *m_faceView;
}

bool MainWindow::selectView(int view)
{
    if (view < 0 || !ViewName(m_views.names, view))
        return false;
    m_viewManager->setCurrentIndex(view);
    refresh();
    return m_view == view;
}

void MainWindow::refresh()
{
    const int chosen = m_viewManager->currentIndex();
    if (chosen == m_view) {
        viewObject(m_view).refresh();
        return;
    }
    if (chosen >= kBuiltInViewCount) {
        const bool present = PluginFacePath(store::kDefaultInstallFolder, m_geometry.scaleShift, m_views.names, chosen).has_value();
        static_cast<FaceView&>(*m_faceView).choose(qText(ViewName(m_views.names, chosen).value_or(u"")), present);
    }
    if (m_view >= 0)
        viewObject(m_view).leave();
    if (!viewObject(chosen).activate()) {
        // The face is gone: the previous view stays.
        if (m_view >= 0) {
            (void)viewObject(m_view).activate();
            m_viewManager->setCurrentIndex(m_view);
        }
        return;
    }
    if (chosen < kBuiltInViewCount)
        viewObject(chosen).setSubSelection(0);
    m_view = chosen;
    m_screen->update();
}

ViewContext MainWindow::viewContext() const
{
    const bool squareOrLandscape = m_geometry.square || m_geometry.landscape;
    return { m_geometry, QRect(0, 0, m_geometry.width, m_geometry.scaled(squareOrLandscape ? 165 : 245)) };
}

void MainWindow::command(int id)
{
    if (const auto view = ViewOfCommand(id)) {
        selectView(*view);
        return;
    }
    switch (id) {
    case kAboutCommand:
        QMessageBox::about(this, ui::text(ui::kProductNameString),
            ui::text(ui::kProductNameString) + QStringLiteral(" " TKW_VERSION "\n") + QStringLiteral("Build " __DATE__));
        break;
    case kExitCommand:
    case kCloseCommand:
        shutDown();
        break;
    default:
        break;
    }
}

LRESULT MainWindow::message(UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_USER:
        refresh();
        return 0;
    case WM_USER + 3:
        if (m_view == kInternetTimeView || m_view == kTimeCalcView || m_view == kSunView) {
            m_tickPaint = true;
            m_screen->repaint();
        }
        return 0;
    case WM_USER + 4:
        if (m_view == kEventsView || m_view == kStopwatchView)
            viewObject(m_view).secondaryUpdate();
        return 0;
    case WM_USER + 7:
        for (auto& view : m_builtInViews)
            view->rebuild(m_geometry);
        m_faceView->rebuild(m_geometry);
        m_screen->update();
        return 0;
    case WM_USER + 9:
        if (m_view == kEventsView)
            viewObject(m_view).reloadList();
        return 0;
    case WM_USER + 5:
        QThread::msleep(100);
        m_screen->update();
        return 0;
    case WM_USER + 10:
        if (int(wParam) != m_view)
            selectView(int(wParam));
        return 0;
    case kCurrentViewQuery:
        return m_view;
    case WM_COMMAND:
        command(int(wParam & 0xffff));
        return 0;
    default:
        return 0;
    }
}

void MainWindow::tick()
{
    const SYSTEMTIME now = localNow();
    const auto& settings = store::Settings();
    const ChimeSettings chimeSettings { settings.chime != 0, settings.chimeSound[0] != 0, settings.chimeInterval };
    const bool todayItem = [] {
        const auto& events = store::SharedEventHandles();
        return events.todayPluginRunning && WaitForSingleObject(events.todayPluginRunning, 0) == WAIT_OBJECT_0;
    }();
    const bool chimeNow = ChimeDue(m_lastTick, now, chimeSettings, true, todayItem);
    const bool stopwatchRuns = m_view == kStopwatchView && settings.stopwatchRunning != 0;
    if (RedrawOnTick(m_lastTick, now, stopwatchRuns)) {
        // The runner rewrites alarms.dat when an alarm rings: the status bar and the
        // Alarms view follow within the second.
        if (now.wSecond != m_lastTick.wSecond && m_alarms.ReloadAlarmsIfChanged(now) && m_view == kAlarmsView)
            viewObject(m_view).refresh();
        m_tickPaint = true;
        m_screen->update();
    }
    m_lastTick = now;
    if (chimeNow)
        chime();
}

void MainWindow::chime()
{
    // The user interface waits while the chime sounds, as on the handheld.
    if (!m_chimePlayer)
        m_chimePlayer = std::make_unique<alert::SoundPlayer>();
    m_chimePlayer->setPath(store::Settings().chimeSound);
    m_chimePlayer->create(store::Settings().chimeSound);
    (void)m_chimePlayer->open(store::Settings().chimeSound, true);
    QThread::msleep(1000);
    m_chimePlayer->playAndWait();
    QThread::msleep(2000);
}

void MainWindow::tapScreen(QPoint point)
{
    const bool squareOrLandscape = m_geometry.square || m_geometry.landscape;
    if (const auto part = StatusBarPartAt(point.x(), point.y(), squareOrLandscape, m_geometry.scaleShift)) {
        const auto& settings = store::Settings();
        const std::uint32_t fields[] = { settings.statusField1, settings.statusField2, settings.statusField3 };
        if (const auto view = ViewOfStatusContent(fields[*part]))
            selectView(*view);
        return;
    }
    if (m_view == kMoonPhasesView)
        (void)viewObject(m_view).stylusDown(point);
}

void MainWindow::releaseScreen(QPoint point)
{
    if (m_view == kMoonPhasesView || m_view == kTimersView)
        (void)viewObject(m_view).stylusUp(point);
}

void MainWindow::paintScreen(QPainter& painter)
{
    // A tick redraws what changes each second; anything else repaints the whole view.
    const bool tick = std::exchange(m_tickPaint, false);
    if (m_view >= 0) {
        if (tick)
            viewObject(m_view).perSecond(painter, viewContext());
        else
            viewObject(m_view).paint(painter, viewContext());
    }

    const bool squareOrLandscape = m_geometry.square || m_geometry.landscape;
    const int top = m_geometry.scaled(squareOrLandscape ? 165 : 248);
    const int height = m_geometry.scaled(20);
    painter.fillRect(QRect(0, top, m_geometry.width, height), QColor(0xe8, 0xe8, 0xe8));
    painter.setFont(ui::suiteFont(ui::FontRole::Normal12, m_geometry));
    const auto& settings = store::Settings();
    const std::uint32_t fields[] = { settings.statusField1, settings.statusField2, settings.statusField3 };
    const int edges[] = { 0, 79, 161, 241 };
    const SYSTEMTIME now = localNow();
    for (int part = 0; part < 3; ++part) {
        const QRect cell(m_geometry.scaled(edges[part]), top, m_geometry.scaled(edges[part + 1] - edges[part]), height);
        painter.drawText(cell, Qt::AlignCenter, statusText(fields[part], now, m_alarms));
    }
}

void MainWindow::shutDown()
{
    if (m_closing)
        return;
    m_closing = true;
    m_clock.stop();
    // The next normal start comes back to this view.
    auto& settings = store::Settings();
    settings.lastView = std::uint32_t(std::max(m_view, 0));
    settings.lastViewItem = m_view >= 0 ? viewObject(m_view).subSelection() : 0;
    (void)store::SaveSettings(); // Exit must not stall on a full disk.
    store::Signal(store::SharedEventHandles().todaySettingsChanged);
    // Ends every loop, a dialog's too (the first start's language step may be up).
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close())
            break;
    }
    QCoreApplication::exit(0);
}

void MainWindow::changeEvent(QEvent* event)
{
    // Minimising ends the program.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        QMetaObject::invokeMethod(this, [this] { shutDown(); }, Qt::QueuedConnection);
    QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}

} // namespace app

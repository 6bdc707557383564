#include "app/main_window.h"

#include "app/clock_views.h"
#include "app/schedule.h"
#include "app/single_instance.h"
#include "app/view_table.h"
#include "cities/view/edit_cities.h"
#include "cities/view/time_and_location.h"
#include "faces/skin_record.h"
#include "faces/status_bar.h"
#include "platform/device_clock.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "store/signals.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/drop_list.h"
#include "ui/layout_report.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/string_ids.h"
#include "ui/window_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QThread>
#include <QActionGroup>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
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
constexpr int kFirstSkinCommand = 40700;
constexpr int kLastSkinCommand = 40799;
constexpr int kExitCommand = 40006;
constexpr int kCloseCommand = 1;
constexpr std::uint32_t kStartWithLastView = 0;

using platform::localNow;
using ui::qText;

// The work area: the screen less the task bar and the menu bar.
QSize workArea(const ui::ScreenGeometry& screen)
{
    const int bar = (screen.width == 320 && screen.height == 320 ? 35 : 26) * (screen.width >= 480 ? 2 : 1);
    return { screen.width, screen.height - 2 * bar };
}

// The view-selector panel as the skin places it: an origin, the first button and the steps.
struct SelectorPanel {
    QPoint origin;
    QRect first;
    QPoint step;
};

// The skin places the panel for its design screen. Where the buttons would run past the
// work area (on landscape 400-line screens the menu and task bars leave 188 of the 240
// lines, scaled), buttons and steps shrink alike until all fourteen lie on the screen, and
// the columns are centred in the room right of the views (which starts at `columnsLeft`).
SelectorPanel fitSelectorPanel(SelectorPanel panel, bool rows, QSize room, int columnsLeft)
{
    const int across = rows ? 7 : 2;
    const int down = rows ? 2 : 7;
    const QPoint start = panel.origin + panel.first.topLeft();
    const int width = (across - 1) * panel.step.x() + panel.first.width();
    const int height = (down - 1) * panel.step.y() + panel.first.height();
    const int roomWidth = room.width() - start.x();
    const int roomHeight = room.height() - start.y();
    if (width <= roomWidth && height <= roomHeight)
        return panel;
    if (width <= 0 || height <= 0 || roomWidth <= 0 || roomHeight <= 0)
        return panel;
    // The smaller of the two ratios, as a fraction: shrink = numerator / denominator.
    const bool byHeight = std::int64_t(roomHeight) * width <= std::int64_t(roomWidth) * height;
    const int numerator = byHeight ? roomHeight : roomWidth;
    const int denominator = byHeight ? height : width;
    const auto shrink = [&](int value) { return int(std::int64_t(value) * numerator / denominator); };
    panel.step = QPoint(shrink(panel.step.x()), shrink(panel.step.y()));
    panel.first.setSize(QSize(std::max(1, shrink(panel.first.width())), std::max(1, shrink(panel.first.height()))));
    if (!rows) {
        const int used = panel.step.x() + panel.first.width();
        panel.origin.setX(columnsLeft + std::max(0, (room.width() - columnsLeft - used) / 2) - panel.first.left());
    }
    return panel;
}

// The view manager's list in the title area: its tap region (x 5-111, y 4-18, scaled) at
// least, and as wide as the longest view name needs, up to the view's width. Its font grows
// with the screen like the rest of the window.
void placeTitleList(ui::DropList& list, const ui::ScreenGeometry& screen)
{
    list.setFont(ui::suiteFont(ui::FontRole::Normal12, screen));
    const int left = screen.scaled(5);
    const int width
        = std::clamp(list.sizeHint().width(), screen.scaled(107), viewWidth(screen) - 2 * left);
    QFont bold = list.font();
    bold.setBold(true);
    const int height = std::max(screen.scaled(15), QFontMetrics(bold).height() + 1);
    list.setGeometry(left, screen.scaled(4), width, height);
}

std::u16string storedSkinName()
{
    const auto& name = store::settings().skinName;
    return std::u16string(name, std::char_traits<char16_t>::length(name));
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
    placeTitleList(*m_viewManager, m_geometry);
    connect(m_viewManager, &ui::DropList::selected, this, [this](int view) { selectView(view); });

    // The city database and the look: both must be usable (a skin that cannot be used gives
    // way to the resource pack).
    if (!m_suite.loadCities() || !loadSkin()) {
        m_criticalError = m_suite.cities().available() ? CriticalError::ResourcePack : CriticalError::CityDatabase;
        m_host = new ui::WindowHost(this, qText(kMainWindowClass), qText(kMainWindowTitle),
            [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        return;
    }

    m_statusBar = std::make_unique<faces::StatusBar>(m_skin, m_geometry);
    m_suite.load(localNow());
    m_views = buildViewList(
        store::kDefaultInstallFolder, m_geometry.scaleShift, ui::text(ui::kViewNamesList).toStdU16String());
    for (const auto& face : m_views.pluginFaces)
        m_faceNames.append(qText(face));
    // The built-in views are made when they are first needed (shown, asked, or supplying
    // the status bar), so that a start does not build thirteen views to show one.
    m_builtInViews.resize(builtInViewTable().size());
    m_faceView = makeFaceView(viewSetup());
    retranslate();
    new QShortcut(QKeySequence(QStringLiteral("Ctrl+A")), this, [this] { command(kAboutCommand); });
    new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this, [this] { command(kCloseCommand); });
    // Escape leaves a clock face as a tap on its close area does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] {
        if (showsFace())
            selectView(m_lastBuiltInView);
    });

    m_host = new ui::WindowHost(this, qText(kMainWindowClass), qText(kMainWindowTitle),
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return message(msg, wParam, lParam); });

    // The start view: the one the command line names, else the last one (with its selection)
    // or the one the preferences fix.
    const auto& settings = store::settings();
    int start = kGeneralView;
    std::uint8_t item = 0;
    if (request.view) {
        start = int(*request.view);
        item = std::uint8_t(request.viewItem.value_or(0));
    } else if (settings.startView == kStartWithLastView) {
        start = int(settings.lastView);
        if (start >= 0 && start < kBuiltInViewCount && viewObject(start).restoresSubSelection())
            item = settings.lastViewItem;
    } else {
        start = int(settings.startView) - 1;
    }
    // A face restored from the last run that no longer loads would open on an empty
    // screen at every start: the General view takes its place, without a word.
    m_faceView->refuseBrokenFaces(!request.view);
    if (!selectView(start))
        selectView(kGeneralView);
    m_faceView->refuseBrokenFaces(false);
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
    m_views = buildViewList(
        store::kDefaultInstallFolder, m_geometry.scaleShift, ui::text(ui::kViewNamesList).toStdU16String());
    QStringList names;
    for (int view = 0; viewName(m_views.names, view); ++view)
        names.append(qText(*viewName(m_views.names, view)));
    m_viewNames = names;
    for (const auto& view : m_builtInViews) {
        if (auto* named = view ? dynamic_cast<NamedView*>(view.get()) : nullptr)
            named->setName(names.value(view->index()));
    }
    const int current = m_viewManager->currentIndex();
    m_viewManager->setItems(names);
    if (current >= 0)
        m_viewManager->setCurrentIndex(current);
    placeTitleList(*m_viewManager, m_geometry);
    buildMenus();
    m_screen->update();
}

void MainWindow::buildMenus()
{
    // The menus of before go (later: one of their actions may be what called this).
    for (QMenu* menu : m_menuBar->findChildren<QMenu*>())
        menu->setObjectName(QString());
    for (QMenu* menu : m_menuBar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        menu->deleteLater();
    m_menuBar->clear();
    QMenu* options = m_menuBar->addMenu(ui::text(ui::kOptionsMenuString));
    QAction* preferences = options->addAction(ui::text(ui::kPreferencesString));
    options->addSeparator();
    QAction* timeAndLocation = options->addAction(ui::text(ui::kTimeAndLocationString));
    QAction* editCities = options->addAction(ui::text(ui::kEditCitiesString));
    // Its dialog comes with the preferences.
    preferences->setEnabled(false);
    connect(timeAndLocation, &QAction::triggered, this, [this] {
        cities::TimeAndLocationDialog dialog(this, m_suite.cities());
        if (dialog.exec() == QDialog::Accepted) {
            m_suite.storeCities();
            (void)store::SaveSettings();
        }
        m_screen->update();
    });
    connect(editCities, &QAction::triggered, this, [this] {
        cities::EditCitiesPage page(this, m_suite.cities());
        page.exec();
        m_screen->update();
    });
    options->addSeparator();
    // The skins: "Default" and the files of "skins\", the one in use marked.
    m_skinMenu = faces::buildSkinMenu(store::kDefaultInstallFolder, m_geometry.scaleShift,
        ui::text(ui::kDefaultSkinString).toStdU16String(), storedSkinName());
    QMenu* skins = options->addMenu(ui::text(ui::kSkinMenuString));
    skins->setObjectName(QStringLiteral("SkinMenu"));
    auto* group = new QActionGroup(skins);
    for (std::size_t k = 0; k < m_skinMenu.entries.size(); ++k) {
        const auto& entry = m_skinMenu.entries[k];
        QAction* action = skins->addAction(qText(entry.name));
        action->setCheckable(true);
        action->setChecked(int(k) == m_skinMenu.checked);
        action->setData(entry.command);
        group->addAction(action);
        const int id = entry.command;
        connect(action, &QAction::triggered, this, [this, id] { command(id); });
    }
    options->addSeparator();
    options->addAction(ui::text(ui::kAboutString), this, [this] { command(kAboutCommand); });
    options->addAction(ui::text(ui::kExitString), this, [this] { command(kExitCommand); });

    QMenu* viewMenu = m_menuBar->addMenu(ui::text(ui::kViewMenuString));
    viewMenu->setObjectName(QStringLiteral("ViewMenu"));
    for (int view = 0; view < kBuiltInViewCount; ++view) {
        QAction* action = viewMenu->addAction(qText(viewName(m_views.names, view).value_or(u"?")));
        action->setData(kFirstViewCommand + view);
        connect(action, &QAction::triggered, this, [this, view] { command(kFirstViewCommand + view); });
    }
    if (!m_views.pluginFaces.empty()) {
        viewMenu->addSeparator();
        QMenu* plugins = viewMenu->addMenu(ui::text(ui::kPluginsMenuString));
        for (std::size_t k = 0; k < m_views.pluginFaces.size(); ++k) {
            const int id = kFirstPluginCommand + int(k);
            plugins->addAction(qText(m_views.pluginFaces[k]), this, [this, id] { command(id); });
        }
    }
    ui::fitMenuToWorkArea(*options);
    ui::fitMenuToWorkArea(*viewMenu);
}

void MainWindow::screenChanged(const ui::ScreenGeometry& geometry)
{
    m_clock.stop();
    m_geometry = geometry;
    ui::applyDeviceScale(m_geometry);
    m_screen->setFixedSize(showsFace() ? QSize(m_geometry.width, m_geometry.height) : workArea(m_geometry));
    placeTitleList(*m_viewManager, m_geometry);
    buildMenus(); // the menus fit the screen's height
    rebuildViews();
    m_clock.start();
    m_screen->update();
}

bool MainWindow::loadSkin()
{
    faces::SkinSource source;
    source.installFolder = std::u16string(store::kDefaultInstallFolder);
    source.scaleShift = m_geometry.scaleShift;
    source.layoutKind = m_geometry.layoutKind;
    if (m_skin.load(source, storedSkinName(), ui::text(ui::kDefaultSkinString).toStdU16String())
        == faces::SkinOutcome::PackUnusable)
        return false;
    // The widget-based parts of the views (the title list, the Alarms view's rows, the
    // calendar) take the look's colours from the screen they stand on.
    m_screen->setPalette(faces::skinPalette(m_skin));
    return true;
}

void MainWindow::rebuildViews()
{
    m_statusBar = std::make_unique<faces::StatusBar>(m_skin, m_geometry);
    for (auto& view : m_builtInViews)
        if (view)
            view->rebuild(m_geometry);
    m_faceView->rebuild(m_geometry);
}

void MainWindow::selectSkin(int id)
{
    const auto name = faces::skinChoice(m_skinMenu, id, storedSkinName(), ui::text(ui::kDefaultSkinString).toStdU16String());
    if (!name)
        return; // the skin in use
    auto& settings = store::settings();
    std::fill(std::begin(settings.skinName), std::end(settings.skinName), u'\0');
    std::copy_n(name->begin(), std::min<std::size_t>(name->size(), 63), settings.skinName);
    (void)store::SaveSettings();
    (void)loadSkin();
    rebuildViews();
    buildMenus();
    m_screen->update();
}

std::optional<QRect> MainWindow::selectorButton(int button) const
{
    if (m_geometry.layoutKind == 0 || button < 0 || button > 13)
        return std::nullopt;
    namespace skin = faces::skin;
    const bool rows = m_geometry.layoutKind == 1 && !m_geometry.landscape;
    // The columns stand right of the views: their origin counts from the views' right edge.
    const QPoint origin = rows ? QPoint(m_skin.word(skin::kSelectorOriginX), m_skin.word(skin::kSelectorOriginY))
                               : QPoint(viewWidth(m_geometry) + m_skin.word(skin::kSelectorColumnOriginX),
                                     m_skin.word(skin::kSelectorColumnOriginY));
    const int f = skin::kSelectorFirstButton;
    const QRect first(QPoint(m_skin.word(f), m_skin.word(f + 1)), QPoint(m_skin.word(f + 2) - 1, m_skin.word(f + 3) - 1));
    const QPoint step = rows ? QPoint(m_skin.word(skin::kSelectorStepX), m_skin.word(skin::kSelectorStepY))
                             : QPoint(m_skin.word(skin::kSelectorColumnStepX), m_skin.word(skin::kSelectorColumnStepY));
    if (first.isEmpty())
        return std::nullopt;
    const SelectorPanel panel = fitSelectorPanel({ origin, first, step }, rows, workArea(m_geometry),
        rows ? 0 : viewWidth(m_geometry));
    // Two rows of seven, or two columns of seven rows.
    const QPoint at = rows ? QPoint((button % 7) * panel.step.x(), (button / 7) * panel.step.y())
                           : QPoint((button % 2) * panel.step.x(), (button / 2) * panel.step.y());
    return panel.first.translated(panel.origin + at);
}

std::optional<int> MainWindow::selectorButtonAt(QPoint point) const
{
    for (int button = 0; button < 14; ++button) {
        if (const auto rect = selectorButton(button); rect && rect->contains(point))
            return button;
    }
    return std::nullopt;
}

ViewSetup MainWindow::viewSetup()
{
    return { this, m_screen, m_geometry, m_skin, m_suite, m_faceNames };
}

View& MainWindow::viewObject(int view) const
{
    if (view < 0 || view >= kBuiltInViewCount)
        return *m_faceView;
    auto& made = m_builtInViews[std::size_t(view)];
    if (!made) {
        for (const auto& row : builtInViewTable())
            if (row.index == view)
                made = row.make(const_cast<MainWindow*>(this)->viewSetup()); // made once, on first use
        if (auto* named = dynamic_cast<NamedView*>(made.get()))
            named->setName(m_viewNames.value(view));
    }
    return *made;
}

void MainWindow::addStatusInputs(faces::StatusBarInputs& inputs) const
{
    // The Sun view computes the day's sunrise and sunset the bar shows.
    for (const auto content : inputs.contents)
        if (content == std::uint32_t(faces::StatusContent::Sunrise) || content == std::uint32_t(faces::StatusContent::Sunset))
            (void)viewObject(kSunView);
    for (const auto& view : m_builtInViews)
        if (view)
            view->addStatusInputs(inputs);
}

bool MainWindow::selectView(int view)
{
    if (view < 0 || !viewName(m_views.names, view))
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
        m_faceView->choose(qText(viewName(m_views.names, chosen).value_or(u"")),
                pluginFacePath(store::kDefaultInstallFolder, m_geometry.scaleShift, m_views.names, chosen));
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
    if (m_view >= 0 && m_view < kBuiltInViewCount)
        m_lastBuiltInView = m_view;
    m_view = chosen;
    // A clock face covers the whole screen, bars and all; the title area and the menus
    // return with the built-in views.
    const bool face = showsFace();
    m_viewManager->setVisible(!face);
    m_menuBar->setVisible(!face);
    m_screen->setFixedSize(face ? QSize(m_geometry.width, m_geometry.height) : workArea(m_geometry));
    m_screen->update();
}

ViewContext MainWindow::viewContext() const
{
    if (showsFace())
        return { m_geometry, m_screen->rect() };
    const bool squareOrLandscape = m_geometry.square || m_geometry.landscape;
    return { m_geometry, QRect(0, 0, viewWidth(m_geometry), m_geometry.scaled(squareOrLandscape ? 165 : 245)) };
}

void MainWindow::command(int id)
{
    if (const auto view = viewOfCommand(id)) {
        selectView(*view);
        return;
    }
    if (id >= kFirstSkinCommand && id <= kLastSkinCommand) {
        selectSkin(id);
        return;
    }
    switch (id) {
    case kAboutCommand:
        showAbout(this);
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
    if (msg == WM_COMMAND) {
        command(int(wParam & 0xffff));
        return 0;
    }
    const auto known = windowMessageOf(msg);
    if (!known)
        return 0;
    // The views' hooks do nothing where a view has nothing of the kind; before the start
    // view is chosen there is no view to ask.
    View* current = m_view >= 0 ? &viewObject(m_view) : nullptr;
    switch (*known) {
    case WindowMessage::Refresh:
        refresh();
        return 0;
    case WindowMessage::PerSecondUpdate:
        if (current && current->takesPerSecondUpdate()) {
            m_tickPaint = true;
            m_screen->repaint();
        }
        return 0;
    case WindowMessage::SecondaryUpdate:
        if (current)
            current->secondaryUpdate();
        return 0;
    case WindowMessage::DelayedRepaint:
        QThread::msleep(100);
        m_screen->update();
        return 0;
    case WindowMessage::RebuildViews:
        rebuildViews();
        m_screen->update();
        return 0;
    case WindowMessage::ReloadList:
        if (current)
            current->reloadList();
        return 0;
    case WindowMessage::SwitchView:
        if (int(wParam) != m_view)
            selectView(int(wParam));
        return 0;
    case WindowMessage::CurrentViewQuery:
        return m_view;
    }
    return 0;
}

void MainWindow::tick()
{
    const SYSTEMTIME now = localNow();
    const auto& settings = m_suite.settings();
    const ChimeSettings chimeSettings { settings.chime != 0, settings.chimeSound[0] != 0, settings.chimeInterval };
    const bool chimeNow = chimeDue(m_lastTick, now, chimeSettings, true, m_suite.todayItemRunning());
    const bool everyTick = m_view >= 0 && viewObject(m_view).wantsEveryTick();
    if (redrawOnTick(m_lastTick, now, everyTick)) {
        // The runner rewrites alarms.dat when an alarm rings: the status bar and the
        // view showing the alarms follow within the second.
        if (now.wSecond != m_lastTick.wSecond && m_suite.alarms().ReloadAlarmsIfChanged(now) && m_view >= 0)
            viewObject(m_view).changed(Change::Alarms);
        m_tickPaint = true;
        m_screen->update();
    }
    m_lastTick = now;
    // The chime sounds beside the window, which keeps drawing and answering meanwhile.
    if (chimeNow)
        (void)m_chime.play(settings.chimeSound);
}

void MainWindow::tapScreen(QPoint point)
{
    if (showsFace()) {
        // A tap on the face's close area goes back to the view before it.
        if (m_faceView->closesAt(point)) {
            m_pressLeftFace = true;
            selectView(m_lastBuiltInView);
        }
        return;
    }
    const bool squareOrLandscape = m_geometry.square || m_geometry.landscape;
    if (const auto part = statusBarPartAt(point.x(), point.y(), squareOrLandscape, m_geometry.scaleShift)) {
        const auto& settings = store::settings();
        const std::uint32_t fields[] = { settings.statusField1, settings.statusField2, settings.statusField3 };
        if (const auto view = viewOfStatusContent(fields[*part]))
            selectView(*view);
        return;
    }
    if (const auto button = selectorButtonAt(point)) {
        selectView(*button);
        return;
    }
    if (m_view >= 0)
        (void)viewObject(m_view).stylusDown(point);
}

void MainWindow::releaseScreen(QPoint point)
{
    // The release of the tap that left a face is not the next view's.
    if (std::exchange(m_pressLeftFace, false))
        return;
    if (m_view >= 0 && !showsFace())
        (void)viewObject(m_view).stylusUp(point);
}

void MainWindow::paintScreen(QPainter& painter)
{
    if (m_criticalError != CriticalError::None) {
        painter.fillRect(m_screen->rect(), Qt::white);
        return;
    }
    // A tick redraws what changes each second; anything else repaints the whole view.
    const bool tick = std::exchange(m_tickPaint, false);
    if (m_view < 0)
        return;
    if (!tick)
        painter.fillRect(m_screen->rect(), m_skin.colour(faces::skin::kWindowColour));
    if (tick)
        viewObject(m_view).perSecond(painter, viewContext());
    else
        viewObject(m_view).paint(painter, viewContext());
    if (showsFace())
        return; // the face covers the screen

    // The view-selector panel of 400-line and 320 x 320 screens.
    const QImage up = m_skin.imageOf(faces::skin::kViewSelectorUp);
    const QImage down = m_skin.imageOf(faces::skin::kViewSelectorDown);
    if (!up.isNull()) {
        const int frame = up.width() / 14;
        for (int button = 0; button < 14; ++button) {
            const auto rect = selectorButton(button);
            if (!rect)
                break;
            const QImage& strip = button == m_view && !down.isNull() ? down : up;
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(*rect), strip, QRectF(button * frame, 0, frame, strip.height()));
        }
    }
    if (m_statusBar) {
        auto inputs = m_suite.statusInputs(localNow());
        addStatusInputs(inputs);
        m_statusBar->draw(painter, inputs);
    }
}

QRect MainWindow::reportStatusBar(ui::LayoutReport& report)
{
    if (!m_statusBar || showsFace())
        return { };
    auto inputs = m_suite.statusInputs(localNow());
    addStatusInputs(inputs);
    m_statusBar->reportLayout(report, inputs);
    return m_statusBar->rect();
}

void MainWindow::shutDown()
{
    if (m_closing)
        return;
    m_closing = true;
    m_clock.stop();
    // The next normal start comes back to this view.
    auto& settings = store::settings();
    settings.lastView = std::uint32_t(std::max(m_view, 0));
    settings.lastViewItem = m_view >= 0 ? viewObject(m_view).subSelection() : 0;
    m_suite.storeCities();
    // tkwctl may have started or stopped the stopwatch a moment ago: keep its change.
    (void)m_suite.stopwatch().syncWithDisk();
    (void)store::SaveSettings(); // Exit must not stall on a full disk.
    store::Signal(store::sharedEventHandles().todaySettingsChanged);
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

#pragma once
// The main program's window in normal mode: the current view, the status bar, the menus,
// the 100 ms clock, and the private messages other programs send it.

#include "app/command_line.h"
#include "app/first_run.h"
#include "app/interval_chime.h"
#include "app/suite_state.h"
#include "app/view.h"
#include "app/view_list.h"
#include "app/window_messages.h"
#include "faces/skin.h"
#include "faces/status_bar.h"
#include "platform/types.h"
#include "platform/windows.h"
#include "ui/screen_geometry.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class QMenuBar;

namespace ui {
class DropList;
class LayoutReport;
class WindowHost;
}

namespace app {

class FaceView;
struct ViewSetup;

class MainWindow final : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const StartRequest& request);
    ~MainWindow() override;

    [[nodiscard]] int currentView() const { return m_view; }
    [[nodiscard]] const ViewList& views() const { return m_views; }
    // Switches to a view; false when it does not exist (a face file gone since start).
    bool selectView(int view);
    // The refresh of WindowMessage::Refresh: switches to the view manager's choice, or
    // lets the current view refresh what it shows.
    void refresh();
    // The object of a view (built-in 0-12; every index above shares the face view).
    [[nodiscard]] View& viewObject(int view) const;
    [[nodiscard]] alarms::AlarmBoard& alarmBoard() { return m_suite.alarms(); }
    [[nodiscard]] SuiteState& suite() { return m_suite; }
    // Whether the interval chime is sounding (it plays beside the window's events).
    [[nodiscard]] bool chiming() const { return m_chime.playing(); }
    // Not None when the shipped look is unusable: the program tells the user and ends.
    [[nodiscard]] CriticalError criticalError() const { return m_criticalError; }
    [[nodiscard]] const faces::SkinSet& skin() const { return m_skin; }
    // The view-selector button's rectangle on 400-line and 320 x 320 screens.
    [[nodiscard]] std::optional<QRect> selectorButton(int button) const;
    [[nodiscard]] std::optional<int> selectorButtonAt(QPoint point) const;
    // A menu or accelerator command (40001-40023, 40500-40599, 1).
    void command(int command);
    // The device point of the window's screen, for taps.
    [[nodiscard]] QWidget* screen() const { return m_screen; }
    // The status bar's texts and icons for the layout check, and the strip they lie in
    // (empty where the screen has no status bar, or a face is shown).
    [[nodiscard]] QRect reportStatusBar(ui::LayoutReport& report);
    // The view manager's list in the title area.
    [[nodiscard]] ui::DropList* viewManager() const { return m_viewManager; }
    // The interface language changed (the first start's language step): menus and names.
    void retranslate();
    // Saves the state the next start restores (view, settings) and closes.
    void shutDown();
    [[nodiscard]] bool closing() const { return m_closing; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    LRESULT message(UINT message, WPARAM wParam, LPARAM lParam);
    void tick();
    void buildMenus();
    void screenChanged(const ui::ScreenGeometry& geometry);
    bool loadSkin();
    void rebuildViews();
    void selectSkin(int command);
    [[nodiscard]] bool showsFace() const { return m_view >= kBuiltInViewCount; }
    void tapScreen(QPoint point);
    void releaseScreen(QPoint point);
    [[nodiscard]] ViewContext viewContext() const;
    void paintScreen(QPainter& painter);
    friend class ScreenWidget;

    ui::ScreenGeometry m_geometry;
    ViewList m_views;
    CriticalError m_criticalError = CriticalError::None;
    faces::SkinSet m_skin;
    faces::SkinMenu m_skinMenu;
    std::unique_ptr<faces::StatusBar> m_statusBar;
    SuiteState m_suite;
    int m_lastBuiltInView = 0;
    int m_view = -1; // none until the start view is chosen
    // By index, from the table of views; each made when first needed (viewObject).
    mutable std::vector<std::unique_ptr<View>> m_builtInViews;
    QStringList m_faceNames; // the installed clock faces, by name
    QStringList m_viewNames; // in the interface language
    [[nodiscard]] ViewSetup viewSetup();
    // The status bar's inputs the views supply (the Sun view's sunrise and sunset).
    void addStatusInputs(faces::StatusBarInputs& inputs) const;
    std::unique_ptr<FaceView> m_faceView;
    bool m_tickPaint = false;
    bool m_pressLeftFace = false; // a tap left a face: its release goes nowhere
    QWidget* m_screen = nullptr;
    ui::DropList* m_viewManager = nullptr;
    QMenuBar* m_menuBar = nullptr;
    ui::WindowHost* m_host = nullptr;
    QTimer m_clock;
    SYSTEMTIME m_lastTick { };
    IntervalChime m_chime;
    bool m_closing = false;
};

} // namespace app

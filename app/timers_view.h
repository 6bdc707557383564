#pragma once
// The Timers view: one of the sixteen timers at a time. The timer list and a strip of four
// tabs with page arrows choose it (a bell marks the tabs of running timers); the countdown
// display ("TimersItem") shows what it counts, and a tap on it sets the initial value of a
// stopped timer; under it the start panel ("Start", "Reset", "Set...") or the stop panel
// ("Stop"), and "Stop && Reset All...". Every change is one edit of timers.dat under the
// edit lock, made on the copy the runner or tkwctl last wrote.

#include "app/view.h"

#include <QLabel>
#include <QStringList>
#include <array>

class QComboBox;
class QPushButton;
class QToolButton;

namespace faces {
class SkinSet;
}
namespace timers {
class TimerBoard;
struct TimerOutcome;
}

namespace app {

struct TimerChoice;

// The countdown display: the selected timer's "HH:MM:SS", as large as the view allows.
class CountdownDisplay final : public QLabel {
    Q_OBJECT
public:
    explicit CountdownDisplay(QWidget* parent);

signals:
    void tapped();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

class TimersView final : public View {
public:
    TimersView(QWidget* screen, const ui::ScreenGeometry& geometry, timers::TimerBoard& board, QStringList faces);
    ~TimersView() override;

    bool activate() override;
    void leave() override;
    void refresh() override;
    void perSecond(QPainter& painter, const ViewContext& context) override;
    void paint(QPainter& painter, const ViewContext& context) override;
    [[nodiscard]] std::uint8_t subSelection() const override { return std::uint8_t(m_selected); }
    void setSubSelection(std::uint8_t item) override { SelectTimer(item); }
    [[nodiscard]] bool restoresSubSelection() const override { return true; }
    void rebuild(const ui::ScreenGeometry& geometry) override;

    // From the list or a tab: the timer shown, its tab visible and its panel.
    void SelectTimer(int index);
    [[nodiscard]] int selected() const { return m_selected; }
    [[nodiscard]] int firstTab() const { return m_firstTab; }
    void showTabsFrom(int firstTab);

    // The buttons' actions on the selected timer (tests call them too).
    void startSelected();
    void stopSelected();
    void resetSelected();
    void resetAll();
    void openSettings(int index);
    void countdownTapped();

    // The controls.
    [[nodiscard]] QWidget* panel() const { return m_panel; }
    [[nodiscard]] QComboBox* timerList() const { return m_list; }
    [[nodiscard]] QToolButton* tab(int position) const { return m_tabs[std::size_t(position)]; }
    [[nodiscard]] QToolButton* previousTabs() const { return m_previousTabs; }
    [[nodiscard]] QToolButton* nextTabs() const { return m_nextTabs; }
    [[nodiscard]] CountdownDisplay* display() const { return m_display; }
    [[nodiscard]] QWidget* startPanel() const { return m_startPanel; }
    [[nodiscard]] QWidget* stopPanel() const { return m_stopPanel; }
    [[nodiscard]] QWidget* resetAllPanel() const { return m_resetAllPanel; }
    // Whether the start panel is in its narrow version (two rows) on this screen.
    [[nodiscard]] bool narrowStartPanel() const { return m_narrowStartPanel; }

private:
    void build();
    void buildTabs(int top, int height);
    void buildPanels(int top, int bottom);
    void fill();
    [[nodiscard]] bool runningOnScreen(int index) const;
    // Takes the edit of timers.dat and brings the copy up to date with what the other
    // programs wrote; false (the user was told) when another program kept the file.
    template <typename Change> bool editTimers(Change&& change);
    void syncWithDisk();
    void tell(const timers::TimerOutcome& outcome);
    void applySettings(int index, const TimerChoice& choice);

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    timers::TimerBoard& m_board;
    QStringList m_faces;
    QWidget* m_panel = nullptr;
    QComboBox* m_list = nullptr;
    QToolButton* m_previousTabs = nullptr;
    QToolButton* m_nextTabs = nullptr;
    std::array<QToolButton*, 4> m_tabs {};
    bool m_narrowTabs = false;
    CountdownDisplay* m_display = nullptr;
    QWidget* m_startPanel = nullptr;
    QWidget* m_stopPanel = nullptr;
    QWidget* m_resetAllPanel = nullptr;
    bool m_narrowStartPanel = false;
    int m_selected = 0;
    int m_firstTab = 0;
};

} // namespace app

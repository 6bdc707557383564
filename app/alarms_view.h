#pragma once
// The Alarms view: the twenty alarms in pages of four rows (three on square and landscape
// screens). A row has the on/off box captioned with the alarm's number, its label, its
// time, the seven weekday boxes in the locale's order and "Settings...".

#include "app/view.h"

#include <QDateTime>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QToolButton;
class QPushButton;

namespace alarms {
class AlarmBoard;
}
namespace ui {
class InputBox;
class TimePicker;
}

namespace app {

// The seven weekday letters of a row, 101 x 18 logical pixels; a tap toggles a day.
class WeekdayBoxes final : public QWidget {
    Q_OBJECT
public:
    WeekdayBoxes(QWidget* parent, int scaleShift);
    void setMask(std::uint8_t mask);
    [[nodiscard]] std::uint8_t mask() const { return m_mask; }
    // Three blinks of 196 ms highlighted and 196 ms normal.
    void blink();
    [[nodiscard]] bool blinking() const { return m_blinkPhase > 0; }

signals:
    void toggled(std::uint8_t mask);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_scaleShift;
    std::uint8_t m_mask = 0;
    int m_blinkPhase = 0; // counts down; odd phases are highlighted
};

class AlarmsView final : public View {
public:
    // `faces` are the installed clock faces (the settings window offers them).
    AlarmsView(QWidget* screen, const ui::ScreenGeometry& geometry, alarms::AlarmBoard& board, QStringList faces);
    ~AlarmsView() override;

    bool activate() override;
    void leave() override;
    void refresh() override;
    // The runner rewrites alarms.dat when an alarm rings: the rows follow.
    void changed(Change what) override
    {
        if (what == Change::Alarms)
            refresh();
    }
    void perSecond(QPainter& painter, const ViewContext& context) override;
    void paint(QPainter& painter, const ViewContext& context) override;
    [[nodiscard]] std::uint8_t subSelection() const override;
    void setSubSelection(std::uint8_t item) override;
    [[nodiscard]] bool restoresSubSelection() const override { return true; }
    void rebuild(const ui::ScreenGeometry& geometry) override;

    [[nodiscard]] int page() const { return m_page; }
    void showPage(int page);
    [[nodiscard]] int rowsPerPage() const;

    // One row's controls (row 0 at the top of the page).
    struct Row {
        QWidget* frame = nullptr;
        QCheckBox* onOff = nullptr;
        ui::InputBox* label = nullptr;
        ui::TimePicker* time = nullptr;
        WeekdayBoxes* weekdays = nullptr;
        QPushButton* settings = nullptr;
    };
    [[nodiscard]] const std::vector<Row>& rows() const { return m_rows; }
    [[nodiscard]] QWidget* panel() const { return m_panel; }

    // The user's actions on alarm `index` (the rows call these; tests too).
    void switchAlarm(int index, bool on);
    void setWeekdays(int index, std::uint8_t mask);
    void timeTapped(int index);
    void setLabel(int index, const QString& label);
    void openSettings(int index);

private:
    void build();
    void fill();
    void fillRow(const Row& row, int index);
    void tellNotRegistered();
    void tellNoWeekdays(int row);

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    alarms::AlarmBoard& m_board;
    QStringList m_faces;
    QWidget* m_panel = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QLabel* m_pageTitle = nullptr;
    std::vector<Row> m_rows;
    int m_page = 0;
    QDateTime m_timeDialogMoment; // opened or closed: the 536 ms guard
};

} // namespace app

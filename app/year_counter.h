#pragma once
// The General view's year counter (window class `PasRemaind`): a unit list (hours, days,
// weeks, months) and a year list (1913-2031), and the time passed since the chosen year
// began and the time remaining until it ends, in that unit with one decimal.

#include "astro/time_calc.h"
#include "platform/types.h"
#include "ui/screen_geometry.h"

#include <QWidget>

class QLabel;

namespace ui {
class DropList;
}

namespace app {

class YearCounterBox final : public QWidget {
    Q_OBJECT
public:
    // Starts on Days and the year of `now` (device local time).
    YearCounterBox(
        const ui::ScreenGeometry& geometry, const SYSTEMTIME& now, QWidget* parent = nullptr);

    // Recomputes both values for `now`; cheap when nothing changed.
    void setNow(const SYSTEMTIME& now);
    // Lays the lists and values out again for the widget's size and the screen.
    void setScreen(const ui::ScreenGeometry& geometry);

    [[nodiscard]] astro::CounterUnit unit() const;
    [[nodiscard]] int year() const;
    void setUnit(astro::CounterUnit unit);
    void setYear(int year);

    [[nodiscard]] ui::DropList* unitList() const { return m_units; }
    [[nodiscard]] ui::DropList* yearList() const { return m_years; }
    [[nodiscard]] QString passedText() const;
    [[nodiscard]] QString remainText() const;

    // One row: the two lists side by side, the two values one above the other.
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    void recompute();

    ui::ScreenGeometry m_geometry;
    SYSTEMTIME m_now {};
    ui::DropList* m_units;
    ui::DropList* m_years;
    QLabel* m_passed;
    QLabel* m_remain;
};

} // namespace app

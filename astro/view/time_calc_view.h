#pragma once
// The Time Calc view, a time-zone converter: a source city, a date and a time, and a grid
// of cities from the settings' cityListB, each showing its local date and time at that
// moment with a small analog clock.
//
// The source chooser starts on the world-time city but keeps its choice to itself: picking
// a source here must not move the home location, which the start-up compares with the
// device's zone.

#include "app/view.h"
#include "astro/view/city_grid.h"

#include <cstdint>

namespace faces {
class SkinSet;
}
namespace ui {
class DatePicker;
class TimePicker;
}

namespace astro {

class TimeCalcView final : public app::View {
public:
    // `screen` parents the controls; the skin and the database outlive the view.
    TimeCalcView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
        cities::CityDatabase& database);
    ~TimeCalcView() override;

    bool activate() override;
    void leave() override;
    // Reads the city files again when another program changed them; the choosers follow.
    void refresh() override;
    void perSecond(QPainter& painter, const app::ViewContext& context) override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;
    [[nodiscard]] bool takesPerSecondUpdate() const override { return true; }

    // The entry in the first cell is what the next start restores.
    [[nodiscard]] std::uint8_t subSelection() const override;
    void setSubSelection(std::uint8_t item) override;
    [[nodiscard]] bool restoresSubSelection() const override { return true; }

    [[nodiscard]] CityGrid& grid() { return m_grid; }
    [[nodiscard]] cities::CityList& source() const { return *m_source; }
    [[nodiscard]] ui::DatePicker& datePicker() const { return *m_date; }
    [[nodiscard]] ui::TimePicker& timePicker() const { return *m_time; }
    // The moment converted: the pickers' date and time in the source city.
    [[nodiscard]] SYSTEMTIME sourceTime() const;

private:
    void place(const ui::ScreenGeometry& geometry);
    [[nodiscard]] CityGrid::LocalTimeOf localTimeOf() const;

    QWidget* m_screen;
    const faces::SkinSet& m_skin;
    cities::CityDatabase& m_database;
    ui::ScreenGeometry m_geometry;
    cities::CityList* m_source;
    ui::DatePicker* m_date;
    ui::TimePicker* m_time;
    CityGrid m_grid;
};

} // namespace astro

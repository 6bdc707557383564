#pragma once
// The City Time view: a grid of cities from the settings' cityListA, each with a chooser
// to change its city and the city's local time and date, drawn every second.

#include "app/view.h"
#include "astro/view/city_grid.h"

#include <cstdint>
#include <functional>

namespace faces {
class SkinSet;
}

namespace astro {

class CityTimeView final : public app::View {
public:
    // `screen` parents the choosers; the skin and the database outlive the view.
    CityTimeView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
        cities::CityDatabase& database);
    ~CityTimeView() override;

    bool activate() override;
    void leave() override;
    // Reads the city files again when another program changed them; the choosers follow.
    void refresh() override;
    void perSecond(QPainter& painter, const app::ViewContext& context) override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

    // The entry in the first cell is what the next start restores.
    [[nodiscard]] std::uint8_t subSelection() const override;
    void setSubSelection(std::uint8_t item) override;
    [[nodiscard]] bool restoresSubSelection() const override { return true; }

    [[nodiscard]] CityGrid& grid() { return m_grid; }
    // Where universal time comes from (tests fix it): 100-ns ticks since 1601.
    void setUniversalClock(std::function<std::uint64_t()> clock)
    {
        m_universalNow = std::move(clock);
    }

private:
    [[nodiscard]] CityGrid::LocalTimeOf localTimeOf() const;

    QWidget* m_screen;
    const faces::SkinSet& m_skin;
    cities::CityDatabase& m_database;
    CityGrid m_grid;
    std::function<std::uint64_t()> m_universalNow;
};

} // namespace astro

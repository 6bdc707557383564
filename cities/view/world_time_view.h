#pragma once
// The World Time view: the world map with the night side shaded for this moment, and two
// cities the user chooses, each with its local time, its offset from universal time and
// its marker on the map (the first red, the second blue). The two choices live in the
// settings (cityChooserA, cityChooserB) and in the choosers' slots of the city database,
// which keep them on their cities while cities are added and deleted.

#include "app/view.h"
#include "cities/city_database.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace faces {
class SkinSet;
}

namespace cities {

class CityList;

// Where the view puts its parts on a screen: the map, and for each city its chooser, its
// time and its offset label (name and offset, on two lines when one is too narrow).
struct WorldTimeLayout {
    QRect map;
    std::array<QRect, 2> chooser;
    std::array<QRect, 2> time;
    std::array<QRect, 2> label;
};
[[nodiscard]] WorldTimeLayout worldTimeLayout(const ui::ScreenGeometry& geometry);

class WorldTimeView final : public app::View {
public:
    // `screen` parents the two choosers; the skin and the database outlive the view.
    WorldTimeView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
        CityDatabase& database);
    ~WorldTimeView() override;

    bool activate() override;
    void leave() override;
    // Reads the city files again when another program changed them, and lets the
    // choosers follow their cities.
    void refresh() override;
    void perSecond(QPainter& painter, const app::ViewContext& context) override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

    [[nodiscard]] CityList& chooser(std::size_t which) const { return *m_choosers[which]; }
    // The texts the view shows for city 0 or 1: its local time and its offset label.
    [[nodiscard]] QString timeText(std::size_t which) const;
    [[nodiscard]] QString labelText(std::size_t which) const;

    // Where universal time comes from (tests and benchmarks fix it): 100-ns ticks since 1601.
    void setUniversalClock(std::function<std::uint64_t()> clock) { m_universalNow = std::move(clock); }

private:
    struct Text {
        QRect rect;
        QString text;
        QFont font;
        int flags = 0;
        bool quiet = false; // in the look's date colour
    };
    [[nodiscard]] std::vector<Text> texts(std::uint64_t universalTicks) const;
    // Keeps the settings on the choosers' cities.
    void storeChoices() const;
    void placeChoosers();
    // The map for this minute with its markers, made again only when the minute or a
    // city changed.
    const QImage& composedMap(std::uint64_t universalTicks);
    void prepareMapPictures();

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    WorldTimeLayout m_layout;
    const faces::SkinSet& m_skin;
    CityDatabase& m_database;
    std::array<CityList*, 2> m_choosers {};
    std::function<std::uint64_t()> m_universalNow;

    QImage m_day, m_night; // the look's maps at the map's size
    QImage m_composed;
    std::int64_t m_composedMinute = -1;
    std::array<QPoint, 2> m_composedMarkers {};
};

} // namespace cities

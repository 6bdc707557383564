#pragma once
// The Moon Phases view: for this moment, or for a date and time the user picks, the Moon's
// picture from the look's strip of 24 frames (combined with its background by a bitwise
// AND of colours), its phase name, visible part, age and distance, the next apogee and
// perigee, and the next four principal phases with their icons. Seen from a current city
// south of the equator the pictures are those of the southern sky. On square and landscape
// screens the view is compact and lists only the first and the third phase.

#include "app/view.h"
#include "astro/moon.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace cities {
class CityDatabase;
}

namespace faces {
class SkinSet;
}

namespace ui {
class DatePicker;
class TimePicker;
}

namespace astro {

struct DrawnText;

// Where the view puts its parts on a screen; the texts' rows are laid out from these.
struct MoonLayout {
    bool compact = false; // square and landscape screens
    QRect heading; // "The Moon at" and the two pickers
    QRect picture;
    QRect beside; // right of the picture: the phases (portrait) or the facts (compact)
    QRect below; // under the picture: the facts (portrait) or the apsides and phases (compact)
    int lineHeight = 14;
    int iconSide = 16;
};
[[nodiscard]] MoonLayout moonLayout(const ui::ScreenGeometry& geometry);

// The texts the view shows for one moment, in the device's locale and language.
struct MoonFacts {
    QString phaseName;
    QString visible; // "57%"
    QString age; // "12d 5h 7m"
    QString distance; // "384400 km"
    QString apogee; // "4:05 PM 12 Dec 2026" (time and date)
    QString apogeeDistance;
    QString perigee;
    QString perigeeDistance;
    int picture = 0; // frame 0-23, as seen from the current city's hemisphere
    bool south = false;
    std::array<PhaseKind, 4> phases {}; // in time order
    std::array<PhaseKind, 4> icons {}; // the kinds their icons show
    std::array<QString, 4> phaseTimes; // local time without seconds
    std::array<QString, 4> phaseDates; // local short date
};

class MoonView final : public app::View {
public:
    // `screen` parents the two pickers; the skin and the database outlive the view.
    MoonView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
        cities::CityDatabase& database);
    ~MoonView() override;

    bool activate() override;
    // Leaving goes back to the present moment for the next visit.
    void leave() override;
    // Reads the city files again when another program changed them (the current city
    // decides the hemisphere).
    void refresh() override;
    void perSecond(QPainter& painter, const app::ViewContext& context) override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

    // Shows the Moon at a moment of the device's local time (the user's pick), or again at
    // the present moment.
    void showMoment(const SYSTEMTIME& deviceLocal);
    void showPresent();
    [[nodiscard]] bool showsChosenMoment() const { return m_chosenLocalTicks.has_value(); }

    // The moment shown, as universal time, and what the view shows for it.
    [[nodiscard]] std::optional<SYSTEMTIME> shownUniversal() const;
    [[nodiscard]] MoonFacts facts() const;
    // Frame `index` of the look's strip combined with the picture's background, at the
    // strip's size; null when the look has no moon strip.
    [[nodiscard]] QImage composedPicture(int index) const;

    [[nodiscard]] ui::DatePicker& datePicker() const { return *m_date; }
    [[nodiscard]] ui::TimePicker& timePicker() const { return *m_time; }
    [[nodiscard]] const MoonLayout& layout() const { return m_layout; }

    // Where universal time comes from (tests and benchmarks fix it): 100-ns ticks since 1601.
    void setUniversalClock(std::function<std::uint64_t()> clock)
    {
        m_universalNow = std::move(clock);
    }

private:
    [[nodiscard]] std::vector<DrawnText> texts(const MoonFacts& facts) const;
    [[nodiscard]] std::vector<std::pair<QRect, int>> icons(const MoonFacts& facts) const;
    [[nodiscard]] std::uint64_t shownLocalTicks() const;
    void placePickers();
    void showInPickers();
    void pickDate();
    void pickTime();
    void prepareFrames() const;

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    MoonLayout m_layout;
    const faces::SkinSet& m_skin;
    cities::CityDatabase& m_database;
    ui::DatePicker* m_date = nullptr;
    ui::TimePicker* m_time = nullptr;
    std::function<std::uint64_t()> m_universalNow;
    std::optional<std::uint64_t> m_chosenLocalTicks; // the user's pick, device local time

    // The look's frames over white (the identity of AND) and the picture's background, made
    // when first drawn after a look or screen change.
    mutable std::vector<QImage> m_frames;
    mutable QImage m_background;
    mutable std::array<QImage, 4> m_icons; // new moon, first quarter, full moon, last quarter
};

} // namespace astro

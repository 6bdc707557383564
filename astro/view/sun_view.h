#pragma once
// The Sun rise/set view: for the current city of the city database and for today or a date
// the user picks, the times of sunrise and sunset, or of the beginning and end of civil,
// nautical or astronomical twilight. The kind of event is chosen from a list and kept in
// the settings (twilightKind); an event that does not happen that day (the midnight sun, a
// twilight that never ends) shows its placeholder.

#include "app/view.h"
#include "astro/sun.h"

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
struct CityRecord;
}

namespace faces {
class SkinSet;
}

namespace ui {
class DatePicker;
class DropList;
}

namespace astro {

struct DrawnText;

// The day's two events as the view writes them: the rise text and the set text, each a
// local time without seconds or its placeholder ("--:--", "- - - - -").
struct SunDayTexts {
    QString rise;
    QString set;
    SunTimes times;
};
// For `city` on the local date `date` (year, month, day), with the zone offset the view
// uses, for event list index `eventIndex` (outside 0-3 nothing is computed: both
// placeholders).
[[nodiscard]] SunDayTexts sunDayTexts(
    const cities::CityRecord& city, const SYSTEMTIME& date, double zoneOffsetHours, int eventIndex);

class SunView final : public app::View {
public:
    // `screen` parents the date picker and the event list; the skin and the database
    // outlive the view.
    SunView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin,
        cities::CityDatabase& database);
    ~SunView() override;

    bool activate() override;
    // Leaving goes back to today for the next visit.
    void leave() override;
    // Reads the city files again when another program changed them.
    void refresh() override;
    void perSecond(QPainter& painter, const app::ViewContext& context) override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    [[nodiscard]] bool takesPerSecondUpdate() const override { return true; }
    // Today's sunrise and sunset (of the chosen event) for the status bar.
    void addStatusInputs(faces::StatusBarInputs& inputs) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

    // Shows a date the user picked (the current city's local date), or today again.
    void showDate(const SYSTEMTIME& cityLocalDate);
    void showToday();
    [[nodiscard]] bool showsChosenDate() const { return m_chosenDate.has_value(); }
    // Chooses the kind of event as the list does, and keeps it in the settings.
    void chooseEvent(int eventIndex);

    // The two lines the view shows: "Sunrise:  6:12", "Sunset:  - - - - -".
    [[nodiscard]] std::array<QString, 2> lines() const;
    // The city's name as shown; empty without a city.
    [[nodiscard]] QString cityName() const;

    [[nodiscard]] ui::DatePicker& datePicker() const { return *m_date; }
    [[nodiscard]] ui::DropList& eventList() const { return *m_events; }

    // Where universal time comes from (tests fix it): 100-ns ticks since 1601.
    void setUniversalClock(std::function<std::uint64_t()> clock)
    {
        m_universalNow = std::move(clock);
    }

private:
    // The date shown and the zone offset it is computed with.
    struct Day {
        SYSTEMTIME date {};
        double zoneOffsetHours = 0;
    };
    [[nodiscard]] std::optional<Day> today() const;
    [[nodiscard]] std::optional<Day> shownDay() const;
    [[nodiscard]] std::vector<DrawnText> texts() const;
    void placeControls();
    void showInPicker();
    void pickDate();

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    const faces::SkinSet& m_skin;
    cities::CityDatabase& m_database;
    ui::DatePicker* m_date = nullptr;
    ui::DropList* m_events = nullptr;
    std::function<std::uint64_t()> m_universalNow;
    std::optional<SYSTEMTIME> m_chosenDate;

    QRect m_cityRect;
    QRect m_picture; // the look's Sun picture, when it has one
    std::array<QRect, 2> m_lineRects;
    std::array<QRect, 2> m_iconRects;
};

} // namespace astro

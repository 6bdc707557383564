#pragma once
// The General view: the day at a glance. A small clock with the time and date, the next
// alarm, today's date with its week number, the month's calendar and the year counter.

#include "app/view.h"
#include "faces/analog_clock.h"

#include <QDate>
#include <QFont>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QCalendarWidget;

namespace alarms {
class AlarmBoard;
}
namespace faces {
class SkinSet;
}

namespace platform {
struct LocaleInfo;
}

namespace app {

class YearCounterBox;

// The General view's big time: "H:mm" in 24-hour mode; "h:mm" and the locale's AM/PM
// designator beside it in 12-hour mode.
struct GeneralViewTime {
    QString time;
    QString amPm; // empty in 24-hour mode
};
[[nodiscard]] GeneralViewTime generalViewTime(const SYSTEMTIME& now, const platform::LocaleInfo& locale);

class GeneralView final : public View {
public:
    GeneralView(QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin, alarms::AlarmBoard& board);
    ~GeneralView() override;

    bool activate() override;
    void leave() override;
    void paint(QPainter& painter, const ViewContext& context) override;
    void rebuild(const ui::ScreenGeometry& geometry) override;
    void reportLayout(ui::LayoutReport& report, const ViewContext& context) const override;

    [[nodiscard]] QCalendarWidget* calendar() const { return m_calendar; }
    [[nodiscard]] YearCounterBox* yearCounter() const { return m_counter; }

private:
    // What the paint draws: the small dial (portrait), the bell and the texts.
    struct Drawn {
        struct Text {
            QRect rect;
            QString text;
            QFont font;
            int flags = 0;
            bool quiet = false; // in the skin's date colour rather than its text colour
        };
        std::optional<QRect> dial;
        std::optional<QRect> bell;
        std::vector<Text> texts;
    };
    [[nodiscard]] Drawn layOut(const SYSTEMTIME& now) const;

    void build();
    [[nodiscard]] QCalendarWidget* makeCalendar() const;
    void showToday();

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    const faces::SkinSet& m_skin;
    alarms::AlarmBoard& m_board;
    std::unique_ptr<faces::SmallAnalogClock> m_clock;
    QCalendarWidget* m_calendar = nullptr;
    YearCounterBox* m_counter = nullptr;
    QDate m_shownDay;
};

} // namespace app

#pragma once
// The Internet Time view: the present beat, and a converter in either direction on a
// chosen date - a standard time to its beat, or a beat to the standard time it begins at.
// The direction is a list whose choice the settings keep (viewOption1) for the next start.

#include "app/view.h"
#include "astro/view/drawn_text.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

class QSpinBox;

namespace faces {
class SkinSet;
}
namespace ui {
class DatePicker;
class DropList;
class TimePicker;
}

namespace astro {

enum class ConverterDirection { ToBeats = 0, FromBeats = 1 };

class InternetTimeView final : public app::View {
public:
    // `screen` parents the controls; the skin outlives the view.
    InternetTimeView(
        QWidget* screen, const ui::ScreenGeometry& geometry, const faces::SkinSet& skin);
    ~InternetTimeView() override;

    bool activate() override;
    void leave() override;
    void paint(QPainter& painter, const app::ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const app::ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;
    [[nodiscard]] bool takesPerSecondUpdate() const override { return true; }

    [[nodiscard]] ConverterDirection direction() const { return m_direction; }
    void setDirection(ConverterDirection direction);

    [[nodiscard]] ui::DropList& directionList() const { return *m_directions; }
    [[nodiscard]] ui::DatePicker& datePicker() const { return *m_date; }
    [[nodiscard]] ui::TimePicker& timePicker() const { return *m_time; }
    [[nodiscard]] QSpinBox& beatField() const { return *m_beat; }

    // What the view shows now: the present beat ("541") and the converter's result (a beat,
    // or a local time without seconds).
    [[nodiscard]] QString currentBeatText() const;
    [[nodiscard]] QString resultText() const;

private:
    struct Layout {
        QRect currentLabel, currentBeat;
        QRect directions;
        QRect dateLabel, date;
        QRect inputLabel, input;
        QRect resultLabel, result;
    };
    [[nodiscard]] Layout layOut() const;
    [[nodiscard]] std::vector<DrawnText> texts() const;
    void place();
    void showControls(bool shown);
    [[nodiscard]] SYSTEMTIME pickedMoment() const;

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    const faces::SkinSet& m_skin;
    ConverterDirection m_direction = ConverterDirection::ToBeats;
    ui::DropList* m_directions;
    ui::DatePicker* m_date;
    ui::TimePicker* m_time;
    QSpinBox* m_beat;
    bool m_shown = false;
};

} // namespace astro

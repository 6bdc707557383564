#pragma once
// The views drawn with the skin: the Digital Clock, the Analog Clock, and the clock faces
// of "plugins\" (one object for all of them, as they share one face host).

#include "app/view.h"
#include "faces/analog_clock.h"
#include "faces/digital_clock.h"
#include "faces/face_host.h"
#include "faces/face_rules.h"
#include "faces/screen_layout.h"

#include <functional>
#include <memory>
#include <optional>

namespace faces {
class SkinSet;
}

namespace app {

// Paints a built-in view's background from the skin: its element's image, else the
// skin's window colour.
void paintViewBackground(QPainter& painter, const faces::SkinSet& skin, int view, const ViewContext& context);

// The week of a date: ISO 8601, or the civil week in which week 1 holds 1 January and
// weeks start on the locale's first day.
[[nodiscard]] int weekNumber(const SYSTEMTIME& date, bool iso, int firstDayOfWeek);

class DigitalClockView final : public View {
public:
    DigitalClockView(const faces::SkinSet& skin, const ui::ScreenGeometry& geometry);
    void paint(QPainter& painter, const ViewContext& context) override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

private:
    const faces::SkinSet& m_skin;
    std::unique_ptr<faces::DigitalClock> m_clock;
};

class AnalogClockView final : public View {
public:
    AnalogClockView(const faces::SkinSet& skin, const ui::ScreenGeometry& geometry);
    void paint(QPainter& painter, const ViewContext& context) override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

private:
    const faces::SkinSet& m_skin;
    std::unique_ptr<faces::LargeAnalogClock> m_clock;
};

// What a face shows at this moment (time, clock flags, chime, next alarm).
using FaceClockSource = std::function<faces::FaceClock()>;

class FaceView final : public View {
public:
    FaceView(QWidget* parent, const ui::ScreenGeometry& geometry, FaceClockSource clock);
    // The face a plug-in view shows: its name and file (none when the file is gone).
    void choose(QString name, std::optional<std::u16string> devicePath);
    [[nodiscard]] const QString& name() const { return m_name; }
    // Loads the face; false only when the file is gone. A file that does not load is told
    // ("Plugin loading error!") and the view stays, empty.
    bool activate() override;
    void leave() override;
    void paint(QPainter& painter, const ViewContext& context) override;
    void rebuild(const ui::ScreenGeometry& geometry) override { m_scaleShift = geometry.scaleShift; }
    [[nodiscard]] bool loaded() const { return m_host.loaded(); }
    // The face's close area, where a tap leaves the view.
    [[nodiscard]] bool closesAt(QPoint point) const;

private:
    QWidget* m_parent;
    int m_scaleShift;
    FaceClockSource m_clock;
    faces::FaceHost m_host;
    QString m_name;
    std::optional<std::u16string> m_path;
};

} // namespace app

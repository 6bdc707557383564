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

namespace cities {
class CityDatabase;
}
namespace faces {
class SkinSet;
}
namespace platform {
struct LocaleInfo;
}
namespace store {
struct SettingsRecord;
}

namespace app {

// Paints a built-in view's background from the skin: its element's image, else the
// skin's window colour.
void paintViewBackground(QPainter& painter, const faces::SkinSet& skin, int view, const ViewContext& context);

// The week of a date: ISO 8601, or the civil week in which week 1 holds 1 January and
// weeks start on the locale's first day.
[[nodiscard]] int weekNumber(const SYSTEMTIME& date, bool iso, int firstDayOfWeek);

// What the Digital Clock view shows at `now`: the date in the settings' date format, the
// week by the settings' rule, the clock in the locale's 12- or 24-hour mode; with a
// database, the world-time city's offset label before the week and the visiting city's
// time in the small clock (universal time now: the device's).
[[nodiscard]] faces::DigitalClockInputs digitalClockInputs(const SYSTEMTIME& now,
    const store::SettingsRecord& settings, const platform::LocaleInfo& locale,
    const cities::CityDatabase* database = nullptr);

class DigitalClockView final : public View {
public:
    // `database` (may be null) names the home and visiting cities; it outlives the view.
    DigitalClockView(const faces::SkinSet& skin, const ui::ScreenGeometry& geometry,
        const cities::CityDatabase* database = nullptr);
    void paint(QPainter& painter, const ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const ViewContext& context) const override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

private:
    const faces::SkinSet& m_skin;
    const cities::CityDatabase* m_database;
    std::unique_ptr<faces::DigitalClock> m_clock;
};

class AnalogClockView final : public View {
public:
    AnalogClockView(const faces::SkinSet& skin, const ui::ScreenGeometry& geometry);
    void paint(QPainter& painter, const ViewContext& context) override;
    void reportLayout(ui::LayoutReport& report, const ViewContext& context) const override;
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
    // Loads the face; false when the file is gone. A file that does not load is told
    // ("Plugin loading error!") and the view stays, empty, until a tap anywhere leaves it;
    // while broken faces are refused (the start), such a file gives false without a word.
    bool activate() override;
    void leave() override;
    // Draws the close area's hint on top for the first seconds after the activation.
    void perSecond(QPainter& painter, const ViewContext& context) override;
    void paint(QPainter& painter, const ViewContext& context) override;
    void rebuild(const ui::ScreenGeometry& geometry) override;
    [[nodiscard]] bool loaded() const { return m_host.loaded(); }
    void refuseBrokenFaces(bool refuse) { m_refuseBroken = refuse; }
    // Where a tap leaves the view: the face's close area (a corner when the file gives
    // none), or anywhere on a face that did not load.
    [[nodiscard]] bool closesAt(QPoint point) const;
    // The close area on the screen: the file's rectangle where the face is drawn (whole and
    // centred, made smaller on a screen it was not laid out for), its x mirrored on landscape
    // screens; a face without one is left by the screen's top right corner.
    [[nodiscard]] QRect closeArea() const;
    [[nodiscard]] bool showsCloseHint() const { return m_hintSeconds > 0; }

private:
    static constexpr int kCloseHintSeconds = 3;

    QWidget* m_parent;
    int m_scaleShift;
    QRect m_screen; // the whole device screen, which a face covers
    bool m_landscape = false;
    FaceClockSource m_clock;
    faces::FaceHost m_host;
    QString m_name;
    std::optional<std::u16string> m_path;
    bool m_refuseBroken = false;
    int m_hintSeconds = 0;
};

} // namespace app

#pragma once
// The device screen as the layouts see it: its size in device pixels, the scale shift of
// large screens, the square and landscape flags and the layout kind. Every layout constant
// is a (portrait, square, landscape) triple shifted left by the scale shift.

#include "platform/screen_layout.h"

#include <QFont>
#include <QObject>

namespace platform {
class RegistryWatch;
}

namespace ui {

using ScreenGeometry = platform::ScreenLayout;

// The suite's fonts: face "Tahoma" (fontconfig substitutes a metric-compatible face), pixel
// heights as triples before scaling.
enum class FontRole {
    Bold14,
    BoldHuge,       // 72 / 64 / 64
    BoldLarge,      // 40 / 30 / 30
    Bold13,
    BoldUnderlined13,
    Normal13,
    Normal12,
    BoldBig,        // 56 / 50 / 50
    Bold32,
    Bold24,         // 24 / 20 / 20
};
[[nodiscard]] QFont suiteFont(FontRole role, const ScreenGeometry& screen);

// The zoom of device pixels on the desktop: 2 for screens up to 320 pixels wide, else 1.
[[nodiscard]] int desktopZoom(const ScreenGeometry& screen);

// Tells the programs when the screen turns (the profile's size changes).
class ScreenWatcher final : public QObject {
    Q_OBJECT
public:
    explicit ScreenWatcher(QObject* parent = nullptr);
    ~ScreenWatcher() override;
    [[nodiscard]] const ScreenGeometry& geometry() const { return m_geometry; }

signals:
    void changed(const ui::ScreenGeometry& geometry);

private:
    void check();
    ScreenGeometry m_geometry;
    struct Watch;
    Watch* m_watch;
};

} // namespace ui

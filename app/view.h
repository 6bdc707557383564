#pragma once
// One view of the main window. The main window owns one object per built-in view and one
// for the clock faces, and calls their steps: activation when a view becomes current,
// leaving when another takes its place, the refresh step (private message WM_USER), the
// per-second drawing, the full paint and the stylus.

#include "ui/screen_geometry.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <utility>

class QPainter;

namespace app {

// How wide the views are: the screen's width, less the view-selector panel beside them
// on 320 x 320 screens (views of 240) and on landscape 400-line screens (views of 320).
[[nodiscard]] inline int ViewWidth(const ui::ScreenGeometry& screen)
{
    if (screen.layoutKind == 2)
        return screen.scaled(240);
    if (screen.layoutKind == 1 && screen.landscape)
        return screen.scaled(320);
    return screen.width;
}

// What a view draws into: the device screen above the status bar.
struct ViewContext {
    const ui::ScreenGeometry& screen;
    QRect area;
};

class View {
public:
    explicit View(int index)
        : m_index(index)
    {
    }
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    [[nodiscard]] int index() const { return m_index; }

    // The view becomes current; false when it cannot (a face file gone since start).
    virtual bool activate() { return true; }
    // Another view takes its place.
    virtual void leave() { }
    // Re-reads or recomputes what it shows (WM_USER while it is current).
    virtual void refresh() { }
    // The drawing of each second (and of each tick while the stopwatch runs).
    virtual void perSecond(QPainter& painter, const ViewContext& context) { paint(painter, context); }
    // The whole view.
    virtual void paint(QPainter& painter, const ViewContext& context) = 0;
    // Stopwatch and Events: their second, lighter update (WM_USER + 4).
    virtual void secondaryUpdate() { }
    // Events: its list changed on disk (WM_USER + 9).
    virtual void reloadList() { }
    // The stylus; true when the view took it.
    virtual bool stylusDown(QPoint) { return false; }
    virtual bool stylusUp(QPoint) { return false; }
    // The sub-selection the next start restores (Alarms, Timers, City Time and Time Calc:
    // the first visible entry or the page); kept as given until the view has its own.
    [[nodiscard]] virtual std::uint8_t subSelection() const { return m_subSelection; }
    virtual void setSubSelection(std::uint8_t item) { m_subSelection = item; }
    // Rebuilds what depends on the skin's images (WM_USER + 7) or the screen's size.
    virtual void rebuild(const ui::ScreenGeometry&) { }

private:
    int m_index;
    std::uint8_t m_subSelection = 0;
};

// A view whose content arrives with its own subsystem: it shows its name until then.
class NamedView final : public View {
public:
    NamedView(int index, QString name)
        : View(index)
        , m_name(std::move(name))
    {
    }
    void paint(QPainter& painter, const ViewContext& context) override;
    void setName(QString name) { m_name = std::move(name); }

private:
    QString m_name;
};

} // namespace app

#pragma once
// One view of the main window. The main window makes one object per built-in view and one
// for the clock faces from the table of views (app/view_table.h), and calls their steps:
// activation when a view becomes current, leaving when another takes its place, the
// refresh step (WindowMessage::Refresh), the per-second drawing, the full paint and the
// stylus. What the window needs to know of a view it asks through the hooks below, never
// by the view's index.

#include "ui/screen_geometry.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>

class QPainter;

namespace faces {
struct StatusBarInputs;
}

namespace ui {
class LayoutReport;
}

namespace app {

// How wide the views are: the screen's width, less the view-selector panel beside them
// on 320 x 320 screens (views of 240) and on landscape 400-line screens (views of 320).
[[nodiscard]] inline int viewWidth(const ui::ScreenGeometry& screen)
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

// What changed outside a view that it may be showing.
enum class Change {
    Alarms, // alarms.dat was rewritten by another program (the runner, tkwctl)
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
    // Re-reads or recomputes what it shows (WindowMessage::Refresh while it is current).
    virtual void refresh() { }
    // Something it may show changed while it is current.
    virtual void changed(Change) { }
    // The drawing of each second (and of each tick while wantsEveryTick()).
    virtual void perSecond(QPainter& painter, const ViewContext& context) { paint(painter, context); }
    // The whole view.
    virtual void paint(QPainter& painter, const ViewContext& context) = 0;
    // Tells the layout check where paint puts its texts and images (ui/layout_report.h); a
    // view made of widgets alone reports nothing, the check sees its widgets.
    virtual void reportLayout(ui::LayoutReport&, const ViewContext&) const { }
    // Draws on every 100 ms tick, not only when the second changes (a running stopwatch).
    [[nodiscard]] virtual bool wantsEveryTick() const { return false; }
    // Draws its second at once when another program asks (WindowMessage::PerSecondUpdate).
    [[nodiscard]] virtual bool takesPerSecondUpdate() const { return false; }
    // Its second, lighter update (WindowMessage::SecondaryUpdate).
    virtual void secondaryUpdate() { }
    // Its list changed on disk (WindowMessage::ReloadList).
    virtual void reloadList() { }
    // Adds what only this view knows to the status bar's inputs (the Sun view's sunrise and
    // sunset, say). Asked of every built-in view at each status bar drawing, current or not.
    virtual void addStatusInputs(faces::StatusBarInputs&) const { }
    // The stylus; true when the view took it.
    virtual bool stylusDown(QPoint) { return false; }
    virtual bool stylusUp(QPoint) { return false; }
    // The sub-selection the next start restores (Alarms, Timers, City Time and Time Calc:
    // the first visible entry or the page); kept as given until the view has its own.
    [[nodiscard]] virtual std::uint8_t subSelection() const { return m_subSelection; }
    virtual void setSubSelection(std::uint8_t item) { m_subSelection = item; }
    // Whether a start with the last view restores the sub-selection saved with it.
    [[nodiscard]] virtual bool restoresSubSelection() const { return false; }
    // Rebuilds what depends on the skin's images (WindowMessage::RebuildViews) or the
    // screen's size.
    virtual void rebuild(const ui::ScreenGeometry&) { }

private:
    int m_index;
    std::uint8_t m_subSelection = 0;
};

// How a view that is still a placeholder answers the window's hooks, so that the window
// treats it as it will treat the view once it arrives.
struct PlaceholderTraits {
    bool takesPerSecondUpdate = false;
    bool restoresSubSelection = false;
    std::function<bool()> wantsEveryTick; // none: never
};

// A view whose content arrives with its own subsystem: it shows its name until then.
class NamedView final : public View {
public:
    NamedView(int index, QString name, PlaceholderTraits traits = {})
        : View(index)
        , m_name(std::move(name))
        , m_traits(std::move(traits))
    {
    }
    void paint(QPainter& painter, const ViewContext& context) override;
    [[nodiscard]] bool wantsEveryTick() const override
    {
        return m_traits.wantsEveryTick && m_traits.wantsEveryTick();
    }
    [[nodiscard]] bool takesPerSecondUpdate() const override
    {
        return m_traits.takesPerSecondUpdate;
    }
    [[nodiscard]] bool restoresSubSelection() const override
    {
        return m_traits.restoresSubSelection;
    }
    void setName(QString name) { m_name = std::move(name); }

private:
    QString m_name;
    PlaceholderTraits m_traits;
};

} // namespace app

#pragma once
// The layout check: walks a window's visible widgets and finds what the user would see
// broken on the device's screen - a text that does not fit its widget, a widget outside
// the room the window has or outside its parent, two sibling widgets on top of each
// other - and does the same for what a drawn view reports of its texts and images.
//
// A widget that shortens its text on purpose (an elided name) says so with the dynamic
// property kElidesOnPurpose set to true; its text is then not measured. A plain QWidget or
// QFrame with no children that takes no focus is a decoration (a rule, a background) and
// may lie over its siblings. The inside of Qt's compound widgets (lists, spin boxes, the
// calendar) is not walked: they are measured against their least size.

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QWidget;

namespace ui {
class LayoutReport;
}

namespace testing_support {

inline constexpr char kElidesOnPurpose[] = "tkwElides";

struct LayoutFinding {
    QString widget; // object name, else class, with its text
    QString problem; // what is wrong, with the pixels
    int excessPx = 0; // how far it is off: pixels missing, lying outside or overlapping
};

// Checks `window` and its visible widgets. `room` is the part of the device screen the
// window may cover (the screen less the task bar): the window's size must fit it.
[[nodiscard]] std::vector<LayoutFinding> checkLayout(const QWidget& window, QSize room);

// Checks what a drawn view reports: every element inside `area` (the view's rectangle in
// `canvas` coordinates), every text inside its rectangle, no two texts over each other and
// no text under a visible child widget of `canvas` (may be null).
[[nodiscard]] std::vector<LayoutFinding> checkDrawnLayout(
    const ui::LayoutReport& report, const QRect& area, const QWidget* canvas);

// How a widget is named in a finding: "objectName" or "QLabel \"text\"".
[[nodiscard]] QString describeWidget(const QWidget& widget);

// One finding a line, for test failure messages.
[[nodiscard]] QString formatFindings(const std::vector<LayoutFinding>& findings);

} // namespace testing_support

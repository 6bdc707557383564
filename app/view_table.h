#pragma once
// The views the main window hosts: one row per built-in view, its index and the factory
// that makes it, and the factory of the view all clock faces share. The window makes its
// views from this table and knows none of them by type; adding a view is adding its row.

#include "app/clock_views.h"
#include "app/view.h"

#include <QStringList>
#include <memory>
#include <span>

class QWidget;

namespace faces {
class SkinSet;
}

namespace app {

class SuiteState;

// What a factory makes its view with. The window, the screen, the geometry, the skin and
// the suite's state outlive the views; the list of faces is read while they are made.
struct ViewSetup {
    QWidget* window; // the main window (parent of the views' messages)
    QWidget* screen; // the device screen, parent of the views' controls
    const ui::ScreenGeometry& geometry;
    const faces::SkinSet& skin;
    SuiteState& suite;
    const QStringList& faces; // the installed clock faces, by name
};

using ViewFactory = std::unique_ptr<View> (*)(const ViewSetup& setup);

struct ViewTableRow {
    int index; // a BuiltInView; also the position of its name in string list 40045
    ViewFactory make;
};

// The built-in views, one row each, in index order.
[[nodiscard]] std::span<const ViewTableRow> builtInViewTable();

// The view of the clock faces of "plugins\" (indexes from kBuiltInViewCount on).
[[nodiscard]] std::unique_ptr<FaceView> makeFaceView(const ViewSetup& setup);

} // namespace app

#pragma once
// What every GUI program of the suite sets up once its QApplication exists.

#include "ui/screen_geometry.h"

class QApplication;

namespace ui {

// Before the QApplication exists: shows device pixels zoomed on a desktop (twice for
// screens up to 320 pixels wide) unless QT_SCALE_FACTOR is set or the program runs headless.
void applyDesktopZoom();

// Loads Qt's own texts (button labels of standard dialogs) in the suite's language, maps
// the layouts' "Tahoma" to the desktop's sans face, and reports input in the program's
// windows as user activity. Call again after the language changed.
// Applies the current screen's scale as applyDeviceScale does.
void prepareApplication(QApplication& application, unsigned language);

// Puts the whole program at the device's scale: the application's font, and the style's
// sizes of check boxes, arrows, scroll bars, menu margins and icons, twice the desktop's
// where both sides of the screen exceed 320 pixels. Call again when the screen turns.
void applyDeviceScale(const ScreenGeometry& screen);

} // namespace ui

#pragma once
// Driving the suite's windows without a person: taps and drags at device coordinates, keys,
// and screenshots. Runs on any platform plugin, the offscreen one included.

#include <QPoint>
#include <QString>

class QWidget;

namespace ui {

// A tap (press and release) at a point of `window` in device pixels, delivered to the
// widget under it.
void tap(QWidget* window, QPoint point);
void drag(QWidget* window, QPoint from, QPoint to, int steps = 8);
void pressKey(QWidget* widget, int key, const QString& text = { });
// Renders the widget as it is now and saves it as PNG; false when it could not be written.
bool saveScreenshot(QWidget* widget, const QString& file);

// Screenshot mode: the program runs with nobody to answer it. A modal dialog that opens is
// drawn over the program's window into `file` and accepted at once, so that nothing waits;
// the program goes on. Call once the QApplication exists, before anything may open a dialog.
void startScreenshotMode(const QString& file);
[[nodiscard]] bool inScreenshotMode();

// In screenshot mode: saves the window's first full paint to the file (unless a dialog was
// drawn there already: that picture stays) and quits the application, with exit code 1 when
// the file could not be written. Does nothing outside screenshot mode.
void screenshotOnFirstPaint(QWidget* window);

} // namespace ui

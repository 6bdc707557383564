#pragma once
// Driving the suite's windows without a person: taps and drags at device coordinates, keys,
// and screenshots. Runs on any platform plugin, the offscreen one included.

#include <QPoint>
#include <QString>
#include <QStringList>

class QWidget;

namespace ui {

// A tap (press and release) at a point of `window` in device pixels, delivered to the
// widget under it.
void tap(QWidget* window, QPoint point);
void drag(QWidget* window, QPoint from, QPoint to, int steps = 8);
void pressKey(QWidget* widget, int key, const QString& text = { });
// Renders the widget as it is now and saves it as PNG; false when it could not be written.
bool saveScreenshot(QWidget* widget, const QString& file);

// "--screenshot FILE" among the arguments: saves the window's first full paint to FILE and
// quits the application. Returns whether the option was given.
bool screenshotOnFirstPaint(QWidget* window, const QStringList& arguments);

} // namespace ui

#include "ui/headless.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace ui {

namespace {

void mouse(QWidget* window, QEvent::Type type, QPoint point, Qt::MouseButtons buttons)
{
    QWidget* target = window->childAt(point);
    if (!target)
        target = window;
    const QPointF local = target->mapFrom(window, point);
    const QPointF global = window->mapToGlobal(point);
    QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

void tap(QWidget* window, QPoint point)
{
    mouse(window, QEvent::MouseButtonPress, point, Qt::LeftButton);
    mouse(window, QEvent::MouseButtonRelease, point, Qt::NoButton);
    QApplication::processEvents();
}

void drag(QWidget* window, QPoint from, QPoint to, int steps)
{
    mouse(window, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i)
        mouse(window, QEvent::MouseMove, from + (to - from) * i / steps, Qt::LeftButton);
    mouse(window, QEvent::MouseButtonRelease, to, Qt::NoButton);
    QApplication::processEvents();
}

void pressKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
    QApplication::processEvents();
}

bool saveScreenshot(QWidget* widget, const QString& file) { return widget->grab().save(file, "PNG"); }

bool screenshotOnFirstPaint(QWidget* window, const QStringList& arguments)
{
    const int at = arguments.indexOf(QStringLiteral("--screenshot"));
    if (at < 0 || at + 1 >= arguments.size())
        return false;
    const QString file = arguments.at(at + 1);
    // After the event loop has shown and laid out the window once.
    QTimer::singleShot(0, window, [window, file] {
        const bool saved = saveScreenshot(window, file);
        if (!saved)
            qWarning("tickwell: cannot write the screenshot %s", qPrintable(file));
        QApplication::exit(saved ? 0 : 1);
    });
    return true;
}

} // namespace ui

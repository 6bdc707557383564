#include "ui/headless.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
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

// Answers the modal dialogs of a screenshot run: each is drawn into the picture (the first
// one only: it is what a person would have seen first) and accepted.
class DialogAnswerer final : public QObject {
public:
    explicit DialogAnswerer(QString file) : m_file(std::move(file)) { }

    const QString& file() const { return m_file; }
    void setWindow(QWidget* window) { m_window = window; }
    // Whether a dialog was drawn into the file, and whether that file was written.
    bool dialogDrawn() const { return m_dialogDrawn; }
    bool dialogSaved() const { return m_dialogSaved; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget && widget->isWindow() && widget->isModal()) {
            // After the show: laid out, and inside the dialog's own event loop.
            QPointer<QWidget> shown(widget);
            QTimer::singleShot(0, widget, [this, shown] {
                if (shown && shown->isVisible())
                    answer(shown);
            });
        }
        return false;
    }

private:
    void answer(QWidget* modal)
    {
        if (!m_dialogDrawn) {
            m_dialogDrawn = true;
            m_dialogSaved = drawOverWindow(modal).save(m_file, "PNG");
            if (!m_dialogSaved)
                qWarning("tickwell: cannot write the screenshot %s", qPrintable(m_file));
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->accept();
        else
            modal->close();
    }

    // The window as it is, with the dialog where it stands over it (centred when the window
    // is not on the screen); the dialog alone when there is no window. A dialog larger than
    // the window widens the picture, so that all of it shows.
    QPixmap drawOverWindow(QWidget* modal) const
    {
        const QPixmap front = modal->grab();
        QWidget* back = m_window ? m_window.data() : modal->parentWidget() ? modal->parentWidget()->window() : nullptr;
        if (!back)
            return front;
        const QPixmap behind = back->grab();
        const QRect windowArea(QPoint(0, 0), behind.deviceIndependentSize().toSize());
        QRect dialogArea(QPoint(0, 0), front.deviceIndependentSize().toSize());
        if (back->isVisible())
            dialogArea.moveTopLeft(back->mapFromGlobal(modal->mapToGlobal(QPoint(0, 0))));
        else
            dialogArea.moveCenter(windowArea.center());
        const QRect whole = windowArea.united(dialogArea);
        QPixmap picture(whole.size() * behind.devicePixelRatio());
        picture.setDevicePixelRatio(behind.devicePixelRatio());
        picture.fill(Qt::black);
        QPainter painter(&picture);
        painter.drawPixmap(windowArea.topLeft() - whole.topLeft(), behind);
        painter.drawPixmap(dialogArea.topLeft() - whole.topLeft(), front);
        return picture;
    }

    QString m_file;
    QPointer<QWidget> m_window; // the program's window, once it has one
    bool m_dialogDrawn = false;
    bool m_dialogSaved = false;
};

DialogAnswerer* g_answerer = nullptr; // owned by the application

void finishScreenshot(QWidget* window)
{
    if (QApplication::activeModalWidget()) {
        // A dialog is up and about to be answered: quitting inside its loop would be lost.
        QTimer::singleShot(0, window, [window] { finishScreenshot(window); });
        return;
    }
    bool saved = g_answerer->dialogSaved();
    if (!g_answerer->dialogDrawn()) {
        saved = saveScreenshot(window, g_answerer->file());
        if (!saved)
            qWarning("tickwell: cannot write the screenshot %s", qPrintable(g_answerer->file()));
    }
    QApplication::exit(saved ? 0 : 1);
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

void startScreenshotMode(const QString& file)
{
    if (g_answerer || !qApp)
        return;
    g_answerer = new DialogAnswerer(file);
    g_answerer->setParent(qApp);
    QObject::connect(g_answerer, &QObject::destroyed, [] { g_answerer = nullptr; });
    qApp->installEventFilter(g_answerer);
}

bool inScreenshotMode() { return g_answerer != nullptr; }

void screenshotOnFirstPaint(QWidget* window)
{
    if (!g_answerer)
        return;
    g_answerer->setWindow(window);
    // After the event loop has shown and laid out the window once.
    QTimer::singleShot(0, window, [window] { finishScreenshot(window); });
}

} // namespace ui

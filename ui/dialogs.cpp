#include "ui/dialogs.h"

#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>

namespace ui {

namespace {

// Qt sizes a message box for the desktop (half the host's screen wide for a long text); on
// the device it wraps its text to the work area's width instead.
class DeviceMessageBox final : public QMessageBox {
public:
    explicit DeviceMessageBox(QWidget* parent)
        : QMessageBox(parent)
        , m_screen(ScreenGeometry::current())
    {
    }

protected:
    bool event(QEvent* event) override
    {
        const bool handled = QMessageBox::event(event);
        if (event->type() == QEvent::LayoutRequest)
            fitScreen();
        return handled;
    }
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        fitScreen();
    }
    void changeEvent(QEvent* event) override
    {
        QMessageBox::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            fitScreen();
    }

private:
    void fitScreen()
    {
        const QSize room = workArea(m_screen);
        if (!isVisible() || (width() <= room.width() && height() <= room.height()))
            return;
        if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            label->setWordWrap(true);
        const int boxWidth = std::min(width(), room.width());
        layout()->activate();
        const int boxHeight = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(boxWidth)
                                                            : layout()->totalMinimumSize().height();
        setFixedSize(boxWidth, std::min(boxHeight, room.height()));
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
    }

    ScreenGeometry m_screen;
};

} // namespace

QSize workArea(const ScreenGeometry& screen)
{
    const int bar = (screen.width == 320 && screen.height == 320 ? 35 : 26) * (screen.width >= 480 ? 2 : 1);
    return { screen.width, screen.height - bar };
}

QFont deviceScaled(QFont base, const ScreenGeometry& screen)
{
    if (screen.scaleShift == 0)
        return base;
    if (base.pixelSize() > 0)
        base.setPixelSize(screen.scaled(base.pixelSize()));
    else
        base.setPointSizeF(screen.scaled(1) * base.pointSizeF());
    return base;
}

void fitWorkArea(QWidget& window, QSize preferred)
{
    const QSize room = workArea(ScreenGeometry::current());
    window.setMaximumSize(room);
    window.resize((preferred.isValid() ? preferred : window.sizeHint()).boundedTo(room));
}

void fitMenuToWorkArea(QMenu& menu)
{
    const int room = workArea(ScreenGeometry::current()).height();
    if (menu.sizeHint().height() <= room)
        return;
    auto* more = new QMenu(text(kMoreString), &menu);
    menu.addMenu(more);
    while (menu.sizeHint().height() > room) {
        const auto actions = menu.actions(); // the last one opens "More"
        if (actions.size() < 3)
            break;
        QAction* moved = actions[actions.size() - 2];
        menu.removeAction(moved);
        if (!moved->isSeparator() || !more->actions().isEmpty())
            more->insertAction(more->actions().value(0), moved);
    }
    // No separator right before "More", none opening it.
    const auto kept = menu.actions();
    if (kept.size() >= 2 && kept[kept.size() - 2]->isSeparator())
        menu.removeAction(kept[kept.size() - 2]);
    if (!more->actions().isEmpty() && more->actions().front()->isSeparator())
        more->removeAction(more->actions().front());
    fitMenuToWorkArea(*more);
}

MessageAnswer showMessage(QWidget* parent, const QString& message, MessageIcon icon, MessageButtons buttons,
    const QString& caption)
{
    DeviceMessageBox box(parent);
    box.setWindowTitle(caption.isEmpty() ? text(kProductNameString) : caption);
    box.setText(message);
    switch (icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

int runModal(const std::function<std::unique_ptr<QDialog>()>& make)
{
    for (;;) {
        std::unique_ptr<QDialog> dialog = make();
        if (!dialog)
            return QDialog::Rejected;
        const int result = dialog->exec();
        if (result != kRelayoutResult)
            return result;
    }
}

} // namespace ui

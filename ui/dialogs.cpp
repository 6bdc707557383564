#include "ui/dialogs.h"

#include "ui/resources.h"

#include <QMessageBox>

namespace ui {

MessageAnswer showMessage(QWidget* parent, const QString& message, MessageIcon icon, MessageButtons buttons,
    const QString& caption)
{
    QMessageBox box(parent);
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

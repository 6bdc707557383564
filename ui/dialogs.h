#pragma once
// Message boxes and modal dialogs as the suite shows them.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace ui {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// A message box with the product name as its caption (or `caption` when given).
MessageAnswer showMessage(QWidget* parent, const QString& message, MessageIcon icon = MessageIcon::None,
    MessageButtons buttons = MessageButtons::Ok, const QString& caption = { });

// The result a dialog ends with when the screen turned, asking to be laid out anew.
inline constexpr int kRelayoutResult = 69;

// Shows the dialog that `make` builds, again and again while it ends with kRelayoutResult;
// returns the result it finally ends with.
int runModal(const std::function<std::unique_ptr<QDialog>()>& make);

} // namespace ui

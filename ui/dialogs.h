#pragma once
// Message boxes and modal dialogs as the suite shows them.

#include "ui/screen_geometry.h"

#include <QDialog>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace ui {

// The part of the device's screen a window may cover: all but the task bar, which is as tall
// as the main window's menu bar (35 pixels on 320 x 320 screens, else 26; twice that from
// 480 pixels wide).
[[nodiscard]] QSize workArea(const ScreenGeometry& screen);

// A font `base` at the device's scale (twice as large where both sides exceed 320 pixels).
[[nodiscard]] QFont deviceScaled(QFont base, const ScreenGeometry& screen);

// Keeps a window inside the device's work area: never larger than it, and sized to
// `preferred` (its layout's wish when not given) as far as it allows.
void fitWorkArea(QWidget& window, QSize preferred = { });

// A menu taller than the work area keeps the entries that fit and moves the rest into a
// "More" submenu at its end (which does the same where it is still too tall).
void fitMenuToWorkArea(QMenu& menu);

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// A message box with the product name as its caption (or `caption` when given), at the
// device's scale and no larger than its work area.
MessageAnswer showMessage(QWidget* parent, const QString& message, MessageIcon icon = MessageIcon::None,
    MessageButtons buttons = MessageButtons::Ok, const QString& caption = { });

// The result a dialog ends with when the screen turned, asking to be laid out anew.
inline constexpr int kRelayoutResult = 69;

// Shows the dialog that `make` builds, again and again while it ends with kRelayoutResult;
// returns the result it finally ends with.
int runModal(const std::function<std::unique_ptr<QDialog>()>& make);

} // namespace ui

#pragma once
// What the main program's GUI tests share: answering the modal dialog the code under test
// opens, reading what it says, and giving the test's device another screen.

#include "platform/power.h"
#include "platform/registry.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace app_testing {

// Runs `answer` on the next modal dialog once it is up (message boxes included).
template <typename Answer>
void whenModalShows(Answer answer)
{
    QTimer::singleShot(50, [answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            answer(*dialog);
    });
}

// Runs `action`; the first modal window that opens meanwhile is handed to `answer` (which
// must close it). Returns whether one opened.
inline bool answerModal(const std::function<void()>& action, const std::function<void(QWidget&)>& answer)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || seen)
            return;
        seen = true;
        poll.stop();
        answer(*modal);
    });
    poll.start(10);
    action();
    poll.stop();
    return seen;
}

// The texts of a dialog's labels, one after another.
inline QString labelText(const QDialog& dialog)
{
    QString text;
    for (const auto* label : dialog.findChildren<QLabel*>())
        text += label->text();
    return text;
}

inline void setScreen(int width, int height)
{
    using platform::RegistryRoot;
    ASSERT_TRUE(platform::writeRegistryDword(RegistryRoot::LocalMachine, platform::kProfileKey, u"ScreenWidth", DWORD(width)));
    ASSERT_TRUE(platform::writeRegistryDword(RegistryRoot::LocalMachine, platform::kProfileKey, u"ScreenHeight", DWORD(height)));
}

} // namespace app_testing

#pragma once
// What the main program's GUI tests share: answering the modal dialog the code under test
// opens, reading what it says, and giving the test's device another screen.

#include "platform/power.h"
#include "platform/registry.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
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

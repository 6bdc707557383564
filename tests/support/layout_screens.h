#pragma once
// The screens and languages the layout tests go through: the screen kinds of the device
// profile, the main program's interface languages, and how a test puts the device on one
// screen kind.

#include "platform/types.h"
#include "store/language.h"
#include "ui/screen_geometry.h"

#include <QSize>
#include <array>

namespace testing_support {

// The screen kinds of the device profile.
inline constexpr std::array<QSize, 11> kScreenKinds { QSize(240, 320), QSize(320, 240),
    QSize(240, 240), QSize(320, 320), QSize(240, 400), QSize(400, 240), QSize(480, 640),
    QSize(640, 480), QSize(480, 480), QSize(480, 800), QSize(800, 480) };

// The main program's languages; Spanish is the runner's and the home-screen item's only
// (the main program reads it as English).
inline constexpr std::array<DWORD, 5> kMainProgramLanguages { store::kEnglish, store::kGerman,
    store::kFrench, store::kItalian, store::kRussian };

// A language's English name by its index, for messages.
[[nodiscard]] const char* languageName(DWORD language);

// Puts the device profile on a screen of `size`, and a running GUI application at its scale;
// false when the profile cannot be written.
[[nodiscard]] bool setScreenKind(QSize size);

// The part of the screen a window may cover: all but the task bar, as tall as the main
// window's menu bar (35 pixels on 320 x 320 screens, else 26; twice that from 480 wide).
[[nodiscard]] QSize windowRoom(const ui::ScreenGeometry& screen);

} // namespace testing_support

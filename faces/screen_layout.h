#pragma once
// The device screen as the drawing code sees it (the record the GUI shares).

#include "platform/screen_layout.h"

namespace faces {

using ScreenLayout = platform::ScreenLayout;

} // namespace faces

#pragma once
// Which window a start of the main program makes, and whether another process of it
// already serves the request: each alarm, event or timer has at most one reminder screen,
// every lock its own locker, and everything else one main window.

#include "app/command_line.h"
#include "app/window_messages.h"

#include <string>

namespace app {

// The class of the main window in normal, screen-saver and service modes.
inline constexpr std::u16string_view kMainWindowClass = u"TickwellProMain";
inline constexpr std::u16string_view kMainWindowTitle = u"Tickwell Pro";
inline constexpr std::u16string_view kReminderTitle = u"Tickwell Pro Reminder";

struct WindowIdentity {
    std::u16string className;
    std::u16string title;
};

[[nodiscard]] WindowIdentity windowFor(const StartRequest& request, std::u16string_view commandLine);

// Looks for a running window of the same identity. When one serves the request it is told
// what to show (a "ptds" view up to 12), brought forward, and true comes back: this start
// ends. Locks never find one.
[[nodiscard]] bool handedToRunningInstance(const StartRequest& request, std::u16string_view commandLine);

} // namespace app

#pragma once
// The main window's private messages. Other programs of the suite send them by number (the
// runner, the Today item, a second start of this program), so the values are a protocol:
// they never change.

#include "platform/windows.h"

#include <optional>

namespace app {

enum class WindowMessage : UINT {
    Refresh = WM_USER, // switch to the view manager's choice, or refresh the view
    PerSecondUpdate = WM_USER + 3, // the second's drawing of a view that asks for it
    SecondaryUpdate = WM_USER + 4, // the current view's second, lighter update
    DelayedRepaint = WM_USER + 5, // wait 100 ms, then repaint the whole window
    RebuildViews = WM_USER + 7, // the skin's images changed: rebuild the views
    ReloadList = WM_USER + 9, // the current view's list changed on disk
    SwitchView = WM_USER + 10, // wParam: the view to show
    CurrentViewQuery = WM_USER + 20, // answered with the current view's index
};

[[nodiscard]] constexpr UINT messageId(WindowMessage message)
{
    return static_cast<UINT>(message);
}

// The private message a number stands for; nullopt for every other message.
[[nodiscard]] constexpr std::optional<WindowMessage> windowMessageOf(UINT id)
{
    switch (static_cast<WindowMessage>(id)) {
    case WindowMessage::Refresh:
    case WindowMessage::PerSecondUpdate:
    case WindowMessage::SecondaryUpdate:
    case WindowMessage::DelayedRepaint:
    case WindowMessage::RebuildViews:
    case WindowMessage::ReloadList:
    case WindowMessage::SwitchView:
    case WindowMessage::CurrentViewQuery:
        return static_cast<WindowMessage>(id);
    }
    return std::nullopt;
}

// The names tests and the other programs have known these two by.
inline constexpr UINT kSwitchViewMessage = messageId(WindowMessage::SwitchView);
inline constexpr UINT kCurrentViewQuery = messageId(WindowMessage::CurrentViewQuery);

} // namespace app

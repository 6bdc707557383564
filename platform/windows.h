#pragma once
// Windows across processes: a top-level window that other programs look for registers its
// class and title here and answers messages on a Unix socket of the runtime directory.
// The GUI side that serves the socket is ui::WindowHost; this is the plain side, usable
// by programs without a GUI.

#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct HWND__;
using HWND = HWND__*;
using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
using LRESULT = std::int64_t;

inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SETTINGCHANGE = 0x001a;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_USER = 0x0400;

// Null class or title matches any. Returns null when no live window matches.
HWND FindWindowW(const WCHAR* className, const WCHAR* title);
// Delivers the message and waits for the window's answer (0 when it is gone).
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Delivers the message without waiting; FALSE when the window is gone.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Brings the window, with the windows it owns, to the front.
BOOL SetForegroundWindow(HWND window);

namespace platform {

// A window's message handler; runs on the thread that serves the window.
using WindowHandler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

struct WindowRecord {
    std::uint64_t id = 0;
    pid_t pid = 0;
    std::u16string className;
    std::u16string title;
};

// Writes the registration of a window served at `socketPath`; returns its id, 0 on failure.
// The registration names the process, so one left by a crashed process is ignored and
// removed by the next search.
[[nodiscard]] std::uint64_t registerWindowRecord(
    std::u16string_view className, std::u16string_view title, std::uint64_t id);
void unregisterWindowRecord(std::uint64_t id);
[[nodiscard]] bool retitleWindowRecord(std::uint64_t id, std::u16string_view title);

// A fresh id for a window of this process.
[[nodiscard]] std::uint64_t newWindowId();
// The socket a window with this id serves; its folder is made when missing.
[[nodiscard]] std::string windowSocketPath(std::uint64_t id);

// Live registrations, oldest first.
[[nodiscard]] std::vector<WindowRecord> liveWindows();

// Posts a message to every live top-level window (the handheld's HWND_BROADCAST); returns
// how many took it.
int broadcastMessage(UINT message, WPARAM wParam, LPARAM lParam);

// Windows of this process answer in-process: the host puts its handlers here, one that
// answers at once and one that queues a posted message.
using WindowPoster = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
void setLocalWindowHandler(std::uint64_t id, WindowHandler send, WindowPoster post);
void clearLocalWindowHandler(std::uint64_t id);

// One message on a window's socket: four little-endian 64-bit words; a sent message
// (wantsAnswer 1) gets one word back, the result.
struct WindowWireMessage {
    std::uint64_t message;
    std::uint64_t wParam;
    std::int64_t lParam;
    std::uint64_t wantsAnswer;
};
static_assert(sizeof(WindowWireMessage) == 32);

// The message that asks a window to come to the front (served by the host itself).
inline constexpr UINT kBringToFrontMessage = 0x7f01;

[[nodiscard]] inline HWND windowHandleOf(std::uint64_t id) { return reinterpret_cast<HWND>(std::uintptr_t(id)); }
[[nodiscard]] inline std::uint64_t windowIdOf(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

} // namespace platform

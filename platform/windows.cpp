#include "platform/windows.h"

#include "platform/device_root.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

std::filesystem::path windowsFolder() { return runtimeDirectory() / "windows"; }

std::filesystem::path recordPath(std::uint64_t id) { return windowsFolder() / (std::to_string(id) + ".window"); }

struct LocalWindow {
    WindowHandler send;
    WindowPoster post;
};

std::mutex g_localMutex;
std::map<std::uint64_t, LocalWindow>& localHandlers()
{
    static auto* handlers = new std::map<std::uint64_t, LocalWindow>();
    return *handlers;
}

bool alive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH); }

std::optional<WindowRecord> readRecord(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string id, pid, className, title;
    if (!std::getline(in, id) || !std::getline(in, pid) || !std::getline(in, className) || !std::getline(in, title))
        return std::nullopt;
    WindowRecord record;
    try {
        record.id = std::stoull(id);
        record.pid = pid_t(std::stol(pid));
    } catch (...) {
        return std::nullopt; // A damaged registration names no window.
    }
    record.className = toUtf16(className);
    record.title = toUtf16(title);
    return record;
}

bool writeRecord(const WindowRecord& record)
{
    std::error_code error;
    std::filesystem::create_directories(windowsFolder(), error);
    // Class and title stand one a line; a line break inside one would end it early.
    auto oneLine = [](std::u16string_view text) {
        std::string line = toUtf8(text);
        for (char& c : line) {
            if (c == '\n' || c == '\r')
                c = ' ';
        }
        return line;
    };
    const std::string text = std::to_string(record.id) + "\n" + std::to_string(record.pid) + "\n"
        + oneLine(record.className) + "\n" + oneLine(record.title) + "\n";
    auto replacement = FileReplacement::beginHost(recordPath(record.id));
    return replacement && replacement->write(text.data(), text.size()) && replacement->commit();
}

std::optional<WindowRecord> findRecord(std::uint64_t id)
{
    auto record = readRecord(recordPath(id));
    if (!record || !alive(record->pid))
        return std::nullopt;
    return record;
}

UniqueFd connectTo(std::uint64_t id)
{
    const std::string path = windowSocketPath(id);
    sockaddr_un address { };
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return UniqueFd();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd || ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return UniqueFd();
    return fd;
}

bool sendAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent = ::send(fd, p, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        p += sent;
        size -= std::size_t(sent);
    }
    return true;
}

std::optional<LRESULT> deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool waitForAnswer)
{
    const std::uint64_t id = windowIdOf(window);
    {
        // A window of this process answers at once: waiting on its own socket from the
        // thread that serves it would never end.
        std::unique_lock lock(g_localMutex);
        auto found = localHandlers().find(id);
        if (found != localHandlers().end()) {
            const LocalWindow local = found->second;
            lock.unlock();
            if (!waitForAnswer) {
                local.post(message, wParam, lParam);
                return 0;
            }
            return local.send(message, wParam, lParam);
        }
    }
    if (!findRecord(id))
        return std::nullopt;
    UniqueFd fd = connectTo(id);
    if (!fd)
        return std::nullopt;
    const WindowWireMessage wire { message, wParam, lParam, waitForAnswer ? 1u : 0u };
    if (!sendAll(fd.get(), &wire, sizeof wire))
        return std::nullopt;
    if (!waitForAnswer)
        return 0;
    LRESULT result = 0;
    std::size_t got = 0;
    while (got < sizeof result) {
        const ssize_t n = ::recv(fd.get(), reinterpret_cast<char*>(&result) + got, sizeof result - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        got += std::size_t(n);
    }
    return result;
}

} // namespace

std::uint64_t newWindowId()
{
    static std::atomic<std::uint32_t> counter { 0 };
    return (std::uint64_t(::getpid()) << 20) | (++counter & 0xfffff);
}

std::string windowSocketPath(std::uint64_t id)
{
    std::error_code error;
    std::filesystem::create_directories(windowsFolder(), error);
    return (windowsFolder() / (std::to_string(id) + ".sock")).string();
}

std::uint64_t registerWindowRecord(std::u16string_view className, std::u16string_view title, std::uint64_t id)
{
    return writeRecord({ id, ::getpid(), std::u16string(className), std::u16string(title) }) ? id : 0;
}

void unregisterWindowRecord(std::uint64_t id)
{
    std::error_code error;
    std::filesystem::remove(recordPath(id), error);
    std::filesystem::remove(windowSocketPath(id), error);
}

bool retitleWindowRecord(std::uint64_t id, std::u16string_view title)
{
    auto record = readRecord(recordPath(id));
    if (!record)
        return false;
    record->title = title;
    return writeRecord(*record);
}

std::vector<WindowRecord> liveWindows()
{
    std::vector<WindowRecord> windows;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(windowsFolder(), error)) {
        if (entry.path().extension() != ".window")
            continue;
        const auto record = readRecord(entry.path());
        if (record && alive(record->pid)) {
            windows.push_back(*record);
        } else if (record) {
            // Left by a process that died without unregistering.
            unregisterWindowRecord(record->id);
        }
    }
    std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return windows;
}

void setLocalWindowHandler(std::uint64_t id, WindowHandler send, WindowPoster post)
{
    std::lock_guard lock(g_localMutex);
    localHandlers()[id] = { std::move(send), std::move(post) };
}

void clearLocalWindowHandler(std::uint64_t id)
{
    std::lock_guard lock(g_localMutex);
    localHandlers().erase(id);
}

int broadcastMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    int delivered = 0;
    for (const auto& window : liveWindows())
        delivered += PostMessageW(windowHandleOf(window.id), message, wParam, lParam) ? 1 : 0;
    return delivered;
}

} // namespace platform

HWND FindWindowW(const WCHAR* className, const WCHAR* title)
{
    for (const auto& window : platform::liveWindows()) {
        if ((!className || window.className == className) && (!title || window.title == title))
            return platform::windowHandleOf(window.id);
    }
    return nullptr;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return platform::deliver(window, message, wParam, lParam, true).value_or(0);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return platform::deliver(window, message, wParam, lParam, false) ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window)
{
    return platform::deliver(window, platform::kBringToFrontMessage, 0, 0, false) ? TRUE : FALSE;
}

#include "platform/device_service.h"

#include "platform/device_root.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/processes.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

std::filesystem::path ownProgramFolder()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

bool autostartAllowed()
{
    const char* setting = std::getenv("TKW_DEVICED_AUTOSTART");
    return !setting || std::strcmp(setting, "0") != 0;
}

} // namespace

std::filesystem::path deviceServiceLockFile() { return runtimeDirectory() / "deviced.lock"; }

std::filesystem::path deviceServiceLogFile() { return platformStateDirectory() / "deviced.log"; }

std::optional<std::filesystem::path> deviceServiceProgram()
{
    if (const char* configured = std::getenv("TKW_DEVICED"); configured && *configured)
        return isExecutableFile(configured) ? std::optional<std::filesystem::path>(configured) : std::nullopt;
    const auto folder = ownProgramFolder();
    for (const auto& candidate : { folder / "tkw-deviced", folder.parent_path() / "services" / "tkw-deviced" }) {
        if (!folder.empty() && isExecutableFile(candidate))
            return candidate;
    }
    return findOnPath("tkw-deviced");
}

std::optional<pid_t> runningDeviceService()
{
    if (runtimeDirectory().empty())
        return std::nullopt;
    UniqueFd lock(::open(deviceServiceLockFile().c_str(), O_RDONLY | O_CLOEXEC));
    if (!lock)
        return std::nullopt;
    if (::flock(lock.get(), LOCK_SH | LOCK_NB) == 0) {
        ::flock(lock.get(), LOCK_UN);
        return std::nullopt;
    }
    // The service writes its pid into its lock file after taking the lock.
    char text[32] = { };
    const ssize_t got = ::pread(lock.get(), text, sizeof text - 1, 0);
    const long pid = got > 0 ? std::strtol(text, nullptr, 10) : 0;
    return pid_t(pid);
}

bool startDeviceService(std::string* problem)
{
    if (runningDeviceService())
        return true;
    const auto program = deviceServiceProgram();
    if (!program) {
        if (problem)
            *problem = "the device service program tkw-deviced was not found";
        return false;
    }
    SpawnRequest request;
    request.program = *program;
    request.outputLog = deviceServiceLogFile();
    if (!spawnDetached(request)) {
        if (problem)
            *problem = "cannot start " + program->string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool stopDeviceService(int timeoutMs)
{
    const auto pid = runningDeviceService();
    if (!pid)
        return true;
    if (*pid > 0)
        ::kill(*pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!runningDeviceService())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void notifyDeviceService()
{
    setNamedEvent(kWakeUpsChangedEvent);
    if (autostartAllowed())
        (void)startDeviceService(); // The registration is kept; the service fires it when it starts.
}

} // namespace platform

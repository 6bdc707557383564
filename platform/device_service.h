#pragma once
// The clients' side of the device service (tkw-deviced): finding it, starting it on
// demand and telling it that something changed. One service runs per device root; its
// lock in the runtime directory says whether it runs.

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace platform {

// Set by every change of the registrations, so the device service sleeps anew.
inline constexpr const char16_t* kWakeUpsChangedEvent = u"TkwPlatform_WakeUpsChanged";

// Tells the service that the registrations changed, starting it when it is not running.
// Setting TKW_DEVICED_AUTOSTART=0 in the environment keeps it from being started.
void notifyDeviceService();

// Whether a service holds this root's lock, and its process id when it does.
[[nodiscard]] std::optional<pid_t> runningDeviceService();

// Starts the service detached unless one runs; true when one runs or was started.
[[nodiscard]] bool startDeviceService(std::string* problem = nullptr);

// Asks a running service to end and waits up to `timeoutMs` for it; true when none runs.
[[nodiscard]] bool stopDeviceService(int timeoutMs = 5000);

// The program: $TKW_DEVICED, else tkw-deviced beside the running program (or in the build
// tree's services/ folder), else on the PATH.
[[nodiscard]] std::optional<std::filesystem::path> deviceServiceProgram();

// The service's lock and log files.
[[nodiscard]] std::filesystem::path deviceServiceLockFile();
[[nodiscard]] std::filesystem::path deviceServiceLogFile();

} // namespace platform

#pragma once
// The device root: the host directory that holds everything the suite sees as "the device",
// and the per-root runtime directory that holds shared memory, sockets and locks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// $TICKWELL_DEVICE, else $XDG_DATA_HOME/tickwell/device, else ~/.local/share/tickwell/device.
// Created on first use. Absolute and free of symbolic links.
[[nodiscard]] const std::filesystem::path& deviceRoot();

// $XDG_RUNTIME_DIR/tickwell/<hash of the root>, else /tmp/tickwell-<uid>/<hash of the root>;
// created with mode 0700 and refused when another user owns it. Empty when it cannot be made.
[[nodiscard]] const std::filesystem::path& runtimeDirectory();

// The platform's own persistent state inside the root (registry, clock, wake-up database).
// Device paths cannot reach it.
[[nodiscard]] std::filesystem::path platformStateDirectory();
inline constexpr const char* kPlatformStateFolder = ".platform";

// Switches this process to another device root, dropping every cached connection to the old
// one. Tests use it to give each case a root of its own; programs never call it.
void useDeviceRoot(const std::filesystem::path& root);

// Grows each time the process switches roots, so caches can tell that they are stale.
[[nodiscard]] std::uint64_t deviceRootGeneration() noexcept;

// Why runtimeDirectory() is empty, for error messages.
[[nodiscard]] std::string runtimeDirectoryProblem();

} // namespace platform

#pragma once
// The device root: the host directory that holds everything the suite sees as "the device",
// and the per-root runtime directory that holds shared memory, sockets and locks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// $TICKWELL_DEVICE, else $XDG_DATA_HOME/tickwell/device, else ~/.local/share/tickwell/device.
// Created on first use, private to the user (0700, as is everything the suite creates in
// it). Absolute and free of symbolic links.
//
// Without any of the three (no HOME either) no root is guessed, since a shared folder would
// let other users read and change the device: the process then prints deviceRootProblem()
// to standard error and ends with exit code 1. Programs that want to say it their own way
// ask deviceRootProblem() first.
[[nodiscard]] const std::filesystem::path& deviceRoot();

// Why no device root can be chosen, with how to choose one; empty when one can. Creates
// nothing.
[[nodiscard]] std::string deviceRootProblem();

// $XDG_RUNTIME_DIR/tickwell/<hash of the root>, else /tmp/tickwell-<uid>/<hash of the root>;
// created with mode 0700 and refused when another user owns it. Empty when it cannot be made.
// Without a device root the process ends as deviceRoot() says.
[[nodiscard]] const std::filesystem::path& runtimeDirectory();

// The platform's own persistent state inside the root (registry, clock, wake-up database).
// Device paths cannot reach it.
[[nodiscard]] std::filesystem::path platformStateDirectory();
inline constexpr const char* kPlatformStateFolder = ".platform";

// Everything the suite creates in the device root is private to the user whatever the
// umask: folders 0700, files 0600 (File::open, FileReplacement).
inline constexpr unsigned kPrivateFolderMode = 0700;
inline constexpr unsigned kPrivateFileMode = 0600;

// Creates the folder at a host path and any missing folders above it with mode 0700 whatever
// the umask; folders that exist are left as they are. False with the errno in `error` (0
// when the path is there but no folder).
[[nodiscard]] bool makePrivateHostFolders(const std::filesystem::path& hostPath, int* error = nullptr);

// Switches this process to another device root, dropping every cached connection to the old
// one. Tests use it to give each case a root of its own; programs never call it.
void useDeviceRoot(const std::filesystem::path& root);

// Grows each time the process switches roots, so caches can tell that they are stale.
[[nodiscard]] std::uint64_t deviceRootGeneration() noexcept;

// Why runtimeDirectory() is empty, for error messages.
[[nodiscard]] std::string runtimeDirectoryProblem();

} // namespace platform

#include "platform/device_root.h"

#include "platform/text.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct RootState {
    std::filesystem::path root;
    std::filesystem::path runtime;
    std::string runtimeProblem;
    bool resolved = false;
};

std::mutex g_mutex;
RootState g_state;
std::atomic<std::uint64_t> g_generation { 1 };

std::filesystem::path defaultRoot()
{
    if (const char* device = std::getenv("TICKWELL_DEVICE"); device && *device)
        return device;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "tickwell" / "device";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "tickwell"
        / "device";
}

// Creates one directory level with mode 0700, or accepts an existing one that this user owns
// and nobody else may enter.
bool ensurePrivateDirectory(const std::filesystem::path& dir, std::string& problem)
{
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = "cannot create " + dir.string() + ": " + std::strerror(errno);
        return false;
    }
    struct stat info { };
    if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = dir.string() + " is not a directory";
        return false;
    }
    if (info.st_uid != ::getuid()) {
        problem = dir.string() + " belongs to another user";
        return false;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) {
        problem = dir.string() + " is open to other users and cannot be closed";
        return false;
    }
    return true;
}

std::filesystem::path makeRuntimeDirectory(const std::filesystem::path& root, std::string& problem)
{
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
        static_cast<unsigned long long>(stableHash(root.string())));

    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg == '/' && ::access(xdg, W_OK) == 0) {
        base = std::filesystem::path(xdg) / "tickwell";
    } else {
        base = std::filesystem::path("/tmp") / ("tickwell-" + std::to_string(::getuid()));
    }
    if (!ensurePrivateDirectory(base, problem))
        return { };
    auto dir = base / hash;
    if (!ensurePrivateDirectory(dir, problem))
        return { };
    return dir;
}

void resolveLocked()
{
    if (g_state.resolved)
        return;
    std::error_code error;
    auto root = std::filesystem::absolute(defaultRoot(), error);
    if (error)
        root = defaultRoot();
    std::filesystem::create_directories(root, error);
    auto canonical = std::filesystem::canonical(root, error);
    g_state.root = error ? root.lexically_normal() : canonical;
    g_state.runtime = makeRuntimeDirectory(g_state.root, g_state.runtimeProblem);
    std::filesystem::create_directories(g_state.root / kPlatformStateFolder, error);
    g_state.resolved = true;
}

} // namespace

const std::filesystem::path& deviceRoot()
{
    std::lock_guard lock(g_mutex);
    resolveLocked();
    return g_state.root;
}

const std::filesystem::path& runtimeDirectory()
{
    std::lock_guard lock(g_mutex);
    resolveLocked();
    return g_state.runtime;
}

std::string runtimeDirectoryProblem()
{
    std::lock_guard lock(g_mutex);
    resolveLocked();
    return g_state.runtimeProblem;
}

std::filesystem::path platformStateDirectory() { return deviceRoot() / kPlatformStateFolder; }

void useDeviceRoot(const std::filesystem::path& root)
{
    std::lock_guard lock(g_mutex);
    ::setenv("TICKWELL_DEVICE", root.c_str(), 1);
    g_state = RootState { };
    resolveLocked();
    g_generation.fetch_add(1);
}

std::uint64_t deviceRootGeneration() noexcept { return g_generation.load(std::memory_order_acquire); }

} // namespace platform

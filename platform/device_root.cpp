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
#include <vector>

namespace platform {

namespace {

struct RootState {
    std::filesystem::path root; // empty when none can be chosen
    std::string rootProblem;
    std::filesystem::path runtime;
    std::string runtimeProblem;
    bool resolved = false;
};

std::mutex g_mutex;
RootState g_state;
std::atomic<std::uint64_t> g_generation { 1 };

constexpr const char* kNoRootProblem
    = "no device root: HOME is not set, and no shared folder is guessed in its place; set "
      "TICKWELL_DEVICE to a folder of your own (for example: export "
      "TICKWELL_DEVICE=/home/you/tickwell-device)";

// nullopt when none of the variables names a place of this user's.
std::optional<std::filesystem::path> defaultRoot()
{
    if (const char* device = std::getenv("TICKWELL_DEVICE"); device && *device)
        return device;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "tickwell" / "device";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::filesystem::path(home) / ".local" / "share" / "tickwell" / "device";
    return std::nullopt;
}

// Closes a folder of ours that is open to other users: an older version, or a folder made by
// hand, may have left it so.
void makePrivate(const std::filesystem::path& folder)
{
    struct stat info { };
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid()
        && (info.st_mode & 077) != 0)
        ::chmod(folder.c_str(), kPrivateFolderMode); // A folder we may not change stays as it is.
}

[[noreturn]] void refuseWithoutRoot(const std::string& problem)
{
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, problem.c_str());
    std::fflush(stdout);
    // Not exit(): destructors and handlers at exit might reach for the root again.
    std::_Exit(1);
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
    g_state.resolved = true;
    const auto chosen = defaultRoot();
    if (!chosen) {
        g_state.rootProblem = kNoRootProblem;
        return;
    }
    std::error_code error;
    auto root = std::filesystem::absolute(*chosen, error);
    if (error)
        root = *chosen;
    // A root that cannot be made shows up as failures to open its files, with their reasons.
    (void)makePrivateHostFolders(root);
    auto canonical = std::filesystem::canonical(root, error);
    g_state.root = error ? root.lexically_normal() : canonical;
    makePrivate(g_state.root);
    g_state.runtime = makeRuntimeDirectory(g_state.root, g_state.runtimeProblem);
    (void)makePrivateHostFolders(g_state.root / kPlatformStateFolder);
    makePrivate(g_state.root / kPlatformStateFolder);
}

// The resolved state; a process without a root ends here.
const RootState& resolvedState()
{
    std::unique_lock lock(g_mutex);
    resolveLocked();
    if (g_state.root.empty()) {
        const std::string problem = g_state.rootProblem;
        lock.unlock();
        refuseWithoutRoot(problem);
    }
    return g_state;
}

} // namespace

const std::filesystem::path& deviceRoot() { return resolvedState().root; }

std::string deviceRootProblem()
{
    std::lock_guard lock(g_mutex);
    if (g_state.resolved)
        return g_state.rootProblem;
    return defaultRoot() ? std::string() : std::string(kNoRootProblem);
}

const std::filesystem::path& runtimeDirectory() { return resolvedState().runtime; }

std::string runtimeDirectoryProblem()
{
    const auto& state = resolvedState();
    std::lock_guard lock(g_mutex);
    return state.runtimeProblem;
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

bool makePrivateHostFolders(const std::filesystem::path& hostPath, int* error)
{
    const auto failed = [error](int number) {
        if (error)
            *error = number;
        return false;
    };
    // The missing folders, innermost first; they are made from the top down.
    std::vector<std::filesystem::path> missing;
    std::error_code status;
    auto folder = hostPath.lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path(); // "a/b/" names "a/b"
    for (; !folder.empty(); folder = folder.parent_path()) {
        if (std::filesystem::exists(std::filesystem::symlink_status(folder, status)))
            break;
        missing.push_back(folder);
        if (folder == folder.parent_path())
            break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), kPrivateFolderMode) != 0) {
            if (errno == EEXIST && std::filesystem::is_directory(*it, status))
                continue; // another process made it a moment ago
            return failed(errno);
        }
        // mkdir's mode passed through the umask; this one does not.
        if (::chmod(it->c_str(), kPrivateFolderMode) != 0)
            return failed(errno);
    }
    if (!std::filesystem::is_directory(hostPath, status))
        return failed(0);
    return true;
}

} // namespace platform

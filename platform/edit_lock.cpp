#include "platform/edit_lock.h"

#include "platform/files.h"
#include "platform/unique_fd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

struct Held {
    UniqueFd fd;
    int depth = 0;
};

// The edits this thread holds, by lock file. Another thread of the same process opens the
// lock file anew, and OFD locks of two opens exclude each other like two processes' do.
std::map<std::string, Held>& heldByThisThread()
{
    thread_local std::map<std::string, Held> held;
    return held;
}

bool tryLock(int fd)
{
    struct flock lock { };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

UniqueFd openLockFile(const std::filesystem::path& lockPath)
{
    UniqueFd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd && errno == ENOENT) {
        // The folder of the file is made by its first save; an edit may come first.
        (void)createPrivateHostFolders(lockPath.parent_path());
        fd.reset(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    }
    return fd;
}

bool fail(EditLockError* why, EditLockError error)
{
    if (why)
        *why = error;
    return false;
}

} // namespace

const char* describe(EditLockError error) noexcept
{
    switch (error) {
    case EditLockError::None: return "no error";
    case EditLockError::Busy: return "another program is changing it";
    case EditLockError::Unavailable: return "its lock file cannot be used";
    }
    return "unknown error";
}

std::filesystem::path editLockPathOf(const std::filesystem::path& file)
{
    return file.parent_path() / ("." + file.filename().string() + ".lock");
}

std::optional<EditLock> EditLock::acquire(std::u16string_view devicePath, std::chrono::milliseconds wait, EditLockError* why)
{
    const auto host = hostPathOf(devicePath);
    if (!host) {
        fail(why, EditLockError::Unavailable);
        return std::nullopt;
    }
    return acquireHost(*host, wait, why);
}

std::optional<EditLock> EditLock::acquireHost(const std::filesystem::path& file, std::chrono::milliseconds wait, EditLockError* why)
{
    std::string key = editLockPathOf(file).string();
    auto& held = heldByThisThread();
    if (auto found = held.find(key); found != held.end()) {
        ++found->second.depth;
        return EditLock(std::move(key));
    }
    UniqueFd fd = openLockFile(key);
    if (!fd) {
        fail(why, EditLockError::Unavailable);
        return std::nullopt;
    }
    // Edits last milliseconds: short naps first, then longer ones while a slow one ends.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto nap = std::chrono::microseconds(500);
    while (!tryLock(fd.get())) {
        if (errno != EAGAIN && errno != EACCES) {
            fail(why, EditLockError::Unavailable);
            return std::nullopt;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            fail(why, EditLockError::Busy);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(nap, deadline - now));
        nap = std::min(nap * 2, std::chrono::microseconds(20'000));
    }
    held.emplace(key, Held { std::move(fd), 1 });
    return EditLock(std::move(key));
}

EditLock& EditLock::operator=(EditLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_key = std::exchange(other.m_key, std::string());
    }
    return *this;
}

EditLock::~EditLock() { release(); }

void EditLock::release()
{
    if (m_key.empty())
        return;
    auto& held = heldByThisThread();
    if (auto found = held.find(m_key); found != held.end() && --found->second.depth == 0)
        held.erase(found); // closing the descriptor ends the lock
    m_key.clear();
}

} // namespace platform

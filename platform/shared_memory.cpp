#include "platform/shared_memory.h"

#include "platform/device_root.h"
#include "platform/unique_fd.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <utility>

namespace platform {

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
{
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept
{
    if (this != &other) {
        if (m_data)
            ::munmap(m_data, m_size);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

SharedMemory::~SharedMemory()
{
    if (m_data)
        ::munmap(m_data, m_size);
}

SharedMemory SharedMemory::open(const std::string& name, std::size_t size, std::uint64_t version,
    const std::function<void(void*)>& initialise, std::string& problem)
{
    SharedMemory result;
    const auto& dir = runtimeDirectory();
    if (dir.empty()) {
        problem = "no runtime directory: " + runtimeDirectoryProblem();
        return result;
    }
    const auto path = dir / name;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd) {
        problem = "cannot open " + path.string() + ": " + std::strerror(errno);
        return result;
    }
    void* mapping = MAP_FAILED;
    auto mapAndCheck = [&]() -> bool {
        struct stat info { };
        if (::fstat(fd.get(), &info) != 0 || std::size_t(info.st_size) != size)
            return false;
        mapping = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
        if (mapping == MAP_FAILED)
            return false;
        auto* stamp = static_cast<std::atomic<std::uint64_t>*>(mapping);
        if (stamp->load(std::memory_order_acquire) == version)
            return true;
        ::munmap(mapping, size);
        mapping = MAP_FAILED;
        return false;
    };

    // A shared lock suffices to use a finished segment; making one takes the exclusive lock.
    while (::flock(fd.get(), LOCK_SH) != 0 && errno == EINTR) { }
    bool ready = mapAndCheck();
    ::flock(fd.get(), LOCK_UN);
    if (!ready) {
        while (::flock(fd.get(), LOCK_EX) != 0 && errno == EINTR) { }
        ready = mapAndCheck();
        if (!ready) {
            // A new segment, or one left by another build of the suite: made afresh. Users
            // map a segment only after checking its size and version under the shared lock,
            // so nobody maps it while it is being made.
            if (::ftruncate(fd.get(), 0) != 0 || ::ftruncate(fd.get(), off_t(size)) != 0) {
                problem = "cannot size " + path.string() + ": " + std::strerror(errno);
                ::flock(fd.get(), LOCK_UN);
                return result;
            }
            mapping = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
            if (mapping == MAP_FAILED) {
                problem = "cannot map " + path.string() + ": " + std::strerror(errno);
                ::flock(fd.get(), LOCK_UN);
                return result;
            }
            initialise(mapping);
            static_cast<std::atomic<std::uint64_t>*>(mapping)->store(version, std::memory_order_release);
            ready = true;
        }
        ::flock(fd.get(), LOCK_UN);
    }
    result.m_data = mapping;
    result.m_size = size;
    return result;
}

} // namespace platform

#pragma once
// One edit at a time per file, across every process of the suite. An edit (load, change,
// save, register, signal) holds an OFD write lock on a lock file beside the file it edits
// (".alarms.dat.lock" beside "alarms.dat") from its first read to its last write, so two
// programs that change the same file never overwrite each other's change. The lock file is
// never removed: whole-file saves replace the data file by rename, so the data file itself
// cannot carry the lock.
//
// A thread may take an edit it already holds again (the nested steps of one action); the
// edit ends when the outermost holder lets go. Other threads and processes wait for it, for
// a bounded time. Readers that only look take no lock: saves replace files whole.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

enum class EditLockError {
    None,
    Busy,        // another program kept the edit for the whole wait
    Unavailable, // the lock file cannot be made or locked (no folder, no permission)
};

[[nodiscard]] const char* describe(EditLockError error) noexcept;

class EditLock {
public:
    // Waits up to `wait` for the edit of the device file `devicePath`.
    [[nodiscard]] static std::optional<EditLock> acquire(
        std::u16string_view devicePath, std::chrono::milliseconds wait, EditLockError* why = nullptr);
    // The same for a host path.
    [[nodiscard]] static std::optional<EditLock> acquireHost(
        const std::filesystem::path& file, std::chrono::milliseconds wait, EditLockError* why = nullptr);

    EditLock(EditLock&& other) noexcept : m_key(std::exchange(other.m_key, std::string())) { }
    EditLock& operator=(EditLock&& other) noexcept;
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;
    ~EditLock();

private:
    explicit EditLock(std::string key) : m_key(std::move(key)) { }
    void release();
    std::string m_key; // the lock file's host path; empty once moved from
};

// The lock file that guards edits of `file`.
[[nodiscard]] std::filesystem::path editLockPathOf(const std::filesystem::path& file);

} // namespace platform

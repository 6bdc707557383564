#pragma once
// Device files: the handheld's absolute backslash paths mapped onto the device root, opened
// with share modes that every process of the suite honours.
//
// Share modes are whole-file OFD locks: an exclusive open, or one for writing that does not
// share writing, holds a write lock and fails while any other open holds the file; a shared
// read open holds a read lock and coexists with other readers. A conflicting open fails at once with FileError::SharingViolation, and callers
// apply their retry rule as they would on the handheld.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device_root.h"
#include "platform/unique_fd.h"

namespace platform {

enum class FileError {
    None,
    NotFound,          // the file does not exist
    PathNotFound,      // a folder on the way does not exist
    OutsideRoot,       // the path is relative, names "..", or leads out through a link
    InvalidPath,       // empty, or a character no device path may hold
    SharingViolation,  // another open refuses to share the file
    AccessDenied,      // the host refuses, or it is a folder
    AlreadyExists,
    DiskFull,
    Io,
};

[[nodiscard]] const char* describe(FileError error) noexcept;

enum class Links {
    StayInside, // links are followed only while they stay inside the root
    MayLeave,   // for the executables of the device tree, which link to host binaries
};

// The host path of a device path such as "\Application Data\log.txt". A name that does not
// exist with that exact case matches an existing name that differs only in case, as names do
// on the handheld.
[[nodiscard]] std::optional<std::filesystem::path> hostPathOf(
    std::u16string_view devicePath, FileError* why = nullptr, Links links = Links::StayInside);

// The device path of a host path inside the root.
[[nodiscard]] std::optional<std::u16string> devicePathOf(const std::filesystem::path& hostPath);

enum class Access { Read, Write, ReadWrite };
enum class Share { None, Read, ReadWrite };
enum class Disposition {
    OpenExisting,     // fail when absent
    OpenAlways,       // create when absent
    CreateNew,        // fail when present
    TruncateExisting, // fail when absent, else empty it (in place)
};

class File {
public:
    [[nodiscard]] static std::optional<File> open(std::u16string_view devicePath, Access access,
        Share share, Disposition disposition, FileError* why = nullptr);

    // Reads up to buffer.size() bytes at the current position; the count read, or nullopt.
    [[nodiscard]] std::optional<std::size_t> read(std::span<std::byte> buffer);
    // True only when every byte was read.
    [[nodiscard]] bool readExactly(void* into, std::size_t size);
    // True only when every byte was written.
    [[nodiscard]] bool write(const void* bytes, std::size_t size);
    [[nodiscard]] bool seek(std::uint64_t offset);
    [[nodiscard]] std::optional<std::uint64_t> size() const;
    [[nodiscard]] bool flush();

private:
    explicit File(UniqueFd fd) : m_fd(std::move(fd)) { }
    UniqueFd m_fd;
};

// A whole file written afresh: the bytes go to a temporary file in the same folder, which
// commit() flushes and renames over the old one, so a crash leaves the old file or the new
// one and never a short one. The old file is held exclusively from begin() to the end, so
// the replacement fails like an exclusive open while another process has the file open.
class FileReplacement {
public:
    [[nodiscard]] static std::optional<FileReplacement> begin(
        std::u16string_view devicePath, FileError* why = nullptr);
    // The same for a host path; the platform keeps its own state this way.
    [[nodiscard]] static std::optional<FileReplacement> beginHost(
        const std::filesystem::path& hostPath, FileError* why = nullptr);
    FileReplacement(FileReplacement&&) noexcept = default;
    FileReplacement& operator=(FileReplacement&&) noexcept = default;
    ~FileReplacement(); // an uncommitted replacement leaves no trace

    [[nodiscard]] bool write(const void* bytes, std::size_t size);
    [[nodiscard]] bool commit(FileError* why = nullptr);

private:
    FileReplacement() = default;
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    UniqueFd m_temporaryFd;
    UniqueFd m_targetLock;
    bool m_failed = false;
};

// Replaces the whole file with `bytes` as FileReplacement does.
[[nodiscard]] bool replaceFile(std::u16string_view devicePath, std::span<const std::byte> bytes,
    FileError* why = nullptr);

// Reads a whole file under a shared read open; refuses files larger than `maxBytes`.
[[nodiscard]] std::optional<std::vector<std::byte>> readWholeFile(
    std::u16string_view devicePath, std::size_t maxBytes, FileError* why = nullptr);

struct FolderEntry {
    std::u16string name;
    std::uint64_t size = 0;
    bool isFolder = false;
};

// The entries of a folder whose names match `pattern` ("*.qpg", "*"), sorted by name.
[[nodiscard]] std::optional<std::vector<FolderEntry>> listFolder(
    std::u16string_view devicePath, std::u16string_view pattern, FileError* why = nullptr);

// ".damaged-YYYYMMDD-HHMMSS" (the host's local time now): what a damaged file set aside is
// named with after its own name.
[[nodiscard]] std::string damagedFileSuffix();

[[nodiscard]] std::optional<std::uint64_t> fileSize(std::u16string_view devicePath, FileError* why = nullptr);
[[nodiscard]] bool fileExists(std::u16string_view devicePath);
[[nodiscard]] bool deleteFile(std::u16string_view devicePath, FileError* why = nullptr);
// Creates the folder and any missing folders above it, private to the user like every
// folder the suite makes (see createPrivateHostFolders).
[[nodiscard]] bool createFolder(std::u16string_view devicePath, FileError* why = nullptr);

// Creates the folder at a host path and any missing folders above it with
// kPrivateFolderMode; folders that exist are left as they are. The platform keeps its own
// state this way.
[[nodiscard]] bool createPrivateHostFolders(const std::filesystem::path& hostPath, FileError* why = nullptr);

} // namespace platform

#include "platform/files.h"

#include "platform/device_root.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool fail(FileError* why, FileError error)
{
    if (why)
        *why = error;
    return false;
}

FileError fromErrno(int error)
{
    switch (error) {
    case ENOENT: return FileError::NotFound;
    case ENOTDIR: return FileError::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return FileError::AccessDenied;
    case EEXIST: return FileError::AlreadyExists;
    case ENOSPC:
    case EDQUOT: return FileError::DiskFull;
    case EAGAIN: return FileError::SharingViolation;
    case ELOOP: return FileError::OutsideRoot;
    case ENAMETOOLONG: return FileError::InvalidPath;
    default: return FileError::Io;
    }
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& root)
{
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

// The existing entry of `folder` whose name equals `name` but for case, if any.
std::optional<std::string> caseInsensitiveMatch(const std::filesystem::path& folder, const std::string& name)
{
    std::error_code error;
    const auto wanted = toUtf16(name);
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto candidate = entry.path().filename().string();
        if (equalsIgnoringCase(toUtf16(candidate), wanted))
            return candidate;
    }
    return std::nullopt;
}

bool lockWhole(int fd, short type)
{
    struct flock lock { };
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

bool writeAll(int fd, const void* bytes, std::size_t size)
{
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(fd, p, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        size -= std::size_t(written);
    }
    return true;
}

void syncFolder(const std::filesystem::path& folder)
{
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.get()); // Best effort: the rename itself is already atomic.
}

// ".settings.dat." for settings.dat: hidden, and tied to the file it replaces.
std::string temporaryPrefix(const std::filesystem::path& target)
{
    std::string prefix(1, '.');
    prefix.append(target.filename().string());
    prefix.push_back('.');
    return prefix;
}

// Writers killed half-way leave their temporary files behind; one that nobody holds locked
// any more is abandoned.
void removeAbandonedTemporaries(const std::filesystem::path& target, const std::string& own)
{
    const std::string prefix = temporaryPrefix(target);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0 || entry.path() == own)
            continue;
        UniqueFd stale(::open(entry.path().c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
        if (stale && lockWhole(stale.get(), F_WRLCK))
            ::unlink(entry.path().c_str());
    }
}

// Opens (and with O_CREAT perhaps creates) a file with the mode of the suite's files.
// `created` tells whether this call made it, so that only a new file has its mode set: files
// put into the device from outside keep theirs.
UniqueFd openFile(const std::filesystem::path& host, int flags, bool& created)
{
    created = false;
    if (!(flags & O_CREAT))
        return UniqueFd(::open(host.c_str(), flags));
    if (flags & O_EXCL) {
        UniqueFd fd(::open(host.c_str(), flags, kPrivateFileMode));
        created = bool(fd);
        return fd;
    }
    for (;;) {
        UniqueFd existing(::open(host.c_str(), flags & ~O_CREAT));
        if (existing || errno != ENOENT)
            return existing;
        UniqueFd fresh(::open(host.c_str(), flags | O_EXCL, kPrivateFileMode));
        if (fresh || errno != EEXIST) {
            created = bool(fresh);
            return fresh;
        }
        // Another process created it between the two opens: open that one.
    }
}

} // namespace

std::string damagedFileSuffix()
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm parts { };
    ::localtime_r(&now, &parts);
    std::strftime(stamp, sizeof stamp, ".damaged-%Y%m%d-%H%M%S", &parts);
    return stamp;
}

const char* describe(FileError error) noexcept
{
    switch (error) {
    case FileError::None: return "no error";
    case FileError::NotFound: return "the file does not exist";
    case FileError::PathNotFound: return "a folder on the path does not exist";
    case FileError::OutsideRoot: return "the path leads outside the device";
    case FileError::InvalidPath: return "the path is not a valid device path";
    case FileError::SharingViolation: return "another program has the file open";
    case FileError::AccessDenied: return "access denied";
    case FileError::AlreadyExists: return "the file already exists";
    case FileError::DiskFull: return "the disk is full";
    case FileError::Io: return "input/output error";
    }
    return "unknown error";
}

std::optional<std::filesystem::path> hostPathOf(std::u16string_view devicePath, FileError* why, Links links)
{
    if (devicePath.empty() || (devicePath.front() != u'\\' && devicePath.front() != u'/')) {
        fail(why, devicePath.empty() ? FileError::InvalidPath : FileError::OutsideRoot);
        return std::nullopt;
    }
    const auto& root = deviceRoot();
    std::filesystem::path host = root;
    bool exists = true;
    bool first = true;
    std::size_t start = 0;
    while (start <= devicePath.size()) {
        std::size_t end = devicePath.find_first_of(u"\\/", start);
        if (end == std::u16string_view::npos)
            end = devicePath.size();
        const auto component = devicePath.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == u".")
            continue;
        if (component == u"..") {
            fail(why, FileError::OutsideRoot);
            return std::nullopt;
        }
        if (component.find(u'\0') != std::u16string_view::npos) {
            fail(why, FileError::InvalidPath);
            return std::nullopt;
        }
        if (first && equalsIgnoringCase(component, toUtf16(kPlatformStateFolder))) {
            // The platform's own state is not part of the device.
            fail(why, FileError::AccessDenied);
            return std::nullopt;
        }
        first = false;
        std::string name = toUtf8(component);
        if (exists) {
            std::error_code error;
            if (!std::filesystem::exists(std::filesystem::symlink_status(host / name, error))) {
                if (auto match = caseInsensitiveMatch(host, name))
                    name = *match;
                else
                    exists = false;
            }
        }
        host /= name;
    }
    if (links == Links::StayInside) {
        std::error_code error;
        const auto resolved = std::filesystem::weakly_canonical(host, error);
        if (error || !isInside(resolved, root)) {
            fail(why, FileError::OutsideRoot);
            return std::nullopt;
        }
    }
    return host;
}

std::optional<std::u16string> devicePathOf(const std::filesystem::path& hostPath)
{
    const auto& root = deviceRoot();
    const auto normal = hostPath.lexically_normal();
    if (!isInside(normal, root))
        return std::nullopt;
    std::u16string device;
    for (const auto& part : normal.lexically_relative(root)) {
        if (part == "." || part.empty())
            continue;
        device += u'\\';
        device += toUtf16(part.string());
    }
    return device.empty() ? u"\\" : device;
}

std::optional<File> File::open(std::u16string_view devicePath, Access access, Share share,
    Disposition disposition, FileError* why)
{
    const auto host = hostPathOf(devicePath, why);
    if (!host)
        return std::nullopt;
    int flags = O_CLOEXEC | O_NOFOLLOW;
    // An open for writing holds the file exclusively unless it shares writing; a write lock
    // needs a descriptor open for writing even when the caller only reads.
    const bool exclusive = share == Share::None || (access != Access::Read && share != Share::ReadWrite);
    flags |= (access != Access::Read || exclusive) ? O_RDWR : O_RDONLY;
    switch (disposition) {
    case Disposition::OpenExisting: break;
    case Disposition::OpenAlways: flags |= O_CREAT; break;
    case Disposition::CreateNew: flags |= O_CREAT | O_EXCL; break;
    case Disposition::TruncateExisting: break; // emptied after the lock is taken
    }
    bool created = false;
    UniqueFd fd = openFile(*host, flags, created);
    if (!fd && exclusive && access == Access::Read && errno == EACCES) {
        // A read-only file can still be read; it is then only shared with readers.
        fd = openFile(*host, (flags & ~O_RDWR) | O_RDONLY, created);
        if (fd && !lockWhole(fd.get(), F_RDLCK)) {
            fail(why, FileError::SharingViolation);
            return std::nullopt;
        }
        if (fd)
            return File(std::move(fd));
    }
    if (!fd) {
        FileError error = fromErrno(errno);
        if (error == FileError::NotFound) {
            std::error_code ignored;
            if (!std::filesystem::is_directory(host->parent_path(), ignored))
                error = FileError::PathNotFound;
        }
        fail(why, error);
        return std::nullopt;
    }
    struct stat info { };
    if (::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        fail(why, FileError::AccessDenied);
        return std::nullopt;
    }
    // Whatever the umask took away or let through. On a file this call made, it cannot fail.
    if (created)
        ::fchmod(fd.get(), kPrivateFileMode);
    if (share != Share::ReadWrite && !lockWhole(fd.get(), exclusive ? F_WRLCK : F_RDLCK)) {
        fail(why, FileError::SharingViolation);
        return std::nullopt;
    }
    if (disposition == Disposition::TruncateExisting && ::ftruncate(fd.get(), 0) != 0) {
        fail(why, fromErrno(errno));
        return std::nullopt;
    }
    return File(std::move(fd));
}

std::optional<std::size_t> File::read(std::span<std::byte> buffer)
{
    std::size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t got = ::read(m_fd.get(), buffer.data() + total, buffer.size() - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            break;
        total += std::size_t(got);
    }
    return total;
}

bool File::readExactly(void* into, std::size_t size)
{
    const auto got = read({ static_cast<std::byte*>(into), size });
    return got && *got == size;
}

bool File::write(const void* bytes, std::size_t size) { return writeAll(m_fd.get(), bytes, size); }

bool File::seek(std::uint64_t offset)
{
    return offset <= std::uint64_t(LLONG_MAX) && ::lseek(m_fd.get(), off_t(offset), SEEK_SET) >= 0;
}

std::optional<std::uint64_t> File::size() const
{
    struct stat info { };
    if (::fstat(m_fd.get(), &info) != 0)
        return std::nullopt;
    return std::uint64_t(info.st_size);
}

bool File::flush() { return ::fsync(m_fd.get()) == 0; }

std::optional<FileReplacement> FileReplacement::begin(std::u16string_view devicePath, FileError* why)
{
    const auto host = hostPathOf(devicePath, why);
    if (!host)
        return std::nullopt;
    return beginHost(*host, why);
}

std::optional<FileReplacement> FileReplacement::beginHost(const std::filesystem::path& hostPath, FileError* why)
{
    const auto* host = &hostPath;
    FileReplacement replacement;
    replacement.m_target = *host;
    UniqueFd existing(::open(host->c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (existing) {
        if (!lockWhole(existing.get(), F_WRLCK)) {
            fail(why, FileError::SharingViolation);
            return std::nullopt;
        }
        replacement.m_targetLock = std::move(existing);
    } else if (errno != ENOENT) {
        fail(why, fromErrno(errno));
        return std::nullopt;
    }
    std::string pattern = (host->parent_path() / (temporaryPrefix(*host) + "XXXXXX")).string();
    UniqueFd temporary(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!temporary) {
        FileError error = fromErrno(errno);
        fail(why, error == FileError::NotFound ? FileError::PathNotFound : error);
        return std::nullopt;
    }
    // The new file is private whatever the umask, and so is the old one once replaced.
    if (::fchmod(temporary.get(), kPrivateFileMode) != 0) {
        fail(why, fromErrno(errno));
        ::unlink(pattern.c_str());
        return std::nullopt;
    }
    // The lock tells other writers that this temporary file is in use.
    lockWhole(temporary.get(), F_WRLCK);
    removeAbandonedTemporaries(*host, pattern);
    replacement.m_temporary = pattern;
    replacement.m_temporaryFd = std::move(temporary);
    return replacement;
}

FileReplacement::~FileReplacement()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

bool FileReplacement::write(const void* bytes, std::size_t size)
{
    if (m_failed || !m_temporaryFd)
        return false;
    if (!writeAll(m_temporaryFd.get(), bytes, size))
        m_failed = true;
    return !m_failed;
}

bool FileReplacement::commit(FileError* why)
{
    if (m_failed || !m_temporaryFd)
        return fail(why, FileError::Io);
    if (::fsync(m_temporaryFd.get()) != 0)
        return fail(why, fromErrno(errno));
    m_temporaryFd.reset();
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail(why, fromErrno(errno));
    m_temporary.clear();
    syncFolder(m_target.parent_path());
    m_targetLock.reset();
    return true;
}

bool replaceFile(std::u16string_view devicePath, std::span<const std::byte> bytes, FileError* why)
{
    auto replacement = FileReplacement::begin(devicePath, why);
    if (!replacement)
        return false;
    if (!replacement->write(bytes.data(), bytes.size()))
        return fail(why, fromErrno(errno));
    return replacement->commit(why);
}

std::optional<std::vector<std::byte>> readWholeFile(
    std::u16string_view devicePath, std::size_t maxBytes, FileError* why)
{
    auto file = File::open(devicePath, Access::Read, Share::Read, Disposition::OpenExisting, why);
    if (!file)
        return std::nullopt;
    const auto size = file->size();
    if (!size) {
        fail(why, FileError::Io);
        return std::nullopt;
    }
    if (*size > maxBytes) {
        fail(why, FileError::AccessDenied);
        return std::nullopt;
    }
    std::vector<std::byte> bytes(static_cast<std::size_t>(*size));
    const auto got = file->read(bytes);
    if (!got) {
        fail(why, FileError::Io);
        return std::nullopt;
    }
    bytes.resize(*got);
    return bytes;
}

std::optional<std::vector<FolderEntry>> listFolder(
    std::u16string_view devicePath, std::u16string_view pattern, FileError* why)
{
    const auto host = hostPathOf(devicePath, why);
    if (!host)
        return std::nullopt;
    std::error_code error;
    std::filesystem::directory_iterator it(*host, error);
    if (error) {
        fail(why, error == std::errc::no_such_file_or_directory ? FileError::PathNotFound
                                                                : fromErrno(error.value()));
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    for (const auto& entry : it) {
        FolderEntry item;
        item.name = toUtf16(entry.path().filename().string());
        if (!matchesPattern(item.name, pattern))
            continue;
        // Links that lead out of the device are not part of it.
        if (!hostPathOf(*devicePathOf(entry.path())))
            continue;
        item.isFolder = entry.is_directory(error);
        item.size = item.isFolder ? 0 : entry.file_size(error);
        if (error)
            item.size = 0;
        entries.push_back(std::move(item));
    }
    std::sort(entries.begin(), entries.end(),
        [](const FolderEntry& a, const FolderEntry& b) { return foldedCopy(a.name) < foldedCopy(b.name); });
    return entries;
}

std::optional<std::uint64_t> fileSize(std::u16string_view devicePath, FileError* why)
{
    const auto host = hostPathOf(devicePath, why);
    if (!host)
        return std::nullopt;
    struct stat info { };
    if (::stat(host->c_str(), &info) != 0) {
        fail(why, fromErrno(errno));
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        fail(why, FileError::AccessDenied);
        return std::nullopt;
    }
    return std::uint64_t(info.st_size);
}

bool fileExists(std::u16string_view devicePath)
{
    const auto host = hostPathOf(devicePath);
    std::error_code error;
    return host && std::filesystem::is_regular_file(*host, error);
}

bool deleteFile(std::u16string_view devicePath, FileError* why)
{
    const auto host = hostPathOf(devicePath, why);
    if (!host)
        return false;
    // Deleting a file that another process has open fails, as it does on the handheld.
    UniqueFd fd(::open(host->c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!fd) {
        if (errno != EACCES)
            return fail(why, fromErrno(errno));
    } else if (!lockWhole(fd.get(), F_WRLCK)) {
        return fail(why, FileError::SharingViolation);
    }
    if (::unlink(host->c_str()) != 0)
        return fail(why, fromErrno(errno));
    return true;
}

bool createFolder(std::u16string_view devicePath, FileError* why)
{
    const auto host = hostPathOf(devicePath, why);
    return host && createPrivateHostFolders(*host, why);
}

bool createPrivateHostFolders(const std::filesystem::path& hostPath, FileError* why)
{
    int error = 0;
    if (makePrivateHostFolders(hostPath, &error))
        return true;
    return fail(why, error != 0 ? fromErrno(error) : FileError::PathNotFound);
}

} // namespace platform

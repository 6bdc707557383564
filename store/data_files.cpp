#include "store/data_files.h"

#include "platform/files.h"
#include "platform/registry.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

static_assert(std::endian::native == std::endian::little, "data files are little-endian, as held in memory");

namespace store {

namespace {

// The text of a UTF-16 buffer up to its first zero (or its end).
std::u16string textUpToZero(const std::vector<std::byte>& bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    if (const auto end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    return text;
}

std::vector<std::byte> folderFileBytes(std::u16string_view folder)
{
    // The text, then two zero units.
    std::vector<std::byte> bytes((folder.size() + 2) * 2, std::byte { 0 });
    std::memcpy(bytes.data(), folder.data(), folder.size() * 2);
    return bytes;
}

std::optional<std::u16string> readRegistryFolder()
{
    const auto value = platform::readRegistryValue(platform::RegistryRoot::CurrentUser, kInstallCopyKey, kInstallCopyValue);
    if (!value)
        return std::nullopt;
    std::vector<std::byte> bytes(value->data.size());
    std::memcpy(bytes.data(), value->data.data(), bytes.size());
    return textUpToZero(bytes);
}

} // namespace

std::u16string DataFilePath(std::u16string_view fileName)
{
    std::u16string path(kDataDirectory);
    path += fileName;
    return path;
}

bool createDataDirectory() { return platform::createFolder(kDataDirectory); }

std::u16string folderOfModulePath(std::u16string_view modulePath)
{
    const auto cut = modulePath.rfind(u'\\');
    if (cut == std::u16string_view::npos)
        return u"\\";
    return std::u16string(modulePath.substr(0, std::min(cut + 1, kFolderChars)));
}

void storeInstallFolder(std::u16string_view folder)
{
    const std::u16string pathFile = DataFilePath(kPathFile);
    const auto existing = platform::readWholeFile(pathFile, 64 * 1024);
    if (!existing || existing->empty() || textUpToZero(*existing) != folder)
        (void)platform::replaceFile(pathFile, folderFileBytes(folder)); // A missing path.dat is rebuilt next time.

    platform::RegistryValue copy { REG_MULTI_SZ, std::vector<BYTE>(kFolderChars * 2, 0) };
    std::memcpy(copy.data.data(), folder.data(), std::min(folder.size(), kFolderChars - 1) * 2);
    // Up to 10 attempts in all, 100 ms apart, until the copy reads back equal.
    (void)platform::retry(platform::RetryPolicy { 9, 100 }, [&] {
        if (!platform::writeRegistryValue(platform::RegistryRoot::CurrentUser, kInstallCopyKey, kInstallCopyValue, copy))
            return false;
        const auto back = platform::readRegistryValue(platform::RegistryRoot::CurrentUser, kInstallCopyKey, kInstallCopyValue);
        return back && back->data == copy.data;
    });
}

std::u16string ReadInstallFolder(InstallFolderReader reader, platform::RetryPolicy registryRetry)
{
    if (const auto bytes = platform::readWholeFile(DataFilePath(kPathFile), 64 * 1024); bytes && !bytes->empty()) {
        auto folder = textUpToZero(*bytes);
        if (!folder.empty())
            return folder;
    }
    if (reader == InstallFolderReader::TodayPlugin)
        return { };
    std::u16string folder;
    (void)platform::retry(registryRetry, [&] {
        const auto copy = readRegistryFolder();
        if (copy && !copy->empty())
            folder = *copy;
        return !folder.empty();
    });
    return folder;
}

void AppendLog(std::u16string_view text)
{
    auto file = platform::File::open(kLogPath, platform::Access::Write, platform::Share::None,
        platform::Disposition::OpenAlways);
    if (!file)
        return; // The log is for diagnosis only; a busy or missing folder loses the entry.
    const auto size = file->size();
    if (!size || !file->seek(*size))
        return;
    std::u16string entry;
    if (*size == 0)
        entry += u'\xfeff';
    entry += text;
    entry += u"\r\n";
    (void)file->write(entry.data(), entry.size() * 2);
}

} // namespace store

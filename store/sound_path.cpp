#include "store/sound_path.h"

#include "platform/files.h"
#include "store/data_files.h"

#include <algorithm>
#include <cstring>

namespace store {

namespace {

// A sound file is one path; anything larger is not one of ours.
constexpr std::size_t kMaxSoundFileBytes = 64 * 1024;

} // namespace

std::optional<std::u16string> readSoundPathFile(std::u16string_view fileName)
{
    const auto bytes = platform::readWholeFile(DataFilePath(fileName), kMaxSoundFileBytes);
    if (!bytes)
        return std::nullopt;
    // Whole 16-bit units only (a trailing odd byte is dropped), never more than a path holds.
    std::u16string path(std::min(bytes->size() / 2, kMaxSoundPathChars - 1), u'\0');
    if (!path.empty())
        std::memcpy(path.data(), bytes->data(), path.size() * 2);
    if (const auto end = path.find(u'\0'); end != std::u16string::npos)
        path.resize(end);
    return path;
}

bool writeSoundPathFile(std::u16string_view fileName, std::u16string_view path)
{
    std::u16string text(path.substr(0, kMaxSoundPathChars - 1));
    text += u'\0';
    return platform::replaceFile(DataFilePath(fileName), { reinterpret_cast<const std::byte*>(text.data()), text.size() * 2 });
}

} // namespace store

#pragma once
// The sound path of one alarm, timer or event, kept in a file of its own in the data
// directory: the UTF-16 path and its terminating zero.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// What an item plays when the user never chose a sound.
inline constexpr std::u16string_view kDefaultSoundPath = u"\\Windows\\Alarm1.wav";
// The path that stands for no sound at all.
inline constexpr std::u16string_view kNoSoundPath = u"\\Windows\\None";
// A path holds at most this many characters with its terminating zero.
inline constexpr std::size_t kMaxSoundPathChars = 260;

// The path in the sound file `fileName`: its text up to the first zero, at most 259
// characters whatever the file says. Empty when the file holds no path; nullopt when there
// is no file or it cannot be read (callers choose what that stands for).
[[nodiscard]] std::optional<std::u16string> readSoundPathFile(std::u16string_view fileName);
// Replaces the sound file with the path (cut to 259 characters) and its terminating zero.
[[nodiscard]] bool writeSoundPathFile(std::u16string_view fileName, std::u16string_view path);

} // namespace store

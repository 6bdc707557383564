#pragma once
// UTF-8 <-> UTF-16 for device text. Invalid input becomes U+FFFD; nothing throws.

#include <string>
#include <string_view>

namespace platform {

[[nodiscard]] std::string toUtf8(std::u16string_view text);
[[nodiscard]] std::u16string toUtf16(std::string_view text);

// Case folding for names the handheld compares without case (file and registry names):
// ASCII and Latin-1 letters, which is what those names use.
[[nodiscard]] char16_t foldCase(char16_t c) noexcept;
[[nodiscard]] bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept;
[[nodiscard]] std::u16string foldedCopy(std::u16string_view text);

// Matches a file name against a pattern with '*' and '?', without case ("*.qpg").
[[nodiscard]] bool matchesPattern(std::u16string_view name, std::u16string_view pattern) noexcept;

// 64-bit FNV-1a, for short stable identifiers derived from paths and names.
[[nodiscard]] std::uint64_t stableHash(std::string_view bytes) noexcept;

} // namespace platform

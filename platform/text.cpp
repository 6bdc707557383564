#include "platform/text.h"

#include "platform/types.h"

namespace platform {

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

constexpr char32_t kReplacement = 0xfffd;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xc0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3f));
    } else if (cp < 0x10000) {
        out += char(0xe0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    } else {
        out += char(0xf0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3f));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    }
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        cp -= 0x10000;
        out += char16_t(0xd800 + (cp >> 10));
        out += char16_t(0xdc00 + (cp & 0x3ff));
    }
}

} // namespace

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00
            && text[i + 1] < 0xe000) {
            c = 0x10000 + ((c - 0xd800) << 10) + (text[i + 1] - 0xdc00);
            ++i;
        } else if (c >= 0xd800 && c < 0xe000) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string toUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            appendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0x7f >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3f);
        }
        const char32_t minimum[] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (!valid || cp < minimum[length] || cp > 0x10ffff || (cp >= 0xd800 && cp < 0xe000)) {
            appendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        appendUtf16(out, cp);
        i += length;
    }
    return out;
}

char16_t foldCase(char16_t c) noexcept
{
    if (c >= u'A' && c <= u'Z')
        return char16_t(c + 32);
    if (c >= 0xc0 && c <= 0xde && c != 0xd7)
        return char16_t(c + 32);
    return c;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    }
    return true;
}

std::u16string foldedCopy(std::u16string_view text)
{
    std::u16string out(text);
    for (auto& c : out)
        c = foldCase(c);
    return out;
}

bool matchesPattern(std::u16string_view name, std::u16string_view pattern) noexcept
{
    // Iterative wildcard match with one back-tracking point for the last '*'.
    std::size_t n = 0, p = 0, starP = std::u16string_view::npos, starN = 0;
    // '*' is tested first: a name holding a '*' must not match it as a letter.
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
            && (pattern[p] == u'?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

std::uint64_t stableHash(std::string_view bytes) noexcept
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

} // namespace platform

DWORD GetLastError() noexcept { return platform::t_lastError; }
void SetLastError(DWORD error) noexcept { platform::t_lastError = error; }

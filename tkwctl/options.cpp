#include "tkwctl/options.h"

#include "platform/events.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tkwctl {

namespace {

bool isOption(std::string_view word)
{
    return word.size() >= 2 && word.substr(0, 2) == "--";
}

// Invalid input comes back from the round trip with U+FFFD in its place, so only UTF-8
// survives it unchanged.
bool isUtf8(std::string_view text)
{
    return platform::toUtf8(platform::toUtf16(text)) == text;
}

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0);
}

std::string unexpected(std::string_view word, std::string_view command)
{
    if (isOption(word))
        return "unknown option " + inQuotes(word) + " for '" + std::string(command) + "'";
    return "unexpected argument " + inQuotes(word) + " to '" + std::string(command) + "'";
}

} // namespace

std::string inQuotes(std::string_view text)
{
    const bool utf8 = isUtf8(text);
    std::string shown = "'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || (!utf8 && byte >= 0x80)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown + "'";
}

std::optional<std::int64_t> wholeNumber(
    std::string_view text, std::int64_t smallest, std::int64_t largest)
{
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if ((negative && smallest >= 0) || digits.empty()
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < smallest
        || value > largest)
        return std::nullopt;
    return value;
}

bool isDigitGroups(std::string_view text, std::string_view separators)
{
    bool afterDigit = false;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && (!afterDigit || separators.find(c) == std::string_view::npos))
            return false;
        afterDigit = digit;
    }
    return afterDigit;
}

Problem noMoreWords(
    const std::vector<std::string>& words, std::size_t first, std::string_view command)
{
    if (words.size() > first)
        return unexpected(words[first], command);
    return std::nullopt;
}

std::string unknownCommand(std::string_view word, std::string_view group)
{
    if (isOption(word))
        return unexpected(word, group);
    return "unknown " + std::string(group) + " command " + inQuotes(word);
}

std::string unknownCommandUsage(
    std::string_view command, std::string_view group, std::string_view usage)
{
    return (command.empty() ? std::string() : unknownCommand(command, group) + "\n")
        + std::string(usage);
}

Options::Options(std::initializer_list<std::string_view> withValue,
    std::initializer_list<std::string_view> switches)
    : m_withValue(withValue)
    , m_switches(switches)
{ }

Problem Options::read(
    const std::vector<std::string>& words, std::size_t first, std::string_view command)
{
    for (std::size_t i = first; i < words.size(); ++i) {
        const std::string& word = words[i];
        const bool takesValue
            = std::find(m_withValue.begin(), m_withValue.end(), word) != m_withValue.end();
        const bool isSwitch
            = std::find(m_switches.begin(), m_switches.end(), word) != m_switches.end();
        if (!takesValue && !isSwitch)
            return unexpected(word, command);
        if (given(word))
            return inQuotes(word) + " is given twice";
        if (isSwitch) {
            m_given.emplace(word, std::string());
            continue;
        }
        if (i + 1 >= words.size() || isOption(words[i + 1]))
            return inQuotes(word) + " needs a value";
        m_given.emplace(word, words[++i]);
    }
    return std::nullopt;
}

const std::string* Options::value(std::string_view option) const
{
    const auto found = m_given.find(option);
    return found == m_given.end() ? nullptr : &found->second;
}

Problem readText(std::string_view what, std::string_view text, std::size_t maxChars, TextKind kind,
    std::u16string& into)
{
    if (!isUtf8(text))
        return std::string(what) + " " + inQuotes(text) + " is not valid UTF-8 text";
    std::u16string wide = platform::toUtf16(text);
    const auto refused = std::find_if(wide.begin(), wide.end(), [kind](char16_t c) {
        const bool allowedBreak
            = kind == TextKind::Paragraphs && (c == u'\n' || c == u'\r' || c == u'\t');
        return isControl(c) && !allowedBreak;
    });
    if (refused != wide.end())
        return std::string(what) + " " + inQuotes(text) + " holds a control character";
    if (maxChars != 0 && wide.size() > maxChars)
        return std::string(what) + " takes at most " + std::to_string(maxChars)
            + " characters, not " + std::to_string(wide.size());
    into = std::move(wide);
    return std::nullopt;
}

Problem readDevicePath(
    std::string_view what, std::string_view text, platform::Links links, std::u16string& into)
{
    std::u16string path;
    if (auto problem = readText(what, text, kMaxDevicePathChars, TextKind::Line, path))
        return problem;
    platform::FileError why = platform::FileError::None;
    if (!platform::hostPathOf(path, &why, links)) {
        const char* reason = why == platform::FileError::OutsideRoot && !path.empty()
                && path.front() != u'\\' && path.front() != u'/'
            ? "a device path starts with \\"
            : platform::describe(why);
        return std::string(what) + " " + inQuotes(text) + ": " + reason;
    }
    into = std::move(path);
    return std::nullopt;
}

Problem readEventName(std::string_view text, std::u16string& into)
{
    if (text.empty())
        return std::string("the event name is empty");
    std::u16string name;
    if (auto problem
        = readText("the event name", text, platform::kEventNameMax, TextKind::Line, name))
        return problem;
    if (name.find(u'\\') != std::u16string::npos)
        return "the event name " + inQuotes(text) + " holds a backslash";
    into = std::move(name);
    return std::nullopt;
}

} // namespace tkwctl

#pragma once
// How tkwctl reads the words of a command line: strictly, so that a mistyped option or value
// is refused with a message that names it (exit 2) instead of being guessed at, rounded or
// cut short. Words that start with "--" are options everywhere; a lone "-" sign before
// digits is a negative number.

#include "platform/files.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tkwctl {

// What could not be read, as a message for the user; nullopt when everything could.
using Problem = std::optional<std::string>;

// The longest device path the handheld takes: MAX_PATH less its terminating zero.
inline constexpr std::size_t kMaxDevicePathChars = 259;

// `text` in single quotes for a message, with control characters and (in text that is not
// UTF-8) every byte above ASCII written as \xNN.
[[nodiscard]] std::string inQuotes(std::string_view text);

// A whole decimal number from `smallest` to `largest`: digits only, after a '-' when it is
// negative. A '+', spaces, a decimal point, an exponent or hex digits make it nullopt.
[[nodiscard]] std::optional<std::int64_t> wholeNumber(
    std::string_view text, std::int64_t smallest, std::int64_t largest);

// Whether `text` is groups of digits joined by single characters of `separators` ("07:30"
// with ":"): no sign, space or other character that sscanf's %u would let pass.
[[nodiscard]] bool isDigitGroups(std::string_view text, std::string_view separators);

// A problem naming words[first], if there is one: `command` ("signal list") takes nothing
// after its first `first` words.
[[nodiscard]] Problem noMoreWords(
    const std::vector<std::string>& words, std::size_t first, std::string_view command);

// The message for `word`, which names no command of `group` ("device"): an unknown option
// or an unknown command.
[[nodiscard]] std::string unknownCommand(std::string_view word, std::string_view group);

// The message for a command line of `group` whose first word `command` names none of its
// commands: the unknown word, if there is one, then the group's usage.
[[nodiscard]] std::string unknownCommandUsage(
    std::string_view command, std::string_view group, std::string_view usage);

// The options of one command: "--name VALUE" pairs and "--on" switches, in any order after
// the command's positional words.
class Options {
public:
    explicit Options(std::initializer_list<std::string_view> withValue,
        std::initializer_list<std::string_view> switches = {});

    // Reads words[first...]. A problem for a word that is not an option of `command`, an
    // option without its value (the last word, or another option follows it) and an option
    // given twice.
    [[nodiscard]] Problem read(
        const std::vector<std::string>& words, std::size_t first, std::string_view command);

    // The option's value; null when it was not given.
    [[nodiscard]] const std::string* value(std::string_view option) const;
    [[nodiscard]] bool given(std::string_view option) const { return m_given.count(option) != 0; }

private:
    std::vector<std::string_view> m_withValue;
    std::vector<std::string_view> m_switches;
    std::map<std::string, std::string, std::less<>> m_given;
};

enum class TextKind {
    Line, // a name or label: no control characters
    Paragraphs // a note: line breaks and tabs too
};

// `text` for a device field of at most `maxChars` UTF-16 units (0: no limit). A problem
// naming `what` when it is not UTF-8, holds a character its kind may not, or is too long.
[[nodiscard]] Problem readText(std::string_view what, std::string_view text, std::size_t maxChars,
    TextKind kind, std::u16string& into);

// `text` as a device path ("\Windows\Alarm1.wav"): absolute, at most kMaxDevicePathChars,
// valid text without control characters, and inside the device root (`links` as for
// platform::hostPathOf). A problem naming `what` otherwise.
[[nodiscard]] Problem readDevicePath(
    std::string_view what, std::string_view text, platform::Links links, std::u16string& into);

// `text` as the name of a named event: 1 to platform::kEventNameMax characters of valid
// text, without backslashes (which the handheld keeps for its name spaces) or control
// characters.
[[nodiscard]] Problem readEventName(std::string_view text, std::u16string& into);

} // namespace tkwctl

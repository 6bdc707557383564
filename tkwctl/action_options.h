#pragma once
// What an alarm, a timer or an event does when it rings, as tkwctl changes it: the options
// of "alarm set", "timer set" and "event add|edit" that stand for the settings windows'
// action list, sound, repeat and pause lists and program panel, checked as the windows
// check them (a program path that names no file is refused with "Invalid path").

#include "platform/types.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace tkwctl {

inline constexpr std::uint32_t kActionNotification = 0;
inline constexpr std::uint32_t kActionPluginView = 1; // programPath holds the face's name
inline constexpr std::uint32_t kActionProgram = 2; // programPath holds a program or document

// The "Invalid path" message box of the settings windows, as one line.
inline constexpr const char* kInvalidPathMessage
    = "Invalid path: Please, select an application or an associated file.";

// The usage text of the options below, for the commands' usage lines.
inline constexpr const char* kActionUsage
    = "[--action notification|plugin|program] [--view FACE] [--program DEVICE-PATH] [--args TEXT]"
      " [--keep-awake 5|10|15|20|30|60] [--sound DEVICE-PATH|none] [--repeat 1-5] [--pause 1-5]";

// The option names, for a command's Options next to its own.
#define TKWCTL_ACTION_OPTIONS                                                                      \
    "--action", "--view", "--program", "--args", "--keep-awake", "--sound", "--repeat", "--pause"

// The fields the three records share (the timer and event records hold them at the same
// offsets; an alarm's are in its record too).
struct ActionFields {
    std::uint32_t actionKind = kActionNotification;
    std::u16string programPath;
    std::u16string programArgs;
    std::uint32_t keepAwakeIndex = 0; // 0 5, 1 10, 2 15, 3 20, 4 30 minutes, 5 1 hour
    std::uint32_t soundIndex = 0; // position in the sound chooser; 0 no sound
    std::uint8_t repeatIndex = 0; // plays repeatIndex + 1 times
    std::uint8_t pauseIndex = 0; // pauseIndex + 1 seconds between plays
};

// The action options given on a command line; each is absent when it was not given.
struct ActionRequest {
    std::optional<std::uint32_t> actionKind;
    std::optional<std::u16string> view; // a clock face's name
    std::optional<std::u16string> program; // as typed: checked when it is applied
    std::optional<std::u16string> args;
    std::optional<std::uint32_t> keepAwakeIndex;
    std::optional<std::u16string> sound; // "" for no sound
    std::optional<std::uint8_t> repeatIndex;
    std::optional<std::uint8_t> pauseIndex;

    [[nodiscard]] bool any() const
    {
        return actionKind || view || program || args || keepAwakeIndex || sound || repeatIndex
            || pauseIndex;
    }
    [[nodiscard]] bool soundOptions() const { return sound || repeatIndex || pauseIndex; }
};

// Reads the action options of `options` (already read) into `into`; a problem (a usage
// error) when one is not understood. A sound file must exist.
[[nodiscard]] Problem readActionOptions(const Options& options, ActionRequest& into);

// What a program path names, as the settings windows' path check tells.
enum class ProgramPathKind { Invalid, Program, Document };
// Invalid when the path does not start with "\" or names no file inside the device; Program
// when the file found ends in ".exe" (exactly: ".EXE" opens as a document), else Document.
[[nodiscard]] ProgramPathKind CheckProgramPath(std::u16string_view devicePath);

// The position the settings window's sound chooser gives the file: after "no sound", the
// sound files of "\Windows" in the locale's order, then a file from elsewhere.
[[nodiscard]] std::uint32_t soundChooserPosition(std::u16string_view path);

// `request` applied to `fields` as the window's "OK" applies its controls. `item` names the
// record in messages ("timer 3"). A problem when the request cannot be stored: nothing is
// then to be written. For a sound the caller writes request.sound to the record's sound
// file when the resulting kind plays sounds.
[[nodiscard]] Problem applyAction(
    ActionFields& fields, const ActionRequest& request, std::string_view item);

// Adds the fields of `action` to a --json object: "action", then "view" (a face), or
// "program", "args" and "keepAwakeMinutes" (a program), or "soundIndex", "sound", "repeat"
// (times) and "pause" (seconds).
void addActionJson(JsonObject& object, const ActionFields& action, std::u16string_view soundPath);

// A record's action fields, and `fields` stored back into a record (texts cut to the field,
// the rest of the field zeroed).
template <class Record> [[nodiscard]] ActionFields actionFieldsOf(const Record& record)
{
    const auto text = [](const auto& field) {
        const std::u16string_view all(field, std::size(field));
        return std::u16string(all.substr(0, all.find(u'\0')));
    };
    return ActionFields { record.actionKind, text(record.programPath), text(record.programArgs),
        record.keepAwakeIndex, record.soundIndex, record.repeatIndex, record.pauseIndex };
}

template <class Record> void storeActionFields(Record& record, const ActionFields& fields)
{
    const auto copy = [](auto& field, std::u16string_view text) {
        const std::size_t kept = std::min(text.size(), std::size(field) - 1);
        for (std::size_t i = 0; i < std::size(field); ++i)
            field[i] = i < kept ? text[i] : u'\0';
    };
    record.actionKind = fields.actionKind;
    copy(record.programPath, fields.programPath);
    copy(record.programArgs, fields.programArgs);
    record.keepAwakeIndex = fields.keepAwakeIndex;
    record.soundIndex = fields.soundIndex;
    record.repeatIndex = fields.repeatIndex;
    record.pauseIndex = fields.pauseIndex;
}

} // namespace tkwctl

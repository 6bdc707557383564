#include "tkwctl/action_options.h"

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/text.h"
#include "store/data_files.h"
#include "tkwctl/json.h"

#include <array>
#include <filesystem>

namespace tkwctl {

namespace {

constexpr std::array<const char*, 3> kActionNames { "notification", "plugin", "program" };
// The keep-awake list's entries in minutes, by position.
constexpr std::array<std::uint32_t, 6> kKeepAwakeMinutes { 5, 10, 15, 20, 30, 60 };
constexpr std::int64_t kListEntries = 5; // the repeat and pause lists: 1 to 5

const char* actionName(std::uint32_t kind)
{
    return kind < kActionNames.size() ? kActionNames[kind] : "?";
}

// A name the action list could show: the face files of the installation's "plugins" folder,
// for either screen size.
bool faceInstalled(std::u16string_view name)
{
    std::u16string folder = store::ReadInstallFolder(store::InstallFolderReader::Runner);
    if (folder.empty())
        folder = store::kDefaultInstallFolder;
    if (folder.back() != u'\\')
        folder += u'\\';
    for (const char16_t* extension : { u".qpg", u".vpg" }) {
        if (platform::fileExists(folder + u"plugins\\" + std::u16string(name) + extension))
            return true;
    }
    return false;
}

// Why CheckProgramPath refused `path`, for the line after the window's message.
std::string invalidPathReason(std::u16string_view path)
{
    if (path.empty())
        return "no path was given: --program DEVICE-PATH";
    const std::string quoted = inQuotes(platform::toUtf8(path));
    if (path.front() != u'\\')
        return quoted + ": a device path starts with \\";
    platform::FileError why = platform::FileError::None;
    if (!platform::hostPathOf(path, &why, platform::Links::StayInside))
        return quoted + ": " + platform::describe(why);
    return quoted + ": there is no such file";
}

Problem readListEntry(const Options& options, const char* option, std::optional<std::uint8_t>& into)
{
    const std::string* value = options.value(option);
    if (!value)
        return std::nullopt;
    const auto number = wholeNumber(*value, 1, kListEntries);
    if (!number)
        return std::string(option) + " " + inQuotes(*value) + " is not a number from 1 to 5";
    into = std::uint8_t(*number - 1);
    return std::nullopt;
}

} // namespace

Problem readActionOptions(const Options& options, ActionRequest& into)
{
    if (const std::string* value = options.value("--action")) {
        for (std::uint32_t kind = 0; kind < kActionNames.size(); ++kind) {
            if (*value == kActionNames[kind])
                into.actionKind = kind;
        }
        if (!into.actionKind)
            return "--action " + inQuotes(*value) + " is not notification, plugin or program";
    }
    if (const std::string* value = options.value("--view")) {
        into.view.emplace();
        if (auto problem
            = readText("--view", *value, kMaxDevicePathChars, TextKind::Line, *into.view))
            return problem;
        if (into.view->empty() || into.view->find_first_of(u"\\/") != std::u16string::npos)
            return "--view " + inQuotes(*value) + " is not the name of a clock face";
    }
    if (const std::string* value = options.value("--program")) {
        // Checked as the window checks it when it is stored; only its form is read here.
        into.program.emplace();
        if (auto problem
            = readText("--program", *value, kMaxDevicePathChars, TextKind::Line, *into.program))
            return problem;
    }
    if (const std::string* value = options.value("--args")) {
        into.args.emplace();
        if (auto problem
            = readText("--args", *value, kMaxDevicePathChars, TextKind::Line, *into.args))
            return problem;
    }
    if (const std::string* value = options.value("--keep-awake")) {
        const auto minutes = wholeNumber(*value, 1, 60);
        const auto found = minutes
            ? std::find(kKeepAwakeMinutes.begin(), kKeepAwakeMinutes.end(), *minutes)
            : kKeepAwakeMinutes.end();
        if (found == kKeepAwakeMinutes.end())
            return "--keep-awake " + inQuotes(*value) + " is not 5, 10, 15, 20, 30 or 60 (minutes)";
        into.keepAwakeIndex = std::uint32_t(found - kKeepAwakeMinutes.begin());
    }
    if (const std::string* value = options.value("--sound")) {
        into.sound.emplace();
        if (*value != "none") {
            if (auto problem
                = readDevicePath("--sound", *value, platform::Links::StayInside, *into.sound))
                return problem;
            if (!platform::fileExists(*into.sound))
                return "there is no sound file " + platform::toUtf8(*into.sound);
        }
    }
    if (auto problem = readListEntry(options, "--repeat", into.repeatIndex))
        return problem;
    return readListEntry(options, "--pause", into.pauseIndex);
}

ProgramPathKind CheckProgramPath(std::u16string_view devicePath)
{
    if (devicePath.empty() || devicePath.front() != u'\\')
        return ProgramPathKind::Invalid;
    // A path that leaves the device (by "..", or by a link pointing out) names nothing on it.
    const auto host = platform::hostPathOf(devicePath, nullptr, platform::Links::StayInside);
    std::error_code error;
    if (!host || !std::filesystem::is_regular_file(*host, error))
        return ProgramPathKind::Invalid;
    // The name of the file found, which may differ in case from the name asked for.
    const std::string name = host->filename().string();
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".exe") == 0
        ? ProgramPathKind::Program
        : ProgramPathKind::Document;
}

std::uint32_t soundChooserPosition(std::u16string_view path)
{
    constexpr std::u16string_view kFolder = u"\\Windows";
    const auto names = platform::soundFileNames(kFolder);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (platform::equalsIgnoringCase(std::u16string(kFolder) + u"\\" + names[i], path))
            return std::uint32_t(i + 1);
    }
    return std::uint32_t(names.size() + 1);
}

Problem applyAction(ActionFields& fields, const ActionRequest& request, std::string_view item)
{
    // No action option: the stored action stays exactly as it is (a command that only sets
    // a name or a value must not re-judge, or strip, what the windows stored).
    if (!request.any())
        return std::nullopt;
    // A face or a program named alone says which action is meant.
    std::uint32_t kind = fields.actionKind;
    if (request.actionKind)
        kind = *request.actionKind;
    else if (request.program)
        kind = kActionProgram;
    else if (request.view)
        kind = kActionPluginView;
    if (kind > kActionProgram)
        kind = kActionNotification; // an unknown kind in the file rings as the window's first entry

    if (kind == kActionProgram && request.soundOptions())
        return std::string(item) + " starts a program and plays no sound";
    if (kind != kActionProgram && (request.program || request.args || request.keepAwakeIndex))
        return std::string("--program, --args and --keep-awake go with --action program");
    if (kind != kActionPluginView && request.view)
        return std::string("--view goes with --action plugin");

    ActionFields chosen = fields;
    chosen.actionKind = kind;
    if (kind == kActionProgram) {
        const bool wasProgram = fields.actionKind == kActionProgram;
        const std::u16string path = request.program ? *request.program
            : wasProgram                            ? fields.programPath
                                                    : u"";
        const auto pathKind = CheckProgramPath(path);
        if (pathKind == ProgramPathKind::Invalid)
            return std::string(kInvalidPathMessage) + " (" + invalidPathReason(path) + ")";
        chosen.programPath = path;
        // A document is opened without parameters: the window hides the field for it.
        const std::u16string args = request.args ? *request.args
            : wasProgram                         ? fields.programArgs
                                                 : u"";
        if (pathKind == ProgramPathKind::Document && request.args && !request.args->empty())
            return platform::toUtf8(path) + " is a document, which is opened without parameters";
        chosen.programArgs = pathKind == ProgramPathKind::Program ? args : u"";
        if (request.keepAwakeIndex)
            chosen.keepAwakeIndex = *request.keepAwakeIndex;
    } else {
        if (kind == kActionPluginView) {
            if (request.view) {
                if (!faceInstalled(*request.view))
                    return "there is no clock face " + platform::toUtf8(*request.view)
                        + " installed";
                chosen.programPath = *request.view;
            } else if (fields.actionKind != kActionPluginView) {
                return std::string("--action plugin needs --view FACE");
            }
            // A face that went away since it was chosen stays, as the window keeps its entry.
        } else {
            chosen.programPath.clear();
        }
        chosen.programArgs.clear();
        if (request.sound)
            chosen.soundIndex = request.sound->empty() ? 0 : soundChooserPosition(*request.sound);
        if (request.repeatIndex)
            chosen.repeatIndex = *request.repeatIndex;
        if (request.pauseIndex)
            chosen.pauseIndex = *request.pauseIndex;
    }
    fields = std::move(chosen);
    return std::nullopt;
}

void addActionJson(JsonObject& object, const ActionFields& action, std::u16string_view soundPath)
{
    object.add("action", actionName(action.actionKind));
    if (action.actionKind == kActionPluginView)
        object.add("view", platform::toUtf8(action.programPath));
    if (action.actionKind == kActionProgram) {
        const std::uint32_t minutes = action.keepAwakeIndex < kKeepAwakeMinutes.size()
            ? kKeepAwakeMinutes[action.keepAwakeIndex]
            : 0;
        object.add("program", platform::toUtf8(action.programPath))
            .add("args", platform::toUtf8(action.programArgs))
            .add("keepAwakeMinutes", std::int64_t(minutes));
    } else {
        object.add("soundIndex", std::int64_t(action.soundIndex))
            .add("sound", platform::toUtf8(soundPath))
            .add("repeat", std::int64_t(action.repeatIndex) + 1)
            .add("pause", std::int64_t(action.pauseIndex) + 1);
    }
}

} // namespace tkwctl

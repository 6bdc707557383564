// tkwctl install: lays out the suite's device tree, and repairs it when run again.

#include "tkwctl/commands.h"

#include "alert/alert_volume.h"
#include "cities/city_database.h"
#include "platform/edit_lock.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/language.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace tkwctl {

namespace {

// A program of the suite in the device tree, and the host program it links to.
struct ProgramLink {
    std::u16string_view devicePath;
    const char* hostName;
    const char* buildFolder; // where the build tree keeps it
};

constexpr std::u16string_view kMainProgramPath = u"\\Program Files\\Tickwell Pro\\Tickwell Pro.exe";
constexpr ProgramLink kPrograms[] = {
    { kMainProgramPath, "tickwell-pro", "app" },
    { store::kRunnerPath, "tkevents", "runner" },
    { store::kWatcherPath, "tktimer", "watcher" },
};

constexpr std::u16string_view kFolders[] = {
    u"\\Program Files\\Tickwell Pro\\data",
    u"\\Program Files\\Tickwell Pro\\skins",
    u"\\Program Files\\Tickwell Pro\\plugins",
    u"\\Application Data\\Orvane Tickwell Pro\\data",
    u"\\Windows",
};

constexpr std::u16string_view kTodayItemKey = u"Software\\Microsoft\\Today\\Items\\Tickwell Pro";

// $TKW_BINDIR, beside tkwctl, the build tree's folder of that program, then the PATH.
std::optional<std::filesystem::path> findHostProgram(const ProgramLink& program)
{
    std::vector<std::filesystem::path> candidates;
    if (const char* bindir = std::getenv("TKW_BINDIR"); bindir && *bindir)
        candidates.push_back(std::filesystem::path(bindir) / program.hostName);
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        candidates.push_back(self.parent_path() / program.hostName);
        candidates.push_back(self.parent_path().parent_path() / program.buildFolder / program.hostName);
    }
    for (const auto& candidate : candidates) {
        if (platform::isExecutableFile(candidate))
            return candidate;
    }
    return platform::findOnPath(program.hostName);
}

class Report {
public:
    explicit Report(bool json) : m_json(json) { }
    void changed(const std::string& what)
    {
        m_changes.push_back(what);
        if (!m_json)
            std::printf("%s\n", what.c_str());
    }
    void note(const std::string& what)
    {
        m_notes.push_back(what);
        if (!m_json)
            std::printf("note: %s\n", what.c_str());
    }
    bool problem(const std::string& what)
    {
        std::fprintf(stderr, "tkwctl: %s\n", what.c_str());
        m_failed = true;
        return false;
    }
    int finish()
    {
        if (m_json) {
            std::vector<std::string> changes, notes;
            for (const auto& change : m_changes)
                changes.push_back(jsonString(change));
            for (const auto& note : m_notes)
                notes.push_back(jsonString(note));
            std::printf("%s\n", JsonObject().add("ok", !m_failed).addRaw("changed", jsonArray(changes))
                .addRaw("notes", jsonArray(notes)).str().c_str());
        } else if (m_changes.empty() && !m_failed) {
            std::printf("the device tree is complete; nothing changed\n");
        }
        return m_failed ? kExitFailure : 0;
    }

private:
    bool m_json;
    bool m_failed = false;
    std::vector<std::string> m_changes;
    std::vector<std::string> m_notes;
};

void makeFolder(std::u16string_view devicePath, Report& report)
{
    const auto host = platform::hostPathOf(devicePath);
    std::error_code error;
    if (host && std::filesystem::is_directory(*host, error))
        return;
    platform::FileError why = platform::FileError::None;
    if (platform::createFolder(devicePath, &why))
        report.changed("created folder " + platform::toUtf8(devicePath));
    else
        report.problem("cannot create " + platform::toUtf8(devicePath) + ": " + platform::describe(why));
}

void linkProgram(const ProgramLink& program, Report& report)
{
    const std::string name = platform::toUtf8(program.devicePath);
    const auto target = findHostProgram(program);
    if (!target) {
        report.note(name + ": " + program.hostName + " is not built yet; not linked");
        return;
    }
    const auto link = platform::hostPathOf(program.devicePath, nullptr, platform::Links::MayLeave);
    if (!link) {
        report.problem("cannot place " + name);
        return;
    }
    std::error_code error;
    const auto status = std::filesystem::symlink_status(*link, error);
    if (std::filesystem::is_symlink(status) && std::filesystem::read_symlink(*link, error) == *target)
        return;
    const bool existed = std::filesystem::exists(status);
    if (existed && !std::filesystem::is_symlink(status) && !std::filesystem::is_regular_file(status)) {
        report.problem(name + " exists and is not a program; left alone");
        return;
    }
    std::filesystem::remove(*link, error);
    std::filesystem::create_symlink(*target, *link, error);
    if (error)
        report.problem("cannot link " + name + ": " + error.message());
    else
        report.changed((existed ? "repaired " : "linked ") + name + " -> " + target->string());
}

// The first folder of `candidates` that exists.
std::optional<std::filesystem::path> firstFolder(const std::vector<std::filesystem::path>& candidates)
{
    std::error_code error;
    for (const auto& candidate : candidates) {
        if (std::filesystem::is_directory(candidate, error))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> installedShareFolder()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return self.parent_path().parent_path() / "share" / "tickwell";
}

// The shipped sounds: $TKW_DATADIR/sounds, the installed share folder, or the source tree's.
std::optional<std::filesystem::path> soundsFolder()
{
    std::vector<std::filesystem::path> candidates;
    if (const char* data = std::getenv("TKW_DATADIR"); data && *data)
        candidates.push_back(std::filesystem::path(data) / "sounds");
    if (const auto share = installedShareFolder())
        candidates.push_back(*share / "sounds");
    candidates.push_back(std::filesystem::path(TKW_SOURCE_DATA_DIR) / "sounds");
    return firstFolder(candidates);
}

// The shipped look (resource packs, skins, clock faces) as the build makes it:
// $TKW_DATADIR/shipped, the installed share folder, or the build tree's.
std::optional<std::filesystem::path> shippedArtFolder()
{
    std::vector<std::filesystem::path> candidates;
    if (const char* data = std::getenv("TKW_DATADIR"); data && *data)
        candidates.push_back(std::filesystem::path(data) / "shipped");
    if (const auto share = installedShareFolder())
        candidates.push_back(*share / "shipped");
    candidates.push_back(std::filesystem::path(TKW_BUILD_SHIPPED_DIR));
    return firstFolder(candidates);
}

// Copies the files of a host folder with one of `extensions` into a device folder, leaving
// those that are already the same.
void installFiles(Report& report, const std::filesystem::path& folder, std::u16string_view deviceFolder,
    std::initializer_list<std::string_view> extensions)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string extension = entry.path().extension().string();
        if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end())
            continue;
        const std::u16string device = std::u16string(deviceFolder) + platform::toUtf16(entry.path().filename().string());
        const auto bytes = [&] {
            std::ifstream in(entry.path(), std::ios::binary);
            return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }();
        const auto present = platform::readWholeFile(device, 64 << 20);
        if (present && present->size() == bytes.size()
            && std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const char*>(present->data())))
            continue;
        if (platform::replaceFile(device, { reinterpret_cast<const std::byte*>(bytes.data()), bytes.size() }))
            report.changed((present ? "updated " : "installed ") + platform::toUtf8(device));
        else
            report.problem("cannot install " + platform::toUtf8(device));
    }
}

void installSounds(Report& report)
{
    const auto folder = soundsFolder();
    if (!folder) {
        report.note("no shipped sounds found (set TKW_DATADIR)");
        return;
    }
    installFiles(report, *folder, u"\\Windows\\", { ".wav" });
}

void installShippedArt(Report& report)
{
    const auto folder = shippedArtFolder();
    if (!folder) {
        report.note("no shipped look found (build the target shipped_art, or set TKW_DATADIR)");
        return;
    }
    installFiles(report, *folder / "data", u"\\Program Files\\Tickwell Pro\\data\\", { ".dat" });
    installFiles(report, *folder / "skins", u"\\Program Files\\Tickwell Pro\\skins\\", { ".qsk", ".vsk" });
    installFiles(report, *folder / "plugins", u"\\Program Files\\Tickwell Pro\\plugins\\", { ".qpg", ".vpg" });
}

// The shipped city files as the build makes them: $TKW_DATADIR/shipped/cities, the
// installed share folder, or the build tree's.
std::optional<std::filesystem::path> shippedCitiesFolder()
{
    std::vector<std::filesystem::path> candidates;
    if (const char* data = std::getenv("TKW_DATADIR"); data && *data)
        candidates.push_back(std::filesystem::path(data) / "shipped" / "cities");
    if (const auto share = installedShareFolder())
        candidates.push_back(*share / "shipped" / "cities");
    candidates.push_back(std::filesystem::path(TKW_BUILD_SHIPPED_CITIES_DIR));
    return firstFolder(candidates);
}

constexpr std::u16string_view kProgramFolder = u"\\Program Files\\Tickwell Pro\\";

// The city database's files. Unlike the look, they are the user's once installed: the
// Edit Cities page and tkwctl add, change and delete cities in them, so a file already
// there is kept; only a missing one, or one too short to hold a single city, is laid
// down. The writes run under the database's edit lock, so that they never cross a
// program's edit of the same files.
void installCities(Report& report)
{
    const auto folder = shippedCitiesFolder();
    if (!folder) {
        report.note("no shipped city files found (build the target shipped_cities, or set TKW_DATADIR)");
        return;
    }
    // The lock the city database takes for its edits.
    platform::EditLockError why = platform::EditLockError::None;
    const auto lock = platform::EditLock::acquire(std::u16string(kProgramFolder) + std::u16string(cities::kCitiesEditName), store::kEditWait, &why);
    if (!lock) {
        report.problem(std::string("cannot install the city files: ") + platform::describe(why));
        return;
    }
    for (const auto relative : cities::kContinentFiles) {
        const std::u16string device = std::u16string(kProgramFolder) + std::u16string(relative);
        const auto present = platform::readWholeFile(device, 64 << 20);
        if (present && present->size() >= sizeof(cities::CityRecord))
            continue;
        const std::string name = platform::toUtf8(relative.substr(relative.rfind(u'\\') + 1));
        std::ifstream in(*folder / name, std::ios::binary);
        const std::vector<char> bytes { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
        if (bytes.empty() || bytes.size() % sizeof(cities::CityRecord) != 0) {
            report.problem("the shipped " + name + " in " + folder->string() + " is missing or damaged");
            continue;
        }
        if (platform::replaceFile(device, { reinterpret_cast<const std::byte*>(bytes.data()), bytes.size() }))
            report.changed((present ? "repaired " : "installed ") + platform::toUtf8(device));
        else
            report.problem("cannot install " + platform::toUtf8(device));
    }
}

void writeRegistry(Report& report)
{
    using platform::RegistryRoot;
    if (!platform::readRegistryDword(RegistryRoot::CurrentUser, store::kSuiteKey, store::kLanguageValue)) {
        const DWORD language = store::hostLanguage();
        if (platform::writeRegistryDword(RegistryRoot::CurrentUser, store::kSuiteKey, store::kLanguageValue, language))
            report.changed("set HKCU\\" + platform::toUtf8(store::kSuiteKey) + "\\Lang = " + std::to_string(language));
        else
            report.problem("cannot write the language to the registry: " + platform::registryProblem());
    }
    const struct {
        const char16_t* name;
        DWORD value;
    } todayValues[] = { { u"Enabled", 1 }, { u"Type", 4 } };
    if (const int written = alert::writeDefaultVolumeSettings(); written > 0)
        report.changed("set " + std::to_string(written) + " volume settings of a new device");
    for (const auto& value : todayValues) {
        if (platform::readRegistryDword(RegistryRoot::LocalMachine, kTodayItemKey, value.name))
            continue;
        if (platform::writeRegistryDword(RegistryRoot::LocalMachine, kTodayItemKey, value.name, value.value))
            report.changed("set HKLM\\" + platform::toUtf8(kTodayItemKey) + "\\" + platform::toUtf8(value.name) + " = "
                + std::to_string(value.value));
        else
            report.problem("cannot write the Today item's key: " + platform::registryProblem());
    }
}

// What the main program's first start would do for the runner: path.dat and its registry
// copy name the installation folder, and the runner is registered for time changes. Without
// them an alarm set with tkwctl before the main program ever ran would find no installation
// and never ring.
void registerInstallFolder(Report& report)
{
    const std::u16string folder = store::folderOfModulePath(kMainProgramPath);
    if (store::ReadInstallFolder(store::InstallFolderReader::Runner, platform::RetryPolicy { 0, 0 }) != folder) {
        (void)store::createDataDirectory();
        store::storeInstallFolder(folder);
        if (store::ReadInstallFolder(store::InstallFolderReader::TodayPlugin) == folder)
            report.changed("wrote path.dat and its registry copy: " + platform::toUtf8(folder));
        else
            report.problem("cannot write path.dat in " + platform::toUtf8(store::kDataDirectory));
    }
    const std::u16string runner(store::kRunnerPath);
    const auto registered = platform::timeChangeApplications();
    const bool present = registered
        && std::any_of(registered->begin(), registered->end(),
            [&](const std::u16string& application) { return platform::equalsIgnoringCase(application, runner); });
    if (present)
        return;
    if (CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_TIME_CHANGE))
        report.changed("registered " + platform::toUtf8(runner) + " for time changes");
    else
        report.problem("cannot register the runner for time changes: " + platform::wakeUpDatabaseProblem());
}

} // namespace

int runInstall(const Arguments& a)
{
    if (const auto problem = noMoreWords(a.words, 0, "install"))
        return fail(*problem + "\nusage: tkwctl install", kExitUsage);
    Report report(a.json);
    for (const auto folder : kFolders)
        makeFolder(folder, report);
    for (const auto& program : kPrograms)
        linkProgram(program, report);
    installSounds(report);
    installShippedArt(report);
    installCities(report);
    writeRegistry(report);
    registerInstallFolder(report);
    return report.finish();
}

} // namespace tkwctl

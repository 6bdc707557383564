// tkwctl is run as users and tests run it: a separate process on the test's own device.

#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/stat.h>

using testing_support::runCommand;

namespace {

using Tkwctl = testing_support::DeviceTest;

testing_support::CommandResult tkwctl(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TKW_TKWCTL);
    return runCommand(arguments);
}

// tkwctl with what it says on standard error as the output (standard output is dropped).
testing_support::CommandResult tkwctlErrors(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), { "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1 >/dev/null", TKW_TKWCTL });
    return runCommand(arguments);
}

// Every entry under `root` (links not followed) with its mode and, for files, a hash of
// their bytes.
std::map<std::string, std::string> treeOf(const std::filesystem::path& root)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const auto status = entry.symlink_status();
        std::string& item = tree[entry.path().lexically_relative(root).string()];
        item = std::to_string(int(status.permissions()));
        if (std::filesystem::is_regular_file(status)) {
            std::ostringstream bytes;
            bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            item += ":" + std::to_string(std::hash<std::string>()(bytes.str()));
        }
    }
    return tree;
}

using testing_support::Umask;

} // namespace

TEST_F(Tkwctl, StatusReportsTheDeviceRootAsJson)
{
    const auto status = tkwctl({ "device", "status", "--json" });
    ASSERT_EQ(status.exitCode, 0);
    EXPECT_NE(status.output.find("\"deviceRoot\":\"" + m_device.root().string() + "\""), std::string::npos)
        << status.output;
    EXPECT_NE(status.output.find("\"timeChanges\":0"), std::string::npos) << status.output;
}

TEST_F(Tkwctl, TravelsInTimeAndBack)
{
    ASSERT_EQ(tkwctl({ "device", "zone", "set", "EST5EDT,M3.2.0,M11.1.0" }).exitCode, 0);
    const auto set = tkwctl({ "--json", "device", "time", "set", "2024-03-10T01:59:00" });
    ASSERT_EQ(set.exitCode, 0);
    EXPECT_NE(set.output.find("\"universal\":\"2024-03-10T06:59:0"), std::string::npos) << set.output;
    const auto later = tkwctl({ "--json", "device", "time", "advance", "120" });
    EXPECT_NE(later.output.find("\"local\":\"2024-03-10T03:01:0"), std::string::npos) << later.output;
    EXPECT_NE(later.output.find("\"daylight\":true"), std::string::npos) << later.output;
    ASSERT_EQ(tkwctl({ "device", "time", "reset" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "device", "status" }).output.find("\"offsetFromHostSeconds\":0"), std::string::npos);
}

TEST_F(Tkwctl, SignalsCanBeSetTestedAndListed)
{
    ASSERT_EQ(tkwctl({ "signal", "set", "TkPTimer_Settings_Change" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "signal", "test", "TkPTimer_Settings_Change" }).output, "set\n");
    EXPECT_NE(tkwctl({ "--json", "signal", "list" }).output.find("{\"name\":\"TkPTimer_Settings_Change\",\"set\":true}"),
        std::string::npos);
    ASSERT_EQ(tkwctl({ "signal", "reset", "TkPTimer_Settings_Change" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "signal", "test", "TkPTimer_Settings_Change" }).output, "clear\n");
    EXPECT_EQ(tkwctl({ "signal", "wait", "TkPTimer_Settings_Change", "30" }).exitCode, 1);
}

TEST_F(Tkwctl, BadInputIsRefusedWithAnErrorAndNonZeroExit)
{
    EXPECT_EQ(tkwctl({ "device", "time", "set", "2026-02-30T07:00" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "device", "time", "set", "tomorrow" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "device", "zone", "set", "Mars/Olympus" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "device", "time", "advance", "1e300" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "nonsense" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "registry", "get", "HKXX\\Software", "x" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "registry", "get", "HKLM\\Software", "absent" }).exitCode, 1);
    // Nothing above changed the device.
    EXPECT_NE(tkwctl({ "--json", "device", "status" }).output.find("\"timeChanges\":0"), std::string::npos);
}

TEST_F(Tkwctl, RegistryValuesRoundTrip)
{
    ASSERT_EQ(tkwctl({ "registry", "set", "HKLM\\SOFTWARE\\Orvane\\Tickwell Pro", "Lang", "dword", "3" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "registry", "set", "HKCU\\Test", "Name", "string", "Grüße" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "registry", "get", "HKLM\\software\\orvane\\tickwell pro", "lang" }).output, "3\n");
    EXPECT_EQ(tkwctl({ "registry", "get", "HKCU\\Test", "Name" }).output, "Grüße\n");
    ASSERT_EQ(tkwctl({ "registry", "delete", "HKCU\\Test", "Name" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "registry", "get", "HKCU\\Test", "Name" }).exitCode, 1);
}

TEST_F(Tkwctl, InstallLaysOutTheDeviceAndASecondRunChangesNothing)
{
    // Stand-ins for the suite's programs, so that the links have something to point at.
    const auto bin = m_device.root().parent_path() / (m_device.root().filename().string() + "-bin");
    std::filesystem::create_directories(bin);
    const auto runner = bin / "tkevents";
    std::ofstream(runner) << "#!/bin/sh\n";
    std::filesystem::permissions(runner, std::filesystem::perms::owner_all);
    testing_support::EnvironmentGuard bindir("TKW_BINDIR", bin.c_str());
    testing_support::EnvironmentGuard language("LANG", "it_IT.UTF-8");
    testing_support::EnvironmentGuard all("LC_ALL", nullptr);
    testing_support::EnvironmentGuard messages("LC_MESSAGES", nullptr);

    const auto first = tkwctl({ "install" });
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("created folder \\Program Files\\Tickwell Pro\\plugins"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(m_device.root() / "Application Data/Orvane Tickwell Pro/data"));
    EXPECT_EQ(std::filesystem::read_symlink(m_device.root() / "Application Data/Orvane Tickwell Pro/TkEvents.exe"), runner);
    EXPECT_NE(first.output.find("Lang = 4"), std::string::npos) << first.output;
    EXPECT_EQ(tkwctl({ "registry", "get", "HKLM\\Software\\Microsoft\\Today\\Items\\Tickwell Pro", "Type" }).output, "4\n");
    // The shipped sounds, and the volume settings a new device has.
    EXPECT_NE(first.output.find("installed \\Windows\\Alarm1.wav"), std::string::npos) << first.output;
    EXPECT_GT(std::filesystem::file_size(m_device.root() / "Windows" / "Chime2.wav"), 1000u);
    EXPECT_EQ(tkwctl({ "registry", "get", "HKCU\\ControlPanel\\Notifications\\ShellOverrides", "Mode" }).output, "0\n");

    const auto second = tkwctl({ "--json", "install" });
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_NE(second.output.find("\"changed\":[]"), std::string::npos) << second.output;

    // A link broken by hand is repaired.
    std::filesystem::remove(m_device.root() / "Application Data/Orvane Tickwell Pro/TkEvents.exe");
    std::filesystem::create_symlink("/nowhere", m_device.root() / "Application Data/Orvane Tickwell Pro/TkEvents.exe");
    EXPECT_NE(tkwctl({ "install" }).output.find("repaired \\Application Data\\Orvane Tickwell Pro\\TkEvents.exe"),
        std::string::npos);
    std::filesystem::remove_all(bin);
}

TEST_F(Tkwctl, SettingsShowAfterInstallAndSetAScalarField)
{
    ASSERT_EQ(tkwctl({ "install" }).exitCode, 0);
    const auto shown = tkwctl({ "settings", "show", "--json" });
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.output.find("\"source\":\"defaults\""), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("\"chimeSound\":\"\\\\Windows\\\\Alarm1.wav\""), std::string::npos) << shown.output;

    ASSERT_EQ(tkwctl({ "settings", "set", "chimeInterval", "2" }).exitCode, 0);
    const auto after = tkwctl({ "--json", "settings", "show" });
    EXPECT_NE(after.output.find("\"source\":\"file\""), std::string::npos);
    EXPECT_NE(after.output.find("\"chimeInterval\":2"), std::string::npos);
    EXPECT_EQ(tkwctl({ "settings", "set", "chimeInterval", "6" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "settings", "set", "skinName", "1" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "settings", "set", "noSuchField", "1" }).exitCode, 2);

    // Changing the language moves the settings to its cities.
    ASSERT_EQ(tkwctl({ "lang", "set", "1" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "settings", "show" }).output.find("\"worldCity\":[3,8]"), std::string::npos);
    EXPECT_EQ(tkwctl({ "lang", "set", "2" }).exitCode, 2);
}

TEST_F(Tkwctl, TheDigitalClocksDateFormatIsReadAndSetAsASettingsField)
{
    ASSERT_EQ(tkwctl({ "install" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "settings", "show" }).output.find("\"dateFormat\":0"), std::string::npos);
    ASSERT_EQ(tkwctl({ "settings", "set", "dateFormat", "2" }).exitCode, 0);
    const auto after = tkwctl({ "--json", "settings", "show" });
    EXPECT_NE(after.output.find("\"dateFormat\":2"), std::string::npos) << after.output;
    EXPECT_EQ(tkwctl({ "settings", "set", "dateFormat", "3" }).exitCode, 2);
}

TEST_F(Tkwctl, EventsAreAddedListedAndDeletedWithTheirWakeUps)
{
    const auto added = tkwctl({ "--json", "event", "add", "--name", "Dentist", "--at", "2099-06-30T09:15",
        "--recur", "month", "--note", "Bring the card" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    const auto handleAt = added.output.find("\"handle\":");
    ASSERT_NE(handleAt, std::string::npos) << added.output;
    const std::string handle = std::to_string(std::stoul(added.output.substr(handleAt + 9)));
    ASSERT_NE(handle, "0");

    const auto listed = tkwctl({ "event", "list", "--json" });
    EXPECT_NE(listed.output.find("\"name\":\"Dentist\",\"eventTime\":\"2099-06-30T09:15:00\","
                                 "\"nextTime\":\"2099-06-30T09:15:00\",\"recurrence\":\"month\",\"handle\":" + handle),
        std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("\"note\":\"Bring the card\""), std::string::npos) << listed.output;
    const auto wakeUps = tkwctl({ "--json", "notify", "list" }).output;
    EXPECT_NE(wakeUps.find("\"application\":\"\\\\Application Data\\\\Orvane Tickwell Pro\\\\TkEvents.exe\","
                           "\"arguments\":\"e" + handle + "\",\"start\":\"2099-06-30T09:15:00\""),
        std::string::npos) << wakeUps;

    EXPECT_EQ(tkwctl({ "event", "add", "--name", "A name longer than 23 chars", "--at", "2099-01-01T00:00" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "event", "delete", "2" }).exitCode, 1);
    ASSERT_EQ(tkwctl({ "event", "delete", "1" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "event", "list" }).output.find("\"events\":[]"), std::string::npos);
    EXPECT_EQ(tkwctl({ "--json", "notify", "list" }).output.find("\"arguments\":\"e" + handle), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_device.root() / "Application Data/Orvane Tickwell Pro/data/1.dat"));
}

TEST_F(Tkwctl, AlarmsAreSwitchedOnAndOffWithTheirWakeUps)
{
    ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0); // a Wednesday
    std::filesystem::create_directories(m_device.root() / "Windows");
    std::ofstream(m_device.root() / "Windows" / "Alarm1.wav") << "RIFF";
    std::ofstream(m_device.root() / "Windows" / "Beep.wav") << "RIFF";

    const auto on = tkwctl({ "--json", "alarm", "set", "3", "--time", "07:00", "--days", "Mon,fri", "--label",
        "Work", "--sound", "\\Windows\\Beep.wav", "--on" });
    ASSERT_EQ(on.exitCode, 0) << on.output;
    EXPECT_NE(on.output.find("\"alarm\":3,\"enabled\":true,\"time\":\"07:00\",\"days\":\"Mon,Fri\",\"label\":\"Work\","
                             "\"next\":\"2026-03-13T07:00:00\""),
        std::string::npos) << on.output;
    EXPECT_NE(on.output.find("\"soundIndex\":2,\"sound\":\"\\\\Windows\\\\Beep.wav\""), std::string::npos) << on.output;
    auto wakeUps = tkwctl({ "--json", "notify", "list" }).output;
    EXPECT_NE(wakeUps.find("\"arguments\":\"a03\",\"start\":\"2026-03-13T07:00:00\""), std::string::npos) << wakeUps;
    EXPECT_NE(wakeUps.find("\"end\":\"2026-03-13T07:05:00\""), std::string::npos) << wakeUps;
    EXPECT_EQ(tkwctl({ "signal", "test", "Tkw_NeedUpdateAlarmSettingsOnOnTkTP" }).output, "set\n");
    EXPECT_EQ(tkwctl({ "signal", "test", "Tkw_NeedUpdateAlarmSettingsOnMainApp" }).output, "set\n");
    EXPECT_NE(tkwctl({ "--json", "alarm", "list" }).output.find("\"nextAlarm\":\"2026-03-13T07:00:00\""),
        std::string::npos);

    // Without weekdays an alarm neither stays on nor can be switched on.
    EXPECT_EQ(tkwctl({ "alarm", "set", "3", "--days", "none" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "--json", "notify", "list" }).output.find("\"arguments\":\"a03\""), std::string::npos);
    EXPECT_EQ(tkwctl({ "alarm", "set", "3", "--on" }).exitCode, 1);
    EXPECT_NE(tkwctl({ "--json", "alarm", "list" }).output.find("\"nextAlarm\":null"), std::string::npos);

    ASSERT_EQ(tkwctl({ "alarm", "set", "20", "--days", "Sun", "--on" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "notify", "list" }).output.find("\"arguments\":\"a20\""), std::string::npos);
    ASSERT_EQ(tkwctl({ "alarm", "set", "20", "--off" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "notify", "list" }).output.find("\"wakeUps\":[]"), std::string::npos);

    EXPECT_EQ(tkwctl({ "alarm", "set", "21", "--on" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "alarm", "set", "1", "--time", "24:00" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "alarm", "set", "1", "--days", "Mon,Funday" }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "alarm", "set", "1", "--label", std::string(32, 'x') }).exitCode, 2);
    EXPECT_EQ(tkwctl({ "alarm", "set", "1", "--sound", "\\Windows\\Missing.wav" }).exitCode, 1);
}

TEST_F(Tkwctl, MalformedCommandLinesAreRefusedNamingTheCulpritAndChangeNothing)
{
    ASSERT_EQ(tkwctl({ "install" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "alarm", "set", "3", "--label", "Kept" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "set", "1", "--value", "00:05:00", "--name", "Kept" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "Kept", "--at", "2099-06-30T09:15" }).exitCode, 0);
    const auto signalsBefore = tkwctl({ "--json", "signal", "list" }).output;
    const auto wakeUpsBefore = tkwctl({ "--json", "notify", "list" }).output;
    // After the reads: SQLite's readers mark the databases' shared-memory files.
    const auto treeBefore = treeOf(m_device.root());

    const std::string at = "2099-01-01T00:00";
    const struct {
        std::vector<std::string> arguments;
        std::string named; // what the message must name
    } cases[] = {
        { { "--verbose", "device", "status" }, "'--verbose'" },
        { { "device", "status", "--verbose" }, "'--verbose'" },
        { { "device", "time", "advance", "1.5" }, "'1.5'" },
        { { "device", "time", "advance", "1e3" }, "'1e3'" },
        { { "device", "time", "advance", "+60" }, "'+60'" },
        { { "device", "time", "advance", "99999999999999" }, "'99999999999999'" },
        { { "device", "time", "advance" }, "advance" },
        { { "device", "time", "set", "2026-01-01T07:00", "--force" }, "'--force'" },
        { { "device", "time", "set", "2026-01-01T+7:00" }, "'2026-01-01T+7:00'" },
        { { "device", "zone", "set", "CET-1", "--dst" }, "'--dst'" },
        { { "device", "activity", "--idle" }, "'--idle'" },
        { { "device", "power", "ac", "now" }, "'now'" },
        { { "signal", "list", "--all" }, "'--all'" },
        { { "signal", "set", "" }, "empty" },
        { { "signal", "set", "Bad\\Name" }, "backslash" },
        { { "signal", "set", "Bad\nName" }, "\\x0a" },
        { { "signal", "set", "\xff\xfe" }, "UTF-8" },
        { { "signal", "set", std::string(261, 'n') }, "260" },
        { { "signal", "set", "Name", "Other" }, "'Other'" },
        { { "signal", "test", "Name", "--json-pretty" }, "'--json-pretty'" },
        { { "signal", "wait", "TkPTimer_Settings_Change", "1.5" }, "'1.5'" },
        { { "signal", "wait", "TkPTimer_Settings_Change", "-1" }, "'-1'" },
        { { "registry", "list", "HKCU\\Software", "--recursive" }, "'--recursive'" },
        { { "registry", "get", "HKCU\\Test" }, "registry get" },
        { { "registry", "set", "HKCU\\Test", "N", "dword", "1.0" }, "'1.0'" },
        { { "registry", "set", "HKCU\\Test", "N", "dword", "-1" }, "'-1'" },
        { { "registry", "set", "HKCU\\Test", "N", "dword", "4294967296" }, "'4294967296'" },
        { { "registry", "set", "HKCU\\Test", "N", "string", "\xc3(" }, "UTF-8" },
        { { "registry", "set", "HKCU\\Test", "N", "qword", "1" }, "'qword'" },
        { { "notify", "list", "extra" }, "'extra'" },
        { { "notify", "add", "--app", "\\..\\..\\tmp\\x", "--at", at }, "outside the device" },
        { { "notify", "add", "--app", "Windows\\probe.exe", "--at", at }, "starts with" },
        { { "notify", "add", "--app", "\\Windows\\p\xff.exe", "--at", at }, "UTF-8" },
        { { "notify", "add", "--app", "\\Windows\\p\x01.exe", "--at", at }, "control character" },
        { { "notify", "add", "--app", "\\\\.\\Notifications\\NamedEvents\\", "--at", at }, "empty" },
        { { "notify", "add", "--app", "\\Windows\\probe.exe", "--at" }, "'--at' needs a value" },
        { { "notify", "add", "--app", "--at", at }, "'--app' needs a value" },
        { { "notify", "add", "--app", "\\Windows\\probe.exe", "--at", at, "--led" }, "'--led'" },
        { { "notify", "add", "--app", "\\Windows\\probe.exe", "--at", at, "--at", at }, "'--at' is given twice" },
        { { "notify", "clear", "1.0" }, "'1.0'" },
        { { "notify", "clear", "0" }, "'0'" },
        { { "service", "status", "--verbose" }, "'--verbose'" },
        { { "settings", "show", "--all" }, "'--all'" },
        { { "settings", "set", "chimeInterval", "2.0" }, "'2.0'" },
        { { "settings", "set", "chimeInterval", "2e0" }, "'2e0'" },
        { { "settings", "set", "chimeInterval", " 2" }, "' 2'" },
        { { "plg", "show", "--raw" }, "'--raw'" },
        { { "lang", "--list" }, "'--list'" },
        { { "lang", "set", "1.0" }, "'1.0'" },
        { { "install", "--force" }, "'--force'" },
        { { "timer", "list", "--all" }, "'--all'" },
        { { "timer", "--all" }, "'--all'" },
        { { "timer", "start", "1", "--now" }, "'--now'" },
        { { "timer", "start", "1.0" }, "'1.0'" },
        { { "timer", "set", "1", "--value" }, "'--value' needs a value" },
        { { "timer", "set", "1", "--value", "0:1:0.5" }, "'0:1:0.5'" },
        { { "timer", "set", "1", "--value", "00:01:00", "--name", std::string(32, 't') }, "31" },
        { { "timer", "set", "1", "--value", "00:01:00", "--name" }, "'--name' needs a value" },
        { { "event", "list", "--all" }, "'--all'" },
        { { "event", "add", "--name", "Dentist", "--at", at, "--note" }, "'--note' needs a value" },
        { { "event", "add", "--name", std::string(24, 'e'), "--at", at }, "23" },
        { { "event", "add", "--name", "Dentist", "--at", at, "--where", "home" }, "'--where'" },
        { { "event", "add", "--name", "Dentist", "--at", at, "--recur", "weekly" }, "'weekly'" },
        { { "event", "add", "--name", "Den\ttist", "--at", at }, "control character" },
        { { "event", "delete", "1.0" }, "'1.0'" },
        { { "event", "delete", "1", "2" }, "'2'" },
        { { "alarm", "list", "--all" }, "'--all'" },
        { { "alarm", "set", "3", "--label" }, "'--label' needs a value" },
        { { "alarm", "set", "3", "--label", "--on" }, "'--label' needs a value" },
        { { "alarm", "set", "3", "--label", std::string(32, 'l') }, "31" },
        { { "alarm", "set", "3", "--sound", "\\..\\..\\tmp\\x.wav" }, "outside the device" },
        { { "alarm", "set", "3", "--sound", "Windows\\Alarm1.wav" }, "starts with" },
        { { "alarm", "set", "3", "--snooze", "5" }, "'--snooze'" },
        { { "alarm", "set", "3", "7:00" }, "'7:00'" },
        { { "alarm", "set", "3.0", "--on" }, "'3.0'" },
        { { "alarm", "set", "3", "--time", "+7:00" }, "'+7:00'" },
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& word : c.arguments)
            line += " [" + word + "]";
        const auto result = tkwctlErrors(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << line << "\n" << result.output;
        EXPECT_EQ(result.output.rfind("tkwctl: ", 0), 0u) << line << "\n" << result.output;
        EXPECT_NE(result.output.find(c.named), std::string::npos) << line << "\n" << result.output;
    }

    EXPECT_EQ(treeOf(m_device.root()), treeBefore);
    EXPECT_EQ(tkwctl({ "--json", "signal", "list" }).output, signalsBefore);
    EXPECT_EQ(tkwctl({ "--json", "notify", "list" }).output, wakeUpsBefore);
}

TEST_F(Tkwctl, EveryValidFormIsStillTakenUpToTheLimits)
{
    ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0);
    const auto back = tkwctl({ "--json", "device", "time", "advance", "-3600" });
    ASSERT_EQ(back.exitCode, 0) << back.output;
    EXPECT_NE(back.output.find("\"local\":\"2026-03-11T11:00:0"), std::string::npos) << back.output;

    // Options in any order after the alarm's number; a label of exactly 31 characters.
    const std::string label(31, 'l');
    const auto alarm = tkwctl({ "--json", "alarm", "set", "2", "--on", "--label", label, "--days", "Thu" });
    ASSERT_EQ(alarm.exitCode, 0) << alarm.output;
    EXPECT_NE(alarm.output.find("\"enabled\":true"), std::string::npos) << alarm.output;
    EXPECT_NE(alarm.output.find("\"label\":\"" + label + "\""), std::string::npos) << alarm.output;

    const std::string timerName(31, 't');
    ASSERT_EQ(tkwctl({ "timer", "set", "16", "--name", timerName, "--value", "01:02:03" }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "timer", "list" }).output.find("\"name\":\"" + timerName + "\""), std::string::npos);

    const std::string eventName(23, 'e');
    ASSERT_EQ(tkwctl({ "event", "add", "--at", "2099-01-01 08:00", "--name", eventName, "--note", "two\nlines" })
                  .exitCode,
        0);
    const auto events = tkwctl({ "--json", "event", "list" }).output;
    EXPECT_NE(events.find("\"name\":\"" + eventName + "\""), std::string::npos) << events;
    EXPECT_NE(events.find("\"note\":\"two\\nlines\""), std::string::npos) << events;

    // A wake-up may set a named event instead of starting a program.
    const auto named = tkwctl({ "notify", "add", "--app", "\\\\.\\Notifications\\NamedEvents\\Tkw_Probe", "--at",
        "2099-01-01T00:00" });
    EXPECT_EQ(named.exitCode, 0) << named.output;
    EXPECT_EQ(tkwctl({ "signal", "wait", "TkPTimer_Settings_Change", "0" }).exitCode, 1); // timed out, not misread
    EXPECT_EQ(tkwctl({ "settings", "set", "chimeInterval", "05" }).exitCode, 0);
}

TEST_F(Tkwctl, InstallAndSavesLeaveOnlyPrivateFilesAndFolders)
{
    const Umask permissive(0); // as if the user's umask let everything through
    ASSERT_EQ(tkwctl({ "install" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "alarm", "set", "1", "--label", "Private", "--days", "Mon", "--on" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "settings", "set", "chimeInterval", "2" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "Private", "--at", "2099-06-30T09:15", "--note", "n" }).exitCode, 0);

    int folders = 0, files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_device.root())) {
        struct stat info { };
        ASSERT_EQ(::lstat(entry.path().c_str(), &info), 0);
        if (S_ISDIR(info.st_mode)) {
            ++folders;
            EXPECT_EQ(info.st_mode & 07777, 0700u) << entry.path();
        } else if (S_ISREG(info.st_mode)) {
            ++files;
            EXPECT_EQ(info.st_mode & 07777, 0600u) << entry.path();
        }
    }
    // The tree was there to look at: folders of programs, data and sounds, the databases.
    EXPECT_GE(folders, 6);
    EXPECT_GE(files, 6);
    EXPECT_TRUE(std::filesystem::exists(m_device.root() / ".platform" / "registry.db"));
    EXPECT_TRUE(std::filesystem::exists(m_device.root() / "Application Data/Orvane Tickwell Pro/data/alarms.dat"));
}

TEST_F(Tkwctl, WithoutHomeOrADeviceItRefusesToGuessAPlace)
{
    testing_support::EnvironmentGuard home("HOME", nullptr);
    testing_support::EnvironmentGuard device("TICKWELL_DEVICE", nullptr);
    testing_support::EnvironmentGuard data("XDG_DATA_HOME", nullptr);
    for (const std::vector<std::string>& command : { std::vector<std::string> { "device", "status" },
             std::vector<std::string> { "settings", "set", "chimeInterval", "2" } }) {
        const auto result = tkwctlErrors(command);
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_EQ(result.output.rfind("tkwctl: no device root", 0), 0u) << result.output;
        EXPECT_NE(result.output.find("set TICKWELL_DEVICE"), std::string::npos) << result.output;
    }
    // Help needs no device.
    EXPECT_EQ(tkwctl({ "--help" }).exitCode, 0);
}

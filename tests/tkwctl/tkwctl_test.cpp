// tkwctl is run as users and tests run it: a separate process on the test's own device.

#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <filesystem>
#include <fstream>

using testing_support::runCommand;

namespace {

using Tkwctl = testing_support::DeviceTest;

testing_support::CommandResult tkwctl(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TKW_TKWCTL);
    return runCommand(arguments);
}

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

// "timer set" and "event add|edit" with the settings windows' action fields: each field is
// stored and shown back, a program path the window would refuse is refused with its message
// and leaves every file as it was, and tools editing different timers at once lose nothing.

#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "timers/timer_board.h"
#include "timers/timer_file.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using testing_support::runCommand;

namespace {

using TkwctlActions = testing_support::DeviceTest;

constexpr const char* kDataFolder = "Application Data/Orvane Tickwell Pro/data";
constexpr const char* kInvalidPath
    = "Invalid path: Please, select an application or an associated file.";

testing_support::CommandResult tkwctl(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TKW_TKWCTL);
    return runCommand(arguments);
}

// What tkwctl says on standard error (standard output is dropped).
testing_support::CommandResult tkwctlErrors(std::vector<std::string> arguments)
{
    arguments.insert(
        arguments.begin(), { "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1 >/dev/null", TKW_TKWCTL });
    return runCommand(arguments);
}

std::string bytesOf(const std::filesystem::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

void touch(const std::filesystem::path& file)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

// The --json object of timer `number` in "timer list".
std::string timerShown(int number)
{
    const std::string list = tkwctl({ "--json", "timer", "list" }).output;
    const auto start = list.find("{\"timer\":" + std::to_string(number) + ",");
    return start == std::string::npos ? std::string()
                                      : list.substr(start, list.find('}', start) - start + 1);
}

class TkwctlActionFiles : public TkwctlActions {
protected:
    void SetUp() override
    {
        ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0);
        touch(m_device.root() / "Windows" / "Beep.wav");
        touch(m_device.root() / "Program Files" / "Tools" / "backup.exe");
        touch(m_device.root() / "Program Files" / "Tools" / "Shout.EXE");
        touch(m_device.root() / "My Documents" / "list.txt");
        touch(m_device.root() / "Program Files" / "Tickwell Pro" / "plugins" / "Ocean.qpg");
        ASSERT_EQ(tkwctl({ "timer", "list" }).exitCode, 0); // lays down timers.dat
    }

    std::filesystem::path data(const std::string& name) const
    {
        return m_device.root() / kDataFolder / name;
    }
};

TEST_F(TkwctlActionFiles, TimerSetStoresEveryFieldOfTheSettingsWindow)
{
    const auto sound = tkwctl({ "--json", "timer", "set", "2", "--value", "00:10:00", "--name",
        "Tea", "--sound", "\\Windows\\Beep.wav", "--repeat", "3", "--pause", "5" });
    ASSERT_EQ(sound.exitCode, 0) << sound.output;
    EXPECT_NE(
        timerShown(2).find(
            "\"name\":\"Tea\",\"running\":false,\"shows\":\"00:10:00\",\"initial\":\"00:10:00\","
            "\"wakeUp\":0,\"action\":\"notification\",\"soundIndex\":1,"
            "\"sound\":\"\\\\Windows\\\\Beep.wav\",\"repeat\":3,\"pause\":5}"),
        std::string::npos)
        << timerShown(2);
    constexpr std::u16string_view kBeep = u"\\Windows\\Beep.wav";
    EXPECT_EQ(bytesOf(data("timersnd1.dat")),
        std::string(reinterpret_cast<const char*>(kBeep.data()), kBeep.size() * 2)
            + std::string(2, '\0'));

    // A program with its parameters and keep-awake time; naming the program chooses the action.
    ASSERT_EQ(tkwctl({ "timer", "set", "3", "--program", "\\Program Files\\Tools\\backup.exe",
                         "--args", "-q now", "--keep-awake", "60" })
                  .exitCode,
        0);
    EXPECT_NE(timerShown(3).find(
                  "\"action\":\"program\",\"program\":\"\\\\Program Files\\\\Tools\\\\backup.exe\","
                  "\"args\":\"-q now\",\"keepAwakeMinutes\":60}"),
        std::string::npos)
        << timerShown(3);
    // The parameters stay when only the keep-awake time changes; sounds are refused for it.
    ASSERT_EQ(tkwctl({ "timer", "set", "3", "--keep-awake", "5" }).exitCode, 0);
    EXPECT_NE(timerShown(3).find("\"args\":\"-q now\",\"keepAwakeMinutes\":5}"), std::string::npos)
        << timerShown(3);
    const auto noSound = tkwctlErrors({ "timer", "set", "3", "--repeat", "2" });
    EXPECT_EQ(noSound.exitCode, 1);
    EXPECT_NE(noSound.output.find("timer 3 starts a program and plays no sound"), std::string::npos)
        << noSound.output;

    // An installed clock face; then back to the notification window, which clears the path.
    ASSERT_EQ(tkwctl({ "timer", "set", "3", "--action", "plugin", "--view", "Ocean" }).exitCode, 0);
    EXPECT_NE(timerShown(3).find("\"action\":\"plugin\",\"view\":\"Ocean\",\"soundIndex\""),
        std::string::npos)
        << timerShown(3);
    EXPECT_EQ(tkwctlErrors({ "timer", "set", "3", "--view", "Nowhere" }).exitCode, 1);
    ASSERT_EQ(tkwctl({ "timer", "set", "3", "--action", "notification" }).exitCode, 0);
    const std::string timers = bytesOf(data("timers.dat"));
    ASSERT_EQ(timers.size(), 18176u);
    EXPECT_EQ(timers.substr(2 * 1136 + 88, 4), std::string("\0\0\0\0", 4)) << "actionKind";
    EXPECT_EQ(timers.substr(2 * 1136 + 92, 1040), std::string(1040, '\0'))
        << "programPath and programArgs";
}

TEST_F(TkwctlActionFiles, ProgramPathsTheWindowRefusesStoreNothing)
{
    ASSERT_EQ(tkwctl({ "timer", "set", "4", "--name", "Before" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "Kept", "--at", "2099-06-30T09:15", "--sound",
                         "\\Windows\\Beep.wav" })
                  .exitCode,
        0);
    // A link inside the device that points out of it.
    const auto outside = std::filesystem::path(m_device.root()).parent_path()
        / (m_device.root().filename().string() + "-out.exe");
    touch(outside);
    std::filesystem::create_symlink(
        outside, m_device.root() / "Program Files" / "Tools" / "escape.exe");
    const std::string timersBefore = bytesOf(data("timers.dat"));
    const std::string eventsBefore = bytesOf(data("events.dat"));
    const std::string soundBefore = bytesOf(data("es1.dat"));

    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        { "\\Program Files\\Tools\\missing.exe", "no such file" },
        { "Program Files\\Tools\\backup.exe", "starts with" },
        { "\\..\\..\\bin\\sh", "outside the device" },
        { "\\Program Files\\Tools\\escape.exe", "outside the device" },
        { "\\Program Files\\Tools", "no such file" }, // a folder is no program
    };
    for (const auto& c : cases) {
        for (const auto& command : std::vector<std::vector<std::string>> {
                 { "timer", "set", "4", "--name", "After", "--program", c.path },
                 { "event", "add", "--name", "New", "--at", "2099-01-01T08:00", "--program",
                     c.path },
                 { "event", "edit", "1", "--name", "Changed", "--program", c.path } }) {
            const auto refused = tkwctlErrors(command);
            EXPECT_EQ(refused.exitCode, 1) << command[0] << " " << c.path;
            EXPECT_NE(refused.output.find(kInvalidPath), std::string::npos) << refused.output;
            EXPECT_NE(refused.output.find(c.reason), std::string::npos) << refused.output;
        }
    }
    // A document takes no parameters, and a program named in capitals opens as a document.
    for (const char* document :
        { "\\My Documents\\list.txt", "\\Program Files\\Tools\\Shout.EXE" }) {
        const auto refused
            = tkwctlErrors({ "timer", "set", "4", "--program", document, "--args", "-x" });
        EXPECT_EQ(refused.exitCode, 1) << document;
        EXPECT_NE(refused.output.find("is a document"), std::string::npos) << refused.output;
    }
    // The "Remind:" list is not offered for a program: it happens once.
    EXPECT_EQ(tkwctlErrors({ "event", "edit", "1", "--recur", "year", "--program",
                               "\\My Documents\\list.txt" })
                  .exitCode,
        1);
    EXPECT_EQ(bytesOf(data("timers.dat")), timersBefore);
    EXPECT_EQ(bytesOf(data("events.dat")), eventsBefore);
    EXPECT_EQ(bytesOf(data("es1.dat")), soundBefore);
    EXPECT_FALSE(std::filesystem::exists(data("es2.dat")));
    EXPECT_EQ(bytesOf(outside), "x");
    std::filesystem::remove(outside);
}

TEST_F(TkwctlActionFiles, EventAddAndEditStoreTheEditorsFields)
{
    const auto added = tkwctl(
        { "--json", "event", "add", "--name", "Backup", "--at", "2099-06-30T09:15", "--program",
            "\\Program Files\\Tools\\backup.exe", "--args", "/all -v", "--keep-awake", "20" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    auto list = tkwctl({ "--json", "event", "list" }).output;
    EXPECT_NE(
        list.find("\"noteId\":0,\"action\":\"program\","
                  "\"program\":\"\\\\Program Files\\\\Tools\\\\backup.exe\",\"args\":\"/all -v\","
                  "\"keepAwakeMinutes\":20}"),
        std::string::npos)
        << list;

    // Turning it into a yearly reminder with a sound: the program's fields go, the time stays.
    ASSERT_EQ(tkwctl({ "event", "edit", "1", "--action", "notification", "--recur", "year",
                         "--sound", "\\Windows\\Beep.wav", "--repeat", "2", "--pause", "4",
                         "--note", "check the disk" })
                  .exitCode,
        0);
    list = tkwctl({ "--json", "event", "list" }).output;
    EXPECT_NE(list.find("\"name\":\"Backup\",\"eventTime\":\"2099-06-30T09:15:00\",\"nextTime\":"
                        "\"2099-06-30T09:15:00\","
                        "\"recurrence\":\"year\""),
        std::string::npos)
        << list;
    EXPECT_NE(list.find("\"note\":\"check the disk\",\"action\":\"notification\",\"soundIndex\":1,"
                        "\"sound\":\"\\\\Windows\\\\Beep.wav\",\"repeat\":2,\"pause\":4}"),
        std::string::npos)
        << list;
    const std::string events = bytesOf(data("events.dat"));
    ASSERT_EQ(events.size(), 8u + 1136u);
    EXPECT_EQ(events.substr(8 + 92, 1040), std::string(1040, '\0'))
        << "programPath and programArgs";

    // A plug-in view and a new moment; the editor's one registration moves with it.
    ASSERT_EQ(
        tkwctl({ "event", "edit", "1", "--view", "Ocean", "--at", "2099-07-01T10:00" }).exitCode,
        0);
    list = tkwctl({ "--json", "event", "list" }).output;
    EXPECT_NE(list.find("\"nextTime\":\"2099-07-01T10:00:00\""), std::string::npos) << list;
    EXPECT_NE(list.find("\"action\":\"plugin\",\"view\":\"Ocean\""), std::string::npos) << list;
    const auto wakeUps = tkwctl({ "--json", "notify", "list" }).output;
    EXPECT_NE(wakeUps.find("\"start\":\"2099-07-01T10:00:00\""), std::string::npos) << wakeUps;
    EXPECT_EQ(wakeUps.find("2099-06-30T09:15:00"), std::string::npos) << wakeUps;

    // A name longer than the editor's box is refused, and nothing changes.
    const std::string before = bytesOf(data("events.dat"));
    const auto tooLong = tkwctlErrors({ "event", "edit", "1", "--name", std::string(24, 'n') });
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_NE(tooLong.output.find("23"), std::string::npos) << tooLong.output;
    EXPECT_EQ(tkwctlErrors({ "event", "edit", "2", "--name", "None" }).exitCode, 1);
    EXPECT_EQ(tkwctlErrors({ "event", "edit", "1" }).exitCode, 2);
    EXPECT_EQ(bytesOf(data("events.dat")), before);
    ASSERT_EQ(tkwctl({ "event", "edit", "1", "--name", std::string(23, 'n') }).exitCode, 0);
    EXPECT_NE(tkwctl({ "--json", "event", "list" })
                  .output.find("\"name\":\"" + std::string(23, 'n') + "\""),
        std::string::npos);
}

// A command that gives no action option leaves the stored action as the window or another
// tool stored it: a program named without ".exe" keeps its parameters through "--value".
TEST_F(TkwctlActionFiles, SettingOnlyTheValueOrNameKeepsTheStoredActionAsItIs)
{
    {
        const auto edit = store::editDataFile(store::kTimersFile);
        ASSERT_TRUE(edit);
        timers::TimerBoard board;
        (void)board.load(platform::LocalTicks(0));
        timers::TimerSettings chosen;
        chosen.actionKind = 2;
        chosen.programPath = u"\\Windows\\probe";
        chosen.programArgs = u"t1";
        ASSERT_TRUE(board.ApplySettings(0, chosen));
        ASSERT_TRUE(timers::SaveAllTimers(board.records()));
    }
    const std::string before = bytesOf(data("timers.dat"));
    ASSERT_EQ(tkwctl({ "timer", "set", "1", "--value", "00:00:04", "--name", "Probe" }).exitCode, 0);
    const std::string shown = timerShown(1);
    EXPECT_NE(shown.find("\"args\":\"t1\""), std::string::npos) << shown;
    EXPECT_NE(shown.find("\"action\":\"program\""), std::string::npos) << shown;
    EXPECT_NE(bytesOf(data("timers.dat")), before); // the value and name did change
}

TEST_F(TkwctlActionFiles, ToolsSettingDifferentTimersAtOnceBothLand)
{
    // Two programs per timer, started together: one sets the sound, the other the name and value.
    constexpr int kTimers = 5; // --repeat takes 1 to 5
    std::vector<std::unique_ptr<testing_support::ChildProcess>> children;
    for (int number = 1; number <= kTimers; ++number) {
        const std::string text = std::to_string(number);
        children.push_back(std::make_unique<testing_support::ChildProcess>(
            std::vector<std::string> { TKW_TKWCTL, "timer", "set", text, "--sound",
                "\\Windows\\Beep.wav", "--repeat", text, "--pause", "2" }));
        children.push_back(std::make_unique<testing_support::ChildProcess>(
            std::vector<std::string> { TKW_TKWCTL, "timer", "set", text, "--name", "Timer " + text,
                "--value", "00:0" + text + ":00" }));
    }
    for (auto& child : children)
        EXPECT_EQ(child->wait(std::chrono::seconds(60)), 0);
    for (int number = 1; number <= kTimers; ++number) {
        const std::string text = std::to_string(number);
        EXPECT_NE(timerShown(number).find("\"name\":\"Timer " + text
                      + "\",\"running\":false,\"shows\":\"00:0" + text + ":00\""),
            std::string::npos)
            << timerShown(number);
        EXPECT_NE(timerShown(number).find(
                      "\"soundIndex\":1,\"sound\":\"\\\\Windows\\\\Beep.wav\",\"repeat\":" + text
                      + ",\"pause\":2}"),
            std::string::npos)
            << timerShown(number);
    }
}

} // namespace

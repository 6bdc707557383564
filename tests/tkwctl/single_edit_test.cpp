// A tkwctl command that changes a data file is one edit of it: every option lands in one
// write of the file, and programs editing beside it lose none of each other's changes.
// Writes are watched from outside the process, as inotify reports them.

#include "platform/unique_fd.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include <sys/inotify.h>
#include <unistd.h>

using testing_support::runCommand;

namespace {

using TkwctlEdits = testing_support::DeviceTest;

constexpr const char* kDataFolder = "Application Data/Orvane Tickwell Pro/data";

testing_support::CommandResult tkwctl(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TKW_TKWCTL);
    return runCommand(arguments);
}

// Counts the writes of each data file of a folder: a file replaced whole by a rename, and a
// file opened, written into and closed, each count once. Reads, opens for writing that write
// nothing (share-mode locks), and the hidden temporary and lock files are not counted.
class WriteCounter {
public:
    explicit WriteCounter(const std::filesystem::path& folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd && inotify_add_watch(m_fd.get(), folder.c_str(), IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE) < 0)
            m_fd.reset();
    }

    [[nodiscard]] bool watching() const { return bool(m_fd); }

    // The writes since the last call, by file name.
    std::map<std::string, int> take()
    {
        std::map<std::string, int> writes;
        alignas(inotify_event) std::array<char, 64 * 1024> buffer;
        ssize_t length = 0;
        while ((length = ::read(m_fd.get(), buffer.data(), buffer.size())) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                const std::string name = event->len ? event->name : "";
                at += ssize_t(sizeof(inotify_event) + event->len);
                if (name.empty() || name.front() == '.')
                    continue;
                if (event->mask & IN_MOVED_TO)
                    ++writes[name];
                if (event->mask & IN_MODIFY)
                    m_modified.insert(name);
                if ((event->mask & IN_CLOSE_WRITE) && m_modified.erase(name))
                    ++writes[name];
            }
        }
        return writes;
    }

private:
    platform::UniqueFd m_fd;
    std::set<std::string> m_modified; // written into since their last close
};

int countOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

} // namespace

TEST_F(TkwctlEdits, AlarmSetWritesAlarmsDatOnceWhateverItChanges)
{
    ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0); // a Wednesday
    std::filesystem::create_directories(m_device.root() / "Windows");
    std::ofstream(m_device.root() / "Windows" / "Beep.wav") << "RIFF";
    ASSERT_EQ(tkwctl({ "alarm", "set", "3", "--label", "Before" }).exitCode, 0); // the file exists now
    WriteCounter counter(m_device.root() / kDataFolder);
    ASSERT_TRUE(counter.watching());

    const auto all = tkwctl({ "--json", "alarm", "set", "3", "--time", "07:00", "--days", "Mon,Fri", "--label", "Work",
        "--sound", "\\Windows\\Beep.wav", "--on" });
    ASSERT_EQ(all.exitCode, 0) << all.output;
    auto writes = counter.take();
    EXPECT_EQ(writes["alarms.dat"], 1);
    EXPECT_EQ(writes["alarmsnd2.dat"], 1);
    EXPECT_NE(all.output.find("\"alarm\":3,\"enabled\":true,\"time\":\"07:00\",\"days\":\"Mon,Fri\",\"label\":\"Work\","
                              "\"next\":\"2026-03-13T07:00:00\""),
        std::string::npos) << all.output;
    const auto wakeUps = tkwctl({ "--json", "notify", "list" }).output;
    EXPECT_EQ(countOf(wakeUps, "\"arguments\":\"a03\""), 1) << wakeUps;
    EXPECT_NE(wakeUps.find("\"arguments\":\"a03\",\"start\":\"2026-03-13T07:00:00\""), std::string::npos) << wakeUps;

    // Changes that switch the alarm off on the way, and one refused at the end, still write once.
    ASSERT_EQ(tkwctl({ "alarm", "set", "3", "--days", "none", "--time", "08:15", "--label", "Off" }).exitCode, 0);
    EXPECT_EQ(counter.take()["alarms.dat"], 1);
    EXPECT_EQ(tkwctl({ "alarm", "set", "3", "--label", "Still off", "--on" }).exitCode, 1);
    EXPECT_EQ(counter.take()["alarms.dat"], 1);
    const auto list = tkwctl({ "--json", "alarm", "list" }).output;
    EXPECT_NE(list.find("\"alarm\":3,\"enabled\":false,\"time\":\"08:15\",\"days\":\"none\",\"label\":\"Still off\""),
        std::string::npos) << list;
    EXPECT_EQ(tkwctl({ "--json", "notify", "list" }).output.find("\"arguments\":\"a03\""), std::string::npos);
}

TEST_F(TkwctlEdits, TimerAndEventCommandsWriteTheirFileOnce)
{
    ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "First", "--at", "2099-01-01T08:00" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "list" }).exitCode, 0); // makes timers.dat in the data folder made above
    WriteCounter counter(m_device.root() / kDataFolder);
    ASSERT_TRUE(counter.watching());

    ASSERT_EQ(tkwctl({ "timer", "set", "2", "--value", "00:10:00", "--name", "Tea" }).exitCode, 0);
    EXPECT_EQ(counter.take()["timers.dat"], 1);
    ASSERT_EQ(tkwctl({ "timer", "start", "2" }).exitCode, 0);
    EXPECT_EQ(counter.take()["timers.dat"], 1);
    ASSERT_EQ(tkwctl({ "timer", "stop", "2" }).exitCode, 0);
    EXPECT_EQ(counter.take()["timers.dat"], 1);

    ASSERT_EQ(tkwctl({ "event", "add", "--name", "Dentist", "--at", "2099-06-30T09:15", "--recur", "year", "--note",
                  "bring the card" })
                  .exitCode,
        0);
    auto writes = counter.take();
    EXPECT_EQ(writes["events.dat"], 1);
    EXPECT_EQ(writes.size(), 2u) << "events.dat and the note's file, nothing else";
    ASSERT_EQ(tkwctl({ "event", "delete", "1" }).exitCode, 0);
    EXPECT_EQ(counter.take()["events.dat"], 1);
}

TEST_F(TkwctlEdits, SettingsWindowFieldsLandInTheSameOneWrite)
{
    ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0);
    std::filesystem::create_directories(m_device.root() / "Windows");
    std::ofstream(m_device.root() / "Windows" / "Beep.wav") << "RIFF";
    std::filesystem::create_directories(m_device.root() / "Program Files");
    std::ofstream(m_device.root() / "Program Files" / "tool.exe") << "x";
    ASSERT_EQ(tkwctl({ "event", "add", "--name", "First", "--at", "2099-01-01T08:00" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "timer", "list" }).exitCode, 0);
    WriteCounter counter(m_device.root() / kDataFolder);
    ASSERT_TRUE(counter.watching());

    ASSERT_EQ(tkwctl({ "timer", "set", "5", "--value", "00:03:00", "--name", "Egg", "--sound", "\\Windows\\Beep.wav",
                  "--repeat", "2", "--pause", "3" }).exitCode, 0);
    auto writes = counter.take();
    EXPECT_EQ(writes["timers.dat"], 1);
    EXPECT_EQ(writes["timersnd4.dat"], 1);
    EXPECT_EQ(writes.size(), 2u);

    ASSERT_EQ(tkwctl({ "event", "edit", "1", "--name", "Moved", "--at", "2099-02-01T09:00", "--program",
                  "\\Program Files\\tool.exe", "--args", "-q", "--keep-awake", "10" }).exitCode, 0);
    writes = counter.take();
    EXPECT_EQ(writes["events.dat"], 1);
    EXPECT_EQ(writes.size(), 1u);
    const auto wakeUps = tkwctl({ "--json", "notify", "list" }).output;
    EXPECT_EQ(countOf(wakeUps, "\"arguments\":\"e"), 1) << wakeUps;
    EXPECT_NE(wakeUps.find("\"start\":\"2099-02-01T09:00:00\""), std::string::npos) << wakeUps;
}

TEST_F(TkwctlEdits, CommandsEditingTheSameFileAtOnceLoseNothing)
{
    ASSERT_EQ(tkwctl({ "device", "time", "set", "2026-03-11T12:00" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "alarm", "list" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "alarm", "set", "1", "--label", "Seed" }).exitCode, 0);

    // Two programs per alarm, started together: one names it, the other sets and switches it on.
    constexpr int kAlarms = 6;
    std::vector<std::unique_ptr<testing_support::ChildProcess>> children;
    for (int number = 1; number <= kAlarms; ++number) {
        const std::string text = std::to_string(number);
        children.push_back(std::make_unique<testing_support::ChildProcess>(
            std::vector<std::string> { TKW_TKWCTL, "alarm", "set", text, "--label", "Alarm " + text }));
        children.push_back(std::make_unique<testing_support::ChildProcess>(std::vector<std::string> {
            TKW_TKWCTL, "alarm", "set", text, "--time", "0" + text + ":1" + text, "--days", "Thu", "--on" }));
    }
    for (auto& child : children) {
        ASSERT_TRUE(child->started());
        EXPECT_EQ(child->wait(std::chrono::seconds(60)), 0);
    }

    const auto list = tkwctl({ "--json", "alarm", "list" }).output;
    const auto wakeUps = tkwctl({ "--json", "notify", "list" }).output;
    for (int number = 1; number <= kAlarms; ++number) {
        const std::string text = std::to_string(number);
        EXPECT_NE(list.find("\"alarm\":" + text + ",\"enabled\":true,\"time\":\"0" + text + ":1" + text
                      + "\",\"days\":\"Thu\",\"label\":\"Alarm " + text + "\",\"next\":\"2026-03-12T0" + text + ":1"
                      + text + ":00\""),
            std::string::npos) << list;
        EXPECT_EQ(countOf(wakeUps, "\"arguments\":\"a0" + text + "\""), 1) << wakeUps;
    }
}

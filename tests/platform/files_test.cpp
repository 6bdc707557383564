#include "platform/files.h"

#include "platform/device_root.h"
#include "platform/registry.h"
#include "platform/retry.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <thread>

using namespace platform;
using testing_support::ChildProcess;

namespace {

class DeviceFiles : public testing_support::DeviceTest {
protected:
    std::filesystem::path host(const char* relative) const { return m_device.root() / relative; }

    void writeHost(const char* relative, const std::string& text) const
    {
        std::filesystem::create_directories(host(relative).parent_path());
        std::ofstream(host(relative), std::ios::binary) << text;
    }
};

using FileSharing = DeviceFiles;
using FileReplacementSafety = DeviceFiles;
using PrivateModes = DeviceFiles;

using testing_support::Umask;

unsigned modeOf(const std::filesystem::path& path)
{
    struct stat info { };
    return ::lstat(path.c_str(), &info) == 0 ? unsigned(info.st_mode & 07777) : 0xffffu;
}

std::span<const std::byte> bytesOf(const std::string& text)
{
    return { reinterpret_cast<const std::byte*>(text.data()), text.size() };
}

std::string textOf(const std::vector<std::byte>& bytes)
{
    return { reinterpret_cast<const char*>(bytes.data()), bytes.size() };
}

} // namespace

TEST_F(DeviceFiles, DevicePathsMapOntoTheRoot)
{
    const auto mapped = hostPathOf(u"\\Application Data\\Orvane Tickwell Pro\\data\\settings.dat");
    ASSERT_TRUE(mapped);
    EXPECT_EQ(*mapped, m_device.root() / "Application Data" / "Orvane Tickwell Pro" / "data" / "settings.dat");
    EXPECT_EQ(hostPathOf(u"\\"), m_device.root());
    EXPECT_EQ(devicePathOf(*mapped), u"\\Application Data\\Orvane Tickwell Pro\\data\\settings.dat");
}

TEST_F(DeviceFiles, PathsThatWouldLeaveTheRootAreRefused)
{
    FileError why = FileError::None;
    EXPECT_FALSE(hostPathOf(u"\\Windows\\..\\..\\etc\\passwd", &why));
    EXPECT_EQ(why, FileError::OutsideRoot);
    EXPECT_FALSE(hostPathOf(u"relative\\path", &why));
    EXPECT_EQ(why, FileError::OutsideRoot);
    EXPECT_FALSE(hostPathOf(u"", &why));
    EXPECT_EQ(why, FileError::InvalidPath);

    std::filesystem::create_directories(host("Windows"));
    std::filesystem::create_symlink("/etc", host("Windows/escape"));
    EXPECT_FALSE(hostPathOf(u"\\Windows\\escape\\passwd", &why));
    EXPECT_EQ(why, FileError::OutsideRoot);
    EXPECT_FALSE(File::open(u"\\Windows\\escape\\passwd", Access::Read, Share::Read, Disposition::OpenExisting));
    // Executables of the device tree are links to host programs and may be resolved as such.
    EXPECT_TRUE(hostPathOf(u"\\Windows\\escape\\passwd", nullptr, Links::MayLeave));

    // The platform's own state is not a device file.
    EXPECT_FALSE(hostPathOf(u"\\.platform\\registry.db", &why));
    EXPECT_EQ(why, FileError::AccessDenied);
}

TEST_F(DeviceFiles, NamesMatchWithoutCaseWhenTheExactNameIsAbsent)
{
    writeHost("Program Files/Tickwell Pro/Skins/Blue.QSK", "skin");
    const auto found = readWholeFile(u"\\program files\\TICKWELL PRO\\skins\\blue.qsk", 100);
    ASSERT_TRUE(found);
    EXPECT_EQ(textOf(*found), "skin");
}

TEST_F(DeviceFiles, ListingFiltersByPatternWithoutCaseAndSortsByName)
{
    writeHost("plugins/zeta.qpg", "12345");
    writeHost("plugins/Alpha.QPG", "1");
    writeHost("plugins/other.vpg", "1");
    std::filesystem::create_directories(host("plugins/folder.qpg"));
    const auto entries = listFolder(u"\\plugins", u"*.qpg");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].name, u"Alpha.QPG");
    EXPECT_EQ((*entries)[1].name, u"folder.qpg");
    EXPECT_TRUE((*entries)[1].isFolder);
    EXPECT_EQ((*entries)[2].name, u"zeta.qpg");
    EXPECT_EQ((*entries)[2].size, 5u);

    FileError why = FileError::None;
    EXPECT_FALSE(listFolder(u"\\missing", u"*", &why));
    EXPECT_EQ(why, FileError::PathNotFound);
}

TEST_F(DeviceFiles, OpenDispositionsAndRecordWritesInPlace)
{
    FileError why = FileError::None;
    EXPECT_FALSE(File::open(u"\\data\\x.dat", Access::Read, Share::Read, Disposition::OpenExisting, &why));
    EXPECT_EQ(why, FileError::PathNotFound);
    ASSERT_TRUE(createFolder(u"\\data"));
    EXPECT_FALSE(File::open(u"\\data\\x.dat", Access::Read, Share::Read, Disposition::OpenExisting, &why));
    EXPECT_EQ(why, FileError::NotFound);

    ASSERT_TRUE(replaceFile(u"\\data\\x.dat", bytesOf("AAAABBBBCCCC")));
    EXPECT_FALSE(File::open(u"\\data\\x.dat", Access::Write, Share::None, Disposition::CreateNew, &why));
    EXPECT_EQ(why, FileError::AlreadyExists);
    {
        // Open existing, seek, write one record.
        auto file = File::open(u"\\data\\x.dat", Access::ReadWrite, Share::None, Disposition::OpenExisting);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->seek(4));
        ASSERT_TRUE(file->write("bbbb", 4));
        EXPECT_EQ(file->size(), 12u);
    }
    EXPECT_EQ(textOf(*readWholeFile(u"\\data\\x.dat", 100)), "AAAAbbbbCCCC");
    EXPECT_FALSE(readWholeFile(u"\\data\\x.dat", 11, &why)); // larger than the reader allows
    EXPECT_EQ(fileSize(u"\\data\\x.dat"), 12u);
    ASSERT_TRUE(deleteFile(u"\\data\\x.dat"));
    EXPECT_FALSE(fileExists(u"\\data\\x.dat"));
}

TEST_F(FileSharing, ExclusiveOpenFailsWhileAnotherProcessHasTheFile)
{
    ASSERT_TRUE(createFolder(u"\\data"));
    ChildProcess reader({ TKW_PLATFORM_PROBE, "hold-file", "\\data\\alarms.dat", "read" });
    ASSERT_EQ(reader.readLine(), "open");

    FileError why = FileError::None;
    EXPECT_FALSE(File::open(u"\\data\\alarms.dat", Access::ReadWrite, Share::None, Disposition::OpenExisting, &why));
    EXPECT_EQ(why, FileError::SharingViolation);
    EXPECT_FALSE(replaceFile(u"\\data\\alarms.dat", bytesOf("new"), &why));
    EXPECT_EQ(why, FileError::SharingViolation);
    EXPECT_FALSE(deleteFile(u"\\data\\alarms.dat", &why));
    EXPECT_EQ(why, FileError::SharingViolation);
    // Readers share.
    EXPECT_TRUE(File::open(u"\\data\\alarms.dat", Access::Read, Share::Read, Disposition::OpenExisting));

    reader.kill(SIGKILL);
    reader.wait();
    EXPECT_TRUE(File::open(u"\\data\\alarms.dat", Access::ReadWrite, Share::None, Disposition::OpenExisting));
}

TEST_F(FileSharing, SharedReadFailsWhileAnotherProcessHoldsTheFileExclusively)
{
    ChildProcess writer({ TKW_PLATFORM_PROBE, "hold-file", "\\timers.dat", "exclusive" });
    ASSERT_EQ(writer.readLine(), "open");
    FileError why = FileError::None;
    EXPECT_FALSE(File::open(u"\\timers.dat", Access::Read, Share::Read, Disposition::OpenExisting, &why));
    EXPECT_EQ(why, FileError::SharingViolation);

    // The suite's retry rule turns a short conflict into a success.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        writer.kill(SIGKILL);
    });
    int attempts = 0;
    const bool opened = retry(RetryPolicy { 10, 50 }, [&] {
        ++attempts;
        return File::open(u"\\timers.dat", Access::Read, Share::Read, Disposition::OpenExisting).has_value();
    });
    release.join();
    EXPECT_TRUE(opened);
    EXPECT_GT(attempts, 1);
}

TEST(RetryRule, GivesUpAfterTheLastOfItsMoreAttempts)
{
    int attempts = 0;
    EXPECT_FALSE(retry(RetryPolicy { 3, 1 }, [&] { return ++attempts < 0; }));
    EXPECT_EQ(attempts, 4);
}

TEST_F(FileReplacementSafety, UncommittedReplacementLeavesTheOldFileAndNoTrace)
{
    ASSERT_TRUE(replaceFile(u"\\settings.dat", bytesOf("old contents")));
    {
        auto replacement = FileReplacement::begin(u"\\settings.dat");
        ASSERT_TRUE(replacement);
        ASSERT_TRUE(replacement->write("new", 3));
    }
    EXPECT_EQ(textOf(*readWholeFile(u"\\settings.dat", 100)), "old contents");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_device.root()))
        ++entries;
    EXPECT_EQ(entries, 2u); // settings.dat and the platform's own folder
}

TEST_F(FileReplacementSafety, ProcessKilledAtRandomWhileReplacingNeverLeavesAShortFile)
{
    ASSERT_TRUE(replaceFile(u"\\stopwatch.dat", std::vector<std::byte>(4096, std::byte('a'))));
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    for (int round = 0; round < 60; ++round) {
        ChildProcess writer({ TKW_PLATFORM_PROBE, "replace-loop", "\\stopwatch.dat" });
        ASSERT_EQ(writer.readLine(), "replacing");
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        writer.kill(SIGKILL);
        writer.wait();

        const auto bytes = readWholeFile(u"\\stopwatch.dat", 1 << 20);
        ASSERT_TRUE(bytes) << "round " << round;
        const bool allA = bytes->size() == 4096
            && std::all_of(bytes->begin(), bytes->end(), [](std::byte b) { return b == std::byte('a'); });
        const bool allB = bytes->size() == 8192
            && std::all_of(bytes->begin(), bytes->end(), [](std::byte b) { return b == std::byte('b'); });
        ASSERT_TRUE(allA || allB) << "round " << round << ": " << bytes->size() << " bytes";
    }
    // The next replacement clears away what the killed writers left.
    ASSERT_TRUE(replaceFile(u"\\stopwatch.dat", std::vector<std::byte>(16, std::byte('c'))));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_device.root()))
        ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST_F(PrivateModes, FoldersAndFilesTheSuiteCreatesAreTheUsersAloneWhateverTheUmask)
{
    for (const mode_t mask : { mode_t(0), mode_t(022), mode_t(0277) }) {
        SCOPED_TRACE(mask);
        const Umask umask(mask);
        ASSERT_TRUE(createFolder(u"\\Program Files\\Suite\\data"));
        for (const char* folder : { "Program Files", "Program Files/Suite", "Program Files/Suite/data" })
            EXPECT_EQ(modeOf(host(folder)), 0700u) << folder;

        auto opened = File::open(u"\\Program Files\\Suite\\data\\log.txt", Access::Write, Share::None,
            Disposition::OpenAlways);
        ASSERT_TRUE(opened);
        EXPECT_EQ(modeOf(host("Program Files/Suite/data/log.txt")), 0600u);
        ASSERT_TRUE(replaceFile(u"\\Program Files\\Suite\\data\\settings.dat", bytesOf("new")));
        EXPECT_EQ(modeOf(host("Program Files/Suite/data/settings.dat")), 0600u);
        opened.reset();
        std::filesystem::remove_all(host("Program Files"));
    }
}

TEST_F(PrivateModes, AReplacedFileBecomesPrivateButAnOpenedOneKeepsItsMode)
{
    writeHost("Windows/shared.wav", "RIFF");
    writeHost("Windows/Alarm1.wav", "RIFF");
    std::filesystem::permissions(host("Windows/shared.wav"), std::filesystem::perms(0644));
    std::filesystem::permissions(host("Windows/Alarm1.wav"), std::filesystem::perms(0644));

    // A file put into the device from outside is the user's business...
    ASSERT_TRUE(File::open(u"\\Windows\\shared.wav", Access::ReadWrite, Share::None, Disposition::OpenAlways));
    EXPECT_EQ(modeOf(host("Windows/shared.wav")), 0644u);
    // ...until the suite writes it anew.
    ASSERT_TRUE(replaceFile(u"\\Windows\\Alarm1.wav", bytesOf("RIFF2")));
    EXPECT_EQ(modeOf(host("Windows/Alarm1.wav")), 0600u);
}

TEST_F(PrivateModes, ANewDeviceRootAndItsDatabasesArePrivate)
{
    const Umask umask(0);
    const auto fresh = m_device.root() / "home" / "device";
    platform::useDeviceRoot(fresh);
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::CurrentUser, u"Software\\Test", u"Value", 1));
    EXPECT_EQ(modeOf(m_device.root() / "home"), 0700u);
    EXPECT_EQ(modeOf(fresh), 0700u);
    EXPECT_EQ(modeOf(fresh / kPlatformStateFolder), 0700u);
    EXPECT_EQ(modeOf(fresh / kPlatformStateFolder / "registry.db"), 0600u);
    EXPECT_EQ(modeOf(fresh / kPlatformStateFolder / "registry.db-wal"), 0600u);
    const auto runtime = platform::runtimeDirectory();
    platform::useDeviceRoot(m_device.root());
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
}

TEST(DeviceRoot, AProgramWithoutHomeOrADeviceSaysHowToChooseOneAndEnds)
{
    testing_support::EnvironmentGuard home("HOME", nullptr);
    testing_support::EnvironmentGuard device("TICKWELL_DEVICE", nullptr);
    testing_support::EnvironmentGuard data("XDG_DATA_HOME", nullptr);
    const auto result = testing_support::runCommand(
        { "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", TKW_PLATFORM_PROBE, "set", "Probe_Event" });
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_EQ(result.output.rfind("platform_probe: no device root", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("set TICKWELL_DEVICE"), std::string::npos) << result.output;
}

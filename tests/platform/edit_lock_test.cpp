#include "platform/edit_lock.h"

#include "tests/support/device_fixture.h"

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

using namespace std::chrono_literals;
using platform::EditLock;
using platform::EditLockError;

namespace {

using EditLocks = testing_support::DeviceTest;

constexpr std::u16string_view kFile = u"\\Application Data\\Orvane Tickwell Pro\\data\\alarms.dat";

TEST_F(EditLocks, OneEditAtATimeWhileTheHolderMayNestItsOwnSteps)
{
    std::optional<EditLock> outer = EditLock::acquire(kFile, 100ms);
    ASSERT_TRUE(outer);
    // The missing folder was made for the lock file, private to the user.
    const auto folder = m_device.root() / "Application Data" / "Orvane Tickwell Pro" / "data";
    struct stat info { };
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::exists(folder / ".alarms.dat.lock"));

    // The same thread nests at no cost; the edit lasts until the outermost lets go.
    std::optional<EditLock> inner = EditLock::acquire(kFile, 0ms);
    ASSERT_TRUE(inner);
    inner.reset();

    // Another thread (like another process) waits, and gives up when the wait is over.
    EditLockError why = EditLockError::None;
    std::thread other([&] {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(EditLock::acquire(kFile, 150ms, &why));
        EXPECT_GE(std::chrono::steady_clock::now() - started, 150ms);
    });
    other.join();
    EXPECT_EQ(why, EditLockError::Busy);

    // Once the holder is done, the waiting one gets it.
    std::thread later([&] {
        const auto edit = EditLock::acquire(kFile, 5s);
        EXPECT_TRUE(edit);
    });
    std::this_thread::sleep_for(50ms);
    outer.reset();
    later.join();

    // Other files are edited independently.
    const auto first = EditLock::acquire(kFile, 0ms);
    std::thread elsewhere([] {
        EXPECT_TRUE(EditLock::acquire(u"\\Application Data\\Orvane Tickwell Pro\\data\\timers.dat", 0ms));
    });
    elsewhere.join();
}

TEST_F(EditLocks, APathOutsideTheDeviceCannotBeLocked)
{
    EditLockError why = EditLockError::None;
    EXPECT_FALSE(EditLock::acquire(u"\\..\\outside.dat", 0ms, &why));
    EXPECT_EQ(why, EditLockError::Unavailable);
}

} // namespace

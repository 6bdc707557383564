#include "platform/registry.h"

#include "platform/events.h"
#include "platform/text.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <cstring>
#include <thread>

using namespace platform;
using testing_support::ChildProcess;

namespace {

using Registry = testing_support::DeviceTest;
using RegistryAcrossProcesses = testing_support::DeviceTest;

class Key {
public:
    Key(HKEY root, const char16_t* path)
    {
        m_result = RegCreateKeyExW(root, path, 0, nullptr, 0, 0, nullptr, &m_key, &m_disposition);
    }
    ~Key()
    {
        if (m_result == ERROR_SUCCESS)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_key; }
    LONG result() const { return m_result; }
    DWORD disposition() const { return m_disposition; }

private:
    HKEY m_key = nullptr;
    LONG m_result;
    DWORD m_disposition = 0;
};

std::u16string numbered(const char* prefix, int i) { return toUtf16(prefix + std::to_string(i)); }

} // namespace

TEST_F(Registry, CreateMakesEveryKeyOnTheWayAndReportsWhetherItExisted)
{
    Key first(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvane\\Tickwell Pro");
    ASSERT_EQ(first.result(), ERROR_SUCCESS);
    EXPECT_EQ(first.disposition(), REG_CREATED_NEW_KEY);
    Key again(HKEY_LOCAL_MACHINE, u"software\\orvane\\TICKWELL PRO\\");
    EXPECT_EQ(again.disposition(), REG_OPENED_EXISTING_KEY);

    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Orvane", 0, 0, &parent), ERROR_SUCCESS);
    WCHAR name[64];
    DWORD length = 64;
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, length), u"Tickwell Pro");
    length = 64;
    EXPECT_EQ(RegEnumKeyExW(parent, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    RegCloseKey(parent);

    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Orvane", 0, 0, &missing), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, ValuesKeepTheirTypeAndBytes)
{
    Key key(HKEY_CURRENT_USER, u"ControlPanel\\Volume");
    const DWORD volume = 0xfffffffe;
    ASSERT_EQ(RegSetValueExW(key.get(), u"Volume", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&volume), 4), ERROR_SUCCESS);
    const char16_t text[] = u"Alarm1.wav";
    ASSERT_EQ(RegSetValueExW(key.get(), u"Sound", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
    const char16_t multi[] = u"a\0bc\0";
    ASSERT_EQ(RegSetValueExW(key.get(), u"List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);

    DWORD type = 0, read = 0, size = 4;
    ASSERT_EQ(RegQueryValueExW(key.get(), u"volume", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(read, volume);

    // Asking for the size first, then a buffer too small, then one that fits.
    size = 0;
    ASSERT_EQ(RegQueryValueExW(key.get(), u"Sound", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof text);
    BYTE small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(key.get(), u"Sound", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(readRegistryString(RegistryRoot::CurrentUser, u"ControlPanel\\Volume", u"Sound"), u"Alarm1.wav");

    const auto list = readRegistryValue(RegistryRoot::CurrentUser, u"ControlPanel\\Volume", u"List");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->type, REG_MULTI_SZ);
    EXPECT_EQ(list->data.size(), sizeof multi);
    EXPECT_EQ(std::memcmp(list->data.data(), multi, sizeof multi), 0);
    const auto empty = readRegistryValue(RegistryRoot::CurrentUser, u"ControlPanel\\Volume", u"Empty");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->data.empty());

    // A DWORD must be four bytes.
    EXPECT_EQ(RegSetValueExW(key.get(), u"Bad", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&volume), 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(key.get(), u"Absent", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeletingAKeyTakesItsSubkeysAndValuesButNotItsNeighbours)
{
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::LocalMachine, u"A\\B\\C", u"x", 1));
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::LocalMachine, u"A\\B", u"y", 2));
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::LocalMachine, u"A\\BB", u"z", 3));
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"a\\b"), ERROR_SUCCESS);
    EXPECT_FALSE(readRegistryDword(RegistryRoot::LocalMachine, u"A\\B\\C", u"x"));
    EXPECT_FALSE(readRegistryDword(RegistryRoot::LocalMachine, u"A\\B", u"y"));
    EXPECT_EQ(readRegistryDword(RegistryRoot::LocalMachine, u"A\\BB", u"z"), 3u);
    EXPECT_EQ(listRegistrySubkeys(RegistryRoot::LocalMachine, u"A"), std::vector<std::u16string> { u"BB" });
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"A\\B"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, WritingThroughAKeyDeletedMeanwhileFails)
{
    Key key(HKEY_CURRENT_USER, u"Gone");
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Gone"), ERROR_SUCCESS);
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(key.get(), u"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(std::uintptr_t(0x12345))), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryAcrossProcesses, TwoWritersLoseNoValue)
{
    constexpr int kEach = 150;
    ChildProcess first({ TKW_PLATFORM_PROBE, "registry-write", "Stress", "first", std::to_string(kEach) });
    ChildProcess second({ TKW_PLATFORM_PROBE, "registry-write", "Stress", "second", std::to_string(kEach) });
    // This process writes too, into the same key.
    for (int i = 0; i < kEach; ++i)
        ASSERT_TRUE(writeRegistryDword(RegistryRoot::CurrentUser, u"Stress", numbered("mine", i), DWORD(i)));
    EXPECT_EQ(first.wait(std::chrono::seconds(60)), 0);
    EXPECT_EQ(second.wait(std::chrono::seconds(60)), 0);

    const auto values = listRegistryValues(RegistryRoot::CurrentUser, u"Stress");
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size(), std::size_t(3 * kEach));
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(readRegistryDword(RegistryRoot::CurrentUser, u"Stress", numbered("first", i)), DWORD(i));
        EXPECT_EQ(readRegistryDword(RegistryRoot::CurrentUser, u"Stress", numbered("second", i)), DWORD(i));
    }
}

TEST_F(RegistryAcrossProcesses, WatcherInAnotherProcessWakesWhenTheValueChanges)
{
    ChildProcess watcher({ TKW_PLATFORM_PROBE, "watch-value", "System\\State\\Phone", "Status", "10000" });
    ASSERT_EQ(watcher.readLine(), "watching");
    // Writing another value of the same key wakes nobody.
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::CurrentUser, u"System\\State\\Phone", u"Other", 1));
    EXPECT_EQ(watcher.readLine(std::chrono::milliseconds(100)), std::nullopt);
    ASSERT_TRUE(writeRegistryDword(RegistryRoot::CurrentUser, u"SYSTEM\\State\\Phone", u"status", 0x20000));
    EXPECT_EQ(watcher.readLine(), "changed");
    EXPECT_EQ(watcher.wait(), 0);
}

#include "store/plugin_settings.h"

#include "platform/device_profile.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/signals.h"
#include "tests/store/store_fixture.h"
#include "tests/support/child_process.h"

#include "platform/events.h"
#include "platform/handle.h"

#include <cstring>

using namespace store;

namespace {

using PluginFile = testing_support::StoreTest;
using ScreenSaverList = testing_support::StoreTest;
using SharedSignals = testing_support::StoreTest;

std::vector<char> bytesOf(const PluginSettings& settings)
{
    const auto* p = reinterpret_cast<const char*>(&settings);
    return std::vector<char>(p, p + sizeof settings);
}

void setProfile(const char16_t* name, DWORD value)
{
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey, name, value));
}

} // namespace

TEST_F(PluginFile, DefaultsMatchTheDocumentedImageAndFollowTheScreenAndTheModel)
{
    PluginSettings settings;
    std::memset(&settings, 0xcc, sizeof settings);
    defaultPluginSettings(settings);
    EXPECT_EQ(bytesOf(settings), fixture("plg_default_240x320.dat"));
    EXPECT_TRUE(validatePluginSettings(settings));

    setProfile(platform::kScreenWidthValue, 480);
    setProfile(platform::kScreenHeightValue, 640);
    ASSERT_TRUE(platform::writeRegistryString(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kOemInfoValue, u"Palm Treo 800w"));
    defaultPluginSettings(settings);
    EXPECT_EQ(settings.shortcutCount, 5);
    EXPECT_EQ(settings.shortcutShown[7], 1);
    EXPECT_EQ(settings.lockKind, 0);

    // Landscape counts by the larger side; other models keep the full-screen locker.
    setProfile(platform::kScreenWidthValue, 640);
    setProfile(platform::kScreenHeightValue, 480);
    ASSERT_TRUE(platform::writeRegistryString(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kOemInfoValue, u"Palm Treo 800wx"));
    defaultPluginSettings(settings);
    EXPECT_EQ(settings.shortcutCount, 5);
    EXPECT_EQ(settings.lockKind, 1);
}

TEST_F(PluginFile, EveryRuleOfValidationRejects)
{
    PluginSettings good;
    defaultPluginSettings(good);
    const auto rejects = [&](auto&& spoil) {
        PluginSettings s = good;
        spoil(s);
        return !validatePluginSettings(s);
    };
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.formatMarker = 1; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.clockKind = 4; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.showDate = 2; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.shortcutCount = 14; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.shortcutOrder[5] = 13; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.shortcutOrder[12] = s.shortcutOrder[0]; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.shortcutShown[12] = 2; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.showLockIcon = 2; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.lockWithScreenSaver = 2; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.lockKind = 2; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.screenSaverMode = 3; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.screenSaverTimeout = 11; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { s.actOnTouch = 2; }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { std::fill(std::begin(s.lockSkin), std::end(s.lockSkin), u'a'); }));
    EXPECT_TRUE(rejects([](PluginSettings& s) { std::fill(std::begin(s.datePicture), std::end(s.datePicture), u'd'); }));
    // The edges themselves are fine: 63 characters and a zero; the last values of each range.
    EXPECT_FALSE(rejects([](PluginSettings& s) {
        std::fill(s.todaySkin, s.todaySkin + 63, u'a');
        s.clockKind = 3;
        s.shortcutCount = 13;
        s.screenSaverMode = 2;
        s.screenSaverTimeout = 10;
    }));
}

TEST_F(PluginFile, InvalidFileIsReplacedByTheDefaultsAndAValidOneIsKept)
{
    PluginSettings settings;
    defaultPluginSettings(settings);
    settings.shortcutOrder[1] = 0; // a view listed twice
    writeDataFile(kPluginSettingsFile, &settings, sizeof settings);
    PluginSettings loaded { };
    EXPECT_EQ(loadPluginSettings(loaded), PluginSettingsLoad::Defaulted);
    EXPECT_EQ(readDataFile(kPluginSettingsFile), fixture("plg_default_240x320.dat"));

    defaultPluginSettings(settings);
    settings.screenSaverMode = 2;
    std::u16string picture = u"dddd, MMMM dd, yyyy";
    std::copy(picture.begin(), picture.end(), settings.datePicture);
    ASSERT_TRUE(savePluginSettings(settings));
    EXPECT_EQ(loadPluginSettings(loaded), PluginSettingsLoad::Loaded);
    EXPECT_EQ(bytesOf(loaded), bytesOf(settings));
}

TEST_F(PluginFile, ShortFileKeepsTheRestOfTheRecordAsItWas)
{
    PluginSettings before;
    defaultPluginSettings(before);
    before.screenSaverMode = 1;
    PluginSettings head = before;
    head.clockKind = 3;
    writeDataFile(kPluginSettingsFile, &head, 10); // only the first ten bytes
    PluginSettings loaded = before;
    EXPECT_EQ(loadPluginSettings(loaded), PluginSettingsLoad::Loaded);
    EXPECT_EQ(loaded.clockKind, 3);
    EXPECT_EQ(loaded.screenSaverMode, 1);
}

TEST_F(PluginFile, SavingMakesTheDataDirectoryWhenItIsMissing)
{
    std::filesystem::remove_all(*platform::hostPathOf(kDataDirectory));
    PluginSettings settings;
    defaultPluginSettings(settings);
    EXPECT_TRUE(savePluginSettings(settings));
    EXPECT_EQ(readDataFile(kPluginSettingsFile).size(), sizeof settings);
}

TEST_F(ScreenSaverList, RowsAreWrittenLastFirstAndReadInFileOrder)
{
    ASSERT_TRUE(saveScreenSaverList({ u"A.exe", u"B.exe", u"Cé.exe" }));
    EXPECT_EQ(readDataFile(kScreenSaverListFile), [] {
        const std::u16string text(u"Cé.exe\0B.exe\0A.exe\0", 19);
        const auto* p = reinterpret_cast<const char*>(text.data());
        return std::vector<char>(p, p + text.size() * 2);
    }());
    EXPECT_EQ(loadScreenSaverList(), (std::vector<std::u16string> { u"Cé.exe", u"B.exe", u"A.exe" }));
}

TEST_F(ScreenSaverList, EmptyStringsAnOddByteAndAMissingTerminatorAreHandled)
{
    const std::u16string text(u"\0one\0\0two", 9);
    std::vector<char> bytes(reinterpret_cast<const char*>(text.data()), reinterpret_cast<const char*>(text.data()) + 18);
    bytes.push_back('x');
    writeDataFile(kScreenSaverListFile, bytes.data(), bytes.size());
    EXPECT_EQ(loadScreenSaverList(), (std::vector<std::u16string> { u"one", u"two" }));
    std::filesystem::remove(hostDataFile(kScreenSaverListFile));
    EXPECT_TRUE(loadScreenSaverList().empty());
}

TEST_F(SharedSignals, ChangedEventIsSeenOnceAndTheLockFlagOnlyInLockModes)
{
    const auto& events = CreateSharedEvents();
    EXPECT_EQ(events.screenSaverRunning, nullptr);
    EXPECT_FALSE(TestAndReset(events.alarmsChangedForMainProgram));
    // Another program (the runner) rewrote alarms.dat.
    ASSERT_EQ(testing_support::runCommand({ TKW_TKWCTL, "signal", "set", "Tkw_NeedUpdateAlarmSettingsOnMainApp" }).exitCode, 0);
    EXPECT_TRUE(TestAndReset(events.alarmsChangedForMainProgram));
    EXPECT_FALSE(TestAndReset(events.alarmsChangedForMainProgram));

    CreateSharedEvents(LockMode::Yes);
    EXPECT_EQ(testing_support::runCommand({ TKW_TKWCTL, "signal", "test", "Tkw_ScreenSaverRunning" }).output, "set\n");
}

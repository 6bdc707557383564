#include "store/settings.h"

#include "platform/notifications.h"
#include "platform/registry.h"
#include "platform/files.h"
#include "store/data_files.h"
#include "store/language.h"
#include "tests/store/store_fixture.h"
#include "tests/support/child_process.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace store;
using testing_support::ChildProcess;

namespace {

using SettingsFile = testing_support::StoreTest;

std::vector<char> bytesOf(const SettingsRecord& record)
{
    const auto* p = reinterpret_cast<const char*>(&record);
    return std::vector<char>(p, p + sizeof record);
}

} // namespace

TEST_F(SettingsFile, DefaultRecordMatchesTheDocumentedImageByteForByte)
{
    SettingsRecord record;
    std::memset(&record, 0xcc, sizeof record); // every byte must be set, reserved ones to zero
    DefaultSettings(record, kEnglish);
    EXPECT_EQ(bytesOf(record), fixture("settings_default_en.dat"));
}

TEST_F(SettingsFile, LanguageChoosesTheWorldAndVisitingCities)
{
    SettingsRecord record;
    DefaultSettings(record, kGerman);
    EXPECT_EQ(record.worldCity, (CityRef { 3, 8 }));
    EXPECT_EQ(record.homeCity, (CityRef { 3, 8 }));
    EXPECT_EQ(record.visitingCity, (CityRef { 3, 35 }));
    EXPECT_EQ(record.cityChooserB, record.worldCity);
    resetCitiesForLanguage(record, kItalian);
    EXPECT_EQ(record.worldCity, (CityRef { 3, 62 }));
    EXPECT_EQ(record.visitingCity, (CityRef { 4, 97 }));
    resetCitiesForLanguage(record, kSpanish); // no cities of its own
    EXPECT_EQ(record.worldCity, (CityRef { 4, 97 }));
}

TEST_F(SettingsFile, LanguageChoosesTheDigitalClocksDateFormatStoredAtByte379)
{
    const std::pair<DWORD, DateFormat> expected[] = {
        { kEnglish, DateFormat::MonthFirst },
        { kGerman, DateFormat::DayFirst },
        { kSpanish, DateFormat::DayFirst },
        { kFrench, DateFormat::DayFirst },
        { kItalian, DateFormat::DayFirst },
        { kRussian, DateFormat::DayFirst },
        { 9, DateFormat::MonthFirst }, // no language of the suite: as English
    };
    for (const auto& [language, format] : expected) {
        EXPECT_EQ(defaultDateFormat(language), format) << language;
        SettingsRecord record;
        DefaultSettings(record, language);
        EXPECT_EQ(record.dateFormat, std::uint8_t(format)) << language;
    }
    // The choice is the byte between the chime interval and the week rule of the file.
    SettingsRecord record;
    DefaultSettings(record, kGerman);
    record.dateFormat = std::uint8_t(DateFormat::LocaleLong);
    ASSERT_TRUE(SaveSettings(record));
    const auto bytes = readDataFile(kSettingsFile);
    ASSERT_EQ(bytes.size(), kSettingsSize);
    EXPECT_EQ(bytes[378], 5); // chimeInterval
    EXPECT_EQ(bytes[379], 2);
    EXPECT_EQ(bytes[380], 0); // weekNumbering
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(settings().dateFormat, std::uint8_t(DateFormat::LocaleLong));
}

TEST_F(SettingsFile, MissingFileGivesDefaultsWrittenBackAndReportsItMissing)
{
    setCurrentLanguage(kEnglish);
    // A German device: the language is read only once settings.dat exists, so the first
    // run keeps the English cities.
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue, kGerman));
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(settings().worldCity, (CityRef { 4, 97 }));
    EXPECT_EQ(readDataFile(kSettingsFile), fixture("settings_default_en.dat"));
    // Shared initialisation registered the runner for time changes and noted the folder.
    const auto applications = platform::timeChangeApplications();
    ASSERT_TRUE(applications);
    ASSERT_EQ(applications->size(), 1u);
    EXPECT_EQ(applications->front(), kRunnerPath);
    EXPECT_FALSE(ReadInstallFolder(InstallFolderReader::TodayPlugin).empty());
}

TEST_F(SettingsFile, FileOfTheWrongSizeIsReplacedByDefaultsButCountsAsExisting)
{
    for (const std::size_t size : { kSettingsSize - 1, kSettingsSize + 1 }) {
        std::vector<char> damaged(size, 0x11);
        writeDataFile(kSettingsFile, damaged.data(), damaged.size());
        EXPECT_TRUE(LoadSettings()) << size;
        EXPECT_EQ(readDataFile(kSettingsFile), fixture("settings_default_en.dat")) << size;
    }
}

TEST_F(SettingsFile, ADamagedFileIsKeptBesideTheDefaultsAndLogged)
{
    std::vector<char> damaged(kSettingsSize - 1, 0x22);
    writeDataFile(kSettingsFile, damaged.data(), damaged.size());
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(lastSettingsLoad(), SettingsLoad::Damaged);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(*platform::hostPathOf(kDataDirectory))) {
        if (entry.path().filename().string().starts_with("settings.dat.damaged-"))
            kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(kept[0]), damaged.size());
    const auto log = platform::readWholeFile(kLogPath, 1 << 16);
    ASSERT_TRUE(log);
    std::u16string text(log->size() / 2, u'\0');
    std::memcpy(text.data(), log->data(), text.size() * 2);
    EXPECT_NE(text.find(u"settings.dat had the wrong size"), std::u16string::npos);
}

TEST_F(SettingsFile, AFileHeldByAnotherProgramIsNeverTakenForAMissingOne)
{
    SettingsRecord record;
    DefaultSettings(record, kGerman);
    record.chime = 1;
    ASSERT_TRUE(SaveSettings(record));
    ChildProcess holder({ TKW_PLATFORM_PROBE, "hold-file", "\\Application Data\\Orvane Tickwell Pro\\data\\settings.dat",
        "exclusive" });
    ASSERT_EQ(holder.readLine(), "open");
    // Held throughout: this run goes on with the defaults but writes none of them.
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(lastSettingsLoad(), SettingsLoad::Busy);
    EXPECT_FALSE(SaveSettings());
    holder.kill(SIGKILL);
    (void)holder.wait();
    EXPECT_EQ(readDataFile(kSettingsFile), bytesOf(record));
    // Let go during the retries: the file is read.
    ChildProcess brief({ TKW_PLATFORM_PROBE, "hold-file", "\\Application Data\\Orvane Tickwell Pro\\data\\settings.dat",
        "exclusive" });
    ASSERT_EQ(brief.readLine(), "open");
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        brief.kill(SIGKILL);
    });
    EXPECT_TRUE(LoadSettings());
    release.join();
    EXPECT_EQ(lastSettingsLoad(), SettingsLoad::Loaded);
    EXPECT_EQ(settings().chime, 1);
}

TEST_F(SettingsFile, TheMainProgramsSaveKeepsWhatAnotherProgramChangedMeanwhile)
{
    SettingsRecord record;
    DefaultSettings(record, kEnglish);
    ASSERT_TRUE(SaveSettings(record));
    ASSERT_TRUE(LoadSettings());
    // Another program (tkwctl, the Today item) changes two fields while this one runs...
    SettingsRecord theirs = record;
    theirs.chime = 1;
    theirs.worldCity = CityRef { 5, 3 };
    ASSERT_TRUE(SaveSettings(theirs));
    // ...and this one changes others, and one of the same.
    settings().alarmVolume = 2;
    settings().worldCity = CityRef { 2, 26 };
    const std::u16string skin = u"Graphite";
    std::copy(skin.begin(), skin.end(), settings().skinName);
    ASSERT_TRUE(SaveSettings());

    SettingsRecord expected = record;
    expected.chime = 1;
    expected.alarmVolume = 2;
    expected.worldCity = CityRef { 2, 26 }; // the same field: this save's own value wins
    std::copy(skin.begin(), skin.end(), expected.skinName);
    EXPECT_EQ(readDataFile(kSettingsFile), bytesOf(expected));
    EXPECT_EQ(bytesOf(settings()), bytesOf(expected));
}

TEST_F(SettingsFile, WatcherStartedModesLeaveADamagedFileAsItIs)
{
    std::vector<char> damaged(10, 0x11);
    writeDataFile(kSettingsFile, damaged.data(), damaged.size());
    EXPECT_TRUE(LoadSettings(StartMode::StartedByWatcher));
    EXPECT_EQ(settings().alarmVolume, 1u); // defaults in memory
    EXPECT_EQ(readDataFile(kSettingsFile), damaged);
}

TEST_F(SettingsFile, SavedRecordLoadsBackUnchanged)
{
    SettingsRecord record;
    DefaultSettings(record, kFrench);
    record.chime = 1;
    record.stopwatchStart = fileTimeOf(0x0123456789abcdefull);
    std::u16string skin = u"Noir étoilé";
    std::copy(skin.begin(), skin.end(), record.skinName);
    ASSERT_TRUE(SaveSettings(record));
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(bytesOf(settings()), bytesOf(record));
}

TEST_F(SettingsFile, SaveRetriesWhileAnotherProgramHoldsTheFile)
{
    SettingsRecord record;
    DefaultSettings(record, kEnglish);
    ASSERT_TRUE(SaveSettings(record));
    ChildProcess holder({ TKW_PLATFORM_PROBE, "hold-file", "\\Application Data\\Orvane Tickwell Pro\\data\\settings.dat",
        "read" });
    ASSERT_EQ(holder.readLine(), "open");
    record.chime = 1;
    // Held for good: the retries give up.
    EXPECT_FALSE(SaveSettings(record, platform::RetryPolicy { 2, 10 }));
    // Let go after a while: a later attempt succeeds.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        holder.kill(SIGKILL);
    });
    EXPECT_TRUE(SaveSettings(record));
    release.join();
    EXPECT_EQ(readDataFile(kSettingsFile)[offsetof(SettingsRecord, chime)], 1);
}

TEST_F(SettingsFile, RunnerTakesTheAlertSwitchesOrGoesOnWithAllOff)
{
    const auto missing = ReadAlertSettings(platform::RetryPolicy { 1, 10 });
    EXPECT_FALSE(missing.read);
    EXPECT_FALSE(missing.vibrate);
    EXPECT_FALSE(missing.flashLight);

    SettingsRecord record;
    DefaultSettings(record, kEnglish);
    record.alarmVolume = 0x0302; // the runner reads the low byte
    record.vibrate = 1;
    record.flashLight = 1;
    record.vibrateDeviceId = 3;
    ASSERT_TRUE(SaveSettings(record));
    const auto alert = ReadAlertSettings();
    EXPECT_TRUE(alert.read);
    EXPECT_EQ(alert.alarmVolume, 2);
    EXPECT_TRUE(alert.vibrate);
    EXPECT_TRUE(alert.flashLight);
    EXPECT_EQ(alert.vibrateDeviceId, 3u);
}

TEST_F(SettingsFile, TodayPluginNeedsAWholeRecordAndNeverCreatesTheFile)
{
    SettingsRecord record { };
    EXPECT_FALSE(writeTodaySettings(record));
    EXPECT_TRUE(readDataFile(kSettingsFile).empty());

    std::vector<char> shortFile(kSettingsSize - 1, 0x22);
    writeDataFile(kSettingsFile, shortFile.data(), shortFile.size());
    EXPECT_FALSE(readTodaySettings(record));
    EXPECT_EQ(record.cityListA[0], (CityRef { 4, 97 }));
    EXPECT_EQ(record.cityListA[3], (CityRef { 1, 129 }));
    EXPECT_EQ(record.cityListA[4], (CityRef { 0, 0 }));
    EXPECT_EQ(record.alarmVolume, 0u);

    // Writing over an existing file leaves exactly one record.
    DefaultSettings(record, kEnglish);
    ASSERT_TRUE(writeTodaySettings(record));
    SettingsRecord back;
    EXPECT_TRUE(readTodaySettings(back));
    EXPECT_EQ(bytesOf(back), bytesOf(record));
}

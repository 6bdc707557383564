#include "store/data_files.h"

#include "platform/registry.h"
#include "store/language.h"
#include "store/sound_path.h"
#include "tests/store/store_fixture.h"

#include <cstring>
#include <thread>

using namespace store;

namespace {

using InstallFolder = testing_support::StoreTest;
using LanguageFile = testing_support::StoreTest;
using DiagnosticLog = testing_support::StoreTest;

constexpr platform::RetryPolicy kQuick { 1, 1 };

std::vector<char> utf16Bytes(std::u16string_view text)
{
    const auto* p = reinterpret_cast<const char*>(text.data());
    return std::vector<char>(p, p + text.size() * 2);
}

} // namespace

TEST(DataFilePaths, FoldersAreCutAfterTheLastBackslash)
{
    EXPECT_EQ(DataFilePath(u"alarmsnd3.dat"), u"\\Application Data\\Orvane Tickwell Pro\\data\\alarmsnd3.dat");
    EXPECT_EQ(folderOfModulePath(u"\\Program Files\\Tickwell Pro\\Tickwell Pro.exe"), u"\\Program Files\\Tickwell Pro\\");
    EXPECT_EQ(folderOfModulePath(u"Tickwell Pro.exe"), u"\\");
    const std::u16string deep = u"\\" + std::u16string(300, u'x') + u"\\a.exe";
    EXPECT_EQ(folderOfModulePath(deep).size(), 260u);
}

TEST_F(InstallFolder, PathFileHoldsTheFolderAndTwoZerosAndIsLeftAloneWhenItMatches)
{
    storeInstallFolder(u"\\Program Files\\Tickwell Pro\\");
    auto expected = utf16Bytes(u"\\Program Files\\Tickwell Pro\\");
    expected.insert(expected.end(), 4, 0);
    EXPECT_EQ(readDataFile(kPathFile), expected);

    const auto written = std::filesystem::last_write_time(hostDataFile(kPathFile));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    storeInstallFolder(u"\\Program Files\\Tickwell Pro\\");
    EXPECT_EQ(std::filesystem::last_write_time(hostDataFile(kPathFile)), written);

    // A move is noted: case counts.
    storeInstallFolder(u"\\Storage Card\\tickwell pro\\");
    EXPECT_EQ(ReadInstallFolder(InstallFolderReader::TodayPlugin), u"\\Storage Card\\tickwell pro\\");
}

TEST_F(InstallFolder, RegistryCopyStandsInForAMissingPathFileExceptForTheTodayPlugin)
{
    storeInstallFolder(u"\\Program Files\\Tickwell Pro\\");
    const auto copy = platform::readRegistryValue(platform::RegistryRoot::CurrentUser, kInstallCopyKey, kInstallCopyValue);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->type, 7u);
    ASSERT_EQ(copy->data.size(), 520u);
    EXPECT_EQ(std::memcmp(copy->data.data(), u"\\Program Files\\Tickwell Pro\\", 28 * 2), 0);
    EXPECT_TRUE(std::all_of(copy->data.begin() + 56, copy->data.end(), [](BYTE b) { return b == 0; }));

    std::filesystem::remove(hostDataFile(kPathFile));
    EXPECT_EQ(ReadInstallFolder(InstallFolderReader::Runner, kQuick), u"\\Program Files\\Tickwell Pro\\");
    EXPECT_EQ(ReadInstallFolder(InstallFolderReader::TodayPlugin), u"");
    // An empty path.dat counts as missing.
    writeDataFile(kPathFile, "", 0);
    EXPECT_EQ(ReadInstallFolder(InstallFolderReader::Watcher, kQuick), u"\\Program Files\\Tickwell Pro\\");
}

TEST_F(LanguageFile, MissingEverywhereMeansEnglishAndNoFileIsMade)
{
    EXPECT_FALSE(ReadLanguage(LanguageReader::MainProgram, kQuick));
    EXPECT_EQ(currentLanguage(), kEnglish);
    EXPECT_FALSE(ReadLanguage(LanguageReader::Runner, kQuick));
    EXPECT_TRUE(readDataFile(kLanguageFile).empty());
    EXPECT_FALSE(std::filesystem::exists(hostDataFile(kLanguageFile)));
}

TEST_F(LanguageFile, RegistryValueBecomesTheFileUnlessTheMainProgramCannotUseIt)
{
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue, kFrench));
    EXPECT_TRUE(ReadLanguage(LanguageReader::MainProgram, kQuick));
    EXPECT_EQ(currentLanguage(), kFrench);
    const DWORD french = kFrench;
    EXPECT_EQ(readDataFile(kLanguageFile), std::vector<char>(reinterpret_cast<const char*>(&french),
                                               reinterpret_cast<const char*>(&french) + 4));

    std::filesystem::remove(hostDataFile(kLanguageFile));
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue, kSpanish));
    EXPECT_FALSE(ReadLanguage(LanguageReader::MainProgram, kQuick));
    EXPECT_EQ(currentLanguage(), kEnglish);
    EXPECT_FALSE(std::filesystem::exists(hostDataFile(kLanguageFile)));
    EXPECT_TRUE(ReadLanguage(LanguageReader::Runner, kQuick));
    EXPECT_EQ(currentLanguage(), kSpanish);
}

TEST_F(LanguageFile, SpanishFileIsEnglishForTheMainProgramAndSpanishForTheOthers)
{
    const DWORD spanish = kSpanish;
    writeDataFile(kLanguageFile, &spanish, 4);
    EXPECT_FALSE(ReadLanguage(LanguageReader::MainProgram));
    EXPECT_EQ(currentLanguage(), kEnglish);
    EXPECT_TRUE(ReadLanguage(LanguageReader::Runner));
    EXPECT_EQ(currentLanguage(), kSpanish);
    EXPECT_TRUE(ReadLanguage(LanguageReader::TodayPlugin));

    // A short or out-of-range file is English, and the registry is not asked.
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue, kGerman));
    writeDataFile(kLanguageFile, &spanish, 3);
    EXPECT_FALSE(ReadLanguage(LanguageReader::Runner));
    const DWORD beyond = 9;
    writeDataFile(kLanguageFile, &beyond, 4);
    EXPECT_FALSE(ReadLanguage(LanguageReader::MainProgram));
    EXPECT_EQ(currentLanguage(), kEnglish);
}

TEST_F(LanguageFile, WritingTheLanguageStoresItInBothPlaces)
{
    ASSERT_TRUE(WriteLanguage(kRussian));
    EXPECT_EQ(platform::readRegistryDword(platform::RegistryRoot::CurrentUser, kSuiteKey, kLanguageValue), kRussian);
    setCurrentLanguage(kEnglish);
    EXPECT_TRUE(ReadLanguage(LanguageReader::TodayPlugin));
    EXPECT_EQ(currentLanguage(), kRussian);
}

TEST_F(DiagnosticLog, EntriesAreUtf16WithOneByteOrderMarkAndCrLf)
{
    AppendLog(u"TryLoadAlarms(): dwByteCnt != sizeof(alarm_items)");
    AppendLog(u"zweite Meldung");
    std::ifstream in(*platform::hostPathOf(kLogPath), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto expected = utf16Bytes(u"\xfeffTryLoadAlarms(): dwByteCnt != sizeof(alarm_items)\r\nzweite Meldung\r\n");
    EXPECT_EQ(bytes, expected);
}

using SoundPathFile = testing_support::StoreTest;

TEST_F(SoundPathFile, AlarmsTimersAndEventsReadTheSamePathOfAtMost259Characters)
{
    EXPECT_FALSE(readSoundPathFile(u"alarmsnd1.dat")); // no file: the caller's default
    ASSERT_TRUE(writeSoundPathFile(u"alarmsnd1.dat", u"\\My Documents\\bell.wav"));
    auto bytes = utf16Bytes(u"\\My Documents\\bell.wav");
    bytes.insert(bytes.end(), 2, 0);
    EXPECT_EQ(readDataFile(u"alarmsnd1.dat"), bytes);
    EXPECT_EQ(readSoundPathFile(u"alarmsnd1.dat"), u"\\My Documents\\bell.wav");

    // Another program wrote a path of 300 characters with no zero: whoever reads it gets
    // the same 259 characters, the most a path holds beside its zero.
    const std::u16string longPath = u"\\" + std::u16string(299, u'x');
    const auto longBytes = utf16Bytes(longPath);
    writeDataFile(u"ts3.dat", longBytes.data(), longBytes.size());
    EXPECT_EQ(readSoundPathFile(u"ts3.dat"), longPath.substr(0, 259));
    ASSERT_TRUE(writeSoundPathFile(u"es7.dat", longPath));
    EXPECT_EQ(readDataFile(u"es7.dat").size(), 260u * 2);
    EXPECT_EQ(readSoundPathFile(u"es7.dat"), longPath.substr(0, 259));

    // An empty file and a lone odd byte hold no path, which is not the same as no file.
    writeDataFile(u"es8.dat", "", 0);
    EXPECT_EQ(readSoundPathFile(u"es8.dat"), u"");
    writeDataFile(u"es8.dat", "a", 1);
    EXPECT_EQ(readSoundPathFile(u"es8.dat"), u"");
}

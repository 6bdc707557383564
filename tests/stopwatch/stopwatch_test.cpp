// The stopwatch: start, stop and resume on the device clock (travelled, never slept), the
// state kept in settings.dat across a restart, the split list in stopwatch.dat with its
// damaged forms, the display past 24 hours, and tkwctl changing it beside this program.

#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "stopwatch/split_file.h"
#include "stopwatch/stopwatch.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/time_helpers.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace stopwatch;
using testing_support::runCommand;

constexpr std::int64_t kSecond = 10'000'000;

std::vector<std::byte> bytesOf(std::u16string_view text)
{
    std::vector<std::byte> bytes;
    for (const char16_t unit : text) {
        bytes.push_back(std::byte(unit & 0xff));
        bytes.push_back(std::byte(unit >> 8));
    }
    return bytes;
}

std::filesystem::path hostPath(std::u16string_view file)
{
    return *platform::hostPathOf(store::DataFilePath(file));
}

// The clock starts on a whole second, so that the travels below land on whole seconds too.
class StopwatchTest : public testing_support::ClockDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ClockDeviceTest::SetUp());
        (void)store::LoadSettings();
    }
    static store::SettingsRecord settingsOnDisk()
    {
        store::SettingsRecord record {};
        const auto bytes = platform::readWholeFile(store::DataFilePath(store::kSettingsFile), 4096);
        EXPECT_TRUE(bytes && bytes->size() == sizeof record);
        if (bytes && bytes->size() == sizeof record)
            std::memcpy(&record, bytes->data(), sizeof record);
        return record;
    }
    static std::u16string display(const Stopwatch& watch)
    {
        return displayText(Elapsed(watch.elapsedTicksAt(now())), 0, platform::userLocale());
    }
};

TEST_F(StopwatchTest, StopAfterFiveSecondsResumeAndStopAfterThreeMoreShowsEight)
{
    Stopwatch watch(store::settings());
    EXPECT_EQ(watch.phase(), Phase::Reset);
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    EXPECT_EQ(watch.phase(), Phase::Running);
    travel(5);
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    EXPECT_EQ(watch.phase(), Phase::Stopped);
    EXPECT_EQ(display(watch), u"00:00 05.00");
    // Time while stopped does not count.
    travel(600);
    EXPECT_EQ(display(watch), u"00:00 05.00");
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    travel(3);
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    EXPECT_EQ(Elapsed(watch.elapsedTicksAt(now())), (ElapsedTime { 0, 0, 8 }));
    EXPECT_EQ(display(watch), u"00:00 08.00");
    // What settings.dat holds: stopped, the elapsed ticks.
    const auto disk = settingsOnDisk();
    EXPECT_EQ(disk.stopwatchRunning, 0);
    EXPECT_EQ(ticksOf(disk.stopwatchStart), std::uint64_t(8 * kSecond));
    ASSERT_EQ(watch.Reset(), EditOutcome::Done);
    EXPECT_EQ(watch.phase(), Phase::Reset);
    EXPECT_EQ(ticksOf(settingsOnDisk().stopwatchStart), 0u);
}

TEST_F(StopwatchTest, ARunningStopwatchKeepsRunningWhileNoProgramRuns)
{
    {
        Stopwatch watch(store::settings());
        ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    }
    // The program ends; an hour and a bit later it starts again.
    store::settings() = {};
    travel(3600 + 62);
    ASSERT_TRUE(store::LoadSettings());
    Stopwatch watch(store::settings());
    EXPECT_EQ(watch.phase(), Phase::Running);
    EXPECT_EQ(display(watch), u"01:01 02.00");
}

TEST_F(StopwatchTest, OnlyTheStopwatchFieldsOfSettingsAreWritten)
{
    Stopwatch watch(store::settings());
    // Another program changes a preference after this one read the settings.
    auto other = settingsOnDisk();
    other.alarmVolume = 2;
    other.chime = 1;
    ASSERT_TRUE(store::SaveSettings(other));
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    const auto disk = settingsOnDisk();
    EXPECT_EQ(disk.alarmVolume, 2u);
    EXPECT_EQ(disk.chime, 1);
    EXPECT_EQ(disk.stopwatchRunning, 1);
    EXPECT_EQ(ticksOf(disk.stopwatchStart), wholeSecondOf(now()));
}

TEST_F(StopwatchTest, ASettingsFileOfTheWrongSizeIsNotReplaced)
{
    Stopwatch watch(store::settings());
    const std::vector<std::byte> damaged(100, std::byte(7));
    ASSERT_TRUE(platform::replaceFile(store::DataFilePath(store::kSettingsFile), damaged));
    EXPECT_EQ(watch.StartStop(now()), EditOutcome::NotSaved);
    EXPECT_EQ(platform::readWholeFile(store::DataFilePath(store::kSettingsFile), 4096), damaged);
}

TEST_F(StopwatchTest, SplitsNumberOnAfterResetAndFromOneAfterDeleteAll)
{
    Stopwatch watch(store::settings());
    EXPECT_EQ(watch.Split(now(), 0), EditOutcome::Refused); // only while running
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    travel(2);
    ASSERT_EQ(watch.Split(now(), 37), EditOutcome::Done);
    travel(61);
    ASSERT_EQ(watch.Split(now(), 5), EditOutcome::Done);
    ASSERT_EQ(watch.splits().size(), 2u);
    EXPECT_EQ(watch.splits()[0], (Split { u"Split 01", u"00:00 02.37" }));
    EXPECT_EQ(watch.splits()[1], (Split { u"Split 02", u"00:01 03.05" }));
    // Reset leaves the list and its numbering alone.
    ASSERT_EQ(watch.Reset(), EditOutcome::Done);
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    EXPECT_EQ(watch.splits().back().label, u"Split 03");
    // Deleting one split, the last one included, does not give its number again.
    ASSERT_EQ(watch.DeleteSplit(2, watch.splits()[2]), EditOutcome::Done);
    ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    EXPECT_EQ(watch.splits().back().label, u"Split 04");
    ASSERT_EQ(watch.DeleteAllSplits(), EditOutcome::Done);
    EXPECT_TRUE(watch.splits().empty());
    EXPECT_EQ(platform::fileSize(store::DataFilePath(store::kStopwatchFile)), 0u);
    ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    EXPECT_EQ(watch.splits().back().label, u"Split 01");
}

TEST_F(StopwatchTest, AfterARestartTheSplitsOnFileNumberOn)
{
    {
        Stopwatch watch(store::settings());
        ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
        ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
        ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    }
    Stopwatch watch(store::settings());
    (void)watch.syncWithDisk();
    ASSERT_EQ(watch.splits().size(), 2u);
    // Not "Split 01" a second time in the same list.
    EXPECT_EQ(watch.nextSplitNumber(), 3u);
    ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    EXPECT_EQ(watch.splits().back().label, u"Split 03");
}

TEST_F(StopwatchTest, DeleteSplitRemovesTheSplitShownEvenWhenAnotherProgramMovedIt)
{
    Stopwatch watch(store::settings());
    ASSERT_EQ(watch.StartStop(now()), EditOutcome::Done);
    ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    ASSERT_EQ(watch.Split(now(), 0), EditOutcome::Done);
    const Split second = watch.splits()[1];
    // Another program's list: a split of its own in front.
    SplitList other = watch.splits();
    other.insert(other.begin(), Split { u"Split 09", u"00:00 00.01" });
    ASSERT_TRUE(SaveSplits(other));
    ASSERT_EQ(watch.DeleteSplit(1, second), EditOutcome::Done);
    ASSERT_EQ(watch.splits().size(), 2u);
    EXPECT_EQ(watch.splits()[0].label, u"Split 09");
    EXPECT_EQ(watch.splits()[1].label, u"Split 01");
    // Gone already: nothing else is deleted in its place.
    EXPECT_EQ(watch.DeleteSplit(1, second), EditOutcome::Refused);
    EXPECT_EQ(LoadSplits().splits.size(), 2u);
}

TEST(SplitFile, PairsTheStringsSkippingEmptyOnesAndDropsAnUnpairedLast)
{
    bool trimmed = false;
    const auto splits = parseSplits(bytesOf(std::u16string(u"a\0\0b\0c\0", 8)), &trimmed);
    ASSERT_EQ(splits.size(), 1u);
    EXPECT_EQ(splits[0], (Split { u"a", u"b" }));
    EXPECT_TRUE(trimmed);
    EXPECT_TRUE(parseSplits({}, &trimmed).empty());
    EXPECT_FALSE(trimmed);
}

TEST(SplitFile, AnOddByteCountLosesOnlyTheHalfCharacter)
{
    auto bytes = bytesOf(std::u16string(u"Split 01\0"
                                        u"00:00 01.00\0",
        21));
    bytes.push_back(std::byte('x'));
    bool trimmed = false;
    const auto splits = parseSplits(bytes, &trimmed);
    ASSERT_EQ(splits.size(), 1u);
    EXPECT_EQ(splits[0], (Split { u"Split 01", u"00:00 01.00" }));
    EXPECT_TRUE(trimmed);
}

TEST(SplitFile, StringsAreCutToThirtyOneCharactersAndTheLastNeedsNoZero)
{
    const std::u16string longLabel(40, u'L');
    const auto splits = parseSplits(bytesOf(longLabel + u'\0' + u"00:00 01.00"));
    ASSERT_EQ(splits.size(), 1u);
    EXPECT_EQ(splits[0].label, std::u16string(31, u'L'));
    EXPECT_EQ(splits[0].time, u"00:00 01.00");
}

TEST(SplitFile, WritesEachLabelAndTimeWithItsZeroAndNothingElse)
{
    const SplitList splits { { u"Split 01", u"00:00 02.37" }, { u"Отсечка 02", u"27:00 00.00" } };
    const auto bytes = splitFileBytes(splits);
    EXPECT_EQ(bytes,
        bytesOf(std::u16string(u"Split 01\0"
                               u"00:00 02.37\0"
                               u"Отсечка 02\0"
                               u"27:00 00.00\0",
            44)));
    EXPECT_EQ(parseSplits(bytes), splits);
}

using SplitFileOnDisk = testing_support::DeviceTest;

TEST_F(SplitFileOnDisk, MissingDamagedAndOversizedFiles)
{
    ASSERT_TRUE(store::createDataDirectory());
    EXPECT_EQ(LoadSplits().status, SplitFileStatus::Missing);

    ASSERT_TRUE(platform::replaceFile(
        store::DataFilePath(store::kStopwatchFile), bytesOf(std::u16string(u"a\0\0b\0c\0", 8))));
    auto read = LoadSplits();
    EXPECT_EQ(read.status, SplitFileStatus::Trimmed);
    EXPECT_EQ(read.splits, (SplitList { { u"a", u"b" } }));

    // Far too large for a split list: kept beside for the user, and no splits.
    const std::vector<std::byte> huge(kLargestSplitFile + 2, std::byte('a'));
    ASSERT_TRUE(platform::replaceFile(store::DataFilePath(store::kStopwatchFile), huge));
    read = LoadSplits();
    EXPECT_EQ(read.status, SplitFileStatus::SetAside);
    EXPECT_TRUE(read.splits.empty());
    EXPECT_FALSE(platform::fileExists(store::DataFilePath(store::kStopwatchFile)));
    int keptBeside = 0;
    for (const auto& entry :
        std::filesystem::directory_iterator(hostPath(store::kStopwatchFile).parent_path()))
        keptBeside
            += entry.path().filename().string().starts_with("stopwatch.dat.damaged-") ? 1 : 0;
    EXPECT_EQ(keptBeside, 1);
}

TEST(StopwatchDisplay, HoursCountOnPastADayAndStopGrowingPastNineThousandHours)
{
    const auto& locale = platform::userLocale();
    const auto hours = [](std::uint64_t h, std::uint64_t m, std::uint64_t s) {
        return (h * 3600 + m * 60 + s) * std::uint64_t(kSecond);
    };
    EXPECT_EQ(displayText(Elapsed(hours(0, 1, 23)), 45, locale), u"00:01 23.45");
    EXPECT_EQ(displayText(Elapsed(hours(23, 59, 59)), 99, locale), u"23:59 59.99");
    EXPECT_EQ(displayText(Elapsed(hours(24, 0, 0)), 7, locale), u"24:00 00.07");
    EXPECT_EQ(displayText(Elapsed(hours(118, 3, 4)), 0, locale), u"118:03 04.00");
    EXPECT_EQ(displayText(Elapsed(~0ull), 0, locale), u"9999:59 59.00");
    EXPECT_EQ(statusText(Elapsed(hours(1, 2, 5))), u"01:02 05");
    EXPECT_EQ(statusText(Elapsed(hours(123, 0, 9))), u"123:00 09");
}

TEST(StopwatchDisplay, AClockSetBackBeforeTheStartShowsNothingElapsed)
{
    const StopwatchState running { true, 1000 * std::uint64_t(kSecond) };
    EXPECT_EQ(elapsedTicks(running, 400 * std::uint64_t(kSecond)), 0u);
    // Stopping then keeps nothing, and a start again begins afresh.
    const auto stopped = startStop(running, 400 * std::uint64_t(kSecond));
    EXPECT_EQ(phaseOf(stopped), Phase::Reset);
    // A stored elapsed time longer than the clock has run resumes from the clock's start.
    const auto resumed = startStop(StopwatchState { false, ~0ull }, 50 * std::uint64_t(kSecond));
    EXPECT_TRUE(resumed.running);
    EXPECT_EQ(resumed.start, 0u);
}

TEST(StopwatchDisplay, SimulatedHundredthsAdvanceATenthPerRedrawAndRestartEachSecond)
{
    SimulatedHundredths hundredths;
    hundredths.advance(10);
    EXPECT_LT(hundredths.value(), 10); // a new second: 0 and the random digit
    for (int redraw = 1; redraw <= 9; ++redraw) {
        hundredths.advance(10);
        EXPECT_EQ(hundredths.value() / 10, redraw);
    }
    // Redraws later than the second would have it stay at 99, never above.
    for (int redraw = 0; redraw < 5; ++redraw) {
        hundredths.advance(10);
        EXPECT_EQ(hundredths.value(), 99);
    }
    hundredths.advance(11);
    EXPECT_LT(hundredths.value(), 10);
    EXPECT_LE(hundredths.forSplit(), 18);
}

TEST(StopwatchLabels, NumbersOfTheirOwnAreRead)
{
    EXPECT_EQ(splitLabel(7, 0), u"Split 07");
    EXPECT_EQ(splitLabel(123, 1), u"Zwischenzeit 123");
    EXPECT_EQ(splitNumberOf(u"Zwischenzeit 12"), 12u);
    EXPECT_EQ(splitNumberOf(u"a"), 0u);
    EXPECT_EQ(splitNumberOf(u"Lap12"), 0u);
    EXPECT_EQ(splitNumberOf(u"Split 99999999999"), 0u);
}

// tkwctl beside this program: its splits and its start land in the same files, and this
// program's next split neither overwrites them nor repeats their numbers.
TEST_F(StopwatchTest, TkwctlEditsBesideThisProgramLoseNothing)
{
    Stopwatch watch(store::settings());
    const auto tkwctl = [](std::vector<std::string> words) {
        words.insert(words.begin(), TKW_TKWCTL);
        return runCommand(words);
    };
    ASSERT_EQ(tkwctl({ "stopwatch", "start" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "stopwatch", "start" }).exitCode, 1); // already running
    EXPECT_TRUE(watch.syncWithDisk());
    EXPECT_EQ(watch.phase(), Phase::Running);
    travel(4);
    ASSERT_EQ(tkwctl({ "stopwatch", "split" }).exitCode, 0);
    ASSERT_EQ(watch.Split(now(), 50), EditOutcome::Done);
    ASSERT_EQ(watch.splits().size(), 2u);
    EXPECT_EQ(watch.splits()[0].label, u"Split 01");
    EXPECT_EQ(watch.splits()[1], (Split { u"Split 02", u"00:00 04.50" }));
    const auto shown = tkwctl({ "--json", "stopwatch", "stop" });
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.output.find("\"state\":\"stopped\""), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("\"elapsedSeconds\":4"), std::string::npos) << shown.output;
    EXPECT_NE(
        shown.output.find("{\"label\":\"Split 02\",\"time\":\"00:00 04.50\"}"), std::string::npos)
        << shown.output;
    EXPECT_EQ(tkwctl({ "stopwatch", "split" }).exitCode, 1); // not running
    EXPECT_EQ(tkwctl({ "stopwatch", "lap" }).exitCode, 2);
    EXPECT_TRUE(watch.syncWithDisk());
    EXPECT_EQ(watch.phase(), Phase::Stopped);
}

} // namespace

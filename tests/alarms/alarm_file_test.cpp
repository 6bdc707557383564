#include "alarms/alarm_file.h"

#include "alarms/next_alarm.h"
#include "platform/files.h"
#include "tests/alarms/alarm_fixture.h"

#include <algorithm>

using namespace alarms;
using namespace alarm_tests;

namespace {

using AlarmFile = AlarmsTest;

std::vector<char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(AlarmFile, AMissingFileBecomesTwentyDefaultAlarmsOnDisk)
{
    AlarmTable table { };
    std::memset(table.data(), 0x55, kAlarmsFileSize);
    EXPECT_EQ(LoadAlarms(table, at(2026, 3, 8, 17, 45, 12)), LoadOutcome::CreatedDefaults);

    const auto expected = fixture("alarm_default_2026-03-08.dat");
    ASSERT_EQ(expected.size(), sizeof(AlarmRecord));
    const auto onDisk = readDataFile(store::kAlarmsFile);
    ASSERT_EQ(onDisk.size(), 22800u);
    for (int i = 0; i < kAlarmCount; ++i) {
        EXPECT_EQ(std::memcmp(onDisk.data() + i * sizeof(AlarmRecord), expected.data(), expected.size()), 0) << "alarm " << i + 1;
        EXPECT_EQ(std::memcmp(&table[std::size_t(i)], expected.data(), expected.size()), 0) << "alarm " << i + 1;
    }
    // The next start reads what was written.
    AlarmTable again { };
    EXPECT_EQ(LoadAlarms(again, at(2027, 1, 1, 0, 0)), LoadOutcome::Loaded);
    EXPECT_EQ(std::memcmp(again.data(), table.data(), kAlarmsFileSize), 0);
}

TEST_F(AlarmFile, AFileOneByteShortIsLoggedOnEveryAttemptAndKept)
{
    std::vector<char> shortFile(kAlarmsFileSize - 1);
    for (std::size_t i = 0; i < shortFile.size(); ++i)
        shortFile[i] = char(i * 7 + 1);
    writeDataFile(store::kAlarmsFile, shortFile.data(), shortFile.size());

    AlarmTable table { };
    std::memset(table.data(), 0xAB, kAlarmsFileSize);
    EXPECT_EQ(LoadAlarmsRetry(table, at(2026, 3, 8, 9, 0)), LoadOutcome::WrongSize);

    // The bytes that arrived are in memory; the one that did not is as it was.
    const auto* memory = reinterpret_cast<const char*>(table.data());
    EXPECT_EQ(std::memcmp(memory, shortFile.data(), shortFile.size()), 0);
    EXPECT_EQ(std::uint8_t(memory[kAlarmsFileSize - 1]), 0xAB);
    // Nothing was written back.
    EXPECT_EQ(readDataFile(store::kAlarmsFile), shortFile);

    // Eleven entries: UTF-16LE with one byte-order mark, each ending in CR LF.
    std::u16string expected = u"\xfeff";
    for (int i = 0; i < 11; ++i)
        expected += u"TryLoadAlarms(): dwByteCnt != sizeof(alarm_items)\r\n";
    const auto log = fileBytes(*platform::hostPathOf(store::kLogPath));
    ASSERT_EQ(log.size(), expected.size() * 2);
    EXPECT_EQ(std::memcmp(log.data(), expected.data(), log.size()), 0);
}

TEST_F(AlarmFile, AFileHeldByAnotherProgramIsNeverReplacedByDefaults)
{
    AlarmTable mine { };
    DefaultAlarms(mine, at(2026, 3, 8, 9, 0));
    setAlarmLabel(mine[4], u"Gym");
    ASSERT_TRUE(SaveAlarms(mine));
    {
        // The runner rewriting a record holds the file exclusively.
        auto held = platform::File::open(store::DataFilePath(store::kAlarmsFile), platform::Access::ReadWrite,
            platform::Share::None, platform::Disposition::OpenExisting);
        ASSERT_TRUE(held);
        AlarmTable table { };
        EXPECT_EQ(LoadAlarmsRetry(table, at(2026, 3, 8, 9, 0), kQuick), LoadOutcome::Unreadable);
        EXPECT_EQ(StoredAlarmHandle(4, kQuick), 0u);
    }
    EXPECT_EQ(alarmLabel(recordOnDisk(4)), u"Gym");
    AlarmTable table { };
    EXPECT_EQ(LoadAlarms(table, at(2026, 3, 8, 9, 0)), LoadOutcome::Loaded);
    EXPECT_EQ(alarmLabel(table[4]), u"Gym");
}

TEST_F(AlarmFile, SingleRecordsAreReadAndWrittenInPlace)
{
    AlarmTable table { };
    DefaultAlarms(table, at(2026, 3, 8, 9, 0));
    ASSERT_TRUE(SaveAlarmsRetry(table));
    AlarmRecord alarm = alarmAt(6, 45, kMonday);
    alarm.hNotification = 77;
    ASSERT_TRUE(writeAlarm(19, alarm));
    EXPECT_EQ(readDataFile(store::kAlarmsFile).size(), kAlarmsFileSize);
    AlarmRecord back { };
    ASSERT_TRUE(readAlarm(19, back));
    EXPECT_EQ(std::memcmp(&back, &alarm, sizeof alarm), 0);
    EXPECT_EQ(StoredAlarmHandle(19), 77u);
    EXPECT_EQ(StoredAlarmHandle(18), 0u);
    EXPECT_FALSE(writeAlarm(20, alarm));
    EXPECT_FALSE(readAlarm(-1, back));
    // The neighbours are untouched.
    EXPECT_EQ(fieldText(recordOnDisk(18).programPath), u"Dezod");
}

TEST_F(AlarmFile, SoundFilesFallBackPerReaderAndKeepTheirTerminatingZero)
{
    EXPECT_EQ(AlarmSoundFileName(0), u"alarmsnd0.dat");
    EXPECT_EQ(AlarmSoundFileName(19), u"alarmsnd19.dat");
    EXPECT_EQ(ReadAlarmSound(3, SoundReader::MainProgram), u"\\Windows\\Alarm1.wav");
    EXPECT_EQ(ReadAlarmSound(3, SoundReader::Runner), u"\\Windows\\None");

    ASSERT_TRUE(WriteAlarmSound(3, u"\\My Documents\\Wake.wav"));
    EXPECT_EQ(readDataFile(u"alarmsnd3.dat").size(), (22u + 1) * 2);
    EXPECT_EQ(ReadAlarmSound(3, SoundReader::Runner), u"\\My Documents\\Wake.wav");
    // A path past 259 characters is cut where the chooser's field ends.
    ASSERT_TRUE(WriteAlarmSound(4, std::u16string(400, u'x')));
    EXPECT_EQ(ReadAlarmSound(4, SoundReader::MainProgram).size(), 259u);
}

TEST(NextAlarm, IsTheEarliestTimeAmongTheAlarmsThatAreOn)
{
    AlarmTable table { };
    EXPECT_FALSE(summariseAlarms(table).anyEnabled);
    EXPECT_FALSE(NextAlarm(table));

    table[2] = alarmAt(9, 0, kMonday, false);
    table[2].alarmTime = fileTimeOf(ticksAt(at(2026, 3, 9, 5, 0))); // earliest, but off
    table[5] = alarmAt(0, 0, kMonday);
    table[5].alarmTime = fileTimeOf(ticksAt(at(2026, 3, 10, 7, 0)));
    table[9] = alarmAt(0, 0, kMonday);
    table[9].alarmTime = fileTimeOf(ticksAt(at(2026, 3, 12, 6, 0)));
    const auto info = summariseAlarms(table);
    EXPECT_TRUE(info.anyEnabled);
    ASSERT_TRUE(info.localTime);
    EXPECT_EQ(ticksAt(*info.localTime), ticksAt(at(2026, 3, 10, 7, 0)));
    EXPECT_EQ(info.localTime->wDayOfWeek, 2);

    // The high halves decide before the low ones.
    AlarmTable halves { };
    halves[0] = alarmAt(0, 0, kMonday);
    halves[0].alarmTime = FILETIME { 0x00000000u, 0x01DCAF00u };
    halves[1] = alarmAt(0, 0, kMonday);
    halves[1].alarmTime = FILETIME { 0xFFFFFFF0u, 0x01DCAEFFu };
    ASSERT_TRUE(NextAlarm(halves));
    // (a SYSTEMTIME holds whole milliseconds)
    EXPECT_EQ(ticksAt(*NextAlarm(halves)), ticksOf(halves[1].alarmTime) / 10'000 * 10'000);
}

#include "alarms/alarm_file.h"

#include "platform/calendar.h"
#include "platform/files.h"
#include "store/data_files.h"
#include "store/sound_path.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace alarms {

namespace {

constexpr std::u16string_view kShortFileLogEntry = u"TryLoadAlarms(): dwByteCnt != sizeof(alarm_items)";

std::u16string alarmsPath() { return store::DataFilePath(store::kAlarmsFile); }

bool validIndex(int index) { return index >= 0 && index < kAlarmCount; }

bool isMissing(platform::FileError why)
{
    return why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
}

std::span<std::byte> bytesOf(AlarmTable& table)
{
    return { reinterpret_cast<std::byte*>(table.data()), kAlarmsFileSize };
}

} // namespace

void DefaultAlarms(AlarmTable& table, const SYSTEMTIME& now)
{
    std::memset(table.data(), 0, kAlarmsFileSize);
    SYSTEMTIME midnight { now.wYear, now.wMonth, 0, now.wDay, 0, 0, 0, 0 };
    FILETIME today { };
    (void)SystemTimeToFileTime(&midnight, &today); // A clock outside the calendar leaves 1601.
    for (auto& alarm : table) {
        alarm.alarmTime = today;
        alarm.actionKind = kShowPluginView;
        setFieldText(alarm.programPath, kDefaultPluginView);
    }
}

LoadOutcome LoadAlarms(AlarmTable& into, const SYSTEMTIME& now)
{
    platform::FileError why = platform::FileError::None;
    auto file = platform::File::open(alarmsPath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting, &why);
    if (!file) {
        // The runner holds the file while it rewrites a record: replacing it with defaults
        // then would throw away every alarm the user set.
        if (!isMissing(why))
            return LoadOutcome::Unreadable;
        DefaultAlarms(into, now);
        (void)SaveAlarmsRetry(into); // written again by the next change
        return LoadOutcome::CreatedDefaults;
    }
    // Straight into the table, as the bytes that did arrive are kept even from a short file.
    const auto got = file->read(bytesOf(into));
    if (!got)
        return LoadOutcome::Unreadable;
    if (*got == kAlarmsFileSize)
        return LoadOutcome::Loaded;
    store::AppendLog(kShortFileLogEntry);
    return LoadOutcome::WrongSize;
}

LoadOutcome LoadAlarmsRetry(AlarmTable& into, const SYSTEMTIME& now, platform::RetryPolicy retry)
{
    LoadOutcome outcome = LoadOutcome::Unreadable;
    (void)platform::retry(retry, [&] {
        outcome = LoadAlarms(into, now);
        return succeeded(outcome);
    });
    return outcome;
}

bool SaveAlarms(const AlarmTable& table)
{
    return platform::replaceFile(alarmsPath(), { reinterpret_cast<const std::byte*>(table.data()), kAlarmsFileSize });
}

bool SaveAlarmsRetry(const AlarmTable& table, platform::RetryPolicy retry)
{
    return platform::retry(retry, [&] { return SaveAlarms(table); });
}

bool readAlarmsFile(AlarmTable& into, platform::FileError* why)
{
    auto file = platform::File::open(alarmsPath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting, why);
    if (!file)
        return false;
    AlarmTable read { };
    const auto got = file->read(bytesOf(read));
    if (!got || *got != kAlarmsFileSize) {
        if (why)
            *why = platform::FileError::Io;
        return false;
    }
    into = read;
    return true;
}

bool readAlarm(int index, AlarmRecord& into)
{
    if (!validIndex(index))
        return false;
    auto file = platform::File::open(alarmsPath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    AlarmRecord read { };
    if (!file || !file->seek(std::uint64_t(index) * sizeof(AlarmRecord)) || !file->readExactly(&read, sizeof read))
        return false;
    into = read;
    return true;
}

bool writeAlarm(int index, const AlarmRecord& alarm)
{
    if (!validIndex(index))
        return false;
    auto file = platform::File::open(alarmsPath(), platform::Access::ReadWrite, platform::Share::None,
        platform::Disposition::OpenExisting);
    return file && file->seek(std::uint64_t(index) * sizeof(AlarmRecord)) && file->write(&alarm, sizeof alarm);
}

std::uint32_t StoredAlarmHandle(int index, platform::RetryPolicy retry)
{
    if (!validIndex(index))
        return 0;
    std::uint32_t handle = 0;
    // A file busy with another program's write is read again: a handle missed here would
    // leave the registration it names behind, ringing beside the new one.
    (void)platform::retry(retry, [&] {
        platform::FileError why = platform::FileError::None;
        auto file = platform::File::open(alarmsPath(), platform::Access::Read, platform::Share::Read,
            platform::Disposition::OpenExisting, &why);
        if (!file)
            return isMissing(why);
        AlarmRecord record { };
        if (file->seek(std::uint64_t(index) * sizeof(AlarmRecord)) && file->readExactly(&record, sizeof record))
            handle = record.hNotification;
        return true;
    });
    return handle;
}

std::u16string AlarmSoundFileName(int index)
{
    const std::string name = "alarmsnd" + std::to_string(index) + ".dat";
    return std::u16string(name.begin(), name.end());
}

std::u16string ReadAlarmSound(int index, SoundReader reader)
{
    const auto path = store::readSoundPathFile(AlarmSoundFileName(index));
    if (path && !path->empty())
        return *path;
    return std::u16string(reader == SoundReader::Runner ? store::kNoSoundPath : store::kDefaultSoundPath);
}

bool WriteAlarmSound(int index, std::u16string_view path) { return store::writeSoundPathFile(AlarmSoundFileName(index), path); }

} // namespace alarms

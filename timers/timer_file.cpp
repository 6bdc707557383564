#include "timers/timer_file.h"

#include "platform/calendar.h"
#include "platform/files.h"
#include "store/data_files.h"
#include "store/sound_path.h"

#include <cstring>
#include <string>

namespace timers {

namespace {


std::u16string timersPath() { return store::DataFilePath(store::kTimersFile); }

} // namespace

TimersLoad LoadTimers(TimerTable& table, platform::LocalTicks now, platform::RetryPolicy busyRetry)
{
    TimersLoad outcome = TimersLoad::Busy;
    bool missing = false;
    (void)platform::retry(busyRetry, [&] {
        platform::FileError why = platform::FileError::None;
        auto file = platform::File::open(timersPath(), platform::Access::Read, platform::Share::Read,
            platform::Disposition::OpenExisting, &why);
        if (!file) {
            missing = why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
            if (why == platform::FileError::SharingViolation)
                return false; // read again after a pause
            outcome = missing ? TimersLoad::CreatedDefaults : TimersLoad::Unreadable;
            return true;
        }
        // Only the bytes that arrived replace the records.
        const auto got = file->read({ reinterpret_cast<std::byte*>(table.data()), kTimersFileSize });
        outcome = !got ? TimersLoad::Unreadable : *got == kTimersFileSize ? TimersLoad::Loaded : TimersLoad::Short;
        return true;
    });
    if (!missing)
        return outcome;
    std::memset(table.data(), 0, kTimersFileSize);
    const std::uint64_t today = now.count() - now.count() % std::uint64_t(platform::kTicksPerDay);
    for (int i = 0; i < 4; ++i)
        table[std::size_t(i)].value = fileTimeOf(today);
    (void)SaveAllTimers(table); // made again at the next start
    return TimersLoad::CreatedDefaults;
}

bool readTimersFile(TimerTable& into)
{
    auto file = platform::File::open(timersPath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    if (!file)
        return false;
    TimerTable read { };
    const auto got = file->read({ reinterpret_cast<std::byte*>(read.data()), kTimersFileSize });
    if (!got || *got != kTimersFileSize)
        return false;
    into = read;
    return true;
}

bool SaveAllTimers(const TimerTable& table, platform::RetryPolicy retry)
{
    const std::u16string path = timersPath();
    return platform::retry(retry, [&] {
        return platform::replaceFile(path, { reinterpret_cast<const std::byte*>(table.data()), kTimersFileSize });
    });
}

bool SaveTimer(const TimerTable& table, int index, platform::RetryPolicy retry)
{
    if (index < 0 || index >= kTimerCount)
        return false;
    const std::u16string path = timersPath();
    return platform::retry(retry, [&] {
        auto file = platform::File::open(path, platform::Access::ReadWrite, platform::Share::None,
            platform::Disposition::OpenExisting);
        return file && file->seek(std::uint64_t(index) * sizeof(TimerRecord))
            && file->write(&table[std::size_t(index)], sizeof(TimerRecord));
    });
}

bool readTimer(int index, TimerRecord& into)
{
    if (index < 0 || index >= kTimerCount)
        return false;
    auto file = platform::File::open(timersPath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    return file && file->seek(std::uint64_t(index) * sizeof(TimerRecord)) && file->readExactly(&into, sizeof into);
}

std::u16string SoundFileName(int index)
{
    const std::string name = "timersnd" + std::to_string(index) + ".dat";
    return std::u16string(name.begin(), name.end());
}

std::u16string readTimerSound(int index)
{
    const auto path = store::readSoundPathFile(SoundFileName(index));
    return path && !path->empty() ? *path : std::u16string(store::kDefaultSoundPath);
}

bool writeTimerSound(int index, std::u16string_view path) { return store::writeSoundPathFile(SoundFileName(index), path); }

} // namespace timers

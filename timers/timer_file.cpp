#include "timers/timer_file.h"

#include "platform/calendar.h"
#include "platform/files.h"
#include "store/data_files.h"

#include <cstring>
#include <string>

namespace timers {

namespace {

constexpr std::u16string_view kDefaultSound = u"\\Windows\\Alarm1.wav";
constexpr std::size_t kSoundPathChars = 260;

std::u16string timersPath() { return store::DataFilePath(store::kTimersFile); }

} // namespace

TimersLoad LoadTimers(TimerTable& table, std::uint64_t nowLocalTicks, platform::RetryPolicy busyRetry)
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
    const std::uint64_t today = nowLocalTicks - nowLocalTicks % std::uint64_t(platform::kTicksPerDay);
    for (int i = 0; i < 4; ++i)
        table[std::size_t(i)].value = fileTimeOf(today);
    (void)SaveAllTimers(table); // made again at the next start
    return TimersLoad::CreatedDefaults;
}

bool ReadTimersFile(TimerTable& into)
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

bool ReadTimer(int index, TimerRecord& into)
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

std::u16string ReadTimerSound(int index)
{
    const auto bytes = platform::readWholeFile(store::DataFilePath(SoundFileName(index)), 64 * 1024);
    if (!bytes || bytes->size() < 2)
        return std::u16string(kDefaultSound);
    // Never more than the 260 characters a path holds, whatever the file says.
    std::u16string path(std::min(bytes->size() / 2, kSoundPathChars), u'\0');
    std::memcpy(path.data(), bytes->data(), path.size() * 2);
    if (const auto end = path.find(u'\0'); end != std::u16string::npos)
        path.resize(end);
    return path.empty() ? std::u16string(kDefaultSound) : path;
}

bool WriteTimerSound(int index, std::u16string_view path)
{
    std::u16string text(path.substr(0, kSoundPathChars - 1));
    text += u'\0';
    return platform::replaceFile(store::DataFilePath(SoundFileName(index)),
        { reinterpret_cast<const std::byte*>(text.data()), text.size() * 2 });
}

} // namespace timers

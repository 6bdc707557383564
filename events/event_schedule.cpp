#include "events/event_schedule.h"

#include "platform/calendar.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "store/data_edit.h"
#include "store/data_files.h"

#include <string>
#include <vector>

namespace events {

namespace {

// The days of a month as events count them: every fourth year from 2000 is a leap year,
// century years too, and a month out of range has 30 days.
int eventDaysInMonth(int year, int month)
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 2:
        return (year - 2000) % 4 == 0 ? 29 : 28;
    default:
        return 30;
    }
}

void clampDay(SYSTEMTIME& time)
{
    const int days = eventDaysInMonth(time.wYear, time.wMonth);
    if (time.wDay > days)
        time.wDay = WORD(days);
}

// The ticks of a date whose day was cut by the events' own leap rule. That rule keeps a
// 29 February in 2100, 2200 and 2300, which the calendar does not have: such a day falls
// on the last day the month really has.
std::optional<std::uint64_t> ticksOfClampedDate(SYSTEMTIME& time)
{
    if (const auto ticks = platform::ticksOfSystemTime(time))
        return ticks;
    const int days = platform::daysInMonth(time.wYear, time.wMonth);
    if (days == 0 || time.wDay <= days)
        return std::nullopt;
    time.wDay = WORD(days);
    return platform::ticksOfSystemTime(time);
}

void advanceOnePeriod(SYSTEMTIME& time, std::uint32_t recurrence)
{
    if (recurrence == kEveryYear) {
        ++time.wYear;
    } else if (time.wMonth >= 12) {
        time.wMonth = 1;
        ++time.wYear;
    } else {
        ++time.wMonth;
    }
}

std::u16string runnerArgument(std::uint32_t handle)
{
    const std::string digits = std::to_string(handle);
    return u"e" + std::u16string(digits.begin(), digits.end());
}

std::u16string eventsFilePath() { return store::DataFilePath(store::kEventsFile); }

bool isMissing(platform::FileError why)
{
    return why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
}

} // namespace

std::optional<Occurrence> NextEventOccurrence(
    FILETIME eventTime, std::uint32_t recurrence, const SYSTEMTIME& now)
{
    const auto anchor = platform::systemTimeOfTicks(ticksOf(eventTime));
    if (!anchor)
        return std::nullopt;
    SYSTEMTIME next = *anchor;
    if (recurrence == kEveryYear || recurrence == kEveryMonth) {
        const auto nowTicks = platform::ticksOfSystemTime(now);
        if (!nowTicks)
            return std::nullopt;
        if (next.wYear < now.wYear)
            next.wYear = now.wYear;
        if (recurrence == kEveryMonth && next.wYear == now.wYear && next.wMonth < now.wMonth)
            next.wMonth = now.wMonth;
        clampDay(next);
        const auto ticks = ticksOfClampedDate(next);
        if (!ticks)
            return std::nullopt;
        // A moment that can no longer be registered (it is less than a second ahead, or it
        // has passed) gives way to the next period. Waiting until it is a second past would
        // lose the event for good when the runner handles its own wake-up within that second:
        // the moment would be neither moved on nor registered.
        if (!(*nowTicks + std::uint64_t(platform::kTicksPerSecond) < *ticks)) {
            advanceOnePeriod(next, recurrence);
            clampDay(next);
        }
    }
    const auto ticks = ticksOfClampedDate(next);
    if (!ticks)
        return std::nullopt;
    const auto normalised = platform::systemTimeOfTicks(*ticks);
    if (!normalised)
        return std::nullopt;
    return Occurrence { *normalised, fileTimeOf(*ticks) };
}

bool shouldRegister(const FILETIME& next, const SYSTEMTIME& now)
{
    const auto nowTicks = platform::ticksOfSystemTime(now);
    return nowTicks && *nowTicks + std::uint64_t(platform::kTicksPerSecond) < ticksOf(next);
}

bool RegisterEvent(EventRecord& record, const SYSTEMTIME& next)
{
    platform::ProgramWakeUp wakeUp(store::kRunnerPath, u"e", next);
    // The present handle names no wake-up once it has fired; a new one is made then.
    DWORD handle = platform::registerWakeUp(wakeUp, record.hNotification);
    if (!handle)
        handle = platform::registerWakeUp(wakeUp);
    record.hNotification = handle;
    // Without a handle there is nothing to name in the argument. Registering "e0" anyway
    // would make a wake-up that the runner matches to any event never registered.
    if (!handle)
        return false;

    const std::u16string argument = runnerArgument(record.hNotification);
    wakeUp.arguments = argument;
    // The wake-up stays registered with the bare "e" if this fails; the runner then finds no
    // event for it and ends quietly.
    (void)platform::registerWakeUp(wakeUp, handle);
    return true;
}

bool scheduleEvent(EventRecord& record, const SYSTEMTIME& now)
{
    const auto next = NextEventOccurrence(record.eventTime, record.recurrence, now);
    if (!next)
        return false;
    record.nextTime = next->fileTime;
    return shouldRegister(next->fileTime, now) && RegisterEvent(record, next->time);
}

std::optional<EventRecord> AdvanceEvent(DWORD handle, const SYSTEMTIME& now, platform::RetryPolicy retry)
{
    // Handle 0 is the mark of an event that was never registered, not a wake-up.
    if (handle == 0)
        return std::nullopt;
    const std::u16string path = eventsFilePath();
    std::optional<EventRecord> found;
    // The main program registers an event before it writes events.dat, so the record may not
    // be there yet when the wake-up is due at once.
    (void)platform::retry(retry, [&] {
        // Each look is one edit of events.dat, so the main program can finish its own in
        // between.
        const auto edit = store::editDataFile(store::kEventsFile);
        if (!edit)
            return false;
        auto file = platform::File::open(path, platform::Access::ReadWrite, platform::Share::None,
            platform::Disposition::OpenExisting);
        EventHeader header;
        if (!file || !file->readExactly(&header, sizeof header))
            return false;
        for (std::size_t index = 0; index < header.numEvents; ++index) {
            EventRecord record;
            if (!file->readExactly(&record, sizeof record))
                return false;
            if (record.hNotification != handle)
                continue;
            // Only a record with a new wake-up is rewritten; a one-time event keeps its
            // handle and moment.
            EventRecord moved = record;
            if (scheduleEvent(moved, now)) {
                record = moved;
                // A record that cannot be written back keeps the handle that just fired;
                // nothing better can be done with the file open and failing.
                (void)(file->seek(kEventHeaderSize + index * kEventRecordSize)
                    && file->write(&record, sizeof record));
            }
            found = record;
            return true;
        }
        return false;
    });
    return found;
}

RescheduleOutcome RescheduleAllEvents(const SYSTEMTIME& now, platform::RetryPolicy retry)
{
    const std::u16string path = eventsFilePath();
    auto outcome = RescheduleOutcome::Unreadable;
    // The main program holds the file for a moment while it replaces it.
    (void)platform::retry(retry, [&] {
        const auto edit = store::editDataFile(store::kEventsFile);
        if (!edit)
            return false;
        platform::FileError why = platform::FileError::None;
        auto file = platform::File::open(path, platform::Access::ReadWrite, platform::Share::None,
            platform::Disposition::OpenExisting, &why);
        if (!file) {
            outcome = isMissing(why) ? RescheduleOutcome::NoEvents : RescheduleOutcome::Unreadable;
            return outcome == RescheduleOutcome::NoEvents;
        }
        const auto size = file->size();
        EventHeader header;
        if (size && *size == 0) {
            outcome = RescheduleOutcome::NoEvents;
            return true;
        }
        if (!size || !file->readExactly(&header, sizeof header)) {
            outcome = RescheduleOutcome::Unreadable;
            return false;
        }
        if (header.numEvents == 0) {
            outcome = RescheduleOutcome::NoEvents;
            return true;
        }
        std::vector<EventRecord> records(header.numEvents);
        const std::size_t bytes = records.size() * kEventRecordSize;
        const auto got = file->read({ reinterpret_cast<std::byte*>(records.data()), bytes });
        if (!got) {
            outcome = RescheduleOutcome::Unreadable;
            return false;
        }
        if (*got != bytes) {
            outcome = RescheduleOutcome::ShortFile;
            return true;
        }
        for (auto& record : records)
            (void)scheduleEvent(record, now); // An event not ahead is simply not registered.
        const bool written = file->seek(kEventHeaderSize) && file->write(records.data(), bytes);
        outcome = written ? RescheduleOutcome::Done : RescheduleOutcome::WriteFailed;
        return true;
    });
    return outcome;
}

} // namespace events

#include "events/event_list.h"

#include "events/event_schedule.h"
#include "platform/calendar.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "store/data_edit.h"
#include "store/data_files.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace events {

namespace {

std::u16string eventsFilePath() { return store::DataFilePath(store::kEventsFile); }

bool isMissing(platform::FileError why)
{
    return why == platform::FileError::NotFound || why == platform::FileError::PathNotFound;
}

bool sameMoment(const FILETIME& a, const FILETIME& b) { return ticksOf(a) == ticksOf(b); }

// The runner rewrites a repeating event in place when it fires: a new wake-up handle and the
// next reminder. The list still holds the handle that fired, which names nothing now; writing
// it back would leave the new wake-up without an event, and the event would never remind
// again. A record on disk with the same event, anchor and repetition whose next reminder is
// later than ours is such a move: take its handle and moment. Best effort: a file that cannot
// be read now has nothing newer to offer than what the save is about to write.
void adoptRunnerMoves(EventList& list)
{
    auto file = platform::File::open(eventsFilePath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting);
    EventHeader header;
    if (!file || !file->readExactly(&header, sizeof header))
        return;
    for (std::size_t read = 0; read < header.numEvents; ++read) {
        EventRecord onDisk;
        if (!file->readExactly(&onDisk, sizeof onDisk))
            return;
        if (onDisk.eventId == 0)
            continue;
        for (std::size_t index = 0; index < list.count(); ++index) {
            EventRecord& ours = list.records[index];
            if (ours.eventId == onDisk.eventId && ours.recurrence == onDisk.recurrence
                && sameMoment(ours.eventTime, onDisk.eventTime)
                && ticksOf(onDisk.nextTime) > ticksOf(ours.nextTime)) {
                ours.hNotification = onDisk.hNotification;
                ours.nextTime = onDisk.nextTime;
            }
        }
    }
}

bool writeEventsFile(const EventList& list)
{
    const std::size_t count = list.count();
    if (count > list.records.size())
        return false;
    EventHeader header = list.header;
    header.reserved = 0;
    std::vector<std::byte> bytes(kEventHeaderSize + count * kEventRecordSize);
    std::memcpy(bytes.data(), &header, kEventHeaderSize);
    if (count > 0)
        std::memcpy(bytes.data() + kEventHeaderSize, list.records.data(), count * kEventRecordSize);
    return platform::replaceFile(eventsFilePath(), bytes);
}

} // namespace

bool LoadEvents(EventList& into, EventsLoad* outcome)
{
    const auto report = [&](EventsLoad what, bool result) {
        if (outcome)
            *outcome = what;
        return result;
    };
    into = EventList { };
    platform::FileError why = platform::FileError::None;
    auto file = platform::File::open(eventsFilePath(), platform::Access::Read, platform::Share::Read,
        platform::Disposition::OpenExisting, &why);
    if (!file) {
        if (isMissing(why))
            return report(EventsLoad::Missing, true);
        return report(why == platform::FileError::SharingViolation ? EventsLoad::Busy : EventsLoad::Unreadable, false);
    }
    const auto size = file->size();
    if (!size)
        return report(EventsLoad::Unreadable, false);
    if (*size == 0)
        return report(EventsLoad::Missing, true);

    EventList list;
    if (!file->readExactly(&list.header, sizeof list.header))
        return report(EventsLoad::Damaged, false);
    // Zeroed first: slots that the file does not fill stay empty records.
    list.records.assign(std::size_t(list.header.numEvents) + kSlotGrowth, EventRecord { });
    const std::size_t announced = std::size_t(list.header.numEvents) * kEventRecordSize;
    const auto got = file->read({ reinterpret_cast<std::byte*>(list.records.data()), announced });
    if (!got)
        return report(EventsLoad::Unreadable, false);
    (void)report(*got == announced ? EventsLoad::Loaded : EventsLoad::Damaged, true);

    // A note number handed out again would overwrite another event's note.
    for (std::size_t index = 0; index < list.count(); ++index)
        list.header.lastNoteId = std::max(list.header.lastNoteId, list.records[index].noteId);
    into = std::move(list);
    return true;
}

bool LoadEventsWithRetry(EventList& into, platform::RetryPolicy retry)
{
    return platform::retry(retry, [&] { return LoadEvents(into); });
}

bool SaveEvents(EventList& list)
{
    adoptRunnerMoves(list);
    return writeEventsFile(list);
}

bool SaveEventsWithRetry(EventList& list, platform::RetryPolicy retry)
{
    return platform::retry(retry, [&] { return SaveEvents(list); });
}

std::optional<std::size_t> NewEventSlot(EventList& list)
{
    const std::size_t count = list.count();
    if (count >= kMaxEvents)
        return std::nullopt;
    const auto begin = list.records.begin();
    const auto end = begin + std::ptrdiff_t(count);
    std::uint32_t eventId = 1;
    while (std::any_of(begin, end, [&](const EventRecord& r) { return r.eventId == eventId; }))
        ++eventId;
    if (list.freeSlots() == 0)
        list.records.resize(list.records.size() + kSlotGrowth, EventRecord { });
    list.records[count] = EventRecord { };
    list.records[count].eventId = eventId;
    return count;
}

std::optional<std::size_t> lastEventWithHandle(const EventList& list, DWORD handle)
{
    for (std::size_t index = list.count(); index-- > 0;) {
        if (list.records[index].hNotification == handle)
            return index;
    }
    return std::nullopt;
}

std::optional<EventEditor> OpenEditor(const EventList& list, std::size_t index)
{
    if (index > list.count() || index >= list.records.size())
        return std::nullopt;
    return EventEditor { list.records[index], index };
}

ApplyOutcome ApplyEditor(EventList& list, EventEditor& editor, FILETIME eventMoment, const SYSTEMTIME& now,
    platform::RetryPolicy retry)
{
    const auto edit = store::editDataFile(store::kEventsFile);
    if (!edit)
        return ApplyOutcome::NotSaved;
    const std::size_t index = editor.index;
    const bool isNew = index == list.count();
    if (index > list.count() || index >= list.records.size() || (isNew && list.count() >= kMaxEvents))
        return ApplyOutcome::InvalidIndex;

    // The editor never changes the handle, so the stored record's is the freshest: the runner
    // may have moved the event to a new wake-up while the editor was open.
    adoptRunnerMoves(list);
    if (!isNew && list.records[index].eventId == editor.working.eventId)
        editor.working.hNotification = list.records[index].hNotification;

    editor.working.eventTime = eventMoment;
    editor.working.nextTime = eventMoment;
    (void)scheduleEvent(editor.working, now); // A moment not ahead is stored unregistered.
    list.records[index] = editor.working;
    if (isNew)
        ++list.header.numEvents;
    return SaveEventsWithRetry(list, retry) ? ApplyOutcome::Saved : ApplyOutcome::NotSaved;
}

bool DeleteEvent(EventList& list, std::size_t index, const SYSTEMTIME& now, platform::RetryPolicy retry)
{
    const std::size_t count = list.count();
    if (index >= count || count > list.records.size())
        return false;
    const auto edit = store::editDataFile(store::kEventsFile);
    if (!edit)
        return false;
    adoptRunnerMoves(list);
    const EventRecord gone = list.records[index];
    --list.header.numEvents;

    // A reminder still ahead has its wake-up; a passed one fired and took it along.
    const std::uint64_t nowTicks = platform::ticksOfSystemTime(now).value_or(0);
    if (gone.hNotification != 0 && ticksOf(gone.nextTime) > nowTicks)
        (void)CeClearUserNotification(reinterpret_cast<HANDLE>(std::uintptr_t(gone.hNotification)));
    // Files that are already gone are no error.
    (void)platform::deleteFile(store::DataFilePath(EventSoundFileName(gone.eventId)));
    if (gone.noteId != 0)
        (void)platform::deleteFile(store::DataFilePath(noteFileName(gone.noteId)));

    const auto begin = list.records.begin();
    std::copy(begin + std::ptrdiff_t(index) + 1, begin + std::ptrdiff_t(count), begin + std::ptrdiff_t(index));
    list.records[count - 1] = EventRecord { };
    return SaveEventsWithRetry(list, retry);
}

} // namespace events

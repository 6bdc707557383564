#pragma once
// The main program's list of events: events.dat read once per run, then kept as the master
// copy and written whole after every change the user confirms. The event editor works on a
// copy of one record and stores it back through ApplyEditor.

#include "events/event_record.h"
#include "platform/retry.h"
#include "platform/types.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace events {

inline constexpr std::size_t kSlotGrowth = 8;
inline constexpr std::size_t kMaxEvents = 0xffff; // numEvents is 16 bits

struct EventList {
    EventHeader header { };
    // Room for the events: the first header.numEvents slots hold them in the order they
    // were created, the rest are free and zeroed. Starts with 8 free slots, grows by 8.
    std::vector<EventRecord> records = std::vector<EventRecord>(kSlotGrowth, EventRecord { });

    [[nodiscard]] std::size_t count() const { return header.numEvents; }
    [[nodiscard]] std::size_t freeSlots() const { return records.size() - header.numEvents; }
};

// Reads events.dat. A missing or empty file is an empty list. False when the header cannot be
// read whole (the list is then empty). A file that announces more records than it holds
// keeps the count it announces: the bytes that arrived fill the first slots, the rest are
// zero. Note numbering continues above every note number in use. `outcome` tells which of
// these it was, so that a caller can warn about a damaged file or refuse an unreadable one.
enum class EventsLoad {
    Loaded,
    Missing,    // no file, or an empty one: no events
    Damaged,    // the header, or fewer records than it announces (the rest read as zero)
    Busy,       // another program holds the file
    Unreadable, // a folder, no permission, a read error
};
[[nodiscard]] bool LoadEvents(EventList& into, EventsLoad* outcome = nullptr);
// On failure, the view tells the user "Corrupt file with event settings".
[[nodiscard]] bool LoadEventsWithRetry(EventList& into, platform::RetryPolicy retry = platform::kDataFileRetry);

// Writes the header and the events, replacing the file. The runner's moves of a repeating
// event since the list was read (its new wake-up and next reminder) are taken over first, so
// the save does not undo them.
[[nodiscard]] bool SaveEvents(EventList& list);
// On failure, the view tells the user "Can't save event settings"; the list keeps the change.
[[nodiscard]] bool SaveEventsWithRetry(EventList& list, platform::RetryPolicy retry = platform::kDataFileRetry);

// Prepares the slot for a new event at index count(): zeroed, with the smallest eventId not
// in use. The event is counted only when ApplyEditor stores it. nullopt when the list is full.
[[nodiscard]] std::optional<std::size_t> NewEventSlot(EventList& list);

// The index of the last event whose wake-up handle is `handle` (the one the view selects).
[[nodiscard]] std::optional<std::size_t> lastEventWithHandle(const EventList& list, DWORD handle);

struct EventEditor {
    EventRecord working { }; // the record being edited
    std::size_t index = 0;   // where it is stored: an event's index, or count() for a new one
};

// A copy of the event at `index`, or of the prepared new slot when `index` is count().
[[nodiscard]] std::optional<EventEditor> OpenEditor(const EventList& list, std::size_t index);

enum class ApplyOutcome {
    Saved,
    NotSaved,     // stored in the list, but events.dat could not be written
    InvalidIndex, // the editor's index names neither an event nor the new slot
};

// The editor's "OK" (one edit of events.dat): `eventMoment` (local) becomes the anchor, the next reminder is computed
// and registered when it lies ahead, the record is stored at the editor's index (a new event
// is counted) and the list is saved with retries.
[[nodiscard]] ApplyOutcome ApplyEditor(EventList& list, EventEditor& editor, FILETIME eventMoment,
    const SYSTEMTIME& now, platform::RetryPolicy retry = platform::kDataFileRetry);

// Removes the event at `index`: its wake-up (when its reminder still lies ahead), its sound
// file and note file, and its record (later events move down). Then saves with retries.
// False for an index that names no event, or when the save failed.
[[nodiscard]] bool DeleteEvent(EventList& list, std::size_t index, const SYSTEMTIME& now,
    platform::RetryPolicy retry = platform::kDataFileRetry);

} // namespace events

#pragma once
// When an event reminds next, and its wake-up in the wake-up database: the registration that
// starts the runner with "e" + handle, and the runner's two jobs on events.dat (the fired
// event moved on, and every event renewed after a time change).
//
// All times here are local device time. Callers pass "now" as GetLocalTime gives it.

#include "events/event_record.h"
#include "platform/retry.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>

namespace events {

struct Occurrence {
    SYSTEMTIME time;   // with its day of the week filled in
    FILETIME fileTime; // the same moment
};

// The next reminder of an event anchored at `eventTime` (local). A one-time event reminds at
// its own moment. A repeating one is moved into the present year (and, monthly, the present
// month), its day cut to the month's length, and moved one period on when that moment can no
// longer be registered. The day stays cut after the move: a monthly event on the 31st
// computed at the end of June falls on 30 July. February has 29 days in every fourth year
// counted from 2000, century years included; where the calendar has no 29 February (2100) the
// day falls on the 28th. A recurrence value other than once, yearly or monthly counts as once.
// nullopt when the anchor or the result lies outside what FILETIME holds.
[[nodiscard]] std::optional<Occurrence> NextEventOccurrence(
    FILETIME eventTime, std::uint32_t recurrence, const SYSTEMTIME& now);

// Whether a reminder at `next` is registered at `now`: only while it is more than a second
// ahead.
[[nodiscard]] bool shouldRegister(const FILETIME& next, const SYSTEMTIME& now);

// Registers the runner at `next` for the record, replacing the wake-up of its present handle
// (or, when that handle no longer names one, as a new wake-up), then rewrites the argument
// to carry the handle itself. The handle is stored in hNotification; false, with
// hNotification 0, when the database refuses both attempts.
bool RegisterEvent(EventRecord& record, const SYSTEMTIME& next);

// Computes the next reminder into nextTime and registers it when it lies ahead; a reminder
// that does not leaves hNotification as it was. True when a wake-up was registered.
bool scheduleEvent(EventRecord& record, const SYSTEMTIME& now);

// The runner's look-ups: the file may be written right after the registration fired.
inline constexpr platform::RetryPolicy kRunnerLookupRetry { 7, 1000 };

// The runner, started with "e" + handle: finds the first record with that handle in
// events.dat, moves it to its next reminder, registers that and writes the record back in
// place (a one-time event is not rewritten). Retried while no record has the handle or the
// file cannot be read. The record as it now stands, or nullopt when no event has the handle.
[[nodiscard]] std::optional<EventRecord> AdvanceEvent(
    DWORD handle, const SYSTEMTIME& now, platform::RetryPolicy retry = kRunnerLookupRetry);

enum class RescheduleOutcome {
    Done,       // every record moved on and written back
    NoEvents,   // no file, or no records in it
    ShortFile,  // fewer records than the header announces; nothing was changed
    Unreadable, // the file could not be opened or read
    WriteFailed,
};

// The runner after a time change or on "UpdateNotifications": every event moved to its next
// reminder, registered when that lies ahead, and all records written back after the header.
// Retried while the file cannot be opened or read (the main program holds it while it
// replaces it).
[[nodiscard]] RescheduleOutcome RescheduleAllEvents(
    const SYSTEMTIME& now, platform::RetryPolicy retry = platform::kDataFileRetry);

} // namespace events

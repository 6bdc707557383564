#pragma once
// The dated events of the Events view: the record and header of events.dat, and the names of
// the files that belong to one event (its note and its sound path).

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace events {

// The first 8 bytes of events.dat. These bytes are the file: little-endian, written exactly
// as they sit in memory.
struct EventHeader {
    std::uint16_t numEvents;  // records that follow the header
    std::uint16_t reserved;   // always zero
    std::uint32_t lastNoteId; // the highest note number handed out so far; 0 in a new file
};
static_assert(std::is_trivially_copyable_v<EventHeader>);
static_assert(sizeof(EventHeader) == 8);
static_assert(offsetof(EventHeader, numEvents) == 0);
static_assert(offsetof(EventHeader, lastNoteId) == 4);

enum Recurrence : std::uint32_t { kOnce = 0, kEveryYear = 1, kEveryMonth = 2 };
enum ActionKind : std::uint32_t { kShowNotification = 0, kShowPluginView = 1, kExecuteProgram = 2 };

// One event. The same size as a timer record, and from `programPath` on the same fields.
struct EventRecord {
    std::uint32_t hNotification;  // the event's current wake-up, 0 while none was registered;
                                  // also its key in the runner's argument "e" + handle
    char16_t name[24];            // UTF-16, at most 23 characters, zero-terminated
    FILETIME eventTime;           // local: the moment the user entered, anchor of every repetition
    FILETIME nextTime;            // local: the next reminder; zero until the record is first stored
    std::uint32_t soundIndex;     // position in the sound chooser, 0 = no sound
    std::uint8_t repeatIndex;     // the sound plays repeatIndex + 1 times
    std::uint8_t pauseIndex;      // pauseIndex + 1 seconds between plays
    std::uint8_t reserved74[2];   // always zero
    std::uint32_t noteId;         // number of the note file "<noteId>.dat", 0 = no note
    std::uint32_t eventId;        // unique in the file, at least 1; names the sound file
    std::uint32_t actionKind;     // ActionKind
    std::uint32_t recurrence;     // Recurrence
    char16_t programPath[260];    // kind 2: program or document; kind 1: plug-in view name
    char16_t programArgs[260];    // kind 2: parameters
    std::uint32_t keepAwakeIndex; // kind 2: 5, 10, 15, 20, 30 minutes or 1 hour (0-5)
};
static_assert(std::is_trivially_copyable_v<EventRecord>);
static_assert(sizeof(EventRecord) == 1136);
static_assert(offsetof(EventRecord, hNotification) == 0);
static_assert(offsetof(EventRecord, name) == 4);
static_assert(offsetof(EventRecord, eventTime) == 52);
static_assert(offsetof(EventRecord, nextTime) == 60);
static_assert(offsetof(EventRecord, soundIndex) == 68);
static_assert(offsetof(EventRecord, repeatIndex) == 72);
static_assert(offsetof(EventRecord, pauseIndex) == 73);
static_assert(offsetof(EventRecord, noteId) == 76);
static_assert(offsetof(EventRecord, eventId) == 80);
static_assert(offsetof(EventRecord, actionKind) == 84);
static_assert(offsetof(EventRecord, recurrence) == 88);
static_assert(offsetof(EventRecord, programPath) == 92);
static_assert(offsetof(EventRecord, programArgs) == 612);
static_assert(offsetof(EventRecord, keepAwakeIndex) == 1132);

inline constexpr std::size_t kEventHeaderSize = sizeof(EventHeader);
inline constexpr std::size_t kEventRecordSize = sizeof(EventRecord);
inline constexpr std::size_t kMaxEventNameChars = 23;

// "es" + eventId + ".dat", a file name in the data directory.
[[nodiscard]] std::u16string EventSoundFileName(std::uint32_t eventId);
// noteId + ".dat", a file name in the data directory.
[[nodiscard]] std::u16string noteFileName(std::uint32_t noteId);

// The name as text, up to its first zero.
[[nodiscard]] std::u16string eventName(const EventRecord& record);
// Stores at most 23 characters of `name`; the rest of the field is zeroed.
void setEventName(EventRecord& record, std::u16string_view name);

} // namespace events

#pragma once
// The files of one event beside events.dat: its note ("17.dat", UTF-16 text with its
// terminating zero, any length) and its sound path ("es3.dat", UTF-16 with its terminating
// zero, at most 260 characters).

#include "events/event_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace events {

// The event's note, up to its first zero; empty when it has none or its file is missing or
// unreadable.
[[nodiscard]] std::u16string LoadNote(const EventRecord& record);

enum class NoteOutcome {
    Saved,
    Cleared,      // empty text: the event has no note now; the old file stays on disk
    CannotCreate, // the view says "Can't save event note"
    ShortWrite,   // the view says "Can't storage event note"
};

// Stores `text` as the event's note. An event without a note gets the number after
// header.lastNoteId, which becomes the new lastNoteId; both reach events.dat with its next
// save. A new number reaches the record only once its file is written, so no event points at
// a note file that does not exist.
[[nodiscard]] NoteOutcome SaveNote(EventHeader& header, EventRecord& record, std::u16string_view text);

// The path in the event's sound file, nullopt when there is none (callers choose their
// default: the editor store::kDefaultSoundPath, the runner "\Windows\None").
[[nodiscard]] std::optional<std::u16string> readEventSound(std::uint32_t eventId);
// Writes the sound file (at most 260 characters of `path` with a terminating zero).
[[nodiscard]] bool writeEventSound(std::uint32_t eventId, std::u16string_view path);

} // namespace events

#include "events/event_notes.h"

#include "platform/files.h"
#include "store/data_files.h"
#include "store/sound_path.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace events {

namespace {

// Notes are typed on the device; anything larger is not a note.
constexpr std::size_t kMaxNoteBytes = 16 * 1024 * 1024;

// The UTF-16 text of whole 16-bit units up to the first zero (a trailing odd byte is dropped).
std::u16string textUpToZero(const std::vector<std::byte>& bytes, std::size_t maxChars)
{
    std::u16string text(std::min(bytes.size() / 2, maxChars), u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    if (const auto end = text.find(u'\0'); end != std::u16string::npos)
        text.resize(end);
    return text;
}

std::vector<std::byte> bytesWithZero(std::u16string_view text)
{
    std::vector<std::byte> bytes((text.size() + 1) * 2, std::byte { 0 });
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return bytes;
}

} // namespace

std::u16string LoadNote(const EventRecord& record)
{
    if (record.noteId == 0)
        return { };
    const auto bytes = platform::readWholeFile(store::DataFilePath(noteFileName(record.noteId)), kMaxNoteBytes);
    if (!bytes || bytes->size() <= 1)
        return { };
    return textUpToZero(*bytes, bytes->size() / 2);
}

NoteOutcome SaveNote(EventHeader& header, EventRecord& record, std::u16string_view text)
{
    if (text.empty()) {
        record.noteId = 0;
        return NoteOutcome::Cleared;
    }
    std::uint32_t noteId = record.noteId;
    if (noteId == 0) {
        // A number whose file exists belongs to a note that another program wrote and has
        // not counted in events.dat yet: taking it would overwrite that note.
        do {
            if (header.lastNoteId == std::numeric_limits<std::uint32_t>::max())
                return NoteOutcome::CannotCreate;
            noteId = ++header.lastNoteId;
        } while (platform::fileExists(store::DataFilePath(noteFileName(noteId))));
    }
    auto file = platform::FileReplacement::begin(store::DataFilePath(noteFileName(noteId)));
    if (!file)
        return NoteOutcome::CannotCreate;
    const auto bytes = bytesWithZero(text);
    if (!file->write(bytes.data(), bytes.size()) || !file->commit())
        return NoteOutcome::ShortWrite;
    record.noteId = noteId;
    return NoteOutcome::Saved;
}

std::optional<std::u16string> readEventSound(std::uint32_t eventId)
{
    return store::readSoundPathFile(EventSoundFileName(eventId));
}

bool writeEventSound(std::uint32_t eventId, std::u16string_view path)
{
    return store::writeSoundPathFile(EventSoundFileName(eventId), path);
}

} // namespace events

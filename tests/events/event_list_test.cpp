#include "events/event_list.h"

#include "events/event_notes.h"
#include "events/event_schedule.h"
#include "tests/events/event_fixture.h"

#include <algorithm>

using namespace events;
using testing_support::at;
using testing_support::eventAt;
using testing_support::kQuick;

namespace {

using EventFile = testing_support::EventsTest;
using EventNotes = testing_support::EventsTest;
using EventDeletion = testing_support::EventsTest;

// events.dat with a header and the first `bytes` of the records.
std::vector<char> fileBytes(std::uint16_t numEvents, std::uint32_t lastNoteId, const std::vector<EventRecord>& records,
    std::size_t bytes)
{
    const EventHeader header { numEvents, 0, lastNoteId };
    std::vector<char> file(sizeof header + records.size() * sizeof(EventRecord));
    std::memcpy(file.data(), &header, sizeof header);
    if (!records.empty())
        std::memcpy(file.data() + sizeof header, records.data(), records.size() * sizeof(EventRecord));
    file.resize(sizeof header + bytes);
    return file;
}

bool isZero(const EventRecord& record)
{
    const auto* p = reinterpret_cast<const char*>(&record);
    return std::all_of(p, p + sizeof record, [](char c) { return c == 0; });
}

} // namespace

TEST_F(EventFile, NewEventsTakeTheSmallestFreeIdAndTheListGrowsByEight)
{
    EventList list;
    ASSERT_TRUE(LoadEvents(list)); // no file: no events
    for (std::uint32_t id : { 1u, 2u, 4u, 5u, 6u, 7u, 8u, 9u }) {
        list.records[list.count()].eventId = id;
        ++list.header.numEvents;
    }
    EXPECT_EQ(list.records.size(), 8u);
    EXPECT_EQ(NewEventSlot(list), 8u);
    EXPECT_EQ(list.records.size(), 16u);
    EXPECT_EQ(list.records[8].eventId, 3u);
    EXPECT_EQ(list.count(), 8u); // counted only when the editor stores it
}

TEST_F(EventFile, AFileAnnouncingMoreRecordsThanItHoldsGivesZeroedSlots)
{
    EventRecord first = eventAt(at(2009, 5, 1, 9, 0), kEveryYear);
    first.hNotification = 1234;
    first.eventId = 7;
    const auto bytes = fileBytes(3, 0, { first, first }, sizeof first + 60); // the second up to its eventTime
    writeDataFile(store::kEventsFile, bytes.data(), bytes.size());

    EventList list;
    ASSERT_TRUE(LoadEvents(list));
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list.records[0].eventId, 7u);
    EXPECT_EQ(list.records[1].hNotification, 1234u);
    EXPECT_EQ(ticksOf(list.records[1].eventTime), ticksOf(first.eventTime));
    EXPECT_EQ(list.records[1].eventId, 0u); // beyond the bytes that arrived
    EXPECT_TRUE(isZero(list.records[2]));
    EXPECT_EQ(list.records.size(), 11u);

    writeDataFile(store::kEventsFile, bytes.data(), 5); // a header cut short
    EXPECT_FALSE(LoadEventsWithRetry(list, kQuick));
    EXPECT_EQ(list.count(), 0u);
}

TEST_F(EventNotes, NumbersContinueAfterTheLastOneAndAnEditKeepsItsFile)
{
    const auto empty = fileBytes(0, 5, { }, 0);
    writeDataFile(store::kEventsFile, empty.data(), empty.size());
    EventList list;
    ASSERT_TRUE(LoadEvents(list));
    auto editor = OpenEditor(list, *NewEventSlot(list));
    ASSERT_EQ(SaveNote(list.header, editor->working, u"Bring flowers"), NoteOutcome::Saved);
    EXPECT_EQ(editor->working.noteId, 6u);
    EXPECT_EQ(readDataFile(u"6.dat").size(), (13 + 1) * 2u); // with its terminating zero

    ASSERT_EQ(SaveNote(list.header, editor->working, u"Bring tulips"), NoteOutcome::Saved);
    EXPECT_EQ(editor->working.noteId, 6u);
    EXPECT_EQ(list.header.lastNoteId, 6u);
    EXPECT_EQ(LoadNote(editor->working), u"Bring tulips");

    // Emptied, the event has no note; the file stays.
    ASSERT_EQ(SaveNote(list.header, editor->working, u""), NoteOutcome::Cleared);
    EXPECT_EQ(editor->working.noteId, 0u);
    EXPECT_TRUE(std::filesystem::exists(hostDataFile(u"6.dat")));
}

TEST_F(EventNotes, ANumberInUseIsNotHandedOutAgainAndAFailedWriteLeavesTheEventWithoutANote)
{
    // A header that fell behind its records must not let a new note overwrite note 4.
    EventRecord withNote = eventAt(at(2009, 5, 1, 9, 0), kOnce);
    withNote.noteId = 4;
    const auto bytes = fileBytes(1, 2, { withNote }, sizeof withNote);
    writeDataFile(store::kEventsFile, bytes.data(), bytes.size());
    EventList list;
    ASSERT_TRUE(LoadEvents(list));
    auto editor = OpenEditor(list, *NewEventSlot(list));
    ASSERT_EQ(SaveNote(list.header, editor->working, u"New"), NoteOutcome::Saved);
    EXPECT_EQ(editor->working.noteId, 5u);

    std::filesystem::remove_all(hostDataFile(store::kEventsFile).parent_path());
    EventRecord other { };
    EXPECT_EQ(SaveNote(list.header, other, u"Lost"), NoteOutcome::CannotCreate);
    EXPECT_EQ(other.noteId, 0u);
}

TEST_F(EventNotes, ANoteFileAnotherProgramWroteBeforeCountingItKeepsItsNumber)
{
    // Another program's editor wrote note 1 and has not saved events.dat yet.
    EventList theirs;
    auto their = OpenEditor(theirs, *NewEventSlot(theirs));
    ASSERT_EQ(SaveNote(theirs.header, their->working, u"Theirs"), NoteOutcome::Saved);
    ASSERT_EQ(their->working.noteId, 1u);

    EventList list;
    ASSERT_TRUE(LoadEvents(list));
    auto editor = OpenEditor(list, *NewEventSlot(list));
    ASSERT_EQ(SaveNote(list.header, editor->working, u"Mine"), NoteOutcome::Saved);
    EXPECT_EQ(editor->working.noteId, 2u);
    EXPECT_EQ(LoadNote(their->working), u"Theirs");
}

TEST_F(EventNotes, ANoteWrittenInACancelledEditorStaysOnDiskWithoutAnEvent)
{
    EventList list;
    auto editor = OpenEditor(list, *NewEventSlot(list));
    ASSERT_EQ(SaveNote(list.header, editor->working, u"Draft"), NoteOutcome::Saved);
    editor.reset(); // Cancel
    EXPECT_EQ(list.count(), 0u);
    EXPECT_TRUE(std::filesystem::exists(hostDataFile(u"1.dat")));

    // The number is not handed out again, and reaches the file with the next save.
    ASSERT_TRUE(SaveEvents(list));
    EventList loaded;
    ASSERT_TRUE(LoadEvents(loaded));
    EXPECT_EQ(loaded.header.lastNoteId, 1u);
}

TEST_F(EventDeletion, DeletingTheThirdOfFiveShiftsTheRestAndRemovesItsFilesAndWakeUp)
{
    const SYSTEMTIME now = at(2009, 1, 1, 0, 0);
    std::vector<EventRecord> records;
    for (int day = 1; day <= 5; ++day)
        records.push_back(eventAt(at(2009, 2, day, 9, 0), kOnce));
    auto list = savedList(records, now);
    for (std::uint32_t id = 1; id <= 5; ++id)
        ASSERT_TRUE(writeEventSound(id, u"\\Windows\\Alarm2.wav"));
    ASSERT_EQ(SaveNote(list.header, list.records[2], u"third"), NoteOutcome::Saved);
    ASSERT_EQ(SaveNote(list.header, list.records[3], u"fourth"), NoteOutcome::Saved);
    const std::uint32_t goneHandle = list.records[2].hNotification;

    ASSERT_TRUE(DeleteEvent(list, 2, now, kQuick));
    EXPECT_FALSE(platform::findWakeUp(goneHandle));
    EXPECT_EQ(platform::listWakeUps()->size(), 4u);
    EXPECT_FALSE(std::filesystem::exists(hostDataFile(u"es3.dat")));
    EXPECT_FALSE(std::filesystem::exists(hostDataFile(u"1.dat")));
    EXPECT_EQ(readEventSound(4), u"\\Windows\\Alarm2.wav");
    EXPECT_TRUE(isZero(list.records[4]));

    EventList loaded;
    ASSERT_TRUE(LoadEvents(loaded));
    ASSERT_EQ(loaded.count(), 4u);
    EXPECT_EQ(loaded.records[2].eventId, 4u);
    EXPECT_EQ(loaded.records[3].eventId, 5u);
    EXPECT_EQ(LoadNote(loaded.records[2]), u"fourth");
}

TEST_F(EventDeletion, ASaveAfterTheRunnerMovedAnEventKeepsItsNewWakeUp)
{
    const SYSTEMTIME due = at(2009, 6, 15, 9, 0);
    auto list = savedList({ eventAt(due, kEveryMonth) }, at(2009, 6, 1, 0, 0));
    ASSERT_TRUE(platform::takeWakeUpForFiring(list.records[0].hNotification));
    const auto moved = AdvanceEvent(list.records[0].hNotification, testing_support::later(due, 700), kQuick);
    ASSERT_TRUE(moved);

    // The main program never re-read the file; its next save must not restore the old handle.
    auto editor = OpenEditor(list, *NewEventSlot(list));
    const FILETIME august = testing_support::fileTimeAt(at(2009, 8, 1, 9, 0));
    ASSERT_EQ(ApplyEditor(list, *editor, august, at(2009, 6, 16, 0, 0), kQuick), ApplyOutcome::Saved);
    EXPECT_EQ(recordOnDisk(0).hNotification, moved->hNotification);
    ASSERT_TRUE(DeleteEvent(list, 0, at(2009, 6, 16, 0, 0), kQuick));
    EXPECT_FALSE(platform::findWakeUp(moved->hNotification));
}

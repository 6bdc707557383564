#pragma once
// Helpers of the events tests: local times by their parts, and lists saved the way the
// Events view saves them, on a temporary device with its data directory.

#include "events/event_list.h"
#include "platform/calendar.h"
#include "platform/notifications.h"
#include "tests/store/store_fixture.h"

#include <cstring>

namespace testing_support {

inline SYSTEMTIME at(int year, int month, int day, int hour, int minute)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), 0, 0 };
}

inline std::uint64_t ticksAt(const SYSTEMTIME& time) { return *platform::ticksOfSystemTime(time); }

inline FILETIME fileTimeAt(const SYSTEMTIME& time) { return fileTimeOf(ticksAt(time)); }

inline SYSTEMTIME later(const SYSTEMTIME& time, std::int64_t ms)
{
    return *platform::systemTimeOfTicks(ticksAt(time) + std::uint64_t(ms * 10'000));
}

inline events::EventRecord eventAt(const SYSTEMTIME& time, std::uint32_t recurrence)
{
    events::EventRecord record { };
    record.recurrence = recurrence;
    record.eventTime = fileTimeAt(time);
    return record;
}

inline constexpr platform::RetryPolicy kQuick { 1, 1 };

class EventsTest : public StoreTest {
protected:
    events::EventRecord recordOnDisk(std::size_t index) const
    {
        const auto bytes = readDataFile(store::kEventsFile);
        events::EventRecord record { };
        const std::size_t offset = events::kEventHeaderSize + index * events::kEventRecordSize;
        if (bytes.size() >= offset + sizeof record)
            std::memcpy(&record, bytes.data() + offset, sizeof record);
        return record;
    }

    // Each record stored through the editor at `now`, as "New..." and "OK" do.
    static events::EventList savedList(const std::vector<events::EventRecord>& records, const SYSTEMTIME& now)
    {
        events::EventList list;
        for (const auto& record : records) {
            auto editor = events::OpenEditor(list, *events::NewEventSlot(list));
            const std::uint32_t eventId = editor->working.eventId;
            editor->working = record;
            editor->working.eventId = eventId;
            EXPECT_EQ(events::ApplyEditor(list, *editor, record.eventTime, now, kQuick), events::ApplyOutcome::Saved);
        }
        return list;
    }
};

} // namespace testing_support

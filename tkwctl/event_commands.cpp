// tkwctl event: the dated events of events.dat, changed the way the Events view changes them.

#include "tkwctl/commands.h"

#include "events/event_list.h"
#include "events/event_notes.h"
#include "events/event_record.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/text.h"
#include "store/data_files.h"
#include "tkwctl/json.h"
#include "tkwctl/time_text.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace tkwctl {

namespace {

constexpr const char* kAddUsage
    = "usage: tkwctl event add --name TEXT --at YYYY-MM-DDTHH:MM[:SS] [--recur once|year|month] [--note TEXT]";

std::optional<std::string> optionValue(const std::vector<std::string>& words, const char* name)
{
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == name)
            return words[i + 1];
    }
    return std::nullopt;
}

const char* recurrenceName(std::uint32_t recurrence)
{
    switch (recurrence) {
    case events::kOnce: return "once";
    case events::kEveryYear: return "year";
    case events::kEveryMonth: return "month";
    default: return "?";
    }
}

std::optional<std::uint32_t> recurrenceOf(const std::string& name)
{
    for (std::uint32_t r : { events::kOnce, events::kEveryYear, events::kEveryMonth }) {
        if (name == recurrenceName(r))
            return r;
    }
    return std::nullopt;
}

// A moment of a record; "-" for the zero of a record never stored.
std::string momentText(const FILETIME& time)
{
    if (ticksOf(time) == 0)
        return "-";
    const auto local = platform::systemTimeOfTicks(ticksOf(time));
    return local ? isoText(*local) : std::string("?");
}

using platform::localNow;

bool loadList(events::EventList& list)
{
    if (events::LoadEventsWithRetry(list))
        return true;
    fail("Corrupt file with event settings");
    return false;
}

int list(bool json)
{
    events::EventList list;
    if (!loadList(list))
        return kExitFailure;
    std::vector<std::string> items;
    for (std::size_t index = 0; index < list.count(); ++index) {
        const auto& event = list.slots[index];
        const std::string name = platform::toUtf8(events::EventName(event));
        if (json) {
            JsonObject item;
            item.add("index", std::int64_t(index + 1)).add("eventId", std::int64_t(event.eventId)).add("name", name)
                .add("eventTime", momentText(event.eventTime)).add("nextTime", momentText(event.nextTime))
                .add("recurrence", recurrenceName(event.recurrence)).add("handle", std::int64_t(event.hNotification))
                .add("noteId", std::int64_t(event.noteId));
            if (event.noteId != 0)
                item.add("note", platform::toUtf8(events::LoadNote(event)));
            items.push_back(item.str());
        } else {
            std::printf("%3zu  %s  %-5s  %s%s%s\n", index + 1, momentText(event.nextTime).c_str(),
                recurrenceName(event.recurrence), name.empty() ? "No Name" : name.c_str(),
                event.noteId != 0 ? "  [note]" : "",
                event.hNotification != 0 ? ("  (wake-up " + std::to_string(event.hNotification) + ")").c_str() : "");
        }
    }
    if (json)
        std::printf("%s\n", JsonObject().add("lastNoteId", std::int64_t(list.header.lastNoteId))
            .addRaw("events", jsonArray(items)).str().c_str());
    return 0;
}

int add(const Arguments& a)
{
    const auto name = optionValue(a.words, "--name");
    const auto at = optionValue(a.words, "--at");
    if (!name || !at)
        return fail(kAddUsage, kExitUsage);
    const std::u16string name16 = platform::toUtf16(*name);
    if (name16.size() > events::kMaxEventNameChars)
        return fail("an event name has at most 23 characters", kExitUsage);
    const auto moment = parseIsoLocal(*at);
    if (!moment)
        return fail("'" + *at + "' is not a valid local time (YYYY-MM-DDTHH:MM[:SS])", kExitUsage);
    const auto recurrence = recurrenceOf(optionValue(a.words, "--recur").value_or("once"));
    if (!recurrence)
        return fail(kAddUsage, kExitUsage);
    const std::u16string note = platform::toUtf16(optionValue(a.words, "--note").value_or(""));

    (void)store::CreateDataDirectory(); // Made by the main program's first start; saving tells.
    events::EventList list;
    if (!loadList(list))
        return kExitFailure;
    const auto slot = events::NewEventSlot(list);
    auto editor = slot ? events::OpenEditor(list, *slot) : std::nullopt;
    if (!editor)
        return fail("the list of events is full");
    events::SetEventName(editor->working, name16);
    editor->working.recurrence = *recurrence;
    if (!note.empty()) {
        // As in the view, a note that cannot be written does not stop the event.
        switch (events::SaveNote(list.header, editor->working, note)) {
        case events::NoteOutcome::CannotCreate: fail("Can't save event note"); break;
        case events::NoteOutcome::ShortWrite: fail("Can't storage event note"); break;
        default: break;
        }
    }
    FILETIME eventMoment { };
    if (!SystemTimeToFileTime(&*moment, &eventMoment))
        return fail("'" + *at + "' is not a valid local time", kExitUsage);
    if (events::ApplyEditor(list, *editor, eventMoment, localNow()) != events::ApplyOutcome::Saved)
        return fail("Can't save event settings");

    const auto& stored = list.slots[*slot];
    if (a.json)
        std::printf("%s\n", JsonObject().add("index", std::int64_t(*slot + 1))
            .add("eventId", std::int64_t(stored.eventId))
            .add("handle", std::int64_t(stored.hNotification)).add("nextTime", momentText(stored.nextTime))
            .str().c_str());
    else
        std::printf("event %zu reminds at %s%s\n", *slot + 1, momentText(stored.nextTime).c_str(),
            stored.hNotification != 0 ? "" : " (not registered: not ahead)");
    return 0;
}

int removeEvent(const Arguments& a)
{
    const std::string& text = a.words[1];
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number == 0)
        return fail("'" + text + "' is not an event number (see tkwctl event list)", kExitUsage);
    events::EventList list;
    if (!loadList(list))
        return kExitFailure;
    if (number > list.count())
        return fail("there is no event " + text);
    if (!events::DeleteEvent(list, number - 1, localNow()))
        return fail("Can't save event settings");
    if (a.json)
        std::printf("%s\n", JsonObject().add("deleted", std::int64_t(number)).str().c_str());
    return 0;
}

} // namespace

int runEvent(const Arguments& a)
{
    if (a.words.size() == 1 && a.words[0] == "list")
        return list(a.json);
    if (!a.words.empty() && a.words[0] == "add")
        return add(a);
    if (a.words.size() == 2 && a.words[0] == "delete")
        return removeEvent(a);
    return fail("usage: tkwctl event list | add --name TEXT --at LOCAL-TIME [--recur once|year|month] [--note TEXT]"
                " | delete N",
        kExitUsage);
}

} // namespace tkwctl

// tkwctl event: the dated events of events.dat, changed the way the Events view changes them.

#include "tkwctl/commands.h"

#include "events/event_list.h"
#include "events/event_notes.h"
#include "events/event_record.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <cstdio>
#include <limits>
#include <optional>

namespace tkwctl {

namespace {

constexpr const char* kAddUsage
    = "usage: tkwctl event add --name TEXT --at YYYY-MM-DDTHH:MM[:SS] [--recur once|year|month] [--note TEXT]";

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

enum class Use { Show, Change };

// events.dat read for showing (a damaged file is shown with a warning) or for a change (a
// damaged file is not written over: the events it lost the end of would be lost for good).
bool loadList(events::EventList& list, Use use)
{
    events::EventsLoad outcome = events::EventsLoad::Loaded;
    (void)platform::retry(platform::kDataFileRetry, [&] {
        (void)events::LoadEvents(list, &outcome);
        return outcome != events::EventsLoad::Busy;
    });
    switch (outcome) {
    case events::EventsLoad::Loaded:
    case events::EventsLoad::Missing: return true;
    case events::EventsLoad::Busy: fail("events.dat stays busy: another program holds it"); return false;
    case events::EventsLoad::Unreadable: fail("events.dat cannot be read (is it a file you may read?)"); return false;
    case events::EventsLoad::Damaged: break;
    }
    if (use == Use::Change) {
        fail("Corrupt file with event settings: events.dat holds fewer events than it announces; "
             "it is left as it is");
        return false;
    }
    std::fprintf(stderr, "tkwctl: warning: events.dat is damaged: it holds fewer events than it announces "
                         "(the missing ones show as \"No Name\")\n");
    return true;
}

// The edit of events.dat that a change holds from its read to its save.
std::optional<platform::EditLock> editEvents()
{
    platform::EditLockError why = platform::EditLockError::None;
    auto edit = store::editDataFile(store::kEventsFile, store::kEditWait, &why);
    if (!edit)
        fail(std::string("events.dat cannot be changed now: ") + platform::describe(why));
    return edit;
}

int list(bool json)
{
    events::EventList list;
    if (!loadList(list, Use::Show))
        return kExitFailure;
    std::vector<std::string> items;
    for (std::size_t index = 0; index < list.count(); ++index) {
        const auto& event = list.records[index];
        const std::string name = platform::toUtf8(events::eventName(event));
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
    Options options({ "--name", "--at", "--recur", "--note" });
    if (const auto problem = options.read(a.words, 1, "event add"))
        return fail(*problem + "\n" + kAddUsage, kExitUsage);
    const std::string* name = options.value("--name");
    const std::string* at = options.value("--at");
    if (!name || !at)
        return fail(std::string(name ? "--at" : "--name") + " is needed\n" + kAddUsage, kExitUsage);
    std::u16string name16, note;
    if (const auto problem = readText("--name", *name, events::kMaxEventNameChars, TextKind::Line, name16))
        return fail(*problem, kExitUsage);
    const auto moment = parseIsoLocal(*at);
    if (!moment)
        return fail("--at " + inQuotes(*at) + " is not a valid local time (YYYY-MM-DDTHH:MM[:SS])", kExitUsage);
    const std::string* recur = options.value("--recur");
    const auto recurrence = recurrenceOf(recur ? *recur : "once");
    if (!recurrence)
        return fail("--recur " + inQuotes(*recur) + " is not once, year or month", kExitUsage);
    // A note has no length of its own: its file holds any length.
    if (const std::string* text = options.value("--note")) {
        if (const auto problem = readText("--note", *text, 0, TextKind::Paragraphs, note))
            return fail(*problem, kExitUsage);
    }

    (void)store::createDataDirectory(); // Made by the main program's first start; saving tells.
    const auto edit = editEvents();
    if (!edit)
        return kExitFailure;
    events::EventList list;
    if (!loadList(list, Use::Change))
        return kExitFailure;
    const auto slot = events::NewEventSlot(list);
    auto editor = slot ? events::OpenEditor(list, *slot) : std::nullopt;
    if (!editor)
        return fail("the list of events is full");
    events::setEventName(editor->working, name16);
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

    const auto& stored = list.records[*slot];
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
    const auto whole = wholeNumber(text, 1, std::numeric_limits<std::uint32_t>::max());
    if (!whole)
        return fail(inQuotes(text) + " is not an event number (see tkwctl event list)", kExitUsage);
    const auto number = std::size_t(*whole);
    const auto edit = editEvents();
    if (!edit)
        return kExitFailure;
    events::EventList list;
    if (!loadList(list, Use::Change))
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
    constexpr const char* kUsage = "usage: tkwctl event list | add --name TEXT --at LOCAL-TIME"
                                   " [--recur once|year|month] [--note TEXT] | delete N";
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command == "list" || command == "delete") {
        if (const auto problem = noMoreWords(a.words, command == "list" ? 1 : 2, "event " + command))
            return fail(*problem, kExitUsage);
    }
    if (command == "list")
        return list(a.json);
    if (command == "add")
        return add(a);
    if (command == "delete" && a.words.size() == 2)
        return removeEvent(a);
    if (command == "delete")
        return fail("'event delete' needs an event number\n" + std::string(kUsage), kExitUsage);
    return fail((command.empty() ? std::string() : unknownCommand(command, "event") + "\n") + kUsage, kExitUsage);
}

} // namespace tkwctl

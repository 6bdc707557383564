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
#include "store/sound_path.h"
#include "tkwctl/action_options.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <cstdio>
#include <limits>
#include <optional>

namespace tkwctl {

namespace {

const std::string kAddUsage = std::string("usage: tkwctl event add --name TEXT --at YYYY-MM-DDTHH:MM[:SS]"
                                          " [--recur once|year|month] [--note TEXT] ") + kActionUsage;
const std::string kEditUsage = std::string("usage: tkwctl event edit N [--name TEXT] [--at YYYY-MM-DDTHH:MM[:SS]]"
                                           " [--recur once|year|month] [--note TEXT] ") + kActionUsage;

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
            // The editor shows the default sound for an event without a sound file.
            addActionJson(item, actionFieldsOf(event),
                events::readEventSound(event.eventId).value_or(std::u16string(store::kDefaultSoundPath)));
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

// What "event add" and "event edit" change; each is absent when it was not given.
struct EventRequest {
    std::optional<std::u16string> name;
    std::optional<SYSTEMTIME> at;
    std::optional<std::uint32_t> recurrence;
    std::optional<std::u16string> note; // "" removes the note
    ActionRequest action;

    [[nodiscard]] bool any() const { return name || at || recurrence || note || action.any(); }
};

// The options of "event add|edit" after their first `first` words; a usage problem when one
// is not understood.
Problem readEventOptions(const std::vector<std::string>& words, std::size_t first, std::string_view command,
    EventRequest& request)
{
    Options options({ "--name", "--at", "--recur", "--note", TKWCTL_ACTION_OPTIONS });
    if (auto problem = options.read(words, first, command))
        return problem;
    if (const std::string* name = options.value("--name")) {
        request.name.emplace();
        if (auto problem = readText("--name", *name, events::kMaxEventNameChars, TextKind::Line, *request.name))
            return problem;
    }
    if (const std::string* at = options.value("--at")) {
        request.at = parseIsoLocal(*at);
        if (!request.at)
            return "--at " + inQuotes(*at) + " is not a valid local time (YYYY-MM-DDTHH:MM[:SS])";
    }
    if (const std::string* recur = options.value("--recur")) {
        request.recurrence = recurrenceOf(*recur);
        if (!request.recurrence)
            return "--recur " + inQuotes(*recur) + " is not once, year or month";
    }
    // A note has no length of its own: its file holds any length.
    if (const std::string* text = options.value("--note")) {
        request.note.emplace();
        if (auto problem = readText("--note", *text, 0, TextKind::Paragraphs, *request.note))
            return problem;
    }
    return readActionOptions(options, request.action);
}

// The editor's "OK" on the event at `index` of `list` (count() for the new slot), as one
// step of the caller's edit of events.dat. Every check comes before the first file is
// written, so a refusal stores nothing. The exit code; the failure is reported.
int storeEvent(const Arguments& a, events::EventList& list, std::size_t index, const EventRequest& request)
{
    auto editor = events::OpenEditor(list, index);
    if (!editor)
        return fail("the list of events is full");
    events::EventRecord& working = editor->working;
    const std::string item = "event " + std::to_string(index + 1);
    ActionFields action = actionFieldsOf(working);
    if (const auto problem = applyAction(action, request.action, item))
        return fail(*problem);
    const bool startsProgram = action.actionKind == kActionProgram;
    // The "Remind:" list is not offered for a program: such an event happens once.
    if (startsProgram && request.recurrence && *request.recurrence != events::kOnce)
        return fail(item + " starts a program, which happens once: --recur takes only once with it");
    FILETIME eventMoment = working.eventTime;
    if (request.at && !SystemTimeToFileTime(&*request.at, &eventMoment))
        return fail("--at is not a valid local time", kExitUsage);

    if (request.name)
        events::setEventName(working, *request.name);
    storeActionFields(working, action);
    if (startsProgram)
        working.recurrence = events::kOnce;
    else if (request.recurrence)
        working.recurrence = *request.recurrence;
    if (!startsProgram && request.action.sound && !events::writeEventSound(working.eventId, *request.action.sound))
        return fail("the event's sound could not be stored");
    if (request.note) {
        // As in the view, a note that cannot be written does not stop the event.
        switch (events::SaveNote(list.header, working, *request.note)) {
        case events::NoteOutcome::CannotCreate: fail("Can't save event note"); break;
        case events::NoteOutcome::ShortWrite: fail("Can't storage event note"); break;
        default: break;
        }
    }
    if (events::ApplyEditor(list, *editor, eventMoment, localNow()) != events::ApplyOutcome::Saved)
        return fail("Can't save event settings");

    const auto& stored = list.records[index];
    if (a.json)
        std::printf("%s\n", JsonObject().add("index", std::int64_t(index + 1))
            .add("eventId", std::int64_t(stored.eventId))
            .add("handle", std::int64_t(stored.hNotification)).add("nextTime", momentText(stored.nextTime))
            .str().c_str());
    else
        std::printf("event %zu reminds at %s%s\n", index + 1, momentText(stored.nextTime).c_str(),
            stored.hNotification != 0 ? "" : " (not registered: not ahead)");
    return 0;
}

int add(const Arguments& a)
{
    EventRequest request;
    if (const auto problem = readEventOptions(a.words, 1, "event add", request))
        return fail(*problem + "\n" + kAddUsage, kExitUsage);
    if (!request.name || !request.at)
        return fail(std::string(request.name ? "--at" : "--name") + " is needed\n" + kAddUsage, kExitUsage);

    (void)store::createDataDirectory(); // Made by the main program's first start; saving tells.
    const auto edit = editEvents();
    if (!edit)
        return kExitFailure;
    events::EventList list;
    if (!loadList(list, Use::Change))
        return kExitFailure;
    const auto slot = events::NewEventSlot(list);
    if (!slot)
        return fail("the list of events is full");
    return storeEvent(a, list, *slot, request);
}

int editEvent(const Arguments& a)
{
    const std::string& text = a.words[1];
    const auto whole = wholeNumber(text, 1, std::numeric_limits<std::uint32_t>::max());
    if (!whole)
        return fail(inQuotes(text) + " is not an event number (see tkwctl event list)", kExitUsage);
    EventRequest request;
    if (const auto problem = readEventOptions(a.words, 2, "event edit", request))
        return fail(*problem + "\n" + kEditUsage, kExitUsage);
    if (!request.any())
        return fail("'event edit' needs something to change\n" + kEditUsage, kExitUsage);

    const auto edit = editEvents();
    if (!edit)
        return kExitFailure;
    events::EventList list;
    if (!loadList(list, Use::Change))
        return kExitFailure;
    const auto number = std::size_t(*whole);
    if (number > list.count())
        return fail("there is no event " + text);
    return storeEvent(a, list, number - 1, request);
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
    const std::string kUsage = "usage: tkwctl event list | add --name TEXT --at LOCAL-TIME"
                               " [--recur once|year|month] [--note TEXT] [action options]"
                               " | edit N [options of add] | delete N\n"
                               "action options: " + std::string(kActionUsage);
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
    if (command == "edit" && a.words.size() >= 2)
        return editEvent(a);
    if (command == "edit")
        return fail("'event edit' needs an event number\n" + kUsage, kExitUsage);
    if (command == "delete")
        return fail("'event delete' needs an event number\n" + kUsage, kExitUsage);
    return fail((command.empty() ? std::string() : unknownCommand(command, "event") + "\n") + kUsage, kExitUsage);
}

} // namespace tkwctl

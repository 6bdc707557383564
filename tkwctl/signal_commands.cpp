#include "tkwctl/commands.h"

#include "platform/events.h"
#include "platform/handle.h"
#include "platform/text.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <cstdio>

namespace tkwctl {

namespace {

// The named event opened (or made) for one command.
class EventHandle : public platform::UniqueHandle {
public:
    explicit EventHandle(const std::u16string& name)
        : UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, name.c_str()))
    {
    }
};

int eventFailure(const std::string& name)
{
    const std::string why = platform::eventTableProblem();
    if (!why.empty())
        return fail("named events unavailable: " + why);
    if (GetLastError() == ERROR_NO_SYSTEM_RESOURCES)
        return fail("the named-event table is full (" + std::to_string(platform::kEventTableSlots) + " events)");
    return fail("cannot open the event '" + name + "'");
}

int list(bool json)
{
    const auto events = platform::listNamedEvents();
    if (!events)
        return fail("named events unavailable: " + platform::eventTableProblem());
    std::vector<std::string> items;
    for (const auto& event : *events) {
        const std::string name = platform::toUtf8(event.name);
        if (json)
            items.push_back(JsonObject().add("name", name).add("set", event.set).str());
        else
            std::printf("%-5s %s\n", event.set ? "set" : "clear", name.c_str());
    }
    if (json)
        std::printf("%s\n", jsonArray(items).c_str());
    return 0;
}

} // namespace

int runSignal(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl signal list | set|reset|test NAME | wait NAME [MILLISECONDS]";
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command == "list") {
        if (const auto problem = noMoreWords(a.words, 1, "signal list"))
            return fail(*problem, kExitUsage);
        return list(a.json);
    }
    if (command != "set" && command != "reset" && command != "test" && command != "wait")
        return fail((command.empty() ? std::string() : unknownCommand(command, "signal") + "\n") + kUsage,
            kExitUsage);
    if (a.words.size() < 2)
        return fail("'signal " + command + "' needs an event name\n" + kUsage, kExitUsage);
    if (const auto problem = noMoreWords(a.words, command == "wait" ? 3 : 2, "signal " + command))
        return fail(*problem, kExitUsage);
    const std::string& name = a.words[1];
    std::u16string wideName;
    if (const auto problem = readEventName(name, wideName))
        return fail(*problem, kExitUsage);
    DWORD timeoutMs = INFINITE;
    if (a.words.size() == 3) {
        const auto& text = a.words[2];
        const auto milliseconds = wholeNumber(text, 0, INFINITE - 1);
        if (!milliseconds)
            return fail(inQuotes(text) + " is not a whole number of milliseconds (0 to " + std::to_string(INFINITE - 1)
                    + ")",
                kExitUsage);
        timeoutMs = DWORD(*milliseconds);
    }
    EventHandle event(wideName);
    if (!event.get())
        return eventFailure(name);
    if (command == "set" || command == "reset")
        return EventModify(event.get(), command == "set" ? EVENT_SET : EVENT_RESET) ? 0 : eventFailure(name);
    if (command == "wait") {
        const DWORD result = WaitForSingleObject(event.get(), timeoutMs);
        if (result == WAIT_TIMEOUT)
            return fail("'" + name + "' was not set in time");
        return result == WAIT_OBJECT_0 ? 0 : eventFailure(name);
    }
    const bool set = WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0;
    if (a.json)
        std::printf("%s\n", JsonObject().add("name", name).add("set", set).str().c_str());
    else
        std::printf("%s\n", set ? "set" : "clear");
    return 0;
}

} // namespace tkwctl

#include "tkwctl/commands.h"

#include "platform/calendar.h"
#include "platform/notifications.h"
#include "platform/text.h"
#include "store/renewal_request.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <cstdio>

namespace tkwctl {

namespace {

constexpr const char* kUsage
    = "usage: tkwctl notify list | add --app PATH [--args TEXT] --at LOCAL-TIME | clear HANDLE | renew";

// The program a wake-up starts: a device path, or a named event to set
// ("\\.\Notifications\NamedEvents\NAME").
Problem readApplication(const std::string& text, std::u16string& into)
{
    const std::u16string_view prefix(platform::kNamedEventPrefix);
    std::u16string application;
    if (auto problem = readText("--app", text, kMaxDevicePathChars, TextKind::Line, application))
        return problem;
    if (application.size() >= prefix.size()
        && platform::equalsIgnoringCase(std::u16string_view(application).substr(0, prefix.size()), prefix)) {
        std::u16string name;
        if (auto problem = readEventName(platform::toUtf8(application.substr(prefix.size())), name))
            return "--app " + inQuotes(text) + ": " + *problem;
        into = std::move(application);
        return std::nullopt;
    }
    // Programs of the device tree are links to host programs, which lie outside the root.
    return readDevicePath("--app", text, platform::Links::MayLeave, into);
}

std::string localText(std::uint64_t ticks)
{
    const auto time = platform::systemTimeOfTicks(ticks);
    return time ? isoText(*time) : std::string("?");
}

int list(bool json)
{
    const auto wakeUps = platform::listWakeUps();
    const auto applications = platform::timeChangeApplications();
    if (!wakeUps || !applications)
        return fail("wake-up database unavailable: " + platform::wakeUpDatabaseProblem());
    std::vector<std::string> items, changeItems;
    for (const auto& w : *wakeUps) {
        const std::string application = platform::toUtf8(w.application);
        const std::string arguments = platform::toUtf8(w.arguments);
        if (json) {
            JsonObject item;
            item.add("handle", std::int64_t(w.handle)).add("application", application).add("arguments", arguments)
                .add("start", localText(w.startLocalTicks)).add("actionFlags", std::int64_t(w.actionFlags))
                .add("led", w.ledSet).add("fired", w.fired);
            if (w.endLocalTicks)
                item.add("end", localText(w.endLocalTicks));
            items.push_back(item.str());
        } else {
            std::printf("%10u  %s  %s %s%s\n", w.handle, localText(w.startLocalTicks).c_str(), application.c_str(),
                arguments.c_str(), w.ledSet ? "  [LED on]" : "");
        }
    }
    for (const auto& application : *applications) {
        if (json)
            changeItems.push_back(jsonString(platform::toUtf8(application)));
        else
            std::printf("%10s  %-19s  %s\n", "-", "on time change", platform::toUtf8(application).c_str());
    }
    if (json)
        std::printf("%s\n", JsonObject().addRaw("wakeUps", jsonArray(items)).addRaw("timeChange", jsonArray(changeItems))
            .str().c_str());
    return 0;
}

int add(const Arguments& a)
{
    constexpr const char* kAddUsage = "usage: tkwctl notify add --app DEVICE-PATH [--args TEXT] --at YYYY-MM-DDTHH:MM[:SS]";
    Options options({ "--app", "--args", "--at" });
    if (const auto problem = options.read(a.words, 1, "notify add"))
        return fail(*problem + "\n" + kAddUsage, kExitUsage);
    const std::string* application = options.value("--app");
    const std::string* at = options.value("--at");
    if (!application || !at)
        return fail(std::string(application ? "--at" : "--app") + " is needed\n" + kAddUsage, kExitUsage);
    std::u16string app, args;
    if (const auto problem = readApplication(*application, app))
        return fail(*problem, kExitUsage);
    if (const auto* arguments = options.value("--args")) {
        if (const auto problem = readText("--args", *arguments, 0, TextKind::Line, args))
            return fail(*problem, kExitUsage);
    }
    const auto start = parseIsoLocal(*at);
    if (!start)
        return fail("--at " + inQuotes(*at) + " is not a valid local time (YYYY-MM-DDTHH:MM[:SS])", kExitUsage);
    const DWORD value = platform::registerWakeUp(platform::ProgramWakeUp(app, args, *start));
    if (!value)
        return fail("cannot register the wake-up: " + platform::wakeUpDatabaseProblem());
    if (a.json)
        std::printf("%s\n", JsonObject().add("handle", std::int64_t(value)).str().c_str());
    else
        std::printf("%lu\n", static_cast<unsigned long>(value));
    return 0;
}

int clear(const Arguments& a)
{
    if (a.words.size() < 2)
        return fail("'notify clear' needs a wake-up handle\n" + std::string(kUsage), kExitUsage);
    if (const auto problem = noMoreWords(a.words, 2, "notify clear"))
        return fail(*problem, kExitUsage);
    const auto& text = a.words[1];
    const auto handle = wholeNumber(text, 1, 0xffffffff);
    if (!handle)
        return fail(inQuotes(text) + " is not a wake-up handle (a whole number from 1 to 4294967295)", kExitUsage);
    if (!platform::clearWakeUp(DWORD(*handle)))
        return fail("no wake-up " + text);
    return 0;
}

// As the main program's "Clear && update notifications": the runner renews every
// registration in the background, a few seconds later.
int renew()
{
    if (!store::requestRenewal())
        return fail("cannot start the runner (is the device tree installed? tkwctl install)");
    std::printf("the runner renews every registration in a few seconds\n");
    return 0;
}

} // namespace

int runNotify(const Arguments& a)
{
    const std::string command = a.words.empty() ? std::string() : a.words[0];
    if (command == "list" || command == "renew") {
        if (const auto problem = noMoreWords(a.words, 1, "notify " + command))
            return fail(*problem, kExitUsage);
        return command == "list" ? list(a.json) : renew();
    }
    if (command == "add")
        return add(a);
    if (command == "clear")
        return clear(a);
    if (command.empty())
        return fail(kUsage, kExitUsage);
    return fail(unknownCommand(command, "notify") + "\n" + kUsage, kExitUsage);
}

} // namespace tkwctl

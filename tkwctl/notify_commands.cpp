#include "tkwctl/commands.h"

#include "platform/calendar.h"
#include "platform/notifications.h"
#include "platform/text.h"
#include "runner/renewal_request.h"
#include "tkwctl/json.h"
#include "tkwctl/time_text.h"

#include <charconv>
#include <cstdio>

namespace tkwctl {

namespace {

std::optional<std::string> optionValue(const std::vector<std::string>& words, const char* name)
{
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == name)
            return words[i + 1];
    }
    return std::nullopt;
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
    const auto application = optionValue(a.words, "--app");
    const auto at = optionValue(a.words, "--at");
    const auto arguments = optionValue(a.words, "--args").value_or("");
    if (!application || !at)
        return fail("usage: tkwctl notify add --app DEVICE-PATH [--args TEXT] --at YYYY-MM-DDTHH:MM[:SS]", kExitUsage);
    const auto start = parseIsoLocal(*at);
    if (!start)
        return fail("'" + *at + "' is not a valid local time (YYYY-MM-DDTHH:MM[:SS])", kExitUsage);
    const auto app = platform::toUtf16(*application);
    const auto args = platform::toUtf16(arguments);
    CE_NOTIFICATION_TRIGGER trigger { };
    trigger.dwSize = sizeof trigger;
    trigger.dwType = CNT_TIME;
    trigger.lpszApplication = app.c_str();
    trigger.lpszArguments = args.c_str();
    trigger.stStartTime = *start;
    CE_USER_NOTIFICATION notification { };
    HANDLE handle = CeSetUserNotificationEx(nullptr, &trigger, &notification);
    if (!handle)
        return fail("cannot register the wake-up: " + platform::wakeUpDatabaseProblem());
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (a.json)
        std::printf("%s\n", JsonObject().add("handle", std::int64_t(value)).str().c_str());
    else
        std::printf("%lu\n", static_cast<unsigned long>(value));
    return 0;
}

int clear(const Arguments& a)
{
    std::uint32_t handle = 0;
    const auto& text = a.words[1];
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), handle);
    if (error != std::errc() || end != text.data() + text.size() || handle == 0)
        return fail("'" + text + "' is not a wake-up handle", kExitUsage);
    if (!CeClearUserNotification(reinterpret_cast<HANDLE>(std::uintptr_t(handle))))
        return fail("no wake-up " + text);
    return 0;
}

// As the main program's "Clear && update notifications": the runner renews every
// registration in the background, a few seconds later.
int renew()
{
    if (!runner::RequestRenewal())
        return fail("cannot start the runner (is the device tree installed? tkwctl install)");
    std::printf("the runner renews every registration in a few seconds\n");
    return 0;
}

} // namespace

int runNotify(const Arguments& a)
{
    if (a.words.size() == 1 && a.words[0] == "list")
        return list(a.json);
    if (!a.words.empty() && a.words[0] == "add")
        return add(a);
    if (a.words.size() == 2 && a.words[0] == "clear")
        return clear(a);
    if (a.words.size() == 1 && a.words[0] == "renew")
        return renew();
    return fail("usage: tkwctl notify list | add --app PATH [--args TEXT] --at LOCAL-TIME | clear HANDLE | renew",
        kExitUsage);
}

} // namespace tkwctl

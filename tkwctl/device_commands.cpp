#include "tkwctl/commands.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/power.h"
#include "platform/zone_rule.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"
#include "tkwctl/time_text.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tkwctl {

namespace {

const char* zoneStateName(DWORD id)
{
    switch (id) {
    case TIME_ZONE_ID_STANDARD: return "standard";
    case TIME_ZONE_ID_DAYLIGHT: return "daylight";
    case TIME_ZONE_ID_UNKNOWN: return "no daylight saving";
    default: return "invalid";
    }
}

std::string offsetText(std::int64_t ticks)
{
    const double seconds = double(ticks) / double(platform::kTicksPerSecond);
    char text[48];
    std::snprintf(text, sizeof text, "%+.3f s", seconds);
    return text;
}

struct Snapshot {
    SYSTEMTIME local;
    SYSTEMTIME universal;
    TIME_ZONE_INFORMATION zone;
    DWORD zoneState;
    std::int64_t offsetTicks;
};

Snapshot snapshot()
{
    Snapshot s { };
    // One universal reading, converted, so the two times agree to the second.
    const std::uint64_t utc = platform::deviceUniversalTicks();
    s.zoneState = GetTimeZoneInformation(&s.zone);
    s.universal = *platform::systemTimeOfTicks(utc);
    FILETIME universal = fileTimeOf(utc), local { };
    FileTimeToLocalFileTime(&universal, &local);
    FileTimeToSystemTime(&local, &s.local);
    s.offsetTicks = platform::deviceClockOffsetTicks();
    return s;
}

int showTime(bool json)
{
    const Snapshot s = snapshot();
    if (json) {
        std::printf("%s\n", JsonObject().add("local", isoText(s.local)).add("universal", isoText(s.universal) + "Z")
            .add("daylight", s.zoneState == TIME_ZONE_ID_DAYLIGHT).add("offsetFromHostSeconds",
                std::int64_t(std::llround(double(s.offsetTicks) / double(platform::kTicksPerSecond)))).str().c_str());
    } else {
        std::printf("local time:  %s (%s)\nuniversal:   %sZ\n", isoText(s.local).c_str(), zoneStateName(s.zoneState),
            isoText(s.universal).c_str());
    }
    return 0;
}

int showZone(bool json)
{
    TIME_ZONE_INFORMATION zone { };
    const DWORD state = GetTimeZoneInformation(&zone);
    const std::string rule = platform::posixRuleOfZone(zone);
    if (json) {
        std::printf("%s\n", JsonObject().add("rule", rule).add("biasMinutes", std::int64_t(zone.Bias))
            .add("daylightBiasMinutes", std::int64_t(zone.DaylightBias)).add("state", zoneStateName(state))
            .add("hasDaylightSaving", platform::hasDaylightRule(zone)).str().c_str());
    } else {
        std::printf("zone:        %s (%s)\n", rule.c_str(), zoneStateName(state));
    }
    return 0;
}

int showStatus(bool json)
{
    const Snapshot s = snapshot();
    const std::string rule = platform::posixRuleOfZone(s.zone);
    const auto& root = platform::deviceRoot();
    const auto& runtime = platform::runtimeDirectory();
    const std::int64_t changes = std::int64_t(platform::timeChangeCount());
    if (json) {
        std::printf("%s\n", JsonObject().add("deviceRoot", root.string()).add("runtimeDirectory", runtime.string())
            .add("local", isoText(s.local)).add("universal", isoText(s.universal) + "Z")
            .add("zone", rule).add("zoneState", zoneStateName(s.zoneState))
            .add("offsetFromHostSeconds", std::int64_t(std::llround(double(s.offsetTicks) / double(platform::kTicksPerSecond))))
            .add("timeChanges", changes).str().c_str());
        return 0;
    }
    std::printf("device root: %s\n", root.c_str());
    std::printf("runtime:     %s\n", runtime.empty() ? ("unavailable: " + platform::runtimeDirectoryProblem()).c_str()
                                                     : runtime.c_str());
    std::printf("local time:  %s (%s)\n", isoText(s.local).c_str(), zoneStateName(s.zoneState));
    std::printf("universal:   %sZ\n", isoText(s.universal).c_str());
    std::printf("zone:        %s\n", rule.c_str());
    std::printf("offset:      %s from the host clock\n", offsetText(s.offsetTicks).c_str());
    std::printf("changes:     %lld of time or zone\n", static_cast<long long>(changes));
    return 0;
}

// About three thousand years either way: far more than anyone travels, and well inside the
// clock's 64-bit ticks.
constexpr std::int64_t kMostSecondsToAdvance = 100'000'000'000;

int runTime(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl device time [set YYYY-MM-DDTHH:MM[:SS] | advance SECONDS | reset]";
    if (a.words.size() == 1)
        return showTime(a.json);
    const std::string& command = a.words[1];
    const bool takesValue = command == "set" || command == "advance";
    if ((takesValue || command == "reset") && a.words.size() > (takesValue ? 3u : 2u))
        return fail(*noMoreWords(a.words, takesValue ? 3 : 2, "device time " + command), kExitUsage);
    if (takesValue && a.words.size() < 3)
        return fail("'device time " + command + "' needs a value\n" + kUsage, kExitUsage);
    if (command == "set") {
        const auto time = parseIsoLocal(a.words[2]);
        if (!time)
            return fail(inQuotes(a.words[2]) + " is not a valid local time (YYYY-MM-DDTHH:MM[:SS])", kExitUsage);
        if (!SetLocalTime(&*time))
            return fail("cannot set the device time");
        return showTime(a.json);
    }
    if (command == "advance") {
        const auto seconds = wholeNumber(a.words[2], -kMostSecondsToAdvance, kMostSecondsToAdvance);
        if (!seconds)
            return fail(inQuotes(a.words[2]) + " is not a whole number of seconds (from -"
                    + std::to_string(kMostSecondsToAdvance) + " to " + std::to_string(kMostSecondsToAdvance) + ")",
                kExitUsage);
        if (!platform::advanceDeviceClock(*seconds * std::int64_t(platform::kTicksPerSecond)))
            return fail("cannot move the device clock that far");
        return showTime(a.json);
    }
    if (command == "reset") {
        if (!platform::resetDeviceClockOffset())
            return fail("cannot reset the device clock");
        return showTime(a.json);
    }
    return fail(unknownCommand(command, "device time") + "\n" + kUsage, kExitUsage);
}

int runZone(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl device zone [set POSIX-RULE | host]";
    if (a.words.size() == 1)
        return showZone(a.json);
    TIME_ZONE_INFORMATION zone { };
    const std::string& command = a.words[1];
    if (command == "set" && a.words.size() < 3)
        return fail("'device zone set' needs a POSIX time-zone rule\n" + std::string(kUsage), kExitUsage);
    if (command == "set" || command == "host") {
        if (const auto problem = noMoreWords(a.words, command == "set" ? 3 : 2, "device zone " + command))
            return fail(*problem, kExitUsage);
    }
    if (command == "set") {
        const auto parsed = platform::zoneFromPosixRule(a.words[2]);
        if (!parsed)
            return fail(inQuotes(a.words[2]) + " is not a POSIX time-zone rule (e.g. CET-1CEST,M3.5.0,M10.5.0/3)",
                kExitUsage);
        zone = *parsed;
    } else if (command == "host") {
        zone = platform::hostZone();
    } else {
        return fail(unknownCommand(command, "device zone") + "\n" + kUsage, kExitUsage);
    }
    if (!SetTimeZoneInformation(&zone))
        return fail("cannot set the device time zone");
    return showZone(a.json);
}

int runActivity(const Arguments& a)
{
    if (const auto problem = noMoreWords(a.words, 2, "device activity"))
        return fail(*problem, kExitUsage);
    if (a.words.size() == 2 && a.words[1] == "active") {
        platform::reportUserActivity();
        return 0;
    }
    if (a.words.size() == 2 && a.words[1] == "idle") {
        platform::reportUserIdle();
        return 0;
    }
    if (a.words.size() == 1) {
        const auto active = platform::userActive();
        if (!active)
            return fail("no power manager runs (tkwctl service start)");
        if (a.json)
            std::printf("%s\n", JsonObject().add("active", *active).str().c_str());
        else
            std::printf("%s\n", *active ? "active" : "inactive");
        return 0;
    }
    return fail("unknown activity " + inQuotes(a.words[1]) + "\nusage: tkwctl device activity [active|idle]", kExitUsage);
}

int runPower(const Arguments& a)
{
    if (const auto problem = noMoreWords(a.words, 2, "device power"))
        return fail(*problem, kExitUsage);
    if (a.words.size() == 2) {
        const std::string& state = a.words[1];
        std::optional<bool> onAc;
        if (state == "ac")
            onAc = true;
        else if (state == "battery")
            onAc = false;
        else if (state != "host")
            return fail("unknown power state " + inQuotes(state) + "\nusage: tkwctl device power [ac|battery|host]",
                kExitUsage);
        if (!platform::setAcLineOverride(onAc))
            return fail("cannot change the device profile");
    }
    SYSTEM_POWER_STATUS_EX2 status { };
    if (!GetSystemPowerStatusEx2(&status, sizeof status, TRUE))
        return fail("cannot read the power status");
    const bool onAc = status.ACLineStatus == AC_LINE_ONLINE;
    const bool hasBattery = status.BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN;
    if (a.json) {
        JsonObject object;
        object.add("ac", onAc);
        if (hasBattery)
            object.add("batteryPercent", std::int64_t(status.BatteryLifePercent));
        std::printf("%s\n", object.str().c_str());
    } else if (hasBattery) {
        std::printf("%s, battery %u%%\n", onAc ? "AC" : "battery", status.BatteryLifePercent);
    } else {
        std::printf("%s, no battery\n", onAc ? "AC" : "battery");
    }
    return 0;
}

} // namespace

int runDevice(const Arguments& a)
{
    if (a.words.empty())
        return fail("usage: tkwctl device status|time|zone|activity|power", kExitUsage);
    const std::string& command = a.words[0];
    if (command == "status") {
        if (const auto problem = noMoreWords(a.words, 1, "device status"))
            return fail(*problem, kExitUsage);
        return showStatus(a.json);
    }
    if (command == "time")
        return runTime(a);
    if (command == "zone")
        return runZone(a);
    if (command == "activity")
        return runActivity(a);
    if (command == "power")
        return runPower(a);
    return fail(unknownCommand(command, "device"), kExitUsage);
}

} // namespace tkwctl

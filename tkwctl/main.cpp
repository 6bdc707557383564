// tkwctl: inspect and drive the device and the data store from the command line.

#include "tkwctl/commands.h"

#include "platform/device_root.h"
#include "tkwctl/options.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

constexpr const char* kUsage = R"(Usage: tkwctl [--json] GROUP COMMAND [ARGUMENTS]

  install                           lay out (or repair) the suite's device tree

  device status                     device root, clock, zone and offset from the host
  device time                       the device's local and universal time
  device time set YYYY-MM-DDTHH:MM[:SS]   set the device's local time
  device time advance SECONDS       move the device clock (negative: back)
  device time reset                 put the device clock back on the host clock
  device zone                       the device's time zone
  device zone set POSIX-RULE        e.g. CET-1CEST,M3.5.0,M10.5.0/3
  device zone host                  take the host's time zone again
  device activity active|idle       report user input, or make the user idle at once
  device power ac|battery|host      the AC state programs see (host: the host's own)

  signal list                       every named event and whether it is set
  signal set|reset|test NAME        set, reset or show one named event
  signal wait NAME [MILLISECONDS]   wait until the event is set (exit 1 on time-out)

  notify list                       wake-up registrations and time-change programs
  notify add --app DEVICE-PATH [--args TEXT] --at YYYY-MM-DDTHH:MM[:SS]
  notify clear HANDLE
  notify renew                      have the runner renew every registration

  service start|stop|status         the device service (tkw-deviced) of this device

  settings show                     every field of settings.dat by name
  settings set FIELD VALUE          one number field
  timer list                        the sixteen timers
  timer start|stop|reset N          as the Timers view's buttons do (N 1 to 16)
  timer set N [--value HH:MM:SS] [--name TEXT] [ACTION]
                                    a stopped timer's settings, as its settings window sets them
  event list                        the dated events, in the Events view's order
  event add --name TEXT --at YYYY-MM-DDTHH:MM[:SS] [--recur once|year|month] [--note TEXT] [ACTION]
  event edit N [--name ..] [--at ..] [--recur ..] [--note TEXT|""] [ACTION]
                                    as the event editor's "OK" does (N from event list)
  event delete N                    as the Events view's "Delete..." does (N from event list)
  alarm list                        the twenty alarms
  alarm set N [--time HH:MM] [--days Mon,Tue,...|none] [--label TEXT] [--sound DEVICE-PATH|none] [--on|--off]
                                    as the Alarms view and its settings window do (N 1 to 20)
  ACTION, what a timer or an event does when it rings:
    --action notification|plugin|program   the action list (--view or --program alone imply it)
    --view FACE                     plugin: an installed clock face
    --program DEVICE-PATH           program: a program or document on the device ("Invalid path"
                                    when it names no file)
    --args TEXT                     program: its parameters (a document takes none)
    --keep-awake 5|10|15|20|30|60   program: minutes the device stays on after starting it
    --sound DEVICE-PATH|none  --repeat 1-5 (times)  --pause 1-5 (seconds)   notification, plugin

  city list [--continent N]         the cities of the city database (N 0 Africa .. 5 South America)
  city show NAME|--at C,I [--year Y]   one city, with that year's daylight saving dates
  city time NAME [--at YYYY-MM-DDTHH:MM[:SS][Z]]   a city's time now, or at a device-local
                                    (or, ending in Z, universal) time
  city add --continent N --name TEXT --offset MINUTES --lat DD:MMN|S --lon DDD:MME|W
           [--daylight M,WD,N/M,WD,N|none] [--hours START/END]
                                    as the city editor does; --daylight 3,0,5/10,0,5 is the last
                                    Sunday (0) of March to the last (5) of October
  city edit NAME|--at C,I [--name ..] [--offset ..] [--lat ..] [--lon ..] [--daylight ..] [--hours ..]
  city delete NAME|--at C,I         NAME is a whole city name in any case; C,I a place from city list
  zone show                         the device's zone and the world-time city that keeps it
  zone apply NAME [--keep-utc]      as OK in the Home Location dialog: the city's zone to the device

  moon [--at YYYY-MM-DDTHH:MM[:SS][Z]] [--south]
                                    the Moon view's phases, age, distance, apogee and perigee;
                                    instants in universal time; --south: the southern picture
                                    (without it, the world-time city's hemisphere)
  sun --lat DD:MMN|S --lon DDD:MME|W [--offset HOURS] [--date YYYY-MM-DD]
  sun --city NAME [--offset HOURS] [--date YYYY-MM-DD]
                                    sunrise, sunset and the three twilights in local minutes
                                    (-1: none that day); the offset defaults to the city's rules
                                    or the device's zone on that date
  beat [--at YYYY-MM-DDTHH:MM[:SS][Z]]   the Internet time (beat) of a moment, or now
  beat --to-time BEAT [--date YYYY-MM-DD]   when a beat (0-999) of a beat day begins
  convert [--from CITY] [--at YYYY-MM-DDTHH:MM[:SS][Z]] --to CITY [CITY...]
                                    the time calculator: the source city's (default: the
                                    world-time city's) local time, or now, in other cities;
                                    JSON: from {name, local}, utc, cities [{name, local, time,
                                    date, weekday}]

  stopwatch show                    the stopwatch's state, elapsed time and splits
  stopwatch start|stop|reset|split  as the Stopwatch view's buttons do ("start" also resumes);
                                    JSON: state, running, elapsed, elapsedSeconds, nextSplit,
                                    splits [{label, time}]
  plg show                          the Today item's settings (plg.dat)
  lang [set N]                      the language: 0 English, 1 German, 3 French, 4 Italian, 5 Russian

  registry list KEY                 values and subkeys of a key (HKCU\... or HKLM\...)
  registry get KEY NAME             one value
  registry set KEY NAME dword|string|binary VALUE
  registry delete KEY NAME

  --json                            machine-readable output for every read command
The device root is $TICKWELL_DEVICE (default ~/.local/share/tickwell/device).
)";

} // namespace

namespace tkwctl {

int fail(const std::string& message, int code)
{
    std::fprintf(stderr, "tkwctl: %s\n", message.c_str());
    if (code == kExitUsage)
        std::fprintf(stderr, "Try 'tkwctl --help'.\n");
    return code;
}

} // namespace tkwctl

int main(int argc, char** argv)
{
    tkwctl::Arguments arguments;
    std::string group;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--json") {
            arguments.json = true;
        } else if (word == "--help" || word == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (group.empty() && !word.empty() && word.front() == '-') {
            return tkwctl::fail("unknown option " + tkwctl::inQuotes(word), tkwctl::kExitUsage);
        } else if (group.empty()) {
            group = word;
        } else {
            arguments.words.push_back(word);
        }
    }
    if (group.empty()) {
        std::fputs(kUsage, stderr);
        return tkwctl::kExitUsage;
    }
    using Command = int (*)(const tkwctl::Arguments&);
    const std::pair<const char*, Command> groups[] = {
        { "device", tkwctl::runDevice },
        { "signal", tkwctl::runSignal },
        { "registry", tkwctl::runRegistry },
        { "notify", tkwctl::runNotify },
        { "service", tkwctl::runService },
        { "settings", tkwctl::runSettings },
        { "plg", tkwctl::runPlugin },
        { "lang", tkwctl::runLanguage },
        { "install", tkwctl::runInstall },
        { "timer", tkwctl::runTimer },
        { "event", tkwctl::runEvent },
        { "alarm", tkwctl::runAlarm },
        { "city", tkwctl::runCity },
        { "zone", tkwctl::runCityZone },
        { "moon", tkwctl::runMoon },
        { "sun", tkwctl::runSun },
        { "beat", tkwctl::runBeat },
        { "convert", tkwctl::runConvert },
        { "stopwatch", tkwctl::runStopwatch },
    };
    for (const auto& [name, run] : groups) {
        if (group != name)
            continue;
        // Said before any command touches the device, which would end the process less kindly.
        if (const std::string problem = platform::deviceRootProblem(); !problem.empty())
            return tkwctl::fail(problem);
        return run(arguments);
    }
    return tkwctl::fail("unknown command group " + tkwctl::inQuotes(group), tkwctl::kExitUsage);
}

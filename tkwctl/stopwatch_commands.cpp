#include "tkwctl/commands.h"

#include "platform/device_clock.h"
#include "platform/locale.h"
#include "platform/text.h"
#include "stopwatch/stopwatch.h"
#include "store/language.h"
#include "store/settings.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <algorithm>
#include <cstdio>

namespace tkwctl {

namespace {

constexpr const char* kUsage = "usage: tkwctl stopwatch show|start|stop|reset|split";

// The hundredths of a moment. The view makes them up from its redraws; here the device
// clock's own fraction of the second is at hand, and the stopwatch starts on whole seconds.
int hundredthsOf(std::uint64_t universalTicks)
{
    return int(universalTicks % stopwatch::kTicksPerSecond / (stopwatch::kTicksPerSecond / 100));
}

const char* phaseName(stopwatch::Phase phase)
{
    switch (phase) {
    case stopwatch::Phase::Running:
        return "running";
    case stopwatch::Phase::Stopped:
        return "stopped";
    case stopwatch::Phase::Reset:
        break;
    }
    return "reset";
}

int show(const stopwatch::Stopwatch& watch, bool json)
{
    const std::uint64_t now = platform::deviceUniversalNow().count();
    const std::uint64_t elapsed = watch.elapsedTicksAt(now);
    const int hundredths = watch.state().running ? hundredthsOf(now) : 0;
    const std::string text = platform::toUtf8(
        stopwatch::displayText(stopwatch::Elapsed(elapsed), hundredths, platform::userLocale()));
    const auto& splits = watch.splits();
    if (json) {
        std::vector<std::string> items;
        for (const auto& split : splits)
            items.push_back(JsonObject()
                                .add("label", platform::toUtf8(split.label))
                                .add("time", platform::toUtf8(split.time))
                                .str());
        std::printf("%s\n",
            JsonObject()
                .add("state", phaseName(watch.phase()))
                .add("running", watch.state().running)
                .add("elapsed", text)
                .add("elapsedSeconds", std::int64_t(elapsed / stopwatch::kTicksPerSecond))
                .add("nextSplit", std::int64_t(watch.nextSplitNumber()))
                .addRaw("splits", jsonArray(items))
                .str()
                .c_str());
        return 0;
    }
    std::printf("%s  %s\n", phaseName(watch.phase()), text.c_str());
    for (const auto& split : splits)
        std::printf("%s\t%s\n", platform::toUtf8(split.label).c_str(),
            platform::toUtf8(split.time).c_str());
    return 0;
}

int report(stopwatch::EditOutcome outcome, const char* refusal)
{
    switch (outcome) {
    case stopwatch::EditOutcome::Done:
        return 0;
    case stopwatch::EditOutcome::Busy:
        return fail("the stopwatch cannot be changed now: another program is changing settings.dat "
                    "or stopwatch.dat");
    case stopwatch::EditOutcome::NotSaved:
        return fail("cannot write settings.dat or stopwatch.dat");
    case stopwatch::EditOutcome::Refused:
        break;
    }
    return fail(refusal);
}

} // namespace

int runStopwatch(const Arguments& a)
{
    if (a.words.empty())
        return fail(kUsage, kExitUsage);
    const std::string& command = a.words[0];
    const std::string known[] = { "show", "start", "stop", "reset", "split" };
    if (std::find(std::begin(known), std::end(known), command) == std::end(known))
        return fail(unknownCommand(command, "stopwatch") + "\n" + kUsage, kExitUsage);
    if (const auto problem = noMoreWords(a.words, 1, "stopwatch " + command))
        return fail(*problem, kExitUsage);

    // A split is labelled in the main program's language ("Zwischenzeit 03").
    (void)store::ReadLanguage(store::LanguageReader::MainProgram, { 1, 50 });
    // This run's copy of the record: the defaults until the stopwatch reads settings.dat.
    // Only its two stopwatch fields are ever written back into the file.
    store::SettingsRecord record {};
    store::DefaultSettings(record, store::currentLanguage());
    stopwatch::Stopwatch watch(record);
    (void)watch.syncWithDisk();
    if (watch.lastSplitRead() == stopwatch::SplitFileStatus::Trimmed)
        std::fprintf(
            stderr, "tkwctl: stopwatch.dat ended in an unpaired string; it was left out\n");
    else if (watch.lastSplitRead() == stopwatch::SplitFileStatus::SetAside)
        std::fprintf(stderr,
            "tkwctl: stopwatch.dat was too large for a split list; it was kept beside as "
            "stopwatch.dat.damaged-...\n");
    else if (watch.lastSplitRead() == stopwatch::SplitFileStatus::Unreadable)
        std::fprintf(stderr, "tkwctl: stopwatch.dat cannot be read; no splits shown\n");

    const std::uint64_t now = platform::deviceUniversalNow().count();
    int code = 0;
    if (command == "start")
        code = report(watch.Start(now), "the stopwatch is already running");
    else if (command == "stop")
        code = report(watch.Stop(now), "the stopwatch is not running");
    else if (command == "reset")
        code = report(watch.Reset(), "the stopwatch cannot be reset");
    else if (command == "split")
        code = report(watch.Split(now, hundredthsOf(now)),
            "the stopwatch is not running: a split needs a running stopwatch");
    if (code != 0)
        return code;
    return command == "show" || a.json ? show(watch, a.json) : 0;
}

} // namespace tkwctl

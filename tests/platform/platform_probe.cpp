// Another process of the device, driven by the platform tests. Each command prints a line
// when it has done its first step, so the test knows when to act.

#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

[[noreturn]] void sleepForever()
{
    for (;;)
        ::pause();
}

HANDLE openEvent(const char* name)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, platform::toUtf16(name).c_str());
    if (!event) {
        std::fprintf(stderr, "probe: cannot open event %s\n", name);
        std::exit(2);
    }
    return event;
}

std::vector<std::byte> filled(std::size_t size, char value)
{
    return std::vector<std::byte>(size, std::byte(value));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string command = argv[1];

    // wait TIMEOUT_MS EVENT...: prints "waiting", then the index that woke it or "timeout".
    if (command == "wait" && argc >= 4) {
        std::vector<HANDLE> events;
        for (int i = 3; i < argc; ++i)
            events.push_back(openEvent(argv[i]));
        say("waiting");
        const DWORD result = WaitForMultipleObjects(DWORD(events.size()), events.data(), FALSE, DWORD(std::atol(argv[2])));
        if (result == WAIT_TIMEOUT) {
            say("timeout");
            return 3;
        }
        std::printf("woke %u\n", result - WAIT_OBJECT_0);
        return 0;
    }
    if (command == "set" && argc == 3)
        return EventModify(openEvent(argv[2]), EVENT_SET) ? 0 : 1;

    if (command == "hold-event-lock") {
        if (!platform::holdEventTableLockForTesting())
            return 1;
        say("locked");
        sleepForever();
    }

    // hold-file DEVICE-PATH exclusive|read: keeps the file open until killed.
    if (command == "hold-file" && argc == 4) {
        const bool exclusive = std::strcmp(argv[3], "exclusive") == 0;
        auto file = platform::File::open(platform::toUtf16(argv[2]), exclusive ? platform::Access::ReadWrite : platform::Access::Read,
            exclusive ? platform::Share::None : platform::Share::Read, platform::Disposition::OpenAlways);
        if (!file)
            return 1;
        say("open");
        sleepForever();
    }

    // replace-loop DEVICE-PATH: replaces the file again and again with 4096 bytes of 'a' or
    // 8192 bytes of 'b' until killed.
    if (command == "replace-loop" && argc == 3) {
        const auto path = platform::toUtf16(argv[2]);
        const auto small = filled(4096, 'a');
        const auto large = filled(8192, 'b');
        say("replacing");
        for (unsigned round = 0;; ++round) {
            const auto& bytes = round % 2 ? large : small;
            (void)platform::replaceFile(path, bytes);
        }
    }

    // registry-write KEY PREFIX COUNT: writes PREFIX0..PREFIX<COUNT-1> = index under HKCU\KEY.
    if (command == "registry-write" && argc == 5) {
        const auto key = platform::toUtf16(argv[2]);
        const int count = std::atoi(argv[4]);
        say("writing");
        for (int i = 0; i < count; ++i) {
            const auto name = platform::toUtf16(std::string(argv[3]) + std::to_string(i));
            if (!platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, key, name, DWORD(i))) {
                std::fprintf(stderr, "probe: write %d failed\n", i);
                return 1;
            }
        }
        say("done");
        return 0;
    }

    // watch-value KEY NAME TIMEOUT_MS: waits for a change of HKCU\KEY NAME.
    if (command == "watch-value" && argc == 5) {
        platform::RegistryWatch watch(platform::RegistryRoot::CurrentUser, platform::toUtf16(argv[2]), platform::toUtf16(argv[3]));
        if (!watch.valid())
            return 1;
        say("watching");
        if (WaitForSingleObject(watch.event(), DWORD(std::atol(argv[4]))) != WAIT_OBJECT_0) {
            say("timeout");
            return 3;
        }
        say(watch.changed() ? "changed" : "spurious");
        return 0;
    }
    std::fprintf(stderr, "probe: unknown command %s\n", command.c_str());
    return 2;
}

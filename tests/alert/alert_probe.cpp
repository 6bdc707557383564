// A runner's alert volume in a process of its own: "alert_probe LEVEL" raises the volume,
// prints "raised" or "left alone", waits for the named event "probe_restore" and restores.

#include "alert/alert_volume.h"
#include "platform/events.h"
#include "platform/handle.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    alert::AlertVolume volume;
    volume.raise(std::uint32_t(std::atoi(argv[1])));
    std::printf("%s\n", volume.raised() ? "raised" : "left alone");
    std::fflush(stdout);
    HANDLE restore = CreateEventW(nullptr, TRUE, FALSE, u"probe_restore");
    WaitForSingleObject(restore, 20000);
    volume.restore();
    std::printf("restored\n");
    return 0;
}

#include "services/sleep_inhibitor.h"

#include "platform/shared_library.h"

#include <fcntl.h>

namespace services {

namespace {

// sd-bus is loaded at run time: a machine without systemd still runs the service.
struct BusError {
    const char* name = nullptr;
    const char* message = nullptr;
    int needFree = 0;
};

} // namespace

platform::UniqueFd inhibitSleep(std::string& problem)
{
    const platform::SharedLibrary systemd("libsystemd.so.0");
    if (!systemd) {
        problem = "libsystemd is not installed";
        return platform::UniqueFd();
    }
    auto openSystem = systemd.symbol<int (*)(void**)>("sd_bus_open_system");
    auto callMethod = systemd.symbol<int (*)(void*, const char*, const char*, const char*, const char*, BusError*,
        void**, const char*, ...)>("sd_bus_call_method");
    auto readMessage = systemd.symbol<int (*)(void*, const char*, ...)>("sd_bus_message_read");
    auto unrefMessage = systemd.symbol<void* (*)(void*)>("sd_bus_message_unref");
    auto freeError = systemd.symbol<void (*)(BusError*)>("sd_bus_error_free");
    auto unrefBus = systemd.symbol<void* (*)(void*)>("sd_bus_flush_close_unref");
    if (!openSystem || !callMethod || !readMessage || !unrefMessage || !freeError || !unrefBus) {
        problem = "libsystemd lacks sd-bus";
        return platform::UniqueFd();
    }
    void* bus = nullptr;
    if (openSystem(&bus) < 0 || !bus) {
        problem = "the system bus cannot be reached";
        return platform::UniqueFd();
    }
    BusError error;
    void* reply = nullptr;
    platform::UniqueFd lock;
    if (callMethod(bus, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
            "Inhibit", &error, &reply, "ssss", "sleep", "Tickwell Pro", "Starting the program of a wake-up", "block")
        < 0) {
        problem = std::string("logind refused: ") + (error.message ? error.message : "no answer");
    } else {
        int fd = -1;
        // The message owns the descriptor it carries; keep a copy of our own.
        if (readMessage(reply, "h", &fd) >= 0 && fd >= 0)
            lock.reset(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
        if (!lock)
            problem = "logind gave no inhibitor";
    }
    freeError(&error);
    if (reply)
        unrefMessage(reply);
    unrefBus(bus);
    return lock;
}

} // namespace services

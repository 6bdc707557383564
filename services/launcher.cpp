#include "services/launcher.h"

#include "platform/files.h"
#include "platform/notifications.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "services/log.h"
#include "services/sleep_inhibitor.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace services {

int launchWakeUp(std::uint32_t handle)
{
    // The service waits until this process has become the program (or ended), so that
    // wake-ups fired together start in their order.
    if (const char* pipe = std::getenv(platform::kStartPipeVariable)) {
        ::fcntl(std::atoi(pipe), F_SETFD, FD_CLOEXEC);
        ::unsetenv(platform::kStartPipeVariable);
    }
    platform::WakeUp wakeUp;
    if (!platform::takeWakeUpForFiring(handle, &wakeUp))
        return 0;
    const std::string application = platform::toUtf8(wakeUp.application);
    const auto program = platform::hostPathOf(wakeUp.application, nullptr, platform::Links::MayLeave);
    if (!program || !platform::isExecutableFile(*program)) {
        log("wake-up %u: no program at %s; dropped", handle, application.c_str());
        return 1;
    }
    std::string why;
    const platform::UniqueFd inhibitor = inhibitSleep(why); // released when exec succeeds
    ::setenv(platform::kModulePathVariable, application.c_str(), 1);
    ::setenv(platform::kWakeUpStartVariable, std::to_string(wakeUp.startLocalTicks).c_str(), 1);
    // The program's start-up waits count from here: loading it is part of its start.
    const auto taken = std::chrono::steady_clock::now().time_since_epoch();
    ::setenv(platform::kWakeUpTakenVariable,
        std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(taken).count()).c_str(), 1);
    std::string path = program->string();
    std::string arguments = platform::toUtf8(wakeUp.arguments);
    std::vector<char*> argv { path.data() };
    if (!arguments.empty())
        argv.push_back(arguments.data());
    argv.push_back(nullptr);
    log("wake-up %u: starting %s %s", handle, application.c_str(), arguments.c_str());
    ::execv(path.c_str(), argv.data());
    log("wake-up %u: cannot start %s: %s", handle, path.c_str(), std::strerror(errno));
    return 1;
}

} // namespace services

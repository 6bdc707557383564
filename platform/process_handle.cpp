#include "platform/process_handle.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace platform {

HANDLE openProcessHandle(pid_t pid)
{
    UniqueFd pidfd(int(::syscall(SYS_pidfd_open, pid, 0)));
    if (!pidfd)
        return nullptr;
    return registerHandle(new ProcessObject(pid, std::move(pidfd)));
}

DWORD waitForProcesses(const std::vector<ProcessObject*>& processes, DWORD timeoutMs)
{
    std::vector<pollfd> fds;
    for (auto* process : processes)
        fds.push_back({ process->pidfd(), POLLIN, 0 });
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int waitMs = -1;
        if (timeoutMs != INFINITE) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            waitMs = int(std::max<long long>(0, std::min<long long>(left, 1 << 30)));
        }
        const int ready = ::poll(fds.data(), fds.size(), waitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return WAIT_FAILED;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0)
                return WAIT_OBJECT_0 + DWORD(i);
        }
        if (ready == 0 && waitMs >= 0 && Clock::now() >= deadline)
            return WAIT_TIMEOUT;
    }
}

} // namespace platform

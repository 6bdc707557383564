#pragma once
// Waitable handles of processes, over pidfds.

#include "platform/handle.h"
#include "platform/unique_fd.h"

#include <sys/types.h>
#include <vector>

namespace platform {

class ProcessObject final : public HandleObject {
public:
    ProcessObject(pid_t pid, UniqueFd pidfd) : m_pid(pid), m_pidfd(std::move(pidfd)) { }
    pid_t pid() const { return m_pid; }
    int pidfd() const { return m_pidfd.get(); }

private:
    pid_t m_pid;
    UniqueFd m_pidfd;
};

// A handle of a running process, or null when it has gone.
[[nodiscard]] HANDLE openProcessHandle(pid_t pid);

// Waits until one of the processes ended: WAIT_OBJECT_0 + index, WAIT_TIMEOUT or WAIT_FAILED.
[[nodiscard]] DWORD waitForProcesses(const std::vector<ProcessObject*>& processes, DWORD timeoutMs);

} // namespace platform

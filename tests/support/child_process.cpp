#include "tests/support/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testing_support {

ChildProcess::ChildProcess(std::vector<std::string> arguments)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    m_output = pipeFds[0];
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_exit) {
        ::kill(m_pid, SIGKILL);
        int status;
        ::waitpid(m_pid, &status, 0);
    }
    if (m_output >= 0)
        ::close(m_output);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || m_output < 0)
            return std::nullopt;
        pollfd poller { m_output, POLLIN, 0 };
        if (::poll(&poller, 1, int(left.count())) <= 0)
            continue;
        char chunk[512];
        const ssize_t got = ::read(m_output, chunk, sizeof chunk);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            return std::nullopt;
        }
        m_buffer.append(chunk, std::size_t(got));
    }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout)
{
    if (m_exit || m_pid <= 0)
        return m_exit;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_exit;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void ChildProcess::kill(int signal)
{
    if (m_pid > 0 && !m_exit)
        ::kill(m_pid, signal);
}

CommandResult runCommand(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout)
{
    ChildProcess child(arguments);
    CommandResult result;
    while (auto line = child.readLine(timeout))
        result.output += *line + "\n";
    const auto code = child.wait(timeout);
    result.exitCode = code ? *code : -1;
    return result;
}

} // namespace testing_support

#pragma once
// Another process of the device under test: started with arguments, its standard output
// read line by line, killed or waited for. The device root is passed on through the
// environment.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace testing_support {

class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> arguments);
    ~ChildProcess(); // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // The next line of output, or nullopt when the child closed its output or time ran out.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Exit code, 128 + signal for a killed child, or nullopt when it is still running at the end.
    std::optional<int> wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void kill(int signal);

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_buffer;
    std::optional<int> m_exit;
};

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

// Runs a command to its end and collects its standard output.
CommandResult runCommand(const std::vector<std::string>& arguments,
    std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace testing_support

// A program for wake-ups to start: appends "<command line>|<pid>|<wall-clock ns>" to the file
// named by $TKW_PROBE_LOG, under a lock so that probes started together keep whole lines.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    timespec now { };
    ::clock_gettime(CLOCK_REALTIME, &now);
    const char* logPath = std::getenv("TKW_PROBE_LOG");
    if (!logPath)
        return 2;
    const std::string line = std::string(argc > 1 ? argv[1] : "") + "|" + std::to_string(::getpid()) + "|"
        + std::to_string(std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec) + "\n";
    const int fd = ::open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return 1;
    ::flock(fd, LOCK_EX);
    const bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    ::close(fd);
    return written ? 0 : 1;
}

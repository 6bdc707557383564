#include "services/log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace services {

void log(const char* format, ...)
{
    char text[1024];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    timespec now { };
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local { };
    ::localtime_r(&now.tv_sec, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::printf("%s.%03ld tkw-deviced[%d]: %s\n", stamp, now.tv_nsec / 1'000'000, int(::getpid()), text);
    std::fflush(stdout);
}

} // namespace services

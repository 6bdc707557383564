// A program for ShellExecuteEx to start: writes each of its arguments, followed by a zero
// byte, to the file named by $TKW_ARGV_LOG, so that the test sees exactly which words
// arrived (an empty argument included).

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const char* logPath = std::getenv("TKW_ARGV_LOG");
    if (!logPath)
        return 2;
    std::FILE* log = std::fopen(logPath, "wb");
    if (!log)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, log);
    return std::fclose(log) == 0 ? 0 : 1;
}

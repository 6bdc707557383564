#pragma once
// The command groups of tkwctl. Each returns the process exit code: 0 on success, 1 when a
// request failed, 2 for a command line it does not understand.

#include <string>
#include <vector>

namespace tkwctl {

struct Arguments {
    std::vector<std::string> words; // after the group name, options removed
    bool json = false;
};

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Prints "tkwctl: <message>" to stderr and returns `code`.
int fail(const std::string& message, int code = kExitFailure);

int runDevice(const Arguments& arguments);
int runSignal(const Arguments& arguments);
int runRegistry(const Arguments& arguments);
int runNotify(const Arguments& arguments);
int runService(const Arguments& arguments);
int runSettings(const Arguments& arguments);
int runPlugin(const Arguments& arguments);
int runLanguage(const Arguments& arguments);
int runInstall(const Arguments& arguments);
int runTimer(const Arguments& arguments);
int runEvent(const Arguments& arguments);
int runAlarm(const Arguments& arguments);
int runCity(const Arguments& arguments);
int runCityZone(const Arguments& arguments);
int runMoon(const Arguments& arguments);
int runSun(const Arguments& arguments);
int runBeat(const Arguments& arguments);
int runConvert(const Arguments& arguments);
int runStopwatch(const Arguments& arguments);

} // namespace tkwctl

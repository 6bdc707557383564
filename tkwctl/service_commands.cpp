#include "tkwctl/commands.h"

#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/power.h"
#include "tkwctl/json.h"
#include "tkwctl/options.h"

#include <cstdio>
#include <fstream>
#include <map>

namespace tkwctl {

namespace {

// What the running service last wrote about itself: key=value lines.
std::map<std::string, std::string> serviceReport()
{
    std::map<std::string, std::string> report;
    std::ifstream in(platform::runtimeDirectory() / "deviced.status");
    for (std::string line; std::getline(in, line);) {
        if (const auto cut = line.find('='); cut != std::string::npos)
            report[line.substr(0, cut)] = line.substr(cut + 1);
    }
    return report;
}

int showStatus(bool json)
{
    const auto pid = platform::runningDeviceService();
    auto report = pid ? serviceReport() : std::map<std::string, std::string>();
    const auto program = platform::deviceServiceProgram();
    const auto active = platform::userActive();
    if (json) {
        JsonObject object;
        object.add("running", pid.has_value());
        if (pid)
            object.add("pid", std::int64_t(*pid));
        object.add("program", program ? program->string() : std::string());
        for (const auto& [key, value] : report) {
            if (key != "pid")
                object.add(key, value);
        }
        if (active)
            object.add("userActive", *active);
        object.add("log", platform::deviceServiceLogFile().string());
        std::printf("%s\n", object.str().c_str());
        return 0;
    }
    if (!pid) {
        std::printf("service:     not running%s\n", program ? "" : " (tkw-deviced not found)");
        return 0;
    }
    std::printf("service:     running, pid %d\n", int(*pid));
    std::printf("next:        %s\n", report["next-wake-up"].c_str());
    std::printf("wake:        from suspend %s\n", report["wake-from-suspend"].c_str());
    std::printf("inhibitor:   %s\n", report["sleep-inhibitor"].c_str());
    if (active)
        std::printf("user:        %s\n", *active ? "active" : "inactive");
    std::printf("log:         %s\n", platform::deviceServiceLogFile().c_str());
    return 0;
}

} // namespace

int runService(const Arguments& a)
{
    constexpr const char* kUsage = "usage: tkwctl service start|stop|status";
    const std::string command = a.words.empty() ? "" : a.words[0];
    if (command != "start" && command != "stop" && command != "status")
        return fail((command.empty() ? std::string() : unknownCommand(command, "service") + "\n") + kUsage,
            kExitUsage);
    if (const auto problem = noMoreWords(a.words, 1, "service " + command))
        return fail(*problem, kExitUsage);
    if (command == "start") {
        std::string problem;
        return platform::startDeviceService(&problem) ? 0 : fail(problem);
    }
    if (command == "stop")
        return platform::stopDeviceService() ? 0 : fail("the device service did not stop");
    return showStatus(a.json);
}

} // namespace tkwctl

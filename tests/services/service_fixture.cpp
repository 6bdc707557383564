#include "tests/services/service_fixture.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_service.h"
#include "platform/notifications.h"
#include "platform/text.h"

#include <csignal>
#include <fstream>
#include <thread>

namespace testing_support {

ServiceTest::ServiceTest()
    : m_probeLog(m_device.root() / "probe.log")
{
    ::setenv("TKW_DEVICED", TKW_DEVICED_PROGRAM, 1);
    ::setenv("TKW_PROBE_LOG", m_probeLog.c_str(), 1);
    std::filesystem::create_directories(m_device.root() / "Windows");
    std::filesystem::create_symlink(TKW_WAKEUP_PROBE, m_device.root() / "Windows" / "probe.exe");
}

ServiceTest::~ServiceTest() { (void)platform::stopDeviceService(); }

void ServiceTest::startService()
{
    std::string problem;
    ASSERT_TRUE(platform::startDeviceService(&problem)) << problem;
    // Running, and with its process id written into its lock file (it takes the lock first).
    const auto known = [] {
        const auto pid = platform::runningDeviceService();
        return pid && *pid > 0;
    };
    for (int i = 0; i < 500 && !known(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(known());
}

void ServiceTest::killService()
{
    const auto pid = platform::runningDeviceService();
    ASSERT_TRUE(pid && *pid > 0);
    ::kill(*pid, SIGKILL);
    for (int i = 0; i < 500 && platform::runningDeviceService(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(platform::runningDeviceService());
}

std::vector<ProbeStart> ServiceTest::probeStarts() const
{
    std::vector<ProbeStart> starts;
    std::ifstream in(m_probeLog);
    for (std::string line; std::getline(in, line);) {
        const auto first = line.find('|');
        const auto second = line.find('|', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        starts.push_back({ line.substr(0, first), std::stoi(line.substr(first + 1, second - first - 1)),
            std::stoll(line.substr(second + 1)) });
    }
    return starts;
}

std::vector<ProbeStart> ServiceTest::waitForProbeStarts(std::size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto starts = probeStarts();
    while (starts.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        starts = probeStarts();
    }
    return starts;
}

std::uint64_t ServiceTest::localTicksIn(std::chrono::milliseconds offset)
{
    FILETIME utc = fileTimeOf(platform::deviceUniversalTicks() + std::uint64_t(offset.count()) * 10'000), local { };
    FileTimeToLocalFileTime(&utc, &local);
    return ticksOf(local);
}

DWORD ServiceTest::registerProbe(std::uint64_t localTicks, const std::string& arguments, HANDLE replacing)
{
    const auto args = platform::toUtf16(arguments);
    CE_NOTIFICATION_TRIGGER trigger { };
    trigger.dwSize = sizeof trigger;
    trigger.dwType = CNT_TIME;
    trigger.lpszApplication = kProbePath;
    trigger.lpszArguments = args.c_str();
    trigger.stStartTime = *platform::systemTimeOfTicks(localTicks);
    CE_USER_NOTIFICATION none { };
    return DWORD(reinterpret_cast<std::uintptr_t>(CeSetUserNotificationEx(replacing, &trigger, &none)));
}

} // namespace testing_support

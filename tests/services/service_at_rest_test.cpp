// The device service at rest: it sleeps without a time-out when nothing is due, yet every
// event still reaches it. Real processes on the test's own device: the service, tkwctl,
// the probe, and an X server where one is installed.

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "tests/services/service_fixture.h"
#include "tests/support/child_process.h"

#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <tuple>

using namespace std::chrono_literals;

namespace {

class ServiceAtRest : public testing_support::ServiceTest {
protected:
    ServiceAtRest()
        : m_noDisplay("DISPLAY", nullptr)
        , m_active(CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityActiveEvent))
        , m_inactive(CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityInactiveEvent))
    {
    }

    ~ServiceAtRest() override
    {
        CloseHandle(m_active);
        CloseHandle(m_inactive);
    }

    static void setIdleTimeoutSeconds(DWORD seconds)
    {
        ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
            platform::kIdleTimeoutValue, seconds));
    }

    static bool tkwctl(const char* activity)
    {
        return testing_support::runCommand({ TKW_TKWCTL, "device", "activity", activity }).exitCode == 0;
    }

    // The status file's identity and age: every replacement is a new file, written later.
    using FileStamp = std::tuple<ino_t, time_t, long>;
    static std::optional<FileStamp> statusFileStamp()
    {
        struct stat info { };
        if (::stat((platform::runtimeDirectory() / "deviced.status").c_str(), &info) != 0)
            return std::nullopt;
        return FileStamp { info.st_ino, info.st_mtim.tv_sec, info.st_mtim.tv_nsec };
    }

    static std::optional<FileStamp> waitForStatusFile()
    {
        for (int i = 0; i < 250 && !statusFileStamp(); ++i)
            std::this_thread::sleep_for(20ms);
        return statusFileStamp();
    }

    bool isActive() const { return WaitForSingleObject(m_active, 0) == WAIT_OBJECT_0; }
    bool isInactive() const { return WaitForSingleObject(m_inactive, 0) == WAIT_OBJECT_0; }

    testing_support::EnvironmentGuard m_noDisplay;
    HANDLE m_active;
    HANDLE m_inactive;
};

TEST_F(ServiceAtRest, StatusFileIsReplacedOnlyWhenWhatItSaysChanges)
{
    startService();
    const auto first = waitForStatusFile();
    ASSERT_TRUE(first);

    // Each report wakes the service and takes it once round its loop.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(tkwctl("idle"));
        ASSERT_EQ(WaitForSingleObject(m_inactive, 5000), WAIT_OBJECT_0);
        ASSERT_TRUE(tkwctl("active"));
        ASSERT_EQ(WaitForSingleObject(m_active, 5000), WAIT_OBJECT_0);
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(statusFileStamp(), first);

    // A new next wake-up is news.
    ASSERT_NE(registerProbe(localTicksIn(1h), "later"), 0u);
    auto now = statusFileStamp();
    for (int i = 0; i < 250 && now == first; ++i) {
        std::this_thread::sleep_for(20ms);
        now = statusFileStamp();
    }
    EXPECT_NE(now, first);
    const auto status = testing_support::runCommand({ TKW_TKWCTL, "--json", "service", "status" });
    EXPECT_EQ(status.output.find("\"next-wake-up\":\"none\""), std::string::npos) << status.output;
}

TEST_F(ServiceAtRest, InputKeepsTheUserActiveAndTheIdleTimeOutStillEndsIt)
{
    setIdleTimeoutSeconds(2);
    startService();
    ASSERT_EQ(WaitForSingleObject(m_active, 5000), WAIT_OBJECT_0);
    // Reports well inside the time-out keep pushing the threshold on.
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(tkwctl("active"));
        std::this_thread::sleep_for(300ms);
        ASSERT_FALSE(isInactive()) << "after " << i << " reports";
    }
    // Without input the threshold passes and the user is away, with no report of idleness.
    EXPECT_EQ(WaitForSingleObject(m_inactive, 10'000), WAIT_OBJECT_0);
    EXPECT_FALSE(isActive());

    // Asleep with nothing to time, the service still hears of input.
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(tkwctl("active"));
    EXPECT_EQ(WaitForSingleObject(m_active, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(m_inactive, 10'000), WAIT_OBJECT_0);
}

TEST_F(ServiceAtRest, WakeUpRegisteredWhileItSleepsWithoutATimeOutFiresAtItsMoment)
{
    setIdleTimeoutSeconds(1);
    startService();
    // Inactive and nothing registered: the service waits for events alone.
    ASSERT_EQ(WaitForSingleObject(m_inactive, 10'000), WAIT_OBJECT_0);
    std::this_thread::sleep_for(300ms);

    const std::uint64_t due = localTicksIn(1500ms);
    ASSERT_NE(registerProbe(due, "rested"), 0u);
    const auto starts = waitForProbeStarts(1, 10s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, "rested");
    FILETIME local = fileTimeOf(due), utc { };
    LocalFileTimeToFileTime(&local, &utc);
    const std::int64_t dueNs = (std::int64_t(ticksOf(utc)) - platform::kUnixEpochTicks) * 100;
    EXPECT_GE(starts[0].wallNs, dueNs);
    EXPECT_LT(starts[0].wallNs - dueNs, 2'000'000'000);
}

// Gone, or ended and not yet reaped by whoever adopted it.
bool processRuns(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return false;
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

TEST_F(ServiceAtRest, RemovingTheDeviceRootEndsTheServiceAtOnce)
{
    startService();
    const auto pid = platform::runningDeviceService();
    ASSERT_TRUE(pid && *pid > 0);
    ASSERT_TRUE(waitForStatusFile());
    std::error_code error;
    std::filesystem::remove_all(m_device.root(), error);
    ASSERT_FALSE(error) << error.message();
    bool ended = false;
    for (int i = 0; i < 250 && !ended; ++i) {
        std::this_thread::sleep_for(20ms);
        ended = !processRuns(*pid);
    }
    EXPECT_TRUE(ended);
}

// With a display, input there makes an inactive user active again: the X server reports
// it, the service does not sample the idle time.
TEST_F(ServiceAtRest, InputOnTheDisplayMakesTheUserActiveAgain)
{
    const auto xvfb = platform::findOnPath("Xvfb");
    const auto xdotool = platform::findOnPath("xdotool");
    if (!xvfb || !xdotool)
        GTEST_SKIP() << "needs Xvfb and xdotool";
    testing_support::ChildProcess server({ xvfb->string(), "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
        "320x240x24" });
    const auto number = server.readLine(10s);
    ASSERT_TRUE(number && !number->empty());
    const std::string display = ":" + *number;
    testing_support::EnvironmentGuard useDisplay("DISPLAY", display.c_str());

    const auto moveMouse = [&](int x) {
        return testing_support::runCommand({ xdotool->string(), "mousemove", std::to_string(x), "20" }).exitCode == 0;
    };

    setIdleTimeoutSeconds(2);
    startService();
    ASSERT_EQ(WaitForSingleObject(m_inactive, 10'000), WAIT_OBJECT_0);
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(isInactive());

    ASSERT_TRUE(moveMouse(10));
    EXPECT_EQ(WaitForSingleObject(m_active, 5000), WAIT_OBJECT_0);
    // Input on the display keeps pushing the threshold on, as the suite's reports do.
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(moveMouse(20 + i));
        std::this_thread::sleep_for(300ms);
        ASSERT_FALSE(isInactive()) << "after " << i << " moves";
    }
    // And the time-out ends it again, after the display's last input.
    EXPECT_EQ(WaitForSingleObject(m_inactive, 10'000), WAIT_OBJECT_0);

    ASSERT_TRUE(moveMouse(60));
    EXPECT_EQ(WaitForSingleObject(m_active, 5000), WAIT_OBJECT_0);
    (void)platform::stopDeviceService(); // before its display goes
}

} // namespace

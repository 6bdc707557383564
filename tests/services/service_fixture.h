#pragma once
// A temporary device with its own device service, a probe program installed in the device
// tree as "\Windows\probe.exe", and the log the probe writes each time it is started.

#include "platform/types.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

inline constexpr const char16_t* kProbePath = u"\\Windows\\probe.exe";

struct ProbeStart {
    std::string commandLine;
    int pid = 0;
    std::int64_t wallNs = 0;
};

class ServiceTest : public ::testing::Test {
protected:
    ServiceTest();
    ~ServiceTest() override;

    void startService();
    void killService();
    // Every start of the probe so far, in order.
    std::vector<ProbeStart> probeStarts() const;
    // Waits until the probe has started at least `count` times; returns the starts.
    std::vector<ProbeStart> waitForProbeStarts(std::size_t count, std::chrono::milliseconds timeout) const;

    // The device's local time now plus `offset`, in ticks.
    static std::uint64_t localTicksIn(std::chrono::milliseconds offset);
    // Registers the probe with `arguments` at a local time; returns the handle (0 on failure).
    static DWORD registerProbe(std::uint64_t localTicks, const std::string& arguments, HANDLE replacing = nullptr);

    TemporaryDevice m_device;
    std::filesystem::path m_probeLog;
};

} // namespace testing_support

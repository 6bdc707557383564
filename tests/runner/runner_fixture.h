#pragma once
// Helpers of the runner tests: local times by their parts, the wake-up database and the
// named events as another program sees them, and a device set up the way the main program
// leaves it (its folder in path.dat, settings.dat written).

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <functional>
#include <thread>
#include <vector>

namespace runner_tests {

inline SYSTEMTIME at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0 };
}

inline std::uint64_t ticksAt(const SYSTEMTIME& time) { return *platform::ticksOfSystemTime(time); }

inline std::uint64_t localNowTicks()
{
    SYSTEMTIME now { };
    GetLocalTime(&now);
    return ticksAt(now);
}

inline constexpr std::uint64_t kSecond = 10'000'000;

inline std::vector<platform::WakeUp> wakeUps()
{
    return platform::listWakeUps().value_or(std::vector<platform::WakeUp> { });
}

inline std::vector<platform::WakeUp> wakeUpsWithArguments(std::u16string_view arguments)
{
    std::vector<platform::WakeUp> found;
    for (const auto& wakeUp : wakeUps()) {
        if (wakeUp.arguments == arguments)
            found.push_back(wakeUp);
    }
    return found;
}

// Tests and resets a named event as its reader would.
inline bool takeSignal(const char16_t* name)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
    const bool set = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    EventModify(event, EVENT_RESET);
    CloseHandle(event);
    return set;
}

inline bool signalIsSet(const char16_t* name)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
    const bool set = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    CloseHandle(event);
    return set;
}

inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Processes of the device at `root` started from a device path ending in `fileName`
// ("TkEvents.exe") that have not ended.
inline std::vector<pid_t> programsOfDevice(const std::filesystem::path& root, std::string_view fileName)
{
    std::vector<pid_t> found;
    const std::string device = "TICKWELL_DEVICE=" + root.string();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos || close + 2 >= line.size() || line[close + 2] == 'Z')
            continue;
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        bool ours = false, program = false;
        for (std::string variable; std::getline(environ, variable, '\0');) {
            ours = ours || variable == device;
            program = program || (variable.starts_with("TKW_MODULE_PATH=") && variable.ends_with(fileName));
        }
        if (ours && program)
            found.push_back(pid_t(std::stoi(name)));
    }
    return found;
}

inline constexpr const char16_t* kVolumeKey = u"ControlPanel\\Volume";
// The user's own volume before an alert: something the alert's override can be told from.
inline constexpr DWORD kUserVolume = 0x44444444;

inline DWORD registryVolume()
{
    return platform::readRegistryDword(platform::RegistryRoot::CurrentUser, kVolumeKey, u"Volume").value_or(0);
}

// The main program has run on this device: its folder is known, the settings exist (with
// the alert volume `alarmVolume`) and the user's volume is kUserVolume.
inline void prepareDevice(std::uint32_t alarmVolume = 2)
{
    (void)store::createDataDirectory();
    store::storeInstallFolder(store::kDefaultInstallFolder);
    store::SettingsRecord settings { };
    store::DefaultSettings(settings, 0);
    settings.alarmVolume = alarmVolume;
    ASSERT_TRUE(store::SaveSettings(settings));
    ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, kVolumeKey, u"Volume", kUserVolume));
}

} // namespace runner_tests

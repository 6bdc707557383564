#include "platform/leds.h"

#include "platform/device_profile.h"
#include "platform/device_root.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

std::int64_t monotonicMs()
{
    timespec now { };
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

std::filesystem::path logPath() { return runtimeDirectory() / "leds.log"; }

std::filesystem::path statePath(UINT led) { return runtimeDirectory() / ("led" + std::to_string(led) + ".state"); }

bool writeText(const std::filesystem::path& file, const std::string& text)
{
    UniqueFd fd(::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    return fd && ::write(fd.get(), text.data(), text.size()) == ssize_t(text.size());
}

// A LED bound to a Linux LED class device: full brightness for on, the kernel's timer
// trigger for blinking where the device has one.
bool setClassDevice(const std::filesystem::path& device, const NLED_SETTINGS_INFO& settings)
{
    std::ifstream maximum(device / "max_brightness");
    int brightness = 1;
    maximum >> brightness;
    const bool blink = settings.OffOnBlink == 2;
    if (std::filesystem::exists(device / "trigger"))
        (void)writeText(device / "trigger", blink ? "timer" : "none");
    if (blink && std::filesystem::exists(device / "delay_on")) {
        (void)writeText(device / "delay_on", std::to_string(settings.OnTime > 0 ? settings.OnTime / 1000 : 500));
        (void)writeText(device / "delay_off", std::to_string(settings.OffTime > 0 ? settings.OffTime / 1000 : 500));
    }
    return writeText(device / "brightness", std::to_string(settings.OffOnBlink == 0 ? 0 : brightness));
}

bool setVirtual(const NLED_SETTINGS_INFO& settings)
{
    const auto& runtime = runtimeDirectory();
    if (runtime.empty())
        return false;
    // Several processes drive the LEDs; the lock keeps each line whole.
    UniqueFd log(::open(logPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
    if (!log)
        return false;
    ::flock(log.get(), LOCK_EX);
    timespec wall { };
    ::clock_gettime(CLOCK_REALTIME, &wall);
    char line[128];
    const int length = std::snprintf(line, sizeof line, "%lld %lld.%03ld led=%u state=%d\n",
        static_cast<long long>(monotonicMs()), static_cast<long long>(wall.tv_sec), wall.tv_nsec / 1'000'000,
        settings.LedNum, settings.OffOnBlink);
    const bool logged = ::write(log.get(), line, std::size_t(length)) == length;
    std::ofstream(statePath(settings.LedNum), std::ios::trunc) << settings.OffOnBlink << "\n";
    return logged;
}

} // namespace

std::vector<LedChange> loggedLedChanges()
{
    std::vector<LedChange> changes;
    std::ifstream in(logPath());
    for (std::string line; std::getline(in, line);) {
        long long monotonic = 0;
        unsigned led = 0;
        int state = 0;
        if (std::sscanf(line.c_str(), "%lld %*s led=%u state=%d", &monotonic, &led, &state) == 3)
            changes.push_back({ monotonic, led, state });
    }
    return changes;
}

int ledState(UINT led)
{
    std::ifstream in(statePath(led));
    int state = 0;
    in >> state;
    return state;
}

} // namespace platform

BOOL NLedGetDeviceInfo(UINT infoId, void* output)
{
    if (infoId != NLED_COUNT_INFO_ID || !output) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    static_cast<NLED_COUNT_INFO*>(output)->cLeds = UINT(platform::notificationLedCount());
    return TRUE;
}

BOOL NLedSetDevice(UINT infoId, void* input)
{
    auto* settings = static_cast<NLED_SETTINGS_INFO*>(input);
    if (infoId != NLED_SETTINGS_INFO_ID || !settings || settings->OffOnBlink < 0 || settings->OffOnBlink > 2
        || int(settings->LedNum) >= platform::notificationLedCount()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string binding = u"Led" + platform::toUtf16(std::to_string(settings->LedNum)) + u"Device";
    if (const auto device = platform::readRegistryString(platform::RegistryRoot::LocalMachine, platform::kProfileKey, binding);
        device && !device->empty()) {
        if (platform::setClassDevice(platform::toUtf8(*device), *settings))
            return TRUE;
        // A device that cannot be written (no permission, gone) falls back to the virtual LED.
    }
    return platform::setVirtual(*settings) ? TRUE : FALSE;
}

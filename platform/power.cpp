#include "platform/power.h"

#include "platform/events.h"
#include "platform/handle.h"
#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform {

namespace {

std::string firstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

struct HostPower {
    std::optional<bool> onAc;
    std::optional<int> batteryPercent;
    bool charging = false;
};

// /sys/class/power_supply: a "Mains" or "USB" supply that is online means AC; a machine
// with neither a battery nor a mains supply (a desktop, a virtual machine) is on AC.
HostPower hostPower()
{
    HostPower power;
    bool sawMains = false, mainsOnline = false;
    std::error_code error;
    for (const auto& supply : std::filesystem::directory_iterator("/sys/class/power_supply", error)) {
        const std::string type = firstLine(supply.path() / "type");
        if (type == "Mains" || type == "USB") {
            sawMains = true;
            mainsOnline = mainsOnline || firstLine(supply.path() / "online") == "1";
        } else if (type == "Battery" && !power.batteryPercent) {
            const std::string capacity = firstLine(supply.path() / "capacity");
            if (!capacity.empty() && std::all_of(capacity.begin(), capacity.end(), ::isdigit))
                power.batteryPercent = std::clamp(std::stoi(capacity), 0, 100);
            power.charging = firstLine(supply.path() / "status") == "Charging";
        }
    }
    if (sawMains)
        power.onAc = mainsOnline;
    else if (!power.batteryPercent)
        power.onAc = true;
    else
        power.onAc = false;
    return power;
}

} // namespace

void reportUserActivity() { setNamedEvent(kUserInputEvent); }

void reportUserIdle() { setNamedEvent(kUserIdleEvent); }

std::optional<bool> userActive()
{
    const auto events = listNamedEvents();
    if (!events)
        return std::nullopt;
    for (const auto& event : *events) {
        if (event.name == kUserActivityActiveEvent && event.set)
            return true;
    }
    for (const auto& event : *events) {
        if (event.name == kUserActivityInactiveEvent)
            return false;
    }
    return std::nullopt;
}

bool setAcLineOverride(std::optional<bool> onAc)
{
    if (!onAc)
        return deleteRegistryValue(RegistryRoot::LocalMachine, kProfileKey, kAcLineValue)
            || !readRegistryDword(RegistryRoot::LocalMachine, kProfileKey, kAcLineValue);
    return writeRegistryDword(RegistryRoot::LocalMachine, kProfileKey, kAcLineValue, *onAc ? 1 : 0);
}

} // namespace platform

DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL)
{
    if (!status || length == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEM_POWER_STATUS_EX2 filled { };
    const auto host = platform::hostPower();
    const auto forced = platform::readRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kAcLineValue);
    const bool onAc = forced ? *forced != 0 : host.onAc.value_or(true);
    filled.ACLineStatus = onAc ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
    if (host.batteryPercent) {
        const int percent = *host.batteryPercent;
        filled.BatteryLifePercent = BYTE(percent);
        filled.BatteryFlag = BYTE((percent > 66 ? BATTERY_FLAG_HIGH : percent > 10 ? BATTERY_FLAG_LOW : BATTERY_FLAG_CRITICAL)
            | (host.charging ? BATTERY_FLAG_CHARGING : 0));
    } else {
        filled.BatteryFlag = BATTERY_FLAG_NO_BATTERY;
        filled.BatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
    }
    filled.BatteryLifeTime = filled.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    filled.BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
    filled.BackupBatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
    filled.BackupBatteryLifeTime = filled.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    const DWORD copied = std::min<DWORD>(length, sizeof filled);
    std::memcpy(status, &filled, copied);
    return copied;
}

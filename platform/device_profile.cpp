#include "platform/device_profile.h"
#include "platform/screen_layout.h"

#include "platform/power.h"
#include "platform/registry.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kDefaultWidth = 240;
constexpr DWORD kDefaultHeight = 320;
constexpr const char16_t* kDefaultOemInfo = u"Tickwell Linux";

BOOL copyText(const std::u16string& text, UINT size, void* into)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    if (!into || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(into, text.c_str(), bytes);
    return TRUE;
}

} // namespace

namespace platform {

ScreenLayout ScreenLayout::current()
{
    const auto size = screenSize();
    return of(size.width, size.height);
}

ScreenSize screenSize()
{
    // Sizes a handheld had: from 176 up to 1024 pixels a side.
    auto read = [](const char16_t* name, DWORD fallback) {
        const auto value = readRegistryDword(RegistryRoot::LocalMachine, kProfileKey, name);
        return int(value && *value >= 176 && *value <= 1024 ? *value : fallback);
    };
    return { read(kScreenWidthValue, kDefaultWidth), read(kScreenHeightValue, kDefaultHeight) };
}

std::u16string oemInfo()
{
    const auto value = readRegistryString(RegistryRoot::LocalMachine, kProfileKey, kOemInfoValue);
    return value ? value->substr(0, 259) : std::u16string(kDefaultOemInfo);
}

int notificationLedCount()
{
    const auto value = readRegistryDword(RegistryRoot::LocalMachine, kProfileKey, kLedCountValue);
    return int(value && *value <= 8 ? *value : 2);
}

} // namespace platform

BOOL SystemParametersInfoW(UINT action, UINT size, void* text, UINT)
{
    switch (action) {
    case SPI_GETOEMINFO: return copyText(platform::oemInfo(), size, text);
    case SPI_GETPLATFORMTYPE: return copyText(u"PocketPC", size, text);
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

int GetSystemMetrics(int index)
{
    const auto screen = platform::screenSize();
    switch (index) {
    case SM_CXSCREEN: return screen.width;
    case SM_CYSCREEN: return screen.height;
    default: return 0;
    }
}

#pragma once
// The device profile: what the handheld would report about itself (screen, OEM string),
// kept as registry values under HKEY_LOCAL_MACHINE\SYSTEM\Tickwell\Profile.

#include "platform/types.h"

#include <string>

inline constexpr UINT SPI_GETPLATFORMTYPE = 257;
inline constexpr UINT SPI_GETOEMINFO = 258;
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

// SPI_GETOEMINFO and SPI_GETPLATFORMTYPE: copies the text, zero-terminated, into `text`
// of `size` bytes. FALSE for other queries or a buffer too small.
BOOL SystemParametersInfoW(UINT action, UINT size, void* text, UINT winIni);
// SM_CXSCREEN and SM_CYSCREEN: the screen in device pixels; 0 for other indexes.
int GetSystemMetrics(int index);

namespace platform {

inline constexpr const char16_t* kScreenWidthValue = u"ScreenWidth";   // default 240
inline constexpr const char16_t* kScreenHeightValue = u"ScreenHeight"; // default 320
inline constexpr const char16_t* kOemInfoValue = u"OEMInfo";           // default "Tickwell Linux"
inline constexpr const char16_t* kLedCountValue = u"LedCount";         // default 2: notification LED, vibrator

struct ScreenSize {
    int width;
    int height;
};

[[nodiscard]] ScreenSize screenSize();
[[nodiscard]] std::u16string oemInfo();
// How many notification LEDs the device reports (the vibrator counts as one).
[[nodiscard]] int notificationLedCount();

} // namespace platform

#pragma once
// plg.dat, the settings of the Today item, its device lock and its screen saver, and
// ssaver.dat, the programs during which the screen saver must not start.

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace store {

inline constexpr int kShortcutCount = 13;

// These bytes are the file: little-endian, written exactly as they sit in memory.
struct PluginSettings {
    std::uint8_t formatMarker;        // 0
    std::uint8_t clockKind;           // 0 none, 1 analog, 2 digital, 3 city clocks
    std::uint8_t showDate;
    std::uint8_t shortcutCount;       // 0-13 buttons shown
    std::uint8_t shortcutOrder[kShortcutCount]; // a permutation of the view indexes 0-12
    std::uint8_t shortcutShown[kShortcutCount]; // by position in the order
    std::uint8_t showLockIcon;
    std::uint8_t lockWithScreenSaver;
    std::uint8_t lockKind;            // 0 the standard locker, 1 the full-screen slide locker
    std::uint8_t screenSaverMode;     // 0 off, 1 on AC power, 2 always
    std::uint8_t screenSaverTimeout;  // 0-10: 1, 2, 3, 4, 5, 7, 10, 15, 30, 45 minutes, 1 hour
    std::uint8_t actOnTouch;          // shortcuts act when touched (1) or when the pen lifts (0)
    char16_t todaySkin[64];           // each string zero-terminated within its field
    char16_t lockSkin[64];
    char16_t screenSaverSkin[64];
    char16_t datePicture[64];         // empty: the system's long date format
    std::uint8_t reserved[8];
};
static_assert(std::is_trivially_copyable_v<PluginSettings>);
static_assert(sizeof(PluginSettings) == 556);
static_assert(offsetof(PluginSettings, shortcutCount) == 3);
static_assert(offsetof(PluginSettings, shortcutOrder) == 4);
static_assert(offsetof(PluginSettings, shortcutShown) == 17);
static_assert(offsetof(PluginSettings, showLockIcon) == 30);
static_assert(offsetof(PluginSettings, lockWithScreenSaver) == 31);
static_assert(offsetof(PluginSettings, lockKind) == 32);
static_assert(offsetof(PluginSettings, screenSaverMode) == 33);
static_assert(offsetof(PluginSettings, screenSaverTimeout) == 34);
static_assert(offsetof(PluginSettings, actOnTouch) == 35);
static_assert(offsetof(PluginSettings, todaySkin) == 36);
static_assert(offsetof(PluginSettings, lockSkin) == 164);
static_assert(offsetof(PluginSettings, screenSaverSkin) == 292);
static_assert(offsetof(PluginSettings, datePicture) == 420);
static_assert(offsetof(PluginSettings, reserved) == 548);

// Every field within its range, the order a permutation, every string terminated.
[[nodiscard]] bool validatePluginSettings(const PluginSettings& settings);

// The defaults for this device: its screen (5 shortcuts from 480 pixels up) and its OEM
// name (the standard locker on the Palm Treo models).
void defaultPluginSettings(PluginSettings& settings);

enum class PluginSettingsLoad { Loaded, Defaulted };
// Reads plg.dat over `settings` (a short file leaves the rest as it was) and validates
// it; a missing or invalid file gives the defaults, which are saved.
PluginSettingsLoad loadPluginSettings(PluginSettings& settings);

// Replaces plg.dat; when that fails, creates the data directory and tries once more.
[[nodiscard]] bool savePluginSettings(const PluginSettings& settings);

// ssaver.dat in file order, empty strings skipped.
[[nodiscard]] std::vector<std::u16string> loadScreenSaverList();
// Writes the rows from the last to the first, each with its zero.
[[nodiscard]] bool saveScreenSaverList(const std::vector<std::u16string>& rows);

} // namespace store

#pragma once
// The runner's alert volume: raises the device volume for an alert and puts the user's
// volume and sound profile back afterwards. Only the first of several runners alerting at
// once takes the volume ("TkMEvent_SoundAllReadySet"), so none saves another's override as
// the volume to restore.

#include "platform/handle.h"
#include "platform/types.h"

#include <array>
#include <optional>

namespace alert {

class AlertVolume {
public:
    AlertVolume();
    ~AlertVolume();
    AlertVolume(const AlertVolume&) = delete;
    AlertVolume& operator=(const AlertVolume&) = delete;

    // `alarmVolume`'s low byte: 0 Low, 1 Medium, 2 High; anything else leaves the device
    // volume alone, as does a device in vibrate mode or a volume another runner holds.
    void raise(std::uint32_t alarmVolume);
    // Puts everything back, when this instance raised the volume.
    void restore();
    [[nodiscard]] bool raised() const { return m_raised; }

    // The per-channel level of a choice, or nullopt for "use the system settings".
    [[nodiscard]] static std::optional<WORD> levelOf(std::uint32_t alarmVolume);

private:
    struct Saved {
        std::optional<DWORD> value;
    };
    std::array<Saved, 5> m_volumeValues;   // Mute, Volume, Ringer, Screen, Key
    std::array<Saved, 5> m_overrideValues; // Mode, SavedVolume, SavedRingerVolume, SavedScreen, SavedKey
    bool m_overridesOpened = false;
    bool m_raised = false;
    platform::UniqueHandle m_taken;
};

// The registry keys and values the alert volume saves and restores (HKEY_CURRENT_USER).
inline constexpr const char16_t* kVolumeKey = u"ControlPanel\\Volume";
inline constexpr const char16_t* kShellOverridesKey = u"ControlPanel\\Notifications\\ShellOverrides";
inline constexpr std::array<const char16_t*, 5> kVolumeValues { u"Mute", u"Volume", u"Ringer", u"Screen", u"Key" };
inline constexpr std::array<const char16_t*, 5> kOverrideValues { u"Mode", u"SavedVolume", u"SavedRingerVolume",
    u"SavedScreen", u"SavedKey" };

// Writes the values a new device has, where they are missing; the installer calls it.
// Returns how many it wrote.
int writeDefaultVolumeSettings();

} // namespace alert

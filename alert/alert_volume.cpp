#include "alert/alert_volume.h"

#include "platform/audio.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/registry.h"
#include "store/signals.h"

namespace alert {

namespace {

using platform::RegistryRoot;

std::optional<DWORD> readValue(const char16_t* key, const char16_t* name)
{
    return platform::readRegistryDword(RegistryRoot::CurrentUser, key, name);
}

void writeValue(const char16_t* key, const char16_t* name, DWORD value)
{
    (void)platform::writeRegistryDword(RegistryRoot::CurrentUser, key, name, value); // Best effort, as the shell's own.
}

bool overridesKeyExists()
{
    HKEY key = nullptr;
    const std::u16string path(kShellOverridesKey);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, 0, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The shell's sound setting for all its events: 0 sound, 1 vibrate, 2 none. Kept where the
// shell would keep it; the platform has no other consumer.
void setShellSoundType(DWORD mode) { writeValue(u"ControlPanel\\SoundCategories", u"EventSoundType", mode); }

} // namespace

AlertVolume::AlertVolume()
    : m_taken(CreateEventW(nullptr, TRUE, FALSE, store::kSoundVolumeTaken))
{
}

AlertVolume::~AlertVolume() = default;

std::optional<WORD> AlertVolume::levelOf(std::uint32_t alarmVolume)
{
    switch (alarmVolume & 0xff) {
    case 0: return WORD(0x8888);
    case 1: return WORD(0xaaaa);
    case 2: return WORD(0xffff);
    default: return std::nullopt;
    }
}

void AlertVolume::raise(std::uint32_t alarmVolume)
{
    const auto level = levelOf(alarmVolume);
    if (!level || readValue(kShellOverridesKey, u"Mode") == 1u)
        return;
    if (!m_taken || WaitForSingleObject(m_taken.get(), 0) == WAIT_OBJECT_0)
        return; // another runner holds the volume
    for (std::size_t i = 0; i < kVolumeValues.size(); ++i)
        m_volumeValues[i].value = readValue(kVolumeKey, kVolumeValues[i]);
    m_overridesOpened = overridesKeyExists();
    for (std::size_t i = 0; i < kOverrideValues.size(); ++i)
        m_overrideValues[i].value = m_overridesOpened ? readValue(kShellOverridesKey, kOverrideValues[i]) : std::nullopt;
    const DWORD volume = DWORD(*level) | (DWORD(*level) << 16);
    waveOutSetVolume(nullptr, volume);
    writeValue(kVolumeKey, u"Volume", volume);
    platform::reloadVolumeFromRegistry();
    EventModify(m_taken.get(), EVENT_SET);
    m_raised = true;
}

void AlertVolume::restore()
{
    if (!m_raised)
        return;
    const auto& savedVolume = m_volumeValues[1].value;
    waveOutSetVolume(nullptr, savedVolume.value_or(0xffffffffu));
    for (std::size_t i = 0; i < kVolumeValues.size(); ++i) {
        if (m_volumeValues[i].value)
            writeValue(kVolumeKey, kVolumeValues[i], *m_volumeValues[i].value);
    }
    if (m_overridesOpened && m_overrideValues[0].value) {
        // 0 sound on, 1 vibrate, 2 none; any other mode keeps the sound on.
        const DWORD mode = *m_overrideValues[0].value;
        setShellSoundType(mode <= 2 ? mode : 0);
        for (std::size_t i = 0; i < kOverrideValues.size(); ++i) {
            if (m_overrideValues[i].value)
                writeValue(kShellOverridesKey, kOverrideValues[i], *m_overrideValues[i].value);
        }
    }
    platform::reloadVolumeFromRegistry();
    EventModify(m_taken.get(), EVENT_RESET);
    m_raised = false;
}

int writeDefaultVolumeSettings()
{
    struct Default {
        const char16_t* key;
        const char16_t* name;
        DWORD value;
    };
    // A device with its sound on, at full volume, not in vibrate mode.
    static constexpr Default kDefaults[] = {
        { kVolumeKey, u"Mute", 7 }, { kVolumeKey, u"Volume", 0xffffffffu }, { kVolumeKey, u"Ringer", 0xffffffffu },
        { kVolumeKey, u"Screen", 0 }, { kVolumeKey, u"Key", 0 }, { kShellOverridesKey, u"Mode", 0 },
        { kShellOverridesKey, u"SavedVolume", 0xffffffffu }, { kShellOverridesKey, u"SavedRingerVolume", 0xffffffffu },
        { kShellOverridesKey, u"SavedScreen", 0 }, { kShellOverridesKey, u"SavedKey", 0 },
    };
    int written = 0;
    for (const auto& entry : kDefaults) {
        if (!readValue(entry.key, entry.name) && platform::writeRegistryDword(RegistryRoot::CurrentUser, entry.key, entry.name, entry.value))
            ++written;
    }
    return written;
}

} // namespace alert

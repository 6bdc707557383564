#include "alert/alert_volume.h"

#include "platform/audio.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

using alert::AlertVolume;
using testing_support::ChildProcess;

namespace {

class AlertVolumes : public testing_support::DeviceTest {
protected:
    AlertVolumes()
    {
        alert::writeDefaultVolumeSettings();
        setValue(alert::kVolumeKey, u"Volume", 0x11111111);
        waveOutSetVolume(nullptr, 0x11111111);
    }

    static void setValue(const char16_t* key, const char16_t* name, DWORD value)
    {
        ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::CurrentUser, key, name, value));
    }

    static std::optional<DWORD> value(const char16_t* key, const char16_t* name)
    {
        return platform::readRegistryDword(platform::RegistryRoot::CurrentUser, key, name);
    }

    static DWORD deviceVolume()
    {
        DWORD volume = 0;
        waveOutGetVolume(nullptr, &volume);
        return volume;
    }
};

} // namespace

TEST_F(AlertVolumes, ChoicesGiveTheirLevelsAndSystemSettingsLeaveTheVolumeAlone)
{
    EXPECT_EQ(AlertVolume::levelOf(0), 0x8888);
    EXPECT_EQ(AlertVolume::levelOf(1), 0xaaaa);
    EXPECT_EQ(AlertVolume::levelOf(0x0302), 0xffff); // the low byte counts
    EXPECT_FALSE(AlertVolume::levelOf(3));

    AlertVolume volume;
    volume.raise(3);
    EXPECT_FALSE(volume.raised());
    EXPECT_EQ(deviceVolume(), 0x11111111u);
    EXPECT_EQ(value(alert::kVolumeKey, u"Volume"), 0x11111111u);
}

TEST_F(AlertVolumes, VibrateModeKeepsTheVolume)
{
    setValue(alert::kShellOverridesKey, u"Mode", 1);
    AlertVolume volume;
    volume.raise(2);
    EXPECT_FALSE(volume.raised());
    EXPECT_EQ(deviceVolume(), 0x11111111u);
}

TEST_F(AlertVolumes, RaisedVolumeIsRestoredWithTheProfile)
{
    setValue(alert::kShellOverridesKey, u"SavedVolume", 0x22222222);
    AlertVolume volume;
    volume.raise(1);
    ASSERT_TRUE(volume.raised());
    EXPECT_EQ(deviceVolume(), 0xaaaaaaaau);
    EXPECT_EQ(value(alert::kVolumeKey, u"Volume"), 0xaaaaaaaau);
    volume.restore();
    EXPECT_EQ(deviceVolume(), 0x11111111u);
    EXPECT_EQ(value(alert::kVolumeKey, u"Volume"), 0x11111111u);
    EXPECT_EQ(value(alert::kShellOverridesKey, u"SavedVolume"), 0x22222222u);
}

TEST_F(AlertVolumes, TwoRunnersAlertingAtOnceLeaveTheOriginalVolume)
{
    ChildProcess first({ TKW_ALERT_PROBE, "2" });
    ASSERT_EQ(first.readLine(), "raised");
    ChildProcess second({ TKW_ALERT_PROBE, "0" });
    ASSERT_EQ(second.readLine(), "left alone");
    EXPECT_EQ(value(alert::kVolumeKey, u"Volume"), 0xffffffffu);

    HANDLE restore = CreateEventW(nullptr, TRUE, FALSE, u"probe_restore");
    SetEvent(restore);
    EXPECT_EQ(first.readLine(), "restored");
    EXPECT_EQ(second.readLine(), "restored");
    CloseHandle(restore);
    EXPECT_EQ(value(alert::kVolumeKey, u"Volume"), 0x11111111u);
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, u"TkMEvent_SoundAllReadySet");
    EXPECT_EQ(WaitForSingleObject(taken, 0), WAIT_TIMEOUT);
    CloseHandle(taken);
}

TEST_F(AlertVolumes, DefaultsAreWrittenOnlyWhereMissing)
{
    EXPECT_EQ(alert::writeDefaultVolumeSettings(), 0);
    EXPECT_EQ(value(alert::kVolumeKey, u"Volume"), 0x11111111u);
    EXPECT_EQ(value(alert::kShellOverridesKey, u"Mode"), 0u);
}

#include "platform/leds.h"

#include "platform/device_profile.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/device_fixture.h"

#include <fstream>

using namespace platform;

namespace {

using NotificationLeds = testing_support::DeviceTest;

bool setLed(UINT led, int state)
{
    NLED_SETTINGS_INFO settings { };
    settings.LedNum = led;
    settings.OffOnBlink = state;
    return NLedSetDevice(NLED_SETTINGS_INFO_ID, &settings) == TRUE;
}

std::string contents(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    return text;
}

} // namespace

TEST_F(NotificationLeds, VirtualLedsLogEveryChangeInOrder)
{
    NLED_COUNT_INFO count { };
    ASSERT_TRUE(NLedGetDeviceInfo(NLED_COUNT_INFO_ID, &count));
    EXPECT_EQ(count.cLeds, 2u);
    ASSERT_TRUE(setLed(1, 1));
    ASSERT_TRUE(setLed(1, 0));
    ASSERT_TRUE(setLed(0, 2));
    EXPECT_FALSE(setLed(2, 1)); // beyond the device's LEDs
    EXPECT_FALSE(setLed(0, 3));

    const auto changes = loggedLedChanges();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].led, 1u);
    EXPECT_EQ(changes[0].state, 1);
    EXPECT_EQ(changes[1].state, 0);
    EXPECT_EQ(changes[2].led, 0u);
    EXPECT_LE(changes[0].monotonicMs, changes[2].monotonicMs);
    EXPECT_EQ(ledState(0), 2);
    EXPECT_EQ(ledState(1), 0);
}

TEST_F(NotificationLeds, LedBoundToAClassDeviceDrivesItsBrightness)
{
    const auto device = m_device.root().parent_path() / (m_device.root().filename().string() + "-led");
    std::filesystem::create_directories(device);
    std::ofstream(device / "max_brightness") << "255\n";
    std::ofstream(device / "brightness") << "0\n";
    ASSERT_TRUE(writeRegistryString(RegistryRoot::LocalMachine, kProfileKey, u"Led1Device", toUtf16(device.string())));
    ASSERT_TRUE(setLed(1, 1));
    EXPECT_EQ(contents(device / "brightness"), "255");
    ASSERT_TRUE(setLed(1, 0));
    EXPECT_EQ(contents(device / "brightness"), "0");
    EXPECT_TRUE(loggedLedChanges().empty()); // nothing went to the virtual LED
    std::filesystem::remove_all(device);
}

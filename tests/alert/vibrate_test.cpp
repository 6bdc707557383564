#include "alert/vibrate.h"

#include "platform/leds.h"
#include "tests/support/device_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

using alert::STAsyncTimerVibrate;
using alert::VibrateDevice;

namespace {

using Vibration = testing_support::DeviceTest;

std::vector<platform::LedChange> changesOf(UINT led)
{
    std::vector<platform::LedChange> changes;
    for (const auto& change : platform::loggedLedChanges()) {
        if (change.led == led)
            changes.push_back(change);
    }
    return changes;
}

std::string sawSecondCopy;

} // namespace

TEST_F(Vibration, PulseSwitchesTheVibratorOnCountPlusOneTimesWithItsTimings)
{
    VibrateDevice vibrator;
    EXPECT_EQ(vibrator.led(), 1u); // the last of two LEDs
    vibrator.pulse(600, 200, 3);
    const auto changes = changesOf(1);
    ASSERT_EQ(changes.size(), 8u);
    for (std::size_t pair = 0; pair < 4; ++pair) {
        const auto& on = changes[2 * pair];
        const auto& off = changes[2 * pair + 1];
        EXPECT_EQ(on.state, 1);
        EXPECT_EQ(off.state, 0);
        EXPECT_NEAR(double(off.monotonicMs - on.monotonicMs), 600, 40) << pair;
        if (pair > 0) {
            EXPECT_NEAR(double(on.monotonicMs - changes[2 * pair - 1].monotonicMs), 200, 40) << pair;
        }
    }
    VibrateDevice disabled(VibrateDevice::State::Disabled);
    disabled.pulse(10, 10, 1);
    EXPECT_EQ(platform::loggedLedChanges().size(), 8u);
}

TEST_F(Vibration, TimerVibrationPulsesWhileTheEventsGoOn)
{
    STAsyncTimerVibrate::setSecondCopyReporter([](const char* message) { sawSecondCopy = message; });
    STAsyncTimerVibrate vibration;
    vibration.start(600, 200, 3);
    QElapsedTimer clock;
    clock.start();
    while (vibration.running() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(vibration.running());
    const auto changes = changesOf(1);
    int pulses = 0;
    for (std::size_t i = 0; i + 1 < changes.size(); ++i) {
        if (changes[i].state == 1 && changes[i + 1].state == 0) {
            ++pulses;
            EXPECT_NEAR(double(changes[i + 1].monotonicMs - changes[i].monotonicMs), 600, 120);
        }
    }
    EXPECT_EQ(pulses, 3);
    EXPECT_EQ(changes.back().state, 0);

    STAsyncTimerVibrate second;
    EXPECT_EQ(sawSecondCopy, "Try registered second copy of STAsyncTimerVibrate class");
    STAsyncTimerVibrate::setSecondCopyReporter(nullptr);
}

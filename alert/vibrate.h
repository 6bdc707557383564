#pragma once
// Vibration through the notification-LED driver: the vibrator is a LED (by default the last
// one). VibrateDevice switches and pulses it; STAsyncTimerVibrate pulses it from a 100 ms
// timer while the GUI thread goes on.

#include "platform/types.h"

#include <QObject>
#include <QTimer>

namespace alert {

class VibrateDevice {
public:
    enum class State { Enabled, Disabled };
    // Enabled: the LED is the driver's LED count minus 1. Disabled: every call does nothing.
    explicit VibrateDevice(State state = State::Enabled);

    void setLed(UINT led) { m_led = led; }
    [[nodiscard]] UINT led() const { return m_led; }
    [[nodiscard]] bool disabled() const { return m_disabled; }

    void on();
    void off();
    // On `onMs`, off `offMs`, `count` + 1 times.
    void pulse(int onMs, int offMs, int count);
    void stop();

protected:
    void set(int state);

private:
    bool m_disabled = false;
    UINT m_led = 0;
};

// The runner holds exactly one; a second one still works but is reported, and its ticks do
// nothing.
class STAsyncTimerVibrate final : public QObject, public VibrateDevice {
    Q_OBJECT
public:
    explicit STAsyncTimerVibrate(State state = State::Enabled);
    ~STAsyncTimerVibrate() override;

    // Pulses `onMs` on and `offMs` off, `repetitions` times, counted in 100 ms ticks.
    void start(int onMs, int offMs, int repetitions);
    void stop();
    [[nodiscard]] bool running() const { return m_timer.isActive(); }

    // Called with the message "Try registered second copy of STAsyncTimerVibrate class"
    // when a second instance is made; a message box by default.
    static void setSecondCopyReporter(void (*report)(const char* message));

private:
    void tick();

    QTimer m_timer;
    int m_onMs = 0;
    int m_offMs = 0;
    int m_repetitions = 0;
    int m_onTicks = 0;
    int m_offTicks = 0;
};

} // namespace alert

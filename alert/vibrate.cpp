#include "alert/vibrate.h"

#include "platform/device_clock.h"
#include "platform/leds.h"

#include <cstdio>

namespace alert {

namespace {

STAsyncTimerVibrate* g_instance = nullptr;

void reportOnStderr(const char* message) { std::fprintf(stderr, "tickwell: %s\n", message); }

void (*g_reportSecondCopy)(const char*) = reportOnStderr;

} // namespace

VibrateDevice::VibrateDevice(State state)
    : m_disabled(state == State::Disabled)
{
    if (!m_disabled) {
        NLED_COUNT_INFO count { };
        if (NLedGetDeviceInfo(NLED_COUNT_INFO_ID, &count) && count.cLeds > 0)
            m_led = count.cLeds - 1;
    }
}

void VibrateDevice::set(int state)
{
    if (m_disabled)
        return;
    NLED_SETTINGS_INFO settings { };
    settings.LedNum = m_led;
    settings.OffOnBlink = state;
    NLedSetDevice(NLED_SETTINGS_INFO_ID, &settings);
}

void VibrateDevice::on() { set(1); }

void VibrateDevice::off() { set(0); }

void VibrateDevice::pulse(int onMs, int offMs, int count)
{
    if (m_disabled)
        return;
    for (int i = 0; i <= count; ++i) {
        on();
        Sleep(DWORD(onMs));
        off();
        Sleep(DWORD(offMs));
    }
}

void VibrateDevice::stop() { off(); }

STAsyncTimerVibrate::STAsyncTimerVibrate(State state)
    : VibrateDevice(state)
{
    if (g_instance)
        g_reportSecondCopy("Try registered second copy of STAsyncTimerVibrate class");
    else
        g_instance = this;
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &STAsyncTimerVibrate::tick);
}

STAsyncTimerVibrate::~STAsyncTimerVibrate()
{
    stop();
    if (g_instance == this)
        g_instance = nullptr;
    off();
}

void STAsyncTimerVibrate::setSecondCopyReporter(void (*report)(const char*)) { g_reportSecondCopy = report ? report : reportOnStderr; }

void STAsyncTimerVibrate::start(int onMs, int offMs, int repetitions)
{
    m_onMs = onMs;
    m_offMs = offMs;
    m_repetitions = repetitions;
    m_offTicks = 0;
    m_onTicks = onMs / 100;
    m_timer.start();
}

void STAsyncTimerVibrate::tick()
{
    // Only the first instance is served.
    if (g_instance != this)
        return;
    if (m_repetitions <= 0) {
        stop();
        return;
    }
    if (m_timer.isActive() && m_onTicks > 0) {
        if (m_onTicks == m_onMs / 100)
            on();
        --m_onTicks;
        return;
    }
    if (m_offTicks == 0) {
        --m_repetitions;
        m_offTicks = m_offMs / 100;
        off();
    }
    const int before = m_offTicks--;
    if (before == 1 && m_repetitions != 0)
        m_onTicks = m_onMs / 100;
}

void STAsyncTimerVibrate::stop()
{
    m_timer.stop();
    off();
    m_onMs = m_offMs = m_repetitions = m_onTicks = m_offTicks = 0;
}

} // namespace alert

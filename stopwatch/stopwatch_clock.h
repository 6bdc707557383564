#pragma once
// The stopwatch's arithmetic: what settings.dat keeps of it (stopwatchRunning and
// stopwatchStart), the start/stop step, the elapsed time, the simulated hundredths of the
// display and the texts of the display and the splits. Everything takes "now" as universal
// ticks (100-ns units since 1601) and reads no clock.
//
// Elapsed times of 24 hours and more: the locale's time formatter writes no such time, so
// the hours keep counting past 23 ("27:04 09.31", "118:00 00.00") with the minutes, seconds
// and hundredths written as below a day. A stopwatch forgotten for over a year stops
// growing at kLargestElapsedTicks ("9999:59 59" and the hundredths), which still fits the
// display.

#include "platform/locale.h"
#include "platform/types.h"

#include <cstdint>
#include <random>
#include <string>

namespace stopwatch {

inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::uint64_t kTicksPerHour = 60 * kTicksPerMinute;
inline constexpr std::uint64_t kLargestElapsedTicks = 10'000 * kTicksPerHour - 1;

// The two fields of the settings record that are the stopwatch. While running, `start` is
// the virtual start moment (universal ticks: now minus what had elapsed before the last
// resume); while stopped, the elapsed ticks; 0 after a reset.
struct StopwatchState {
    bool running = false;
    std::uint64_t start = 0;
    friend bool operator==(const StopwatchState&, const StopwatchState&) = default;
};

enum class Phase {
    Reset, // not running, nothing elapsed: the first button says "Start"
    Running, // "Stop"
    Stopped, // not running with time elapsed: "Resume"
};
[[nodiscard]] Phase phaseOf(const StopwatchState& state);

// The platform clock has whole seconds: the stopwatch starts and stops on them, so that its
// seconds turn over with the device clock's and the simulated hundredths stay in step.
[[nodiscard]] constexpr std::uint64_t wholeSecondOf(std::uint64_t universalTicks)
{
    return universalTicks - universalTicks % kTicksPerSecond;
}

// The first button: Running -> Stopped keeps the elapsed time; Stopped -> Running makes the
// virtual start; Reset -> Running starts at `now`.
[[nodiscard]] StopwatchState startStop(const StopwatchState& state, std::uint64_t nowTicks);

// The elapsed ticks at `now`, within [0, kLargestElapsedTicks]. A device clock set back
// before the start counts as nothing elapsed, never as a wrapped-around huge time.
[[nodiscard]] std::uint64_t elapsedTicks(const StopwatchState& state, std::uint64_t nowTicks);

// `Elapsed`: whole hours, minutes and seconds of an elapsed time.
struct ElapsedTime {
    std::uint32_t hours = 0; // 0 to 9999
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
    friend bool operator==(const ElapsedTime&, const ElapsedTime&) = default;
};
[[nodiscard]] ElapsedTime Elapsed(std::uint64_t elapsedTicks);

// The display: "HH':'mm' 'ss'.'" through the locale's time formatter and two digits of
// hundredths ("00:01 23.45"); from 24 hours on the hours as a number (see above).
[[nodiscard]] std::u16string displayText(
    const ElapsedTime& elapsed, int hundredths, const platform::LocaleInfo& locale);
// The status bar's part: "HH:mm ss", with the hours past 99 as a number.
[[nodiscard]] std::u16string statusText(const ElapsedTime& elapsed);

// The word a split's label starts with (the "Split" string, 40285, in `language`).
[[nodiscard]] std::u16string splitWord(unsigned language);
// A split's label: the word, a space and the number as at least two digits ("Split 07").
[[nodiscard]] std::u16string splitLabel(unsigned number, unsigned language);
// The number at the end of a label ("Split 12" -> 12, in any language); 0 for none.
[[nodiscard]] unsigned splitNumberOf(std::u16string_view label);

// The hundredths shown after the seconds. The platform clock has whole seconds only, so the
// display makes them up from its 100 ms redraws: the tens advance one per redraw and start
// again at 0 when the clock's second turns, and the last digit is random.
class SimulatedHundredths {
public:
    SimulatedHundredths();
    // One redraw while running at a local clock second of `localSecond` (0-59).
    void advance(int localSecond);
    // Its value now, 0-99 (kept while stopped).
    [[nodiscard]] int value() const { return m_value; }
    // A split's hundredths: the value now and a random digit, at most 99.
    [[nodiscard]] int forSplit();
    void reset() { m_value = 0; }

private:
    [[nodiscard]] int randomDigit();

    int m_value = 0;
    int m_lastSecond = -1;
    std::minstd_rand m_random;
};

} // namespace stopwatch

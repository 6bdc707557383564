#include "stopwatch/stopwatch_clock.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>

namespace stopwatch {

namespace {

std::u16string twoDigits(unsigned value)
{
    std::u16string text;
    text += char16_t(u'0' + value / 10 % 10);
    text += char16_t(u'0' + value % 10);
    return text;
}

std::u16string number(std::uint32_t value)
{
    std::u16string text = value < 10 ? u"0" : u"";
    const std::string digits = std::to_string(value);
    text.append(digits.begin(), digits.end());
    return text;
}

} // namespace

Phase phaseOf(const StopwatchState& state)
{
    if (state.running)
        return Phase::Running;
    return state.start == 0 ? Phase::Reset : Phase::Stopped;
}

StopwatchState startStop(const StopwatchState& state, std::uint64_t nowTicks)
{
    const std::uint64_t now = wholeSecondOf(nowTicks);
    switch (phaseOf(state)) {
    case Phase::Running:
        return { false, elapsedTicks(state, now) };
    case Phase::Stopped: {
        // A damaged record may hold more than has passed since 1601: the virtual start
        // cannot lie before the clock's beginning.
        const std::uint64_t elapsed = std::min({ state.start, now, kLargestElapsedTicks });
        return { true, now - elapsed };
    }
    case Phase::Reset:
        break;
    }
    return { true, now };
}

std::uint64_t elapsedTicks(const StopwatchState& state, std::uint64_t nowTicks)
{
    if (!state.running)
        return std::min(state.start, kLargestElapsedTicks);
    if (nowTicks <= state.start)
        return 0;
    return std::min(nowTicks - state.start, kLargestElapsedTicks);
}

ElapsedTime Elapsed(std::uint64_t elapsedTicks)
{
    const std::uint64_t e = std::min(elapsedTicks, kLargestElapsedTicks);
    return { std::uint32_t(e / kTicksPerHour), std::uint32_t(e % kTicksPerHour / kTicksPerMinute),
        std::uint32_t(e % kTicksPerMinute / kTicksPerSecond) };
}

std::u16string displayText(
    const ElapsedTime& elapsed, int hundredths, const platform::LocaleInfo& locale)
{
    SYSTEMTIME time {};
    time.wHour = WORD(elapsed.hours % 24);
    time.wMinute = WORD(elapsed.minutes);
    time.wSecond = WORD(elapsed.seconds);
    std::optional<std::u16string> text;
    if (elapsed.hours < 24)
        text = platform::formatPicture(
            time, u"HH':'mm' 'ss'.'", platform::PictureKind::Time, locale);
    else if (auto rest
        = platform::formatPicture(time, u"mm' 'ss'.'", platform::PictureKind::Time, locale))
        text = number(elapsed.hours) + u":" + *rest;
    // The picture is fixed and valid; the plain digits stand in should the formatter refuse it.
    if (!text)
        text = number(elapsed.hours) + u":" + twoDigits(elapsed.minutes) + u" "
            + twoDigits(elapsed.seconds) + u".";
    return *text + twoDigits(unsigned(std::clamp(hundredths, 0, 99)));
}

std::u16string statusText(const ElapsedTime& elapsed)
{
    return number(elapsed.hours) + u":" + twoDigits(elapsed.minutes) + u" "
        + twoDigits(elapsed.seconds);
}

std::u16string splitWord(unsigned language)
{
    // The "Split" string of the program's string table (40285), which tkwctl, having no Qt,
    // cannot read; the Stopwatch view's tests hold the two equal.
    static constexpr std::array<std::u16string_view, 6> kWords
        = { u"Split", u"Zwischenzeit", u"Split", u"Intermédiaire", u"Parziale", u"Отсечка" };
    return std::u16string(kWords[language < kWords.size() ? language : 0]);
}

std::u16string splitLabel(unsigned number, unsigned language)
{
    const std::string digits = std::to_string(number);
    std::u16string label = splitWord(language) + u" " + (number < 10 ? u"0" : u"");
    label.append(digits.begin(), digits.end());
    return label;
}

unsigned splitNumberOf(std::u16string_view label)
{
    std::size_t first = label.size();
    while (first > 0 && label[first - 1] >= u'0' && label[first - 1] <= u'9')
        --first;
    // Only a number of its own ("Split 12"), and one a counter can reach.
    if (first == label.size() || first == 0 || label[first - 1] != u' ' || label.size() - first > 6)
        return 0;
    unsigned value = 0;
    for (std::size_t i = first; i < label.size(); ++i)
        value = value * 10 + unsigned(label[i] - u'0');
    return value;
}

SimulatedHundredths::SimulatedHundredths()
    : m_random(std::uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()))
{ }

int SimulatedHundredths::randomDigit()
{
    return int(m_random() % 10);
}

void SimulatedHundredths::advance(int localSecond)
{
    int value = (m_value / 10 + 1) * 10;
    if (localSecond != m_lastSecond)
        value = 0;
    m_lastSecond = localSecond;
    m_value = std::min(value + randomDigit(), 99);
}

int SimulatedHundredths::forSplit()
{
    return std::min(m_value + randomDigit(), 99);
}

} // namespace stopwatch

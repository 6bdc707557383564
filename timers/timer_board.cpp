#include "timers/timer_board.h"

#include "platform/calendar.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"
#include "timers/countdown.h"
#include "timers/timer_file.h"
#include "timers/timer_schedule.h"

#include <algorithm>

namespace timers {

namespace {

bool validIndex(int index) { return index >= 0 && index < kTimerCount; }

constexpr TimerOutcome kBusy { true, false, false, true };

template <std::size_t N> void copyText(char16_t (&field)[N], std::u16string_view text)
{
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field);
}

} // namespace

TimerBoard::TimerBoard()
{
    m_settingsChanged.reset(CreateEventW(nullptr, TRUE, FALSE, store::kTimersChanged));
    for (int i = 0; i < kTimerCount; ++i)
        m_reset[std::size_t(i)].reset(CreateEventW(nullptr, TRUE, FALSE, timerResetEventName(i)));
}

TimerBoard::~TimerBoard() = default;

TimersLoad TimerBoard::load(platform::LocalTicks now) { return LoadTimers(m_timers, now); }

TimerOutcome TimerBoard::StartTimer(int index, platform::LocalTicks now)
{
    TimerOutcome outcome;
    if (!validIndex(index))
        return { false, false };
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit)
        return kBusy;
    TimerRecord& timer = m_timers[std::size_t(index)];
    if (timer.running) {
        // Counting again from the end moment as if it were a length would move the wake-up
        // by hours; Stop or Reset comes first.
        outcome.alreadyRunning = true;
        return outcome;
    }
    const platform::LocalTicks end = now + platform::TickDuration(durationTicks(timer.value));
    timer.value = fileTimeOf(end.count());
    EventModify(m_reset[std::size_t(index)].get(), EVENT_RESET);
    timer.hNotification = registerTimerWakeUp(index, timer.hNotification, end, store::kRunnerPath);
    outcome.registered = timer.hNotification != 0;
    // Marked running even without a wake-up: it counts down on screen; Stop brings it back.
    timer.running = 1;
    outcome.saved = SaveTimer(m_timers, index);
    return outcome;
}

TimerOutcome TimerBoard::ClearTimer(int index)
{
    TimerRecord& timer = m_timers[std::size_t(index)];
    EventModify(m_reset[std::size_t(index)].get(), EVENT_SET);
    platform::clearWakeUp(timer.hNotification);
    (void)platform::clearWakeUpsOf(store::kRunnerPath, timerArgument(index));
    timer.hNotification = 0;
    timer.running = 0;
    TimerOutcome outcome;
    outcome.saved = SaveTimer(m_timers, index);
    return outcome;
}

TimerOutcome TimerBoard::StopTimer(int index, platform::LocalTicks now)
{
    if (!validIndex(index))
        return { true, false };
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit)
        return kBusy;
    TimerRecord& timer = m_timers[std::size_t(index)];
    if (timer.running && platform::LocalTicks(ticksOf(timer.value)) <= now) {
        timer.value = initialValue(timer);
    } else if (timer.running) {
        const auto left = remainingTime(timer.value, now);
        timer.value = fileTimeOf(platform::ticksOfSystemTime(withTimeOfDay(now, left)).value_or(0));
    }
    return ClearTimer(index);
}

TimerOutcome TimerBoard::ResetTimer(int index)
{
    if (!validIndex(index))
        return { true, false };
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit)
        return kBusy;
    TimerRecord& timer = m_timers[std::size_t(index)];
    timer.value = initialValue(timer);
    return ClearTimer(index);
}

bool TimerBoard::ResetAllTimers()
{
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit)
        return false;
    for (int i = 0; i < kTimerCount; ++i) {
        TimerRecord& timer = m_timers[std::size_t(i)];
        timer.value = initialValue(timer);
        if (timer.hNotification != 0) {
            EventModify(m_reset[std::size_t(i)].get(), EVENT_SET);
            platform::clearWakeUp(timer.hNotification);
            (void)platform::clearWakeUpsOf(store::kRunnerPath, timerArgument(i));
            timer.hNotification = 0;
            timer.running = 0;
        }
    }
    return SaveAllTimers(m_timers);
}

void TimerBoard::setInitialValue(int index, int hour, int minute, int second, platform::LocalTicks now)
{
    if (!validIndex(index))
        return;
    TimerRecord& timer = m_timers[std::size_t(index)];
    const HoursMinutesSeconds time { std::uint32_t(std::clamp(hour, 0, 23)), std::uint32_t(std::clamp(minute, 0, 59)),
        std::uint32_t(std::clamp(second, 0, 59)) };
    timer.value = fileTimeOf(platform::ticksOfSystemTime(withTimeOfDay(now, time)).value_or(0));
    timer.initHour = std::uint8_t(time.hours);
    timer.initMinute = std::uint8_t(time.minutes);
    timer.initSecond = std::uint8_t(time.seconds);
}

bool TimerBoard::ApplySettings(int index, const TimerSettings& settings)
{
    if (!validIndex(index))
        return false;
    TimerRecord& timer = m_timers[std::size_t(index)];
    copyText(timer.name, settings.name);
    timer.actionKind = settings.actionKind;
    bool stored = true;
    if (settings.actionKind == 0 || settings.actionKind == 1) {
        timer.soundIndex = settings.soundIndex;
        stored = writeTimerSound(index, settings.soundPath);
        timer.pauseIndex = settings.pauseIndex;
        timer.repeatIndex = settings.repeatIndex;
    }
    if (settings.actionKind == 1)
        copyText(timer.programPath, settings.programPath);
    if (settings.actionKind == 2) {
        copyText(timer.programPath, settings.programPath);
        copyText(timer.programArgs, settings.programArgs);
        timer.keepAwakeIndex = settings.keepAwakeIndex;
    }
    return stored;
}

std::optional<int> TimerBoard::PollTimerChanges(platform::LocalTicks now)
{
    if (WaitForSingleObject(m_settingsChanged.get(), 0) != WAIT_OBJECT_0)
        return std::nullopt;
    EventModify(m_settingsChanged.get(), EVENT_RESET);
    const auto edit = store::editDataFile(store::kTimersFile);
    std::array<std::uint32_t, kTimerCount> before { };
    for (int i = 0; i < kTimerCount; ++i)
        before[std::size_t(i)] = m_timers[std::size_t(i)].hNotification;
    (void)LoadTimers(m_timers, now);
    for (int i = 0; i < kTimerCount; ++i) {
        if (before[std::size_t(i)] != 0 && before[std::size_t(i)] != m_timers[std::size_t(i)].hNotification) {
            // Only this one now: another fired timer waits for a later signal.
            m_timers[std::size_t(i)].value = initialValue(m_timers[std::size_t(i)]);
            (void)ClearTimer(i);
            return i;
        }
    }
    return std::nullopt;
}

} // namespace timers

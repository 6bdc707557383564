#include "timers/timer_schedule.h"

#include "platform/calendar.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"
#include "timers/countdown.h"
#include "timers/timer_file.h"

#include <algorithm>
#include <chrono>
#include <array>
#include <string>

namespace timers {

namespace {

// A renewed wake-up comes no sooner than this: the runner doing the renewal must be gone.
constexpr std::chrono::seconds kRenewalFloor { 20 };

} // namespace

std::u16string timerArgument(int index)
{
    const int clamped = std::clamp(index, 0, kTimerCount - 1);
    return { u't', char16_t(u'0' + clamped / 10), char16_t(u'0' + clamped % 10) };
}

const char16_t* timerResetEventName(int timerIndex)
{
    static const auto names = [] {
        std::array<std::u16string, kTimerCount> all;
        for (int i = 0; i < kTimerCount; ++i) {
            const std::string number = std::to_string(i + 1);
            all[std::size_t(i)] = u"TkTimers_" + std::u16string(number.begin(), number.end()) + u"_Reset";
        }
        return all;
    }();
    return timerIndex >= 0 && timerIndex < kTimerCount ? names[std::size_t(timerIndex)].c_str() : nullptr;
}

std::uint32_t registerTimerWakeUp(int index, std::uint32_t existing, platform::LocalTicks end, std::u16string_view runnerPath)
{
    const auto start = platform::systemTimeOf(end);
    if (!start)
        return 0;
    const std::u16string argument = timerArgument(index);
    // The timer's registration is moved in place and keeps its handle; one whose wake-up
    // has already fired (or that names another item's) is replaced by a new one. Either
    // way no other registration of this timer is left beside it.
    return platform::registerSoleWakeUp(platform::ProgramWakeUp(runnerPath, argument, *start), existing);
}

TimerWait waitForTimerEnd(int index, platform::LocalTicks end, platform::LocalTicks now)
{
    if (end <= now)
        return TimerWait::Ended;
    const DWORD seconds = DWORD(std::chrono::duration_cast<std::chrono::seconds>(end - now).count());
    const platform::UniqueHandle reset(CreateEventW(nullptr, TRUE, FALSE, timerResetEventName(index)));
    if (!reset)
        return TimerWait::Ended;
    const bool cancelled = WaitForSingleObject(reset.get(), seconds * 1000) == WAIT_OBJECT_0;
    if (cancelled)
        EventModify(reset.get(), EVENT_RESET);
    return cancelled ? TimerWait::Cancelled : TimerWait::Ended;
}

bool FinishTimer(int index, platform::RetryPolicy retry)
{
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit)
        return false;
    TimerTable table { };
    const bool written = platform::retry(retry, [&] {
        if (!readTimer(index, table[std::size_t(index)]))
            return false;
        TimerRecord& timer = table[std::size_t(index)];
        timer.hNotification = 0;
        timer.running = 0;
        timer.value = initialValue(timer);
        return SaveTimer(table, index, platform::RetryPolicy { 0, 0 });
    });
    if (written)
        store::signalByName(store::kTimersChanged);
    return written;
}

bool RescheduleAllTimers(platform::LocalTicks now, std::u16string_view runnerPath, TimerRenewal renewal)
{
    const auto edit = store::editDataFile(store::kTimersFile);
    if (!edit)
        return false;
    TimerTable table { };
    // A file that cannot be read whole is not written back over.
    if (!readTimersFile(table)) {
        if (LoadTimers(table, now) != TimersLoad::CreatedDefaults)
            return false;
    }
    for (int i = 0; i < kTimerCount; ++i) {
        TimerRecord& timer = table[std::size_t(i)];
        if (!timer.running || timer.hNotification == 0) {
            // A stopped timer keeps no wake-up, whatever an interrupted change left behind.
            if (!timer.running)
                (void)platform::clearWakeUpsOf(runnerPath, timerArgument(i));
            continue;
        }
        if (renewal == TimerRenewal::MissingOnly) {
            const auto present = platform::findWakeUp(timer.hNotification);
            if (present && !present->fired && present->arguments == timerArgument(i))
                continue;
        }
        const platform::LocalTicks end = std::max(platform::LocalTicks(ticksOf(timer.value)), now + kRenewalFloor);
        timer.value = fileTimeOf(end.count());
        timer.hNotification = registerTimerWakeUp(i, timer.hNotification, end, runnerPath);
    }
    return SaveAllTimers(table);
}

} // namespace timers

#include "runner/startup.h"

#include "alarms/alarm_file.h"
#include "alarms/alarm_schedule.h"
#include "events/event_list.h"
#include "events/event_schedule.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_profile.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "store/signals.h"
#include "timers/timer_file.h"
#include "timers/timer_schedule.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace runner {

namespace {

// This handheld's display driver must not be sent the power request.
constexpr std::u16string_view kNoDisplayRequestDevice = u"HP iPAQ Mobile Messenger 910";

// The display driver's power-management escape and its record: length, version, state.
constexpr int kSetPowerManagementEscape = 6147;
struct VideoPowerManagement {
    std::uint32_t length;
    std::uint32_t dpmsVersion;
    std::uint32_t powerState; // 1 on
};
static_assert(sizeof(VideoPowerManagement) == 12);

using platform::localNow;


void createNamedEvent(const char16_t* name)
{
    // The events outlive this process; the handle is only needed to make them.
    const platform::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name));
}

std::optional<DueItem> loadAlarm(const Command& command, std::u16string_view ownPath, platform::RetryPolicy retry)
{
    const SYSTEMTIME now = localNow();
    // The moment this runner's wake-up was due: a renewal may move the record on before it
    // is read here, and the alarm still rang then.
    std::optional<FILETIME> fired;
    if (const auto start = platform::startingWakeUpLocalTicks())
        fired = fileTimeOf(start->count());
    ::unsetenv(platform::kWakeUpStartVariable); // not for the programs the alert starts
    const auto advanced = alarms::AdvanceAlarm(int(command.number), command.argument, ownPath, now, retry, fired);
    if (!advanced || !alarms::shouldAlert(*advanced, now))
        return std::nullopt;
    DueItem item;
    item.kind = ItemKind::Alarm;
    item.alert = alarmAlert(advanced->alarm, int(command.number));
    item.itemTime = advanced->alarm.alarmTime;
    item.note = alarms::alarmLabel(advanced->alarm);
    return item;
}

std::optional<DueItem> loadEvent(const Command& command, platform::RetryPolicy retry)
{
    const auto event = events::AdvanceEvent(command.number, localNow(), retry);
    if (!event)
        return std::nullopt;
    DueItem item;
    item.kind = ItemKind::Event;
    item.alert = eventAlert(*event);
    item.itemTime = event->nextTime;
    item.note = events::eventName(*event);
    return item;
}

std::optional<DueItem> loadTimer(const Command& command, platform::RetryPolicy retry)
{
    const int index = int(command.number);
    timers::TimerRecord timer { };
    if (!platform::retry(retry, [&] { return timers::readTimer(index, timer); }))
        return std::nullopt;
    platform::clearWakeUp(timer.hNotification);
    // A timer the user stopped or reset since its wake-up was taken is no longer running:
    // its value is the time to count down from, not an end moment to ring at.
    if (!timer.running)
        return std::nullopt;
    const platform::LocalTicks end(ticksOf(timer.value));
    if (!withinAlertWindow(end, platform::deviceLocalNow()))
        return std::nullopt;
    DueItem item;
    item.kind = ItemKind::Timer;
    item.alert = timerAlert(timer, index);
    item.itemTime = timer.value;
    item.note = alarms::fieldText(timer.name);
    item.timerEnd = end;
    return item;
}

} // namespace

double startUpTimeScale()
{
    const char* text = std::getenv("TKW_RUNNER_TIME_SCALE");
    if (!text || !*text)
        return 1.0;
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    if (*end != '\0' || !std::isfinite(scale) || scale < 0.0 || scale > 1.0)
        return 1.0;
    return scale;
}

void startUpWait(DWORD milliseconds)
{
    const auto scaled = DWORD(std::lround(double(milliseconds) * startUpTimeScale()));
    if (scaled > 0)
        Sleep(scaled);
}

std::u16string ownModulePath()
{
    WCHAR path[261] = { };
    if (GetModuleFileNameW(nullptr, path, 261) == 0)
        return std::u16string(store::kRunnerPath);
    return path;
}

void prepareForAlert()
{
    createNamedEvent(store::kSnoozeActive);
    createNamedEvent(store::kSoundVolumeTaken);
    WCHAR oem[128] = { };
    if (SystemParametersInfoW(SPI_GETOEMINFO, sizeof oem, oem, 0) && kNoDisplayRequestDevice == oem)
        return;
    const VideoPowerManagement on { sizeof(VideoPowerManagement), 1, 1 };
    std::fprintf(stderr, "tkevents: display power escape %d (state %u) requested; the host keeps its own display\n",
        kSetPowerManagementEscape, unsigned(on.powerState));
}

void signalSnoozeDue() { store::signalByName(store::kSnoozeActive); }

namespace {

// Every alarm and event registered afresh, running timers as `timers` says, and what no
// record wants removed: one edit of the three files, taken in the one order every program
// takes more than one in, so nothing changes a record between its renewal and the sweep.
void renewAndReconcile(std::u16string_view ownPath, timers::TimerRenewal timerRenewal)
{
    noteWakeUpDatabaseProblem();
    const auto alarmsEdit = store::editDataFile(store::kAlarmsFile);
    const auto timersEdit = store::editDataFile(store::kTimersFile);
    const auto eventsEdit = store::editDataFile(store::kEventsFile);
    (void)timers::RescheduleAllTimers(platform::deviceLocalNow(), ownPath, timerRenewal);
    (void)alarms::RescheduleAllAlarms(ownPath, localNow());
    (void)events::RescheduleAllEvents(localNow());
    if (alarmsEdit && timersEdit && eventsEdit)
        reconcileRegistrations(ownPath);
}

} // namespace

void renewAfterTimeChange(std::u16string_view ownPath)
{
    // A running timer's wake-up is a local moment the change does not move; only one that
    // went missing (a rebuilt wake-up database) is made again.
    renewAndReconcile(ownPath, timers::TimerRenewal::MissingOnly);
}

void renewAllRegistrations(std::u16string_view ownPath)
{
    const std::u16string runner(store::kRunnerPath);
    (void)CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_NONE);
    renewAndReconcile(ownPath, timers::TimerRenewal::All);
    (void)CeRunAppAtEvent(runner.c_str(), NOTIFICATION_EVENT_TIME_CHANGE);
}

void reconcileRegistrations(std::u16string_view runnerPath)
{
    alarms::AlarmTable alarmTable { };
    timers::TimerTable timerTable { };
    events::EventList eventList;
    events::EventsLoad eventsRead = events::EventsLoad::Loaded;
    const bool haveAlarms = alarms::readAlarmsFile(alarmTable);
    const bool haveTimers = timers::readTimersFile(timerTable);
    const bool haveEvents = events::LoadEvents(eventList, &eventsRead) && eventsRead != events::EventsLoad::Damaged;
    const auto registrations = platform::wakeUpsOf(runnerPath);
    if (!registrations)
        return;
    for (const auto& wakeUp : *registrations) {
        // Only what a record can vouch for is judged; anything else (a snooze) stays.
        const Command item = parseCommandLine(wakeUp.arguments);
        std::optional<bool> wanted;
        if (item.job == Job::Alarm && haveAlarms) {
            const auto& alarm = alarmTable[std::size_t(item.number - 1)];
            wanted = alarm.enabled && alarm.hNotification == wakeUp.handle;
        } else if (item.job == Job::Timer && haveTimers) {
            const auto& timer = timerTable[std::size_t(item.number)];
            wanted = timer.running && timer.hNotification == wakeUp.handle;
        } else if (item.job == Job::Event && haveEvents) {
            const auto begin = eventList.records.begin();
            wanted = item.number == wakeUp.handle
                && std::any_of(begin, begin + std::ptrdiff_t(eventList.count()),
                    [&](const events::EventRecord& event) { return event.hNotification == wakeUp.handle; });
        }
        if (wanted && !*wanted)
            CeClearUserNotification(reinterpret_cast<HANDLE>(std::uintptr_t(wakeUp.handle)));
    }
}

void noteWakeUpDatabaseProblem()
{
    const std::string problem = platform::wakeUpDatabaseProblem();
    if (problem.empty())
        return;
    std::fprintf(stderr, "tkevents: the wake-up database cannot be used: %s\n", problem.c_str());
    store::AppendLog(u"TkEvents: the wake-up database cannot be used: " + platform::toUtf16(problem));
}

std::optional<store::SettingsRecord> readSettingsRecord(platform::RetryPolicy retry)
{
    store::SettingsRecord record { };
    const std::u16string path = store::DataFilePath(store::kSettingsFile);
    const bool read = platform::retry(retry, [&] {
        auto file = platform::File::open(path, platform::Access::Read, platform::Share::Read,
            platform::Disposition::OpenExisting);
        return file && file->size() == sizeof record && file->readExactly(&record, sizeof record);
    });
    if (!read)
        return std::nullopt;
    return record;
}

bool withinAlertWindow(platform::LocalTicks moment, platform::LocalTicks now)
{
    const auto apart = moment > now ? moment - now : now - moment;
    return std::chrono::duration_cast<std::chrono::minutes>(apart).count() <= kAlertWindowMinutes;
}

std::optional<DueItem> loadDueItem(
    const Command& command, std::u16string_view ownPath, platform::RetryPolicy recordRetry)
{
    noteWakeUpDatabaseProblem();
    std::optional<DueItem> item;
    switch (command.job) {
    case Job::Alarm: item = loadAlarm(command, ownPath, recordRetry); break;
    case Job::Event: item = loadEvent(command, recordRetry); break;
    case Job::Timer: item = loadTimer(command, recordRetry); break;
    default: return std::nullopt;
    }
    if (item) {
        item->number = command.number;
        item->argument = command.argument;
    }
    return item;
}

bool awaitTimerEnd(const DueItem& timer)
{
    const int index = int(timer.number);
    if (timers::waitForTimerEnd(index, timer.timerEnd, platform::deviceLocalNow()) == timers::TimerWait::Cancelled)
        return false;
    (void)timers::FinishTimer(index); // Sets "TkTimers_Settings_Change" once the record is written.
    return true;
}

} // namespace runner

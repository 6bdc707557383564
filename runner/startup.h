#pragma once
// The runner's start-up: the jobs that end without an alert (renewing registrations after
// a time change or on request, the snooze wake-up) and, for a due alarm, event or timer,
// bringing its record up to date and deciding whether it alerts.

#include "platform/retry.h"
#include "platform/ticks.h"
#include "platform/types.h"
#include "runner/alert_parameters.h"
#include "runner/command_line.h"
#include "store/settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace runner {

// The runner's fixed waits at start-up.
inline constexpr DWORD kTimeChangeSettleMs = 3500; // before renewing after a time change
inline constexpr DWORD kRenewalSettleMs = 5300;    // before renewing on request
inline constexpr DWORD kDueItemSettleMs = 500;     // before looking at a due item
inline constexpr DWORD kChimeQuietMs = 2000;       // before and after the chime

// Test hook: TKW_RUNNER_TIME_SCALE (a number from 0 to 1) shortens the fixed waits above so
// that tests need not sit through them; unset or invalid, they last as long as they say.
[[nodiscard]] double startUpTimeScale();
void startUpWait(DWORD milliseconds);

// The device path this runner was started as (what its own registrations name).
[[nodiscard]] std::u16string ownModulePath();

// Makes "TkMEvent_Snooze_Active" and "TkMEvent_SoundAllReadySet", and asks for the display
// to be switched on (unless the device is one that must not be asked). Linux gives the
// runner no say over the display's power, so the request is only noted on stderr.
void prepareForAlert();
// A runner started with "sn": the snooze or repeat time of the alerting runner is over.
void signalSnoozeDue();

// "AppRunAfterTimeChange" after its wait (also after the wake-up database was rebuilt):
// every running timer, alarm and event registered afresh, and what no record wants removed.
void renewAfterTimeChange(std::u16string_view ownPath);
// "UpdateNotifications" after its wait: the time-change registration dropped, timers,
// alarms and events renewed and reconciled, and the time-change registration made again,
// once.
void renewAllRegistrations(std::u16string_view ownPath);
// Removes every registration of the runner that no record wants: an alarm's that is off or
// names another handle, a stopped timer's, an event's whose handle no event holds. Call it
// holding the edits of alarms.dat, timers.dat and events.dat; a file that cannot be read
// leaves its registrations alone.
void reconcileRegistrations(std::u16string_view runnerPath);
// Reports an unusable wake-up database on stderr and in the diagnostic log.
void noteWakeUpDatabaseProblem();

// The whole settings record read fresh, 1040 bytes or nothing; tried up to 7 times, 1 s
// apart, by default.
[[nodiscard]] std::optional<store::SettingsRecord> readSettingsRecord(platform::RetryPolicy retry = { 6, 1000 });

// The item whose wake-up started this runner, as it alerts.
struct DueItem {
    ItemKind kind = ItemKind::Alarm;
    std::uint32_t number = 0;        // alarm 1-20, event handle, timer index 0-15
    std::u16string argument;         // the command line
    AlertParameters alert;
    FILETIME itemTime { };           // local: the alarm's or event's next moment, the timer's end
    std::u16string note;             // the alarm's label, the event's or timer's name
    platform::LocalTicks timerEnd;
};

// A late wake-up (the device was off) brings the record up to date but alerts only this
// close to its moment, before or after.
inline constexpr std::int64_t kAlertWindowMinutes = 20;
[[nodiscard]] bool withinAlertWindow(platform::LocalTicks moment, platform::LocalTicks now);

// The due alarm moved to its next weekday, the due event to its next occurrence, or the
// due timer's wake-up cleared; nullopt when the item is not to alert (its record cannot be
// read, it is off or gone, or its moment lies outside the alert window). Records are read
// with up to 7 attempts, 1 s apart, by default.
[[nodiscard]] std::optional<DueItem> loadDueItem(const Command& command, std::u16string_view ownPath,
    platform::RetryPolicy recordRetry = { 6, 1000 });

// A due timer whose end is still ahead: waits for it on the timer's reset event. False
// when the timer was stopped or reset meanwhile (no alert). Then the record goes back to
// its initial value and the main program is told.
[[nodiscard]] bool awaitTimerEnd(const DueItem& timer);

} // namespace runner

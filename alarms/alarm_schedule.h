#pragma once
// When an alarm rings next, and its wake-up in the wake-up database: the registration that
// starts the runner with "a" + the alarm's number, and the runner's two jobs on alarms.dat
// (the alarm that rang moved to its next weekday, and every alarm renewed after a time
// change).
//
// All times here are local device time; callers pass "now" as GetLocalTime gives it.
// Alarm numbers are 1-based, as the user sees them and the runner's argument names them.

#include "alarms/alarm_record.h"
#include "platform/retry.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace alarms {

// Where the search for the next weekday starts.
enum class From {
    Now,      // today counts while its alarm minute has not passed
    Tomorrow, // the runner, as the alarm rings: never today again
};

// The next moment of the alarm: the hour and minute of alarmTime (seconds zero) on the first
// weekday of its mask from today or tomorrow on, wrapping into the following week. A minute
// that is exactly now still counts as today. nullopt when the alarm has no weekday, or its
// time or the result lies outside what FILETIME holds. The result has wDayOfWeek filled in.
[[nodiscard]] std::optional<SYSTEMTIME> NextOccurrence(const AlarmRecord& alarm, From from, const SYSTEMTIME& now);

// "a01" ... "a09", "a10" ... "a20": the runner's argument for an alarm number.
[[nodiscard]] std::u16string alarmArgument(int number);

// How long a registration by the main program stays valid after its start.
inline constexpr std::uint64_t kMainProgramWakeUpSpanTicks = 3'000'000'000ull; // 5 minutes

enum class WakeUpEnd {
    FiveMinutesLater, // the main program's registrations
    None,             // the runner's
};

// The alarm's one registration: starts `application` with `argument` at the local `start`,
// and replaces whatever other registration starts the same program with the same argument;
// no alert by the system itself (the runner does all alerting). The handle, 0 on failure.
[[nodiscard]] std::uint32_t registerAlarmWakeUp(
    std::u16string_view application, std::u16string_view argument, const SYSTEMTIME& start, WakeUpEnd end);

// The runner's file accesses: the main program may hold the file for a moment.
inline constexpr platform::RetryPolicy kRunnerRecordRetry { 6, 1000 }; // 7 attempts, 1 s apart
inline constexpr platform::RetryPolicy kRunnerFileRetry { 6, 200 };    // 7 attempts, 200 ms apart

struct AdvancedAlarm {
    AlarmRecord alarm;    // the record as it now stands
    FILETIME rang;        // the moment that rang: alarmTime as the runner found it
    bool written = false; // the record went back to alarms.dat
};

// The runner started with `argument` ("a" + number) for alarm `number`: reads the record
// fresh, clears the wake-up that fired and, for an alarm that is on, registers its next
// weekday (never today again) under `runnerPath` and `argument`. The record is written back
// in place and "Tkw_NeedUpdateAlarmSettingsOnMainApp" and "Tkw_NeedUpdateAlarmSettingsOnOnTkTP"
// are set. nullopt when the record cannot be read (a missing file included) or the number
// is not 1 to 20.
// `fired` is the moment the wake-up that started the runner was registered for, when the
// runner knows it: an alarm that another program moved past that moment meanwhile keeps its
// new moment (and rang at `fired`); without it the record's alarmTime is taken as the moment.
// The whole step is one edit of alarms.dat.
[[nodiscard]] std::optional<AdvancedAlarm> AdvanceAlarm(int number, std::u16string_view argument,
    std::u16string_view runnerPath, const SYSTEMTIME& now, platform::RetryPolicy retry = kRunnerRecordRetry,
    std::optional<FILETIME> fired = std::nullopt);

// A late wake-up (the device was off) still moves the alarm on, but alerts only this close.
inline constexpr std::int64_t kAlertWindowMinutes = 20;
// Whether the runner alerts: the alarm is on and the moment that rang lies no more than 20
// whole minutes from now, before or after.
[[nodiscard]] bool shouldAlert(const AdvancedAlarm& advanced, const SYSTEMTIME& now);

enum class RescheduleOutcome {
    Done,        // every alarm that is on re-registered and the file written
    Unreadable,  // alarms.dat could not be read whole; nothing was changed
    WriteFailed, // registrations were renewed but the file could not be written
};

// The runner after a time change or on "UpdateNotifications": every alarm that is on and has
// a weekday gets a fresh registration at its next moment (today counts), its old one cleared;
// alarms that are off lose any registration left for them; the whole file is written back
// and both alarm events are set. One edit of alarms.dat.
[[nodiscard]] RescheduleOutcome RescheduleAllAlarms(
    std::u16string_view runnerPath, const SYSTEMTIME& now, platform::RetryPolicy retry = kRunnerFileRetry);

} // namespace alarms

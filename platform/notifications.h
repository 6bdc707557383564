#pragma once
// The wake-up database: registrations that start a program, or set a named event, at a
// local device time, and programs registered to start after every change of the time or
// zone. Kept in SQLite in the device root, so registrations outlive every process, a
// restart of the host and a crash of the device service, which fires them (tkw-deviced).
//
// Handles are non-zero 32-bit values, never reused while the device root lives. They are
// given out as HANDLE values; EventModify on the handle of a registration that asks for
// the LED sets and resets its LED state.

#include "platform/ticks.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr DWORD CNT_EVENT = 1;
inline constexpr DWORD CNT_TIME = 2;

inline constexpr DWORD NOTIFICATION_EVENT_NONE = 0;
inline constexpr DWORD NOTIFICATION_EVENT_TIME_CHANGE = 1;

inline constexpr DWORD PUN_LED = 1;
inline constexpr DWORD PUN_VIBRATE = 2;
inline constexpr DWORD PUN_DIALOG = 4;
inline constexpr DWORD PUN_SOUND = 8;

struct CE_NOTIFICATION_TRIGGER {
    DWORD dwSize;
    DWORD dwType;   // CNT_TIME, or CNT_EVENT for NOTIFICATION_EVENT_TIME_CHANGE
    DWORD dwEvent;
    const WCHAR* lpszApplication; // device path, or "\\.\Notifications\NamedEvents\NAME"
    const WCHAR* lpszArguments;
    SYSTEMTIME stStartTime;       // local device time
    SYSTEMTIME stEndTime;         // zero, or local device time
};

struct CE_USER_NOTIFICATION {
    DWORD ActionFlags; // PUN_*
    const WCHAR* pwszDialogTitle;
    const WCHAR* pwszDialogText;
    const WCHAR* pwszSound;
    DWORD nMaxSound;
    DWORD dwReserved;
};

// A new registration (`notification` 0) or the replacement of an existing one; returns its
// handle, or null on failure (a handle that names no registration, a bad trigger, or a
// database that cannot be written).
HANDLE CeSetUserNotificationEx(HANDLE notification, const CE_NOTIFICATION_TRIGGER* trigger,
    const CE_USER_NOTIFICATION* userNotification);
// Removes a registration; an unknown handle or 0 is harmless.
BOOL CeClearUserNotification(HANDLE notification);
// NOTIFICATION_EVENT_TIME_CHANGE registers the application to start with
// "AppRunAfterTimeChange" after a time change; NOTIFICATION_EVENT_NONE removes all of its
// event registrations.
BOOL CeRunAppAtEvent(const WCHAR* application, LONG event);

namespace platform {

inline constexpr const char16_t* kNamedEventPrefix = u"\\\\.\\Notifications\\NamedEvents\\";

struct WakeUp {
    DWORD handle = 0;
    DWORD type = CNT_TIME;
    DWORD event = 0;
    std::u16string application;
    std::u16string arguments;
    std::uint64_t startLocalTicks = 0;
    std::uint64_t endLocalTicks = 0; // 0: none
    DWORD actionFlags = 0;
    bool ledSet = false;
    bool fired = false; // fired, kept while its LED state is set
};

// "Run this program with these arguments at this local time": what every time wake-up of
// the suite asks for. The one place that fills a CE_NOTIFICATION_TRIGGER for it.
struct ProgramWakeUp {
    ProgramWakeUp(std::u16string_view program, std::u16string_view arguments, const SYSTEMTIME& start)
        : program(program)
        , arguments(arguments)
        , start(start)
    {
    }
    std::u16string_view program;   // device path, or "\\.\Notifications\NamedEvents\NAME"
    std::u16string_view arguments;
    SYSTEMTIME start { };          // local device time
    std::optional<SYSTEMTIME> end; // local device time; none by default
    DWORD actionFlags = 0;         // PUN_*
};

// A registration's number as the HANDLE the handle API takes (EventModify switches its
// LED), and back; 0 and null stand for none.
[[nodiscard]] HANDLE wakeUpHandle(DWORD number);
[[nodiscard]] DWORD wakeUpNumber(HANDLE handle);

// Registers a new wake-up, or moves registration `replacing` in place (its number stays);
// the number, 0 on failure (also when `replacing` names no registration any more).
[[nodiscard]] DWORD registerWakeUp(const ProgramWakeUp& wakeUp, DWORD replacing = 0);
// The same as setSoleWakeUp below: the item's one wake-up, whoever else registered it.
[[nodiscard]] DWORD registerSoleWakeUp(const ProgramWakeUp& wakeUp, DWORD keep = 0);
// Removes one registration; 0 or a number that names none is harmless (false).
bool clearWakeUp(DWORD number);

// The one time wake-up that starts `trigger`'s application with its arguments: every other
// registration of the same program (names compared without case) and arguments that has not
// fired is removed in the same transaction, so however many programs register one item at
// once, and in whatever order, one wake-up stays. `keep` names a registration to replace in
// place (its handle stays); when it names none, or one of another item, a new one is made. The handle, 0 on
// failure (nothing is then changed).
[[nodiscard]] DWORD setSoleWakeUp(const CE_NOTIFICATION_TRIGGER& trigger, DWORD keep = 0);
// Removes every registration not yet fired that starts `application` with `arguments`.
bool clearWakeUpsOf(std::u16string_view application, std::u16string_view arguments);
// The time registrations not yet fired that start `application` (names compared without
// case), earliest first.
[[nodiscard]] std::optional<std::vector<WakeUp>> wakeUpsOf(std::u16string_view application);

// Every registration, earliest start first.
[[nodiscard]] std::optional<std::vector<WakeUp>> listWakeUps();
[[nodiscard]] std::optional<WakeUp> findWakeUp(DWORD handle);
// Applications registered for time changes.
[[nodiscard]] std::optional<std::vector<std::u16string>> timeChangeApplications();

// For the device service ------------------------------------------------------------

// Registrations whose start time (local, converted with the present zone) has come by
// `deviceUtcTicks`, oldest first, that have not fired.
[[nodiscard]] std::optional<std::vector<WakeUp>> dueWakeUps(UniversalTicks deviceNow);
// The universal device time of the earliest registration that has not fired.
[[nodiscard]] std::optional<UniversalTicks> nextWakeUpUniversalTicks();
// Takes a due registration out of the database for firing: removes it, or marks it fired
// when its LED is set. False when another process took it first, so a registration fires
// once however many processes try.
[[nodiscard]] bool takeWakeUpForFiring(DWORD handle, WakeUp* taken = nullptr);
// The change count of device time and zone that the service last handled.
[[nodiscard]] std::optional<std::uint64_t> handledTimeChangeCount();
[[nodiscard]] bool setHandledTimeChangeCount(std::uint64_t count);

// Sets or resets the LED state of a registration (EventModify on its handle does this).
// Switching the LED of a fired registration off removes the registration.
[[nodiscard]] bool setWakeUpLed(DWORD handle, bool on);
// Whether any registration that asks for the LED has its LED state set.
[[nodiscard]] bool notificationLedRequested();

// For the device service: a database file that is damaged (not merely busy) is set aside as
// "wakeups.db.damaged-YYYYMMDD-HHMMSS" and made anew, with the time-change programs it held.
// Returns those programs, which the service then starts as after a time change so that they
// register their wake-ups again; nullopt when the database is fine or cannot be rebuilt.
[[nodiscard]] std::optional<std::vector<std::u16string>> rebuildDamagedWakeUpDatabase();

// Why the database cannot be used; empty when it can.
[[nodiscard]] std::string wakeUpDatabaseProblem();

// The named event that a trigger application names, if it is of that form.
[[nodiscard]] std::optional<std::u16string> namedEventOfApplication(std::u16string_view application);

} // namespace platform

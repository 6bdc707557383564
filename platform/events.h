#pragma once
// Named events shared by every process of one device root.
//
// An event lives in a table in the runtime directory's shared memory, so a process that
// sets it wakes waiters in any other process of the same root, and a named event keeps its
// state after every handle to it is closed (a "changed" flag set while its reader is not
// running is still set when the reader starts). Unnamed events belong to the process that
// made them and are freed when it closes them or dies.

#include "platform/types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr DWORD EVENT_PULSE = 1;
inline constexpr DWORD EVENT_RESET = 2;
inline constexpr DWORD EVENT_SET = 3;

// Creates the event or opens the existing one of that name; GetLastError() then reports
// ERROR_ALREADY_EXISTS. `securityAttributes` must be null. Returns null on failure, with
// ERROR_NO_SYSTEM_RESOURCES when the table is full and ERROR_FILENAME_EXCED_RANGE when the
// name is longer than 260 characters.
HANDLE CreateEventW(void* securityAttributes, BOOL manualReset, BOOL initialState, const WCHAR* name);

// EVENT_SET, EVENT_RESET or EVENT_PULSE (sets it, wakes the current waiters, resets it).
// On the handle of a wake-up registration, EVENT_SET and EVENT_RESET switch its LED state.
BOOL EventModify(HANDLE event, DWORD function);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// WAIT_OBJECT_0 (+ index), WAIT_TIMEOUT or WAIT_FAILED. A time-out of 0 tests and returns
// at once. Waiting resets an auto-reset event it reports. Process handles are waited for
// too (until the process ends), but not together with events in one call.
DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs);

namespace platform {

inline constexpr std::size_t kEventNameMax = 260;
inline constexpr std::size_t kEventTableSlots = 1024;

struct EventInfo {
    std::u16string name;
    bool set = false;
    bool manualReset = true;
};

// Every named event of this device root, in the order they were made.
[[nodiscard]] std::optional<std::vector<EventInfo>> listNamedEvents();

// Sets the named event, making it when no process has yet: the one way to tell the
// programs that wait on it. False when the table cannot be used.
bool setNamedEvent(std::u16string_view name);

// Sets the named event when some process has made it; never creates one. The registry uses
// it to wake watchers of a value without filling the table with events nobody waits for.
bool setEventIfExists(std::u16string_view name);

// Why the table cannot be used, for error messages; empty when it can.
[[nodiscard]] std::string eventTableProblem();

// Takes the table's lock and never gives it back: lets tests kill a process that holds it.
bool holdEventTableLockForTesting();

} // namespace platform

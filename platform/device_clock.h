#pragma once
// The device clock and time zone. The device clock is the host clock plus an offset kept in
// the device root, so setting the device time never touches the host clock. The zone is a
// zone description kept beside it; a new device takes the host's zone. Every change of
// either is counted, and the named event kTimeChangedEvent is set, so that the device
// service can start the programs registered for time changes even when it was not running
// at the time.

#include "platform/ticks.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>

void GetSystemTime(SYSTEMTIME* universalTime);
void GetLocalTime(SYSTEMTIME* localTime);
BOOL SetSystemTime(const SYSTEMTIME* universalTime);
BOOL SetLocalTime(const SYSTEMTIME* localTime);
BOOL FileTimeToLocalFileTime(const FILETIME* universalTime, FILETIME* localTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localTime, FILETIME* universalTime);
// TIME_ZONE_ID_UNKNOWN for a zone without daylight saving, else TIME_ZONE_ID_STANDARD or
// TIME_ZONE_ID_DAYLIGHT for the present moment; TIME_ZONE_ID_INVALID on failure.
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* zone);
BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* zone);
// Records whether the shell considers daylight time in force. Local time always follows the
// zone's rules; the flag is kept for callers that read it back.
BOOL SetDaylightTime(DWORD daylight);
// Milliseconds on a clock that never jumps (wraps after 49.7 days, as on the handheld).
DWORD GetTickCount();
void Sleep(DWORD milliseconds);

namespace platform {

// The device's local time now, as a value.
[[nodiscard]] inline SYSTEMTIME localNow()
{
    SYSTEMTIME now { };
    GetLocalTime(&now);
    return now;
}

inline constexpr const char16_t* kTimeChangedEvent = u"TkwPlatform_TimeChanged";

// The device's universal time now, in ticks.
[[nodiscard]] std::uint64_t deviceUniversalTicks();
// The device's clocks now, with the clock said.
[[nodiscard]] UniversalTicks deviceUniversalNow();
[[nodiscard]] LocalTicks deviceLocalNow();
// The host's universal ticks at a moment of the device clock: what a host timer (timerfd on
// CLOCK_REALTIME) is set to so that it rings at that device moment.
[[nodiscard]] std::int64_t hostUniversalTicksAt(UniversalTicks deviceMoment);
// Device universal time minus host universal time, in ticks.
[[nodiscard]] std::int64_t deviceClockOffsetTicks();
// Moves the device clock by `ticks` (negative: back).
[[nodiscard]] bool advanceDeviceClock(std::int64_t ticks);
// Puts the device clock back on the host clock.
[[nodiscard]] bool resetDeviceClockOffset();
// How many changes of device time or zone there have been.
[[nodiscard]] std::uint64_t timeChangeCount();
// The daylight flag last given to SetDaylightTime.
[[nodiscard]] bool daylightFlag();

} // namespace platform

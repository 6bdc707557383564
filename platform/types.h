#pragma once
// The handheld's basic types, with the handheld's names and layouts. Records on disk embed
// these, so their sizes and alignments are part of the file formats.

#include <cstddef>
#include <cstdint>
#include <type_traits>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using WCHAR = char16_t; // UTF-16; wchar_t is 4 bytes on Linux and never used for device text

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Broken-down time. wDayOfWeek is 0 for Sunday; it is ignored on input and filled on output.
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
static_assert(std::is_trivially_copyable_v<SYSTEMTIME>);
static_assert(sizeof(SYSTEMTIME) == 16);

// 100-ns units since 1601-01-01, held as two 32-bit halves so that a record can keep one at
// any 4-byte offset without padding.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
static_assert(std::is_trivially_copyable_v<FILETIME>);
static_assert(sizeof(FILETIME) == 8);
static_assert(alignof(FILETIME) == 4);

[[nodiscard]] constexpr std::uint64_t ticksOf(FILETIME time) noexcept
{
    return (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

[[nodiscard]] constexpr FILETIME fileTimeOf(std::uint64_t ticks100ns) noexcept
{
    return FILETIME { DWORD(ticks100ns & 0xffffffffu), DWORD(ticks100ns >> 32) };
}

// Transition dates with wYear 0 are in day-in-month form: wMonth, wDayOfWeek, wDay as the
// occurrence 1..5 (5 = last) and the hour of the change. Daylight time starts at
// DaylightDate given in local standard time and ends at StandardDate given in local
// daylight time. A zone without daylight saving has both months 0.
struct TIME_ZONE_INFORMATION {
    LONG Bias; // minutes, universal = local + Bias
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
static_assert(std::is_trivially_copyable_v<TIME_ZONE_INFORMATION>);
static_assert(sizeof(TIME_ZONE_INFORMATION) == 172);
static_assert(offsetof(TIME_ZONE_INFORMATION, StandardDate) == 68);
static_assert(offsetof(TIME_ZONE_INFORMATION, DaylightName) == 88);
static_assert(offsetof(TIME_ZONE_INFORMATION, DaylightDate) == 152);
static_assert(offsetof(TIME_ZONE_INFORMATION, DaylightBias) == 168);

inline constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
inline constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
inline constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
inline constexpr DWORD TIME_ZONE_ID_INVALID = 0xffffffffu;

// Handles of waitable objects (events, and later processes and sounds).
using HANDLE = void*;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t(0));

inline constexpr DWORD INFINITE = 0xffffffffu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xffffffffu;

// Error codes, as GetLastError reports them.
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_MORE_DATA = 234;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
inline constexpr DWORD ERROR_NO_MORE_FILES = 18;
inline constexpr DWORD ERROR_INVALID_TIME = 1901;
inline constexpr DWORD ERROR_NO_SYSTEM_RESOURCES = 1450;
inline constexpr DWORD ERROR_BAD_FORMAT = 11;
inline constexpr DWORD ERROR_GEN_FAILURE = 31;

DWORD GetLastError() noexcept;
void SetLastError(DWORD error) noexcept;

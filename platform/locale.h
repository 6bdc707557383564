#pragma once
// The device's user locale: the facts the suite reads from it (12- or 24-hour clock, date
// order, first day of the week, month and day names) and formatting with the handheld's
// date and time pictures ("dddd", "MMMM dd, yyyy", "h':'mm' 'tt" ...).
//
// The locale is the device profile's "Locale" value (HKLM\SYSTEM\Tickwell\Profile), else the
// host's LC_ALL, LC_TIME or LANG; "C" and "POSIX" mean US English.

#include "platform/types.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

using LCID = DWORD;
using LCTYPE = DWORD;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x800;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x400;

inline constexpr LCTYPE LOCALE_SSHORTDATE = 0x1f;
inline constexpr LCTYPE LOCALE_SLONGDATE = 0x20;
inline constexpr LCTYPE LOCALE_IDATE = 0x21;  // short date order: 0 M-D-Y, 1 D-M-Y, 2 Y-M-D
inline constexpr LCTYPE LOCALE_ILDATE = 0x22; // long date order, likewise
inline constexpr LCTYPE LOCALE_ITIME = 0x23;  // 0 12-hour, 1 24-hour
inline constexpr LCTYPE LOCALE_S1159 = 0x28;  // AM designator
inline constexpr LCTYPE LOCALE_S2359 = 0x29;  // PM designator
inline constexpr LCTYPE LOCALE_SDAYNAME1 = 0x2a;       // Monday ... LOCALE_SDAYNAME7 Sunday
inline constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x31; // Monday ... Sunday
inline constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x38;     // January ... LOCALE_SMONTHNAME12
inline constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x44;
inline constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;
inline constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100c; // 0 Monday ... 6 Sunday

inline constexpr DWORD DATE_SHORTDATE = 0x1;
inline constexpr DWORD DATE_LONGDATE = 0x2;
inline constexpr DWORD TIME_NOSECONDS = 0x2;
inline constexpr DWORD NORM_IGNORECASE = 0x1;

inline constexpr int CSTR_LESS_THAN = 1;
inline constexpr int CSTR_EQUAL = 2;
inline constexpr int CSTR_GREATER_THAN = 3;

// The user locale's value as text; returns the characters written with the zero, or the
// size needed when `size` is 0; 0 on failure.
int GetLocaleInfoW(LCID locale, LCTYPE type, WCHAR* data, int size);
// With `format` null: the locale's short date (DATE_SHORTDATE), long date (DATE_LONGDATE) or
// time format. Returns the characters written with the zero (or needed when `size` is 0);
// 0 when the picture cannot be honoured or the buffer is too small.
int GetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date, const WCHAR* format, WCHAR* out, int size);
int GetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time, const WCHAR* format, WCHAR* out, int size);
// Compares with the user locale's collation; a length of -1 means zero-terminated.
// CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN; 0 on failure.
int CompareStringW(LCID locale, DWORD flags, const WCHAR* first, int firstLength, const WCHAR* second, int secondLength);

namespace platform {

struct LocaleInfo {
    std::string name;                 // ICU form: "de_DE", "en_US"
    bool use24Hour = true;
    bool shortDateMonthFirst = false;
    bool longDateMonthFirst = false;
    int firstDayOfWeek = 0;           // 0 Monday ... 6 Sunday
    std::array<std::u16string, 12> monthNames;        // standing alone ("December")
    std::array<std::u16string, 12> monthNamesInDate;  // within a date ("8 декабря")
    std::array<std::u16string, 12> shortMonthNames;
    std::array<std::u16string, 7> dayNames;           // Sunday first
    std::array<std::u16string, 7> shortDayNames;      // Sunday first
    std::array<std::u16string, 7> dayInitials;        // Sunday first, one letter
    std::u16string am, pm;
    std::u16string shortDatePicture, longDatePicture, timePicture;

    // Day names and initials in display order: from Sunday when the week starts on Sunday,
    // else from Monday.
    [[nodiscard]] std::array<std::u16string, 7> dayNamesInDisplayOrder() const;
    [[nodiscard]] std::array<std::u16string, 7> dayInitialsInDisplayOrder() const;
};

// The locale of a name ("ru_RU.UTF-8", "de", "C").
[[nodiscard]] LocaleInfo localeInfo(std::string_view name);
// The device's user locale, read once per process (and again after useDeviceRoot).
[[nodiscard]] const LocaleInfo& userLocale();
[[nodiscard]] std::string userLocaleName();

// Formats with a handheld picture. Date letters: d dd ddd dddd M MM MMM MMMM y yy yyyy;
// time letters: h hh H HH m mm s ss t tt; text in single quotes is literal ('' is a quote).
// nullopt for any other letter, or for date letters in a time picture and the other way.
enum class PictureKind { Date, Time };
[[nodiscard]] std::optional<std::u16string> formatPicture(
    const SYSTEMTIME& time, std::u16string_view picture, PictureKind kind, const LocaleInfo& locale);

// Whether a picture names the month before the day.
[[nodiscard]] bool monthBeforeDayOf(std::u16string_view picture);

// The locale's collation order of two texts: negative, zero or positive.
[[nodiscard]] int compareForLocale(std::u16string_view first, std::u16string_view second, const LocaleInfo& locale,
    bool ignoreCase = false);

} // namespace platform

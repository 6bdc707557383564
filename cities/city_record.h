#pragma once
// A city of the city database as its continent files store it: 64 bytes, little-endian,
// one after another with no header. The same bytes are read, kept and written back, so
// that fields this program does not interpret (bytes 0-1 and 58) survive an edit.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cities {

static_assert(std::endian::native == std::endian::little, "city files are little-endian");

inline constexpr std::size_t kCityNameLength = 20; // characters; the field holds 21 with the zero

struct CityRecord {
    std::uint8_t reserved[2];          // 0: kept as read
    char16_t name[21];                 // 2: zero-terminated within the field
    std::uint8_t daylightStartHour;    // 44: hour daylight time starts, for the device's zone
    std::uint8_t daylightEndHour;      // 45: hour it ends, likewise
    std::int16_t offsetMinutes;        // 46: standard offset from universal time, east positive
    std::uint16_t latitudeDegrees;     // 48: 0-90
    std::uint16_t latitudeMinutes;     // 50
    std::uint16_t longitudeDegrees;    // 52: 0-180
    std::uint16_t longitudeMinutes;    // 54
    std::int8_t north;                 // 56: 1 north, 0 south
    std::int8_t east;                  // 57: 1 east, 0 west
    std::uint8_t reserved58;           // 58: kept as read
    std::int8_t usesDaylight;          // 59: nonzero when the city keeps daylight saving time
    std::uint8_t daylightStartDay;     // 60: bits 0-3 weekday (0 Sunday), bits 4-7 week - 1 (4 last)
    std::uint8_t daylightStartMonth;   // 61: month - 1
    std::uint8_t standardStartDay;     // 62: as 60, for the return to standard time
    std::uint8_t standardStartMonth;   // 63: month - 1
};
static_assert(sizeof(CityRecord) == 64);
static_assert(offsetof(CityRecord, reserved) == 0);
static_assert(offsetof(CityRecord, name) == 2);
static_assert(offsetof(CityRecord, daylightStartHour) == 44);
static_assert(offsetof(CityRecord, daylightEndHour) == 45);
static_assert(offsetof(CityRecord, offsetMinutes) == 46);
static_assert(offsetof(CityRecord, latitudeDegrees) == 48);
static_assert(offsetof(CityRecord, latitudeMinutes) == 50);
static_assert(offsetof(CityRecord, longitudeDegrees) == 52);
static_assert(offsetof(CityRecord, longitudeMinutes) == 54);
static_assert(offsetof(CityRecord, north) == 56);
static_assert(offsetof(CityRecord, east) == 57);
static_assert(offsetof(CityRecord, reserved58) == 58);
static_assert(offsetof(CityRecord, usesDaylight) == 59);
static_assert(offsetof(CityRecord, daylightStartDay) == 60);
static_assert(offsetof(CityRecord, daylightStartMonth) == 61);
static_assert(offsetof(CityRecord, standardStartDay) == 62);
static_assert(offsetof(CityRecord, standardStartMonth) == 63);

// The record from 64 stored bytes, and back.
[[nodiscard]] CityRecord cityFromBytes(const std::byte* bytes);
void cityToBytes(const CityRecord& city, std::byte* bytes);

// The name up to its zero (or the whole field when a damaged file has none).
[[nodiscard]] std::u16string cityName(const CityRecord& city);
// Stores `name` cut to 20 characters (never splitting a surrogate pair) and zero-fills the
// rest of the field; the bytes after the field are not touched.
void setCityName(CityRecord& city, std::u16string_view name);

// One transition of a daylight rule in day-in-month form.
struct RuleDay {
    int month = 1;      // 1-12
    int weekday = 0;    // 0 Sunday .. 6 Saturday
    int occurrence = 1; // 1-4, 5 the last of the month
    friend bool operator==(const RuleDay&, const RuleDay&) = default;
};
struct DaylightRule {
    RuleDay daylightStart; // at local standard time
    RuleDay standardStart; // at local daylight time
    friend bool operator==(const DaylightRule&, const DaylightRule&) = default;
};

// The city's daylight rule; nullopt when it keeps no daylight time, or when its stored
// rule bytes are out of range (a month above 11, a weekday above 6 or a week above 4): a
// damaged rule cannot say when the clocks change, so the city keeps its standard time
// rather than a guessed one. The bytes themselves stay as read.
[[nodiscard]] std::optional<DaylightRule> daylightRule(const CityRecord& city);
// Packs `rule` into bytes 59-63 (and clears byte 59 for nullopt, keeping the rule bytes).
void setDaylightRule(CityRecord& city, const std::optional<DaylightRule>& rule);

// The packed form of one transition day (byte 60 or 62) and back.
[[nodiscard]] std::uint8_t packRuleDay(int weekday, int occurrence);

// Latitude and longitude in signed degrees (north and east positive), minutes included.
[[nodiscard]] double latitudeOf(const CityRecord& city);
[[nodiscard]] double longitudeOf(const CityRecord& city);
// "52:31N", "13:24E" (degrees, two-digit minutes, hemisphere), and the reverse; the
// parser refuses degrees past 90 (180), 90 (180) with minutes, and minutes past 59.
[[nodiscard]] std::string latitudeText(const CityRecord& city);
[[nodiscard]] std::string longitudeText(const CityRecord& city);
struct Angle {
    int degrees = 0;
    int minutes = 0;
    bool positive = true; // north or east
};
[[nodiscard]] std::optional<Angle> parseAngle(std::string_view text, bool latitude);

} // namespace cities

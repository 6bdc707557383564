#include "cities/city_record.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace cities {

CityRecord cityFromBytes(const std::byte* bytes)
{
    CityRecord city;
    std::memcpy(&city, bytes, sizeof city);
    return city;
}

void cityToBytes(const CityRecord& city, std::byte* bytes) { std::memcpy(bytes, &city, sizeof city); }

std::u16string cityName(const CityRecord& city)
{
    const auto* end = std::find(std::begin(city.name), std::end(city.name), u'\0');
    return std::u16string(std::begin(city.name), end);
}

void setCityName(CityRecord& city, std::u16string_view name)
{
    std::size_t length = std::min(name.size(), kCityNameLength);
    // A high surrogate whose partner would fall past the cut goes with it.
    if (length < name.size() && length > 0 && name[length - 1] >= 0xd800 && name[length - 1] <= 0xdbff)
        --length;
    std::fill(std::begin(city.name), std::end(city.name), u'\0');
    std::copy_n(name.begin(), length, city.name);
}

namespace {

std::optional<RuleDay> ruleDayOf(std::uint8_t day, std::uint8_t month)
{
    const int weekday = day & 0x0f;
    const int week = day >> 4;
    if (month > 11 || weekday > 6 || week > 4)
        return std::nullopt;
    return RuleDay { month + 1, weekday, week + 1 };
}

} // namespace

std::optional<DaylightRule> daylightRule(const CityRecord& city)
{
    if (city.usesDaylight == 0)
        return std::nullopt;
    const auto start = ruleDayOf(city.daylightStartDay, city.daylightStartMonth);
    const auto end = ruleDayOf(city.standardStartDay, city.standardStartMonth);
    if (!start || !end)
        return std::nullopt;
    return DaylightRule { *start, *end };
}

std::uint8_t packRuleDay(int weekday, int occurrence)
{
    return std::uint8_t((std::clamp(weekday, 0, 6)) | ((std::clamp(occurrence, 1, 5) - 1) << 4));
}

void setDaylightRule(CityRecord& city, const std::optional<DaylightRule>& rule)
{
    if (!rule) {
        city.usesDaylight = 0;
        return;
    }
    city.usesDaylight = 1;
    city.daylightStartDay = packRuleDay(rule->daylightStart.weekday, rule->daylightStart.occurrence);
    city.daylightStartMonth = std::uint8_t(std::clamp(rule->daylightStart.month, 1, 12) - 1);
    city.standardStartDay = packRuleDay(rule->standardStart.weekday, rule->standardStart.occurrence);
    city.standardStartMonth = std::uint8_t(std::clamp(rule->standardStart.month, 1, 12) - 1);
}

double latitudeOf(const CityRecord& city)
{
    const double value = city.latitudeDegrees + city.latitudeMinutes / 60.0;
    return city.north ? value : -value;
}

double longitudeOf(const CityRecord& city)
{
    const double value = city.longitudeDegrees + city.longitudeMinutes / 60.0;
    return city.east ? value : -value;
}

namespace {

std::string angleText(int degrees, int minutes, char hemisphere)
{
    std::string text = std::to_string(degrees) + ':';
    if (minutes < 10)
        text += '0';
    return text + std::to_string(minutes) + hemisphere;
}

} // namespace

std::string latitudeText(const CityRecord& city)
{
    return angleText(city.latitudeDegrees, city.latitudeMinutes, city.north ? 'N' : 'S');
}

std::string longitudeText(const CityRecord& city)
{
    return angleText(city.longitudeDegrees, city.longitudeMinutes, city.east ? 'E' : 'W');
}

std::optional<Angle> parseAngle(std::string_view text, bool latitude)
{
    if (text.size() < 2)
        return std::nullopt;
    const char hemisphere = char(text.back() & ~0x20); // upper case
    Angle angle;
    if (latitude && (hemisphere == 'N' || hemisphere == 'S'))
        angle.positive = hemisphere == 'N';
    else if (!latitude && (hemisphere == 'E' || hemisphere == 'W'))
        angle.positive = hemisphere == 'E';
    else
        return std::nullopt;
    text.remove_suffix(1);
    const auto colon = text.find(':');
    const auto number = [](std::string_view digits, int& value) {
        if (digits.empty() || digits.size() > 3)
            return false;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return error == std::errc() && end == digits.data() + digits.size();
    };
    if (!number(text.substr(0, colon), angle.degrees))
        return std::nullopt;
    if (colon != std::string_view::npos && !number(text.substr(colon + 1), angle.minutes))
        return std::nullopt;
    const int limit = latitude ? 90 : 180;
    if (angle.degrees < 0 || angle.minutes < 0 || angle.minutes > 59 || angle.degrees > limit
        || (angle.degrees == limit && angle.minutes != 0))
        return std::nullopt;
    return angle;
}

} // namespace cities

#include "tools/city_generator/city_table.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

namespace city_generator {

namespace {

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

template <typename Number> std::optional<Number> parseNumber(std::string_view text)
{
    Number value { };
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Strict UTF-8 to UTF-16: no overlong forms, no surrogates encoded as UTF-8.
std::optional<std::u16string> utf16Of(std::string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // Continuation bytes, the lead byte's bits, and the least code point of that length.
        const auto [extra, code0, least] = lead < 0x80 ? std::tuple { 0, char32_t(lead), char32_t(0) }
            : (lead & 0xe0) == 0xc0                    ? std::tuple { 1, char32_t(lead & 0x1f), char32_t(0x80) }
            : (lead & 0xf0) == 0xe0                    ? std::tuple { 2, char32_t(lead & 0x0f), char32_t(0x800) }
            : (lead & 0xf8) == 0xf0                    ? std::tuple { 3, char32_t(lead & 0x07), char32_t(0x10000) }
                                                       : std::tuple { -1, char32_t(0), char32_t(0) };
        if (extra < 0)
            return std::nullopt;
        char32_t code = code0;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size())
                return std::nullopt;
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (next & 0x3f);
        }
        if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(char16_t(0xd800 + (code >> 10)));
            out.push_back(char16_t(0xdc00 + (code & 0x3ff)));
        } else {
            out.push_back(char16_t(code));
        }
        i += std::size_t(extra) + 1;
    }
    return out;
}

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

Collator rootCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open("", &status));
    return U_SUCCESS(status) ? std::move(collator) : nullptr;
}

// The angle of one coordinate: the degrees-minutes column, or else the decimal one rounded
// to the minute.
std::optional<AngleText> angleOf(std::string_view minutesText, std::string_view decimalText, bool latitude)
{
    if (!minutesText.empty()) {
        auto angle = parseAngleText(minutesText);
        if (!angle || (latitude ? angle->hemisphere != 'N' && angle->hemisphere != 'S'
                                : angle->hemisphere != 'E' && angle->hemisphere != 'W'))
            return std::nullopt;
        return angle;
    }
    const auto decimal = parseNumber<double>(decimalText);
    if (!decimal || std::abs(*decimal) > (latitude ? 90.0 : 180.0))
        return std::nullopt;
    const long totalMinutes = std::lround(std::abs(*decimal) * 60.0);
    AngleText angle { int(totalMinutes / 60), int(totalMinutes % 60), ' ' };
    angle.hemisphere = latitude ? (*decimal < 0 ? 'S' : 'N') : (*decimal < 0 ? 'W' : 'E');
    return angle;
}

// Notes that say the stored rule is not the zone's exact one.
bool notesTellApproximation(std::string_view notes)
{
    return notes.find("approximate") != std::string_view::npos
        || notes.find("transitions in") != std::string_view::npos;
}

} // namespace

std::optional<RuleText> parseRuleText(std::string_view text)
{
    const auto at = text.find('@');
    const auto firstDot = text.find('.');
    const auto secondDot = firstDot == std::string_view::npos ? firstDot : text.find('.', firstDot + 1);
    if (at == std::string_view::npos || secondDot == std::string_view::npos || secondDot > at)
        return std::nullopt;
    const auto month = parseNumber<int>(text.substr(0, firstDot));
    const auto week = parseNumber<int>(text.substr(firstDot + 1, secondDot - firstDot - 1));
    const auto weekday = parseNumber<int>(text.substr(secondDot + 1, at - secondDot - 1));
    const auto hour = parseNumber<int>(text.substr(at + 1));
    if (!month || !week || !weekday || !hour || *month < 1 || *month > 12 || *week < 1 || *week > 5 || *weekday < 0
        || *weekday > 6)
        return std::nullopt;
    return RuleText { *month, *week, *weekday, *hour };
}

std::optional<AngleText> parseAngleText(std::string_view text)
{
    // Digits, a degree sign (any bytes), digits, an apostrophe, the hemisphere letter.
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const auto degrees = parseNumber<int>(text.substr(0, i));
    std::size_t minutesStart = i;
    while (minutesStart < text.size() && (text[minutesStart] < '0' || text[minutesStart] > '9'))
        ++minutesStart;
    if (minutesStart == i) // no separator between degrees and minutes
        return std::nullopt;
    const auto apostrophe = text.find('\'', minutesStart);
    if (apostrophe == std::string_view::npos || apostrophe + 2 != text.size())
        return std::nullopt;
    const auto minutes = parseNumber<int>(text.substr(minutesStart, apostrophe - minutesStart));
    const char hemisphere = text.back();
    if (!degrees || !minutes || *minutes > 59)
        return std::nullopt;
    const int limit = (hemisphere == 'N' || hemisphere == 'S') ? 90 : 180;
    if (*degrees > limit || (*degrees == limit && *minutes != 0))
        return std::nullopt;
    return AngleText { *degrees, *minutes, hemisphere };
}

std::optional<CityTable> readCityTable(const std::filesystem::path& file, std::string& problem)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        problem = "cannot read " + file.string();
        return std::nullopt;
    }
    const auto collator = rootCollator();
    if (!collator) {
        problem = "ICU has no root collation";
        return std::nullopt;
    }
    CityTable table;
    std::map<std::string, std::size_t> columns;
    std::array<std::u16string, kContinentCount> previousNames;
    int lastContinent = 0;
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const auto fields = splitTabs(line);
        const auto fail = [&](const std::string& why) {
            problem = file.filename().string() + ":" + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        };
        if (columns.empty()) {
            for (std::size_t i = 0; i < fields.size(); ++i)
                columns[std::string(fields[i])] = i;
            for (const char* needed : { "continent_index", "index", "name", "lat", "lon", "lat_dm", "lon_dm",
                     "iana_zone", "std_offset_min", "dst", "dst_start", "dst_end", "notes" }) {
                if (!columns.contains(needed))
                    return fail(std::string("no column ") + needed);
            }
            continue;
        }
        if (fields.size() != columns.size())
            return fail("has " + std::to_string(fields.size()) + " fields, the header " + std::to_string(columns.size()));
        const auto field = [&](const char* column) { return fields[columns.at(column)]; };

        const auto continent = parseNumber<int>(field("continent_index"));
        const auto index = parseNumber<int>(field("index"));
        if (!continent || *continent < 0 || *continent >= kContinentCount)
            return fail("continent_index is not 0-5");
        if (*continent < lastContinent)
            return fail("continent " + std::to_string(*continent) + " after continent " + std::to_string(lastContinent));
        lastContinent = *continent;
        auto& records = table.continents[std::size_t(*continent)];
        if (!index || *index != int(records.size()))
            return fail("index " + std::string(field("index")) + " where " + std::to_string(records.size())
                + " comes next: the table is not in index order");

        const auto name = utf16Of(field("name"));
        if (!name || name->empty())
            return fail("the name is empty or not UTF-8");
        if (name->size() > cities::kCityNameLength)
            return fail("the name is longer than " + std::to_string(cities::kCityNameLength) + " characters");
        auto& previous = previousNames[std::size_t(*continent)];
        if (!previous.empty()) {
            const auto order = ucol_strcoll(collator.get(), previous.data(), int32_t(previous.size()), name->data(),
                int32_t(name->size()));
            if (order != UCOL_LESS)
                return fail("\"" + std::string(field("name")) + "\" is not after the city before it in name order");
        }
        previous = *name;

        cities::CityRecord city { };
        cities::setCityName(city, *name);
        const auto offset = parseNumber<int>(field("std_offset_min"));
        if (!offset || *offset < -14 * 60 || *offset > 14 * 60)
            return fail("std_offset_min is not within 14 hours");
        city.offsetMinutes = std::int16_t(*offset);
        const auto latitude = angleOf(field("lat_dm"), field("lat"), true);
        const auto longitude = angleOf(field("lon_dm"), field("lon"), false);
        if (!latitude || !longitude)
            return fail("the coordinates cannot be read");
        city.latitudeDegrees = std::uint16_t(latitude->degrees);
        city.latitudeMinutes = std::uint16_t(latitude->minutes);
        city.north = latitude->hemisphere == 'N' ? 1 : 0;
        city.longitudeDegrees = std::uint16_t(longitude->degrees);
        city.longitudeMinutes = std::uint16_t(longitude->minutes);
        city.east = longitude->hemisphere == 'E' ? 1 : 0;

        const auto daylight = parseNumber<int>(field("dst"));
        if (!daylight || (*daylight != 0 && *daylight != 1))
            return fail("dst is not 0 or 1");
        std::string why;
        if (*daylight == 1) {
            auto start = parseRuleText(field("dst_start"));
            auto end = parseRuleText(field("dst_end"));
            if (!start || !end)
                return fail("the daylight rule cannot be read");
            // The record keeps whole hours of a day; a transition the zone makes past
            // midnight (or before it) is kept at the day's nearest hour.
            for (auto* rule : { &*start, &*end }) {
                if (rule->hour < 0 || rule->hour > 23) {
                    why += (why.empty() ? "" : "; ") + std::string("transition hour ") + std::to_string(rule->hour)
                        + " kept as " + std::to_string(std::clamp(rule->hour, 0, 23));
                    rule->hour = std::clamp(rule->hour, 0, 23);
                }
            }
            cities::setDaylightRule(city,
                cities::DaylightRule { { start->month, start->weekday, start->occurrence },
                    { end->month, end->weekday, end->occurrence } });
            city.daylightStartHour = std::uint8_t(start->hour);
            city.daylightEndHour = std::uint8_t(end->hour);
        } else if (!field("dst_start").empty() || !field("dst_end").empty()) {
            return fail("a daylight rule for a city without daylight time");
        }
        if (notesTellApproximation(field("notes")))
            why = std::string(field("notes")) + (why.empty() ? "" : "; ") + why;
        if (!why.empty())
            table.approximations.push_back({ std::string(field("name")), std::string(field("iana_zone")), why });
        records.push_back(city);
    }
    if (columns.empty()) {
        problem = file.filename().string() + ": no header line";
        return std::nullopt;
    }
    for (int continent = 0; continent < kContinentCount; ++continent) {
        if (table.continents[std::size_t(continent)].empty()) {
            problem = file.filename().string() + ": continent " + std::to_string(continent) + " has no cities";
            return std::nullopt;
        }
    }
    return table;
}

} // namespace city_generator

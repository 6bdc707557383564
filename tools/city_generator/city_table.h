#pragma once
// The curated city table (data/cities/cities.tsv) read into continent files' records.

#include "cities/city_record.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace city_generator {

inline constexpr int kContinentCount = 6;

// A city whose zone's rules the day-in-month form cannot say exactly: it ships with the
// nearest rule.
struct Approximation {
    std::string name;
    std::string zone;
    std::string why;
};

struct CityTable {
    std::array<std::vector<cities::CityRecord>, kContinentCount> continents;
    std::vector<Approximation> approximations;
};

// Reads the table; nullopt with `problem` (naming the line) when a line cannot be read, a
// value is out of range or the cities of a continent are not in index order.
[[nodiscard]] std::optional<CityTable> readCityTable(const std::filesystem::path& file, std::string& problem);

// "4.5.5@0": month.week.weekday@hour, the week 5 for the last.
struct RuleText {
    int month = 1;
    int occurrence = 1;
    int weekday = 0;
    int hour = 0;
};
[[nodiscard]] std::optional<RuleText> parseRuleText(std::string_view text);

// "30°04'N": whole degrees, minutes and the hemisphere letter.
struct AngleText {
    int degrees = 0;
    int minutes = 0;
    char hemisphere = 'N';
};
[[nodiscard]] std::optional<AngleText> parseAngleText(std::string_view text);

} // namespace city_generator

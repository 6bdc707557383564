// city_generator runs here as the build runs it, into temporary folders. Its continent files
// must hold the table's cities in the table's order, at the places the settings defaults
// name, with the standard offsets and daylight rules the system's tzdata has for them.

#include "cities/city_record.h"
#include "cities/world_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

constexpr std::array kFiles = { "africa.cdb", "asia.cdb", "australia.cdb", "europe.cdb", "namerica.cdb",
    "samerica.cdb" };
constexpr std::array kCityCounts = { 20, 143, 29, 87, 167, 27 };

// The cities whose zone's rules the day-in-month form cannot say exactly; the generator
// prints the same list, and they ship with the nearest rule.
const std::set<std::string> kApproximated = { "Cairo", "Haifa", "Jerusalem", "Havana", "Nuuk", "Santiago de Cuba",
    "Santiago" };

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

struct RunResult {
    int exitCode = -1;
    std::string output;
};

RunResult runCommand(const std::string& command)
{
    RunResult result;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        return result;
    char buffer[4096];
    while (const auto got = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        result.output.append(buffer, got);
    const int status = ::pclose(pipe.release());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tkw-cities-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

RunResult runGenerator(const fs::path& table, const fs::path& folder)
{
    return runCommand(std::string("'") + TKW_CITY_GENERATOR + "' '" + table.string() + "' '" + folder.string()
        + "' 2>&1");
}

// One row of the table, by column name.
using Row = std::map<std::string, std::string>;

std::vector<Row> readTable(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> header;
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (header.empty()) {
            header = fields;
            continue;
        }
        Row row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i)
            row[header[i]] = fields[i];
        rows.push_back(row);
    }
    return rows;
}

std::string utf8Of(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xd800 && code <= 0xdbff && i + 1 < text.size())
            code = 0x10000 + ((code - 0xd800) << 10) + (text[++i] - 0xdc00);
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xc0 | (code >> 6));
            out += char(0x80 | (code & 0x3f));
        } else if (code < 0x10000) {
            out += char(0xe0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3f));
            out += char(0x80 | (code & 0x3f));
        } else {
            out += char(0xf0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3f));
            out += char(0x80 | ((code >> 6) & 0x3f));
            out += char(0x80 | (code & 0x3f));
        }
    }
    return out;
}

// The generator's output for the whole test program: two runs into folders of their own.
class Generated {
public:
    Generated()
    {
        first = runGenerator(TKW_CITY_TABLE, m_first.path());
        second = runGenerator(TKW_CITY_TABLE, m_second.path());
        for (std::size_t continent = 0; continent < kFiles.size(); ++continent) {
            const std::string bytes = readBytes(m_first.path() / kFiles[continent]);
            for (std::size_t at = 0; at + sizeof(cities::CityRecord) <= bytes.size(); at += sizeof(cities::CityRecord))
                records[continent].push_back(cities::cityFromBytes(reinterpret_cast<const std::byte*>(bytes.data() + at)));
        }
    }
    fs::path firstFolder() const { return m_first.path(); }
    fs::path secondFolder() const { return m_second.path(); }

    RunResult first;
    RunResult second;
    std::array<std::vector<cities::CityRecord>, kFiles.size()> records;

private:
    TemporaryFolder m_first;
    TemporaryFolder m_second;
};

const Generated& generated()
{
    static const Generated instance;
    return instance;
}

TEST(CityGenerator, WritesTheSameBytesEveryRunWithReservedBytesZero)
{
    const auto& output = generated();
    ASSERT_EQ(output.first.exitCode, 0) << output.first.output;
    ASSERT_EQ(output.second.exitCode, 0) << output.second.output;
    EXPECT_EQ(output.first.output, output.second.output);
    for (const char* file : kFiles) {
        const std::string bytes = readBytes(output.firstFolder() / file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(bytes, readBytes(output.secondFolder() / file)) << file;
        EXPECT_EQ(bytes.size() % sizeof(cities::CityRecord), 0u) << file;
        for (std::size_t at = 0; at + 64 <= bytes.size(); at += 64) {
            EXPECT_EQ(bytes[at], 0) << file << " record " << at / 64;
            EXPECT_EQ(bytes[at + 1], 0) << file << " record " << at / 64;
            EXPECT_EQ(bytes[at + 58], 0) << file << " record " << at / 64;
        }
        EXPECT_FALSE(fs::exists(output.firstFolder() / (std::string(file) + ".part")));
    }
}

TEST(CityGenerator, RecordsFollowTheTableInCountOrderNameAndPlace)
{
    const auto& output = generated();
    const auto rows = readTable(TKW_CITY_TABLE);
    std::array<std::size_t, kFiles.size()> next { };
    for (const auto& row : rows) {
        const auto continent = std::size_t(std::stoi(row.at("continent_index")));
        ASSERT_LT(continent, kFiles.size());
        const auto index = next[continent]++;
        ASSERT_LT(index, output.records[continent].size()) << row.at("name");
        const auto& city = output.records[continent][index];
        EXPECT_EQ(utf8Of(cities::cityName(city)), row.at("name"));
        EXPECT_EQ(city.offsetMinutes, std::stoi(row.at("std_offset_min"))) << row.at("name");
        // The coordinates within the minute the record keeps.
        EXPECT_NEAR(cities::latitudeOf(city), std::stod(row.at("lat")), 1.0 / 60) << row.at("name");
        EXPECT_NEAR(cities::longitudeOf(city), std::stod(row.at("lon")), 1.0 / 60) << row.at("name");
        EXPECT_EQ(city.usesDaylight != 0, row.at("dst") == "1") << row.at("name");
        if (row.at("dst") == "1") {
            EXPECT_LE(city.daylightStartHour, 23);
            EXPECT_LE(city.daylightEndHour, 23);
            EXPECT_EQ(std::to_string(city.daylightStartHour), row.at("dst_start").substr(row.at("dst_start").find('@') + 1))
                << row.at("name");
        }
    }
    for (std::size_t continent = 0; continent < kFiles.size(); ++continent) {
        EXPECT_EQ(output.records[continent].size(), std::size_t(kCityCounts[continent])) << kFiles[continent];
        EXPECT_EQ(next[continent], std::size_t(kCityCounts[continent])) << kFiles[continent];
    }
}

TEST(CityGenerator, PlacesTheCitiesTheSettingsDefaultsName)
{
    const struct {
        int continent;
        int index;
        const char* name;
    } places[] = { { 4, 97, "New York" }, { 3, 40, "London" }, { 3, 55, "Paris" }, { 1, 129, "Tokyo" },
        { 3, 46, "Moscow" }, { 4, 159, "Vancouver" }, { 1, 124, "Singapore" }, { 0, 15, "Nairobi" },
        { 0, 18, "Tunis" }, { 2, 5, "Brisbane" }, { 2, 26, "Sydney" }, { 4, 39, "Denver" }, { 4, 93, "Montreal" },
        { 4, 76, "Los Angeles" }, { 5, 3, "Buenos Aires" }, { 5, 23, "São Paulo" }, { 5, 2, "Brasília" },
        { 3, 4, "Athens" }, { 3, 47, "Munich" }, { 3, 12, "Bucharest" }, { 3, 8, "Berlin" }, { 3, 35, "Istanbul" },
        { 3, 62, "Rome" } };
    const auto& records = generated().records;
    for (const auto& place : places) {
        const auto& list = records[std::size_t(place.continent)];
        ASSERT_LT(std::size_t(place.index), list.size()) << place.name;
        EXPECT_EQ(utf8Of(cities::cityName(list[std::size_t(place.index)])), place.name)
            << "(" << place.continent << "," << place.index << ")";
    }
}

TEST(CityGenerator, PrintsTheApproximatedZonesOneLineEach)
{
    const auto& output = generated();
    std::set<std::string> printed;
    std::size_t lines = 0;
    for (std::size_t start = 0, end; (end = output.first.output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = output.first.output.substr(start, end - start);
        ++lines;
        const std::string prefix = "approximated: ";
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        ASSERT_NE(line.find('\t', tab + 1), std::string::npos) << line; // name, zone, why
        printed.insert(line.substr(prefix.size(), tab - prefix.size()));
    }
    EXPECT_EQ(lines, kApproximated.size());
    EXPECT_EQ(printed, kApproximated);
}

TEST(CityGenerator, RefusesATableOutOfOrderOrOutOfRange)
{
    std::ifstream in(TKW_CITY_TABLE);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const auto firstCity = std::size_t(std::find_if(lines.begin(), lines.end(),
                                           [](const std::string& line) { return line.rfind("0\tAfrica\t0\t", 0) == 0; })
        - lines.begin());
    ASSERT_LT(firstCity + 2, lines.size());

    const auto refused = [&](std::vector<std::string> changed, const std::string& why) {
        TemporaryFolder folder;
        const auto table = folder.path() / "cities.tsv";
        std::ofstream out(table);
        for (const auto& line : changed)
            out << line << '\n';
        out.close();
        const auto result = runGenerator(table, folder.path() / "out");
        EXPECT_NE(result.exitCode, 0) << why;
        EXPECT_NE(result.output.find("cities.tsv:"), std::string::npos) << why << ": " << result.output;
        EXPECT_FALSE(fs::exists(folder.path() / "out" / "africa.cdb")) << why;
    };
    // Two cities swapped: their index column is no longer in order.
    auto swapped = lines;
    std::swap(swapped[firstCity], swapped[firstCity + 1]);
    refused(swapped, "swapped rows");
    // The indexes renumbered to match, but the names no longer in name order.
    auto renamed = lines;
    renamed[firstCity] = std::string(renamed[firstCity]).replace(renamed[firstCity].find("Abidjan"), 7, "Zanzibar");
    refused(renamed, "a name out of order");
    // A standard offset no zone has.
    auto offset = lines;
    offset[firstCity] = std::string(offset[firstCity]).replace(offset[firstCity].find("Africa/Abidjan\t0\t"), 17,
        "Africa/Abidjan\t9999\t");
    refused(offset, "an offset past 14 hours");
}

// --- Agreement with tzdata ---------------------------------------------------------------

constexpr int kFirstYear = 2020;
constexpr int kLastYear = 2035;

// Zones whose rules changed after kFirstYear: the record keeps today's rule, checked from
// the first whole year it applies.
const std::map<std::string, int> kRuleSince = {
    { "America/Whitehorse", 2021 }, // year-round -07 from November 2020
    { "Europe/Volgograd", 2021 },   // back to +03 in December 2020
    { "Pacific/Apia", 2022 },       // no daylight time after April 2021
    { "Pacific/Fiji", 2022 },       // none after January 2021
    { "America/Mexico_City", 2023 }, // Mexico ended daylight time in October 2022
    { "America/Chihuahua", 2023 },
    { "America/Ojinaga", 2023 },
    { "America/Mazatlan", 2023 },
    { "America/Monterrey", 2023 },
    { "America/Merida", 2023 },
    { "Asia/Damascus", 2023 },      // year-round +03 from October 2022
    { "Asia/Amman", 2023 },         // likewise
    { "Asia/Tehran", 2023 },        // no daylight time after September 2022
    { "Asia/Almaty", 2025 },        // +05 from March 2024
    { "America/Asuncion", 2025 },   // year-round -03 from October 2024
};

// The table follows tzdata 2026f. Zones changed by a release newer than the system's are
// checked only against that release or a later one, from the table's reference year.
constexpr const char* kTableTzdata = "2026f";
const std::map<std::string, int> kChangedByTableTzdata = {
    { "America/Vancouver", 2027 },
    { "America/Edmonton", 2027 },
    { "America/Winnipeg", 2027 },
    { "Africa/Casablanca", 2027 },
};

// "2025b" from the system's zoneinfo, empty when it does not say.
std::string systemTzdataVersion()
{
    std::ifstream in("/usr/share/zoneinfo/tzdata.zi");
    std::string line;
    std::getline(in, line);
    const std::string prefix = "# version ";
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : std::string();
}

long daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::array<int, 3> civilFromDays(long days)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shifted = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = int(shifted < 10 ? shifted + 3 : shifted - 9);
    return { int(yearOfEra + era * 400 + (month <= 2)), month, day };
}

// "+0530", "-03", "+00", "+123456" -> seconds east.
int offsetSeconds(const std::string& text)
{
    const int sign = text.front() == '-' ? -1 : 1;
    const std::string digits = text.substr(1);
    int seconds = std::stoi(digits.substr(0, 2)) * 3600;
    if (digits.size() >= 4)
        seconds += std::stoi(digits.substr(2, 2)) * 60;
    if (digits.size() >= 6)
        seconds += std::stoi(digits.substr(4, 2));
    return sign * seconds;
}

// "02", "02:30", "23:59:59" -> seconds of the day.
int clockSeconds(const std::string& text)
{
    int seconds = std::stoi(text.substr(0, 2)) * 3600;
    if (text.size() >= 5)
        seconds += std::stoi(text.substr(3, 2)) * 60;
    if (text.size() >= 8)
        seconds += std::stoi(text.substr(6, 2));
    return seconds;
}

// A change of the clocks: the local date (on the clock just before it) and its direction.
struct Transition {
    int year = 0;
    int month = 0;
    int day = 0;
    bool daylightStarts = false;
    friend auto operator<=>(const Transition&, const Transition&) = default;
};

struct ZoneHistory {
    bool found = false;
    std::vector<Transition> transitions;
    std::vector<int> offsetsAfter; // the offset after each transition
    int finalOffset = 0;
    int lastYearStandardOffset = 0; // the lower offset of kLastYear
};

// The zones' transitions from kFirstYear to kLastYear, from the system's zoneinfo via zdump.
std::map<std::string, ZoneHistory> readZoneHistories(const std::set<std::string>& zones)
{
    std::string command = "zdump -i -c " + std::to_string(kFirstYear) + "," + std::to_string(kLastYear + 1);
    for (const auto& zone : zones)
        command += " '" + zone + "'";
    const auto result = runCommand(command + " 2>&1");
    std::map<std::string, ZoneHistory> histories;
    ZoneHistory* current = nullptr;
    int offset = 0;
    for (std::size_t start = 0, end; (end = result.output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = result.output.substr(start, end - start);
        if (line.empty())
            continue;
        if (line.rfind("TZ=\"", 0) == 0) {
            current = &histories[line.substr(4, line.size() - 5)];
            continue;
        }
        if (!current)
            continue;
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            fields.push_back(line.substr(from, tab - from));
        fields.push_back(line.substr(from));
        if (fields.size() < 3)
            continue;
        const int after = offsetSeconds(fields[2]);
        if (fields[0] == "-") { // the offset as the range begins
            current->found = true;
            offset = current->finalOffset = after;
            continue;
        }
        if (after == offset)
            continue; // only the name or the daylight flag changed
        const int year = std::stoi(fields[0].substr(0, 4));
        const long afterSeconds = daysFromCivil(year, std::stoi(fields[0].substr(5, 2)), std::stoi(fields[0].substr(8, 2)))
                * 86400L
            + clockSeconds(fields[1]);
        // The clock just before the change read the time after it less the jump.
        const long beforeSeconds = afterSeconds - (after - offset);
        const auto date = civilFromDays(beforeSeconds >= 0 ? beforeSeconds / 86400 : (beforeSeconds - 86399) / 86400);
        current->transitions.push_back({ date[0], date[1], date[2], after > offset });
        current->offsetsAfter.push_back(after);
        offset = current->finalOffset = after;
    }
    for (auto& [zone, history] : histories) {
        history.lastYearStandardOffset = history.finalOffset;
        for (std::size_t i = 0; i < history.transitions.size(); ++i) {
            if (history.transitions[i].year == kLastYear)
                history.lastYearStandardOffset = std::min(history.lastYearStandardOffset, history.offsetsAfter[i]);
        }
    }
    return histories;
}

std::vector<Transition> transitionsOfRecord(const cities::CityRecord& city, int year)
{
    const auto rule = cities::daylightRule(city);
    if (!rule)
        return { };
    const auto dateOf = [year](const cities::RuleDay& day, bool daylightStarts) {
        return Transition { year, day.month, cities::transitionDay(year, day.month, day.weekday, day.occurrence),
            daylightStarts };
    };
    std::vector<Transition> transitions { dateOf(rule->daylightStart, true), dateOf(rule->standardStart, false) };
    std::sort(transitions.begin(), transitions.end());
    return transitions;
}

std::string describe(const std::vector<Transition>& transitions)
{
    std::string text;
    for (const auto& transition : transitions) {
        text += (transition.daylightStarts ? " daylight " : " standard ") + std::to_string(transition.year) + "-"
            + std::to_string(transition.month) + "-" + std::to_string(transition.day);
    }
    return text.empty() ? " none" : text;
}

TEST(CityGenerator, OffsetsAndDaylightRulesAgreeWithTzdata)
{
    const auto& records = generated().records;
    const auto rows = readTable(TKW_CITY_TABLE);
    std::set<std::string> zones;
    for (const auto& row : rows) {
        if (!row.at("iana_zone").empty())
            zones.insert(row.at("iana_zone"));
    }
    const auto histories = readZoneHistories(zones);
    const std::string systemVersion = systemTzdataVersion();
    const bool systemHasTableTzdata = systemVersion.size() == 5 && systemVersion >= kTableTzdata;
    std::array<std::size_t, kFiles.size()> next { };
    int checked = 0;
    int tooNew = 0;
    for (const auto& row : rows) {
        const auto continent = std::size_t(std::stoi(row.at("continent_index")));
        const auto index = next[continent]++;
        ASSERT_LT(index, records[continent].size());
        const auto& city = records[continent][index];
        const std::string& name = row.at("name");
        const std::string& zone = row.at("iana_zone");
        if (zone.empty() || kApproximated.contains(name))
            continue;
        auto firstYear = kFirstYear;
        if (const auto since = kRuleSince.find(zone); since != kRuleSince.end())
            firstYear = since->second;
        if (const auto changed = kChangedByTableTzdata.find(zone); changed != kChangedByTableTzdata.end()) {
            if (!systemHasTableTzdata) {
                std::printf("not checked: %s (%s) follows tzdata %s, the system has %s\n", name.c_str(), zone.c_str(),
                    kTableTzdata, systemVersion.empty() ? "an unknown release" : systemVersion.c_str());
                ++tooNew;
                continue;
            }
            firstYear = changed->second;
        }
        const auto history = histories.find(zone);
        ASSERT_TRUE(history != histories.end() && history->second.found) << name << ": no zoneinfo for " << zone;
        EXPECT_EQ(city.offsetMinutes * 60, history->second.lastYearStandardOffset) << name << " (" << zone << ")";
        for (int year = firstYear; year <= kLastYear; ++year) {
            std::vector<Transition> real;
            std::copy_if(history->second.transitions.begin(), history->second.transitions.end(), std::back_inserter(real),
                [year](const Transition& transition) { return transition.year == year; });
            std::sort(real.begin(), real.end());
            const auto stored = transitionsOfRecord(city, year);
            EXPECT_EQ(stored, real) << name << " (" << zone << ") in " << year << ": stored" << describe(stored)
                                    << ", tzdata" << describe(real);
        }
        ++checked;
    }
    // Every city but the approximated ones keeps a zone, so all of them were compared.
    EXPECT_EQ(checked + tooNew, int(rows.size() - kApproximated.size()));
    EXPECT_EQ(tooNew, systemHasTableTzdata ? 0 : 7); // the seven cities of the four zones above
}

} // namespace

// tkwctl moon, sun, beat and convert, run as users run them: separate processes on the
// test's own device with the shipped cities, checked against published almanac values.

#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

using testing_support::ChildProcess;
using testing_support::runCommand;
using namespace std::chrono_literals;

namespace {

class AstroCommands : public testing_support::DeviceTest {
protected:
    AstroCommands()
    {
        EXPECT_EQ(tkwctl({ "install" }).exitCode, 0);
        // Central European time, so that device-local and universal times differ.
        EXPECT_EQ(tkwctl({ "device", "zone", "set", "CET-1CEST,M3.5.0,M10.5.0/3" }).exitCode, 0);
    }

    static testing_support::CommandResult tkwctl(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), TKW_TKWCTL);
        return runCommand(arguments, 60s);
    }

    // The JSON output of a command that must succeed.
    static std::string json(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "--json");
        const auto result = tkwctl(std::move(arguments));
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    }
};

// The value of the first "key" at or after `from`: a string's text or a number's digits.
std::string field(const std::string& json, const std::string& key, std::size_t from = 0)
{
    const std::string tag = "\"" + key + "\":";
    const std::size_t at = json.find(tag, from);
    if (at == std::string::npos)
        return "<missing " + key + ">";
    const std::size_t start = at + tag.size();
    if (json[start] == '"')
        return json.substr(start + 1, json.find('"', start + 1) - start - 1);
    return json.substr(start, json.find_first_of(",}]", start) - start);
}

int number(const std::string& json, const std::string& key, std::size_t from = 0)
{
    return std::atoi(field(json, key, from).c_str());
}

// Seconds since 1970 of "YYYY-MM-DDTHH:MM:SSZ"; nullopt for any other shape.
std::optional<std::int64_t> utcSeconds(const std::string& text)
{
    static const std::regex shape(R"((\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)Z)");
    std::smatch parts;
    if (!std::regex_match(text, parts, shape))
        return std::nullopt;
    std::tm time {};
    time.tm_year = std::stoi(parts[1]) - 1900;
    time.tm_mon = std::stoi(parts[2]) - 1;
    time.tm_mday = std::stoi(parts[3]);
    time.tm_hour = std::stoi(parts[4]);
    time.tm_min = std::stoi(parts[5]);
    time.tm_sec = std::stoi(parts[6]);
    return std::int64_t(timegm(&time));
}

std::int64_t secondsOf(const std::string& text)
{
    const auto seconds = utcSeconds(text);
    EXPECT_TRUE(seconds) << "not an instant: " << text;
    return seconds.value_or(0);
}

// The instants of the series are dynamical time shown as universal time: they run this far
// ahead of the almanacs' universal times in the 2020s.
constexpr std::int64_t kDeltaTSeconds = 69;

} // namespace

TEST_F(AstroCommands, MoonOfJanuary2024MatchesTheAlmanac)
{
    const std::string moon = json({ "moon", "--at", "2024-01-25T12:00Z" });
    EXPECT_EQ(field(moon, "moment"), "2024-01-25T12:00:00Z");

    // Full moon 2024-01-25 17:54 UT; the next phases follow in order, one of them a new moon.
    const std::vector<std::string> kinds { "full", "last", "new", "first" };
    std::size_t from = moon.find("\"phases\"");
    std::int64_t previous = secondsOf("2024-01-25T12:00:00Z");
    for (const std::string& kind : kinds) {
        from = moon.find("\"kind\"", from);
        ASSERT_NE(from, std::string::npos) << moon;
        EXPECT_EQ(field(moon, "kind", from), kind);
        const std::int64_t at = secondsOf(field(moon, "at", from));
        EXPECT_GE(at, previous) << kind;
        previous = at;
        if (kind == "full") {
            EXPECT_NEAR(double(at), double(secondsOf("2024-01-25T17:54:00Z") + kDeltaTSeconds), 60);
        }
        if (kind == "new") {
            EXPECT_EQ(field(moon, "at", from), field(moon, "nextNewMoon"));
        }
        ++from;
    }
    // New moons 2024-01-11 11:57 UT and 2024-02-09 22:59 UT.
    EXPECT_NEAR(double(secondsOf(field(moon, "previousNewMoon"))),
        double(secondsOf("2024-01-11T11:57:00Z") + kDeltaTSeconds), 90);
    EXPECT_NEAR(double(secondsOf(field(moon, "nextNewMoon"))),
        double(secondsOf("2024-02-09T22:59:00Z") + kDeltaTSeconds), 90);

    EXPECT_GE(number(moon, "illuminatedPercent"), 99);
    EXPECT_EQ(field(moon, "phaseName"), "Full Moon");
    EXPECT_EQ(number(moon, "picture"), 12);
    EXPECT_TRUE(std::regex_match(field(moon, "age"), std::regex(R"(14d \d+h \d+m)")))
        << field(moon, "age");
    EXPECT_GT(number(moon, "distanceKm"), 356000);
    EXPECT_LT(number(moon, "distanceKm"), 407000);
    // Perigee 2024-01-13 10:35 UT at 362,267 km.
    const std::size_t perigee = moon.find("\"perigee\"");
    ASSERT_NE(perigee, std::string::npos) << moon;
    EXPECT_NEAR(double(secondsOf(field(moon, "at", perigee))),
        double(secondsOf("2024-01-13T10:35:00Z") + kDeltaTSeconds), 300);
    EXPECT_NEAR(number(moon, "distanceKm", perigee), 362267, 100);
    const std::size_t apogee = moon.find("\"apogee\"");
    ASSERT_NE(apogee, std::string::npos) << moon;
    EXPECT_TRUE(utcSeconds(field(moon, "at", apogee)));
    EXPECT_GT(number(moon, "distanceKm", apogee), 404000);

    // Without a Z the moment is the device's local time (CET, one hour ahead in January).
    const std::string local = json({ "moon", "--at", "2024-01-25T13:00" });
    EXPECT_EQ(field(local, "moment"), "2024-01-25T12:00:00Z");
    EXPECT_EQ(field(local, "phases"), field(moon, "phases"));
}

TEST_F(AstroCommands, SouthernMoonShowsTheMirroredPicture)
{
    // Three days after the new moon: a waxing crescent of about 13 %.
    const std::string north = json({ "moon", "--at", "2024-01-14T12:00Z" });
    EXPECT_EQ(field(north, "phaseName"), "Waxing Crescent");
    EXPECT_EQ(field(north, "south"), "false");
    const int picture = number(north, "picture");
    EXPECT_GE(picture, 1);
    EXPECT_LE(picture, 5);

    const std::string south = json({ "moon", "--at", "2024-01-14T12:00Z", "--south" });
    EXPECT_EQ(field(south, "south"), "true");
    EXPECT_EQ(number(south, "picture"), 24 - picture);
    EXPECT_EQ(field(south, "phaseName"), "Waxing Crescent");

    // As the view does, a world-time city south of the equator turns the picture by itself.
    ASSERT_EQ(tkwctl({ "zone", "apply", "Sydney" }).exitCode, 0);
    EXPECT_EQ(number(json({ "moon", "--at", "2024-01-14T12:00Z" }), "picture"), 24 - picture);
}

TEST_F(AstroCommands, SunTimesMatchTheAlmanacAndThePolarDay)
{
    // London, midsummer 2024: sunrise 04:43 and sunset 21:21 BST; no astronomical night.
    const std::string london = json(
        { "sun", "--lat", "51:30N", "--lon", "0:07W", "--offset", "1", "--date", "2024-06-21" });
    EXPECT_EQ(field(london, "date"), "2024-06-21");
    EXPECT_EQ(field(london, "offsetHours"), "1");
    const std::size_t sunrise = london.find("\"kind\":\"sunrise\"");
    ASSERT_NE(sunrise, std::string::npos) << london;
    EXPECT_NEAR(number(london, "rise", sunrise), 4 * 60 + 43, 2);
    EXPECT_NEAR(number(london, "set", sunrise), 21 * 60 + 21, 2);
    const int rise = number(london, "rise", sunrise);
    char riseText[32];
    std::snprintf(riseText, sizeof riseText, "%02d:%02d", rise / 60, rise % 60);
    EXPECT_EQ(field(london, "riseText", sunrise), riseText);
    const std::size_t civil = london.find("\"kind\":\"civil\"");
    const std::size_t nautical = london.find("\"kind\":\"nautical\"");
    ASSERT_NE(civil, std::string::npos);
    ASSERT_NE(nautical, std::string::npos);
    EXPECT_LT(number(london, "rise", civil), rise);
    EXPECT_LT(number(london, "rise", nautical), number(london, "rise", civil));
    const std::size_t astronomical = london.find("\"kind\":\"astronomical\"");
    ASSERT_NE(astronomical, std::string::npos) << london;
    EXPECT_EQ(number(london, "rise", astronomical), -1);
    EXPECT_EQ(number(london, "set", astronomical), -1);
    EXPECT_EQ(field(london, "riseText", astronomical), "--:--");
    EXPECT_EQ(field(london, "setText", astronomical), "- - - - -");

    // 70° North in late June: the Sun does not set.
    const std::string polar = json(
        { "sun", "--lat", "70:00N", "--lon", "20:00E", "--offset", "2", "--date", "2024-06-25" });
    const std::size_t polarSun = polar.find("\"kind\":\"sunrise\"");
    ASSERT_NE(polarSun, std::string::npos) << polar;
    EXPECT_EQ(number(polar, "rise", polarSun), -1);
    EXPECT_EQ(number(polar, "set", polarSun), -1);
    EXPECT_EQ(field(polar, "setText", polarSun), "- - - - -");

    // At the equator day and night are about twelve hours each.
    const std::string equator = json(
        { "sun", "--lat", "0:00N", "--lon", "0:00E", "--offset", "0", "--date", "2024-03-20" });
    EXPECT_NEAR(number(equator, "set") - number(equator, "rise"), 12 * 60, 10);
}

TEST_F(AstroCommands, SunOffsetFollowsTheCityOrTheDeviceZoneOnThatDate)
{
    // A city's rules give the offset of the date asked for, summer or winter.
    const std::string summer = json({ "sun", "--city", "London", "--date", "2024-06-21" });
    EXPECT_EQ(field(summer, "city"), "London");
    EXPECT_EQ(field(summer, "offsetHours"), "1");
    EXPECT_NEAR(number(summer, "rise"), 4 * 60 + 43, 3);
    EXPECT_EQ(
        field(json({ "sun", "--city", "London", "--date", "2024-01-15" }), "offsetHours"), "0");
    // A bare position takes the device's zone (CET) on that date, not today's offset.
    const std::vector<std::string> berlin { "sun", "--lat", "52:31N", "--lon", "13:24E", "--date" };
    auto onDate = berlin;
    onDate.push_back("2024-07-01");
    EXPECT_EQ(field(json(onDate), "offsetHours"), "2");
    onDate.back() = "2024-01-01";
    EXPECT_EQ(field(json(onDate), "offsetHours"), "1");
    // A fractional offset is taken as it is.
    onDate.insert(onDate.end(), { "--offset", "5.5" });
    EXPECT_EQ(field(json(onDate), "offsetHours"), "5.5");
}

TEST_F(AstroCommands, BeatsBothWays)
{
    const std::string noon = json({ "beat", "--at", "2024-01-01T12:00:00Z" });
    EXPECT_EQ(number(noon, "beat"), 541);
    EXPECT_EQ(field(noon, "text"), "541");
    EXPECT_EQ(field(json({ "beat", "--at", "2024-01-01T23:00Z" }), "text"), "000");
    EXPECT_EQ(number(json({ "beat", "--at", "2024-01-01T22:59:59Z" }), "beat"), 999);
    // Device-local 13:00 CET is 12:00 universal.
    EXPECT_EQ(number(json({ "beat", "--at", "2024-01-01T13:00" }), "beat"), 541);

    const std::string back = json({ "beat", "--to-time", "500", "--date", "2024-01-01" });
    EXPECT_EQ(number(back, "beat"), 500);
    EXPECT_EQ(field(back, "utc"), "2024-01-01T11:00:00Z");
    EXPECT_EQ(field(back, "local"), "2024-01-01T12:00:00");
    // Beat 0 of a beat day begins at 23:00 universal time of the day before.
    EXPECT_EQ(field(json({ "beat", "--to-time", "0", "--date", "2024-01-01" }), "utc"),
        "2023-12-31T23:00:00Z");
    // The time a beat begins at is inside that beat.
    const std::string seven
        = field(json({ "beat", "--to-time", "7", "--date", "2024-01-01" }), "utc");
    EXPECT_EQ(field(json({ "beat", "--at", seven }), "text"), "007");
}

TEST_F(AstroCommands, ConvertGivesEachCitysLocalTime)
{
    // London in summer time, 12:00: 11:00 universal, 20:00 in Tokyo, 07:00 in New York.
    const std::string row = json(
        { "convert", "--from", "London", "--at", "2024-07-01T12:00", "--to", "Tokyo", "New York" });
    EXPECT_EQ(field(row, "name"), "London");
    EXPECT_EQ(field(row, "local"), "2024-07-01T12:00:00");
    EXPECT_EQ(field(row, "utc"), "2024-07-01T11:00:00Z");
    const std::size_t tokyo = row.find("\"name\":\"Tokyo\"");
    const std::size_t newYork = row.find("\"name\":\"New York\"");
    ASSERT_NE(tokyo, std::string::npos) << row;
    ASSERT_NE(newYork, std::string::npos) << row;
    EXPECT_LT(tokyo, newYork); // in the order asked for
    EXPECT_EQ(field(row, "local", tokyo), "2024-07-01T20:00:00");
    EXPECT_EQ(field(row, "time", tokyo), "20:00");
    EXPECT_EQ(field(row, "local", newYork), "2024-07-01T07:00:00");

    // Across midnight backwards, with the cell's date text.
    const std::string early
        = json({ "convert", "--from", "Tokyo", "--at", "2024-01-01T08:00", "--to", "New York" });
    const std::size_t cell = early.find("\"cities\"");
    EXPECT_EQ(field(early, "local", cell), "2023-12-31T18:00:00");
    EXPECT_EQ(field(early, "weekday", cell), "Sun");
    EXPECT_EQ(field(early, "date", cell), "Sun, 12/31");

    // A universal time is seen in the source city first.
    const std::string universal
        = json({ "convert", "--from", "London", "--at", "2024-07-01T11:00:00Z", "--to", "Tokyo" });
    EXPECT_EQ(field(universal, "local"), "2024-07-01T12:00:00");
    EXPECT_EQ(field(universal, "local", universal.find("\"cities\"")), "2024-07-01T20:00:00");
}

TEST_F(AstroCommands, BadInputIsRefusedWithoutAResult)
{
    const std::vector<std::vector<std::string>> refused {
        { "sun", "--lat", "91:00N", "--lon", "0:00E" },
        { "sun", "--lat", "51:60N", "--lon", "0:00E" },
        { "sun", "--lat", "51:30N", "--lon", "180:01E" },
        { "sun", "--lat", "51:30X", "--lon", "0:07W" },
        { "sun", "--lat", "51:30N" },
        { "sun", "--lat", "51:30N", "--lon", "0:07W", "--offset", "15" },
        { "sun", "--lat", "51:30N", "--lon", "0:07W", "--offset", "1e1" },
        { "sun", "--lat", "51:30N", "--lon", "0:07W", "--date", "2024-02-30" },
        { "sun", "--city", "London", "--lat", "51:30N" },
        { "moon", "--at", "2024-01-25T12:60Z" },
        { "moon", "--at", "2024-01-25" },
        { "moon", "--at", "tomorrow" },
        { "moon", "--at", "1500-01-01T00:00Z" },
        { "moon", "--full" },
        { "beat", "--to-time", "1000" },
        { "beat", "--to-time", "-1" },
        { "beat", "--to-time", "5.5" },
        { "beat", "--to-time", "500", "--date", "2024-13-01" },
        { "beat", "--to-time", "500", "--at", "2024-01-01T12:00Z" },
        { "beat", "--at", "2024-01-01T24:00Z" },
        { "convert", "--from", "London", "--at", "2024-07-01T12:00" },
        { "convert", "--from", "London", "--at", "2024-07-01T25:00", "--to", "Tokyo" },
        { "convert", "--to" },
    };
    for (const auto& words : refused) {
        auto arguments = words;
        arguments.insert(arguments.begin(), "--json");
        const auto result = tkwctl(arguments);
        std::string line;
        for (const auto& word : words)
            line += word + " ";
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_EQ(result.output, "") << line;
    }
    // An unknown city is a failed request, not a misread command line.
    EXPECT_EQ(tkwctl({ "convert", "--to", "Atlantis" }).exitCode, 1);
    EXPECT_EQ(tkwctl({ "sun", "--city", "Atlantis" }).exitCode, 1);
}

TEST_F(AstroCommands, ConversionsReadTheCitiesWhileOthersEditThem)
{
    // Other programs add cities while conversions read the database: every reading finds its
    // cities and gives the same answer.
    constexpr int kEditors = 6;
    std::vector<std::unique_ptr<ChildProcess>> editors;
    for (int i = 0; i < kEditors; ++i)
        editors.push_back(std::make_unique<ChildProcess>(std::vector<std::string> { TKW_TKWCTL,
            "city", "add", "--continent", "3", "--name", "Beside " + std::to_string(i), "--offset",
            "60", "--lat", "48:00N", "--lon", "11:00E" }));
    for (int round = 0; round < 6; ++round) {
        const std::string row
            = json({ "convert", "--from", "London", "--at", "2024-07-01T12:00", "--to", "Tokyo" });
        EXPECT_EQ(field(row, "local", row.find("\"cities\"")), "2024-07-01T20:00:00") << row;
        const std::string sun = json({ "sun", "--city", "Berlin", "--date", "2024-06-21" });
        EXPECT_EQ(field(sun, "offsetHours"), "2") << sun;
    }
    for (auto& editor : editors)
        EXPECT_EQ(editor->wait(60s), 0);
    // The cities added meanwhile are usable at once.
    const std::string added
        = json({ "convert", "--from", "Beside 0", "--at", "2024-01-01T12:00", "--to", "Beside 3" });
    EXPECT_EQ(field(added, "local", added.find("\"cities\"")), "2024-01-01T12:00:00");
}

#include "platform/zone_rule.h"

#include "tests/support/device_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

using namespace std::string_literals;

// "month.occurrence.weekday hh:mm", the way a day-in-month rule reads; "" for none.
std::string ruleOf(const SYSTEMTIME& date)
{
    if (date.wMonth == 0 && date.wYear == 0)
        return "";
    return std::to_string(date.wMonth) + "." + std::to_string(date.wDay) + "."
        + std::to_string(date.wDayOfWeek) + " " + std::to_string(date.wHour) + ":"
        + std::to_string(date.wMinute);
}

// The header and data of a TZif file do not matter here; they may hold NULs and newlines.
const std::string kTzifBody = "\0\0\0\0\0\0\x0a\x01\x02junk\x0a\0"s;

// A directory of the test's own, removed with its contents (the device root stays untouched).
struct TemporaryDirectory {
    std::filesystem::path root;
    TemporaryDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tkw-zone-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary directory");
        root = pattern;
    }
    ~TemporaryDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
};

std::filesystem::path writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

} // namespace

TEST(PosixRuleParsing, CentralEuropeHasLastSundayRulesAndAnHourOfDaylight)
{
    const auto zone = platform::zoneFromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->Bias, -60);
    EXPECT_EQ(zone->StandardBias, 0);
    EXPECT_EQ(zone->DaylightBias, -60);
    EXPECT_EQ(std::u16string(zone->StandardName), u"CET");
    EXPECT_EQ(std::u16string(zone->DaylightName), u"CEST");
    EXPECT_EQ(ruleOf(zone->DaylightDate), "3.5.0 2:0");
    EXPECT_EQ(ruleOf(zone->StandardDate), "10.5.0 3:0");
}

TEST(PosixRuleParsing, DaylightNameAloneGetsTheDefaultRulesAtTwo)
{
    const auto zone = platform::zoneFromPosixRule("EST5EDT");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->Bias, 300);
    EXPECT_EQ(zone->DaylightBias, -60);
    EXPECT_EQ(ruleOf(zone->DaylightDate), "3.2.0 2:0");
    EXPECT_EQ(ruleOf(zone->StandardDate), "11.1.0 2:0");
}

TEST(PosixRuleParsing, OffsetsCarrySignAndMinutes)
{
    auto biasOf = [](const char* rule) {
        return platform::zoneFromPosixRule(rule).value_or(TIME_ZONE_INFORMATION {}).Bias;
    };
    EXPECT_EQ(biasOf("EST5"), 300);
    EXPECT_EQ(biasOf("XXX+5"), 300);
    EXPECT_EQ(biasOf("<+0330>-3:30"), -210);
    EXPECT_EQ(biasOf("<-03>3"), 180);
    EXPECT_EQ(std::u16string(platform::zoneFromPosixRule("<-03>3")->StandardName), u"-03");
    const auto explicitTimes = platform::zoneFromPosixRule("XXX0YYY,M3.5.0/1:30,M10.5.0/0");
    ASSERT_TRUE(explicitTimes);
    EXPECT_EQ(ruleOf(explicitTimes->DaylightDate), "3.5.0 1:30");
    EXPECT_EQ(ruleOf(explicitTimes->StandardDate), "10.5.0 0:0");
}

TEST(PosixRuleParsing, MalformedRulesAreRejected)
{
    for (const char* rule : { "", "X", "CET", "CET-1C", "<AB>1", "<ABC1", "XXX24", "XXX-24",
             "XXX25:00", "CET-1 CEST", "CET-1CEST,M13.1.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
             "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,M3.0.0,M10.5.0", "CET-1CEST,M3.5.0,M10.5",
             "CET-1CEST,M3.5.0", "CET-1CEST,M3.5.0,M10.5.0/3x", "CET-1CEST,J0,J300",
             "CET-1CEST,J60,366", "CET-1CEST,J60,X" })
        EXPECT_FALSE(platform::zoneFromPosixRule(rule)) << '"' << rule << '"';
}

TEST(PosixRuleParsing, JulianDayRulesKeepOnlyTheStandardOffset)
{
    for (const char* rule :
        { "CET-1CEST,J60,J300", "CET-1CEST,59,299/3", "CET-1CEST,M3.5.0,J300" }) {
        const auto zone = platform::zoneFromPosixRule(rule);
        ASSERT_TRUE(zone) << rule;
        EXPECT_EQ(zone->Bias, -60);
        EXPECT_EQ(ruleOf(zone->DaylightDate) + ruleOf(zone->StandardDate), "") << rule;
    }
}

TEST(PosixRuleFormatting, ParsedRulesAreWrittenBackUnchanged)
{
    for (const char* rule : { "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0",
             "AEST-10AEDT,M10.1.0,M4.1.0/3", "JST-9", "<+0330>-3:30", "<-03>3",
             "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "XXX0YYY,M3.5.0/1:30,M10.5.0/0" }) {
        const auto zone = platform::zoneFromPosixRule(rule);
        ASSERT_TRUE(zone) << rule;
        EXPECT_EQ(platform::posixRuleOfZone(*zone), rule);
    }
}

TEST(ZoneinfoFooter, RuleIsReadFromTheLastLineOfVersionTwoOrLater)
{
    TemporaryDirectory dir;
    const std::string footer = "\nCET-1CEST,M3.5.0,M10.5.0/3\n",
                      rule = footer.substr(1, footer.size() - 2);
    EXPECT_EQ(
        platform::posixRuleOfZoneinfoFile(writeFile(dir.root / "v2", "TZif2" + kTzifBody + footer)),
        rule);
    EXPECT_EQ(
        platform::posixRuleOfZoneinfoFile(writeFile(dir.root / "v3", "TZif3" + kTzifBody + footer)),
        rule);
    EXPECT_FALSE(
        platform::posixRuleOfZoneinfoFile(writeFile(dir.root / "a", "TZXf2" + kTzifBody + footer)));
    EXPECT_FALSE(
        platform::posixRuleOfZoneinfoFile(writeFile(dir.root / "v1", "TZif" + kTzifBody + footer)));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(
        writeFile(dir.root / "b", "TZif2" + kTzifBody + "CET-1")));
    EXPECT_FALSE(
        platform::posixRuleOfZoneinfoFile(writeFile(dir.root / "c", "TZif2" + kTzifBody + "\n\n")));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(writeFile(dir.root / "d", "TZif")));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(dir.root / "missing"));
}

TEST(HostZone, TzHoldingARuleOrAZoneFileIsUsed)
{
    {
        testing_support::EnvironmentGuard tz("TZ", "AEST-10AEDT,M10.1.0,M4.1.0/3");
        EXPECT_EQ(platform::hostZone().Bias, -600);
        EXPECT_EQ(ruleOf(platform::hostZone().DaylightDate), "10.1.0 2:0");
    }
    TemporaryDirectory dir;
    const auto file = writeFile(dir.root / "zone", "TZif2" + kTzifBody + "\n<+0545>-5:45\n");
    for (const std::string& value : { file.string(), ":" + file.string() }) {
        testing_support::EnvironmentGuard tz("TZ", value.c_str());
        EXPECT_EQ(platform::hostZone().Bias, -345) << value;
    }
}

TEST(HostZone, ZoneNameInTzIsLookedUpInTheSystemZoneinfo)
{
    if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"))
        GTEST_SKIP() << "no zoneinfo for Europe/Berlin on this machine";
    testing_support::EnvironmentGuard tz("TZ", "Europe/Berlin");
    const TIME_ZONE_INFORMATION zone = platform::hostZone();
    EXPECT_EQ(zone.Bias, -60);
    EXPECT_EQ(ruleOf(zone.DaylightDate), "3.5.0 2:0");
}

TEST(HostZone, UnusableTzFallsBackAsIfUnset)
{
    TIME_ZONE_INFORMATION unset {};
    {
        testing_support::EnvironmentGuard tz("TZ", nullptr);
        unset = platform::hostZone();
    }
    for (const char* value : { "", ":", "No/Such_Zone" }) {
        testing_support::EnvironmentGuard tz("TZ", value);
        const TIME_ZONE_INFORMATION zone = platform::hostZone();
        EXPECT_EQ(std::memcmp(&zone, &unset, sizeof zone), 0) << '"' << value << '"';
    }
}

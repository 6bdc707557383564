#include "platform/zone_rule.h"

#include "tests/support/device_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

using namespace std::string_literals;

std::u16string nameOf(const WCHAR (&name)[32]) { return std::u16string(name); }

void expectRule(const SYSTEMTIME& date, int month, int occurrence, int weekday, int hour, int minute = 0)
{
    EXPECT_EQ(date.wYear, 0);
    EXPECT_EQ(date.wMonth, month);
    EXPECT_EQ(date.wDay, occurrence);
    EXPECT_EQ(date.wDayOfWeek, weekday);
    EXPECT_EQ(date.wHour, hour);
    EXPECT_EQ(date.wMinute, minute);
}

// A directory of the test's own, removed with its contents.
class TemporaryDirectory {
public:
    TemporaryDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tkw-zone-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TemporaryDirectory()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    std::filesystem::path write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(m_path / name, std::ios::binary) << bytes;
        return m_path / name;
    }

private:
    std::filesystem::path m_path;
};

// Header and data of a TZif file do not matter here; the data may hold NULs and newlines.
const std::string kTzifBody = "\0\0\0\0\0\0\x0a\x01\x02junk\x0a\0"s;

} // namespace

TEST(PosixRuleParsing, CentralEuropeHasLastSundayRulesAndAnHourOfDaylight)
{
    const auto zone = platform::zoneFromPosixRule("CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->Bias, -60);
    EXPECT_EQ(zone->StandardBias, 0);
    EXPECT_EQ(zone->DaylightBias, -60);
    EXPECT_EQ(nameOf(zone->StandardName), u"CET");
    EXPECT_EQ(nameOf(zone->DaylightName), u"CEST");
    expectRule(zone->DaylightDate, 3, 5, 0, 2);
    expectRule(zone->StandardDate, 10, 5, 0, 3);
}

TEST(PosixRuleParsing, WestOfGreenwichGivesAPositiveBias)
{
    const auto zone = platform::zoneFromPosixRule("EST5");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->Bias, 300);
    EXPECT_EQ(zone->StandardDate.wMonth, 0);
    EXPECT_EQ(zone->DaylightDate.wMonth, 0);
}

TEST(PosixRuleParsing, DaylightNameAloneGetsTheDefaultRulesAtTwo)
{
    const auto zone = platform::zoneFromPosixRule("EST5EDT");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->Bias, 300);
    EXPECT_EQ(zone->DaylightBias, -60);
    expectRule(zone->DaylightDate, 3, 2, 0, 2);
    expectRule(zone->StandardDate, 11, 1, 0, 2);
}

TEST(PosixRuleParsing, OffsetsCarrySignMinutesAndQuotedNames)
{
    const auto tehran = platform::zoneFromPosixRule("<+0330>-3:30");
    ASSERT_TRUE(tehran);
    EXPECT_EQ(tehran->Bias, -210);
    EXPECT_EQ(nameOf(tehran->StandardName), u"+0330");
    const auto saoPaulo = platform::zoneFromPosixRule("<-03>3");
    ASSERT_TRUE(saoPaulo);
    EXPECT_EQ(saoPaulo->Bias, 180);
    EXPECT_EQ(nameOf(saoPaulo->StandardName), u"-03");
    EXPECT_EQ(platform::zoneFromPosixRule("XXX+5").value_or(TIME_ZONE_INFORMATION { }).Bias, 300);
    // Lord Howe Island moves by half an hour.
    const auto lordHowe = platform::zoneFromPosixRule("<+1030>-10:30<+11>-11,M10.1.0,M4.1.0");
    ASSERT_TRUE(lordHowe);
    EXPECT_EQ(lordHowe->Bias, -630);
    EXPECT_EQ(lordHowe->DaylightBias, -30);
}

TEST(PosixRuleParsing, ExplicitTransitionTimesAreKept)
{
    const auto zone = platform::zoneFromPosixRule("XXX0YYY,M3.5.0/1:30,M10.5.0/0");
    ASSERT_TRUE(zone);
    expectRule(zone->DaylightDate, 3, 5, 0, 1, 30);
    expectRule(zone->StandardDate, 10, 5, 0, 0);
}

TEST(PosixRuleParsing, MalformedRulesAreRejected)
{
    for (const char* rule : { "", "X", "CET", "CET-1C", "<AB>1", "<ABC1", "XXX24", "XXX-24", "XXX25:00",
             "CET-1CEST,M13.1.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0", "CET-1CEST,M3.5.7,M10.5.0",
             "CET-1CEST,M3.0.0,M10.5.0", "CET-1CEST,M3.5.0,M10.5", "CET-1CEST,M3.5.0",
             "CET-1CEST,M3.5.0,M10.5.0/3x", "CET-1 CEST", "CET-1CEST,J0,J300", "CET-1CEST,J60,366",
             "CET-1CEST,J60,X" })
        EXPECT_FALSE(platform::zoneFromPosixRule(rule)) << '"' << rule << '"';
}

TEST(PosixRuleParsing, JulianDayRulesKeepOnlyTheStandardOffset)
{
    for (const char* rule : { "CET-1CEST,J60,J300", "CET-1CEST,59,299/3", "CET-1CEST,M3.5.0,J300" }) {
        const auto zone = platform::zoneFromPosixRule(rule);
        ASSERT_TRUE(zone) << rule;
        EXPECT_EQ(zone->Bias, -60);
        EXPECT_EQ(zone->StandardDate.wMonth, 0);
        EXPECT_EQ(zone->DaylightDate.wMonth, 0);
    }
}

TEST(PosixRuleFormatting, ParsedRulesAreWrittenBackUnchanged)
{
    for (const char* rule : { "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "AEST-10AEDT,M10.1.0,M4.1.0/3",
             "JST-9", "<+0330>-3:30", "<-03>3", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "XXX0YYY,M3.5.0/1:30,M10.5.0/0" }) {
        const auto zone = platform::zoneFromPosixRule(rule);
        ASSERT_TRUE(zone) << rule;
        EXPECT_EQ(platform::posixRuleOfZone(*zone), rule);
    }
}

TEST(PosixRuleFormatting, HandBuiltZoneIsWrittenAsARule)
{
    TIME_ZONE_INFORMATION zone { };
    zone.Bias = 300;
    std::memcpy(zone.StandardName, u"EST", sizeof u"EST");
    std::memcpy(zone.DaylightName, u"EDT", sizeof u"EDT");
    zone.DaylightDate = SYSTEMTIME { 0, 3, 0, 2, 2, 0, 0, 0 };
    zone.StandardDate = SYSTEMTIME { 0, 11, 0, 1, 2, 0, 0, 0 };
    zone.DaylightBias = -60;
    EXPECT_EQ(platform::posixRuleOfZone(zone), "EST5EDT,M3.2.0,M11.1.0");
    // A name that is not three letters or more must be quoted to be read back.
    std::memcpy(zone.StandardName, u"+05", sizeof u"+05");
    zone.Bias = -300;
    zone.DaylightDate.wMonth = zone.StandardDate.wMonth = 0;
    EXPECT_EQ(platform::posixRuleOfZone(zone), "<+05>-5");
}

TEST(ZoneinfoFooter, RuleIsReadFromTheLastLine)
{
    TemporaryDirectory dir;
    const std::string rule = "CET-1CEST,M3.5.0,M10.5.0/3";
    EXPECT_EQ(platform::posixRuleOfZoneinfoFile(dir.write("v2", "TZif2" + kTzifBody + "\n" + rule + "\n")), rule);
    EXPECT_EQ(platform::posixRuleOfZoneinfoFile(dir.write("v3", "TZif3" + kTzifBody + "\n" + rule + "\n")), rule);
}

TEST(ZoneinfoFooter, FilesWithoutAFooterAreRejected)
{
    TemporaryDirectory dir;
    const std::string footer = "\nCET-1CEST,M3.5.0,M10.5.0/3\n";
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(dir.write("not-tzif", "TZXf2" + kTzifBody + footer)));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(dir.write("version1", "TZif" + kTzifBody + footer)));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(dir.write("no-footer", "TZif2" + kTzifBody + "CET-1")));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(dir.write("empty-footer", "TZif2" + kTzifBody + "\n\n")));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile(dir.write("short", "TZif")));
    EXPECT_FALSE(platform::posixRuleOfZoneinfoFile("/nonexistent/tkw/zone"));
}

TEST(HostZone, PosixRuleInTzIsUsed)
{
    testing_support::EnvironmentGuard tz("TZ", "AEST-10AEDT,M10.1.0,M4.1.0/3");
    const TIME_ZONE_INFORMATION zone = platform::hostZone();
    EXPECT_EQ(zone.Bias, -600);
    EXPECT_EQ(nameOf(zone.DaylightName), u"AEDT");
    expectRule(zone.DaylightDate, 10, 1, 0, 2);
}

TEST(HostZone, ZoneFileNamedByPathInTzIsRead)
{
    TemporaryDirectory dir;
    const auto file = dir.write("zone", "TZif2" + kTzifBody + "\n<+0545>-5:45\n");
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
    EXPECT_EQ(zone.DaylightBias, -60);
    expectRule(zone.DaylightDate, 3, 5, 0, 2);
}

TEST(HostZone, UnusableTzFallsBackAsIfUnset)
{
    TIME_ZONE_INFORMATION unset { };
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

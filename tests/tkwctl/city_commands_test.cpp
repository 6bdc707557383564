// tkwctl city and zone, run as users run them: separate processes on the test's own device,
// with the shipped city files that `tkwctl install` lays down.

#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

using testing_support::ChildProcess;
using testing_support::runCommand;
using namespace std::chrono_literals;

namespace {

constexpr const char* kCityFolder = "Program Files/Tickwell Pro/data";
constexpr const char* kSettingsPath = "Application Data/Orvane Tickwell Pro/data/settings.dat";

class CityCommands : public testing_support::DeviceTest {
protected:
    CityCommands() { EXPECT_EQ(tkwctl({ "install" }).exitCode, 0); }

    static testing_support::CommandResult tkwctl(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), TKW_TKWCTL);
        return runCommand(arguments, 60s);
    }

    // What tkwctl says on standard error (standard output dropped).
    static testing_support::CommandResult errorsOf(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(),
            { "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1 >/dev/null", TKW_TKWCTL });
        return runCommand(arguments, 60s);
    }

    std::filesystem::path cityFile(const std::string& name) const
    {
        return m_device.root() / kCityFolder / name;
    }

    // The bytes of the six city files and settings.dat, by name.
    std::map<std::string, std::string> savedFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry :
            std::filesystem::directory_iterator(m_device.root() / kCityFolder)) {
            if (entry.path().extension() == ".cdb")
                files[entry.path().filename().string()] = bytesOf(entry.path());
        }
        files["settings.dat"] = bytesOf(m_device.root() / kSettingsPath);
        return files;
    }

    static std::string bytesOf(const std::filesystem::path& file)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(file, std::ios::binary).rdbuf();
        return bytes.str();
    }

    static bool contains(const std::string& text, const std::string& part)
    {
        return text.find(part) != std::string::npos;
    }
};

} // namespace

TEST_F(CityCommands, BerlinIsListedShownAndTimedAsJson)
{
    const auto list = tkwctl({ "--json", "city", "list", "--continent", "3" });
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_TRUE(contains(list.output,
        "{\"continent\":3,\"index\":8,\"name\":\"Berlin\",\"offsetMinutes\":60,"
        "\"latitude\":\"52:31N\",\"longitude\":\""))
        << list.output;
    EXPECT_FALSE(contains(list.output, "\"continent\":4")) << "only the continent asked for";

    const std::string rule
        = "\"daylight\":{\"start\":{\"month\":3,\"weekday\":0,\"occurrence\":5,\"hour\":2},"
          "\"end\":{\"month\":10,\"weekday\":0,\"occurrence\":5,\"hour\":3}}";
    const auto show = tkwctl({ "--json", "city", "show", "berlin", "--year", "2024" });
    ASSERT_EQ(show.exitCode, 0);
    EXPECT_TRUE(contains(
        show.output, "{\"continent\":3,\"index\":8,\"name\":\"Berlin\",\"offsetMinutes\":60,"))
        << show.output;
    EXPECT_TRUE(contains(show.output,
        rule
            + ",\"transitions\":{\"year\":2024,\"daylightStart\":\"2024-03-31\","
              "\"standardStart\":\"2024-10-27\"}}"))
        << show.output;
    // The same city by its place; 2025's last Sundays fall on other days.
    const auto byPlace = tkwctl({ "--json", "city", "show", "--at", "3,8", "--year", "2025" });
    EXPECT_TRUE(contains(byPlace.output, "\"name\":\"Berlin\"")) << byPlace.output;
    EXPECT_TRUE(contains(
        byPlace.output, "\"daylightStart\":\"2025-03-30\",\"standardStart\":\"2025-10-26\""))
        << byPlace.output;

    EXPECT_EQ(tkwctl({ "--json", "city", "time", "Berlin", "--at", "2024-07-15T12:00:00Z" }).output,
        "{\"utc\":\"2024-07-15T12:00:00Z\",\"local\":\"2024-07-15T14:00:00\",\"daylight\":true,"
        "\"offsetMinutes\":120,\"label\":\"Berlin (GMT +1:00)\"}\n");
    EXPECT_EQ(tkwctl({ "--json", "city", "time", "Berlin", "--at", "2024-01-15T12:00Z" }).output,
        "{\"utc\":\"2024-01-15T12:00:00Z\",\"local\":\"2024-01-15T13:00:00\",\"daylight\":false,"
        "\"offsetMinutes\":60,\"label\":\"Berlin (GMT +1:00)\"}\n");
    // Without a Z the time is the device's own local time: New York's daylight time here.
    ASSERT_EQ(tkwctl({ "device", "zone", "set", "EST5EDT,M3.2.0,M11.1.0" }).exitCode, 0);
    const auto local = tkwctl({ "--json", "city", "time", "Berlin", "--at", "2024-07-15T08:00" });
    EXPECT_TRUE(contains(
        local.output, "\"utc\":\"2024-07-15T12:00:00Z\",\"local\":\"2024-07-15T14:00:00\""))
        << local.output;
    EXPECT_EQ(tkwctl({ "city", "time", "Berlin", "--at", "2024-02-30T08:00" }).exitCode, 2);
}

TEST_F(CityCommands, AddEditAndDeleteRoundTripThroughTheFiles)
{
    const std::string europe = bytesOf(cityFile("europe.cdb"));
    const auto added = tkwctl({ "--json", "city", "add", "--continent", "3", "--name",
        "Neustadt an der Weinstrasse", "--offset", "60", "--lat", "90:00N", "--lon", "180:00W",
        "--daylight", "3,0,5/10,0,5", "--hours", "2/3" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    // Cut to the 20 characters the record holds; the poles and the date line are places too.
    EXPECT_TRUE(contains(added.output,
        "\"name\":\"Neustadt an der Wein\",\"offsetMinutes\":60,"
        "\"latitude\":\"90:00N\",\"longitude\":\"180:00W\""))
        << added.output;
    EXPECT_EQ(bytesOf(cityFile("europe.cdb")).size(), europe.size() + 64);

    // The whole name given again finds the city it was cut to.
    const auto edited = tkwctl({ "--json", "city", "edit", "Neustadt an der Weinstrasse",
        "--offset", "-210", "--lat", "49:21N", "--daylight", "none", "--hours", "1/2" });
    ASSERT_EQ(edited.exitCode, 0) << edited.output;
    EXPECT_TRUE(contains(edited.output,
        "\"offsetMinutes\":-210,\"latitude\":\"49:21N\",\"longitude\":\"180:00W\","
        "\"daylight\":null,\"transitions\":null"))
        << edited.output;
    // Switched on again, the kept rule returns with the new hours.
    const auto again = tkwctl(
        { "--json", "city", "edit", "neustadt an der wein", "--daylight", "3,0,5/10,0,5" });
    EXPECT_TRUE(contains(
        again.output, "{\"start\":{\"month\":3,\"weekday\":0,\"occurrence\":5,\"hour\":1}"))
        << again.output;
    EXPECT_EQ(
        tkwctl({ "--json", "city", "time", "Neustadt an der Wein", "--at", "2024-01-15T12:00:00Z" })
            .exitCode,
        0);

    ASSERT_EQ(tkwctl({ "city", "delete", "Neustadt an der Wein" }).exitCode, 0);
    EXPECT_EQ(bytesOf(cityFile("europe.cdb")), europe) << "the continent is back as it was";
    EXPECT_EQ(tkwctl({ "city", "show", "Neustadt an der Wein" }).exitCode, 1);
}

TEST_F(CityCommands, RefusalsSayTheEditorsMessageAndChangeNothing)
{
    ASSERT_EQ(tkwctl({ "settings", "set", "chime", "0" }).exitCode, 0); // settings.dat on disk
    const auto before = savedFiles();
    const std::vector<std::string> add { "city", "add", "--continent", "3", "--lon", "13:24E" };
    const auto with = [](std::vector<std::string> words, std::initializer_list<std::string> more) {
        words.insert(words.end(), more);
        return words;
    };
    const auto noName = errorsOf(with(add, { "--name", "", "--lat", "52:31N", "--offset", "60" }));
    EXPECT_EQ(noName.exitCode, 1);
    EXPECT_EQ(noName.output, "tkwctl: Please enter name of city.\n");
    for (const char* latitude : { "90:01N", "91:00S", "45:60N", "52:31X", "" }) {
        const auto refused
            = errorsOf(with(add, { "--name", "Nowhere", "--lat", latitude, "--offset", "60" }));
        EXPECT_EQ(refused.exitCode, 1) << latitude;
        EXPECT_EQ(refused.output, "tkwctl: Please enter correct latitude and logitude data.\n")
            << latitude;
    }
    for (const char* longitude : { "180:01W", "181:00E" }) {
        const auto refused = errorsOf({ "city", "edit", "Berlin", "--lon", longitude });
        EXPECT_EQ(refused.output, "tkwctl: Please enter correct latitude and logitude data.\n")
            << longitude;
    }
    EXPECT_EQ(errorsOf({ "city", "edit", "--at", "3,8", "--name", "" }).output,
        "tkwctl: Please enter name of city.\n");
    // The world-time city of the settings (New York for an English device) stays.
    const auto home = errorsOf({ "city", "delete", "New York" });
    EXPECT_EQ(home.exitCode, 1);
    EXPECT_EQ(home.output, "tkwctl: You can't delete home location city.\n");
    // Malformed values are refused before anything is read.
    for (const char* offset : { "1e3", "+60", "841", "-721" })
        EXPECT_EQ(
            tkwctl(with(add, { "--name", "X", "--lat", "1:00N", "--offset", offset })).exitCode, 2)
            << offset;
    EXPECT_EQ(tkwctl(with(add,
                         { "--name", "X", "--lat", "1:00N", "--offset", "0", "--daylight",
                             "13,0,5/10,0,5" }))
                  .exitCode,
        2);
    EXPECT_EQ(
        tkwctl(with(add, { "--name", "X", "--lat", "1:00N", "--offset", "0", "--hours", "24/3" }))
            .exitCode,
        2);
    EXPECT_EQ(tkwctl(with(add, { "--name", "X", "--lat", "1:00N" })).exitCode, 2) << "no offset";
    EXPECT_EQ(tkwctl({ "city", "delete", "--at", "3,9999" }).exitCode, 1);
    EXPECT_EQ(tkwctl({ "city", "delete", "Berlin", "--at", "3,8" }).exitCode, 2);
    EXPECT_EQ(savedFiles(), before);
}

TEST_F(CityCommands, AnAmbiguousOrUnknownNameListsTheCandidates)
{
    ASSERT_EQ(tkwctl({ "city", "add", "--continent", "4", "--name", "Berlin", "--offset", "-300",
                         "--lat", "44:28N", "--lon", "71:11W" })
                  .exitCode,
        0);
    const auto twice = errorsOf({ "city", "show", "BERLIN" });
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_TRUE(contains(twice.output, "Berlin (Europe, --at 3,8)")) << twice.output;
    EXPECT_TRUE(contains(twice.output, "Berlin (North America, --at 4,")) << twice.output;
    EXPECT_EQ(tkwctl({ "zone", "apply", "Berlin" }).exitCode, 1);

    const auto start = errorsOf({ "city", "delete", "Ber" });
    EXPECT_EQ(start.exitCode, 1);
    EXPECT_TRUE(contains(start.output, "Bern (Europe")) << start.output;
    EXPECT_EQ(tkwctl({ "--json", "city", "show", "Bern" }).exitCode, 0) << "a prefix never deletes";

    const auto inside = errorsOf({ "city", "time", "erli" });
    EXPECT_TRUE(contains(inside.output, "did you mean:")) << inside.output;
    EXPECT_TRUE(contains(inside.output, "Berlin (Europe, --at 3,8)")) << inside.output;
    EXPECT_EQ(tkwctl({ "city", "show", "Atlantis" }).exitCode, 1);
}

TEST_F(CityCommands, AMissingOrShortContinentFileIsNamedAndNothingIsWritten)
{
    std::filesystem::remove(cityFile("asia.cdb"));
    const auto before = bytesOf(cityFile("europe.cdb"));
    const auto missing = errorsOf({ "city", "add", "--continent", "3", "--name", "Lost", "--offset",
        "0", "--lat", "1:00N", "--lon", "1:00E" });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.output, "asia.cdb")) << missing.output;
    EXPECT_FALSE(std::filesystem::exists(cityFile("asia.cdb")));
    EXPECT_EQ(bytesOf(cityFile("europe.cdb")), before);
    EXPECT_EQ(tkwctl({ "city", "list" }).exitCode, 1);
    EXPECT_EQ(tkwctl({ "zone", "apply", "London" }).exitCode, 1);

    ASSERT_EQ(tkwctl({ "install" }).exitCode, 0); // lays the missing file down again
    std::filesystem::resize_file(cityFile("samerica.cdb"), 63);
    const auto shortFile = errorsOf({ "city", "delete", "Berlin" });
    EXPECT_EQ(shortFile.exitCode, 1);
    EXPECT_TRUE(contains(shortFile.output, "samerica.cdb holds 63 bytes")) << shortFile.output;
    EXPECT_EQ(bytesOf(cityFile("europe.cdb")), before);
}

TEST_F(CityCommands, CitiesAddedByProgramsAtTheSameTimeAllLand)
{
    constexpr int kPrograms = 6;
    std::vector<std::unique_ptr<ChildProcess>> programs;
    for (int i = 0; i < kPrograms; ++i)
        programs.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string> { TKW_TKWCTL, "city", "add", "--continent",
                std::to_string(i % 2 ? 3 : 1), "--name", "Parallel " + std::to_string(i),
                "--offset", "0", "--lat", "1:00N", "--lon", "1:00E" }));
    for (auto& program : programs)
        EXPECT_EQ(program->wait(60s), 0);
    const auto list = tkwctl({ "city", "list" });
    for (int i = 0; i < kPrograms; ++i)
        EXPECT_TRUE(contains(list.output, "Parallel " + std::to_string(i))) << i;

    // Two programs changing different fields of one city keep both changes: each reads the
    // city inside its edit.
    for (int round = 0; round < 4; ++round) {
        const std::string offset = std::to_string(60 + round);
        const std::string latitude = std::to_string(10 + round) + ":00N";
        ChildProcess first({ TKW_TKWCTL, "city", "edit", "Berlin", "--offset", offset });
        ChildProcess second({ TKW_TKWCTL, "city", "edit", "Berlin", "--lat", latitude });
        EXPECT_EQ(first.wait(60s), 0);
        EXPECT_EQ(second.wait(60s), 0);
        const auto berlin = tkwctl({ "--json", "city", "show", "Berlin" }).output;
        EXPECT_TRUE(
            contains(berlin, "\"offsetMinutes\":" + offset + ",\"latitude\":\"" + latitude + "\""))
            << "round " << round << ": " << berlin;
    }
}

TEST_F(CityCommands, ZoneApplyMovesTheDeviceAndTheAlarmRingsAtSevenBerlinTime)
{
    testing_support::EnvironmentGuard deviced("TKW_DEVICED", TKW_DEVICED_PROGRAM);
    testing_support::EnvironmentGuard display("QT_QPA_PLATFORM", "offscreen");
    testing_support::EnvironmentGuard audio("SDL_AUDIODRIVER", "dummy");
    testing_support::EnvironmentGuard quick("TKW_RUNNER_TIME_SCALE", "0");
    ASSERT_EQ(tkwctl({ "settings", "set", "chime", "0" }).exitCode, 0);
    ASSERT_EQ(tkwctl({ "device", "zone", "set", "EST5EDT,M3.2.0,M11.1.0" }).exitCode, 0);
    ASSERT_EQ(
        tkwctl({ "device", "time", "set", "2026-03-11T05:00" }).exitCode, 0); // 10:00 in Berlin
    ASSERT_EQ(tkwctl({ "alarm", "set", "1", "--time", "07:00", "--days",
                         "Sun,Mon,Tue,Wed,Thu,Fri,Sat", "--on" })
                  .exitCode,
        0);
    EXPECT_TRUE(contains(tkwctl({ "--json", "notify", "list" }).output,
        "\"arguments\":\"a01\",\"start\":\"2026-03-11T07:00:00\""));
    ASSERT_EQ(tkwctl({ "service", "start" }).exitCode, 0);

    ASSERT_EQ(tkwctl({ "zone", "apply", "Berlin" }).exitCode, 0);
    const auto zone = tkwctl({ "--json", "zone", "show" }).output;
    EXPECT_TRUE(contains(zone, "\"biasMinutes\":-60,")) << zone;
    EXPECT_TRUE(contains(zone, "\"daylightNow\":false,\"worldCity\":\"Berlin\"")) << zone;
    EXPECT_TRUE(
        contains(tkwctl({ "--json", "device", "time" }).output, "\"local\":\"2026-03-11T10:0"));
    // 07:00 has passed in Berlin today: the alarm waits for tomorrow's, once, as the runner
    // registers it anew after the time change.
    std::string wakeUps;
    for (int i = 0; i < 300; ++i) {
        wakeUps = tkwctl({ "--json", "notify", "list" }).output;
        if (contains(wakeUps, "\"arguments\":\"a01\",\"start\":\"2026-03-12T07:00:00\""))
            break;
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(contains(wakeUps, "\"arguments\":\"a01\",\"start\":\"2026-03-12T07:00:00\""))
        << wakeUps;
    EXPECT_EQ(wakeUps.find("\"arguments\":\"a01\""), wakeUps.rfind("\"arguments\":\"a01\""))
        << wakeUps;
    // Berlin is the world-time city and, not being the Home city (New York), the Visiting one.
    const auto settings = tkwctl({ "--json", "settings", "show" }).output;
    EXPECT_TRUE(
        contains(settings, "\"worldCity\":[3,8],\"homeCity\":[4,97],\"visitingCity\":[3,8]"))
        << settings;

    // Applying the zone the device has changes nothing but says so.
    const auto changes = tkwctl({ "--json", "device", "status" }).output;
    ASSERT_EQ(tkwctl({ "zone", "apply", "Berlin", "--keep-utc" }).exitCode, 0);
    EXPECT_EQ(tkwctl({ "--json", "device", "status" }).output.substr(changes.find("timeChanges")),
        changes.substr(changes.find("timeChanges")));
}

// tkwctl install and the city files: laid into a new device, kept once the user owns them,
// and written only under the city database's edit lock.

#include "cities/city_database.h"
#include "platform/edit_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

using TkwctlCities = testing_support::DeviceTest;

constexpr std::pair<const char*, std::uintmax_t> kCityFiles[] = { { "africa.cdb", 20 * 64 },
    { "asia.cdb", 143 * 64 }, { "australia.cdb", 29 * 64 }, { "europe.cdb", 87 * 64 }, { "namerica.cdb", 167 * 64 },
    { "samerica.cdb", 27 * 64 } };

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

testing_support::CommandResult install() { return testing_support::runCommand({ TKW_TKWCTL, "install" }); }

} // namespace

TEST_F(TkwctlCities, InstallLaysTheShippedFilesAndKeepsTheUsersOwn)
{
    const fs::path data = m_device.root() / "Program Files" / "Tickwell Pro" / "data";
    const auto first = install();
    ASSERT_EQ(first.exitCode, 0) << first.output;
    for (const auto& [file, size] : kCityFiles) {
        EXPECT_EQ(fs::file_size(data / file), size) << file;
        EXPECT_EQ(readBytes(data / file), readBytes(fs::path(TKW_SHIPPED_CITIES_DIR) / file)) << file;
        EXPECT_NE(first.output.find(std::string("installed \\Program Files\\Tickwell Pro\\data\\") + file),
            std::string::npos)
            << first.output;
    }
    // The city database reads them, with the settings defaults' cities where they point.
    auto database = cities::CityDatabase::load(u"\\Program Files\\Tickwell Pro\\");
    ASSERT_TRUE(database.available());
    EXPECT_EQ(database.count(cities::kAllCities), 473);
    EXPECT_EQ(cities::cityName(*database.record(3, 8)), u"Berlin");
    EXPECT_EQ(cities::cityName(*database.record(4, 97)), u"New York");

    // A city edited on the device stays through another install; a file lost or cut short
    // is laid down again.
    auto berlin = *database.record(3, 8);
    cities::setCityName(berlin, u"Berlin Mitte");
    ASSERT_EQ(database.edit({ 3, 8 }, berlin), cities::EditError::None);
    const std::string edited = readBytes(data / "europe.cdb");
    ASSERT_NE(edited, readBytes(fs::path(TKW_SHIPPED_CITIES_DIR) / "europe.cdb"));
    fs::remove(data / "asia.cdb");
    std::ofstream(data / "africa.cdb", std::ios::trunc) << "short";
    const auto second = install();
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(readBytes(data / "europe.cdb"), edited);
    EXPECT_EQ(fs::file_size(data / "asia.cdb"), 143u * 64);
    EXPECT_EQ(fs::file_size(data / "africa.cdb"), 20u * 64);
    EXPECT_NE(second.output.find("installed \\Program Files\\Tickwell Pro\\data\\asia.cdb"), std::string::npos);
    EXPECT_NE(second.output.find("repaired \\Program Files\\Tickwell Pro\\data\\africa.cdb"), std::string::npos);
    EXPECT_EQ(second.output.find("europe.cdb"), std::string::npos) << second.output;
}

TEST_F(TkwctlCities, InstallWaitsForAnotherProgramsCityEdit)
{
    const fs::path data = m_device.root() / "Program Files" / "Tickwell Pro" / "data";
    fs::create_directories(data);
    // Another program is in the middle of an edit of the city files.
    auto edit = platform::EditLock::acquire(u"\\Program Files\\Tickwell Pro\\data\\cities", std::chrono::seconds(1));
    ASSERT_TRUE(edit.has_value());
    testing_support::ChildProcess tkwctl({ TKW_TKWCTL, "install" });
    ASSERT_TRUE(tkwctl.started());
    // Well past the time a whole install takes: the steps before the cities are done, and
    // tkwctl still waits for the edit to end.
    EXPECT_FALSE(tkwctl.wait(std::chrono::seconds(3)).has_value());
    EXPECT_TRUE(fs::exists(m_device.root() / "Windows" / "Chime2.wav"));
    EXPECT_FALSE(fs::exists(data / "europe.cdb"));
    edit.reset();
    EXPECT_EQ(tkwctl.wait(std::chrono::seconds(20)), 0);
    for (const auto& [file, size] : kCityFiles)
        EXPECT_EQ(fs::exists(data / file) ? fs::file_size(data / file) : 0, size) << file;
}

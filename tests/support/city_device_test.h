#pragma once
// A test on a device of its own that holds the build's shipped cities: the en_GB locale, the
// settings read and the main program's city database loaded, with edits that wait up to five
// seconds for another program's.

#include "cities/city_database.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"

#include <chrono>
#include <string_view>

#include <gtest/gtest.h>

namespace testing_support {

// What of the build's shipped files the device holds: the city files alone, or the whole look
// (resource packs, skins and faces, the cities among them).
enum class Shipped { Cities, Look };

class CityDeviceTest : public DeviceTest {
protected:
    explicit CityDeviceTest(Shipped shipped = Shipped::Cities) : m_shipped(shipped) { }

    void SetUp() override
    {
        ASSERT_TRUE(platform::writeRegistryString(
            platform::RegistryRoot::LocalMachine, platform::kProfileKey, u"Locale", u"en_GB"));
        ASSERT_TRUE(m_shipped == Shipped::Look ? installShippedLook() : installShippedCities());
        (void)store::LoadSettings();
        loadDatabase();
        cities::CityDatabase::setEditWait(std::chrono::seconds(5));
    }

    // Reads the city files again, as a program started now would.
    void loadDatabase()
    {
        m_database = cities::CityDatabase::load(store::kDefaultInstallFolder);
        ASSERT_TRUE(m_database.available());
    }

    // The first city called `name`; { -1, -1 } when there is none.
    [[nodiscard]] cities::CityRef refOf(std::u16string_view name) const
    {
        const auto found = m_database.findByName(name);
        return found.empty() ? cities::CityRef { -1, -1 } : found.front();
    }

    // The same place as the settings keep it.
    [[nodiscard]] static store::CityRef stored(cities::CityRef ref)
    {
        return { std::uint32_t(ref.continent), std::uint32_t(ref.index) };
    }

    cities::CityDatabase m_database;

private:
    Shipped m_shipped;
};

} // namespace testing_support

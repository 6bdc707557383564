#include "tests/support/device_fixture.h"

#include "platform/device_root.h"
#include "platform/device_service.h"

#include <cstdlib>
#include <unistd.h>

namespace testing_support {

TemporaryDevice::TemporaryDevice()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tkw-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary device root");
    m_root = pattern;
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    platform::useDeviceRoot(m_root);
}

TemporaryDevice::~TemporaryDevice()
{
    std::error_code ignored;
    (void)platform::stopDeviceService(); // Keep no service of a removed root running.
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(m_root, ignored);
    if (!runtime.empty())
        std::filesystem::remove_all(runtime, ignored);
}

EnvironmentGuard::EnvironmentGuard(const char* name, const char* value)
    : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_old = old;
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

EnvironmentGuard::~EnvironmentGuard()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

} // namespace testing_support

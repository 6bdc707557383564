#pragma once
// A device root of the test's own: a temporary directory that this process and every child
// it starts use as the device, removed with everything in it at the end. Programs do
// not start the device service on demand (TKW_DEVICED_AUTOSTART=0); a test that wants it
// starts it, and a service still running at the end is stopped.

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace testing_support {

class TemporaryDevice {
public:
    TemporaryDevice();
    ~TemporaryDevice();
    TemporaryDevice(const TemporaryDevice&) = delete;
    TemporaryDevice& operator=(const TemporaryDevice&) = delete;

    const std::filesystem::path& root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

// Sets an environment variable for the life of the guard (TZ, LANG, ...).
class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const char* value);
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Sets the process's file-creation mask for the life of the guard.
class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) { }
    ~Umask() { ::umask(m_old); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t m_old;
};

// A test whose body runs on a fresh temporary device.
class DeviceTest : public ::testing::Test {
protected:
    TemporaryDevice m_device;
};

} // namespace testing_support

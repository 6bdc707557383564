#pragma once
// Helpers of the store tests: a temporary device with its data directory, and raw access
// to the files as another program would see them.

#include "platform/files.h"
#include "platform/text.h"
#include "store/data_files.h"
#include "tests/support/device_fixture.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

class StoreTest : public DeviceTest {
protected:
    StoreTest() { (void)store::createDataDirectory(); }

    std::filesystem::path hostDataFile(std::u16string_view name) const
    {
        return *platform::hostPathOf(store::DataFilePath(name));
    }

    std::vector<char> readDataFile(std::u16string_view name) const
    {
        std::ifstream in(hostDataFile(name), std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    void writeDataFile(std::u16string_view name, const void* bytes, std::size_t size) const
    {
        std::ofstream(hostDataFile(name), std::ios::binary | std::ios::trunc)
            .write(static_cast<const char*>(bytes), std::streamsize(size));
    }

    static std::vector<char> fixture(const char* name)
    {
        std::ifstream in(std::string(TKW_TEST_DATA) + "/" + name, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

} // namespace testing_support

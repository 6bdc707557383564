#include "tests/support/shipped_look.h"

#include "platform/files.h"

#include <filesystem>

namespace testing_support {

bool installShippedCities()
{
    namespace fs = std::filesystem;
    const fs::path shipped(TKW_SHIPPED_CITIES_DIR);
    const auto data = platform::hostPathOf(u"\\Program Files\\Tickwell Pro\\data");
    if (!data)
        return false;
    std::error_code error;
    fs::create_directories(*data, error);
    for (const char* file : { "africa.cdb", "asia.cdb", "australia.cdb", "europe.cdb", "namerica.cdb", "samerica.cdb" }) {
        fs::copy_file(shipped / file, *data / file, fs::copy_options::overwrite_existing, error);
        if (error)
            return false;
    }
    return true;
}

bool installShippedLook()
{
    namespace fs = std::filesystem;
    const fs::path shipped(TKW_SHIPPED_ART_DIR);
    const auto program = platform::hostPathOf(u"\\Program Files\\Tickwell Pro");
    if (!program || !fs::exists(shipped / "data" / "res.dat"))
        return false;
    std::error_code error;
    for (const char* folder : { "data", "skins", "plugins" }) {
        if (!fs::is_directory(shipped / folder, error))
            continue;
        fs::create_directories(*program / folder, error);
        for (const auto& entry : fs::directory_iterator(shipped / folder, error)) {
            if (entry.path().extension() == ".d")
                continue; // the build's dependency notes
            fs::copy_file(entry.path(), *program / folder / entry.path().filename(), fs::copy_options::overwrite_existing, error);
            if (error)
                return false;
        }
    }
    return installShippedCities();
}

} // namespace testing_support

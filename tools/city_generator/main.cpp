// city_generator: turns the curated city table into the six continent files of the city
// database (africa.cdb ... samerica.cdb), 64-byte records in the table's order. The build
// runs it; the same table gives the same bytes every time.
//
// It prints, one line each, the cities whose zone's rules the day-in-month form cannot say
// exactly (they ship with the nearest rule): name, zone, why.

#include "cities/city_database.h"
#include "tools/city_generator/city_table.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// "data\\africa.cdb" -> "africa.cdb"
std::string fileNameOf(std::u16string_view devicePath)
{
    const auto slash = devicePath.rfind(u'\\');
    std::string name;
    for (const char16_t c : devicePath.substr(slash == std::u16string_view::npos ? 0 : slash + 1))
        name.push_back(char(c)); // the names are ASCII
    return name;
}

// Writes beside the file and renames, so that a reader never sees half a file.
bool writeFile(const std::filesystem::path& file, const std::vector<std::byte>& bytes)
{
    const auto partial = std::filesystem::path(file.string() + ".part");
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(partial, file, error);
    return !error;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr,
            "Usage: city_generator CITIES.TSV OUTPUT-FOLDER\n"
            "Writes the six continent files of the city database.\n");
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    std::string problem;
    const auto table = city_generator::readCityTable(argv[1], problem);
    if (!table) {
        std::fprintf(stderr, "city_generator: %s\n", problem.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "city_generator: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    static_assert(cities::kContinentCount == city_generator::kContinentCount);
    for (int continent = 0; continent < cities::kContinentCount; ++continent) {
        const auto& records = table->continents[std::size_t(continent)];
        std::vector<std::byte> bytes(records.size() * sizeof(cities::CityRecord));
        for (std::size_t i = 0; i < records.size(); ++i)
            cities::cityToBytes(records[i], bytes.data() + i * sizeof(cities::CityRecord));
        const auto file = folder / fileNameOf(cities::kContinentFiles[std::size_t(continent)]);
        if (!writeFile(file, bytes)) {
            std::fprintf(stderr, "city_generator: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    for (const auto& approximation : table->approximations)
        std::printf("approximated: %s\t%s\t%s\n", approximation.name.c_str(), approximation.zone.c_str(),
            approximation.why.c_str());
    return 0;
}

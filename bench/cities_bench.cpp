// How long the city database takes to read and merge its continent files: the shipped six
// (target below 2 ms) and generated databases of 1,000 to 20,000 cities (10,000: target
// below 50 ms), to show how the load grows; and one city's local time (target below 1 µs).
//
//     cities_bench [shipped-folder] [--runs N]
//
// The shipped folder holds the six .cdb files the build made (default: the build's own).
// Each figure is the median of the runs, with the slowest beside it. Runs on a temporary
// device of its own.

#include "bench/bench_support.h"
#include "cities/city_database.h"
#include "cities/world_time.h"
#include "platform/calendar.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kFolder = u"\\Program Files\\Tickwell Pro\\";

// Names that sort as real ones do: letters in mixed order, some with accents and spaces.
std::u16string generatedName(std::mt19937& random)
{
    static const std::u16string letters = u"abcdefghijklmnopqrstuvwxyzéöå";
    std::u16string name(1, char16_t(u'A' + random() % 26));
    const int length = 3 + int(random() % 14);
    for (int k = 0; k < length; ++k)
        name += (k > 2 && random() % 9 == 0) ? u' ' : letters[random() % letters.size()];
    return name;
}

// Writes `total` generated cities over the six continent files, each file in name order.
void writeGenerated(int total, std::mt19937& random)
{
    std::array<std::vector<cities::CityRecord>, cities::kContinentCount> continents;
    for (int k = 0; k < total; ++k) {
        cities::CityRecord city { };
        cities::setCityName(city, generatedName(random));
        city.offsetMinutes = std::int16_t(int(random() % 27) * 60 - 720);
        city.latitudeDegrees = std::uint16_t(random() % 90);
        city.longitudeDegrees = std::uint16_t(random() % 180);
        continents[std::size_t(k % cities::kContinentCount)].push_back(city);
    }
    for (int c = 0; c < cities::kContinentCount; ++c) {
        auto& list = continents[std::size_t(c)];
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
            return cities::compareCityNames(cities::cityName(a), cities::cityName(b)) < 0;
        });
        std::vector<std::byte> bytes(list.size() * sizeof(cities::CityRecord));
        for (std::size_t k = 0; k < list.size(); ++k)
            cities::cityToBytes(list[k], bytes.data() + k * sizeof(cities::CityRecord));
        if (!platform::replaceFile(std::u16string(kFolder) + std::u16string(cities::kContinentFiles[std::size_t(c)]), bytes)) {
            std::fprintf(stderr, "cities_bench: cannot write the generated files\n");
            std::exit(1);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    fs::path shipped = TKW_SHIPPED_CITIES_DIR;
    int runs = 200;
    for (int k = 1; k < argc; ++k) {
        const std::string argument = argv[k];
        if (argument == "--runs" && k + 1 < argc)
            runs = std::max(1, std::atoi(argv[++k]));
        else
            shipped = argument;
    }
    ::setenv("TKW_DEVICED_AUTOSTART", "0", 1);
    const bench::TemporaryDevice device("cities_bench");
    if (const auto missing = bench::installCities(device.root(), shipped)) {
        std::fprintf(stderr, "cities_bench: no %s in %s (build the target shipped_cities)\n",
            missing->c_str(), shipped.c_str());
        return 1;
    }

    int count = 0;
    const bench::Figures load = bench::timeRuns(runs, [&](int) { count = cities::CityDatabase::load(kFolder).count(cities::kAllCities); });
    std::printf("shipped files (%d cities): load and merge median %.3f ms, slowest %.3f ms (target below 2 ms)\n",
        count, load.median / 1000, load.worst / 1000);

    std::mt19937 random(20261208);
    for (const int total : { 1000, 5000, 10000, 20000 }) {
        writeGenerated(total, random);
        const bench::Figures generated
            = bench::timeRuns(std::max(5, runs / 10), [&](int) { count = cities::CityDatabase::load(kFolder).count(cities::kAllCities); });
        std::printf("%6d generated cities: load and merge median %.2f ms, slowest %.2f ms%s\n", count,
            generated.median / 1000, generated.worst / 1000, total == 10000 ? " (target below 50 ms)" : "");
    }

    cities::CityRecord berlin { };
    cities::setCityName(berlin, u"Berlin");
    berlin.offsetMinutes = 60;
    cities::setDaylightRule(berlin, cities::DaylightRule { { 3, 0, 5 }, { 10, 0, 5 } });
    const std::uint64_t start = platform::ticksOfSystemTime(SYSTEMTIME { 2026, 7, 0, 15, 12, 0, 0, 0 }).value();
    constexpr int kTimes = 1'000'000;
    unsigned checksum = 0;
    const bench::Figures local = bench::timeRuns(5, [&](int) {
        for (int k = 0; k < kTimes; ++k)
            checksum += cities::cityLocalTime(berlin, start + std::uint64_t(k) * 10'000'000ull).wHour;
    });
    std::printf("one city's local time: median %.3f µs, slowest run %.3f µs a call (target below 1 µs; %u)\n",
        local.median / kTimes, local.worst / kTimes, checksum % 10);
    return 0;
}

#pragma once
// City records for tests that need a place and nothing else.

#include "cities/city_record.h"

#include <cstdint>

namespace testing_support {

// A city record at the latitude and longitude given in degrees and minutes, 'N' or 'S' and
// 'E' or 'W' naming the side; every other field zero.
[[nodiscard]] inline cities::CityRecord placedCity(int latitudeDegrees, int latitudeMinutes,
    char northOrSouth, int longitudeDegrees, int longitudeMinutes, char eastOrWest)
{
    cities::CityRecord city {};
    city.latitudeDegrees = std::uint16_t(latitudeDegrees);
    city.latitudeMinutes = std::uint16_t(latitudeMinutes);
    city.north = northOrSouth == 'N' ? 1 : 0;
    city.longitudeDegrees = std::uint16_t(longitudeDegrees);
    city.longitudeMinutes = std::uint16_t(longitudeMinutes);
    city.east = eastOrWest == 'E' ? 1 : 0;
    return city;
}

} // namespace testing_support

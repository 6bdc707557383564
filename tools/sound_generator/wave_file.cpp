#include "tools/sound_generator/wave_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numeric>
#include <string>

namespace sound_generator {

namespace {

constexpr double kFadeInSeconds = 0.010;
constexpr double kFadeOutSeconds = 0.150;
// 32767 * 10^(-1/20), written out so that no library rounding can move it.
constexpr double kPeakSample = 29204.39;

// Rises from 0 to 1 with a flat start and a flat end, so a fade adds no corner of its own.
double smoothStep(double x)
{
    return x * x * (3.0 - 2.0 * x);
}

void putLittleEndian(std::string& bytes, std::uint32_t value, int byteCount)
{
    for (int i = 0; i < byteCount; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

std::vector<std::int16_t> masterForShipping(std::vector<double> signal)
{
    if (signal.empty())
        return {};
    const double mean = std::accumulate(signal.begin(), signal.end(), 0.0) / double(signal.size());
    for (double& sample : signal)
        sample -= mean;

    const auto fadeInSamples = std::min(signal.size(), std::size_t(kFadeInSeconds * kSampleRateHz));
    const auto fadeOutSamples
        = std::min(signal.size(), std::size_t(kFadeOutSeconds * kSampleRateHz));
    for (std::size_t i = 0; i < fadeInSamples; ++i)
        signal[i] *= smoothStep(double(i) / double(fadeInSamples));
    for (std::size_t i = 0; i < fadeOutSamples; ++i)
        signal[signal.size() - 1 - i] *= smoothStep(double(i) / double(fadeOutSamples));

    double peak = 0.0;
    for (const double sample : signal)
        peak = std::max(peak, std::abs(sample));
    const double gain = peak > 0.0 ? kPeakSample / peak : 0.0;

    std::vector<std::int16_t> samples(signal.size());
    std::transform(signal.begin(), signal.end(), samples.begin(),
        [gain](double sample) { return static_cast<std::int16_t>(std::lround(sample * gain)); });
    return samples;
}

bool writeWaveFile(const std::filesystem::path& file, std::span<const std::int16_t> samples)
{
    constexpr std::uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);

    std::string bytes;
    bytes.reserve(44 + dataBytes);
    bytes += "RIFF";
    putLittleEndian(bytes, 36 + dataBytes, 4); // everything after this field
    bytes += "WAVEfmt ";
    putLittleEndian(bytes, 16, 4); // size of the plain PCM format block
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, 1, 2); // mono
    putLittleEndian(bytes, kSampleRateHz, 4);
    putLittleEndian(bytes, kSampleRateHz * kBytesPerSample, 4); // bytes per second
    putLittleEndian(bytes, kBytesPerSample, 2); // bytes per frame
    putLittleEndian(bytes, 16, 2); // bits per sample
    bytes += "data";
    putLittleEndian(bytes, dataBytes, 4);
    for (const std::int16_t sample : samples)
        putLittleEndian(bytes, static_cast<std::uint16_t>(sample), 2);

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace sound_generator

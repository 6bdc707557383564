#pragma once
// The shipped sound format and the last steps before a sound is shipped: levelling a
// rendered signal and writing it as a RIFF WAV file (PCM, 16-bit, mono).

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace sound_generator {

inline constexpr int kSampleRateHz = 22050;

// Readies a rendered signal (any scale) for playback: removes its DC offset, fades it in
// over 10 ms and out over 150 ms so that playback starts and stops at zero, and scales it
// so that its loudest sample lies at -1 dBFS (29204 of 32767). Silence stays silence.
std::vector<std::int16_t> masterForShipping(std::vector<double> signal);

// Writes the samples as a WAV file at kSampleRateHz; false when not every byte was written.
[[nodiscard]] bool writeWaveFile(
    const std::filesystem::path& file, std::span<const std::int16_t> samples);

} // namespace sound_generator

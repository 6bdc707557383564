#pragma once
// Test sounds, and what SDL's disk driver captured of them (48 kHz stereo float).

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// A mono 16-bit WAV of a sine tone (0 seconds: a file with no sound in it).
inline void writeTone(const std::filesystem::path& file, double seconds, double frequency, double amplitude, int rate = 22050)
{
    const auto frames = std::uint32_t(seconds * rate);
    std::ofstream out(file, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + frames * 2);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(std::uint32_t(rate));
    u32(std::uint32_t(rate) * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i)
        u16(std::uint16_t(std::int16_t(std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequency * i / rate)))));
}

inline std::uintmax_t capturedBytes(const std::filesystem::path& capture)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(capture, error);
    return error ? 0 : size;
}

struct Heard {
    double seconds = 0;
    double rms = 0;
};

// What was played since `from` (bytes into the capture): the span above the noise floor
// and its level.
inline Heard heardSince(const std::filesystem::path& capture, std::uintmax_t from)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // the driver writes a buffer behind
    std::ifstream in(capture, std::ios::binary);
    in.seekg(std::streamoff(from));
    std::vector<float> left;
    float pair[2];
    while (in.read(reinterpret_cast<char*>(pair), sizeof pair))
        left.push_back(pair[0]);
    std::size_t first = left.size(), last = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::fabs(left[i]) > 0.01f) {
            first = std::min(first, i);
            last = i;
        }
    }
    Heard heard;
    if (first >= left.size())
        return heard;
    double sum = 0;
    for (std::size_t i = first; i <= last; ++i)
        sum += double(left[i]) * left[i];
    heard.seconds = double(last - first + 1) / 48000;
    heard.rms = std::sqrt(sum / double(last - first + 1));
    return heard;
}

} // namespace testing_support

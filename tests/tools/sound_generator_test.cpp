// sound_generator runs here as a developer runs it, into a temporary folder. Every sound it
// writes must be ready to ship, and the copies in data/sounds/ must be exactly what it
// writes today.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

constexpr int kFullScale = 32767;
constexpr int kSamplesPerMs = 22050 / 1000;
constexpr std::array kSoundNames = { "Alarm1.wav", "Alarm2.wav", "Alarm3.wav", "Alarm4.wav",
    "Alarm5.wav", "Alarm6.wav", "Chime1.wav", "Chime2.wav" };

std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// The generator's output for the whole test program, written once into a folder of its own.
class GeneratedSounds {
public:
    GeneratedSounds()
    {
        std::string pattern
            = (std::filesystem::temp_directory_path() / "tkw-sounds-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        m_folder = pattern;
        const std::string command
            = std::string("'") + TKW_SOUND_GENERATOR + "' '" + m_folder.string() + "' > /dev/null";
        m_status = std::system(command.c_str());
    }
    ~GeneratedSounds()
    {
        std::error_code ignored; // a leftover temporary folder must not fail the run
        std::filesystem::remove_all(m_folder, ignored);
    }
    bool succeeded() const
    {
        return !m_folder.empty() && WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0;
    }
    std::string bytesOf(const char* name) const { return readBytes(m_folder / name); }

private:
    std::filesystem::path m_folder;
    int m_status = -1;
};

const GeneratedSounds& generated()
{
    static const GeneratedSounds sounds;
    return sounds;
}

std::uint32_t littleEndian(const std::string& bytes, std::size_t offset, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// The samples after the 44-byte header; the header itself is checked by its own test.
std::vector<int> samplesOf(const std::string& bytes)
{
    std::vector<int> samples;
    for (std::size_t offset = 44; offset + 1 < bytes.size(); offset += 2)
        samples.push_back(static_cast<std::int16_t>(littleEndian(bytes, offset, 2)));
    return samples;
}

struct Sound {
    std::string name;
    std::string bytes;
    std::vector<int> samples;
};

// Every test looks at all eight sounds, so that the generator runs once per test process.
class ShippedSounds : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(generated().succeeded());
        for (const char* name : kSoundNames) {
            auto bytes = generated().bytesOf(name);
            ASSERT_GE(bytes.size(), 44u) << name;
            auto samples = samplesOf(bytes);
            m_sounds.push_back({ name, std::move(bytes), std::move(samples) });
        }
    }
    std::vector<Sound> m_sounds;
};

} // namespace

TEST_F(ShippedSounds, AreMono16BitPcmAt22050Hz)
{
    for (const auto& [name, bytes, samples] : m_sounds) {
        SCOPED_TRACE(name);
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(littleEndian(bytes, 4, 4), bytes.size() - 8);
        EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(littleEndian(bytes, 16, 4), 16u); // plain PCM format block
        EXPECT_EQ(littleEndian(bytes, 20, 2), 1u); // PCM
        EXPECT_EQ(littleEndian(bytes, 22, 2), 1u); // channels
        EXPECT_EQ(littleEndian(bytes, 24, 4), 22050u);
        EXPECT_EQ(littleEndian(bytes, 28, 4), 44100u); // bytes per second
        EXPECT_EQ(littleEndian(bytes, 32, 2), 2u); // bytes per frame
        EXPECT_EQ(littleEndian(bytes, 34, 2), 16u); // bits per sample
        EXPECT_EQ(bytes.substr(36, 4), "data");
        EXPECT_EQ(littleEndian(bytes, 40, 4), bytes.size() - 44);
    }
}

TEST_F(ShippedSounds, LastAsLongAsTheirKindShould)
{
    for (const auto& [name, bytes, samples] : m_sounds) {
        SCOPED_TRACE(name);
        const double seconds = samples.size() / 22050.0;
        const bool alarm = name.starts_with("Alarm");
        EXPECT_GE(seconds, alarm ? 2.0 : 1.0);
        EXPECT_LE(seconds, alarm ? 4.0 : 2.5);
    }
}

TEST_F(ShippedSounds, PeakAtMinusOneDecibelWithoutDcOffset)
{
    for (const auto& [name, bytes, samples] : m_sounds) {
        SCOPED_TRACE(name);
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        EXPECT_NEAR(std::max(-*low, *high), 29204, 50);
        const double sum = double(std::accumulate(samples.begin(), samples.end(), 0LL));
        EXPECT_LE(std::abs(sum / samples.size()), 0.005 * kFullScale);
    }
}

// A smooth fade of at least 5 ms in and 20 ms out keeps the first millisecond and the last
// four below an eighth of full scale, however loud the sound is right after or right before.
TEST_F(ShippedSounds, FadeInFromSilenceAndOutToSilence)
{
    for (const auto& [name, bytes, samples] : m_sounds) {
        SCOPED_TRACE(name);
        EXPECT_LE(std::abs(samples.front()), 32);
        EXPECT_LE(std::abs(samples.back()), 32);
        const auto firstMs = std::max_element(samples.begin(), samples.begin() + kSamplesPerMs,
            [](int a, int b) { return std::abs(a) < std::abs(b); });
        EXPECT_LE(std::abs(*firstMs), kFullScale / 8);
        const auto lastMs = std::max_element(samples.end() - 4 * kSamplesPerMs, samples.end(),
            [](int a, int b) { return std::abs(a) < std::abs(b); });
        EXPECT_LE(std::abs(*lastMs), kFullScale / 8);
    }
}

// A step between neighbouring samples cannot tell a click from a high whistle, which moves
// most of full scale from one sample to the next. But every sound keeps below 8 kHz, while
// a jump in the waveform spreads over all frequencies: what passes a 9.3 kHz high-pass
// filter is a click.
TEST_F(ShippedSounds, HaveNoClicks)
{
    constexpr double kPi = 3.14159265358979323846;
    constexpr int kHalf = 50;
    constexpr double kCutoff = 9300.0 / 22050.0;
    std::array<double, 2 * kHalf + 1> lowPass {};
    for (int n = -kHalf; n <= kHalf; ++n) {
        const double sinc = n == 0 ? 2 * kCutoff : std::sin(2 * kPi * kCutoff * n) / (kPi * n);
        const double blackman
            = 0.42 + 0.5 * std::cos(kPi * n / kHalf) + 0.08 * std::cos(2 * kPi * n / kHalf);
        lowPass[n + kHalf] = sinc * blackman;
    }
    for (const auto& [name, bytes, samples] : m_sounds) {
        double loudest = 0.0;
        std::size_t loudestAt = 0;
        for (std::size_t i = kHalf; i + kHalf < samples.size(); ++i) {
            double low = 0.0;
            for (int n = -kHalf; n <= kHalf; ++n)
                low += lowPass[n + kHalf] * samples[i + n];
            if (std::abs(samples[i] - low) > loudest) {
                loudest = std::abs(samples[i] - low);
                loudestAt = i;
            }
        }
        EXPECT_LE(loudest, 25.0) << name << " at sample " << loudestAt;
    }
}

TEST_F(ShippedSounds, CheckedInCopiesAreWhatTheGeneratorWrites)
{
    for (const auto& [name, bytes, samples] : m_sounds) {
        const auto checkedIn
            = readBytes(std::filesystem::path(TKW_SOURCE_DIR) / "data/sounds" / name);
        EXPECT_TRUE(checkedIn == bytes) << name << " differs: run sound_generator data/sounds";
    }
}

TEST_F(ShippedSounds, AreEightDifferentSounds)
{
    std::vector<std::string> contents;
    for (const auto& sound : m_sounds)
        contents.push_back(sound.bytes);
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(std::adjacent_find(contents.begin(), contents.end()), contents.end());
}

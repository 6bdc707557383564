// The audio engine heard through SDL's disk driver: everything the process plays lands in a
// raw file (48 kHz stereo float), and the tests look at what was appended while they played.

#include "platform/audio.h"

#include "platform/events.h"
#include "platform/handle.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

std::filesystem::path captureFile()
{
    static const std::filesystem::path file = [] {
        auto path = std::filesystem::temp_directory_path() / ("tkw-audio-" + std::to_string(::getpid()) + ".raw");
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        static const std::string* doomed = new std::string(path.string());
        std::atexit([] { std::remove(doomed->c_str()); });
        return path;
    }();
    return file;
}

// A mono 16-bit WAV of a sine tone.
void writeTone(const std::filesystem::path& file, double seconds, double frequency, double amplitude, int rate = 44100)
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

struct Heard {
    double seconds = 0; // from the first to the last sample above the noise floor
    double rms = 0;     // over that span, left channel
};

Heard listen(std::uintmax_t from)
{
    std::this_thread::sleep_for(150ms); // the driver writes a buffer behind
    std::ifstream in(captureFile(), std::ios::binary);
    in.seekg(std::streamoff(from));
    std::vector<float> samples;
    float pair[2];
    while (in.read(reinterpret_cast<char*>(pair), sizeof pair))
        samples.push_back(pair[0]);
    std::size_t first = samples.size(), last = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) > 0.01f) {
            first = std::min(first, i);
            last = i;
        }
    }
    Heard heard;
    if (first >= samples.size())
        return heard;
    double sum = 0;
    for (std::size_t i = first; i <= last; ++i)
        sum += double(samples[i]) * samples[i];
    heard.seconds = double(last - first + 1) / 48000;
    heard.rms = std::sqrt(sum / double(last - first + 1));
    return heard;
}

std::uintmax_t captured()
{
    std::error_code error;
    const auto size = std::filesystem::file_size(captureFile(), error);
    return error ? 0 : size;
}

class AudioOutput : public testing_support::DeviceTest {
protected:
    AudioOutput()
    {
        captureFile();
        std::filesystem::create_directories(m_device.root() / "Windows");
        writeTone(m_device.root() / "Windows" / "Tone.wav", 0.4, 1000, 0.5);
        waveOutSetVolume(nullptr, 0xffffffffu);
    }
};

} // namespace

TEST_F(AudioOutput, SoundApiPlaysTheWholeFileAndSetsItsWaitHandle)
{
    HSOUND sound = nullptr;
    ASSERT_EQ(SndOpen(u"\\Windows\\Tone.wav", &sound), S_OK);
    HANDLE done = nullptr;
    ASSERT_EQ(SndGetWaitHandle(sound, &done), S_OK);
    const auto before = captured();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(SndPlayAsync(sound, 0), S_OK);
    EXPECT_EQ(WaitForSingleObject(done, 0), WAIT_TIMEOUT);
    ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms); // it took about as long as it lasts
    const Heard heard = listen(before);
    EXPECT_NEAR(heard.seconds, 0.4, 0.03);
    EXPECT_NEAR(heard.rms, 0.5 / std::sqrt(2.0), 0.03);
    EXPECT_EQ(SndClose(sound), S_OK);
    EXPECT_EQ(SndClose(sound), E_FAIL); // closed handles are refused, not followed
}

TEST_F(AudioOutput, MasterVolumeScalesWhatIsHeard)
{
    ASSERT_EQ(waveOutSetVolume(nullptr, 0x80008000u), MMSYSERR_NOERROR);
    const auto before = captured();
    ASSERT_TRUE(PlaySoundW(u"\\Windows\\Tone.wav", nullptr, SND_SYNC | SND_FILENAME));
    const Heard heard = listen(before);
    EXPECT_NEAR(heard.rms, 0.5 / std::sqrt(2.0) * 0x8000 / 0xffff, 0.02);
    DWORD volume = 0;
    EXPECT_EQ(waveOutGetVolume(nullptr, &volume), MMSYSERR_NOERROR);
    EXPECT_EQ(volume, 0x80008000u);
}

TEST_F(AudioOutput, StoppingEndsTheSoundEarlyAndSetsItsHandle)
{
    writeTone(m_device.root() / "Windows" / "Long.wav", 3.0, 440, 0.5, 22050);
    HSOUND sound = nullptr;
    ASSERT_EQ(SndOpen(u"\\Windows\\Long.wav", &sound), S_OK);
    HANDLE done = nullptr;
    ASSERT_EQ(SndGetWaitHandle(sound, &done), S_OK);
    const auto before = captured();
    ASSERT_EQ(SndPlayAsync(sound, 0), S_OK);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(platform::playingSoundCount(), 1);
    ASSERT_EQ(SndStop(SND_SCOPE_PROCESS, nullptr), S_OK);
    EXPECT_EQ(WaitForSingleObject(done, 0), WAIT_OBJECT_0);
    EXPECT_EQ(platform::playingSoundCount(), 0);
    EXPECT_LT(listen(before).seconds, 1.0);
    EXPECT_EQ(SndClose(sound), S_OK);
}

TEST_F(AudioOutput, MissingFileIsSilentAndReturnsAtOnce)
{
    HSOUND sound = nullptr;
    EXPECT_EQ(SndOpen(u"\\Windows\\None", &sound), E_FAIL);
    EXPECT_EQ(sound, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(PlaySoundW(u"\\Windows\\None", nullptr, SND_SYNC));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0)); // stopping nothing is fine
}

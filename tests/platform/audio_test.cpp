// The audio engine heard through SDL's disk driver: everything the process plays lands in a
// raw file (48 kHz stereo float), and the tests look at what was appended while they played.

#include "platform/audio.h"

#include "platform/events.h"
#include "platform/handle.h"
#include "tests/support/device_fixture.h"
#include "tests/support/sound_capture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <poll.h>
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

using testing_support::Heard;
using testing_support::writeTone;

Heard listen(std::uintmax_t from) { return testing_support::heardSince(captureFile(), from); }

std::uintmax_t captured() { return testing_support::capturedBytes(captureFile()); }

// Whether a descriptor turns readable within `timeout`.
bool readableWithin(int descriptor, std::chrono::milliseconds timeout)
{
    pollfd watch { descriptor, POLLIN, 0 };
    return ::poll(&watch, 1, int(timeout.count())) == 1 && (watch.revents & POLLIN);
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

TEST_F(AudioOutput, APreloadedSoundIsDecodedAnewOnceItsFileWasRewritten)
{
    const auto tone = m_device.root() / "Windows" / "Tone.wav";
    ASSERT_TRUE(platform::preloadSound(u"\\Windows\\Tone.wav"));
    EXPECT_FALSE(platform::preloadSound(u"\\Windows\\None"));
    EXPECT_TRUE(platform::openAudioOutput());
    auto before = captured();
    ASSERT_TRUE(PlaySoundW(u"\\Windows\\Tone.wav", nullptr, SND_SYNC | SND_FILENAME));
    EXPECT_NEAR(listen(before).rms, 0.5 / std::sqrt(2.0), 0.03);

    // The same length at half the level, so the same size, written a moment later: the
    // file is heard as it is now.
    const auto written = std::filesystem::last_write_time(tone);
    writeTone(tone, 0.4, 1000, 0.25);
    std::filesystem::last_write_time(tone, written + 2s);
    before = captured();
    HSOUND sound = nullptr;
    ASSERT_EQ(SndOpen(u"\\Windows\\Tone.wav", &sound), S_OK);
    HANDLE done = nullptr;
    ASSERT_EQ(SndGetWaitHandle(sound, &done), S_OK);
    ASSERT_EQ(SndPlayAsync(sound, 0), S_OK);
    ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    const Heard heard = listen(before);
    EXPECT_NEAR(heard.seconds, 0.4, 0.03);
    EXPECT_NEAR(heard.rms, 0.25 / std::sqrt(2.0), 0.02);
    EXPECT_EQ(SndClose(sound), S_OK);
}

TEST_F(AudioOutput, TheEndDescriptorTurnsReadableWithTheWaitHandleAndIsClearedByTheNextPlay)
{
    writeTone(m_device.root() / "Windows" / "Long.wav", 3.0, 440, 0.5, 22050);
    HSOUND sound = nullptr;
    ASSERT_EQ(SndOpen(u"\\Windows\\Tone.wav", &sound), S_OK);
    HANDLE done = nullptr;
    ASSERT_EQ(SndGetWaitHandle(sound, &done), S_OK);
    const int end = platform::soundEndDescriptor(sound);
    ASSERT_GE(end, 0);
    EXPECT_FALSE(readableWithin(end, 0ms));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(SndPlayAsync(sound, 0), S_OK);
    EXPECT_FALSE(readableWithin(end, 100ms));
    ASSERT_TRUE(readableWithin(end, 5000ms)); // the 0.4 s tone's end
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_EQ(WaitForSingleObject(done, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(readableWithin(end, 0ms)); // it stays readable for every watcher

    // Played again, it waits for the new end; stopped, it ends at once.
    ASSERT_EQ(SndPlayAsync(sound, 0), S_OK);
    EXPECT_FALSE(readableWithin(end, 0ms));
    ASSERT_EQ(SndStop(SND_SCOPE_PROCESS, nullptr), S_OK);
    EXPECT_TRUE(readableWithin(end, 0ms));
    EXPECT_EQ(SndClose(sound), S_OK);
    EXPECT_EQ(platform::soundEndDescriptor(sound), -1); // closed with the sound

    // The media player's own descriptor follows its plays the same way.
    auto player = platform::MediaPlayer::create();
    ASSERT_TRUE(player);
    player->setAutoStart(false);
    ASSERT_TRUE(player->setUrl(u"\\Windows\\Long.wav"));
    ASSERT_GE(player->endDescriptor(), 0);
    player->play();
    EXPECT_FALSE(readableWithin(player->endDescriptor(), 200ms));
    player->stop();
    EXPECT_TRUE(readableWithin(player->endDescriptor(), 0ms));
    player->play();
    EXPECT_FALSE(readableWithin(player->endDescriptor(), 0ms));
    player->close();
}

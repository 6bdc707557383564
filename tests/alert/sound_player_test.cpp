#include "alert/sound_player.h"

#include "platform/power.h"
#include "platform/registry.h"
#include "tests/alert/tone.h"
#include "tests/support/device_fixture.h"

#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <thread>

using alert::SoundPlayer;
using namespace alert_testing;

namespace {

class SoundPlayers : public testing_support::DeviceTest {
protected:
    SoundPlayers()
    {
        std::filesystem::create_directories(m_device.root() / "Windows");
        writeTone(m_device.root() / "Windows" / "Alarm1.wav", 0.5, 880, 0.5);
        waveOutSetVolume(nullptr, 0xffffffffu);
    }

    static void switchOff(const char16_t* facility)
    {
        ASSERT_TRUE(platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey, facility, 0));
    }
};

// CPU time of the calling thread, in seconds: what a wait on it costs.
double threadCpuSeconds()
{
    timespec used { };
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return double(used.tv_sec) + double(used.tv_nsec) / 1e9;
}

} // namespace

TEST_F(SoundPlayers, EachFacilityPlaysTheWholeSoundAndWaitsForItsEnd)
{
    for (const auto expected : { SoundPlayer::Facility::SoundApi, SoundPlayer::Facility::MediaPlayer,
             SoundPlayer::Facility::PlainCall }) {
        SoundPlayer player;
        const bool created = player.create(u"\\Windows\\Alarm1.wav");
        ASSERT_EQ(player.facility(), expected);
        EXPECT_EQ(created, expected != SoundPlayer::Facility::PlainCall);
        ASSERT_TRUE(player.open(u"\\Windows\\Alarm1.wav", true) || expected == SoundPlayer::Facility::PlainCall);
        const auto before = captured();
        QElapsedTimer took;
        took.start();
        player.playAndWait();
        EXPECT_GE(took.elapsed(), 400) << int(expected);
        const Heard heard = heardSince(before);
        EXPECT_NEAR(heard.seconds, 0.5, 0.04) << int(expected);
        // The media player plays at its own full volume; all play at the device's volume.
        EXPECT_NEAR(heard.rms, 0.5 / std::sqrt(2.0), 0.04) << int(expected);
        player.close();
        // The next facility down.
        if (expected == SoundPlayer::Facility::SoundApi)
            switchOff(u"SoundApi");
        else if (expected == SoundPlayer::Facility::MediaPlayer)
            switchOff(u"MediaPlayer");
    }
}

TEST_F(SoundPlayers, MissingFileIsSilentAndReturnsAtOnce)
{
    SoundPlayer player;
    ASSERT_TRUE(player.create());
    EXPECT_FALSE(player.open(u"\\Windows\\None", true));
    QElapsedTimer took;
    took.start();
    player.playAndWait();
    EXPECT_LT(took.elapsed(), 500);
}

TEST_F(SoundPlayers, MediaThatNeverStartsEndsTheWaitAfterFiveSeconds)
{
    switchOff(u"SoundApi");
    writeTone(m_device.root() / "Windows" / "Empty.wav", 0, 440, 0.5);
    SoundPlayer player;
    ASSERT_TRUE(player.create());
    ASSERT_EQ(player.facility(), SoundPlayer::Facility::MediaPlayer);
    EXPECT_FALSE(player.open(u"\\Windows\\Empty.wav", false));
    QElapsedTimer took;
    took.start();
    player.playAndWait();
    EXPECT_GE(took.elapsed(), 5000);
    EXPECT_LT(took.elapsed(), 6500);
}

TEST_F(SoundPlayers, StopFromAnEventHandlerEndsTheWait)
{
    writeTone(m_device.root() / "Windows" / "Long.wav", 4.0, 440, 0.5);
    for (const bool mediaPlayer : { false, true }) {
        if (mediaPlayer)
            switchOff(u"SoundApi");
        SoundPlayer player;
        player.create();
        ASSERT_TRUE(player.open(u"\\Windows\\Long.wav", true));
        QTimer::singleShot(300, [&] { player.stop(); });
        QElapsedTimer took;
        took.start();
        player.playAndWait();
        EXPECT_LT(took.elapsed(), 1500) << mediaPlayer;
        EXPECT_TRUE(player.stopped());
    }
}

TEST_F(SoundPlayers, APlayStartedAheadIsTheOneTheNextPlayAndWaitWaitsFor)
{
    for (const bool mediaPlayer : { false, true }) {
        if (mediaPlayer)
            switchOff(u"SoundApi");
        SoundPlayer player;
        ASSERT_TRUE(player.create(u"\\Windows\\Alarm1.wav"));
        const auto before = captured();
        player.startPlay();
        std::this_thread::sleep_for(std::chrono::milliseconds(250)); // the caller's other work
        player.playAndWait();
        // One play of half a second: not a second one started after the first.
        EXPECT_NEAR(heardSince(before).seconds, 0.5, 0.04) << mediaPlayer;

        // Stopped before anyone waits for it, it is over: the wait starts nothing new.
        const auto again = captured();
        player.startPlay();
        player.stop();
        player.playAndWait();
        EXPECT_LT(heardSince(again).seconds, 0.3) << mediaPlayer;
        EXPECT_TRUE(player.stopped());
        player.close();
    }
}

TEST_F(SoundPlayers, MediaPlayerGetsItsVolumeBackWhenClosed)
{
    switchOff(u"SoundApi");
    auto probe = platform::MediaPlayer::create();
    ASSERT_TRUE(probe);
    probe->setVolume(35);
    probe.reset();
    {
        SoundPlayer player;
        ASSERT_TRUE(player.create(u"\\Windows\\Alarm1.wav"));
        EXPECT_EQ(platform::MediaPlayer::create()->volume(), 100); // raised for the alert
    }
    EXPECT_EQ(platform::MediaPlayer::create()->volume(), 35);
}

TEST_F(SoundPlayers, TheWaitSleepsUntilTheSoundEndsWhileTheEventsGoOn)
{
    writeTone(m_device.root() / "Windows" / "Second.wav", 1.0, 440, 0.5);
    for (const bool mediaPlayer : { false, true }) {
        if (mediaPlayer)
            switchOff(u"SoundApi");
        SoundPlayer player;
        ASSERT_TRUE(player.create(u"\\Windows\\Second.wav"));
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(100);
        const double cpuBefore = threadCpuSeconds();
        QElapsedTimer took;
        took.start();
        player.playAndWait();
        const double cpu = threadCpuSeconds() - cpuBefore;
        EXPECT_GE(took.elapsed(), 900) << mediaPlayer;
        EXPECT_LT(took.elapsed(), 1600) << mediaPlayer; // over with the sound
        EXPECT_GE(ticks, 7) << mediaPlayer;
        // A wait that kept looking for the end would have used about the whole second.
        EXPECT_LT(cpu, 0.25) << mediaPlayer;
        player.close();
    }
}

TEST_F(SoundPlayers, AMediaPlayEndedBehindThePlayersBackIsWaitedOutUntilStopWithoutSpinning)
{
    switchOff(u"SoundApi");
    writeTone(m_device.root() / "Windows" / "Long.wav", 4.0, 440, 0.5);
    SoundPlayer player;
    ASSERT_TRUE(player.create(u"\\Windows\\Long.wav"));
    ASSERT_EQ(player.facility(), SoundPlayer::Facility::MediaPlayer);
    // Every sound of the process is stopped under the player, which still reads as playing;
    // its end has come and gone, and only Stop ends the wait.
    QTimer::singleShot(300, [] { SndStop(SND_SCOPE_PROCESS, nullptr); });
    QTimer::singleShot(1000, [&] { player.stop(); });
    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer took;
    took.start();
    player.playAndWait();
    const double cpu = threadCpuSeconds() - cpuBefore;
    EXPECT_GE(took.elapsed(), 900);
    EXPECT_LT(took.elapsed(), 2500);
    EXPECT_TRUE(player.stopped());
    EXPECT_LT(cpu, 0.25);
}

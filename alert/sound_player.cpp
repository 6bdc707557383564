#include "alert/sound_player.h"

#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <utility>

namespace alert {

namespace {

// One turn of the GUI thread's events; false when the application is ending.
bool pumpOnce()
{
    if (!QCoreApplication::instance() || QCoreApplication::closingDown())
        return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return true;
}

bool fileExists(const std::u16string& path) { return platform::fileExists(path); }

} // namespace

SoundPlayer::~SoundPlayer() { close(); }

bool SoundPlayer::makeMediaPlayer()
{
    m_player = platform::MediaPlayer::create();
    if (!m_player)
        return false;
    m_player->setAutoStart(false);
    // The volume before the first player of this sound player is the user's; a player made
    // again for the next file would only see the 100 set here.
    if (m_savedVolume == -1)
        m_savedVolume = m_player->volume();
    m_player->setVolume(100);
    return true;
}

bool SoundPlayer::create(const std::u16string& path)
{
    if (m_player)
        return path.empty() || open(path, false);
    if (platform::soundApiAvailable()) {
        m_facility = Facility::SoundApi;
        m_path = path;
        return true;
    }
    if (!makeMediaPlayer()) {
        m_facility = Facility::PlainCall;
        m_path = path;
        return false;
    }
    m_facility = Facility::MediaPlayer;
    if (!path.empty() && !open(path, false)) {
        close();
        return false;
    }
    return true;
}

bool SoundPlayer::open(const std::u16string& path, bool waitForFile)
{
    if (path.empty())
        return false;
    if (m_facility == Facility::SoundApi) {
        m_path = path;
        return !waitForFile || fileExists(path);
    }
    if (!m_player) {
        m_path = path;
        return false;
    }
    if (waitForFile) {
        for (int look = 0; look < 3 && !fileExists(path); ++look)
            Sleep(200);
        if (!fileExists(path))
            return false;
    }
    // A fresh player for each file, as the control wants.
    m_player->close();
    m_player.reset();
    if (!makeMediaPlayer())
        return false;
    m_path = path;
    return m_player->setUrl(path) || m_player->setUrl(path);
}

void SoundPlayer::forgetSound()
{
    if (m_sound) {
        SndClose(m_sound);
        m_sound = nullptr;
    }
}

void SoundPlayer::play()
{
    switch (m_facility) {
    case Facility::SoundApi:
        if (m_sound) {
            SndStop(SND_SCOPE_PROCESS, nullptr);
            Sleep(100);
            forgetSound();
        }
        if (m_path && SndOpen(m_path->c_str(), &m_sound) == S_OK)
            SndPlayAsync(m_sound, 0);
        else
            m_sound = nullptr;
        break;
    case Facility::MediaPlayer:
        if (m_player) {
            m_player->stop();
            m_player->setPosition(0.0);
            m_player->play();
        }
        break;
    case Facility::PlainCall:
        if (m_path)
            PlaySoundW(m_path->c_str(), nullptr, SND_ASYNC | SND_FILENAME);
        break;
    }
}

void SoundPlayer::startPlay()
{
    m_stopped = false;
    m_playBegun = m_facility != Facility::PlainCall && beginPlay();
}

void SoundPlayer::playAndWait()
{
    if (!std::exchange(m_playBegun, false)) {
        m_stopped = false;
        if (!beginPlay())
            return;
    }
    waitForPlay();
}

bool SoundPlayer::beginPlay()
{
    switch (m_facility) {
    case Facility::SoundApi:
        if (m_sound) {
            // A sound still open from Play: end it instead of waiting on it.
            forgetSound();
            SndStop(SND_SCOPE_PROCESS, nullptr);
            Sleep(100);
            m_stopped = true;
            return false;
        }
        if (!m_path || SndOpen(m_path->c_str(), &m_sound) != S_OK) {
            m_sound = nullptr;
            return false; // a file that cannot be opened is silent
        }
        SndPlayAsync(m_sound, 0);
        SndGetWaitHandle(m_sound, &m_soundDone);
        return true;
    case Facility::MediaPlayer:
        if (!m_player)
            return false;
        m_player->stop();
        m_player->setPosition(0.0);
        m_player->play();
        m_mediaStarted.start();
        return true;
    case Facility::PlainCall:
        return m_path.has_value();
    }
    return false;
}

void SoundPlayer::waitForPlay()
{
    switch (m_facility) {
    case Facility::SoundApi: {
        // Stop forgets the sound, and its end with it.
        while (m_sound && !m_stopped && WaitForSingleObject(m_soundDone, 0) != WAIT_OBJECT_0) {
            if (!pumpOnce())
                break;
        }
        m_soundDone = nullptr;
        forgetSound();
        SndStop(SND_SCOPE_PROCESS, nullptr);
        Sleep(100);
        return;
    }
    case Facility::MediaPlayer: {
        if (!m_player)
            return;
        qint64 startLimitMs = 5000;
        for (;;) {
            const bool going = pumpOnce();
            const auto state = m_player->playState();
            if (state == platform::MediaPlayer::Playing)
                startLimitMs = 0;
            if (!going || m_mediaStarted.elapsed() >= startLimitMs) {
                using State = platform::MediaPlayer::PlayState;
                if (state == State::MediaEnded || state == State::Stopped || state == State::Ready
                    || state == State::Undefined || !going) {
                    m_player->setPosition(0.0);
                    return;
                }
            }
            if (m_stopped) {
                m_player->stop();
                return;
            }
        }
    }
    case Facility::PlainCall:
        if (m_path)
            PlaySoundW(m_path->c_str(), nullptr, SND_SYNC | SND_FILENAME);
        return;
    }
}

void SoundPlayer::stop()
{
    m_stopped = true;
    if (m_facility == Facility::SoundApi) {
        if (m_sound) {
            SndStop(SND_SCOPE_PROCESS, nullptr);
            forgetSound();
        }
        Sleep(350);
    } else if (m_player) {
        m_player->stop();
    }
}

void SoundPlayer::close()
{
    m_playBegun = false;
    if (m_facility == Facility::SoundApi) {
        if (m_sound) {
            forgetSound();
            SndStop(SND_SCOPE_PROCESS, nullptr);
            Sleep(200);
        }
    } else if (m_player) {
        if (m_savedVolume != -1)
            m_player->setVolume(m_savedVolume);
        m_player->stop();
        m_stopped = true;
        Sleep(200);
        m_player->close();
        Sleep(200);
        m_player.reset();
        m_savedVolume = -1;
    }
    m_path.reset();
}

void SoundPlayer::setPath(const std::u16string& path)
{
    close();
    m_path = path;
}

} // namespace alert

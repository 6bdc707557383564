#include "alert/sound_player.h"

#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

namespace alert {

namespace {

// The exit code of a wait's own loop, told from the application's quit, which ends every
// loop of the thread with 0 (or makes them return -1 at once).
constexpr int kOwnExit = 1;

// A sound whose end cannot be watched (no descriptor was to be had) is looked at this often.
constexpr int kEndLookMs = 50;

constexpr qint64 kMediaStartLimitMs = 5000;

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
    endWait();
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
            const int end = platform::soundEndDescriptor(m_sound);
            const WaitEnd woke = runEventsUntil(end, end >= 0 ? -1 : kEndLookMs);
            if (woke == WaitEnd::ApplicationEnding)
                break;
            if (woke == WaitEnd::Ended && WaitForSingleObject(m_soundDone, 0) != WAIT_OBJECT_0)
                break; // the descriptor and the handle disagree: nothing left to wait for
        }
        m_soundDone = nullptr;
        forgetSound();
        SndStop(SND_SCOPE_PROCESS, nullptr);
        Sleep(100);
        return;
    }
    case Facility::MediaPlayer:
        waitForMedia();
        return;
    case Facility::PlainCall:
        if (m_path)
            PlaySoundW(m_path->c_str(), nullptr, SND_SYNC | SND_FILENAME);
        return;
    }
}

void SoundPlayer::waitForMedia()
{
    if (!m_player)
        return;
    using State = platform::MediaPlayer::PlayState;
    const int descriptor = m_player->endDescriptor();
    const bool looking = descriptor < 0; // nothing to watch: the state is looked at instead
    int watched = descriptor;
    // Until the play has begun, it gets its start limit before a state of rest counts as its
    // end; a play that has ended had begun.
    bool begun = false;
    for (;;) {
        const State state = m_player->playState();
        begun = begun || state == State::Playing || state == State::MediaEnded;
        const qint64 startLeftMs = begun ? 0 : std::max<qint64>(0, kMediaStartLimitMs - m_mediaStarted.elapsed());
        const bool atRest = state == State::MediaEnded || state == State::Stopped || state == State::Ready
            || state == State::Undefined;
        if (startLeftMs == 0 && atRest) {
            m_player->setPosition(0.0);
            return;
        }
        if (m_stopped) {
            m_player->stop();
            return;
        }
        const int limitMs = looking ? kEndLookMs : startLeftMs > 0 ? int(startLeftMs) : -1;
        const WaitEnd woke = runEventsUntil(watched, limitMs);
        if (woke == WaitEnd::ApplicationEnding) {
            m_player->setPosition(0.0);
            return;
        }
        // The descriptor stays readable; unless the play has ended, which the next look
        // returns for, it was ended behind the player's back (every sound of the process was
        // stopped) and only Stop or the start limit is left to end the wait.
        if (woke == WaitEnd::Ended && m_player->playState() != State::MediaEnded)
            watched = -1;
    }
}

SoundPlayer::WaitEnd SoundPlayer::runEventsUntil(int endDescriptor, int limitMs)
{
    if (!QCoreApplication::instance() || QCoreApplication::closingDown())
        return WaitEnd::ApplicationEnding;
    QEventLoop loop;
    WaitEnd woke = WaitEnd::Stopped;
    std::optional<QSocketNotifier> endWatch;
    if (endDescriptor >= 0) {
        endWatch.emplace(qintptr(endDescriptor), QSocketNotifier::Read);
        QObject::connect(&*endWatch, &QSocketNotifier::activated, &loop, [&] {
            woke = WaitEnd::Ended;
            loop.exit(kOwnExit);
        });
    }
    QTimer limit;
    if (limitMs >= 0) {
        limit.setSingleShot(true);
        limit.setTimerType(Qt::PreciseTimer);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            woke = WaitEnd::TimeUp;
            loop.exit(kOwnExit);
        });
        limit.start(limitMs);
    }
    // A wait inside an event handler of another one (a second play from there) is the one
    // that Stop ends first.
    QEventLoop* const outerWait = std::exchange(m_wait, &loop);
    QSocketNotifier* const outerWatch = std::exchange(m_endWatch, endWatch ? &*endWatch : nullptr);
    const int exit = loop.exec();
    m_wait = outerWait;
    m_endWatch = outerWatch;
    return exit == kOwnExit ? woke : WaitEnd::ApplicationEnding;
}

void SoundPlayer::endWait()
{
    if (m_endWatch)
        m_endWatch->setEnabled(false);
    if (m_wait)
        m_wait->exit(kOwnExit);
}

void SoundPlayer::stop()
{
    m_stopped = true;
    endWait();
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
    endWait();
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

#pragma once
// The sound player of alerts and previews: plays a sound file through the best facility the
// device offers, fixed when the player is created: the shell's sound API, else the media
// player, else the simple wave call.

#include "platform/audio.h"

#include <QElapsedTimer>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

class QEventLoop;
class QSocketNotifier;

namespace alert {

class SoundPlayer {
public:
    enum class Facility { SoundApi, MediaPlayer, PlainCall };

    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Chooses the facility; with the media player, opens `path` when one is given. False when
    // the media player was wanted and could not be made or opened (the path is kept for the
    // simple wave call).
    bool create(const std::u16string& path = { });
    // Takes a file (device path). `waitForFile` looks for it, with the media player three
    // more times 200 ms apart (a storage card may still be waking up).
    bool open(const std::u16string& path, bool waitForFile);
    void play();
    // Plays to the end while it runs the calling thread's events (it sleeps until one comes:
    // the sound's end, Stop from an event handler, or any other); Stop from an event handler
    // ends it. The media player gets 5 s to start playing.
    void playAndWait();
    // The first half of playAndWait, for a caller with more to do once the sound has begun:
    // starts the play and returns; the next playAndWait waits for that play instead of
    // starting another (Stop in between ends it). With the simple wave call, which cannot
    // be waited for, the play starts only in playAndWait.
    void startPlay();
    void stop();
    void close();
    void setPath(const std::u16string& path);

    [[nodiscard]] Facility facility() const { return m_facility; }
    [[nodiscard]] bool stopped() const { return m_stopped.load(); }

private:
    bool makeMediaPlayer();
    void forgetSound();
    // The halves of playAndWait; beginPlay is true when a play began that waitForPlay waits for.
    bool beginPlay();
    void waitForPlay();
    void waitForMedia();

    // Why runEventsUntil returned.
    enum class WaitEnd { Ended, TimeUp, Stopped, ApplicationEnding };
    // Runs this thread's events until `endDescriptor` turns readable (-1: no descriptor),
    // `limitMs` have passed (-1: no limit) or endWait is called. ApplicationEnding at once
    // when there are no events to run (no application, or it is ending).
    WaitEnd runEventsUntil(int endDescriptor, int limitMs);
    // Ends the wait of runEventsUntil, if one runs, and stops it watching the sound's end
    // descriptor, which may be closed next.
    void endWait();

    Facility m_facility = Facility::PlainCall;
    int m_savedVolume = -1;
    std::unique_ptr<platform::MediaPlayer> m_player;
    HSOUND m_sound = nullptr;
    HANDLE m_soundDone = nullptr;     // m_sound's end, while a play begun here runs
    QElapsedTimer m_mediaStarted;     // when the media player was told to play
    bool m_playBegun = false;         // startPlay began a play that playAndWait waits for
    QEventLoop* m_wait = nullptr;     // runEventsUntil's loop, while it runs
    QSocketNotifier* m_endWatch = nullptr; // and its watch on the end descriptor
    std::optional<std::u16string> m_path;
    std::atomic<bool> m_stopped { false };
};

} // namespace alert

#pragma once
// The main program's interval chime: a quiet second, the settings' chime sound once, two
// quiet seconds. The quiet moments are timers, not sleeps, and the sound runs the window's
// events while it plays, so the window keeps drawing and answering all through a chime.

#include <QTimer>
#include <memory>
#include <string>

namespace alert {
class SoundPlayer;
}

namespace app {

class IntervalChime {
public:
    IntervalChime();
    ~IntervalChime();
    IntervalChime(const IntervalChime&) = delete;
    IntervalChime& operator=(const IntervalChime&) = delete;

    // Starts a chime with `sound` (a device path) and returns at once; false, and nothing
    // starts, while the chime before is not over.
    bool play(const std::u16string& sound);
    // True from play() until the last quiet moment is over.
    [[nodiscard]] bool playing() const { return m_playing; }

private:
    void sound();

    std::unique_ptr<alert::SoundPlayer> m_player;
    QTimer m_quietBefore;
    QTimer m_quietAfter;
    bool m_playing = false;
};

} // namespace app

#include "app/interval_chime.h"

#include "alert/sound_player.h"

namespace app {

namespace {

constexpr int kQuietBeforeMs = 1000;
constexpr int kQuietAfterMs = 2000;

} // namespace

IntervalChime::IntervalChime()
{
    m_quietBefore.setSingleShot(true);
    m_quietBefore.setInterval(kQuietBeforeMs);
    QObject::connect(&m_quietBefore, &QTimer::timeout, [this] { sound(); });
    m_quietAfter.setSingleShot(true);
    m_quietAfter.setInterval(kQuietAfterMs);
    QObject::connect(&m_quietAfter, &QTimer::timeout, [this] { m_playing = false; });
}

// The timers go first (declared after the player): a chime cut short plays nothing more.
IntervalChime::~IntervalChime() = default;

bool IntervalChime::play(const std::u16string& sound)
{
    if (m_playing)
        return false;
    m_playing = true;
    if (!m_player)
        m_player = std::make_unique<alert::SoundPlayer>();
    m_player->setPath(sound);
    m_player->create(sound);
    (void)m_player->open(sound, true); // A sound that cannot be opened stays silent.
    m_quietBefore.start();
    return true;
}

void IntervalChime::sound()
{
    // Runs the events while the sound plays; the chime stays "playing" throughout, so a
    // tick in between does not start another.
    m_player->playAndWait();
    m_quietAfter.start();
}

} // namespace app

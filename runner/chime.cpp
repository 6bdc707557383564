#include "runner/chime.h"

#include "alarms/alarm_record.h"
#include "alert/sound_player.h"
#include "runner/startup.h"

namespace runner {

void PlayChime()
{
    const auto settings = ReadSettingsRecord();
    if (!settings || !settings->chime)
        return;
    const std::u16string sound = alarms::fieldText(settings->chimeSound);
    if (sound.empty())
        return;
    alert::SoundPlayer player;
    (void)player.create(sound); // A sound that cannot be prepared stays silent.
    StartUpWait(kChimeQuietMs);
    player.playAndWait();
    StartUpWait(kChimeQuietMs);
    player.close();
}

} // namespace runner

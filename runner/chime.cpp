#include "runner/chime.h"

#include "alarms/alarm_record.h"
#include "alert/sound_player.h"
#include "runner/startup.h"

namespace runner {

void playChime()
{
    const auto settings = readSettingsRecord();
    if (!settings || !settings->chime)
        return;
    const std::u16string sound = alarms::fieldText(settings->chimeSound);
    if (sound.empty())
        return;
    alert::SoundPlayer player;
    (void)player.create(sound); // A sound that cannot be prepared stays silent.
    startUpWait(kChimeQuietMs);
    player.playAndWait();
    startUpWait(kChimeQuietMs);
    player.close();
}

} // namespace runner

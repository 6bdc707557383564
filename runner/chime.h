#pragma once
// The interval chime, which the Today plug-in has the runner play while it is loaded.

namespace runner {

// Plays the settings' chime sound once, with a quiet moment before and after, when the
// chime is on and has a sound. Needs a QCoreApplication (the player keeps its events going).
void playChime();

} // namespace runner

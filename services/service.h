#pragma once
// The resident device service of one device root: fires wake-ups at their moment, starts
// the programs registered for time changes, and runs the power manager.

namespace services {

// Runs until SIGTERM or SIGINT, or until the device root disappears. Returns the exit
// code; 0 at once when another service already runs for this root.
int runDeviceService();

} // namespace services

#pragma once
// Asking the runner to renew every registration: the main program's troubleshooting
// button "Clear && update notifications", and `tkwctl notify renew`. Only the request lives
// here, below every program that makes it; the runner answers it at its start-up.

namespace store {

// Removes the time-change registrations that older versions of the suite left (their
// runners and watchers under "\Windows" and "\Application Data\Orvane Tickwell"), then
// starts "\Application Data\Orvane Tickwell Pro\TkEvents.exe" with "UpdateNotifications",
// which renews the rest. True when the runner started.
[[nodiscard]] bool requestRenewal();

} // namespace store

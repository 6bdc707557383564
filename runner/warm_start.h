#pragma once
// What the runner gets ready while it waits for a due item's record to settle, so that the
// sound starts as soon as the wait is over. It is a guess from the record as it reads
// before the wait, never written back: the record is read and moved on after the wait as
// always, and a sound that changed meanwhile is decoded then.

#include "runner/alert_parameters.h"
#include "runner/command_line.h"

#include <optional>

namespace runner {

// The alert the due item would give as its record reads now, without changing anything;
// nullopt when it would give none (the record cannot be read, the item is off, gone or not
// running, or its moment lies outside the alert window), and for a timer whose end is still
// more than a second ahead (the runner waits for that end before it alerts).
[[nodiscard]] std::optional<AlertParameters> peekDueAlert(const Command& command);

// For an alert that sounds: its sound decoded and kept, and the audio output opened.
// Whether there was a sound to get ready.
bool warmUpSound(const AlertParameters& alert);

} // namespace runner

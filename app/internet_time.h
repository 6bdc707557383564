#pragma once
// Internet time: the day of universal time plus one hour in 1,000 beats of 86.4 seconds.

#include "platform/types.h"

#include <optional>
#include <string>

namespace app {

// The beat (0-999) of a device local time; nullopt for a time that does not convert.
[[nodiscard]] std::optional<int> beatsFromLocalTime(const SYSTEMTIME& local);
// Three digits with leading zeros: 7 -> "007".
[[nodiscard]] std::u16string beatText(int beat);

} // namespace app

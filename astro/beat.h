#pragma once
// Internet time: the day of universal time plus one hour, in 1,000 beats of 86.4 seconds.
// Beat 0 begins at 23:00 universal time; beat 500 at 11:00.

#include "platform/types.h"

#include <optional>
#include <string>

namespace astro {

inline constexpr int kBeatsPerDay = 1000;
inline constexpr int kBeatNow = -1; // for beatText: the beat of the present moment

// The beat of a universal time (seconds and below count; the date does not).
[[nodiscard]] int beatOfUniversal(const SYSTEMTIME& universal);
// The beat of a time on the device's local clock; nullopt when the time is not a valid one.
[[nodiscard]] std::optional<int> beatOfLocal(const SYSTEMTIME& local);

// The universal time at which `beat` (0-999) begins, to the whole second (the first second
// that lies in the beat), on the beat-time day `date` (its
// year, month and day; beat days begin at 23:00 universal time of the day before). nullopt
// for a beat outside 0-999 or an invalid date.
[[nodiscard]] std::optional<SYSTEMTIME> universalOfBeat(int beat, const SYSTEMTIME& date);
// The same on the device's local clock.
[[nodiscard]] std::optional<SYSTEMTIME> localOfBeat(int beat, const SYSTEMTIME& date);

// Three digits with leading zeros ("007", "042", "541"); kBeatNow takes the device's present
// time. Other values outside 0-999 are brought into that range.
[[nodiscard]] std::u16string beatText(int beat);
// The digital clock's Internet-time item: "@" and the present beat text.
[[nodiscard]] std::u16string internetTimeItem();

} // namespace astro

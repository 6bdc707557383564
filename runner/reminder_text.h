#pragma once
// The texts of the runner's notification bubble, in the runner's six languages (0 English,
// 1 German, 2 Spanish, 3 French, 4 Italian, 5 Russian; any other index reads as English).

#include "platform/types.h"
#include "runner/command_line.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace runner {

inline constexpr std::u16string_view kBubbleTitle = u"Tickwell Pro Reminder";

enum class SoftKey { Dismiss, Snooze };
[[nodiscard]] std::u16string softKeyTitle(SoftKey key, DWORD language);

// The bubble's HTML body. `number` is the alarm's number (1-20) or the timer's index (0-15;
// shown counted from 1); events show no number. `itemTime` and `today` are already
// formatted; `note` is the item's own text (the alarm's label, the event's or timer's
// name), escaped here, and left out when empty.
[[nodiscard]] std::u16string reminderHtml(ItemKind kind, std::uint32_t number, DWORD language,
    std::u16string_view itemTime, std::u16string_view today, std::u16string_view note);

// The item's time as the device formats times by default: without seconds for alarms and
// events, with seconds for timers. Empty when the moment cannot be shown.
[[nodiscard]] std::u16string reminderItemTime(ItemKind kind, FILETIME localTime);
// Today's date in the picture "MMM dd, yyyy".
[[nodiscard]] std::u16string reminderDate(const SYSTEMTIME& today);

// Text as it stands in HTML: "&", "<", ">" and quotes escaped.
[[nodiscard]] std::u16string escapeHtml(std::u16string_view text);

} // namespace runner

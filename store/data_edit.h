#pragma once
// The one edit lock of the data files: every program of the suite that changes alarms.dat,
// timers.dat, events.dat or settings.dat takes the file's edit before it reads the copy it
// will change and keeps it until the file is written, its wake-ups are registered and the
// other programs are signalled. Nested actions of one program take it again at no cost.

#include "platform/edit_lock.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace store {

// How long an edit waits for another program's edit to end. Edits take milliseconds; this
// covers a stalled disk, and tells the user rather than freezing for good.
inline constexpr std::chrono::milliseconds kEditWait { 10'000 };

// The edit of a file of the data directory ("alarms.dat"); nullopt, with the reason, when it
// could not be had within `wait`.
[[nodiscard]] std::optional<platform::EditLock> editDataFile(std::u16string_view fileName,
    std::chrono::milliseconds wait = kEditWait, platform::EditLockError* why = nullptr);

} // namespace store

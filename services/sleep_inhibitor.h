#pragma once
// A logind sleep inhibitor, so that a machine woken for a wake-up does not fall asleep
// again before the program it woke for has started. The lock is a descriptor that closes
// on exec: the program taking over the launcher's process releases it.

#include "platform/unique_fd.h"

#include <string>

namespace services {

// The inhibitor's descriptor, or an empty one with the reason in `problem` when logind
// cannot be reached.
[[nodiscard]] platform::UniqueFd inhibitSleep(std::string& problem);

} // namespace services

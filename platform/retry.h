#pragma once
// The suite's retry rule: try once, then up to `moreAttempts` more times, `intervalMs` apart.

#include <chrono>
#include <thread>

namespace platform {

struct RetryPolicy {
    int moreAttempts;
    int intervalMs;
};

// Writes of data files: up to 10 more attempts, 100 ms apart.
inline constexpr RetryPolicy kDataFileRetry { 10, 100 };

// Calls `attempt` until it returns true or the attempts are used up; true when one succeeded.
template <typename Attempt>
[[nodiscard]] bool retry(RetryPolicy policy, Attempt&& attempt)
{
    for (int tried = 0;; ++tried) {
        if (attempt())
            return true;
        if (tried >= policy.moreAttempts)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(policy.intervalMs));
    }
}

} // namespace platform

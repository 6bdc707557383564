#pragma once
// Moments on the device's two clocks, as 100-ns ticks since 1601-01-01 00:00 (FILETIME as
// one number). LocalTicks are on the device's wall clock in its zone, UniversalTicks on
// universal time; the types keep the two apart, so that a local moment is never compared
// with, or registered as, a universal one. The only way across is a zone conversion
// (platform/calendar.h, platform/device_clock.h).

#include <chrono>
#include <compare>
#include <cstdint>

namespace platform {

// A span of ticks; std::chrono::seconds and the like convert to it.
using TickDuration = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;

template <typename Clock>
class Ticks {
public:
    constexpr Ticks() noexcept = default;
    constexpr explicit Ticks(std::uint64_t count) noexcept
        : m_count(count)
    {
    }

    // The FILETIME value, for records on disk and the platform API.
    [[nodiscard]] constexpr std::uint64_t count() const noexcept { return m_count; }

    constexpr auto operator<=>(const Ticks&) const noexcept = default;

    constexpr Ticks& operator+=(TickDuration span) noexcept
    {
        m_count += std::uint64_t(span.count()); // a negative span wraps back, as intended
        return *this;
    }
    constexpr Ticks& operator-=(TickDuration span) noexcept
    {
        m_count -= std::uint64_t(span.count());
        return *this;
    }
    friend constexpr Ticks operator+(Ticks moment, TickDuration span) noexcept { return moment += span; }
    friend constexpr Ticks operator-(Ticks moment, TickDuration span) noexcept { return moment -= span; }
    friend constexpr TickDuration operator-(Ticks later, Ticks earlier) noexcept
    {
        return TickDuration(std::int64_t(later.m_count - earlier.m_count));
    }

private:
    std::uint64_t m_count = 0;
};

struct LocalClock;     // the device's wall clock, in its zone
struct UniversalClock; // the device's universal time
using LocalTicks = Ticks<LocalClock>;
using UniversalTicks = Ticks<UniversalClock>;

} // namespace platform

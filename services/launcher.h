#pragma once
// `tkw-deviced --launch HANDLE`: the short-lived process that fires one wake-up. It takes the
// registration out of the database in one transaction and then becomes the program, so a
// registration starts its program once, even when the service dies half-way through
// firing it and fires it again after its restart.

#include <cstdint>

namespace services {

// Returns only when it did not become the program: 0 when another launcher took the
// registration first, 1 on failure.
int launchWakeUp(std::uint32_t handle);

} // namespace services

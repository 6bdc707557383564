#pragma once
// The service's log: one line per entry, with the host's local time, on standard output
// (the device root's deviced.log when the service was started on demand).

namespace services {

[[gnu::format(printf, 1, 2)]] void log(const char* format, ...);

} // namespace services

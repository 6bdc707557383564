#pragma once
// Times as tkwctl shows and reads them: ISO 8601 local times without a zone.

#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tkwctl {

// YYYY-MM-DDTHH:MM:SS
[[nodiscard]] std::string isoText(const SYSTEMTIME& time);
// YYYY-MM-DDTHH:MM[:SS]; a space may stand for the T. nullopt for anything else or a date
// that does not exist.
[[nodiscard]] std::optional<SYSTEMTIME> parseIsoLocal(const std::string& text);
// YYYY-MM-DD alone; nullopt for anything else or a date that does not exist.
[[nodiscard]] std::optional<SYSTEMTIME> parseIsoDate(const std::string& text);

// The universal time (100 ns since 1601) of a moment on the command line: one that ends in Z
// is universal already, any other is the device's local time and goes through its zone.
[[nodiscard]] std::optional<std::uint64_t> parseIsoMoment(const std::string& text);

} // namespace tkwctl

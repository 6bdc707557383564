#pragma once
// Times as tkwctl shows and reads them: ISO 8601 local times without a zone.

#include "platform/types.h"

#include <optional>
#include <string>

namespace tkwctl {

// YYYY-MM-DDTHH:MM:SS
[[nodiscard]] std::string isoText(const SYSTEMTIME& time);
// YYYY-MM-DDTHH:MM[:SS]; a space may stand for the T. nullopt for anything else or a date
// that does not exist.
[[nodiscard]] std::optional<SYSTEMTIME> parseIsoLocal(const std::string& text);

} // namespace tkwctl

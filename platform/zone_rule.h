#pragma once
// Time zones as POSIX rule strings ("CET-1CEST,M3.5.0,M10.5.0/3"), the form the host keeps
// at the end of its zoneinfo files, converted to and from the platform's zone description.

#include "platform/types.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Parses a POSIX TZ rule. A daylight name without rules gets the POSIX default rules
// (second Sunday of March to first Sunday of November, 02:00). Rules in Julian-day form
// cannot be held in day-in-month form: such a zone keeps its standard offset only.
// Transition times outside 00:00..23:59 are clamped to the day of the rule.
[[nodiscard]] std::optional<TIME_ZONE_INFORMATION> zoneFromPosixRule(std::string_view rule);

// The POSIX rule of a zone description; transition dates with a year are written without
// it, as yearly rules.
[[nodiscard]] std::string posixRuleOfZone(const TIME_ZONE_INFORMATION& zone);

// The POSIX rule in the footer of a TZif file (version 2 or later).
[[nodiscard]] std::optional<std::string> posixRuleOfZoneinfoFile(const std::filesystem::path& file);

// The host's zone: $TZ (a rule, or a zone name under /usr/share/zoneinfo), else
// /etc/localtime; universal time when neither can be read.
[[nodiscard]] TIME_ZONE_INFORMATION hostZone();

} // namespace platform

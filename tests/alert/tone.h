#pragma once
// The alert tests' capture file, and the sound helpers over it.

#include "tests/support/sound_capture.h"

#include <string>

extern std::string g_captureFile;

namespace alert_testing {

using testing_support::Heard;
using testing_support::writeTone;

inline std::uintmax_t captured() { return testing_support::capturedBytes(g_captureFile); }
inline Heard heardSince(std::uintmax_t from) { return testing_support::heardSince(g_captureFile, from); }

} // namespace alert_testing

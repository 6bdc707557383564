#pragma once
// The Moon Phases view's picture strip: 24 frames of the moon's phases, frame 0 the new
// moon, 6 the first quarter, 12 the full moon and 18 the last quarter, as seen from the
// northern hemisphere (lit from the right while waxing). Each frame is a shaded sphere with
// the main maria, on a transparent background; the unlit part shows faint earthshine.

#include <QImage>

namespace art {

inline constexpr int kMoonFrames = 24;
inline constexpr int kMoonFrameSide = 80;

[[nodiscard]] QImage moonStrip(int scale);

} // namespace art

#pragma once
// The default look's resource-pack pictures (pack/) and the two shipped skins (skins/):
// Graphite and Ocean override only some elements, so that the rest comes from the pack.

#include "tools/art_generator/canvas.h"

namespace art {

[[nodiscard]] bool writePack(PngWriter& writer, const Fonts& fonts);
[[nodiscard]] bool writeSkins(PngWriter& writer, const Fonts& fonts);

} // namespace art

#pragma once
// One page for reviewing the look at a glance: mock-ups of the views and faces at both
// scales, then every qvga picture the generator wrote, grouped by folder and labelled, with
// transparent parts on a checkerboard. (The vga pictures are the same drawings at double
// size.)

#include "tools/art_generator/canvas.h"

#include <filesystem>

namespace art {

[[nodiscard]] bool writeContactSheet(
    const PngWriter& writer, const Fonts& fonts, const std::filesystem::path& file);

} // namespace art

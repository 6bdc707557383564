#pragma once
// The four shipped clock faces (faces/<Name>/{qvga,vga}/): full-screen backgrounds of
// 240 x 320 design pixels and the elements the face files place on them. data/art/README.md
// gives every element's frame size and the places the backgrounds leave for them.

#include "tools/art_generator/canvas.h"

#include <functional>

namespace art {

// Frames 0-9 are digits, kColonFrame the colon; face strips add AM and PM as frames 11, 12.
inline constexpr int kAmFrame = 11;
inline constexpr int kPmFrame = 12;
inline constexpr int kFaceDigitFrames = 13;

[[nodiscard]] bool writeDezod(PngWriter& writer, const Fonts& fonts);
[[nodiscard]] bool writeVirevur(PngWriter& writer, const Fonts& fonts);
[[nodiscard]] bool writeOrrery(PngWriter& writer, const Fonts& fonts);
[[nodiscard]] bool writeSegment(PngWriter& writer, const Fonts& fonts);

// Helpers the faces share.

// A strip of `frames` frames of `frameWidth` x `frameHeight` design pixels; `paint` draws
// frame `index` into `frame` (design pixels, already offset to the frame's place).
[[nodiscard]] QImage frameStrip(int frames, int frameWidth, int frameHeight, int scale,
    const std::function<void(QPainter& painter, int index, const QRectF& frame)>& paint);

// The figure outlines of a font's digits 0-9, all at one size and on one baseline, so that
// they line up like the tabular figures they are. Each outline fits into a box of
// `box` size when translated by the box's top-left corner.
struct FontFigures {
    QPainterPath figures[10];
};
[[nodiscard]] FontFigures fontFigures(const Fonts& fonts, Fonts::Weight weight, QSizeF box);

// Small stars scattered over `area` in a fixed pattern (the same every run).
void scatterStars(QPainter& painter, const QRectF& area, int count, unsigned seed, QColor colour);

// Writes `image(scale)` at both scales as faces/<face>/<scale folder>/<file>.
[[nodiscard]] bool writeBothScales(PngWriter& writer, const char* face, const char* file,
    const std::function<QImage(int scale)>& image);

} // namespace art

#pragma once
// Digit shapes of the look's own: a monoline figure set (lines and arcs stroked with round
// ends, light or heavy by the pen) and seven-segment figures. Both return outlines that the
// caller fills, so they take gradients, shadows and ghost segments alike.

#include <QPainterPath>
#include <QRectF>

namespace art {

// Frame 10 of every digit strip is the colon.
inline constexpr int kColonFrame = 10;

// The monoline figure `symbol` (0-9, or kColonFrame for the colon) drawn inside `box`
// (the ink's extent, pen included) with a pen of `strokeWidth`.
[[nodiscard]] QPainterPath monolineFigure(int symbol, const QRectF& box, double strokeWidth);

struct SegmentStyle {
    double thickness; // segment width
    double gap; // space between neighbouring segments
    double slant; // horizontal shift of the top against the bottom, as a fraction of the height
};

// The lit segments of `symbol` (0-9 or kColonFrame) inside `box`, and all seven (for
// ghost segments that show the unlit ones faintly).
[[nodiscard]] QPainterPath segmentFigure(int symbol, const QRectF& box, const SegmentStyle& style);
[[nodiscard]] QPainterPath allSegments(const QRectF& box, const SegmentStyle& style);

} // namespace art

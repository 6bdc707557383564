#pragma once
// The device screen as the layouts see it: its size in device pixels, the scale shift of
// large screens, the square and landscape flags and the layout kind. Every layout constant
// is a (portrait, square, landscape) triple shifted left by the scale shift. The GUI
// (ui::ScreenGeometry) and the drawing code (faces::ScreenLayout) share this one record.

namespace platform {

struct ScreenLayout {
    int width = 240;
    int height = 320;
    int scaleShift = 0;   // 1 when both sides exceed 320
    bool square = false;  // width equals height (cleared for layout kind 2)
    bool landscape = false;
    int layoutKind = 0;   // 1: a side (shifted) is 400; 2: 320 x 320; else 0

    [[nodiscard]] static constexpr ScreenLayout of(int width, int height)
    {
        ScreenLayout s;
        s.width = width;
        s.height = height;
        s.scaleShift = width > 320 && height > 320 ? 1 : 0;
        s.square = width == height;
        s.landscape = width > height;
        if ((width >> s.scaleShift) == 400 || (height >> s.scaleShift) == 400) {
            s.layoutKind = 1;
        } else if (width == 320 && height == 320) {
            s.layoutKind = 2;
            s.square = false;
        }
        return s;
    }
    // The device's screen (its profile).
    [[nodiscard]] static ScreenLayout current();

    // The triple's value for this screen, scaled.
    [[nodiscard]] constexpr int pick(int portrait, int squareValue, int landscapeValue) const
    {
        return scaled(square ? squareValue : landscape ? landscapeValue : portrait);
    }
    [[nodiscard]] constexpr int scaled(int value) const { return value * (1 << scaleShift); }
    friend bool operator==(const ScreenLayout&, const ScreenLayout&) = default;
};

} // namespace platform

#pragma once
// The pictures of a look (the default pack and the skins): dials, the Digital Clock's digit
// strip, AM/PM, the status bar and its icons, the view-selector buttons and the title bar.
// Sizes are design pixels; each function paints at `scale` (1 or 2).

#include "tools/art_generator/canvas.h"
#include "tools/art_generator/theme.h"

#include <string>

namespace art {

// Frame sizes the program and the skin descriptions rely on.
inline constexpr int kLargeDialSide = 200;
inline constexpr int kSmallDialSide = 56;
inline constexpr int kDigitFrameWidth = 34;
inline constexpr int kDigitFrameHeight = 60;
inline constexpr int kDigitFrames = 11; // 0-9, colon
inline constexpr int kSmallDigitFrameWidth = 18; // the seconds' digits, same frames
inline constexpr int kSmallDigitFrameHeight = 32;
inline constexpr int kAmPmFrameWidth = 24;
inline constexpr int kAmPmFrameHeight = 14;
inline constexpr int kStatusBarHeight = 22;
inline constexpr int kStatusIconWidth = 21;
inline constexpr int kStatusIconFrames = 13;
inline constexpr int kViewListArrowFrame = 10;
inline constexpr int kSelectorButtonSide = 40;
inline constexpr int kSelectorButtons = 14;
inline constexpr int kTitleBarHeight = 20;

[[nodiscard]] QImage largeDial(const Theme& theme, const Fonts& fonts, int scale);
[[nodiscard]] QImage smallDial(const Theme& theme, int scale);
[[nodiscard]] QImage digitStrip(const Theme& theme, int scale);
[[nodiscard]] QImage smallDigitStrip(const Theme& theme, int scale);
[[nodiscard]] QImage amPmFrames(const Theme& theme, const Fonts& fonts, int scale);
[[nodiscard]] QImage statusBar(const Theme& theme, int width, int scale);
[[nodiscard]] QImage statusDivider(const Theme& theme, int scale);
[[nodiscard]] QImage statusIcons(const Theme& theme, const Fonts& fonts, int scale);
enum class ButtonState { Up, Down };
[[nodiscard]] QImage selectorButtons(
    const Theme& theme, const Fonts& fonts, int scale, ButtonState state);
[[nodiscard]] QImage titleBar(const Theme& theme, int width, int scale);

// The hand geometry that suits the large and small dials, for the skin descriptions.
struct DialGeometry {
    int centre;
    int hourLength, hourTail, hourHalfWidth;
    int minuteLength, minuteTail, minuteHalfWidth;
    int secondLength;
};
[[nodiscard]] DialGeometry largeDialGeometry();
[[nodiscard]] DialGeometry smallDialGeometry();

// colours.txt: the look's colours under the skin descriptions' names, one "name #rrggbb"
// a line.
[[nodiscard]] std::string coloursText(const Theme& theme);

} // namespace art

#pragma once
// A font fitted to the room a text has: the suite's font as it is where the text fits, else
// condensed, then a pixel smaller at a time down to kSmallestFittedFontPx. Header-only, with
// no more than Qt Gui behind it, so that the drawn views and the widgets share it.

#include <QFont>

#include <concepts>

namespace ui {

// The smallest pixel size a fitted text goes down to.
inline constexpr int kSmallestFittedFontPx = 8;

// `font` as it is where `fits` takes it, else condensed and made smaller until `fits` takes it
// or it reaches kSmallestFittedFontPx.
template <std::predicate<const QFont&> Fits> [[nodiscard]] QFont fittedFont(QFont font, Fits&& fits)
{
    if (fits(font))
        return font;
    font.setStretch(QFont::Condensed);
    while (!fits(font) && font.pixelSize() > kSmallestFittedFontPx)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace ui

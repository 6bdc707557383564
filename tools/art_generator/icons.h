#pragma once
// The look's line icons: the status-bar contents, the view-list arrow and the thirteen
// views of the view-selector panel. Each icon is drawn on a 24 x 24 grid with round caps
// and joins and scaled into the box it is given, so the same drawing serves the 21-pixel
// status icons and the 40-pixel selector buttons at both scales.

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace art {

class Fonts;

enum class Icon {
    Alarm,
    Timer,
    Stopwatch,
    Sunrise,
    Sunset,
    InternetTime,
    Date,
    Time,
    ViewListArrow,
    // Views without a status-bar twin.
    General,
    DigitalClock,
    AnalogClock,
    Events,
    WorldTime,
    MoonPhases,
    SunRiseSet,
    CityTime,
    InternetTimeView, // the "@" of Internet time
    TimeCalc,
    More,
};

// The icon of view `index` (0-12) of the view-selector panel; 13 is the "more" button.
[[nodiscard]] Icon viewIcon(int index);

// Draws `icon` into `box` (square is best) in `ink`. `strokeWidth` is in grid units
// (1/24 of the box); 2 suits most sizes. `fonts` sets the few icons that carry a glyph.
void drawIcon(QPainter& painter, Icon icon, const QRectF& box, QColor ink, double strokeWidth,
    const Fonts& fonts);

} // namespace art

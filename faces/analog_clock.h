#pragma once
// Analog clocks: the large clock of the Analog Clock view (and its full-screen variant and the
// screen saver's), and the small two-line clocks inside views. Hands are quadrilaterals from
// tables computed once for the clock's centre.

#include "faces/screen_layout.h"
#include "platform/types.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>

class QPainter;

namespace ui {
class LayoutReport;
}

namespace platform {
struct LocaleInfo;
}

namespace faces {

class SkinSet;

// 60 points on a circle: point i = (cx + trunc(sin(a) r + 0.5), cy - trunc(cos(a) r + 0.5)),
// a = i x 0.10471976 in single precision.
using CircleTable = std::array<QPoint, 60>;
[[nodiscard]] CircleTable circleTable(QPoint centre, int radius);

// 60 hand quadrilaterals: tip (position i at the length), right (i + 15 at the half-width),
// tail (i + 30 at the tail), left (i + 45 at the half-width), positions taken mod 60.
using HandQuad = std::array<QPoint, 4>;
using HandTable = std::array<HandQuad, 60>;
[[nodiscard]] HandTable handTable(QPoint centre, int length, int tail, int halfWidth);

// The position (0-59) of the hour hand: (hour mod 12) x 5 + minute div 12.
[[nodiscard]] int hourHandPosition(int hour, int minute);

class LargeAnalogClock {
public:
    // The clock of a skin; `dialElement` is the Analog Clock view's dial (35) or the screen
    // saver's (557). Lengths, pens and brushes come from the skin's large-clock words.
    LargeAnalogClock(const SkinSet& skin, int dialElement, const ScreenLayout& screen);

    [[nodiscard]] QSize dialSize() const { return m_dialSize; }
    // Where the view puts the dial (the element's x and y).
    [[nodiscard]] QPoint viewPosition() const { return m_viewPosition; }
    // The full-screen variant: centred above the 53-pixel (scaled) menu bar; 400-line screens
    // centre within 320 (scaled) pixels of width, 320 x 320 screens within 240.
    [[nodiscard]] QPoint fullScreenPosition() const;

    // The dial with the time box under it, relative to the dial's top-left corner.
    [[nodiscard]] QRect extent() const;
    // Where a view puts the dial within `area`: at `preferred` (the skin's place) when the
    // dial and its time fit there, else made smaller until they fit and centred in `area`.
    [[nodiscard]] QRect dialBoxIn(const QRect& area, QPoint preferred) const;

    // The dial with the hands, then the time without seconds centred under it.
    void draw(QPainter& painter, QPoint dialAt, const SYSTEMTIME& localTime,
        const platform::LocaleInfo* locale = nullptr) const;
    // The same into `dialBox` (from dialBoxIn): a smaller box draws a smaller clock.
    void draw(QPainter& painter, const QRect& dialBox, const SYSTEMTIME& localTime,
        const platform::LocaleInfo* locale = nullptr) const;
    // Tells the layout check where draw puts the dial and the time.
    void reportLayout(ui::LayoutReport& report, const QRect& dialBox, const SYSTEMTIME& localTime,
        const platform::LocaleInfo* locale = nullptr) const;

    [[nodiscard]] const HandTable& hourHands() const { return m_hourHands; }
    [[nodiscard]] const HandTable& minuteHands() const { return m_minuteHands; }
    [[nodiscard]] const CircleTable& secondPoints() const { return m_secondPoints; }

private:
    struct TimeText {
        QRect rect;
        QString text;
        QFont font;
    };
    [[nodiscard]] TimeText timeText(const QRect& dialBox, const SYSTEMTIME& localTime,
        const platform::LocaleInfo* locale) const;

    ScreenLayout m_screen;
    QImage m_dial;
    QSize m_dialSize;
    QPoint m_viewPosition;
    QPoint m_centre;
    HandTable m_hourHands {};
    HandTable m_minuteHands {};
    CircleTable m_secondPoints {};
    QPen m_hourPen, m_minutePen, m_secondPen;
    QBrush m_hourBrush, m_minuteBrush;
    QRect m_textRect; // relative to the dial
    QColor m_textColour, m_textFill;
    int m_textHeight = 20;
};

class SmallAnalogClock {
public:
    explicit SmallAnalogClock(const SkinSet& skin);
    // Draws the dial at the clock rectangle's top-left corner and the two hands from the
    // centre (top-left plus the skin's offset): lines, or the skin's hand images.
    void draw(QPainter& painter, QRect clockRect, const SYSTEMTIME& localTime) const;

private:
    QImage m_dial;
    QImage m_hourImage, m_minuteImage; // both set when the skin draws with images
    QPoint m_pivot;
    QPoint m_centre;
    CircleTable m_hourPoints {};
    CircleTable m_minutePoints {};
    QPen m_hourPen, m_minutePen;
};

} // namespace faces

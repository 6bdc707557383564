#pragma once
// What the two astronomy views share in drawing: texts fitted to their rectangles (the
// suite's font as it is, condensed, then smaller), the view's background from the look,
// and times and dates written as the device's locale writes them.

#include "platform/types.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

class QPainter;

namespace faces {
class SkinSet;
}

namespace ui {
class LayoutReport;
}

namespace astro {

// The smallest pixel size a fitted text goes down to.
inline constexpr int kSmallestFontPx = 8;

// One text a view draws: where, in which font, and whether in the look's quieter colour.
struct DrawnText {
    QRect rect;
    QString text;
    QFont font;
    int flags = 0;
    bool quiet = false;
};

// `font` made to fit every line of `text` into `rect`: as it is, condensed, then smaller
// down to kSmallestFontPx.
[[nodiscard]] QFont fittedFont(QFont font, const QString& text, const QRect& rect);
// The width every line of `text` needs in `font`.
[[nodiscard]] int textWidth(const QFont& font, const QString& text);

// The look's window colour over `area`, and the view's own background picture when the look
// gives one (element descriptor 160 + 5 × view index).
void paintViewBackground(
    QPainter& painter, const faces::SkinSet& skin, int viewIndex, const QRect& area);
// The texts in the look's text colour (quiet ones in its date colour).
void paintTexts(QPainter& painter, const faces::SkinSet& skin, const std::vector<DrawnText>& texts);
void reportTexts(ui::LayoutReport& report, const std::vector<DrawnText>& texts);

// A local time in the device locale's time format without seconds, and a local date in its
// short date format; empty when the value cannot be written.
[[nodiscard]] QString shortTimeText(const SYSTEMTIME& local);
[[nodiscard]] QString shortDateText(const SYSTEMTIME& local);

// Universal ticks on the device's local clock, and back; false where the device's zone
// cannot convert them.
[[nodiscard]] bool deviceLocalOfUniversal(std::uint64_t universalTicks, std::uint64_t& localTicks);
[[nodiscard]] bool deviceUniversalOfLocal(std::uint64_t localTicks, std::uint64_t& universalTicks);

} // namespace astro

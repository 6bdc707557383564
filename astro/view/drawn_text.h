#pragma once
// What the astronomy views share: texts fitted to their rectangles (the suite's font as it
// is, condensed, then smaller), the view's background from the look, times and dates written
// as the device's locale writes them, and the date and time dialogs their pickers open.

#include "platform/types.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;
class QWidget;

namespace faces {
class SkinSet;
}

namespace ui {
class DatePicker;
class LayoutReport;
class TimePicker;
}

namespace astro {

// One text a view draws: where, in which font, and whether in the look's quieter colour.
struct DrawnText {
    QRect rect;
    QString text;
    QFont font;
    int flags = 0;
    bool quiet = false;
};

// `font` made to fit every line of `text` into `rect`: as it is, condensed, then smaller
// down to ui::kSmallestFittedFontPx.
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

// `date` at `hour`:`minute`, on the whole minute.
[[nodiscard]] SYSTEMTIME atTimeOfDay(SYSTEMTIME date, int hour, int minute);

// The date dialog over `parent`, opened on `shown`: `shown` with the date the user chose, or
// nothing when the user cancels.
[[nodiscard]] std::optional<SYSTEMTIME> askDate(QWidget* parent, const SYSTEMTIME& shown);
// The time dialog titled `title`, opened on `shown`'s time of day in the device locale's
// clock: `shown` at the time the user chose, or nothing when the user cancels.
[[nodiscard]] std::optional<SYSTEMTIME> askTimeOfDay(
    QWidget* parent, const QString& title, const SYSTEMTIME& shown);
// A tap on `date` opens the date dialog, a tap on `time` the time dialog titled with the
// string `timeTitle`, both over `screen`'s window; what the user chooses shows in the picker
// and `screen` is drawn again.
void openDialogsOnTap(
    ui::DatePicker& date, ui::TimePicker& time, QWidget* screen, unsigned timeTitle);
// The pickers' date at their time of day, on the whole minute.
[[nodiscard]] SYSTEMTIME pickedMoment(const ui::DatePicker& date, const ui::TimePicker& time);

// A local time in the device locale's time format without seconds, and a local date in its
// short date format; empty when the value cannot be written.
[[nodiscard]] QString shortTimeText(const SYSTEMTIME& local);
[[nodiscard]] QString shortDateText(const SYSTEMTIME& local);

// Universal ticks on the device's local clock, and back; false where the device's zone
// cannot convert them.
[[nodiscard]] bool deviceLocalOfUniversal(std::uint64_t universalTicks, std::uint64_t& localTicks);
[[nodiscard]] bool deviceUniversalOfLocal(std::uint64_t localTicks, std::uint64_t& universalTicks);

} // namespace astro

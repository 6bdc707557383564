#pragma once
// The Digital Clock view's per-second drawing: the date line, the home-city line, the
// visiting city's small clock and the big time (text, or the skin's digit images).

#include "faces/screen_layout.h"
#include "platform/types.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <optional>

#include <array>
#include <string>
#include <utility>
#include <vector>

class QPainter;

namespace ui {
class LayoutReport;
}

namespace platform {
struct LocaleInfo;
}

namespace faces {

class SkinSet;

struct DigitalClockInputs {
    SYSTEMTIME localTime {};
    std::optional<SYSTEMTIME> visitingTime; // local time of the visiting city; none: no small clock
    int dateFormat = 0; // 0 "MMMM dd, yyyy", 1 "dd MMMM yyyy", 2 the locale's long date
    bool use24Hour = false;
    std::u16string homeCityName;
    int weekNumber = 1; // ISO or civil, as the settings choose
    const platform::LocaleInfo* locale = nullptr; // null: the device's user locale
};

class DigitalClock {
public:
    // Keeps a reference to the skin and copies of its images: build it again after the skin
    // changes.
    DigitalClock(const SkinSet& skin, const ScreenLayout& screen);

    // Draws over the view's background, in screen coordinates.
    void draw(QPainter& painter, const DigitalClockInputs& inputs) const;
    // Tells the layout check where draw puts its texts and images for these inputs.
    void reportLayout(ui::LayoutReport& report, const DigitalClockInputs& inputs) const;

    // The texts of the date line: the date and the day name.
    [[nodiscard]] static QString dateText(const DigitalClockInputs& inputs);
    // The visiting city's date: "ddd, M/dd" (or "ddd, d/MM" for date format 1) with the locale's
    // separator, and a trailing one when the separator is ".".
    [[nodiscard]] static QString visitingDateText(const DigitalClockInputs& inputs);

    [[nodiscard]] QRect bigTimeRect() const { return m_bigTime; }

private:
    // A line of the date block (day name, date, home city) as draw puts it.
    struct TextLine {
        QRect rect;
        QString text;
        QFont font;
        int colourWord = 0;
    };
    [[nodiscard]] std::array<TextLine, 3> textLines(const DigitalClockInputs& inputs) const;
    [[nodiscard]] QFont lineFont(std::size_t line, const QString& text, int width) const;
    // One digit (or colon, or AM/PM) of the skin's images: which frame of which strip, and
    // where in the big time's box the skin puts it.
    struct DigitImage {
        const QImage* strip = nullptr;
        QRect source;
        QPoint at;
    };
    [[nodiscard]] std::vector<DigitImage> digitImages(const DigitalClockInputs& inputs) const;
    // Where a digit lands on the screen, after the move and the shrink of fitDigitImages.
    [[nodiscard]] QRect digitBox(const DigitImage& image) const;
    void fitDigitImages();
    void drawTextTime(QPainter& painter, const DigitalClockInputs& inputs) const;
    void drawImageTime(QPainter& painter, const DigitalClockInputs& inputs) const;

    const SkinSet& m_skin;
    ScreenLayout m_screen;
    QFont m_normal, m_small, m_huge, m_large;
    QRect m_dateRect, m_secondClock, m_bigTime, m_timeText, m_secondsText;
    QPoint m_amPm;
    std::array<QImage, 2> m_amPmImages;
    bool m_hasDigitImages = false;
    QImage m_bigDigits, m_smallDigits, m_amPmDigits, m_digitBackground;
    int m_bigFrames = 11, m_smallFrames = 10;
    QPoint m_digitOffset; // moves the skin's digits into the box
    double m_digitScale = 1.0;
    int m_lineStep = 16; // from one line of the date block to the next
    int m_lineHeight = 14;
    // The font each date-block line last fitted its text with (the texts change daily).
    mutable std::array<std::pair<QString, QFont>, 3> m_fittedLines;
};

} // namespace faces

#pragma once
// The status bar at the bottom of the main window: a strip built from the skin's bar and
// divider images with three parts, each an icon and a text the user chose in the preferences.

#include "faces/screen_layout.h"
#include "platform/types.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class LayoutReport;
}

class QPainter;

namespace platform {
struct LocaleInfo;
}

namespace faces {

class SkinSet;

// Contents of a part (settings statusField1-3).
enum class StatusContent : std::uint32_t {
    None = 0,
    Alarm,
    Timer,
    Stopwatch,
    Sunrise,
    Sunset,
    InternetTime,
    Date,
    Time,
};

struct StatusBarInputs {
    std::array<std::uint32_t, 3> contents {}; // left, central, right (StatusContent)
    SYSTEMTIME localTime {};
    std::optional<SYSTEMTIME> nextAlarm; // none when no alarm is enabled
    std::optional<std::u16string>
        timerText; // the running timer that ends first, as the Timers view writes it
    std::optional<std::u16string> stopwatchText; // the running stopwatch as "HH':'mm' 'ss"
    std::u16string sunriseText, sunsetText; // as the Sun view writes them; empty: not known yet
    std::u16string internetTimeText; // without the "@"; empty: not known yet
    const platform::LocaleInfo* locale = nullptr; // null: the device's user locale
};

// The text of one part: "--:--" for an alarm or timer when there is none and for a sunrise
// or sunset not known yet, "--:-- --" for a stopwatch that does not run, "@---" for an
// Internet Time not known yet.
[[nodiscard]] QString statusText(std::uint32_t content, const StatusBarInputs& inputs);

// The stopwatch's status text for an elapsed time: "HH:mm ss".
[[nodiscard]] std::u16string stopwatchStatusText(std::int64_t elapsedSeconds);

class StatusBar {
public:
    // Keeps copies of the skin's images and colours: build it again after the skin changes.
    StatusBar(const SkinSet& skin, const ScreenLayout& screen);

    // Where the strip lies on the screen (empty on 320 x 320 screens, which draw only a line).
    [[nodiscard]] QRect rect() const { return m_rect; }
    void draw(QPainter& painter, const StatusBarInputs& inputs) const;
    // One part onto a painter whose origin is the strip's top-left corner; returns the x of
    // the part's icon (-1 for a part showing nothing).
    int drawPart(QPainter& strip, std::uint32_t content, const QString& text, int xOffset) const;
    // The texts and icons draw() puts on the screen, in screen coordinates.
    void reportLayout(ui::LayoutReport& report, const StatusBarInputs& inputs) const;

private:
    struct PartPlace {
        QRect icon; // empty when the skin has no icon for the part
        QRect text;
    };
    // Where a part's icon and text lie in the strip; nullopt for a part showing nothing.
    [[nodiscard]] std::optional<PartPlace> placePart(std::uint32_t content, const QString& text, int xOffset) const;

    ScreenLayout m_screen;
    QRect m_rect;
    QImage m_bar, m_divider;
    QImage m_strip; // bar and dividers
    std::vector<QImage> m_icons;
    QColor m_textColour, m_lineColour;
    QFont m_font;
    std::array<int, 3> m_partX {}, m_dividerX {};
    int m_partWidth = 80;
};

} // namespace faces

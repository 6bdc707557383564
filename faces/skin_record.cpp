#include "faces/skin_record.h"

#include <algorithm>

namespace faces {

namespace {

constexpr int kOnDemand[] = { 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14 };

constexpr int kElements[] = {
    skin::kScreenBackground,
    skin::kTitleBar,
    skin::kTabStrip,
    skin::kTabStripSelected,
    skin::kLargeDial,
    160,
    165,
    170,
    175,
    180,
    185,
    190,
    195,
    200,
    205,
    210,
    215,
    220,
    skin::kCheckBoxes,
    skin::kPushButtons,
    skin::kArrows,
    skin::kAlarmBells,
    skin::kListMarks,
    skin::kStatusBar,
    skin::kStatusDivider,
    skin::kSmallDial,
    skin::kSmallImageClock,
    skin::kSaverDial,
    skin::kSaverBackground,
    skin::kReminderBackground,
    skin::kReminderButtons,
    skin::kLockTrack,
    skin::kTitleAreaBackground,
    skin::kLockKnob,
    skin::kLockPhoneIcons,
};

constexpr int kDigitImages[]
    = { skin::kDigitImage, skin::kSecondDigitImage, skin::kDigitAmPmImage, skin::kDigitBackground };

using enum WordKind;
constexpr SkinWordName kNames[] = {
    { "day-map", skin::kDayMap, Image },
    { "night-map", skin::kNightMap, Image },
    { "moon-strip", skin::kMoonStrip, Image },
    { "moon-strip-second", skin::kMoonStripSecond, Image },
    { "moon-background", skin::kMoonBackground, Image },
    { "city-mark", skin::kCityMark, Image },
    { "view-selector-up", skin::kViewSelectorUp, Image },
    { "view-selector-down", skin::kViewSelectorDown, Image },
    { "sun-picture", skin::kSunPicture, Image },
    { "am-pm", skin::kAmPm, Image },
    { "status-icons", skin::kStatusIcons, Image },

    { "screen-background", skin::kScreenBackground, Element },
    { "title-bar", skin::kTitleBar, Element },
    { "tab-strip", skin::kTabStrip, Element },
    { "tab-strip-selected", skin::kTabStripSelected, Element },
    { "large-dial", skin::kLargeDial, Element },

    { "digit-image", skin::kDigitImage, Image },
    { "digit-frames", skin::kDigitFrames, Value },
    { "second-digit-image", skin::kSecondDigitImage, Image },
    { "second-digit-frames", skin::kSecondDigitFrames, Value },
    { "digit-am-pm-image", skin::kDigitAmPmImage, Image },
    { "digit-background", skin::kDigitBackground, Image },
    { "digit-hour-tens", skin::kDigitHourTens, Point },
    { "digit-hour-units", skin::kDigitHourUnits, Point },
    { "digit-colon", skin::kDigitColon, Point },
    { "digit-minute-tens", skin::kDigitMinuteTens, Point },
    { "digit-minute-units", skin::kDigitMinuteUnits, Point },
    { "digit-second-tens", skin::kDigitSecondTens, Point },
    { "digit-second-units", skin::kDigitSecondUnits, Point },
    { "digit-am-pm", skin::kDigitAmPmPosition, Point },
    { "digit-flags", skin::kDigitFlags, Value },

    { "window-colour", skin::kWindowColour, Colour },
    { "text-colour", skin::kTextColour, Colour },
    { "date-colour", skin::kDateColour, Colour },
    { "city-colour", skin::kCityColour, Colour },
    { "second-clock-colour", skin::kSecondClockColour, Colour },
    { "second-clock-fill", skin::kSecondClockFill, Colour },
    { "big-time-colour", skin::kBigTimeColour, Colour },
    { "big-time-fill", skin::kBigTimeFill, Colour },
    { "status-text-colour", skin::kStatusTextColour, Colour },
    { "title-text-colour", skin::kTitleTextColour, Colour },
    { "highlight-colour", skin::kHighlightColour, Colour },
    { "highlight-text-colour", skin::kHighlightTextColour, Colour },
    { "line-colour", skin::kLineColour, Colour },
    { "divider-line-colour", skin::kDividerLineColour, Colour },

    { "selector-origin", skin::kSelectorOriginX, Point },
    { "selector-first-button", skin::kSelectorFirstButton, Rect },
    { "selector-step", skin::kSelectorStepX, Point },
    { "selector-column-origin", skin::kSelectorColumnOriginX, Point },
    { "selector-column-step", skin::kSelectorColumnStepX, Point },

    { "general-background", 160, Element },
    { "digital-clock-background", 165, Element },
    { "analog-clock-background", 170, Element },
    { "alarms-background", 175, Element },
    { "timers-background", 180, Element },
    { "stopwatch-background", 185, Element },
    { "events-background", 190, Element },
    { "world-time-background", 195, Element },
    { "moon-phases-background", 200, Element },
    { "sun-background", 205, Element },
    { "city-time-background", 210, Element },
    { "internet-time-background", 215, Element },
    { "time-calc-background", 220, Element },
    { "check-boxes", skin::kCheckBoxes, Element },
    { "push-buttons", skin::kPushButtons, Element },
    { "arrows", skin::kArrows, Element },
    { "alarm-bells", skin::kAlarmBells, Element },
    { "list-marks", skin::kListMarks, Element },

    { "clock-centre", skin::kClockCentreX, Point },
    { "hour-length", skin::kHourLength, Value },
    { "hour-tail", skin::kHourTail, Value },
    { "hour-half-width", skin::kHourHalfWidth, Value },
    { "minute-length", skin::kMinuteLength, Value },
    { "minute-tail", skin::kMinuteTail, Value },
    { "minute-half-width", skin::kMinuteHalfWidth, Value },
    { "second-length", skin::kSecondLength, Value },
    { "hour-pen-colour", skin::kHourPenColour, Colour },
    { "hour-pen-width", skin::kHourPenWidth, Value },
    { "hour-brush-colour", skin::kHourBrushColour, Colour },
    { "minute-pen-colour", skin::kMinutePenColour, Colour },
    { "minute-pen-width", skin::kMinutePenWidth, Value },
    { "minute-brush-colour", skin::kMinuteBrushColour, Colour },
    { "second-pen-colour", skin::kSecondPenColour, Colour },
    { "second-pen-width", skin::kSecondPenWidth, Value },
    { "clock-text-rect", skin::kClockTextRect, Rect },
    { "clock-text-colour", skin::kClockTextColour, Colour },
    { "clock-text-fill", skin::kClockTextFill, Colour },
    { "clock-text-height", skin::kClockTextHeight, Value },

    { "status-bar", skin::kStatusBar, Element },
    { "status-divider", skin::kStatusDivider, Element },

    { "small-dial", skin::kSmallDial, Element },
    { "small-image-clock", skin::kSmallImageClock, Element },
    { "small-hour-colour", skin::kSmallHourColour, Colour },
    { "small-minute-colour", skin::kSmallMinuteColour, Colour },
    { "small-centre", skin::kSmallCentreX, Point },
    { "small-hour-width", skin::kSmallHourWidth, Value },
    { "small-minute-width", skin::kSmallMinuteWidth, Value },
    { "small-hour-length", skin::kSmallHourLength, Value },
    { "small-minute-length", skin::kSmallMinuteLength, Value },

    { "saver-dial", skin::kSaverDial, Element },
    { "saver-background", skin::kSaverBackground, Element },
    { "reminder-background", skin::kReminderBackground, Element },
    { "reminder-buttons", skin::kReminderButtons, Element },
    { "lock-track", skin::kLockTrack, Element },
    { "title-area-background", skin::kTitleAreaBackground, Element },
    { "lock-knob", skin::kLockKnob, Element },
    { "lock-phone-icons", skin::kLockPhoneIcons, Element },
};

} // namespace

ElementDescriptor elementAt(const SkinRecord& record, int word)
{
    ElementDescriptor element;
    element.image = record[word];
    for (int i = 0; i < 4; ++i)
        element.values[i] = record[word + 1 + i];
    return element;
}

std::span<const int> onDemandImageWords()
{
    return kOnDemand;
}
std::span<const int> elementWords()
{
    return kElements;
}
std::span<const int> digitBlockImageWords()
{
    return kDigitImages;
}

bool imageLeftOut(std::int32_t index, std::int32_t imageCount)
{
    return index < 0 || index >= imageCount;
}

QColor colourOf(std::int32_t colorref)
{
    const auto value = std::uint32_t(colorref);
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

std::int32_t colorrefOf(const QColor& colour)
{
    return std::int32_t(std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8)
        | (std::uint32_t(colour.blue()) << 16));
}

std::span<const SkinWordName> skinWordNames()
{
    return kNames;
}

const SkinWordName* skinWordNamed(std::string_view name)
{
    const auto found = std::find_if(std::begin(kNames), std::end(kNames),
        [name](const SkinWordName& entry) { return entry.name == name; });
    return found == std::end(kNames) ? nullptr : found;
}

int wordsOf(WordKind kind)
{
    switch (kind) {
    case WordKind::Element:
        return 5;
    case WordKind::Point:
        return 2;
    case WordKind::Rect:
        return 4;
    case WordKind::Image:
    case WordKind::Colour:
    case WordKind::Value:
        return 1;
    }
    return 1;
}

} // namespace faces

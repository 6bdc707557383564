#include "faces/face_rules.h"

namespace faces {

namespace {

// Writes `value` with `count` digits in `base` from the left; position k counted from the
// right shows (value mod base^(k+1)) div base^k. `skipLeading` leaves out the leftmost digit.
void addNumber(DigitGlyphs& glyphs, unsigned value, int count, int base, int x, int y, int stepX,
    int stepY, bool skipLeading = false)
{
    std::array<int, kMaxDigitCount> digits {};
    for (int k = 0; k < count; ++k) {
        digits[std::size_t(k)] = int(value % unsigned(base));
        value /= unsigned(base);
    }
    for (int j = 0; j < count; ++j) {
        if (j == 0 && skipLeading)
            continue;
        glyphs.add(digits[std::size_t(count - 1 - j)], x + j * stepX, y + j * stepY);
    }
}

// The hour of kind 6 and 11: in 12-hour mode the leading digit is left out below 10.
void addHour(DigitGlyphs& glyphs, const DigitRecord& r, int hour, bool use24Hour)
{
    const int shown = shownHour(hour, use24Hour);
    addNumber(glyphs, unsigned(shown), r.count, r.base, r.x, r.y, r.stepX, r.stepY,
        !use24Hour && shown < 10 && r.count > 1);
}

} // namespace

int shownHour(int hour, bool use24Hour)
{
    if (use24Hour)
        return hour;
    const int twelve = hour % 12;
    return twelve == 0 ? 12 : twelve;
}

DigitGlyphs digitGlyphs(const DigitRecord& r, const FaceClock& clock, int frameWidth)
{
    DigitGlyphs glyphs;
    const SYSTEMTIME& t = clock.time;
    const auto number = [&](unsigned value, bool skipLeading = false) {
        addNumber(glyphs, value, r.count, r.base, r.x, r.y, r.stepX, r.stepY, skipLeading);
    };
    // Two digits of a date component for the four-digit date kinds.
    const auto component = [&](unsigned value, bool skipLeading) {
        addNumber(glyphs, value, 2, r.base, r.x, r.y, r.stepX, r.stepY, skipLeading && value < 10);
    };
    constexpr int kColonFrame = 10;

    switch (DigitKind(r.kind)) {
    case DigitKind::AmPm:
        if (!clock.use24Hour)
            glyphs.add(t.wHour < 12 ? 0 : 1, r.x, r.y);
        break;
    case DigitKind::Chime:
        if (clock.chimeOn)
            glyphs.add(r.count, r.x, r.y);
        break;
    case DigitKind::AlarmOn:
        if (clock.nextAlarm)
            glyphs.add(r.count, r.x, r.y);
        break;
    case DigitKind::Second:
        number(t.wSecond);
        break;
    case DigitKind::Minute:
        number(t.wMinute);
        break;
    case DigitKind::Hour:
        addHour(glyphs, r, t.wHour, clock.use24Hour);
        break;
    case DigitKind::Day:
        if (r.count == 4) {
            if (clock.monthFirst)
                component(t.wMonth, true);
            else
                component(t.wDay, false);
        } else {
            number(t.wDay);
        }
        break;
    case DigitKind::Weekday:
        number(t.wDayOfWeek);
        break;
    case DigitKind::Month:
        if (r.count == 4) {
            if (clock.monthFirst)
                component(t.wDay, false);
            else
                component(t.wMonth, false);
        } else {
            number(t.wMonth, clock.monthFirst && t.wMonth < 10 && r.count > 1);
        }
        break;
    case DigitKind::Year:
        number(t.wYear);
        break;
    case DigitKind::AlarmHour:
        if (clock.nextAlarm)
            addHour(glyphs, r, clock.nextAlarm->wHour, clock.use24Hour);
        break;
    case DigitKind::AlarmMinute:
        if (clock.nextAlarm)
            number(clock.nextAlarm->wMinute);
        break;
    case DigitKind::HourMinute: {
        // One group, centred on (x, y): the hour with one or two digits, the colon, the minute.
        const int hour = shownHour(t.wHour, clock.use24Hour);
        const int hourDigits = hour < 10 ? 1 : 2;
        const int width = (hourDigits + 3) * frameWidth;
        int x = r.x - width / 2;
        addNumber(glyphs, unsigned(hour), hourDigits, r.base, x, r.y, frameWidth, 0);
        x += hourDigits * frameWidth;
        glyphs.add(kColonFrame, x, r.y);
        x += frameWidth;
        addNumber(glyphs, t.wMinute, 2, r.base, x, r.y, frameWidth, 0);
        break;
    }
    case DigitKind::AmPmShifted:
        if (!clock.use24Hour) {
            const bool oneDigit = shownHour(t.wHour, false) < 10;
            glyphs.add(t.wHour < 12 ? 0 : 1, oneDigit ? r.x : r.stepX, oneDigit ? r.y : r.stepY);
        }
        break;
    case DigitKind::HourShifted: {
        const int hour = shownHour(t.wHour, clock.use24Hour);
        if (hour < 10)
            addNumber(glyphs, unsigned(hour), 1, r.base, r.stepX, r.stepY, frameWidth, 0);
        else
            addNumber(glyphs, unsigned(hour), 2, r.base, r.x, r.y, frameWidth, 0);
        break;
    }
    case DigitKind::AlarmAmPm:
        if (clock.nextAlarm && !clock.use24Hour)
            glyphs.add(clock.nextAlarm->wHour < 12 ? 0 : 1, r.x, r.y);
        break;
    }
    return glyphs;
}

bool areaShown(const AreaRecord& area, const FaceClock& clock)
{
    const int variant = area.variant & 0xff;
    switch (AreaKind(area.kind)) {
    case AreaKind::AmPm:
        // Noon itself still counts as the morning here, unlike the AM/PM digits.
        if (clock.use24Hour)
            return true;
        return variant == 1 ? clock.time.wHour >= 13 : clock.time.wHour <= 12;
    case AreaKind::Chime:
        return variant == 0 ? clock.chimeOn : !clock.chimeOn;
    case AreaKind::Alarm:
        return variant == 0 ? clock.nextAlarm.has_value() : !clock.nextAlarm.has_value();
    case AreaKind::Weekday:
        return true;
    }
    return false;
}

QRect areaRect(const AreaRecord& area, const FaceClock& clock)
{
    QRect rect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1));
    if (AreaKind(area.kind) == AreaKind::Weekday) {
        const int day = clock.time.wDayOfWeek % 7;
        rect.translate(day * area.stepX, day * area.stepY);
    }
    return rect;
}

int handAngle(const HandRecord& hand, const SYSTEMTIME& time)
{
    switch (HandKind(hand.kind)) {
    case HandKind::Second:
        return (60 - time.wSecond) * 6;
    case HandKind::Minute:
        return (60 - time.wMinute) * 6;
    case HandKind::Hour:
        if (hand.dialHours == 24)
            return (24 - time.wHour) * 15;
        return ((12 - time.wHour % 12) * 5 - time.wMinute / 12) * 6;
    }
    return 0;
}

} // namespace faces

#include "faces/face_rules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace faces;

namespace {

constexpr int kFrameWidth = 8;

SYSTEMTIME at(int hour, int minute, int second = 0, int year = 2026, int month = 3, int day = 7,
    int weekday = 6)
{
    return SYSTEMTIME { WORD(year), WORD(month), WORD(weekday), WORD(day), WORD(hour), WORD(minute),
        WORD(second), 0 };
}

FaceClock clockAt(SYSTEMTIME time, bool use24Hour = false)
{
    FaceClock clock;
    clock.time = time;
    clock.use24Hour = use24Hour;
    return clock;
}

DigitRecord record(DigitKind kind, int count = 2, int x = 20, int y = 100)
{
    return DigitRecord { 0, 0, std::int32_t(kind), 10, count, x, y, 10, 0 };
}

struct Glyph {
    int frame, x, y;
    friend bool operator==(const Glyph&, const Glyph&) = default;
};
std::ostream& operator<<(std::ostream& out, const Glyph& g)
{
    return out << "{" << g.frame << " @" << g.x << "," << g.y << "}";
}

std::vector<Glyph> glyphs(const DigitRecord& r, const FaceClock& clock)
{
    std::vector<Glyph> out;
    for (const DigitGlyph& g : digitGlyphs(r, clock, kFrameWidth))
        out.push_back({ g.frame, g.x, g.y });
    return out;
}

} // namespace

TEST(FaceDigits, NumbersAreWrittenFromTheLeftWithTheirStep)
{
    EXPECT_EQ(glyphs(record(DigitKind::Year, 4), clockAt(at(9, 5))),
        (std::vector<Glyph> { { 2, 20, 100 }, { 0, 30, 100 }, { 2, 40, 100 }, { 6, 50, 100 } }));
    EXPECT_EQ(glyphs(record(DigitKind::Year, 2), clockAt(at(9, 5))),
        (std::vector<Glyph> { { 2, 20, 100 }, { 6, 30, 100 } }));
    EXPECT_EQ(glyphs(record(DigitKind::Minute), clockAt(at(9, 5))),
        (std::vector<Glyph> { { 0, 20, 100 }, { 5, 30, 100 } }));
    DigitRecord hex = record(DigitKind::Second);
    hex.base = 16;
    hex.stepY = 3;
    EXPECT_EQ(glyphs(hex, clockAt(at(0, 0, 59))),
        (std::vector<Glyph> { { 3, 20, 100 }, { 11, 30, 103 } }));
}

TEST(FaceDigits, HoursFollowTheTwelveOrTwentyFourHourClock)
{
    const DigitRecord hour = record(DigitKind::Hour);
    EXPECT_EQ(
        glyphs(hour, clockAt(at(0, 0))), (std::vector<Glyph> { { 1, 20, 100 }, { 2, 30, 100 } }));
    // Below 10 the leading digit is left out; the units keep their place.
    EXPECT_EQ(glyphs(hour, clockAt(at(9, 0))), (std::vector<Glyph> { { 9, 30, 100 } }));
    EXPECT_EQ(glyphs(hour, clockAt(at(21, 0))), (std::vector<Glyph> { { 9, 30, 100 } }));
    EXPECT_EQ(
        glyphs(hour, clockAt(at(22, 0))), (std::vector<Glyph> { { 1, 20, 100 }, { 0, 30, 100 } }));
    EXPECT_EQ(glyphs(hour, clockAt(at(9, 0), true)),
        (std::vector<Glyph> { { 0, 20, 100 }, { 9, 30, 100 } }));
    EXPECT_EQ(glyphs(hour, clockAt(at(0, 0), true)),
        (std::vector<Glyph> { { 0, 20, 100 }, { 0, 30, 100 } }));

    const DigitRecord amPm = record(DigitKind::AmPm);
    EXPECT_EQ(glyphs(amPm, clockAt(at(11, 59))), (std::vector<Glyph> { { 0, 20, 100 } }));
    EXPECT_EQ(glyphs(amPm, clockAt(at(12, 0))), (std::vector<Glyph> { { 1, 20, 100 } }));
    EXPECT_TRUE(glyphs(amPm, clockAt(at(12, 0), true)).empty());
}

TEST(FaceDigits, DateComponentsFollowTheLocalesOrder)
{
    FaceClock clock = clockAt(at(9, 0, 0, 2026, 3, 7));
    const DigitRecord first = record(DigitKind::Day, 4);
    const DigitRecord second = record(DigitKind::Month, 4);
    // Day first: "07" then "03".
    EXPECT_EQ(glyphs(first, clock), (std::vector<Glyph> { { 0, 20, 100 }, { 7, 30, 100 } }));
    EXPECT_EQ(glyphs(second, clock), (std::vector<Glyph> { { 0, 20, 100 }, { 3, 30, 100 } }));
    // Month first: "3" without its zero, then "07".
    clock.monthFirst = true;
    EXPECT_EQ(glyphs(first, clock), (std::vector<Glyph> { { 3, 30, 100 } }));
    EXPECT_EQ(glyphs(second, clock), (std::vector<Glyph> { { 0, 20, 100 }, { 7, 30, 100 } }));
    EXPECT_EQ(glyphs(record(DigitKind::Month, 2), clock), (std::vector<Glyph> { { 3, 30, 100 } }));
    clock.time.wMonth = 11;
    EXPECT_EQ(glyphs(first, clock), (std::vector<Glyph> { { 1, 20, 100 }, { 1, 30, 100 } }));
    EXPECT_EQ(
        glyphs(record(DigitKind::Weekday, 1), clock), (std::vector<Glyph> { { 6, 20, 100 } }));
}

TEST(FaceDigits, IndicatorsAndAlarmDigitsShowOnlyWhatIsOn)
{
    FaceClock clock = clockAt(at(9, 5));
    const DigitRecord chime = record(DigitKind::Chime, 3);
    const DigitRecord alarmOn = record(DigitKind::AlarmOn, 4);
    const DigitRecord alarmHour = record(DigitKind::AlarmHour);
    const DigitRecord alarmMinute = record(DigitKind::AlarmMinute);
    const DigitRecord alarmAmPm = record(DigitKind::AlarmAmPm);
    for (const auto& r : { chime, alarmOn, alarmHour, alarmMinute, alarmAmPm })
        EXPECT_TRUE(glyphs(r, clock).empty()) << "kind " << r.kind;

    clock.chimeOn = true;
    clock.nextAlarm = at(19, 45);
    EXPECT_EQ(glyphs(chime, clock), (std::vector<Glyph> { { 3, 20, 100 } }));
    EXPECT_EQ(glyphs(alarmOn, clock), (std::vector<Glyph> { { 4, 20, 100 } }));
    EXPECT_EQ(glyphs(alarmHour, clock), (std::vector<Glyph> { { 7, 30, 100 } }));
    EXPECT_EQ(glyphs(alarmMinute, clock), (std::vector<Glyph> { { 4, 20, 100 }, { 5, 30, 100 } }));
    EXPECT_EQ(glyphs(alarmAmPm, clock), (std::vector<Glyph> { { 1, 20, 100 } }));
    clock.use24Hour = true;
    EXPECT_EQ(glyphs(alarmHour, clock), (std::vector<Glyph> { { 1, 20, 100 }, { 9, 30, 100 } }));
    EXPECT_TRUE(glyphs(alarmAmPm, clock).empty());
}

TEST(FaceDigits, HourMinuteGroupIsCentredOnItsPosition)
{
    const DigitRecord group = record(DigitKind::HourMinute, 0, 120, 50);
    // "9:05": four frames of 8 pixels centred on x 120.
    EXPECT_EQ(glyphs(group, clockAt(at(9, 5))),
        (std::vector<Glyph> { { 9, 104, 50 }, { 10, 112, 50 }, { 0, 120, 50 }, { 5, 128, 50 } }));
    // "10:30": five frames.
    EXPECT_EQ(glyphs(group, clockAt(at(22, 30))),
        (std::vector<Glyph> {
            { 1, 100, 50 }, { 0, 108, 50 }, { 10, 116, 50 }, { 3, 124, 50 }, { 0, 132, 50 } }));
    EXPECT_EQ(glyphs(group, clockAt(at(0, 0))).size(), 5u); // 12:00
}

TEST(FaceDigits, ShiftedKindsMoveWithTheWidthOfTheHour)
{
    // First position (20, 100), second position (30, 105).
    DigitRecord amPm = record(DigitKind::AmPmShifted);
    amPm.stepX = 30;
    amPm.stepY = 105;
    DigitRecord hour = record(DigitKind::HourShifted);
    hour.stepX = 30;
    hour.stepY = 105;
    EXPECT_EQ(glyphs(amPm, clockAt(at(9, 0))), (std::vector<Glyph> { { 0, 20, 100 } }));
    EXPECT_EQ(glyphs(amPm, clockAt(at(22, 0))), (std::vector<Glyph> { { 1, 30, 105 } }));
    EXPECT_TRUE(glyphs(amPm, clockAt(at(22, 0), true)).empty());
    EXPECT_EQ(glyphs(hour, clockAt(at(21, 0))), (std::vector<Glyph> { { 9, 30, 105 } }));
    EXPECT_EQ(
        glyphs(hour, clockAt(at(11, 0))), (std::vector<Glyph> { { 1, 20, 100 }, { 1, 28, 100 } }));
}

TEST(FaceAreas, NoonCountsAsMorningForTheAmPmArea)
{
    const AreaRecord morning { 0, 0, std::int32_t(AreaKind::AmPm), 0, 0, 0, 10, 10, 0, 0 };
    AreaRecord afternoon = morning;
    afternoon.variant = 0x101; // only the low byte counts
    EXPECT_TRUE(areaShown(morning, clockAt(at(12, 30))));
    EXPECT_FALSE(areaShown(afternoon, clockAt(at(12, 30))));
    EXPECT_FALSE(areaShown(morning, clockAt(at(13, 0))));
    EXPECT_TRUE(areaShown(afternoon, clockAt(at(13, 0))));
    EXPECT_TRUE(areaShown(morning, clockAt(at(0, 0))));
    // A 24-hour clock shows both.
    EXPECT_TRUE(areaShown(morning, clockAt(at(13, 0), true)));
    EXPECT_TRUE(areaShown(afternoon, clockAt(at(9, 0), true)));
}

TEST(FaceAreas, ChimeAlarmAndWeekdayAreas)
{
    FaceClock clock = clockAt(at(9, 0, 0, 2026, 12, 8, 2));
    const AreaRecord chimeOn { 0, 0, std::int32_t(AreaKind::Chime), 0, 0, 0, 10, 10, 0, 0 };
    AreaRecord chimeOff = chimeOn;
    chimeOff.variant = 1;
    const AreaRecord alarmOn { 0, 0, std::int32_t(AreaKind::Alarm), 0, 0, 0, 10, 10, 0, 0 };
    AreaRecord alarmOff = alarmOn;
    alarmOff.variant = 1;
    EXPECT_FALSE(areaShown(chimeOn, clock));
    EXPECT_TRUE(areaShown(chimeOff, clock));
    EXPECT_FALSE(areaShown(alarmOn, clock));
    EXPECT_TRUE(areaShown(alarmOff, clock));
    clock.chimeOn = true;
    clock.nextAlarm = at(7, 0);
    EXPECT_TRUE(areaShown(chimeOn, clock));
    EXPECT_TRUE(areaShown(alarmOn, clock));
    EXPECT_FALSE(areaShown(alarmOff, clock));

    const AreaRecord weekday { 0, 0, std::int32_t(AreaKind::Weekday), 0, 5, 300, 25, 310, 20, 1 };
    EXPECT_TRUE(areaShown(weekday, clock));
    EXPECT_EQ(areaRect(weekday, clock), QRect(45, 302, 20, 10)); // Tuesday, day 2
    const AreaRecord unknown { 0, 0, 5, 0, 0, 0, 10, 10, 0, 0 };
    EXPECT_FALSE(areaShown(unknown, clock));
}

TEST(FaceHands, AnglesTurnCounterClockwiseFromTwelve)
{
    const HandRecord second { 0, 0, std::int32_t(HandKind::Second), 12, 0, 0, 0, 0, {} };
    const HandRecord minute { 0, 0, std::int32_t(HandKind::Minute), 12, 0, 0, 0, 0, {} };
    const HandRecord hour { 0, 0, std::int32_t(HandKind::Hour), 12, 0, 0, 0, 0, {} };
    const HandRecord hour24 { 0, 0, std::int32_t(HandKind::Hour), 24, 0, 0, 0, 0, {} };
    EXPECT_EQ(handAngle(second, at(0, 0, 15)), 270);
    EXPECT_EQ(handAngle(second, at(0, 0, 0)), 360);
    EXPECT_EQ(handAngle(minute, at(0, 45)), 90);
    EXPECT_EQ(handAngle(hour, at(15, 0)), 270);
    EXPECT_EQ(handAngle(hour, at(11, 59)), 6);
    EXPECT_EQ(handAngle(hour, at(0, 0)), 360);
    EXPECT_EQ(handAngle(hour24, at(6, 0)), 270);
    EXPECT_EQ(handAngle(hour24, at(18, 59)), 90);
}

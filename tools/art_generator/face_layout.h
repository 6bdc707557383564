#pragma once
// Where the faces' elements go on their backgrounds, in design pixels (double them for
// vga). The backgrounds are drawn around these places, the contact sheet's mock-ups put the
// elements there, and data/art/README.md repeats them for the face descriptions.

#include <QPointF>
#include <QRectF>

namespace art::layout {

// The default look's Digital Clock big time, relative to the 240 x 85 big-time area.
namespace digital_clock {
inline constexpr int kDigitTop = 12;
inline constexpr int kHourTensX = 4; // then every 34 pixels: hour units, colon, minutes
inline constexpr int kSecondsX = 180; // small digits, 18 apart
inline constexpr int kSecondsY = 35;
inline constexpr QPointF kAmPm(184, 14);
} // namespace digital_clock

namespace dezod {
inline constexpr int kDigitWidth = 40;
inline constexpr int kDigitHeight = 72;
inline constexpr int kDigitLeft = 20; // HH:MM in five frames, 40 apart
inline constexpr int kDigitTop = 110;
inline constexpr QRectF kCard(10, 96, 220, 100);
inline constexpr int kSmallWidth = 14;
inline constexpr int kSmallHeight = 22;
inline constexpr QRectF kSecondsPill(96, 206, 48, 26);
inline constexpr QPointF kSeconds(106, 208); // two small frames, 14 apart
inline constexpr QPointF kAmPm(152, 210); // the pill of frames 11/12 lands right of the seconds
inline constexpr QRectF kWeekdayText(16, 18, 180, 24); // left-aligned, under it a hairline at y 48
inline constexpr QPointF kBell(204, 20);
inline constexpr int kBellSide = 20;
inline constexpr QRectF kDateText(20, 246, 200, 24); // centred; an accent rule under it at y 282
} // namespace dezod

namespace virevur {
inline constexpr int kDigitWidth = 40;
inline constexpr int kDigitHeight = 64;
inline constexpr int kDigitLeft = 20;
inline constexpr int kDigitTop = 30;
inline constexpr QPointF kAmPm(180, 12); // its label sits above the minutes
inline constexpr QRectF kDateText(20, 98, 200, 18);
inline constexpr QRectF kLockTexts(20, 120, 200, 80); // kept calm for the lock's phone rows
inline constexpr QPointF kTrack(20, 252);
inline constexpr int kTrackWidth = 200;
inline constexpr int kTrackHeight = 40;
inline constexpr int kKnobSide = 40;
inline constexpr int kUnlockX = 160; // knob x within the track when it unlocks
} // namespace virevur

namespace orrery {
inline constexpr int kWorkAreaTop = 40; // the 240 x 240 square the hands are drawn in
inline constexpr QPointF kCentre(120, 160); // on the screen; (120, 120) in the work area
inline constexpr double kDialRadius = 112;
inline constexpr QRectF kWeekdayText(20, 12, 200, 22);
inline constexpr QRectF kDateText(20, 290, 200, 22);
inline constexpr int kHourHandSide = 128;
inline constexpr int kMinuteHandSide = 184;
inline constexpr int kSecondHandSide = 208;
} // namespace orrery

namespace segment {
inline constexpr QRectF kLcd(14, 66, 212, 152);
inline constexpr int kDigitWidth = 40;
inline constexpr int kDigitHeight = 72;
inline constexpr int kDigitLeft = 20;
inline constexpr int kDigitTop = 104;
inline constexpr int kSmallWidth = 14;
inline constexpr int kSmallHeight = 22;
inline constexpr int kSmallTop = 186;
inline constexpr int kDateLeft = 28; // month, day and a dash between: five small frames
inline constexpr int kSecondsLeft = 184; // two small frames
inline constexpr QPointF kAmPm(120, 188); // annunciator between the date and the seconds
inline constexpr int kWeekdayLeft = 22;
inline constexpr int kWeekdayTop = 78;
inline constexpr int kWeekdayWidth = 28;
inline constexpr int kWeekdayHeight = 14;
} // namespace segment

} // namespace art::layout

#pragma once
// What the records of a clock face show at a moment: the frames and places of digit records,
// whether an area is drawn and where, and the angle of a hand. Pure arithmetic, no drawing.

#include "faces/face_file.h"
#include "platform/types.h"

#include <QRect>

#include <array>
#include <optional>

namespace faces {

// The state a face draws.
struct FaceClock {
    SYSTEMTIME time {}; // local time
    bool use24Hour = false; // the locale's 24-hour flag
    bool monthFirst = false; // the locale's date order names the month first
    bool chimeOn = false; // the interval chime is switched on
    std::optional<SYSTEMTIME> nextAlarm; // the next enabled alarm, or none
};

struct DigitGlyph {
    int frame = 0; // sprite frame
    int x = 0, y = 0; // face position, before the host's offset
};

struct DigitGlyphs {
    std::array<DigitGlyph, kMaxDigitCount + 1> glyphs {};
    int count = 0;
    void add(int frame, int x, int y) { glyphs[std::size_t(count++)] = { frame, x, y }; }
    [[nodiscard]] const DigitGlyph* begin() const { return glyphs.data(); }
    [[nodiscard]] const DigitGlyph* end() const { return glyphs.data() + count; }
};

// The hour as a clock shows it: 0-23 in 24-hour mode, else 1-12 (hour 0 is 12).
[[nodiscard]] int shownHour(int hour, bool use24Hour);

// The glyphs of one digit record. Numbers are written with `count` digits in `base`, the
// digit j from the left at (x + j * stepX, y + j * stepY); kinds 13-15 advance by
// `frameWidth` and use (x, y) and (stepX, stepY) as two alternative positions.
[[nodiscard]] DigitGlyphs digitGlyphs(
    const DigitRecord& record, const FaceClock& clock, int frameWidth);

// Whether an area record is drawn, and the rectangle it takes from its image and covers.
[[nodiscard]] bool areaShown(const AreaRecord& area, const FaceClock& clock);
[[nodiscard]] QRect areaRect(const AreaRecord& area, const FaceClock& clock);

// A hand's rotation in degrees counter-clockwise from 12 o'clock: (60 - s) x 6 for seconds,
// (60 - m) x 6 for minutes, and for hours (24 - h) x 15 on a 24-hour dial, else
// ((12 - h mod 12) x 5 - m div 12) x 6.
[[nodiscard]] int handAngle(const HandRecord& hand, const SYSTEMTIME& time);

} // namespace faces

#pragma once
// Clock-face files (".qpg" for scale shift 0, ".vpg" for 1): a complete full-screen face made
// of images, digit sprites, hands, texts and fonts. Little-endian throughout.
//
// Layout: a 688-byte header (172 words, below); tables of fixed-size records, each at the
// file offset the header gives; an image stream (image_stream.h) holding, in this order, the
// plain images, for every sprite element its strip and (when its descriptor says so) its
// mask, and the overlay images (hands).
//
// A file is accepted only whole: every table and image entry must lie inside the file,
// tables may not overlap each other, the header or the image stream, counts are bounded,
// and every index a record holds must name something the file has.

#include "faces/image_stream.h"

#include <QFont>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

namespace faces {

inline constexpr std::size_t kFaceHeaderBytes = 688;
inline constexpr std::size_t kMaxFaceFileBytes = 32u * 1024 * 1024;

// Header word indices (byte offset / 4).
namespace face {
inline constexpr int kStreamOffset = 0; // file offset of the image stream
inline constexpr int kPlainCount = 1; // plain images
inline constexpr int kSpriteCount = 2; // sprite elements (12-byte descriptors)
inline constexpr int kOverlayCount = 3; // overlay images
inline constexpr int kCloseRect = 4; // 4 words: close rectangle (plug-in views, reminders)
inline constexpr int kDesignWidth = 8; // the screen the face was laid out for
inline constexpr int kDesignHeight = 9;
inline constexpr int kHandAreaY = 26; // y of the 240 x 240 (scaled) hand work area
inline constexpr int kBackground = 38; // plain image index of the background, or -1
inline constexpr int kHandCount = 70;
inline constexpr int kDigitCount = 71;
inline constexpr int kAreaCount = 72;
inline constexpr int kNumberTextCount = 73;
inline constexpr int kDateTextCount = 74;
inline constexpr int kFontCount = 75;
inline constexpr int kSliderElement = 76; // sprite index of the lock slider, or negative
inline constexpr int kLockFont = 77; // font of the lock texts, negative for the default
// The slide-to-unlock control of the custom lock, laid out for the design width.
inline constexpr int kKnobStartX = 78;
inline constexpr int kKnobStartY = 79;
inline constexpr int kUnlockX = 80;
inline constexpr int kTrackRect = 81; // 4 words: left, top, right, bottom
inline constexpr int kKnobRect = 85; // 4 words, relative to the knob position
inline constexpr int kTrackFill = 89; // 0 face background, 1 solid colour, 2 plain image
inline constexpr int kTrackColour = 90; // 0x00BBGGRR
inline constexpr int kTrackImage = 91; // plain image index
inline constexpr int kKnobFrames
    = 92; // 3 words: sprite frames normal, dragging, unlocked (-1 none)
inline constexpr int kLockTextColour = 95;
inline constexpr int kHandOffset = 165;
inline constexpr int kDigitOffset = 166;
inline constexpr int kAreaOffset = 167;
inline constexpr int kNumberTextOffset = 168;
inline constexpr int kDateTextOffset = 169;
inline constexpr int kSpriteOffset = 170;
inline constexpr int kFontOffset = 171;
} // namespace face

// Bounds on what one face may hold.
inline constexpr int kMaxFaceImages = 256; // of each kind: plain, sprite, overlay
inline constexpr int kMaxFaceRecords = 1024; // of each table
inline constexpr int kMaxFaceFonts = 64;
inline constexpr int kMaxSpriteFrames = 256;
inline constexpr int kMaxDigitCount = 16;

// 12-byte sprite descriptor.
inline constexpr std::int32_t kSpriteHasMask = -2;
struct SpriteDescriptor {
    std::int32_t frames; // equal frames side by side: digits 0-9, the colon at 10, ...
    std::int32_t mask; // kSpriteHasMask: a mask image follows the strip; else -1
    std::int32_t reserved;
};

// 36-byte digit record.
enum class DigitKind : std::int32_t {
    AmPm = 1,
    Chime = 2,
    AlarmOn = 3,
    Second = 4,
    Minute = 5,
    Hour = 6,
    Day = 7,
    Weekday = 8,
    Month = 9,
    Year = 10,
    AlarmHour = 11,
    AlarmMinute = 12,
    HourMinute = 13,
    AmPmShifted = 14,
    HourShifted = 15,
    AlarmAmPm = 16,
};
struct DigitRecord {
    std::int32_t reserved;
    std::int32_t sprite;
    std::int32_t kind; // DigitKind
    std::int32_t base; // 10 for decimal
    std::int32_t count; // digits, or the frame of the indicator kinds 2 and 3
    std::int32_t x, y;
    std::int32_t stepX, stepY; // kinds 13-15: a second position instead
};

// 40-byte hand record.
enum class HandKind : std::int32_t { Second = 4, Minute = 5, Hour = 6 };
struct HandRecord {
    std::int32_t reserved;
    std::int32_t overlay; // overlay image: the hand pointing at 12
    std::int32_t kind; // HandKind
    std::int32_t dialHours; // 24 for a 24-hour dial, else 12
    std::int32_t pivotX, pivotY; // rotation centre within the image
    std::int32_t x, y; // where the pivot sits, relative to the hand work area
    std::int32_t reserved2[2];
};

// 40-byte area record.
enum class AreaKind : std::int32_t { AmPm = 1, Chime = 2, Alarm = 3, Weekday = 8 };
struct AreaRecord {
    std::int32_t reserved;
    std::int32_t image; // plain image
    std::int32_t kind; // AreaKind
    std::int32_t variant; // low byte
    std::int32_t left, top, right, bottom; // in the image and on the face alike
    std::int32_t stepX, stepY; // weekday strip: the rectangle moves by day of week x step
};

enum class TextAlign : std::int32_t { Left = 0, Centre = 1, Right = 2 };

// 132-byte number-text record: a number in base 10 in a font and colour.
enum class NumberValue : std::int32_t {
    Second = 1,
    Minute = 2,
    Hour = 3,
    Hour12 = 4,
    Day = 5,
    Month = 6,
    Year = 7,
    Weekday = 8,
    DayOfYear = 9,
    AlarmHour = 10,
    AlarmMinute = 11,
};
struct NumberTextRecord {
    std::int32_t reserved;
    std::int32_t font; // font index, negative for the default font
    std::int32_t colour; // 0x00BBGGRR
    std::int32_t value; // NumberValue
    std::int32_t left, top, right, bottom;
    std::int32_t align; // TextAlign; always centred vertically
    std::int32_t minDigits; // zero-padded to this many digits (0: as _itow writes it)
    char16_t prefix[23]; // zero-terminated unless full
    char16_t suffix[23];
};

// 244-byte date/time-text record. Pictures use the handheld's letters ("dddd", "HH':'mm");
// an empty time picture means the locale's time without seconds, an empty date picture the
// locale's long date.
enum class DateTimeContent : std::int32_t {
    Time = 1,
    Date = 2,
    DateThenTime = 3,
    TimeThenDate = 4
};
struct DateTimeTextRecord {
    std::int32_t reserved;
    std::int32_t font;
    std::int32_t colour;
    std::int32_t content; // DateTimeContent
    std::int32_t left, top, right, bottom;
    std::int32_t align;
    char16_t timeFormat[32]; // from word 9
    char16_t dateFormat[72]; // from word 25
};

// 92-byte LOGFONTW.
struct LOGFONTW {
    std::int32_t lfHeight; // < 0: character height in pixels; > 0: cell height
    std::int32_t lfWidth;
    std::int32_t lfEscapement;
    std::int32_t lfOrientation;
    std::int32_t lfWeight; // 0 default, 400 normal, 700 bold
    std::uint8_t lfItalic;
    std::uint8_t lfUnderline;
    std::uint8_t lfStrikeOut;
    std::uint8_t lfCharSet;
    std::uint8_t lfOutPrecision;
    std::uint8_t lfClipPrecision;
    std::uint8_t lfQuality; // 3: not anti-aliased
    std::uint8_t lfPitchAndFamily;
    char16_t lfFaceName[32];
};

static_assert(sizeof(SpriteDescriptor) == 12);
static_assert(sizeof(DigitRecord) == 36);
static_assert(sizeof(HandRecord) == 40);
static_assert(sizeof(AreaRecord) == 40);
static_assert(sizeof(NumberTextRecord) == 132);
static_assert(offsetof(NumberTextRecord, prefix) == 40);
static_assert(sizeof(DateTimeTextRecord) == 244);
static_assert(offsetof(DateTimeTextRecord, timeFormat) == 9 * 4);
static_assert(offsetof(DateTimeTextRecord, dateFormat) == 25 * 4);
static_assert(sizeof(LOGFONTW) == 92);
static_assert(offsetof(LOGFONTW, lfFaceName) == 28);
static_assert(
    std::is_trivially_copyable_v<DateTimeTextRecord> && std::is_trivially_copyable_v<LOGFONTW>);

struct Sprite {
    SpriteDescriptor descriptor { 1, -1, 0 };
    Bytes strip;
    Bytes mask; // empty unless descriptor.mask is kSpriteHasMask
};

// A face file taken apart (or put together by the compiler). The header's counts and offsets
// describe the file it came from; writeFaceFile sets them afresh.
struct FaceFile {
    std::array<std::int32_t, kFaceHeaderBytes / 4> header {};
    std::vector<Bytes> plainImages;
    std::vector<Sprite> sprites;
    std::vector<Bytes> overlays;
    std::vector<HandRecord> hands;
    std::vector<DigitRecord> digits;
    std::vector<AreaRecord> areas;
    std::vector<NumberTextRecord> numberTexts;
    std::vector<DateTimeTextRecord> dateTexts;
    std::vector<LOGFONTW> fonts;
};

// A header with nothing in it: no background, no slider, default lock font.
[[nodiscard]] FaceFile emptyFace(int designWidth, int designHeight);

// The file taken apart; nullopt when anything about it does not fit (see above). The images
// are not decoded here.
[[nodiscard]] std::optional<FaceFile> parseFaceFile(ByteView bytes);

// The bytes of a face file: header, tables, then the image stream.
[[nodiscard]] Bytes writeFaceFile(const FaceFile& face);

// The font a LOGFONTW asks for; an empty face name asks for "Tahoma".
[[nodiscard]] QFont fontFromLogFont(const LOGFONTW& logFont);

} // namespace faces

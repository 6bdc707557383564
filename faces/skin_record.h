#pragma once
// The skin record: every image, colour and layout value of the main program's views. The
// resource pack ("data\res.dat", "data\resvga.dat") and the user's skins ("skins\*.qsk",
// "*.vsk") share it: 690 little-endian 32-bit words (2760 bytes), followed directly by the
// image stream (image_stream.h).
//
// Image indices are 0-based positions in the file's image stream; in a skin, -1 or -2 means
// "not given here, take the pack's". Colours are 0x00BBGGRR values.

#include <QColor>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace faces {

inline constexpr std::size_t kSkinWordCount = 690;
inline constexpr std::int32_t kSkinRecordBytes = 2760;

struct SkinRecord {
    std::array<std::int32_t, kSkinWordCount> words {};

    [[nodiscard]] std::int32_t operator[](int word) const { return words[std::size_t(word)]; }
    [[nodiscard]] std::int32_t& operator[](int word) { return words[std::size_t(word)]; }
};
static_assert(sizeof(SkinRecord) == kSkinRecordBytes);

// Word indices. Elements are five-word descriptors: image index, then four values whose
// meaning the element's user gives (usually x, y and two more).
namespace skin {

inline constexpr int kRecordSize = 0; // 2760, else the record is rejected
inline constexpr int kImageCount = 1; // entries in the image stream
inline constexpr int kImageTable = 2; // in memory only; 0 in files
inline constexpr int kBitmapTable = 3; // in memory only; 0 in files

// Images decoded on demand by their users (words 4-14).
inline constexpr int kDayMap = 4; // World Time map, day side
inline constexpr int kNightMap = 5; // World Time map, night side
inline constexpr int kMoonStrip = 6; // moon pictures 0-23, or 0-11 when the second strip is given
inline constexpr int kMoonStripSecond = 7; // moon pictures 12-23, or -1
inline constexpr int kMoonBackground = 8; // background of the Moon Phases picture
inline constexpr int kCityMark = 9; // marker of a city on the map
inline constexpr int kViewSelectorUp = 10; // view-selector panel, fourteen buttons up
inline constexpr int kViewSelectorDown = 11; // the same buttons pressed
inline constexpr int kSunPicture = 12; // picture of the Sun rise/set view
inline constexpr int kAmPm = 13; // AM and PM, two frames side by side
inline constexpr int kStatusIcons
    = 14; // 13 frames, magenta transparent; frame 10 is the view-list arrow
inline constexpr int kFirstOnDemand = 4;
inline constexpr int kLastOnDemand = 14;

// Elements.
inline constexpr int kScreenBackground = 15; // image, x, y
inline constexpr int kTitleBar = 20; // image, x, y
inline constexpr int kTabStrip = 25; // image, x, y, frame count
inline constexpr int kTabStripSelected = 30; // image, x, y, frame count
inline constexpr int kLargeDial = 35; // Analog Clock view's dial: image, x, y in the view

// The digital clock's digit images (50 words). Positions are relative to the big-time area
// of the Digital Clock view.
inline constexpr int kDigitBlock = 50;
inline constexpr int kDigitBlockWords = 50;
inline constexpr int kDigitImage = 50; // big digits 0-9 then the colon; -1: time drawn as text
inline constexpr int kDigitFrames = 51; // frames in that strip (at least 11)
inline constexpr int kSecondDigitImage = 52; // small digits for the seconds; -1: the big ones
inline constexpr int kSecondDigitFrames = 53;
inline constexpr int kDigitAmPmImage = 54; // two frames; -1: the AM/PM image of word 13
inline constexpr int kDigitBackground = 55; // -1: white
inline constexpr int kDigitHourTens = 56; // x, y pairs from here on
inline constexpr int kDigitHourUnits = 58;
inline constexpr int kDigitColon = 60;
inline constexpr int kDigitMinuteTens = 62;
inline constexpr int kDigitMinuteUnits = 64;
inline constexpr int kDigitSecondTens = 66;
inline constexpr int kDigitSecondUnits = 68;
inline constexpr int kDigitAmPmPosition = 70;
inline constexpr int kDigitFlags = 72; // bit 0: the colon shows on even seconds only

// Colours.
inline constexpr int kWindowColour = 100;
inline constexpr int kTextColour = 101;
inline constexpr int kDateColour = 102; // Digital Clock date line
inline constexpr int kCityColour = 103; // Digital Clock home-city line
inline constexpr int kSecondClockColour = 104; // Digital Clock visiting-city clock text
inline constexpr int kSecondClockFill = 105; // and its box
inline constexpr int kBigTimeColour = 106;
inline constexpr int kBigTimeFill = 107;
inline constexpr int kStatusTextColour = 108;
inline constexpr int kTitleTextColour = 109;
inline constexpr int kHighlightColour = 110;
inline constexpr int kHighlightTextColour = 111;
inline constexpr int kLineColour = 112;
inline constexpr int kDividerLineColour = 113; // the status-bar line of 320 x 320 screens

// View-selector panel: origin, first button rectangle (left, top, right, bottom), steps.
inline constexpr int kSelectorOriginX = 140;
inline constexpr int kSelectorOriginY = 141;
inline constexpr int kSelectorFirstButton = 142;
inline constexpr int kSelectorStepX = 146;
inline constexpr int kSelectorStepY = 147;
// The origin of the panel laid out as two columns of seven (320 x 320 and landscape
// 400-line screens); the origin above serves the two rows of portrait 400-line screens.
inline constexpr int kSelectorColumnOriginX = 148;
inline constexpr int kSelectorColumnOriginY = 149;
inline constexpr int kSelectorColumnStepX = 150;
inline constexpr int kSelectorColumnStepY = 151;

// Backgrounds of the thirteen built-in views: elements at 160 + 5 x view index.
inline constexpr int kFirstViewBackground = 160;
inline constexpr int kCheckBoxes = 225; // image (frames off, on), frame count
inline constexpr int kPushButtons = 230; // image, frame count
inline constexpr int kArrows = 235; // image, frame count
inline constexpr int kAlarmBells = 240; // image (frames off, on), frame count
inline constexpr int kListMarks = 245; // image, frame count

// The large analog clock (Analog Clock view and its full-screen variant); the dial is the
// element at 35. Lengths are pixels from the centre.
inline constexpr int kClockCentreX = 300; // centre within the dial image
inline constexpr int kClockCentreY = 301;
inline constexpr int kHourLength = 302;
inline constexpr int kHourTail = 303;
inline constexpr int kHourHalfWidth = 304;
inline constexpr int kMinuteLength = 305;
inline constexpr int kMinuteTail = 306;
inline constexpr int kMinuteHalfWidth = 307;
inline constexpr int kSecondLength = 308;
inline constexpr int kHourPenColour = 309;
inline constexpr int kHourPenWidth = 310;
inline constexpr int kHourBrushColour = 311;
inline constexpr int kMinutePenColour = 312;
inline constexpr int kMinutePenWidth = 313;
inline constexpr int kMinuteBrushColour = 314;
inline constexpr int kSecondPenColour = 315;
inline constexpr int kSecondPenWidth = 316;
inline constexpr int kClockTextRect = 317; // left, top, right, bottom, relative to the dial
inline constexpr int kClockTextColour = 321;
inline constexpr int kClockTextFill = 322;
inline constexpr int kClockTextHeight = 323; // pixel height of the time under the dial

// Status bar.
inline constexpr int kStatusBar = 349; // bar image
inline constexpr int kStatusDivider = 354; // divider image

// Small analog clock (the two-line clocks inside views).
inline constexpr int kSmallDial = 458; // dial image
inline constexpr int kSmallImageClock = 463; // two frames (hour hand, minute hand) pointing at 12,
                                             // value 1, 2: pivot within a frame; -1: lines
inline constexpr int kSmallHourColour = 473;
inline constexpr int kSmallMinuteColour = 474;
inline constexpr int kSmallCentreX = 475;
inline constexpr int kSmallCentreY = 476;
inline constexpr int kSmallHourWidth = 477;
inline constexpr int kSmallMinuteWidth = 478;
inline constexpr int kSmallHourLength = 479;
inline constexpr int kSmallMinuteLength = 480;

// Images of the screen saver, the reminder and the locks (decoded in those modes only).
inline constexpr int kSaverDial = 557; // the screen-saver clock's dial
inline constexpr int kSaverBackground = 562;
inline constexpr int kReminderBackground = 567;
inline constexpr int kReminderButtons = 572; // image, frame count
inline constexpr int kLockTrack = 592; // slide-to-unlock track
inline constexpr int kTitleAreaBackground = 624; // reminder, and lock on 400-line screens
inline constexpr int kLockKnob = 656; // knob: frames normal, dragging, unlocked
inline constexpr int kLockPhoneIcons = 661; // missed call, SMS, MMS

} // namespace skin

struct ElementDescriptor {
    std::int32_t image = -1;
    std::int32_t values[4] {};
};
[[nodiscard]] ElementDescriptor elementAt(const SkinRecord& record, int word);

// Every word that holds one image index of its own (words 4-14); every element descriptor;
// the image words of the digit block.
[[nodiscard]] std::span<const int> onDemandImageWords();
[[nodiscard]] std::span<const int> elementWords();
[[nodiscard]] std::span<const int> digitBlockImageWords();

// Whether a skin leaves an image out: -1 or -2, or an index its stream does not have.
[[nodiscard]] bool imageLeftOut(std::int32_t index, std::int32_t imageCount);

// A 0x00BBGGRR colour.
[[nodiscard]] QColor colourOf(std::int32_t colorref);
[[nodiscard]] std::int32_t colorrefOf(const QColor& colour);

// The names the skin builder and the dump tool use for the words above.
enum class WordKind { Image, Element, Colour, Value, Point, Rect };
struct SkinWordName {
    std::string_view name;
    int word;
    WordKind kind;
};
[[nodiscard]] std::span<const SkinWordName> skinWordNames();
[[nodiscard]] const SkinWordName* skinWordNamed(std::string_view name);
[[nodiscard]] int wordsOf(WordKind kind); // 1, 5, 1, 1, 2 or 4

} // namespace faces

#pragma once
// The look of the main program: the resource pack (the default skin, which must be present)
// and the user's skin, which replaces the pack's record and takes from the pack whatever it
// leaves out.

#include "faces/image_stream.h"
#include "faces/skin_record.h"

#include <QImage>
#include <QPalette>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace faces {

// Which images a mode decodes when the skin loads; the others are decoded when first asked for.
enum class SkinMode {
    Normal, // everything but the on-demand images of words 4-14, plus the status-bar icons
    Saver, // the screen-saver images (557, 562)
    Reminder, // the reminder's (567, 572, 624)
    StandardLock, // the screen-saver images
    CustomLock, // the slide-to-unlock lock's (592, 656, 661; 624 on 400-line screens)
};

enum class SkinOutcome {
    Loaded, // the named skin, completed from the pack
    PackLook, // no skin named, "Default", or a skin file that was unusable: the pack's look
    PackUnusable, // the resource pack is missing, short or malformed: the program shows
                  // critical error 2 and ends
};

struct SkinSource {
    std::u16string installFolder = u"\\Program Files\\Tickwell Pro\\"; // with its trailing "\"
    int scaleShift = 0; // ".qsk" and "res.dat" for 0, ".vsk" and "resvga.dat" for 1
    SkinMode mode = SkinMode::Normal;
    int layoutKind = 0; // of the screen (ScreenLayout)
};

// Files larger than this are not read.
inline constexpr std::size_t kMaxSkinFileBytes = 64u * 1024 * 1024;

// A skin or pack file in memory: its record and image entries (views into `bytes`); nullopt
// when word 0 is not 2760 or an entry reaches past the end.
struct SkinFile {
    SkinRecord record;
    std::vector<ByteView> images;
};
[[nodiscard]] std::optional<SkinFile> parseSkinFile(ByteView bytes);
// The bytes of a skin or pack file: the record (words 0 and 1 filled in) and the images.
[[nodiscard]] Bytes writeSkinFile(const SkinRecord& record, const std::vector<Bytes>& images);

class SkinSet {
public:
    SkinSet();
    ~SkinSet();
    SkinSet(const SkinSet&) = delete;
    SkinSet& operator=(const SkinSet&) = delete;

    // Loads the pack (first time only) and the skin named `skinName`; an empty name or
    // `defaultName` (the localised "Default", compared without case) asks for the pack's look.
    // On PackUnusable nothing is loaded.
    [[nodiscard]] SkinOutcome load(const SkinSource& source, std::u16string_view skinName,
        std::u16string_view defaultName = u"Default");
    // The same from bytes already in memory (tools, tests); a null skin means the pack's look.
    [[nodiscard]] SkinOutcome loadBytes(Bytes pack, std::optional<Bytes> skin,
        SkinMode mode = SkinMode::Normal, int layoutKind = 0);

    [[nodiscard]] bool loaded() const { return m_loaded; }
    // The record in use: the skin's, with the pack's elements where it had none.
    [[nodiscard]] const SkinRecord& record() const { return m_record; }
    [[nodiscard]] std::int32_t word(int word) const { return m_record[word]; }
    [[nodiscard]] ElementDescriptor element(int word) const { return elementAt(m_record, word); }
    [[nodiscard]] QColor colour(int word) const { return colourOf(m_record[word]); }
    // A word used as a position, size or width, kept within [low, high]: skins come from
    // outside, and an extreme value must not overflow the drawing arithmetic.
    [[nodiscard]] int bounded(int word, int low = -32767, int high = 32767) const
    {
        return std::clamp(m_record[word], low, high);
    }

    [[nodiscard]] int imageCount() const { return int(m_images.size()); }
    // Image `index` of the record's list, decoded on first use; null when there is none or
    // it does not decode.
    [[nodiscard]] QImage image(std::int32_t index) const;
    // The image of a one-image word (4-14, digit block) or of an element descriptor.
    [[nodiscard]] QImage imageOf(int word) const { return image(m_record[word]); }
    // The encoded bytes of image `index` (the dump tool shows them).
    [[nodiscard]] ByteView imageBytes(std::int32_t index) const;

    // The status-bar icons: 13 frames of word 14, magenta transparent (normal mode only).
    [[nodiscard]] const std::vector<QImage>& statusIcons() const { return m_statusIcons; }
    // AM and PM: the two halves of the image of word 13.
    [[nodiscard]] std::array<QImage, 2> amPmImages() const;
    // Whether the digital clock draws its time with images (digit block word 50).
    [[nodiscard]] bool hasDigitImages() const
    {
        return !image(m_record[skin::kDigitImage]).isNull();
    }

private:
    void release();
    void decodeForMode(SkinMode mode, int layoutKind);

    bool m_loaded = false;
    Bytes m_packBytes;
    std::optional<SkinFile> m_pack;
    Bytes m_skinBytes;
    SkinRecord m_record;
    std::vector<ByteView> m_images;
    mutable std::vector<std::optional<QImage>> m_decoded;
    std::vector<QImage> m_statusIcons;
};

// The look's colours as a palette for the widget-based parts of the views (lists, calendar,
// check boxes, buttons, text fields): window and text colours, the highlight, and buttons and
// frames shaded from the line colour, laid onto `palette`. An unloaded look leaves it as it is.
[[nodiscard]] QPalette skinPalette(const SkinSet& look, QPalette palette = QPalette());

// The Skin submenu (Options menu, position 5) as data: "Default" with command 40700, then one
// entry per skin file of "skins\" with 40700 + k (k from 1, in listing order, at most 99),
// each named by its file name without extension.
inline constexpr int kFirstSkinCommand = 40700;
inline constexpr int kLastSkinCommand = 40799;
inline constexpr int kSkinTitleString = 40775; // "Skin"
inline constexpr int kDefaultSkinString = 41095; // "Default", plus the language offset
inline constexpr std::size_t kSkinNameChars = 63; // what the settings record holds

struct SkinMenuEntry {
    std::u16string name;
    int command = 0;
};
struct SkinMenu {
    std::vector<SkinMenuEntry> entries;
    int checked = -1; // the entry with the radio mark, or -1
};
[[nodiscard]] SkinMenu buildSkinMenu(std::u16string_view installFolder, int scaleShift,
    std::u16string_view defaultName, std::u16string_view currentSkin);

// Whether a stored skin name asks for the pack's look: empty, "Default" or the localised name.
[[nodiscard]] bool namesDefaultSkin(std::u16string_view name, std::u16string_view defaultName);

// What a Skin command asks for: the entry's name cut to 63 characters, or nullopt when the
// command is no entry of the menu or names the skin already in use (nothing to do then).
[[nodiscard]] std::optional<std::u16string> skinChoice(const SkinMenu& menu, int command,
    std::u16string_view currentSkin, std::u16string_view defaultName);

} // namespace faces

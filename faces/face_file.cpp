#include "faces/face_file.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace faces {

namespace {

// Positions and sizes in records stay far from the ends of int, so that sums of a position, an
// offset and a few steps never overflow.
constexpr std::int32_t kMaxCoordinate = 32767;

bool isCoordinate(std::int32_t value)
{
    return value >= -kMaxCoordinate && value <= kMaxCoordinate;
}

template <typename... Values> bool areCoordinates(Values... values)
{
    return (isCoordinate(values) && ...);
}

bool isIndex(std::int32_t index, std::size_t count)
{
    return index >= 0 && std::size_t(index) < count;
}

struct Range {
    std::size_t begin, end;
};

// One table of the header: where it lies, after checking that it lies inside the file.
template <typename Record>
bool readTable(ByteView bytes, const FaceFile& face, int countWord, int offsetWord, int maxCount,
    std::vector<Record>& into, std::vector<Range>& ranges)
{
    const std::int32_t count = face.header[std::size_t(countWord)];
    if (count < 0 || count > maxCount)
        return false;
    if (count == 0)
        return true;
    const std::int32_t offset = face.header[std::size_t(offsetWord)];
    if (offset < std::int32_t(kFaceHeaderBytes) || std::size_t(offset) > bytes.size())
        return false;
    const std::size_t size = std::size_t(count) * sizeof(Record);
    if (size > bytes.size() - std::size_t(offset))
        return false;
    into.resize(std::size_t(count));
    std::memcpy(into.data(), bytes.data() + offset, size);
    ranges.push_back({ std::size_t(offset), std::size_t(offset) + size });
    return true;
}

bool recordsAreSound(const FaceFile& face)
{
    const std::size_t fonts = face.fonts.size();
    const auto fontOk = [fonts](std::int32_t font) { return font < 0 || isIndex(font, fonts); };
    for (const auto& sprite : face.sprites) {
        if (sprite.descriptor.frames < 1 || sprite.descriptor.frames > kMaxSpriteFrames)
            return false;
    }
    for (const auto& digit : face.digits) {
        if (!isIndex(digit.sprite, face.sprites.size()) || digit.kind < 1 || digit.kind > 16)
            return false;
        if (!areCoordinates(digit.x, digit.y, digit.stepX, digit.stepY))
            return false;
        const auto kind = DigitKind(digit.kind);
        const bool indicator = kind == DigitKind::AmPm || kind == DigitKind::Chime
            || kind == DigitKind::AlarmOn || kind == DigitKind::AmPmShifted
            || kind == DigitKind::AlarmAmPm;
        if (indicator) {
            if (digit.count < 0 || digit.count >= kMaxSpriteFrames)
                return false;
        } else if (digit.base < 2 || digit.base > 36 || digit.count < 0
            || digit.count > kMaxDigitCount) {
            return false;
        }
    }
    for (const auto& hand : face.hands) {
        if (!isIndex(hand.overlay, face.overlays.size()) || hand.kind < 4 || hand.kind > 6)
            return false;
        if ((hand.dialHours != 12 && hand.dialHours != 24)
            || !areCoordinates(hand.pivotX, hand.pivotY, hand.x, hand.y))
            return false;
    }
    for (const auto& area : face.areas) {
        if (!isIndex(area.image, face.plainImages.size()))
            return false;
        if (!areCoordinates(area.left, area.top, area.right, area.bottom, area.stepX, area.stepY)
            || area.left > area.right || area.top > area.bottom)
            return false;
    }
    for (const auto& text : face.numberTexts) {
        if (!fontOk(text.font) || !areCoordinates(text.left, text.top, text.right, text.bottom)
            || text.minDigits < 0 || text.minDigits > kMaxDigitCount)
            return false;
    }
    for (const auto& text : face.dateTexts) {
        if (!fontOk(text.font) || !areCoordinates(text.left, text.top, text.right, text.bottom))
            return false;
    }
    for (const auto& font : face.fonts) {
        if (font.lfHeight < -1000 || font.lfHeight > 1000 || font.lfWeight < 0
            || font.lfWeight > 1000)
            return false;
    }
    const auto& h = face.header;
    const std::int32_t background = h[face::kBackground];
    if (background >= 0 && !isIndex(background, face.plainImages.size()))
        return false;
    const std::int32_t slider = h[face::kSliderElement];
    if (slider >= 0 && !isIndex(slider, face.sprites.size()))
        return false;
    if (!fontOk(h[face::kLockFont]))
        return false;
    for (int word = face::kCloseRect; word < face::kCloseRect + 4; ++word) {
        if (!isCoordinate(h[std::size_t(word)]))
            return false;
    }
    for (int word = face::kKnobStartX; word <= face::kKnobRect + 3; ++word) {
        if (!isCoordinate(h[std::size_t(word)]))
            return false;
    }
    if (h[face::kTrackFill] == 2 && !isIndex(h[face::kTrackImage], face.plainImages.size()))
        return false;
    return isCoordinate(h[face::kHandAreaY])
        && areCoordinates(h[face::kDesignWidth], h[face::kDesignHeight]);
}

template <typename Record>
void appendTable(Bytes& bytes, FaceFile& layout, int countWord, int offsetWord,
    const std::vector<Record>& records)
{
    layout.header[std::size_t(countWord)] = std::int32_t(records.size());
    layout.header[std::size_t(offsetWord)] = std::int32_t(bytes.size());
    const std::size_t at = bytes.size();
    bytes.resize(at + records.size() * sizeof(Record));
    if (!records.empty())
        std::memcpy(bytes.data() + at, records.data(), records.size() * sizeof(Record));
}

} // namespace

FaceFile emptyFace(int designWidth, int designHeight)
{
    FaceFile face;
    face.header[face::kDesignWidth] = designWidth;
    face.header[face::kDesignHeight] = designHeight;
    face.header[face::kBackground] = -1;
    face.header[face::kSliderElement] = -1;
    face.header[face::kLockFont] = -1;
    face.header[face::kKnobFrames] = 0;
    face.header[face::kKnobFrames + 1] = -1;
    face.header[face::kKnobFrames + 2] = -1;
    return face;
}

std::optional<FaceFile> parseFaceFile(ByteView bytes)
{
    if (bytes.size() < kFaceHeaderBytes || bytes.size() > kMaxFaceFileBytes)
        return std::nullopt;
    FaceFile face;
    for (std::size_t word = 0; word < face.header.size(); ++word)
        face.header[word] = wordAt(bytes, word * 4);
    const auto& h = face.header;

    const std::int32_t plain = h[face::kPlainCount];
    const std::int32_t sprites = h[face::kSpriteCount];
    const std::int32_t overlays = h[face::kOverlayCount];
    if (plain < 0 || plain > kMaxFaceImages || sprites < 0 || sprites > kMaxFaceImages
        || overlays < 0 || overlays > kMaxFaceImages)
        return std::nullopt;

    std::vector<Range> ranges;
    std::vector<SpriteDescriptor> descriptors;
    if (!readTable(bytes, face, face::kSpriteCount, face::kSpriteOffset, kMaxFaceImages,
            descriptors, ranges)
        || !readTable(
            bytes, face, face::kHandCount, face::kHandOffset, kMaxFaceRecords, face.hands, ranges)
        || !readTable(bytes, face, face::kDigitCount, face::kDigitOffset, kMaxFaceRecords,
            face.digits, ranges)
        || !readTable(
            bytes, face, face::kAreaCount, face::kAreaOffset, kMaxFaceRecords, face.areas, ranges)
        || !readTable(bytes, face, face::kNumberTextCount, face::kNumberTextOffset, kMaxFaceRecords,
            face.numberTexts, ranges)
        || !readTable(bytes, face, face::kDateTextCount, face::kDateTextOffset, kMaxFaceRecords,
            face.dateTexts, ranges)
        || !readTable(
            bytes, face, face::kFontCount, face::kFontOffset, kMaxFaceFonts, face.fonts, ranges))
        return std::nullopt;

    std::size_t masks = 0;
    for (const auto& descriptor : descriptors)
        masks += descriptor.mask == kSpriteHasMask ? 1 : 0;
    const std::size_t images
        = std::size_t(plain) + std::size_t(sprites) + masks + std::size_t(overlays);
    const std::int32_t streamOffset = h[face::kStreamOffset];
    if (images > 0) {
        if (streamOffset < std::int32_t(kFaceHeaderBytes))
            return std::nullopt;
        auto stream = parseImageStream(bytes, std::size_t(streamOffset), images);
        if (!stream)
            return std::nullopt;
        ranges.push_back({ std::size_t(streamOffset), stream->end });
        std::size_t next = 0;
        const auto take = [&] {
            const ByteView entry = stream->entries[next++];
            return Bytes(entry.begin(), entry.end());
        };
        for (std::int32_t i = 0; i < plain; ++i)
            face.plainImages.push_back(take());
        for (const auto& descriptor : descriptors) {
            Sprite sprite;
            sprite.descriptor = descriptor;
            sprite.strip = take();
            if (descriptor.mask == kSpriteHasMask)
                sprite.mask = take();
            face.sprites.push_back(std::move(sprite));
        }
        for (std::int32_t i = 0; i < overlays; ++i)
            face.overlays.push_back(take());
    }

    // Tables that share bytes with each other or with the images are a damaged file.
    std::sort(ranges.begin(), ranges.end(),
        [](const Range& a, const Range& b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].begin < ranges[i - 1].end)
            return std::nullopt;
    }
    if (!recordsAreSound(face))
        return std::nullopt;
    return face;
}

Bytes writeFaceFile(const FaceFile& face)
{
    FaceFile layout;
    layout.header = face.header;
    Bytes bytes(kFaceHeaderBytes);
    std::vector<SpriteDescriptor> descriptors;
    for (const auto& sprite : face.sprites) {
        SpriteDescriptor descriptor = sprite.descriptor;
        descriptor.mask = sprite.mask.empty() ? -1 : kSpriteHasMask;
        descriptors.push_back(descriptor);
    }
    appendTable(bytes, layout, face::kSpriteCount, face::kSpriteOffset, descriptors);
    appendTable(bytes, layout, face::kHandCount, face::kHandOffset, face.hands);
    appendTable(bytes, layout, face::kDigitCount, face::kDigitOffset, face.digits);
    appendTable(bytes, layout, face::kAreaCount, face::kAreaOffset, face.areas);
    appendTable(bytes, layout, face::kNumberTextCount, face::kNumberTextOffset, face.numberTexts);
    appendTable(bytes, layout, face::kDateTextCount, face::kDateTextOffset, face.dateTexts);
    appendTable(bytes, layout, face::kFontCount, face::kFontOffset, face.fonts);

    auto& h = layout.header;
    h[face::kStreamOffset] = std::int32_t(bytes.size());
    h[face::kPlainCount] = std::int32_t(face.plainImages.size());
    h[face::kOverlayCount] = std::int32_t(face.overlays.size());
    for (const auto& image : face.plainImages)
        appendImageEntry(bytes, image);
    for (const auto& sprite : face.sprites) {
        appendImageEntry(bytes, sprite.strip);
        if (!sprite.mask.empty())
            appendImageEntry(bytes, sprite.mask);
    }
    for (const auto& image : face.overlays)
        appendImageEntry(bytes, image);
    for (std::size_t word = 0; word < h.size(); ++word)
        putWord(bytes, word * 4, h[word]);
    return bytes;
}

QFont fontFromLogFont(const LOGFONTW& logFont)
{
    std::size_t length = 0;
    while (length < std::size(logFont.lfFaceName) && logFont.lfFaceName[length] != 0)
        ++length;
    const QString family = length
        ? QString(reinterpret_cast<const QChar*>(logFont.lfFaceName), qsizetype(length))
        : QStringLiteral("Tahoma");
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    // A negative height is the character height; a positive one is the cell height, of which
    // the characters take about 86 % in the sans faces the suite uses.
    int pixels = 13;
    if (logFont.lfHeight < 0)
        pixels = -logFont.lfHeight;
    else if (logFont.lfHeight > 0)
        pixels = std::max(1, (logFont.lfHeight * 86 + 50) / 100);
    font.setPixelSize(pixels);
    if (logFont.lfWeight > 0)
        font.setWeight(QFont::Weight(std::clamp(logFont.lfWeight, 1, 1000)));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    constexpr std::uint8_t kNonAntialiasedQuality = 3;
    font.setStyleStrategy(
        logFont.lfQuality == kNonAntialiasedQuality ? QFont::NoAntialias : QFont::PreferAntialias);
    return font;
}

} // namespace faces

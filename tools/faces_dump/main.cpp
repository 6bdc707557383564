// faces_dump: prints what a resource pack, a skin or a clock-face file holds.
//
//     faces_dump <file>...
//
// A file whose first word is 2760 is read as a pack or skin, anything else as a face. Exit
// status 1 when a file does not load the way the main program would load it.

#include "faces/face_file.h"
#include "faces/skin.h"

#include <QCoreApplication>
#include <QString>

#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

namespace {

std::string utf8(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()))
        .toStdString();
}

template <std::size_t N> std::string fieldText(const char16_t (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length] != 0)
        ++length;
    return utf8(std::u16string_view(field, length));
}

std::string describeImage(faces::ByteView bytes)
{
    const QImage image = faces::decodeImage(bytes);
    std::string text = std::to_string(bytes.size()) + " bytes, ";
    if (image.isNull())
        return text + "DOES NOT DECODE";
    return text + std::to_string(image.width()) + "x" + std::to_string(image.height())
        + (image.hasAlphaChannel() ? " with alpha" : "");
}

std::string colourText(std::int32_t colorref)
{
    const QColor colour = faces::colourOf(colorref);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red(), colour.green(), colour.blue());
    return text;
}

int dumpSkin(const faces::Bytes& bytes)
{
    const auto file = faces::parseSkinFile(bytes);
    if (!file) {
        std::cout << "pack or skin: REJECTED (word 0 is not 2760 or an image entry reaches past "
                     "the end)\n";
        return 1;
    }
    const faces::SkinRecord& r = file->record;
    std::cout << "pack or skin: " << bytes.size() << " bytes, " << file->images.size()
              << " images\n\nwords:\n";
    std::set<int> named;
    for (const auto& name : faces::skinWordNames()) {
        const int count = faces::wordsOf(name.kind);
        for (int i = 0; i < count; ++i)
            named.insert(name.word + i);
        std::cout << "  " << name.word << " " << name.name << ":";
        switch (name.kind) {
        case faces::WordKind::Image:
        case faces::WordKind::Element:
            std::cout << " image " << r[name.word];
            if (faces::imageLeftOut(r[name.word], std::int32_t(file->images.size())))
                std::cout << " (not given)";
            for (int i = 1; i < count; ++i)
                std::cout << " " << r[name.word + i];
            break;
        case faces::WordKind::Colour:
            std::cout << " " << colourText(r[name.word]);
            break;
        default:
            for (int i = 0; i < count; ++i)
                std::cout << " " << r[name.word + i];
        }
        std::cout << "\n";
    }
    for (int word = 4; word < int(faces::kSkinWordCount); ++word) {
        if (!named.count(word) && r[word] != 0)
            std::cout << "  " << word << ": " << r[word] << "\n";
    }
    std::cout << "\nimages:\n";
    for (std::size_t i = 0; i < file->images.size(); ++i)
        std::cout << "  " << i << ": " << describeImage(file->images[i]) << "\n";
    return 0;
}

int dumpFace(const faces::Bytes& bytes)
{
    const auto face = faces::parseFaceFile(bytes);
    if (!face) {
        std::cout << "face: REJECTED (a table, count, offset or index does not fit the file)\n";
        return 1;
    }
    namespace f = faces::face;
    const auto& h = face->header;
    std::cout << "face: " << bytes.size() << " bytes, designed for " << h[f::kDesignWidth] << "x"
              << h[f::kDesignHeight] << "\n  background image " << h[f::kBackground]
              << ", hand work area at y " << h[f::kHandAreaY] << "\n  close rect "
              << h[f::kCloseRect] << "," << h[f::kCloseRect + 1] << "," << h[f::kCloseRect + 2]
              << "," << h[f::kCloseRect + 3] << "\n  lock slider sprite " << h[f::kSliderElement]
              << ", lock font " << h[f::kLockFont] << ", lock text "
              << colourText(h[f::kLockTextColour]) << "\n  slider knob " << h[f::kKnobStartX] << ","
              << h[f::kKnobStartY] << " unlock x " << h[f::kUnlockX] << " track "
              << h[f::kTrackRect] << "," << h[f::kTrackRect + 1] << "," << h[f::kTrackRect + 2]
              << "," << h[f::kTrackRect + 3] << " fill " << h[f::kTrackFill] << "\n";
    int index = 0;
    for (const auto& image : face->plainImages)
        std::cout << "image " << index++ << ": " << describeImage(image) << "\n";
    index = 0;
    for (const auto& sprite : face->sprites) {
        std::cout << "sprite " << index++ << ": " << sprite.descriptor.frames << " frames, "
                  << describeImage(sprite.strip);
        if (!sprite.mask.empty())
            std::cout << "; mask " << describeImage(sprite.mask);
        std::cout << "\n";
    }
    index = 0;
    for (const auto& image : face->overlays)
        std::cout << "overlay " << index++ << ": " << describeImage(image) << "\n";
    index = 0;
    for (const auto& font : face->fonts)
        std::cout << "font " << index++ << ": \"" << fieldText(font.lfFaceName) << "\" height "
                  << font.lfHeight << " weight " << font.lfWeight
                  << (font.lfItalic ? " italic" : "") << "\n";
    for (const auto& d : face->digits)
        std::cout << "digits kind " << d.kind << " sprite " << d.sprite << " base " << d.base
                  << " count " << d.count << " at " << d.x << "," << d.y << " step " << d.stepX
                  << "," << d.stepY << "\n";
    for (const auto& a : face->areas)
        std::cout << "area kind " << a.kind << " variant " << (a.variant & 0xff) << " image "
                  << a.image << " rect " << a.left << "," << a.top << "," << a.right << ","
                  << a.bottom << " step " << a.stepX << "," << a.stepY << "\n";
    for (const auto& t : face->dateTexts)
        std::cout << "text content " << t.content << " font " << t.font << " "
                  << colourText(t.colour) << " rect " << t.left << "," << t.top << "," << t.right
                  << "," << t.bottom << " align " << t.align << " time \""
                  << fieldText(t.timeFormat) << "\" date \"" << fieldText(t.dateFormat) << "\"\n";
    for (const auto& t : face->numberTexts)
        std::cout << "number value " << t.value << " font " << t.font << " " << colourText(t.colour)
                  << " rect " << t.left << "," << t.top << "," << t.right << "," << t.bottom
                  << " digits " << t.minDigits << " prefix \"" << fieldText(t.prefix)
                  << "\" suffix \"" << fieldText(t.suffix) << "\"\n";
    for (const auto& hand : face->hands)
        std::cout << "hand kind " << hand.kind << " overlay " << hand.overlay << " dial "
                  << hand.dialHours << " pivot " << hand.pivotX << "," << hand.pivotY << " at "
                  << hand.x << "," << hand.y << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: faces_dump <file>...\n";
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::cerr << argv[i] << ": cannot read\n";
            status = 1;
            continue;
        }
        const std::string content(
            (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        faces::Bytes bytes(content.size());
        std::transform(
            content.begin(), content.end(), bytes.begin(), [](char c) { return std::byte(c); });
        std::cout << argv[i] << "\n";
        const bool skin = bytes.size() >= 4 && faces::wordAt(bytes, 0) == faces::kSkinRecordBytes;
        status |= skin ? dumpSkin(bytes) : dumpFace(bytes);
        if (i + 1 < argc)
            std::cout << "\n";
    }
    return status;
}

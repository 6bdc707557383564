#include "faces/face_file.h"
#include "faces/face_host.h"

#include "tests/faces/faces_fixture.h"
#include "tests/support/device_fixture.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace faces;
using faces_test::sampleArt;

namespace {

Bytes sample()
{
    return sampleArt("sample.qpg");
}

Bytes withWord(Bytes bytes, int word, std::int32_t value)
{
    putWord(bytes, std::size_t(word) * 4, value);
    return bytes;
}

std::int32_t headerWord(const Bytes& bytes, int word)
{
    return wordAt(bytes, std::size_t(word) * 4);
}

// Both the parser and the host refuse the file, and the host keeps nothing.
void expectRejected(const Bytes& bytes, const char* why)
{
    EXPECT_FALSE(parseFaceFile(bytes)) << why;
    FaceHost host;
    EXPECT_FALSE(host.loadBytes(bytes, 0)) << why;
    EXPECT_FALSE(host.loaded()) << why;
}

} // namespace

TEST(FaceFile, SampleReadsBackAndWritesTheSameBytes)
{
    const Bytes bytes = sample();
    const auto face = parseFaceFile(bytes);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->plainImages.size(), 2u);
    ASSERT_EQ(face->sprites.size(), 2u);
    EXPECT_EQ(face->sprites[0].descriptor.frames, 11);
    EXPECT_TRUE(face->sprites[0].mask.empty());
    EXPECT_FALSE(face->sprites[1].mask.empty());
    EXPECT_EQ(face->digits.size(), 5u);
    EXPECT_EQ(face->hands.size(), 1u);
    EXPECT_EQ(face->fonts.size(), 1u);
    EXPECT_EQ(writeFaceFile(*face), bytes);
}

TEST(FaceFile, EveryTruncationIsRejected)
{
    const Bytes bytes = sample();
    for (std::size_t size = 0; size < bytes.size(); size += size < 800 ? 1 : 13)
        EXPECT_FALSE(parseFaceFile(ByteView(bytes).first(size))) << "cut at " << size;
}

TEST(FaceFile, CountsAndOffsetsOutsideTheFileAreRejected)
{
    const Bytes bytes = sample();
    const auto size = std::int32_t(bytes.size());
    expectRejected(withWord(bytes, face::kDigitOffset, size - 10), "digit table past the end");
    expectRejected(withWord(bytes, face::kDigitOffset, size), "digit table at the end");
    expectRejected(withWord(bytes, face::kDigitOffset, -36), "negative offset");
    expectRejected(withWord(bytes, face::kDigitCount, -1), "negative count");
    expectRejected(withWord(bytes, face::kDigitCount, 0x7fffffff), "huge count");
    expectRejected(withWord(bytes, face::kFontCount, 1000), "more fonts than allowed");
    expectRejected(withWord(bytes, face::kPlainCount, 0x40000000), "huge image count");
    expectRejected(withWord(bytes, face::kPlainCount, 200), "more images than the stream holds");
    expectRejected(withWord(bytes, face::kOverlayCount, -5), "negative image count");
    expectRejected(withWord(bytes, face::kStreamOffset, size + 4), "stream past the end");
    expectRejected(withWord(bytes, face::kStreamOffset, -1), "negative stream offset");
    // A zero count makes the offset irrelevant.
    EXPECT_TRUE(
        parseFaceFile(withWord(withWord(bytes, face::kAreaCount, 0), face::kAreaOffset, -7)));
}

TEST(FaceFile, OverlappingTablesAreRejected)
{
    const Bytes bytes = sample();
    expectRejected(withWord(bytes, face::kAreaOffset, headerWord(bytes, face::kDigitOffset)),
        "two tables at one place");
    expectRejected(withWord(bytes, face::kAreaOffset, headerWord(bytes, face::kDigitOffset) + 4),
        "tables overlapping");
    expectRejected(withWord(bytes, face::kHandOffset, 100), "a table inside the header");
    expectRejected(withWord(bytes, face::kFontOffset, headerWord(bytes, face::kStreamOffset) + 8),
        "a table inside the images");
    expectRejected(withWord(bytes, face::kStreamOffset, headerWord(bytes, face::kDigitOffset)),
        "images over a table");
    expectRejected(withWord(bytes, face::kStreamOffset, 0), "images over the header");
}

TEST(FaceFile, ImageEntriesReachingPastTheEndAreRejected)
{
    const Bytes bytes = sample();
    const auto stream = std::size_t(headerWord(bytes, face::kStreamOffset));
    Bytes longEntry = bytes;
    putWord(longEntry, stream, std::int32_t(bytes.size()));
    expectRejected(longEntry, "first image longer than the file");
    putWord(longEntry, stream, -1);
    expectRejected(longEntry, "image length 0xffffffff");
}

TEST(FaceFile, RecordsNamingWhatTheFileLacksAreRejected)
{
    const Bytes bytes = sample();
    const auto digits = std::size_t(headerWord(bytes, face::kDigitOffset));
    const auto hands = std::size_t(headerWord(bytes, face::kHandOffset));
    const auto areas = std::size_t(headerWord(bytes, face::kAreaOffset));
    const auto field = [&](std::size_t table, std::size_t recordWord, std::int32_t value) {
        Bytes changed = bytes;
        putWord(changed, table + recordWord * 4, value);
        return changed;
    };
    expectRejected(field(digits, 1, 2), "digit sprite past the sprites");
    expectRejected(field(digits, 1, -1), "negative digit sprite");
    expectRejected(field(digits, 3, 0), "base 0");
    expectRejected(field(digits, 3, 1), "base 1");
    expectRejected(field(digits, 4, 17), "17 digits");
    expectRejected(field(digits, 2, 99), "unknown digit kind");
    expectRejected(field(digits, 5, 0x7ffffff0), "position near the end of int");
    expectRejected(field(hands, 1, 1), "hand overlay past the overlays");
    expectRejected(field(hands, 3, 7), "a 7-hour dial");
    expectRejected(field(areas, 1, 2), "area image past the images");
    expectRejected(field(areas, 4, 500), "area left of its right edge");
    expectRejected(withWord(bytes, face::kBackground, 2), "background past the images");
    expectRejected(withWord(bytes, face::kSliderElement, 2), "slider past the sprites");
    expectRejected(withWord(bytes, face::kLockFont, 1), "lock font past the fonts");
    // Negative background, slider and font mean "none".
    EXPECT_TRUE(
        parseFaceFile(withWord(withWord(bytes, face::kBackground, -1), face::kLockFont, -3)));
}

TEST(FaceFile, ImagesThatDoNotDecodeFailTheLoad)
{
    auto face = parseFaceFile(sample());
    ASSERT_TRUE(face);
    face->overlays[0] = Bytes(40, std::byte { 0x42 });
    const Bytes garbage = writeFaceFile(*face);
    EXPECT_TRUE(parseFaceFile(garbage)); // the layout is sound ...
    FaceHost host;
    EXPECT_FALSE(host.loadBytes(garbage, 0)); // ... but the face cannot be drawn

    // A mask of another size than its strip.
    face = parseFaceFile(sample());
    face->sprites[1].mask = faces_test::solidPng(3, 3, Qt::white);
    EXPECT_FALSE(host.loadBytes(writeFaceFile(*face), 0));
    // More frames than the strip has pixels.
    face = parseFaceFile(sample());
    face->sprites[0].descriptor.frames = 200;
    EXPECT_FALSE(host.loadBytes(writeFaceFile(*face), 0));
}

class FaceLoading : public testing_support::DeviceTest { };

TEST_F(FaceLoading, AFailedLoadLeavesNothingOfTheOldOrNewFace)
{
    const auto folder = m_device.root() / "Program Files" / "Tickwell Pro" / "plugins";
    faces_test::placeProgramFile(m_device.root(), "plugins/Sample.qpg", sample());
    const Bytes bytes = sample();
    faces_test::placeProgramFile(
        m_device.root(), "plugins/Broken.qpg", Bytes(bytes.begin(), bytes.end() - 1));

    FaceHost host;
    ASSERT_TRUE(host.load(u"\\Program Files\\Tickwell Pro\\plugins\\Sample.qpg", 0));
    EXPECT_TRUE(host.loaded());
    EXPECT_EQ(host.closeRect(), QRect(QPoint(200, 0), QPoint(239, 29)));
    EXPECT_EQ(host.designSize(), QSize(240, 320));
    EXPECT_EQ(host.slider().unlockX, 180);
    EXPECT_EQ(host.slider().element, -1);
    EXPECT_EQ(host.lockFont().pixelSize(), 14);

    EXPECT_FALSE(host.load(u"\\Program Files\\Tickwell Pro\\plugins\\Broken.qpg", 0));
    EXPECT_FALSE(host.loaded());
    EXPECT_EQ(host.spriteCount(), 0);
    EXPECT_FALSE(host.load(u"\\Program Files\\Tickwell Pro\\plugins\\Missing.qpg", 0));

    // An unloaded host draws nothing.
    QImage image(240, 320, QImage::Format_RGB32);
    image.fill(Qt::green);
    QPainter painter(&image);
    host.draw(painter, FaceInputs {});
    painter.end();
    EXPECT_EQ(QColor(image.pixel(120, 160)), QColor(Qt::green));
}

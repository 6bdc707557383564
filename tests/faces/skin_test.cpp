#include "faces/skin.h"

#include "tests/faces/faces_fixture.h"
#include "tests/support/device_fixture.h"

#include <gtest/gtest.h>

using namespace faces;
using faces_test::pixel;
using faces_test::placeProgramFile;
using faces_test::sampleArt;
using faces_test::solidPng;

namespace {

const SkinSource kQvga { u"\\Program Files\\Tickwell Pro\\", 0, SkinMode::Normal, 0 };

class Skins : public testing_support::DeviceTest {
protected:
    void placePack(const Bytes& bytes, const std::string& name = "data/res.dat")
    {
        placeProgramFile(m_device.root(), name, bytes);
    }
    void placeSkin(const std::string& file, const Bytes& bytes)
    {
        placeProgramFile(m_device.root(), "skins/" + file, bytes);
    }

    SkinSet m_skins;
};

// A pack of the given images and words, built the way the skin builder builds one.
Bytes packOf(
    const std::vector<std::pair<int, std::int32_t>>& words, const std::vector<Bytes>& images)
{
    SkinRecord record;
    for (const int word : onDemandImageWords())
        record[word] = -1;
    for (const int word : elementWords())
        record[word] = -1;
    for (const int word : digitBlockImageWords())
        record[word] = -1;
    for (const auto& [word, value] : words)
        record[word] = value;
    return writeSkinFile(record, images);
}

} // namespace

TEST_F(Skins, SkinReplacesThePackAndTakesWhatItLeavesOutFromIt)
{
    placePack(sampleArt("res.dat"));
    placeSkin("plain.qsk", sampleArt("plain.qsk"));
    ASSERT_EQ(m_skins.load(kQvga, u"plain"), SkinOutcome::Loaded);

    // The skin's own values and images.
    EXPECT_EQ(m_skins.colour(skin::kDateColour), QColor(255, 0, 0));
    EXPECT_EQ(pixel(m_skins.imageOf(skin::kStatusBar), 1, 1), QColor(0, 0, 128));
    // A colour the skin does not set is its own (zero), not the pack's: only images fall back.
    EXPECT_EQ(m_skins.colour(skin::kSecondClockFill), QColor(0, 0, 0));
    // Images it leaves out are the pack's, appended after its own one.
    EXPECT_GT(m_skins.imageCount(), 1);
    EXPECT_EQ(pixel(m_skins.imageOf(skin::kAmPm), 2, 2), QColor(200, 0, 0));
    EXPECT_EQ(m_skins.imageOf(skin::kLargeDial).size(), QSize(100, 100));
    EXPECT_EQ(m_skins.element(skin::kLargeDial).values[0], 70);
    // Without digit images of its own the skin draws with the pack's.
    ASSERT_TRUE(m_skins.hasDigitImages());
    EXPECT_EQ(m_skins.word(skin::kDigitFrames), 11);
    EXPECT_EQ(m_skins.word(skin::kDigitMinuteTens), 70);
    EXPECT_EQ(m_skins.imageOf(skin::kDigitImage).size(), QSize(220, 40));
    // The large and the small dial are one image of the pack, appended once.
    EXPECT_EQ(m_skins.word(skin::kLargeDial), m_skins.word(skin::kSmallDial));
}

TEST_F(Skins, UnusableSkinFilesGiveThePacksLook)
{
    placePack(sampleArt("res.dat"));
    // First word not 2760.
    Bytes wrongSize = sampleArt("plain.qsk");
    putWord(wrongSize, 0, 2761);
    placeSkin("Wrong.qsk", wrongSize);
    // More images announced than the file holds.
    Bytes short_ = sampleArt("plain.qsk");
    putWord(short_, 4, 5);
    placeSkin("Short.qsk", short_);
    // An image count that would reserve gigabytes.
    Bytes huge = sampleArt("plain.qsk");
    putWord(huge, 4, 0x7fffffff);
    placeSkin("Huge.qsk", huge);

    for (const auto* name : { u"Wrong", u"Short", u"Huge", u"Missing", u"..\\data\\res" }) {
        EXPECT_EQ(m_skins.load(kQvga, name), SkinOutcome::PackLook);
        EXPECT_TRUE(m_skins.loaded());
        EXPECT_EQ(m_skins.colour(skin::kDateColour), QColor(0, 0, 128)) << "the pack's date colour";
        EXPECT_EQ(pixel(m_skins.imageOf(skin::kStatusBar), 1, 1), QColor(192, 192, 192));
    }
    // "Default" in any case, and the localised name, ask for the pack without reading a skin.
    EXPECT_EQ(m_skins.load(kQvga, u"DEFAULT"), SkinOutcome::PackLook);
    EXPECT_EQ(m_skins.load(kQvga, u"Standard", u"Standard"), SkinOutcome::PackLook);
}

TEST_F(Skins, TimeIsTextOnlyWhenNeitherSkinNorPackHasDigitImages)
{
    const Bytes pack = packOf({ { skin::kStatusBar, 0 } }, { solidPng(10, 22, Qt::gray) });
    placePack(pack);
    placeSkin("Plain.qsk", sampleArt("plain.qsk"));
    ASSERT_EQ(m_skins.load(kQvga, u"Plain"), SkinOutcome::Loaded);
    EXPECT_FALSE(m_skins.hasDigitImages());
    EXPECT_EQ(m_skins.word(skin::kDigitImage), -1);
    EXPECT_TRUE(m_skins.imageOf(skin::kAmPm).isNull());
    EXPECT_EQ(m_skins.imageCount(), 1); // nothing to append
}

TEST_F(Skins, MissingShortOrMalformedPackIsACriticalError)
{
    EXPECT_EQ(m_skins.load(kQvga, u""), SkinOutcome::PackUnusable);
    EXPECT_FALSE(m_skins.loaded());

    const Bytes pack = sampleArt("res.dat");
    placePack(Bytes(pack.begin(), pack.end() - 10));
    EXPECT_EQ(m_skins.load(kQvga, u""), SkinOutcome::PackUnusable);
    placePack(Bytes(pack.begin(), pack.begin() + 100));
    EXPECT_EQ(m_skins.load(kQvga, u""), SkinOutcome::PackUnusable);
    Bytes wrong = pack;
    putWord(wrong, 0, 0);
    placePack(wrong);
    EXPECT_EQ(m_skins.load(kQvga, u""), SkinOutcome::PackUnusable);
    EXPECT_FALSE(m_skins.loaded());
    EXPECT_TRUE(m_skins.image(0).isNull());

    // Large screens read their own pack.
    placePack(pack, "data/resvga.dat");
    EXPECT_EQ(m_skins.load(kQvga, u""), SkinOutcome::PackUnusable);
    SkinSource vga = kQvga;
    vga.scaleShift = 1;
    EXPECT_EQ(m_skins.load(vga, u""), SkinOutcome::PackLook);
}

TEST_F(Skins, LargeScreensReadVskSkins)
{
    placePack(sampleArt("res.dat"), "data/resvga.dat");
    placeSkin("plain.vsk", sampleArt("plain.qsk"));
    SkinSource vga = kQvga;
    vga.scaleShift = 1;
    EXPECT_EQ(m_skins.load(vga, u"plain"), SkinOutcome::Loaded);
    // The pack stays loaded; choosing another skin later reads only the skin.
    std::filesystem::remove(
        m_device.root() / "Program Files" / "Tickwell Pro" / "data" / "resvga.dat");
    EXPECT_EQ(m_skins.load(vga, u""), SkinOutcome::PackLook);
    EXPECT_EQ(m_skins.load(vga, u"plain"), SkinOutcome::Loaded);
}

TEST_F(Skins, StatusIconsAreThirteenFramesWithMagentaTransparent)
{
    placePack(sampleArt("res.dat"));
    ASSERT_EQ(m_skins.load(kQvga, u""), SkinOutcome::PackLook);
    const auto& icons = m_skins.statusIcons();
    ASSERT_EQ(icons.size(), 13u);
    EXPECT_EQ(icons[4].size(), QSize(21, 16));
    EXPECT_EQ(qAlpha(icons[4].pixel(0, 0)), 0); // magenta
    EXPECT_EQ(QColor(icons[4].pixel(8, 8)), QColor(0, 0, 40)); // the fifth icon's own colour
    const auto amPm = m_skins.amPmImages();
    EXPECT_EQ(pixel(amPm[0], 1, 1), QColor(200, 0, 0));
    EXPECT_EQ(pixel(amPm[1], 1, 1), QColor(0, 200, 0));

    // Saver and lock modes build no icon list.
    SkinSet saver;
    SkinSource source = kQvga;
    source.mode = SkinMode::Saver;
    ASSERT_EQ(saver.load(source, u""), SkinOutcome::PackLook);
    EXPECT_TRUE(saver.statusIcons().empty());
}

TEST_F(Skins, SkinMenuListsDefaultThenTheSkinFiles)
{
    placeSkin("Night.qsk", {});
    placeSkin("Blue.qsk", {});
    placeSkin("Large.vsk", {});
    const auto menu = buildSkinMenu(u"\\Program Files\\Tickwell Pro\\", 0, u"Default", u"night");
    ASSERT_EQ(menu.entries.size(), 3u);
    EXPECT_EQ(menu.entries[0].name, u"Default");
    EXPECT_EQ(menu.entries[0].command, kFirstSkinCommand);
    EXPECT_EQ(menu.entries[1].command, kFirstSkinCommand + 1);
    EXPECT_EQ(menu.entries[2].command, kFirstSkinCommand + 2);
    const int night = menu.entries[1].name == u"Night" ? 1 : 2;
    EXPECT_EQ(menu.entries[std::size_t(night)].name, u"Night");
    EXPECT_EQ(menu.checked, night); // names compare without case

    const auto none = buildSkinMenu(u"\\Program Files\\Tickwell Pro\\", 0, u"Standard", u"");
    EXPECT_EQ(none.entries[0].name, u"Standard");
    EXPECT_EQ(none.checked, 0);
    EXPECT_EQ(
        buildSkinMenu(u"\\Program Files\\Tickwell Pro\\", 1, u"Default", u"Large").entries.size(),
        2u);

    // Choosing "Default" while no name is stored changes nothing; so does the skin in use.
    EXPECT_FALSE(skinChoice(none, kFirstSkinCommand, u"", u"Standard"));
    EXPECT_FALSE(skinChoice(menu, kFirstSkinCommand + night, u"NIGHT", u"Default"));
    EXPECT_EQ(skinChoice(menu, kFirstSkinCommand, u"Night", u"Default"), u"Default");
    EXPECT_EQ(
        skinChoice(none, kFirstSkinCommand + 1, u"Default", u"Standard"), none.entries[1].name);
    EXPECT_FALSE(skinChoice(menu, kFirstSkinCommand + 7, u"", u"Default"));
}

TEST(SkinFiles, WrittenFilesReadBackWithEveryImage)
{
    const Bytes pack = packOf({ { skin::kAmPm, 1 }, { skin::kDateColour, 0x00123456 } },
        { solidPng(4, 4, Qt::red), solidPng(20, 10, Qt::blue) });
    const auto file = parseSkinFile(pack);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->record[skin::kImageCount], 2);
    EXPECT_EQ(file->record[skin::kDateColour], 0x00123456);
    EXPECT_EQ(colourOf(0x00123456), QColor(0x56, 0x34, 0x12));
    ASSERT_EQ(file->images.size(), 2u);
    EXPECT_EQ(decodeImage(file->images[1]).size(), QSize(20, 10));
    // An image entry cut short by the end of the file.
    EXPECT_FALSE(parseSkinFile(ByteView(pack).first(pack.size() - 1)));
}

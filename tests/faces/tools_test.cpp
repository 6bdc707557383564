#include "faces/face_host.h"

#include "tests/faces/faces_fixture.h"
#include "tests/support/child_process.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

// Runs a tool with its error output joined to the standard output.
testing_support::CommandResult run(const std::string& command)
{
    return testing_support::runCommand({ "/bin/sh", "-c", command + " 2>&1" });
}

class ArtTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("faces_tools_" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
        for (const char* image : { "background.png", "digits.png" })
            fs::copy_file(fs::path(TKW_FACES_SOURCE) / image, m_folder / image,
                fs::copy_options::overwrite_existing);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path describe(const std::string& name, const std::string& text)
    {
        std::ofstream(m_folder / name) << text;
        return m_folder / name;
    }

    void place(const std::string& name, const faces::Bytes& bytes)
    {
        std::ofstream(m_folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    fs::path m_folder;
};

} // namespace

TEST_F(ArtTools, CompilerNamesTheLineOfAMistakeAndWritesNothing)
{
    const auto description = describe("bad.qpg.txt",
        "face 240 320\n"
        "image background background.png\n"
        "sprite digits digits.png frames=11\n"
        "digits hour sprite=numbers at=0,0\n");
    const auto output = m_folder / "bad.qpg";
    const auto result
        = run(std::string(TKW_FACE_COMPILER) + " " + description.string() + " " + output.string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("bad.qpg.txt:4: no sprite named numbers"), std::string::npos)
        << result.output;
    EXPECT_FALSE(fs::exists(output));

    // A strip whose width is no whole number of frames.
    const auto frames
        = describe("frames.qpg.txt", "face 240 320\nsprite digits digits.png frames=7\n");
    const auto framesResult
        = run(std::string(TKW_FACE_COMPILER) + " " + frames.string() + " " + output.string());
    EXPECT_EQ(framesResult.exitCode, 1);
    EXPECT_NE(framesResult.output.find("frames.qpg.txt:2:"), std::string::npos)
        << framesResult.output;
}

TEST_F(ArtTools, BuilderRejectsUnknownWordsAndImages)
{
    const auto description
        = describe("bad.qsk.txt", "image bar background.png\nstatus-bar bar\nstatus-barr bar\n");
    const auto result = run(std::string(TKW_SKIN_BUILDER) + " " + description.string() + " "
        + (m_folder / "bad.qsk").string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("bad.qsk.txt:3: unknown directive or word name: status-barr"),
        std::string::npos)
        << result.output;
    const auto missing = describe("missing.qsk.txt", "image bar nothing.png\n");
    EXPECT_EQ(run(std::string(TKW_SKIN_BUILDER) + " " + missing.string() + " "
                  + (m_folder / "m.qsk").string())
                  .exitCode,
        1);
}

TEST_F(ArtTools, DumpShowsWhatAFileHoldsAndRefusesABrokenOne)
{
    const auto face = run(std::string(TKW_FACES_DUMP) + " " + TKW_FACES_ART + "/sample.qpg");
    EXPECT_EQ(face.exitCode, 0);
    EXPECT_NE(face.output.find("sprite 1: 2 frames"), std::string::npos) << face.output;
    EXPECT_NE(
        face.output.find("hand kind 6 overlay 0 dial 12 pivot 3,70 at 120,120"), std::string::npos)
        << face.output;
    const auto skin = run(std::string(TKW_FACES_DUMP) + " " + TKW_FACES_ART + "/plain.qsk");
    EXPECT_EQ(skin.exitCode, 0);
    EXPECT_NE(skin.output.find("102 date-colour: #ff0000"), std::string::npos) << skin.output;

    const faces::Bytes bytes = faces_test::sampleArt("sample.qpg");
    std::ofstream(m_folder / "cut.qpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size() / 2));
    const auto cut = run(std::string(TKW_FACES_DUMP) + " " + (m_folder / "cut.qpg").string());
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.output.find("REJECTED"), std::string::npos) << cut.output;
}

TEST_F(ArtTools, CompilerPlacesPicksAndJoinsPictures)
{
    // A strip of three 4 x 4 frames (red, green, blue) and a yellow square.
    QImage strip(12, 4, QImage::Format_RGB32);
    for (int frame = 0; frame < 3; ++frame) {
        const QColor colour = frame == 0 ? Qt::red : frame == 1 ? Qt::green : Qt::blue;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                strip.setPixel(frame * 4 + x, y, colour.rgb());
    }
    place("strip.png", faces_test::pngOf(strip));
    place("yellow.png", faces_test::solidPng(4, 4, Qt::yellow));
    const auto description = describe("parts.qpg.txt",
        "face 40 30\n"
        "image placed strip.png frames=3 pick=1,1 at=10,5\n" // the green frame at (10, 5)
        "sprite joined strip.png yellow.png frames=4\n"
        "sprite picked strip.png frames=3 pick=2,1\n" // the blue frame alone
        "area always image=placed rect=10,5,14,9\n"
        "digits second sprite=picked count=1 at=0,0\n"
        "digits second sprite=joined count=1 at=20,0\n");
    const auto output = m_folder / "parts.qpg";
    const auto result
        = run(std::string(TKW_FACE_COMPILER) + " " + description.string() + " " + output.string());
    ASSERT_EQ(result.exitCode, 0) << result.output;

    faces::FaceHost host;
    ASSERT_TRUE(host.loadBytes(faces_test::readBytes(output), 0));
    EXPECT_EQ(host.plainImage(0).size(), QSize(40, 30));
    EXPECT_EQ(host.plainImage(0).pixelColor(3, 3).alpha(), 0);
    ASSERT_EQ(host.file().sprites.size(), 2u);
    EXPECT_EQ(host.file().sprites[0].descriptor.frames, 4);
    EXPECT_EQ(faces::decodeImage(host.file().sprites[0].strip).size(), QSize(16, 4));
    EXPECT_EQ(host.file().sprites[1].descriptor.frames, 1);
    ASSERT_EQ(host.file().areas.size(), 1u);
    EXPECT_EQ(host.file().areas[0].stepX, 0);

    // At 03 seconds: the picked sprite has no frame 3, the joined one shows the yellow square;
    // at 00 seconds the picked one shows blue. The area is drawn either way.
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    faces::FaceInputs inputs;
    inputs.clock.time = SYSTEMTIME { 2026, 12, 2, 8, 10, 8, 3, 0 };
    host.draw(painter, inputs);
    EXPECT_EQ(faces_test::pixel(image, 1, 1), QColor(Qt::black));
    EXPECT_EQ(faces_test::pixel(image, 21, 1), QColor(Qt::yellow));
    EXPECT_EQ(faces_test::pixel(image, 11, 6), QColor(Qt::green));
    inputs.clock.time.wSecond = 0;
    host.draw(painter, inputs);
    EXPECT_EQ(faces_test::pixel(image, 1, 1), QColor(Qt::blue));
    EXPECT_EQ(faces_test::pixel(image, 21, 1), QColor(Qt::red));
    painter.end();

    // Mistakes are named with their line.
    for (const auto& [text, line] :
        std::initializer_list<std::pair<const char*, const char*>> {
            { "face 40 30\nsprite s strip.png frames=3 pick=2,2\n", ":2:" },
            { "face 40 30\nsprite s strip.png yellow.png frames=3\n", ":2:" },
            { "image i strip.png at=1,1\nface 40 30\n", ":1:" },
            { "face 40 30\nimage i strip.png\narea always image=i rect=0,0,4,4 step=4,0\n", ":3:" },
            { "face 40 30\nimage i strip.png frames=3 pick=0,1\n", ":2:" },
        }) {
        const auto bad = describe("bad.qpg.txt", text);
        const auto badResult
            = run(std::string(TKW_FACE_COMPILER) + " " + bad.string() + " " + output.string());
        EXPECT_EQ(badResult.exitCode, 1) << text;
        EXPECT_NE(badResult.output.find(std::string("bad.qpg.txt") + line), std::string::npos)
            << badResult.output;
    }
}

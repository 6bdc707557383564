#include "tests/faces/faces_fixture.h"
#include "tests/support/child_process.h"

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

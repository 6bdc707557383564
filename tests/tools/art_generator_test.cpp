// art_generator runs here twice, as a developer runs it, into two temporary folders. The
// two runs must agree byte for byte, and every picture the pack, the skins and the faces
// rely on must be there at its size. The world maps need the licensed map images from the
// distribution's packages; without them the maps are left out of the run and their test
// is skipped.

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

const char* const kRegularFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf";
const char* const kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
const char* const kDayMap = "/usr/share/xplanet/images/earth.jpg";
const char* const kNightMap = "/usr/share/marble/data/maps/earth/citylights/citylights.jpg";

bool fontsInstalled()
{
    return fs::exists(kRegularFont) && fs::exists(kBoldFont);
}
bool mapsInstalled()
{
    return fs::exists(kDayMap) && fs::exists(kNightMap);
}

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

// Every file under `root`, by its path relative to `root`.
std::map<std::string, std::string> filesUnder(const fs::path& root)
{
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = readBytes(entry.path());
    }
    return files;
}

class GeneratorRun {
public:
    GeneratorRun()
    {
        std::string pattern = (fs::temp_directory_path() / "tkw-art-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        m_folder = pattern;
        std::string command = std::string("'") + TKW_ART_GENERATOR + "' --font '" + kRegularFont
            + "' --bold-font '" + kBoldFont + "'";
        if (mapsInstalled())
            command += std::string(" --day-map '") + kDayMap + "' --night-map '" + kNightMap + "'";
        command += " '" + m_folder.string() + "' > /dev/null 2>&1";
        m_status = std::system(command.c_str());
    }
    ~GeneratorRun()
    {
        std::error_code ignored; // a leftover temporary folder must not fail the run
        fs::remove_all(m_folder, ignored);
    }
    bool succeeded() const
    {
        return !m_folder.empty() && WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0;
    }
    const fs::path& folder() const { return m_folder; }

private:
    fs::path m_folder;
    int m_status = -1;
};

// The two runs are shared by the whole test program.
const GeneratorRun& firstRun()
{
    static const GeneratorRun run;
    return run;
}
const GeneratorRun& secondRun()
{
    static const GeneratorRun run;
    return run;
}

struct Expected {
    const char* path; // with "@" where the scale folder goes
    int width; // design pixels (scale 1)
    int height;
};

// The pictures the resource pack, the skins and the faces are built from.
const Expected kPictures[] = {
    { "pack/@/dial_large.png", 200, 200 },
    { "pack/@/dial_small.png", 56, 56 },
    { "pack/@/digits.png", 11 * 34, 60 },
    { "pack/@/digits_small.png", 11 * 18, 32 },
    { "pack/@/ampm.png", 2 * 24, 14 },
    { "pack/@/statusbar.png", 240, 22 },
    { "pack/@/statusbar_wide.png", 320, 22 },
    { "pack/@/status_divider.png", 2, 22 },
    { "pack/@/status_icons.png", 13 * 21, 22 },
    { "pack/@/selector_buttons.png", 14 * 40, 40 },
    { "pack/@/selector_buttons_down.png", 14 * 40, 40 },
    { "pack/@/moon.png", 24 * 80, 80 },
    { "pack/@/title_bar.png", 240, 20 },
    { "pack/@/title_bar_wide.png", 320, 20 },
    { "skins/Graphite/@/dial_large.png", 200, 200 },
    { "skins/Graphite/@/dial_small.png", 56, 56 },
    { "skins/Graphite/@/digits.png", 11 * 34, 60 },
    { "skins/Graphite/@/digits_small.png", 11 * 18, 32 },
    { "skins/Graphite/@/statusbar.png", 240, 22 },
    { "skins/Graphite/@/statusbar_wide.png", 320, 22 },
    { "skins/Graphite/@/status_divider.png", 2, 22 },
    { "skins/Ocean/@/dial_large.png", 200, 200 },
    { "skins/Ocean/@/dial_small.png", 56, 56 },
    { "skins/Ocean/@/statusbar.png", 240, 22 },
    { "skins/Ocean/@/statusbar_wide.png", 320, 22 },
    { "faces/Dezod/@/background.png", 240, 320 },
    { "faces/Dezod/@/digits.png", 13 * 40, 72 },
    { "faces/Dezod/@/small_digits.png", 14 * 14, 22 },
    { "faces/Dezod/@/bell.png", 2 * 20, 20 },
    { "faces/Virevur/@/background.png", 240, 320 },
    { "faces/Virevur/@/digits.png", 13 * 40, 64 },
    { "faces/Virevur/@/slider_track.png", 200, 40 },
    { "faces/Virevur/@/slider_knob.png", 40, 40 },
    { "faces/Virevur/@/slider_knob_dragging.png", 40, 40 },
    { "faces/Virevur/@/slider_knob_unlocked.png", 40, 40 },
    { "faces/Orrery/@/background.png", 240, 320 },
    { "faces/Orrery/@/hour_hand.png", 128, 128 },
    { "faces/Orrery/@/minute_hand.png", 184, 184 },
    { "faces/Orrery/@/second_hand.png", 208, 208 },
    { "faces/Segment/@/background.png", 240, 320 },
    { "faces/Segment/@/digits.png", 13 * 40, 72 },
    { "faces/Segment/@/small_digits.png", 12 * 14, 22 },
    { "faces/Segment/@/weekdays.png", 7 * 28, 14 },
};
const Expected kMaps[] = {
    { "pack/@/map_day.png", 240, 120 },
    { "pack/@/map_night.png", 240, 120 },
};
const char* const kTexts[]
    = { "pack/colours.txt", "skins/Graphite/colours.txt", "skins/Ocean/colours.txt" };

std::string atScale(const char* path, const char* folder)
{
    std::string result = path;
    result.replace(result.find('@'), 1, folder);
    return result;
}

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colourType = -1; // 2 RGB, 6 RGBA
};

// The PNG header, read straight from the bytes: the file itself must say the size.
Header pngHeader(const std::string& bytes)
{
    Header header;
    if (bytes.size() < 26 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0
        || bytes.compare(12, 4, "IHDR") != 0)
        return header;
    const auto bigEndian = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    header.width = bigEndian(16);
    header.height = bigEndian(20);
    header.colourType = static_cast<unsigned char>(bytes[25]);
    return header;
}

class ArtGenerator : public testing::Test {
protected:
    void SetUp() override
    {
        if (!fontsInstalled())
            GTEST_SKIP()
                << "DejaVu Sans Condensed is not installed (fonts-dejavu-core, fonts-dejavu-extra)";
        ASSERT_TRUE(firstRun().succeeded());
    }
    QImage picture(const std::string& relative) const
    {
        return QImage(QString::fromStdString((firstRun().folder() / relative).string()));
    }
};

double meanLuminance(const QImage& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    }
    return sum / (double(image.width()) * image.height());
}

} // namespace

TEST_F(ArtGenerator, TwoRunsWriteTheSameBytes)
{
    ASSERT_TRUE(secondRun().succeeded());
    const auto first = filesUnder(firstRun().folder());
    const auto second = filesUnder(secondRun().folder());
    ASSERT_FALSE(first.empty());
    std::vector<std::string> firstNames;
    std::vector<std::string> secondNames;
    for (const auto& [name, bytes] : first)
        firstNames.push_back(name);
    for (const auto& [name, bytes] : second)
        secondNames.push_back(name);
    ASSERT_EQ(firstNames, secondNames);
    for (const auto& [name, bytes] : first)
        EXPECT_TRUE(bytes == second.at(name)) << name << " differs between two runs";
}

TEST_F(ArtGenerator, WritesEveryPictureAtItsSizeInBothSets)
{
    std::set<std::string> expected(std::begin(kTexts), std::end(kTexts));
    const auto check = [&](const Expected& picture) {
        for (const auto& [folder, scale] : { std::pair { "qvga", 1 }, std::pair { "vga", 2 } }) {
            const std::string path = atScale(picture.path, folder);
            expected.insert(path);
            const Header header = pngHeader(readBytes(firstRun().folder() / path));
            EXPECT_EQ(header.width, std::uint32_t(picture.width * scale)) << path;
            EXPECT_EQ(header.height, std::uint32_t(picture.height * scale)) << path;
        }
    };
    for (const Expected& picture : kPictures)
        check(picture);
    if (mapsInstalled()) {
        for (const Expected& picture : kMaps)
            check(picture);
    }
    // Nothing else: a skin that carried an element it should leave out would hide the
    // pack's fallback.
    std::set<std::string> written;
    for (const auto& [name, bytes] : filesUnder(firstRun().folder()))
        written.insert(name);
    EXPECT_EQ(written, expected);
}

TEST_F(ArtGenerator, BackgroundsAreOpaqueAndSpritesTransparent)
{
    for (const auto* folder : { "qvga", "vga" }) {
        for (const auto* face : { "Dezod", "Virevur", "Orrery", "Segment" }) {
            const std::string path
                = std::string("faces/") + face + '/' + folder + "/background.png";
            EXPECT_EQ(pngHeader(readBytes(firstRun().folder() / path)).colourType, 2) << path;
        }
        // The corners of every digit frame are see-through, so the face shows around them.
        for (const auto* strip : { "pack/@/digits.png", "faces/Dezod/@/digits.png",
                 "faces/Virevur/@/digits.png", "faces/Segment/@/digits.png" }) {
            const QImage image = picture(atScale(strip, folder));
            ASSERT_FALSE(image.isNull()) << strip;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << strip;
            EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0) << strip;
        }
    }
}

// Frame (content - 1) holds the icon of a status-bar content 1-8, frame 10 the view-list
// arrow; the others are empty. Whatever is not icon is magenta, so that a reader that keys
// on magenta alone still sees the right shapes.
TEST_F(ArtGenerator, StatusIconsKeepTheMagentaContract)
{
    for (const auto& [folder, scale] : { std::pair { "qvga", 1 }, std::pair { "vga", 2 } }) {
        const QImage icons = picture(atScale("pack/@/status_icons.png", folder))
                                 .convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icons.width(), 13 * 21 * scale);
        const int frameWidth = icons.width() / 13;
        for (int frame = 0; frame < 13; ++frame) {
            int inked = 0;
            for (int y = 0; y < icons.height(); ++y) {
                for (int x = frame * frameWidth; x < (frame + 1) * frameWidth; ++x) {
                    const QRgb pixel = icons.pixel(x, y);
                    if (qAlpha(pixel) == 0)
                        EXPECT_EQ(pixel & 0x00ffffffu, 0x00ff00ffu) << folder << " frame " << frame;
                    else
                        ++inked;
                }
            }
            const bool used = frame < 8 || frame == 10;
            if (used)
                EXPECT_GT(inked, 20 * scale * scale) << folder << " frame " << frame << " is empty";
            else
                EXPECT_EQ(inked, 0) << folder << " frame " << frame << " should be empty";
        }
    }
}

// Frame 0 is the new moon and 12 the full moon; waxing frames are lit on the right, as
// the northern hemisphere sees them, and waning ones on the left.
TEST_F(ArtGenerator, MoonGrowsToFullAndWanesAgain)
{
    const QImage strip = picture("pack/qvga/moon.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(strip.width(), 24 * 80);
    std::vector<int> litLeft(24, 0);
    std::vector<int> litRight(24, 0);
    for (int frame = 0; frame < 24; ++frame) {
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 80; ++x) {
                if (qGray(strip.pixel(frame * 80 + x, y)) > 150)
                    ++(x < 40 ? litLeft : litRight)[std::size_t(frame)];
            }
        }
    }
    const auto lit
        = [&](int frame) { return litLeft[std::size_t(frame)] + litRight[std::size_t(frame)]; };
    EXPECT_EQ(lit(0), 0);
    for (int frame = 1; frame <= 12; ++frame)
        EXPECT_GT(lit(frame), lit(frame - 1)) << "frame " << frame;
    for (int frame = 13; frame < 24; ++frame)
        EXPECT_LT(lit(frame), lit(frame - 1)) << "frame " << frame;
    for (int frame = 1; frame < 12; ++frame) {
        EXPECT_GT(litRight[std::size_t(frame)], litLeft[std::size_t(frame)])
            << "waxing frame " << frame;
        EXPECT_GT(litLeft[std::size_t(24 - frame)], litRight[std::size_t(24 - frame)])
            << "waning frame " << 24 - frame;
    }
}

TEST_F(ArtGenerator, NightMapIsTheDayMapInDarkness)
{
    if (!mapsInstalled())
        GTEST_SKIP()
            << "the map images are not installed (packages xplanet-images, marble-qt-data)";
    for (const auto* folder : { "qvga", "vga" }) {
        const QImage day = picture(atScale("pack/@/map_day.png", folder));
        const QImage night = picture(atScale("pack/@/map_night.png", folder));
        ASSERT_FALSE(day.isNull());
        ASSERT_EQ(day.size(), night.size());
        EXPECT_LT(meanLuminance(night), meanLuminance(day) / 3.0) << folder;
        // The maps line up: the prime meridian at the centre column crosses the Gulf of
        // Guinea at the equator (ocean, dark by day) and the Sahara at 20 degrees north
        // (bright sand by day).
        const int w = day.width();
        const int h = day.height();
        const QRgb gulf = day.pixel(w / 2, h / 2 + h / 60);
        const QRgb sahara = day.pixel(w / 2, h / 2 - 20 * h / 180);
        EXPECT_LT(qGray(gulf), 80) << folder;
        EXPECT_GT(qGray(sahara), 150) << folder;
    }
}

TEST_F(ArtGenerator, RefusesToRunWithoutItsFonts)
{
    const std::string command
        = std::string("'") + TKW_ART_GENERATOR + "' /tmp/tkw-art-unused > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_FALSE(fs::exists("/tmp/tkw-art-unused"));
}

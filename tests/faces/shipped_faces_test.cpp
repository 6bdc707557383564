// The clock faces and skins the build ships (data/look): every face loads at both scales and
// draws its figures, hands and texts where its background leaves room for them, its texts fit
// their rectangles in every language of the suite, and the skins complete from the pack. The
// tests leave a picture of each face for the documentation in the build's screenshot folder.

#include "faces/clock_text.h"
#include "faces/face_host.h"
#include "faces/skin.h"
#include "platform/locale.h"

#include "tests/faces/faces_fixture.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace faces;

namespace {

namespace fs = std::filesystem;

const fs::path kShipped(TKW_SHIPPED_ART_DIR);
const fs::path kScreenshots(TKW_FACES_SCREENSHOT_DIR);

// Tuesday 8 December 2026, 10:08:36, with the next alarm the morning after.
SYSTEMTIME at(int hour, int minute, int second)
{
    return SYSTEMTIME { 2026, 12, 2, 8, WORD(hour), WORD(minute), WORD(second), 0 };
}
const SYSTEMTIME kAlarm { 2026, 12, 3, 9, 7, 0, 0, 0 };

const platform::LocaleInfo& english()
{
    static const platform::LocaleInfo locale = platform::localeInfo("en_US");
    return locale;
}

struct ShippedFace {
    const char* name;
    int scaleShift;
};

void PrintTo(const ShippedFace& face, std::ostream* out)
{
    *out << face.name << (face.scaleShift ? " vga" : " qvga");
}

std::string printName(const ::testing::TestParamInfo<ShippedFace>& info)
{
    return std::string(info.param.name) + (info.param.scaleShift ? "_vga" : "_qvga");
}

// How many pixels of a rectangle differ clearly between two pictures.
int changedPixels(const QImage& a, const QImage& b, QRect area)
{
    area &= a.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = faces_test::pixel(a, x, y), q = faces_test::pixel(b, x, y);
            const int difference = std::abs(p.red() - q.red()) + std::abs(p.green() - q.green())
                + std::abs(p.blue() - q.blue());
            count += difference > 48 ? 1 : 0;
        }
    }
    return count;
}

QRect recordRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

class ShippedFaces : public ::testing::TestWithParam<ShippedFace> {
protected:
    void SetUp() override
    {
        const ShippedFace& face = GetParam();
        m_scale = 1 << face.scaleShift;
        m_file
            = kShipped / "plugins" / (std::string(face.name) + (face.scaleShift ? ".vpg" : ".qpg"));
        ASSERT_TRUE(fs::exists(m_file)) << m_file << " was not built";
        ASSERT_TRUE(m_host.loadBytes(faces_test::readBytes(m_file), face.scaleShift)) << m_file;
        ASSERT_EQ(m_host.designSize(), QSize(240 * m_scale, 320 * m_scale));
        m_background = m_host.plainImage(m_host.file().header[face::kBackground])
                           .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(m_background.size(), m_host.designSize());
    }

    FaceClock clock(SYSTEMTIME time, bool alarm = true, bool use24Hour = false) const
    {
        FaceClock c;
        c.time = time;
        c.use24Hour = use24Hour;
        c.monthFirst = true;
        if (alarm)
            c.nextAlarm = kAlarm;
        return c;
    }

    QImage draw(const FaceClock& c) const
    {
        QImage image(m_host.designSize(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FaceInputs inputs;
        inputs.clock = c;
        inputs.locale = &english();
        m_host.draw(painter, inputs);
        return image;
    }

    // The rectangle one glyph of a digit record covers.
    QRect glyphRect(const DigitRecord& record, const DigitGlyph& glyph) const
    {
        const QImage strip = spriteStrip(record.sprite);
        const int frames = m_host.file().sprites[std::size_t(record.sprite)].descriptor.frames;
        return QRect(glyph.x, glyph.y, strip.width() / frames, strip.height());
    }

    QImage spriteStrip(int sprite) const
    {
        return decodeImage(m_host.file().sprites[std::size_t(sprite)].strip);
    }

    int m_scale = 1;
    fs::path m_file;
    FaceHost m_host;
    QImage m_background;
};

TEST_P(ShippedFaces, DrawsEveryFigureAreaAndTextOverItsBackground)
{
    const FaceClock now = clock(at(10, 8, 36));
    const QImage face = draw(now);
    const QRect screen(QPoint(0, 0), m_host.designSize());
    const int some = 20 * m_scale * m_scale;

    for (const DigitRecord& record : m_host.file().digits) {
        const int frames = m_host.file().sprites[std::size_t(record.sprite)].descriptor.frames;
        const DigitGlyphs glyphs
            = digitGlyphs(record, now, spriteStrip(record.sprite).width() / frames);
        EXPECT_GT(glyphs.count, 0) << "digit kind " << record.kind << " shows nothing";
        for (const DigitGlyph& glyph : glyphs) {
            const QRect rect = glyphRect(record, glyph);
            EXPECT_TRUE(screen.contains(rect)) << "digit kind " << record.kind;
            EXPECT_GT(changedPixels(face, m_background, rect), some)
                << "digit kind " << record.kind << " frame " << glyph.frame << " at " << glyph.x
                << "," << glyph.y;
        }
    }
    for (const AreaRecord& area : m_host.file().areas) {
        if (!areaShown(area, now))
            continue;
        const QRect rect = areaRect(area, now);
        EXPECT_TRUE(screen.contains(rect)) << "area kind " << area.kind;
        EXPECT_GT(changedPixels(face, m_background, rect), some / 4) << "area kind " << area.kind;
    }
    for (const DateTimeTextRecord& text : m_host.file().dateTexts) {
        const QRect rect = recordRect(text.left, text.top, text.right, text.bottom);
        EXPECT_TRUE(screen.contains(rect));
        EXPECT_GT(changedPixels(face, m_background, rect), some) << "text at " << text.top;
    }
    if (!m_host.file().hands.empty()) {
        // Places 35 to 60 pixels out along each hand at 10:08:36 (the hour hand at 304
        // degrees, the minute hand at 48, the second hand at 216), and one at 120 degrees where
        // no hand is: the dial's centre is the middle of the hands' square.
        const int handY = m_host.file().header[face::kHandAreaY];
        const QPoint centre(120 * m_scale, handY + 120 * m_scale);
        const auto around = [&](int x, int y) {
            return QRect(centre + QPoint(x - 8, y - 8) * m_scale, QSize(16, 16) * m_scale);
        };
        EXPECT_GT(changedPixels(face, m_background, around(-29, -20)), 0) << "hour hand";
        EXPECT_GT(changedPixels(face, m_background, around(44, -40)), 0) << "minute hand";
        EXPECT_GT(changedPixels(face, m_background, around(-35, 49)), 0) << "second hand";
        EXPECT_EQ(changedPixels(face, m_background, around(48, 28)), 0);
    }

    // The picture for the documentation, with the custom lock's slider at rest where the
    // face gives one.
    QImage shot = face;
    const SliderLayout slider = m_host.slider();
    if (slider.element >= 0) {
        QPainter painter(&shot);
        if (slider.trackFill == 2)
            painter.drawImage(slider.track.topLeft(), m_host.plainImage(slider.trackImage));
        m_host.drawSpriteFrame(painter, slider.element, slider.knobFrames[0],
            slider.track.topLeft() + slider.knobStart);
    }
    fs::create_directories(kScreenshots);
    const fs::path file = kScreenshots
        / ("face_" + std::string(GetParam().name) + (GetParam().scaleShift ? "_vga" : "_qvga")
            + ".png");
    EXPECT_TRUE(shot.save(QString::fromStdString(file.string())));
}

TEST_P(ShippedFaces, MorningAfternoonAndAlarmChangeTheirIndicators)
{
    const QImage morning = draw(clock(at(10, 8, 36)));
    const QImage evening = draw(clock(at(22, 8, 36)));
    const QImage noAlarm = draw(clock(at(10, 8, 36), false));
    const QImage morning24 = draw(clock(at(10, 8, 36), true, true));
    for (const DigitRecord& record : m_host.file().digits) {
        const int frames = m_host.file().sprites[std::size_t(record.sprite)].descriptor.frames;
        const int frameWidth = spriteStrip(record.sprite).width() / frames;
        const DigitGlyphs glyphs = digitGlyphs(record, clock(at(10, 8, 36)), frameWidth);
        // AM and PM are two different labels in the top rows of their frames (a digit frame
        // there would fill the whole height), left out on a 24-hour clock; the alarm indicator
        // goes with the alarm.
        if (DigitKind(record.kind) == DigitKind::AmPm) {
            const QRect rect = glyphRect(record, *glyphs.begin());
            const QRect upperHalf = rect.adjusted(0, 0, 0, -rect.height() / 2);
            EXPECT_GT(changedPixels(morning, evening, upperHalf), 10);
            EXPECT_GT(changedPixels(morning, morning24, upperHalf), 10);
            EXPECT_EQ(changedPixels(morning, morning24, rect.translated(0, rect.height() / 2)), 0);
        }
        if (DigitKind(record.kind) == DigitKind::AlarmOn) {
            EXPECT_GT(changedPixels(morning, noAlarm, glyphRect(record, *glyphs.begin())), 10);
        }
    }
}

TEST_P(ShippedFaces, WeekdayLabelsLightOnlyTheirOwnCell)
{
    for (const AreaRecord& area : m_host.file().areas) {
        if (AreaKind(area.kind) != AreaKind::Weekday || (area.stepX == 0 && area.stepY == 0))
            continue;
        for (int day = 0; day < 7; ++day) {
            // 6 to 12 December 2026 run from Sunday to Saturday.
            const SYSTEMTIME date { 2026, 12, WORD(day), WORD(6 + day), 10, 8, 36, 0 };
            const QImage face = draw(clock(date));
            for (int cell = 0; cell < 7; ++cell) {
                const QRect rect = recordRect(area.left, area.top, area.right, area.bottom)
                                       .translated(cell * area.stepX, cell * area.stepY);
                const int changed = changedPixels(face, m_background, rect);
                if (cell == day) {
                    EXPECT_GT(changed, 5) << "day " << day;
                } else {
                    EXPECT_EQ(changed, 0) << "day " << day << " lights cell " << cell;
                }
            }
        }
    }
}

TEST_P(ShippedFaces, TextsFitTheirRectanglesInEveryLanguage)
{
    for (const DateTimeTextRecord& record : m_host.file().dateTexts) {
        ASSERT_GE(record.font, 0) << "shipped texts name their font";
        const QFont font = fontFromLogFont(m_host.file().fonts[std::size_t(record.font)]);
        if (!QFontDatabase::hasFamily(font.family()))
            GTEST_SKIP() << font.family().toStdString() << " is not installed (fonts-dejavu-core)";
        const QFontMetrics metrics(font);
        const QRect rect = recordRect(record.left, record.top, record.right, record.bottom);
        EXPECT_LE(metrics.height(), rect.height() + 2 * m_scale);
        for (const char* language : { "en_US", "de_DE", "fr_FR", "it_IT", "ru_RU" }) {
            const platform::LocaleInfo locale = platform::localeInfo(language);
            // Every weekday, and every month on its 28th.
            for (int i = 0; i < 12; ++i) {
                const SYSTEMTIME day { 2026, WORD(i + 1), WORD(i % 7), 28, 10, 8, 36, 0 };
                const std::u16string_view picture(record.dateFormat);
                const QString text = formatDate(day, picture, locale);
                EXPECT_LE(metrics.horizontalAdvance(text), rect.width())
                    << language << ": \"" << text.toStdString() << "\" in " << m_file;
            }
        }
    }
}

TEST_P(ShippedFaces, DrawnWholeAndCentredOnScreensTheyWereNotLaidOutFor)
{
    const FaceClock now = clock(at(10, 8, 36));
    const QImage reference = draw(now);
    const QColor background = m_host.backgroundColour();
    // The face's own colour lies beyond it, never black where its background is not.
    ASSERT_NE(m_host.backgroundColour(), QColor(Qt::black));
    // The screens of this scale whose side differs from the portrait face's.
    const std::vector<QSize> screens = m_scale == 1
        ? std::vector<QSize> { QSize(320, 240), QSize(240, 240), QSize(320, 320), QSize(400, 240), QSize(240, 400) }
        : std::vector<QSize> { QSize(640, 480), QSize(480, 480), QSize(800, 480), QSize(480, 800) };
    for (const QSize size : screens) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        QImage screen(size, QImage::Format_RGB32);
        screen.fill(Qt::magenta);
        {
            QPainter painter(&screen);
            FaceInputs inputs;
            inputs.clock = now;
            inputs.locale = &english();
            m_host.drawFitted(painter, inputs, screen.rect());
        }
        // Whole: the face keeps its proportions and no side is cut; centred on the screen.
        const QRect face = FaceHost::fittedRect(m_host.designSize(), screen.rect());
        EXPECT_TRUE(screen.rect().contains(face));
        EXPECT_TRUE(face.width() == size.width() || face.height() == size.height());
        EXPECT_NEAR(double(face.width()) / face.height(), 240.0 / 320.0, 0.01);
        EXPECT_LE(std::abs(face.left() - (size.width() - 1 - face.right())), 1);
        EXPECT_LE(std::abs(face.top() - (size.height() - 1 - face.bottom())), 1);
        // The face shows there as on its own screen, made smaller where it had to be.
        const QImage expected = reference.scaled(face.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage shown = screen.copy(face);
        EXPECT_LT(changedPixels(expected, shown, expected.rect()), face.width() * face.height() / 50);
        // Around it, the background colour: no black band, nothing left undrawn.
        int wrong = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                if (!face.contains(x, y) && faces_test::pixel(screen, x, y) != background)
                    ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    // On its own screen the face is drawn as before, pixel for pixel.
    QImage own(m_host.designSize(), QImage::Format_RGB32);
    own.fill(Qt::magenta);
    {
        QPainter painter(&own);
        FaceInputs inputs;
        inputs.clock = now;
        inputs.locale = &english();
        m_host.drawFitted(painter, inputs, own.rect());
    }
    EXPECT_EQ(own, reference);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedFaces,
    ::testing::Values(ShippedFace { "Dezod", 0 }, ShippedFace { "Dezod", 1 },
        ShippedFace { "Virevur", 0 }, ShippedFace { "Virevur", 1 }, ShippedFace { "Orrery", 0 },
        ShippedFace { "Orrery", 1 }, ShippedFace { "Segment", 0 }, ShippedFace { "Segment", 1 }),
    printName);

struct ShippedSkin {
    const char* name;
    int scaleShift;
};

void PrintTo(const ShippedSkin& skin, std::ostream* out)
{
    *out << skin.name << (skin.scaleShift ? " vga" : " qvga");
}

class ShippedSkins : public ::testing::TestWithParam<ShippedSkin> { };

// The skins' pictures share the pack's geometry: the same sizes, places, hand lengths and
// digit places; what a skin leaves out comes from the pack, and it sets every colour.
TEST_P(ShippedSkins, CompleteFromThePackAndShareItsGeometry)
{
    const ShippedSkin& param = GetParam();
    const fs::path packFile = kShipped / "data" / (param.scaleShift ? "resvga.dat" : "res.dat");
    const fs::path skinFile
        = kShipped / "skins" / (std::string(param.name) + (param.scaleShift ? ".vsk" : ".qsk"));
    if (!fs::exists(packFile))
        GTEST_SKIP() << packFile << " was not built";
    ASSERT_TRUE(fs::exists(skinFile)) << skinFile << " was not built";
    const Bytes skinBytes = faces_test::readBytes(skinFile);
    const auto skinOnly = parseSkinFile(skinBytes);
    ASSERT_TRUE(skinOnly);
    SkinSet pack;
    ASSERT_EQ(pack.loadBytes(faces_test::readBytes(packFile), std::nullopt), SkinOutcome::PackLook);
    SkinSet skin;
    ASSERT_EQ(skin.loadBytes(faces_test::readBytes(packFile), skinBytes), SkinOutcome::Loaded);

    std::vector<int> imageWords(onDemandImageWords().begin(), onDemandImageWords().end());
    imageWords.insert(imageWords.end(), elementWords().begin(), elementWords().end());
    imageWords.insert(
        imageWords.end(), digitBlockImageWords().begin(), digitBlockImageWords().end());
    int own = 0;
    for (const int word : imageWords) {
        const QImage packImage = pack.imageOf(word);
        const QImage skinImage = skin.imageOf(word);
        EXPECT_EQ(skinImage.isNull(), packImage.isNull()) << "word " << word;
        EXPECT_EQ(skinImage.size(), packImage.size()) << "word " << word;
        if (!imageLeftOut(skinOnly->record[word], skinOnly->record[skin::kImageCount])) {
            ++own;
            EXPECT_FALSE(std::ranges::equal(
                skin.imageBytes(skin.word(word)), pack.imageBytes(pack.word(word))))
                << "word " << word << " repeats the pack's picture";
        }
    }
    EXPECT_GE(own, 3);

    for (const SkinWordName& name : skinWordNames()) {
        const int words = wordsOf(name.kind);
        if (name.kind == WordKind::Value || name.kind == WordKind::Point
            || name.kind == WordKind::Rect) {
            for (int i = 0; i < words; ++i)
                EXPECT_EQ(skin.word(name.word + i), pack.word(name.word + i)) << name.name;
        } else if (name.kind == WordKind::Element) {
            for (int i = 1; i < 5; ++i)
                EXPECT_EQ(skin.word(name.word + i), pack.word(name.word + i)) << name.name;
        } else if (name.kind == WordKind::Colour && pack.word(name.word) != 0) {
            EXPECT_NE(skin.word(name.word), 0) << name.name << " is not set";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedSkins,
    ::testing::Values(ShippedSkin { "Graphite", 0 }, ShippedSkin { "Graphite", 1 },
        ShippedSkin { "Ocean", 0 }, ShippedSkin { "Ocean", 1 }),
    [](const ::testing::TestParamInfo<ShippedSkin>& info) {
        return std::string(info.param.name) + (info.param.scaleShift ? "_vga" : "_qvga");
    });

} // namespace

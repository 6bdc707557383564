#include "faces/digital_clock.h"
#include "faces/face_host.h"
#include "faces/skin.h"
#include "faces/status_bar.h"
#include "platform/locale.h"

#include "tests/faces/faces_fixture.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace faces;
using faces_test::pixel;

namespace {

// Tuesday 8 December 2026.
SYSTEMTIME at(int hour, int minute, int second = 0)
{
    return SYSTEMTIME { 2026, 12, 2, 8, WORD(hour), WORD(minute), WORD(second), 0 };
}

const platform::LocaleInfo& english()
{
    static const platform::LocaleInfo locale = platform::localeInfo("en_US");
    return locale;
}

QColor digitColour(int frame)
{
    return QColor(10 + 20 * frame, 100, 200);
}
const QColor kFaceBackground(16, 32, 64);

int countPixels(const QImage& image, QRect area, const std::function<bool(QColor)>& test)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(pixel(image, x, y)) ? 1 : 0;
    return count;
}

bool isLight(QColor c)
{
    return c.red() > 200 && c.green() > 200 && c.blue() > 200;
}
bool isDark(QColor c)
{
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}

class SampleFace : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_host.loadBytes(faces_test::sampleArt("sample.qpg"), 0)); }

    QImage draw(SYSTEMTIME time, bool use24Hour = false, QPoint offset = {})
    {
        QImage image(240, 320, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FaceInputs inputs;
        inputs.clock.time = time;
        inputs.clock.use24Hour = use24Hour;
        inputs.offset = offset;
        inputs.locale = &english();
        m_host.draw(painter, inputs);
        return image;
    }

    FaceHost m_host;
};

} // namespace

TEST_F(SampleFace, DrawsBackgroundDigitsAreasTextsAndHands)
{
    const QImage face = draw(at(9, 5, 30));
    EXPECT_EQ(pixel(face, 230, 200), kFaceBackground);
    // Hour "9" without its leading digit, minute "05", year "2026".
    EXPECT_EQ(pixel(face, 22, 105), kFaceBackground);
    EXPECT_EQ(pixel(face, 30, 105), digitColour(9));
    EXPECT_EQ(pixel(face, 42, 105), digitColour(0));
    EXPECT_EQ(pixel(face, 50, 105), digitColour(5));
    EXPECT_EQ(pixel(face, 22, 125), digitColour(2));
    EXPECT_EQ(pixel(face, 46, 125), digitColour(6));
    // The masked AM frame: its inside is drawn, its border lets the background through.
    EXPECT_EQ(pixel(face, 65, 105), QColor(250, 250, 0));
    EXPECT_EQ(pixel(face, 60, 100), kFaceBackground);
    // "9:05" centred on x 120 at y 290.
    EXPECT_EQ(pixel(face, 106, 295), digitColour(9));
    EXPECT_EQ(pixel(face, 114, 295), digitColour(10));
    // Tuesday's part of the weekday strip, nothing of Monday's; the morning area only.
    EXPECT_EQ(pixel(face, 45, 305), QColor(100, 0, 0));
    EXPECT_EQ(pixel(face, 25, 305), kFaceBackground);
    EXPECT_EQ(pixel(face, 205, 15), QColor(255, 255, 0));
    EXPECT_EQ(pixel(face, 225, 15), kFaceBackground);
    // White text: the time in (0,0)-(120,20), "Y2026" in (0,20)-(120,40).
    EXPECT_GT(countPixels(face, QRect(0, 0, 120, 20), isLight), 15);
    EXPECT_GT(countPixels(face, QRect(0, 20, 120, 20), isLight), 15);
    // The hour hand at 9:05 points left from the work area's centre (120, 160).
    EXPECT_EQ(pixel(face, 80, 160), QColor(255, 0, 0));
    EXPECT_EQ(pixel(face, 120, 120), kFaceBackground);
    EXPECT_EQ(pixel(face, 160, 160), kFaceBackground);
}

TEST_F(SampleFace, AfternoonTwentyFourHourAndOffsetDraws)
{
    const QImage afternoon = draw(at(15, 0));
    EXPECT_EQ(pixel(afternoon, 225, 15), QColor(0, 255, 0));
    EXPECT_EQ(pixel(afternoon, 205, 15), kFaceBackground);
    EXPECT_EQ(pixel(afternoon, 65, 105), QColor(0, 250, 250)); // PM frame
    EXPECT_EQ(pixel(afternoon, 160, 160), QColor(255, 0, 0)); // the hand points right

    const QImage evening = draw(at(21, 7), true);
    EXPECT_EQ(pixel(evening, 22, 105), digitColour(2));
    EXPECT_EQ(pixel(evening, 30, 105), digitColour(1));
    EXPECT_EQ(pixel(evening, 65, 105), kFaceBackground); // no AM/PM in 24-hour mode

    // Everything moves with the offset; what the background does not cover is black.
    const QImage lowered = draw(at(9, 5), false, QPoint(0, 26));
    EXPECT_EQ(pixel(lowered, 30, 131), digitColour(9));
    EXPECT_EQ(pixel(lowered, 80, 186), QColor(255, 0, 0));
    EXPECT_EQ(pixel(lowered, 10, 10), QColor(Qt::black));
}

TEST(DigitalClockTexts, DateLinesFollowTheFormatSettingAndLocale)
{
    DigitalClockInputs inputs;
    inputs.localTime = at(9, 5);
    inputs.visitingTime = at(17, 45);
    inputs.locale = &english();
    EXPECT_EQ(DigitalClock::dateText(inputs), QStringLiteral("December 08, 2026"));
    EXPECT_EQ(DigitalClock::visitingDateText(inputs), QStringLiteral("Tue, 12/08"));
    inputs.dateFormat = 1;
    EXPECT_EQ(DigitalClock::dateText(inputs), QStringLiteral("08 December 2026"));
    EXPECT_EQ(DigitalClock::visitingDateText(inputs), QStringLiteral("Tue, 8/12"));
    const platform::LocaleInfo german = platform::localeInfo("de_DE");
    inputs.locale = &german;
    EXPECT_TRUE(DigitalClock::visitingDateText(inputs).endsWith(QStringLiteral(", 8.12.")))
        << DigitalClock::visitingDateText(inputs).toStdString();
}

class SkinDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_skin.loadBytes(faces_test::sampleArt("res.dat"), std::nullopt),
            SkinOutcome::PackLook);
    }
    SkinSet m_skin;
};

TEST_F(SkinDrawing, DigitalClockDrawsTheTimeWithTheSkinsDigitImages)
{
    const DigitalClock clock(m_skin, ScreenLayout::of(240, 320));
    QImage image(240, 320, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    DigitalClockInputs inputs;
    inputs.localTime = at(9, 5, 37);
    inputs.visitingTime = at(17, 45);
    inputs.homeCityName = u"London";
    inputs.weekNumber = 50;
    inputs.locale = &english();
    clock.draw(painter, inputs);
    painter.end();

    ASSERT_EQ(clock.bigTimeRect(), QRect(0, 55, 240, 85));
    const int top = 55 + 20 + 20;
    EXPECT_EQ(pixel(image, 20, top), QColor(Qt::white)); // no tens of hours
    EXPECT_EQ(pixel(image, 40, top), QColor(0, 180, 100)); // 9
    EXPECT_EQ(pixel(image, 60, top), QColor(0, 200, 100)); // colon
    EXPECT_EQ(pixel(image, 80, top), QColor(0, 0, 100)); // 0
    EXPECT_EQ(pixel(image, 100, top), QColor(0, 100, 100)); // 5
    EXPECT_EQ(pixel(image, 150, top), QColor(0, 60, 100)); // seconds 3 ...
    EXPECT_EQ(pixel(image, 170, top), QColor(0, 140, 100)); // ... 7
    EXPECT_EQ(pixel(image, 31, top), QColor(Qt::white)); // magenta edge of a frame
    EXPECT_EQ(pixel(image, 192, 77), QColor(200, 0, 0)); // AM
    // The white box of the visiting city's clock and the date lines above.
    EXPECT_EQ(pixel(image, 176, 206), QColor(Qt::white));
    EXPECT_GT(countPixels(image, QRect(175, 205, 65, 14), isDark), 5);
    EXPECT_GT(countPixels(image, QRect(25, 146, 215, 48),
                  [](QColor c) { return c.blue() > 100 && c.red() < 60; }),
        20);
}

TEST_F(SkinDrawing, DigitalClockWritesTheTimeWhenThereAreNoDigitImages)
{
    SkinRecord record;
    for (const int word : digitBlockImageWords())
        record[word] = -1;
    record[skin::kBigTimeFill] = 0x00ffffff;
    SkinSet textOnly;
    ASSERT_EQ(textOnly.loadBytes(writeSkinFile(record, {}), std::nullopt), SkinOutcome::PackLook);
    const DigitalClock clock(textOnly, ScreenLayout::of(320, 240));
    EXPECT_EQ(clock.bigTimeRect(), QRect(35, 42, 240, 60));
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    DigitalClockInputs inputs;
    inputs.localTime = at(21, 5, 37);
    inputs.use24Hour = true;
    inputs.locale = &english();
    clock.draw(painter, inputs);
    painter.end();
    EXPECT_EQ(pixel(image, 36, 43), QColor(Qt::white));
    EXPECT_GT(countPixels(image, QRect(35, 42, 180, 58), isDark), 200); // "21:05"
    EXPECT_GT(countPixels(image, QRect(218, 42, 57, 60), isDark), 50); // "37"
    EXPECT_EQ(pixel(image, 34, 60), QColor(Qt::gray));
}

TEST(StatusTexts, PlaceholdersWhenNothingRuns)
{
    StatusBarInputs inputs;
    inputs.localTime = at(9, 5);
    inputs.locale = &english();
    EXPECT_EQ(statusText(std::uint32_t(StatusContent::Alarm), inputs), QStringLiteral("--:--"));
    EXPECT_EQ(statusText(std::uint32_t(StatusContent::Timer), inputs), QStringLiteral("--:--"));
    EXPECT_EQ(
        statusText(std::uint32_t(StatusContent::Stopwatch), inputs), QStringLiteral("--:-- --"));
    EXPECT_TRUE(statusText(std::uint32_t(StatusContent::None), inputs).isEmpty());
    inputs.nextAlarm = at(7, 30);
    inputs.internetTimeText = u"420";
    inputs.stopwatchText = stopwatchStatusText(3725);
    // The locale's own spacing before "AM" (a narrow space in current locale data).
    const QString alarm = statusText(std::uint32_t(StatusContent::Alarm), inputs);
    EXPECT_TRUE(alarm.startsWith(QStringLiteral("7:30")) && alarm.endsWith(QStringLiteral("AM")))
        << alarm.toStdString();
    EXPECT_EQ(
        statusText(std::uint32_t(StatusContent::InternetTime), inputs), QStringLiteral("@420"));
    EXPECT_EQ(
        statusText(std::uint32_t(StatusContent::Stopwatch), inputs), QStringLiteral("01:02 05"));
    EXPECT_TRUE(
        statusText(std::uint32_t(StatusContent::Date), inputs).startsWith(QStringLiteral("12/8/")));
    const QString time = statusText(std::uint32_t(StatusContent::Time), inputs);
    EXPECT_TRUE(time.startsWith(QStringLiteral("9:05")) && time.endsWith(QStringLiteral("AM")))
        << time.toStdString();
}

TEST_F(SkinDrawing, PartsWhoseValueIsNotKnownYetShowAPlaceholderBesideTheirIcon)
{
    // The default middle part, Sunrise, before anything has computed the sunrise.
    StatusBarInputs inputs;
    inputs.localTime = at(9, 5);
    inputs.locale = &english();
    const QString sunrise = statusText(std::uint32_t(StatusContent::Sunrise), inputs);
    EXPECT_EQ(sunrise, QStringLiteral("--:--"));
    EXPECT_EQ(statusText(std::uint32_t(StatusContent::Sunset), inputs), QStringLiteral("--:--"));
    EXPECT_EQ(statusText(std::uint32_t(StatusContent::InternetTime), inputs), QStringLiteral("@---"));
    // Known values are shown as given.
    StatusBarInputs known = inputs;
    known.sunriseText = u"7:58";
    known.sunsetText = u"16:21";
    EXPECT_EQ(statusText(std::uint32_t(StatusContent::Sunrise), known), QStringLiteral("7:58"));
    EXPECT_EQ(statusText(std::uint32_t(StatusContent::Sunset), known), QStringLiteral("16:21"));

    // The placeholder is written right of the icon.
    const StatusBar bar(m_skin, ScreenLayout::of(240, 320));
    QImage strip(240, 22, QImage::Format_RGB32);
    strip.fill(Qt::gray);
    QPainter painter(&strip);
    const int iconX = bar.drawPart(painter, std::uint32_t(StatusContent::Sunrise), sunrise, 80);
    painter.end();
    ASSERT_GE(iconX, 80);
    int ink = 0;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = iconX + 22; x < 160; ++x)
            ink += pixel(strip, x, y) != QColor(Qt::gray);
    EXPECT_GT(ink, 10);
}

TEST_F(SkinDrawing, StatusBarDrawsBarDividersIconsAndTexts)
{
    const StatusBar bar(m_skin, ScreenLayout::of(240, 320));
    ASSERT_EQ(bar.rect(), QRect(0, 245, 240, 22));
    QImage image(240, 320, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    StatusBarInputs inputs;
    inputs.contents
        = { std::uint32_t(StatusContent::Stopwatch), 0, std::uint32_t(StatusContent::Time) };
    inputs.localTime = at(9, 5);
    inputs.locale = &english();
    bar.draw(painter, inputs);
    painter.end();
    EXPECT_EQ(pixel(image, 78, 250), QColor(Qt::black)); // divider
    EXPECT_EQ(pixel(image, 161, 250), QColor(Qt::black));
    EXPECT_EQ(pixel(image, 120, 250), QColor(192, 192, 192)); // the central part shows nothing
    EXPECT_EQ(pixel(image, 5, 244), QColor(Qt::white)); // above the bar

    QImage strip(240, 22, QImage::Format_RGB32);
    strip.fill(Qt::gray);
    QPainter stripPainter(&strip);
    const int iconX = bar.drawPart(
        stripPainter, std::uint32_t(StatusContent::Stopwatch), QStringLiteral("--:-- --"), 80);
    EXPECT_EQ(bar.drawPart(stripPainter, 0, QString(), 0), -1);
    stripPainter.end();
    ASSERT_GE(iconX, 80);
    EXPECT_LT(iconX, 120);
    EXPECT_EQ(pixel(strip, iconX + 8, 8), QColor(0, 0, 20)); // the stopwatch icon (frame 2)
    EXPECT_EQ(pixel(strip, iconX + 1, 1), QColor(Qt::gray)); // its magenta is transparent

    // 320 x 320 screens get a divider line instead of the bar.
    const StatusBar line(m_skin, ScreenLayout::of(320, 320));
    EXPECT_TRUE(line.rect().isEmpty());
    QImage square(320, 320, QImage::Format_RGB32);
    square.fill(Qt::white);
    QPainter squarePainter(&square);
    line.draw(squarePainter, inputs);
    squarePainter.end();
    EXPECT_EQ(pixel(square, 100, 247), QColor(0x40, 0x40, 0x40));
    EXPECT_EQ(pixel(square, 100, 250), QColor(Qt::white));
}

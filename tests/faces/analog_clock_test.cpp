#include "faces/analog_clock.h"
#include "faces/skin.h"

#include "tests/faces/faces_fixture.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace faces;
using faces_test::pixel;

namespace {

SYSTEMTIME at(int hour, int minute, int second = 0)
{
    return SYSTEMTIME { 2026, 12, 2, 8, WORD(hour), WORD(minute), WORD(second), 0 };
}

bool isDark(QColor colour)
{
    return colour.red() < 80 && colour.green() < 80 && colour.blue() < 80;
}

} // namespace

TEST(AnalogTables, CirclePointsAreTruncatedTowardZero)
{
    const CircleTable points = circleTable(QPoint(100, 100), 10);
    EXPECT_EQ(points[0], QPoint(100, 90));
    EXPECT_EQ(points[15], QPoint(110, 100));
    // Straight down and left, -10 + 0.5 truncates to -9: the table is one pixel short there.
    EXPECT_EQ(points[30], QPoint(100, 109));
    EXPECT_EQ(points[45], QPoint(91, 100));
    EXPECT_EQ(points[5], QPoint(105, 91)); // sin 30 deg: 5 + 0.5 -> 5; cos: 8.66 + 0.5 -> 9
    // At 240 degrees sin x r + 0.5 = -8.16 and cos x r + 0.5 = -4.5: truncation gives -8 and
    // -4 where rounding down would give -9 and -5.
    EXPECT_EQ(points[40], QPoint(92, 104));
    EXPECT_EQ(circleTable(QPoint(0, 0), 0)[17], QPoint(0, 0));
}

TEST(AnalogTables, HandQuadrilateralsJoinTipSidesAndTail)
{
    const QPoint centre(60, 70);
    const HandTable hands = handTable(centre, 30, 6, 4);
    const CircleTable tips = circleTable(centre, 30), sides = circleTable(centre, 4),
                      tails = circleTable(centre, 6);
    for (std::size_t i : { 0u, 14u, 59u }) {
        EXPECT_EQ(hands[i][0], tips[i]);
        EXPECT_EQ(hands[i][1], sides[(i + 15) % 60]);
        EXPECT_EQ(hands[i][2], tails[(i + 30) % 60]);
        EXPECT_EQ(hands[i][3], sides[(i + 45) % 60]);
    }
    EXPECT_EQ(hands[0][0], QPoint(60, 40));
    EXPECT_EQ(hands[0][2], QPoint(60, 75));
}

TEST(AnalogTables, HourHandUsesQuadrilateral59AtEleven59And0AtTwelve)
{
    EXPECT_EQ(hourHandPosition(11, 59), 59);
    EXPECT_EQ(hourHandPosition(23, 59), 59);
    EXPECT_EQ(hourHandPosition(12, 0), 0);
    EXPECT_EQ(hourHandPosition(0, 0), 0);
    EXPECT_EQ(hourHandPosition(3, 11), 15);
    EXPECT_EQ(hourHandPosition(3, 12), 16);
}

class AnalogClocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_skin.loadBytes(faces_test::sampleArt("res.dat"), std::nullopt),
            SkinOutcome::PackLook);
    }
    SkinSet m_skin;
};

TEST_F(AnalogClocks, LargeClockDrawsTheHandsOfTheTime)
{
    const LargeAnalogClock clock(m_skin, skin::kLargeDial, ScreenLayout::of(240, 320));
    ASSERT_EQ(clock.dialSize(), QSize(100, 100));
    EXPECT_EQ(clock.viewPosition(), QPoint(70, 40));
    QImage image(240, 320, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    // 3:00:30 - the hour hand points right, the minute hand up, the second hand down.
    clock.draw(painter, QPoint(20, 20), at(3, 0, 30));
    painter.end();
    const QPoint centre(70, 70);
    EXPECT_TRUE(isDark(pixel(image, centre.x() + 18, centre.y()))); // hour hand, 25 long
    EXPECT_TRUE(isDark(pixel(image, centre.x(), centre.y() - 35))); // minute hand, 40 long
    EXPECT_EQ(pixel(image, centre.x() - 18, centre.y()), QColor(Qt::white));
    const QColor second = pixel(image, centre.x(), centre.y() + 40);
    EXPECT_GT(second.red(), second.green() + 60); // red, blended with the white dial
    EXPECT_GT(second.red(), second.blue() + 60);
    EXPECT_EQ(pixel(image, 10, 10), QColor(Qt::gray)); // outside the dial
    // The time goes under the dial, in its white box (0,100)-(100,120) of the dial.
    int dark = 0;
    for (int y = 120; y < 140; ++y)
        for (int x = 20; x < 120; ++x)
            dark += isDark(pixel(image, x, y)) ? 1 : 0;
    EXPECT_GT(dark, 10);
    EXPECT_EQ(pixel(image, 21, 121), QColor(Qt::white));
}

TEST_F(AnalogClocks, FullScreenClockIsCentredAboveTheMenuBar)
{
    EXPECT_EQ(
        LargeAnalogClock(m_skin, skin::kLargeDial, ScreenLayout::of(240, 320)).fullScreenPosition(),
        QPoint(70, 83));
    EXPECT_EQ(
        LargeAnalogClock(m_skin, skin::kLargeDial, ScreenLayout::of(480, 640)).fullScreenPosition(),
        QPoint(190, 217));
    // 400-line screens centre within 320 (scaled) pixels, 320 x 320 screens within 240.
    EXPECT_EQ(
        LargeAnalogClock(m_skin, skin::kLargeDial, ScreenLayout::of(240, 400)).fullScreenPosition(),
        QPoint(110, 123));
    EXPECT_EQ(
        LargeAnalogClock(m_skin, skin::kLargeDial, ScreenLayout::of(480, 800)).fullScreenPosition(),
        QPoint(270, 297));
    EXPECT_EQ(
        LargeAnalogClock(m_skin, skin::kLargeDial, ScreenLayout::of(320, 320)).fullScreenPosition(),
        QPoint(70, 83));
}

TEST_F(AnalogClocks, SmallClockDrawsTwoLines)
{
    const SmallAnalogClock clock(m_skin);
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    clock.draw(painter, QRect(10, 10, 100, 100), at(9, 15));
    painter.end();
    const QPoint centre(60, 60);
    // Hour line 20 long towards 9 o'clock (position 46, ending at (41, 58)), minute line 30
    // long in blue towards 3.
    bool hourLine = false;
    for (int y = centre.y() - 4; y <= centre.y() + 2; ++y)
        hourLine = hourLine || isDark(pixel(image, centre.x() - 15, y));
    EXPECT_TRUE(hourLine);
    const QColor minute = pixel(image, centre.x() + 25, centre.y());
    EXPECT_GT(minute.blue(), minute.red() + 60);
    EXPECT_GT(minute.blue(), minute.green() + 60);
    EXPECT_EQ(pixel(image, centre.x(), centre.y() - 20), QColor(Qt::white));
}

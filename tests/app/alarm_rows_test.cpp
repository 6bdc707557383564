// The Alarms view's pages and weekday boxes.

#include "app/alarm_rows.h"

#include <gtest/gtest.h>

TEST(AlarmRows, PortraitHasFivePagesOfFourAndSquareOrLandscapeSevenOfThree)
{
    EXPECT_EQ(app::alarmPageCount(app::alarmRowsPerPage(false)), 5);
    const auto last = app::alarmsOnPage(4, 4);
    EXPECT_EQ(last.first, 16);
    EXPECT_EQ(last.count, 4);

    EXPECT_EQ(app::alarmPageCount(app::alarmRowsPerPage(true)), 7);
    const auto seventh = app::alarmsOnPage(6, 3); // alarms 19 and 20 only
    EXPECT_EQ(seventh.first, 18);
    EXPECT_EQ(seventh.count, 2);
    EXPECT_EQ(app::alarmsOnPage(9, 3).first, 18); // a stored page past the end: the last one
}

TEST(AlarmRows, WeekdayTapsHitTheBoxUnderThePenInTheLocalesOrder)
{
    EXPECT_EQ(app::weekdayBoxAt(0), 0);
    EXPECT_EQ(app::weekdayBoxAt(15), 0);
    EXPECT_EQ(app::weekdayBoxAt(16), 1);
    EXPECT_EQ(app::weekdayBoxAt(29), 1);
    EXPECT_EQ(app::weekdayBoxAt(30), 2);
    EXPECT_EQ(app::weekdayBoxAt(99), 6);
    EXPECT_EQ(app::weekdayBoxAt(100), std::nullopt);
    EXPECT_EQ(app::weekdayBoxAt(-1), std::nullopt);
    // Each box's letter lies inside the box it stands for.
    for (int box = 0; box < 7; ++box)
        EXPECT_EQ(app::weekdayBoxAt(app::weekdayLetterX(box) + 4), box) << box;

    // Sunday first: box i is bit i. Monday first: Monday .. Saturday, then Sunday.
    for (int box = 0; box < 7; ++box)
        EXPECT_EQ(app::weekdayBitOfBox(box, true), box);
    EXPECT_EQ(app::weekdayBitOfBox(0, false), 1);
    EXPECT_EQ(app::weekdayBitOfBox(5, false), 6);
    EXPECT_EQ(app::weekdayBitOfBox(6, false), 0);
}

#include "app/schedule.h"
#include "app/view_list.h"

#include "tests/support/device_fixture.h"

#include <fstream>

using namespace app;

namespace {

constexpr std::u16string_view kBuiltIn = u"General\\Digital Clock\\Analog Clock\\Alarms\\Timers\\Stopwatch\\Events\\"
                                         u"World Time\\Moon Phases\\Sun rise/set\\City Time\\Internet Time\\Time Calc\\";

class PluginViews : public testing_support::DeviceTest {
protected:
    void addFace(const std::string& file)
    {
        const auto folder = m_device.root() / "Program Files" / "Tickwell Pro" / "plugins";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / file) << "face";
    }
};

SYSTEMTIME at(int hour, int minute, int second)
{
    return SYSTEMTIME { 2026, 12, 2, 8, WORD(hour), WORD(minute), WORD(second), 0 };
}

} // namespace

TEST_F(PluginViews, FaceFilesBecomeViewsAfterTheBuiltInOnes)
{
    const auto none = buildViewList(u"\\Program Files\\Tickwell Pro\\", 0, kBuiltIn);
    EXPECT_TRUE(none.pluginFaces.empty());
    EXPECT_FALSE(viewName(none.names, 13));
    EXPECT_EQ(viewName(none.names, 12), u"Time Calc");

    addFace("Zebra.qpg");
    addFace("Blue.Dial.qpg"); // cut at the last dot
    addFace("Large.vpg");     // only for large screens
    const auto small = buildViewList(u"\\Program Files\\Tickwell Pro\\", 0, kBuiltIn);
    ASSERT_EQ(small.pluginFaces, (std::vector<std::u16string> { u"Blue.Dial", u"Zebra" }));
    EXPECT_EQ(viewName(small.names, 13), u"Blue.Dial");
    EXPECT_EQ(pluginFacePath(u"\\Program Files\\Tickwell Pro\\", 0, small.names, 14),
        u"\\Program Files\\Tickwell Pro\\plugins\\Zebra.qpg");
    EXPECT_EQ(buildViewList(u"\\Program Files\\Tickwell Pro\\", 1, kBuiltIn).pluginFaces,
        std::vector<std::u16string> { u"Large" });

    // A face deleted after start: its view cannot open.
    std::filesystem::remove(m_device.root() / "Program Files" / "Tickwell Pro" / "plugins" / "Zebra.qpg");
    EXPECT_FALSE(pluginFacePath(u"\\Program Files\\Tickwell Pro\\", 0, small.names, 14));
}

TEST_F(PluginViews, NameListIsCutAtAWholeNameWithinItsLimit)
{
    for (int i = 0; i < 60; ++i)
        addFace("Face number " + std::to_string(100 + i) + ".qpg");
    const auto list = buildViewList(u"\\Program Files\\Tickwell Pro\\", 0, kBuiltIn);
    EXPECT_LE(list.names.size(), kViewNamesLimit);
    EXPECT_EQ(list.names.back(), u'\\');
    EXPECT_GT(list.names.size(), kViewNamesLimit - 20);
}

TEST(ViewCommands, MenuAndStatusBarChooseViews)
{
    EXPECT_EQ(viewOfCommand(40011), 0);
    EXPECT_EQ(viewOfCommand(40023), 12);
    EXPECT_EQ(viewOfCommand(40500), 13);
    EXPECT_EQ(viewOfCommand(40599), 112);
    EXPECT_FALSE(viewOfCommand(40024));
    EXPECT_FALSE(viewOfCommand(40006));

    EXPECT_EQ(statusBarPartAt(10, 250, false, 0), 0);
    EXPECT_EQ(statusBarPartAt(79, 267, false, 0), 1);
    EXPECT_EQ(statusBarPartAt(161, 170, true, 0), 2);
    EXPECT_FALSE(statusBarPartAt(100, 170, false, 0)); // above the portrait bar
    EXPECT_EQ(statusBarPartAt(330, 500, false, 1), 2); // scaled for a large screen
    EXPECT_EQ(statusBarPartAt(320, 500, false, 1), 1);
    EXPECT_FALSE(viewOfStatusContent(0));              // None
    EXPECT_EQ(viewOfStatusContent(4), 9);              // Sunrise
    EXPECT_EQ(viewOfStatusContent(5), 9);              // Sunset
    EXPECT_EQ(viewOfStatusContent(8), 0);              // Time
    EXPECT_FALSE(viewOfStatusContent(9));
}

TEST(RedrawSchedule, OncePerSecondAndEveryTickForTheRunningStopwatch)
{
    EXPECT_FALSE(redrawOnTick(at(9, 0, 1), at(9, 0, 1), false));
    EXPECT_TRUE(redrawOnTick(at(9, 0, 1), at(9, 0, 2), false));
    EXPECT_TRUE(redrawOnTick(at(9, 0, 1), at(9, 0, 1), true));
}

TEST(IntervalChime, SoundsOnTheChosenMinutesOnceAndLeavesItToTheTodayItem)
{
    const ChimeSettings hourly { true, true, 5 };
    EXPECT_TRUE(chimeDue(at(11, 59, 59), at(12, 0, 0), hourly, true, false));
    EXPECT_FALSE(chimeDue(at(12, 0, 0), at(12, 0, 0), hourly, true, false)); // the next tick of that second
    EXPECT_FALSE(chimeDue(at(12, 29, 59), at(12, 30, 0), hourly, true, false));
    EXPECT_FALSE(chimeDue(at(11, 59, 59), at(12, 0, 0), hourly, true, true)); // the Today item chimes
    EXPECT_FALSE(chimeDue(at(11, 59, 59), at(12, 0, 0), hourly, false, false)); // not in service modes
    EXPECT_FALSE(chimeDue(at(11, 59, 59), at(12, 0, 0), ChimeSettings { true, false, 5 }, true, false));
    const ChimeSettings quarterly { true, true, 2 };
    EXPECT_TRUE(chimeDue(at(12, 44, 59), at(12, 45, 0), quarterly, true, false));
    EXPECT_FALSE(chimeDue(at(12, 49, 59), at(12, 50, 0), quarterly, true, false));
    // Minute 0 chimes for every choice.
    for (int interval = 0; interval <= 5; ++interval)
        EXPECT_TRUE(chimeDue(at(6, 59, 59), at(7, 0, 0), ChimeSettings { true, true, interval }, true, false));
}

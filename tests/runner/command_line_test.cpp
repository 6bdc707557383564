#include "runner/command_line.h"

#include <gtest/gtest.h>

using runner::Job;
using runner::parseCommandLine;

namespace {

struct Case {
    const char16_t* line;
    Job job;
    std::uint32_t number;
};

} // namespace

TEST(RunnerCommandLine, EachJobIsRecognisedExactly)
{
    const Case cases[] = {
        { u"dpi", Job::ScreenWidth, 0 },
        { u"dpi96", Job::ScreenWidth, 0 },
        { u"AppRunAfterTimeChange", Job::AfterTimeChange, 0 },
        { u"appRunAfterTimeChange", Job::None, 0 }, // case counts
        { u"AppRunAfterTimeChange ", Job::None, 0 },
        { u"UpdateNotifications", Job::RenewAll, 0 },
        { u"UpdateNotification", Job::None, 0 },
        { u"chime", Job::Chime, 0 },
        { u"chimes", Job::None, 0 },
        { u"sn", Job::SnoozeDue, 0 },
        { u"snooze", Job::SnoozeDue, 0 },
        { u"s", Job::None, 0 },
        { u"", Job::None, 0 },
        { u"j5", Job::None, 0 }, // a kind of item nothing registers
        { u"x01", Job::None, 0 },
    };
    for (const auto& c : cases) {
        const auto command = parseCommandLine(c.line);
        EXPECT_EQ(command.job, c.job) << std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line));
    }
}

TEST(RunnerCommandLine, ItemNumbersAreDecimalWithLeadingZerosAndMustNameAnItem)
{
    const Case cases[] = {
        { u"a05", Job::Alarm, 5 },
        { u"a5", Job::Alarm, 5 },
        { u"a01", Job::Alarm, 1 },
        { u"a20", Job::Alarm, 20 },
        { u"a0020", Job::Alarm, 20 },
        { u"a00", Job::None, 0 },
        { u"a21", Job::None, 0 },
        { u"a", Job::None, 0 },
        { u"a5x", Job::None, 0 },
        { u"a-5", Job::None, 0 },
        { u"t00", Job::Timer, 0 },
        { u"t09", Job::Timer, 9 },
        { u"t15", Job::Timer, 15 },
        { u"t16", Job::None, 0 },
        { u"e1234", Job::Event, 1234 },
        { u"e4294967295", Job::Event, 4294967295u },
        { u"e4294967296", Job::None, 0 }, // does not fit a handle
        { u"e0", Job::None, 0 },          // the mark of an event never registered
        { u"e", Job::None, 0 },
    };
    for (const auto& c : cases) {
        const auto command = parseCommandLine(c.line);
        const std::string shown(c.line, c.line + std::char_traits<char16_t>::length(c.line));
        EXPECT_EQ(command.job, c.job) << shown;
        EXPECT_EQ(command.number, c.number) << shown;
    }
}

TEST(RunnerCommandLine, TheWholeLineIsKeptAsTheArgumentForLaterRegistrations)
{
    EXPECT_EQ(parseCommandLine(u"a5").argument, u"a5");
    EXPECT_EQ(parseCommandLine(u"t03").argument, u"t03");
    EXPECT_EQ(runner::kindOf(Job::Timer), runner::ItemKind::Timer);
    EXPECT_EQ(runner::kindOf(Job::Event), runner::ItemKind::Event);
    EXPECT_EQ(runner::kindOf(Job::Alarm), runner::ItemKind::Alarm);
}

#include "app/command_line.h"
#include "app/single_instance.h"
#include "platform/text.h"

#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

using namespace app;
using testing_support::ChildProcess;

namespace {

StartRequest parse(std::u16string_view line)
{
    const auto request = parseCommandLine(line);
    EXPECT_TRUE(request) << std::string(line.begin(), line.end());
    return request.value_or(StartRequest { });
}

using SingleInstance = testing_support::DeviceTest;

} // namespace

TEST(CommandLine, TheFirstCharacterChoosesTheModeAndTheRestIsReadByPosition)
{
    EXPECT_EQ(parse(u"").mode, StartMode::Normal);
    EXPECT_FALSE(parse(u"").view);
    EXPECT_EQ(parse(u"ptds7").view, 7u);
    EXPECT_EQ(parse(u"ptds13").view, 13u);
    EXPECT_EQ(parse(u"a05").view, 3u);
    EXPECT_EQ(parse(u"a05").viewItem, 4u); // alarms count from 1 on the line
    EXPECT_EQ(parse(u"t3").viewItem, 3u);
    EXPECT_EQ(parse(u"e1234").storedCommandLine, u"e1234");

    const auto saver = parse(u"ssaveBlue Dial");
    EXPECT_EQ(saver.mode, StartMode::ScreenSaver);
    EXPECT_EQ(saver.faceName, u"Blue Dial");
    EXPECT_EQ(parse(u"lock1Virevur").lockKind, 1);
    EXPECT_EQ(parse(u"lock2Virevur").lockKind, 2);
    EXPECT_EQ(parse(u"lock9Virevur").lockKind, 2); // anything but 1
    EXPECT_EQ(parse(u"lock2Virevur").faceName, u"Virevur");

    EXPECT_EQ(parse(u"d").mode, StartMode::TimeAndLocation);
    EXPECT_EQ(parse(u"dx").mode, StartMode::TimeAndLocation);
    EXPECT_EQ(parse(u"df").mode, StartMode::FirstRunSetup);
    EXPECT_EQ(parse(u"o").mode, StartMode::Preferences);
    EXPECT_EQ(numberAt(u"ptds", 4), 0u);
    EXPECT_EQ(numberAt(u"na12x5", 2), 12u);
}

TEST(CommandLine, RemindersOutOfRangeOrOfUnknownKindEndTheStart)
{
    EXPECT_EQ(parse(u"na1").reminderNumber, 0u);
    EXPECT_EQ(parse(u"na20").reminderNumber, 19u);
    EXPECT_FALSE(parseCommandLine(u"na21"));
    EXPECT_FALSE(parseCommandLine(u"na0")); // wraps round above 19
    EXPECT_EQ(parse(u"nt20").reminderNumber, 20u);
    EXPECT_EQ(parse(u"nt0").reminderNumber, 0u);
    EXPECT_FALSE(parseCommandLine(u"nt21"));
    EXPECT_EQ(parse(u"ne7").reminderKind, ReminderKind::Event);
    EXPECT_FALSE(parseCommandLine(u"ne0"));
    EXPECT_FALSE(parseCommandLine(u"nx3"));
    EXPECT_FALSE(parseCommandLine(u"n"));
}

TEST(ProgramArguments, ScreenshotTakesTheNextWordAsItsFileAndTheRestIsTheCommandLine)
{
    std::string problem;
    const auto before = parseProgramArguments({ "--screenshot", "shot.png", "ptds7" }, problem);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->screenshotFile, "shot.png");
    EXPECT_EQ(before->commandLine, u"ptds7");
    const auto after = parseProgramArguments({ "na3", "--screenshot", "ptds7" }, problem);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->screenshotFile, "ptds7"); // a file name, however it looks
    EXPECT_EQ(after->commandLine, u"na3");
    const auto plain = parseProgramArguments({ "a05" }, problem);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->screenshotFile);
    EXPECT_EQ(plain->commandLine, u"a05");
}

TEST(ProgramArguments, ScreenshotWithoutAFileNameIsRefused)
{
    for (const std::vector<std::string>& words : { std::vector<std::string> { "--screenshot" },
             std::vector<std::string> { "ptds7", "--screenshot" }, std::vector<std::string> { "--screenshot", "" },
             std::vector<std::string> { "--screenshot", "--screenshot", "x.png" } }) {
        std::string problem;
        EXPECT_FALSE(parseProgramArguments(words, problem)) << words.size();
        EXPECT_NE(problem.find("--screenshot"), std::string::npos);
    }
}

TEST(CommandLine, EachModeHasItsWindow)
{
    const auto reminder = windowFor(parse(u"nt3"), u"nt3");
    EXPECT_EQ(reminder.className, u"Tickwell Prot3");
    EXPECT_EQ(reminder.title, u"Tickwell Pro Reminder");
    EXPECT_EQ(windowFor(parse(u"lock1Face"), u"lock1Face").className, u"Tickwell_Pro_Locker" u"ock1Face");
    EXPECT_EQ(windowFor(parse(u"ptds3"), u"ptds3").title, u"Tickwell Pro");
}

TEST_F(SingleInstance, SecondStartHandsItsViewToTheRunningProgram)
{
    EXPECT_FALSE(handedToRunningInstance(parse(u"ptds7"), u"ptds7"));
    const std::string mainClass(kMainWindowClass.begin(), kMainWindowClass.end());
    ChildProcess running({ TKW_WINDOW_PROBE, mainClass, "Tickwell Pro" });
    ASSERT_EQ(running.readLine(), "ready");

    EXPECT_TRUE(handedToRunningInstance(parse(u"ptds7"), u"ptds7"));
    EXPECT_EQ(running.readLine(), "got 1034 7 0");
    // View 13 is not sent; the program only comes forward, as for a plain second start.
    EXPECT_TRUE(handedToRunningInstance(parse(u"ptds13"), u"ptds13"));
    EXPECT_TRUE(handedToRunningInstance(parse(u""), u""));
    EXPECT_TRUE(handedToRunningInstance(parse(u"ssaveFace"), u"ssaveFace"));
    EXPECT_EQ(running.readLine(std::chrono::milliseconds(300)), std::nullopt); // nothing but bring-forwards

    // Locks never wait for another; reminders only for the same item.
    EXPECT_FALSE(handedToRunningInstance(parse(u"lock2Face"), u"lock2Face"));
    EXPECT_FALSE(handedToRunningInstance(parse(u"na3"), u"na3"));
    ChildProcess reminder({ TKW_WINDOW_PROBE, "Tickwell Proa3", "Tickwell Pro Reminder" });
    ASSERT_EQ(reminder.readLine(), "ready");
    EXPECT_TRUE(handedToRunningInstance(parse(u"na3"), u"na3"));
    EXPECT_FALSE(handedToRunningInstance(parse(u"na4"), u"na4"));
}

TEST(ProgramArguments, HelpAndVersionWinOverEveryOtherWord)
{
    std::string problem;
    for (const std::vector<std::string>& words : { std::vector<std::string> { "--help" },
             std::vector<std::string> { "ptds7", "extra", "--help" }, std::vector<std::string> { "--version", "--help" },
             std::vector<std::string> { "--screenshot", "--help" } }) {
        const auto arguments = parseProgramArguments(words, problem);
        ASSERT_TRUE(arguments) << words.front();
        EXPECT_EQ(arguments->action, ProgramAction::ShowHelp) << words.front();
    }
    const auto version = parseProgramArguments({ "--bogus", "--version" }, problem);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->action, ProgramAction::ShowVersion);
    const auto plain = parseProgramArguments({ "ptds7" }, problem);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->action, ProgramAction::Run);
}

TEST(ProgramArguments, OneCommandLineOfAKnownModeIsTaken)
{
    // Every form of the grammar, the empty one included, is one word.
    for (const char* line : { "", "ptds7", "ptds", "a05", "t3", "e1234", "ssaveBlue Dial", "lock1Virevur",
             "lock2Virevur", "na3", "ne7", "nt20", "nx3", "d", "dx", "df", "o" }) {
        std::string problem;
        const auto arguments = parseProgramArguments({ line }, problem);
        ASSERT_TRUE(arguments) << line << ": " << problem;
        EXPECT_EQ(arguments->commandLine, platform::toUtf16(line));
    }
    std::string problem;
    EXPECT_TRUE(parseProgramArguments({}, problem));

    // Anything else is a usage error that names the word.
    for (const auto& [words, named] : std::vector<std::pair<std::vector<std::string>, std::string>> {
             { { "ptds7", "foo" }, "'foo'" }, { { "", "a3" }, "'a3'" }, { { "x1" }, "'x1'" },
             { { "Ptds7" }, "'Ptds7'" }, { { "-" }, "'-'" }, { { "--screenshot", "s.png", "-v" }, "'-v'" } }) {
        problem.clear();
        EXPECT_FALSE(parseProgramArguments(words, problem)) << named;
        EXPECT_NE(problem.find(named), std::string::npos) << problem;
    }
}

// The main program as users and other programs start it: a real process on the test's
// own device, headless.

#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/text.h"
#include "store/data_files.h"
#include "store/settings.h"
#include "store/signals.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "tests/support/sound_capture.h"

#include <QColor>
#include <QImage>
#include <cstring>
#include <filesystem>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using testing_support::ChildProcess;

namespace {

class MainProgram : public testing_support::DeviceTest {
protected:
    MainProgram()
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Set up already: the first start's language step is its own test.
        EXPECT_TRUE(testing_support::installShippedLook());
        (void)store::LoadSettings();
    }

    static HWND waitForWindow()
    {
        const std::u16string cls(app::kMainWindowClass), title(app::kMainWindowTitle);
        for (int i = 0; i < 500; ++i) {
            if (HWND window = FindWindowW(cls.c_str(), title.c_str()))
                return window;
            std::this_thread::sleep_for(10ms);
        }
        return nullptr;
    }

    static int run(const char* commandLine)
    {
        return testing_support::runCommand({ TKW_MAIN_PROGRAM, commandLine }, 10s).exitCode;
    }
};

} // namespace

namespace {

// The main program with what it says on standard error as the output.
testing_support::CommandResult runWithErrors(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), { "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", TKW_MAIN_PROGRAM });
    return testing_support::runCommand(arguments, 20s);
}

bool isWhite(QRgb pixel) { return qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255; }

} // namespace

TEST_F(MainProgram, ScreenshotWithoutAFileNameIsACommandLineError)
{
    for (const std::vector<std::string>& arguments : { std::vector<std::string> { "--screenshot" },
             std::vector<std::string> { "ptds7", "--screenshot" }, std::vector<std::string> { "--screenshot", "" },
             std::vector<std::string> { "--screenshot", "--screenshot", "shot.png" } }) {
        const auto result = runWithErrors(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.size();
        EXPECT_NE(result.output.find("--screenshot needs"), std::string::npos) << result.output;
    }
    EXPECT_TRUE(platform::liveWindows().empty());
}

TEST_F(MainProgram, ScreenshotSavesTheFirstScreenAndEnds)
{
    const auto shot = m_device.root() / "shot.png";
    const auto result = runWithErrors({ "ptds3", "--screenshot", shot.string() });
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const QImage picture(QString::fromStdString(shot.string()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 100);
    EXPECT_GT(picture.height(), 100);
    EXPECT_TRUE(platform::liveWindows().empty());
}

TEST_F(MainProgram, AMessageInAScreenshotRunIsDrawnOverTheWindowAndAnswered)
{
    // Without its resource pack the program can only say so, in a message box that would
    // wait for a person.
    for (const char* pack : { "res.dat", "resvga.dat" })
        std::filesystem::remove(*platform::hostPathOf(u"\\Program Files\\Tickwell Pro\\data\\" + platform::toUtf16(pack)));
    const auto shot = m_device.root() / "error.png";
    const auto start = std::chrono::steady_clock::now();
    const auto result = runWithErrors({ "--screenshot", shot.string() });
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);

    const QImage picture(QString::fromStdString(shot.string()));
    ASSERT_FALSE(picture.isNull());
    // The window (white below its menu bar) with the message box in its middle.
    EXPECT_TRUE(isWhite(picture.pixel(picture.width() / 2, picture.height() - 2)));
    EXPECT_FALSE(isWhite(picture.pixel(picture.width() / 2, picture.height() / 2)));
}

TEST_F(MainProgram, TheFirstRunSetUpOfAScreenshotRunIsAnsweredAndTheProgramGoesOn)
{
    const auto settings = *platform::hostPathOf(store::DataFilePath(u"settings.dat"));
    std::filesystem::remove(settings);
    const auto shot = m_device.root() / "first-run.png";
    const auto result = runWithErrors({ "df", "--screenshot", shot.string() });
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_FALSE(QImage(QString::fromStdString(shot.string())).isNull());
    // After the language step the set-up saved the settings, as it does when a person answers.
    EXPECT_TRUE(std::filesystem::exists(settings));
}

TEST_F(MainProgram, SecondStartBringsTheFirstForwardAndPassesItsView)
{
    ChildProcess first({ TKW_MAIN_PROGRAM });
    HWND window = waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), 0);

    EXPECT_EQ(run("ptds7"), 0);
    EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), 7);
    EXPECT_EQ(run("ptds13"), 0); // beyond the built-in views: only brought forward
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), 7);
    EXPECT_EQ(platform::liveWindows().size(), 1u); // no second window appeared
}

TEST_F(MainProgram, RemindersItMustNotShowEndAtOnce)
{
    for (const char* line : { "na21", "na0", "nt21", "ne0", "nx5" }) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(run(line), 0) << line;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << line;
    }
    EXPECT_TRUE(platform::liveWindows().empty());
}

TEST_F(MainProgram, ViewCommandsSwitchAndCloseSavesTheViewForTheNextStart)
{
    ChildProcess first({ TKW_MAIN_PROGRAM });
    HWND window = waitForWindow();
    ASSERT_NE(window, nullptr);
    for (int view = 0; view < 13; ++view) {
        SendMessageW(window, WM_COMMAND, WPARAM(40011 + view), 0);
        EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), view);
    }
    SendMessageW(window, WM_COMMAND, 40014, 0); // Alarms
    PostMessageW(window, WM_COMMAND, 1, 0);     // Ctrl+Q's command
    ASSERT_EQ(first.wait(10s), 0);
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 3u);

    ChildProcess again({ TKW_MAIN_PROGRAM });
    window = waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), 3);
}

TEST_F(MainProgram, ClosingItWhileTheFirstStartAsksTheLanguageEndsIt)
{
    std::filesystem::remove(*platform::hostPathOf(store::DataFilePath(u"settings.dat")));
    ChildProcess first({ TKW_MAIN_PROGRAM });
    HWND window = waitForWindow();
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_COMMAND, 1, 0);
    EXPECT_EQ(first.wait(10s), 0);
}

namespace {

// The interval chime on a device whose clock is about to strike noon.
class Chime : public MainProgram {
protected:
    Chime()
        : m_capture(m_device.root() / "chime-capture.raw")
        , m_driver("SDL_AUDIODRIVER", "disk")
        , m_file("SDL_DISKAUDIOFILE", m_capture.c_str())
    {
        const std::u16string sound = u"\\chime.wav";
        testing_support::writeTone(*platform::hostPathOf(sound), 0.6, 880, 0.5);
        auto& settings = store::settings();
        settings.chime = 1;
        settings.chimeInterval = 5; // on the hour
        std::memset(settings.chimeSound, 0, sizeof settings.chimeSound);
        std::copy(sound.begin(), sound.end(), settings.chimeSound);
        EXPECT_TRUE(store::SaveSettings());
        store::CreateSharedEvents();
    }

    // Starts the program, strikes noon and returns how long a sound was heard.
    double heardAtNoon()
    {
        ChildProcess program({ TKW_MAIN_PROGRAM });
        HWND window = waitForWindow();
        EXPECT_NE(window, nullptr);
        SYSTEMTIME almost { 2026, 12, 2, 8, 11, 59, 58, 0 };
        EXPECT_TRUE(SetLocalTime(&almost));
        // The chime waits a second, sounds, then waits two more.
        std::this_thread::sleep_for(5s);
        PostMessageW(window, WM_COMMAND, 1, 0);
        EXPECT_EQ(program.wait(10s), 0);
        return testing_support::heardSince(m_capture, 0).seconds;
    }

    std::filesystem::path m_capture;

private:
    testing_support::EnvironmentGuard m_driver;
    testing_support::EnvironmentGuard m_file;
};

} // namespace

TEST_F(Chime, SoundsAtMinuteZero)
{
    EXPECT_GT(heardAtNoon(), 0.4);
}

TEST_F(Chime, LeavesItToTheHomeScreenItemWhileThatRuns)
{
    SetEvent(store::sharedEventHandles().todayPluginRunning);
    EXPECT_EQ(heardAtNoon(), 0.0);
}

namespace {

// What the main program says on standard error alone (its standard output is dropped).
testing_support::CommandResult runForErrors(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), { "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1 >/dev/null", TKW_MAIN_PROGRAM });
    return testing_support::runCommand(arguments, 20s);
}

// A device the program was never started on: a start that opened anything would stop in
// the first start's language step, and the settings file would appear.
class NewDevice : public MainProgram {
protected:
    NewDevice() { std::filesystem::remove(m_settings); }

    [[nodiscard]] bool untouched() const
    {
        return !std::filesystem::exists(m_settings) && platform::liveWindows().empty();
    }

    const std::filesystem::path m_settings = *platform::hostPathOf(store::DataFilePath(u"settings.dat"));
};

} // namespace

TEST_F(NewDevice, HelpAndVersionAnswerAndEndBeforeAnythingOpens)
{
    for (const std::vector<std::string>& arguments : { std::vector<std::string> { "--help" },
             std::vector<std::string> { "ptds7", "--help" }, std::vector<std::string> { "foo", "bar", "--help" } }) {
        const auto result = testing_support::runCommand(
            [&] { auto all = arguments; all.insert(all.begin(), TKW_MAIN_PROGRAM); return all; }(), 20s);
        EXPECT_EQ(result.exitCode, 0) << arguments.front();
        EXPECT_EQ(result.output.rfind("Usage: tickwell-pro", 0), 0u) << result.output;
        // Every mode of the command line is named.
        for (const char* form : { "ptdsN", "naN", "ssaveFACE", "lock1FACE", "df", "--screenshot FILE", "--version" })
            EXPECT_NE(result.output.find(form), std::string::npos) << form;
    }
    const auto version = testing_support::runCommand({ TKW_MAIN_PROGRAM, "--version" }, 20s);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "Tickwell Pro " TKW_VERSION "\n");
    EXPECT_TRUE(untouched());
}

TEST_F(NewDevice, UnknownAndExtraWordsAreUsageErrors)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases {
        { { "ptds7", "foo" }, "'foo'" },
        { { "ptds7", "ptds3" }, "'ptds3'" },
        { { "lock1Blue", "Dial" }, "'Dial'" }, // a face name with a space comes quoted as one word
        { { "--screenshot", "shot.png", "a3", "x" }, "'x'" },
        { { "foo" }, "'foo'" },
        { { "help" }, "'help'" },
        { { "-h" }, "'-h'" },
        { { "--frobnicate" }, "'--frobnicate'" },
        { { "ptds7", "--verbose" }, "'--verbose'" },
    };
    for (const auto& [arguments, named] : cases) {
        const auto result = runForErrors(arguments);
        EXPECT_EQ(result.exitCode, 2) << named;
        EXPECT_EQ(result.output.rfind("tickwell-pro: ", 0), 0u) << result.output;
        EXPECT_NE(result.output.find(named), std::string::npos) << result.output;
        EXPECT_NE(result.output.find("--help"), std::string::npos) << result.output;
    }
    EXPECT_TRUE(untouched());
}

TEST_F(NewDevice, DialogsStillToComeSaySoAndFailWithoutAWindow)
{
    for (const char* line : { "o", "ofoo" }) {
        const auto result = runForErrors({ line });
        EXPECT_EQ(result.exitCode, 3) << line;
        EXPECT_NE(result.output.find("arrives with a later version"), std::string::npos) << result.output;
    }
    EXPECT_NE(runForErrors({ "o" }).output.find("preferences"), std::string::npos);
    EXPECT_TRUE(untouched());
}

TEST_F(NewDevice, TheFirstRunSetUpGivesTheLanguagesHomeCityItsZone)
{
    testing_support::EnvironmentGuard all("LC_ALL", ""), messages("LC_MESSAGES", ""), locale("LANG", "C");
    TIME_ZONE_INFORMATION tokyo { };
    tokyo.Bias = -540;
    ASSERT_TRUE(SetTimeZoneInformation(&tokyo));
    // A screenshot run answers the language step (English, the host's) and Home Location
    // (the city it shows: New York for English) as a person pressing OK would.
    const auto shot = m_device.root() / "first-run.png";
    const auto result = runWithErrors({ "df", "--screenshot", shot.string() });
    ASSERT_EQ(result.exitCode, 0) << result.output;
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.worldCity, (store::CityRef { 4, 97 }));
    EXPECT_EQ(saved.homeCity, (store::CityRef { 4, 97 }));
    EXPECT_EQ(saved.homeActive, 1);
    TIME_ZONE_INFORMATION zone { };
    (void)GetTimeZoneInformation(&zone);
    EXPECT_EQ(zone.Bias, 300);
    EXPECT_EQ(zone.DaylightDate.wMonth, 3);
    EXPECT_EQ(zone.StandardDate.wMonth, 11);
}

TEST_F(MainProgram, TheTimeAndLocationServiceModeShowsItsDialogAndSavesTheSettings)
{
    ASSERT_TRUE(store::SaveSettings());
    const auto shot = m_device.root() / "time-and-location.png";
    const auto result = runWithErrors({ "d", "--screenshot", shot.string() });
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const QImage picture(QString::fromStdString(shot.string()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.height(), 100);
    EXPECT_TRUE(platform::liveWindows().empty());
    // OK (as the screenshot run answers) gave the device the Home city's zone.
    store::SettingsRecord saved { };
    ASSERT_TRUE(store::readTodaySettings(saved));
    EXPECT_EQ(saved.worldCity, saved.homeCity);
}

TEST_F(MainProgram, EachViewFormOfTheCommandLineOpensItsView)
{
    for (const auto& [line, view] : { std::pair { "ptds7", 7 }, std::pair { "a05", 3 }, std::pair { "t2", 4 },
             std::pair { "e12", 6 }, std::pair { "ptds", 0 } }) {
        ChildProcess program({ TKW_MAIN_PROGRAM, line });
        HWND window = waitForWindow();
        ASSERT_NE(window, nullptr) << line;
        EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), view) << line;
        PostMessageW(window, WM_COMMAND, 1, 0);
        EXPECT_EQ(program.wait(10s), 0) << line;
    }
}

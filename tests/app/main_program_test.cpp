// The main program as users and other programs start it: a real process on the test's
// own device, headless.

#include "app/main_window.h"
#include "app/single_instance.h"
#include "store/settings.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using testing_support::ChildProcess;

namespace {

class MainProgram : public testing_support::DeviceTest {
protected:
    MainProgram() { ::setenv("QT_QPA_PLATFORM", "offscreen", 1); }

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
    ASSERT_TRUE(store::ReadTodaySettings(saved));
    EXPECT_EQ(saved.lastView, 3u);

    ChildProcess again({ TKW_MAIN_PROGRAM });
    window = waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, app::kCurrentViewQuery, 0, 0), 3);
}

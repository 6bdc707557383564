#include "ui/window_host.h"

#include "platform/device_root.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"

#include <QApplication>
#include <QWidget>
#include <csignal>

using testing_support::ChildProcess;

namespace {

using WindowsAcrossProcesses = testing_support::DeviceTest;

} // namespace

TEST_F(WindowsAcrossProcesses, MessageSentToAWindowOfAnotherProgramIsAnswered)
{
    ChildProcess program({ TKW_WINDOW_PROBE, "Tickwell Pro", "Tickwell Pro" });
    ASSERT_EQ(program.readLine(), "ready");

    EXPECT_EQ(FindWindowW(u"Tickwell Pro", u"Other title"), nullptr);
    HWND window = FindWindowW(u"Tickwell Pro", u"Tickwell Pro");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowW(u"Tickwell Pro", nullptr), window);
    EXPECT_EQ(SendMessageW(window, WM_USER + 10, 21, 0), 42);
    EXPECT_EQ(program.readLine(), "got 1034 21 0");

    EXPECT_TRUE(PostMessageW(window, WM_USER + 4, 7, -3));
    EXPECT_EQ(program.readLine(), "got 1028 7 -3");
    EXPECT_TRUE(SetForegroundWindow(window));
}

TEST_F(WindowsAcrossProcesses, RegistrationOfACrashedProgramIsIgnoredAndCleaned)
{
    ChildProcess program({ TKW_WINDOW_PROBE, "Tickwell_Pro_Locker", "lock1 Blue" });
    ASSERT_EQ(program.readLine(), "ready");
    HWND window = FindWindowW(u"Tickwell_Pro_Locker", nullptr);
    ASSERT_NE(window, nullptr);
    program.kill(SIGKILL);
    program.wait();

    EXPECT_EQ(FindWindowW(u"Tickwell_Pro_Locker", nullptr), nullptr);
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(window, WM_USER, 0, 0));
    EXPECT_TRUE(platform::liveWindows().empty());
    std::size_t left = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(platform::runtimeDirectory() / "windows"))
        ++left;
    EXPECT_EQ(left, 0u);
}

TEST_F(WindowsAcrossProcesses, WindowOfThisProgramAnswersWithoutItsSocketAndTakesPostsInTurn)
{
    QWidget widget;
    std::vector<UINT> seen;
    ui::WindowHost host(&widget, QStringLiteral("EventsClassa03"), QStringLiteral(" Reminder"),
        [&](UINT message, WPARAM wParam, LPARAM) -> LRESULT {
            seen.push_back(message);
            return LRESULT(wParam + 1);
        });
    ASSERT_TRUE(host.registered());
    HWND window = FindWindowW(u"EventsClassa03", u" Reminder");
    ASSERT_EQ(window, host.handle());
    EXPECT_EQ(SendMessageW(window, WM_USER + 3, 9, 0), 10);
    EXPECT_TRUE(PostMessageW(window, WM_USER + 5, 0, 0));
    EXPECT_EQ(seen.size(), 1u); // posted, not yet delivered
    QApplication::processEvents();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], WM_USER + 5);

    host.setTitle(QStringLiteral("Tickwell Pro Reminder"));
    EXPECT_EQ(FindWindowW(nullptr, u"Tickwell Pro Reminder"), window);
}

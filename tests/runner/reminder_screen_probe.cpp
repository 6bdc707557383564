// Stands in for the main program in reminder mode, which the runner starts with "n" + its
// own argument for an item that shows a plug-in view. $TKW_REMINDER_PROBE says how it
// behaves:
//   exit        ends at once, showing nothing
//   hang        shows nothing and never ends
//   close MS    shows the reminder window and closes it after MS ms without a choice
//   choose ID   shows the window, forwards command ID to the runner's window as the
//               reminder screen does (found by class and title, sent, then 200 ms), and ends
// Each start appends its command line to $TKW_REMINDER_PROBE_LOG.

#include "platform/text.h"
#include "platform/windows.h"
#include "ui/window_host.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv)
{
    const std::string commandLine = argc > 1 ? argv[1] : "";
    if (const char* log = std::getenv("TKW_REMINDER_PROBE_LOG")) {
        if (std::FILE* file = std::fopen(log, "a")) {
            std::fprintf(file, "%s\n", commandLine.c_str());
            std::fclose(file);
        }
    }
    const char* modeText = std::getenv("TKW_REMINDER_PROBE");
    const std::string mode = modeText ? modeText : "exit";
    if (mode == "exit" || commandLine.size() < 2 || commandLine[0] != 'n')
        return 0;
    if (mode == "hang") {
        for (;;)
            ::pause();
    }

    const std::string argument = commandLine.substr(1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QWidget screen;
    ui::WindowHost host(&screen, QString::fromStdString("Tickwell Pro" + argument),
        QStringLiteral("Tickwell Pro Reminder"), [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    if (!host.registered())
        return 1;
    screen.show();
    if (mode.starts_with("close ")) {
        QTimer::singleShot(std::atoi(mode.c_str() + 6), &application, &QCoreApplication::quit);
    } else if (mode.starts_with("choose ")) {
        const auto command = WPARAM(std::atoi(mode.c_str() + 7));
        QTimer::singleShot(300, &application, [command, argument] {
            const std::u16string runnerClass = u"EventsClass" + platform::toUtf16(argument);
            if (HWND runner = FindWindowW(runnerClass.c_str(), u" Reminder"))
                SendMessageW(runner, WM_COMMAND, command, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            QCoreApplication::quit();
        });
    }
    return application.exec();
}

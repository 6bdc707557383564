// A GUI program of the device for the window tests: registers a window of the class and
// title it is given, prints every message it gets ("got MESSAGE WPARAM LPARAM") and answers
// WM_USER + 10 with twice its wParam. Prints "ready" once registered.

#include "ui/window_host.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    if (argc != 3)
        return 2;
    QWidget window;
    ui::WindowHost host(&window, QString::fromUtf8(argv[1]), QString::fromUtf8(argv[2]),
        [](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            std::printf("got %u %llu %lld\n", message, static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
            std::fflush(stdout);
            return message == WM_USER + 10 ? LRESULT(wParam * 2) : 0;
        });
    if (!host.registered())
        return 1;
    window.show();
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

// TkEvents, the notification runner: started by the wake-up database when an alarm, event
// or timer falls due, after every change of the device time, and on request to renew
// every registration. Each start does one job and ends.
//
//   tkevents [COMMAND-LINE]
//
// COMMAND-LINE is the handheld's one command-line string: "a05", "e1234", "t03", "sn",
// "AppRunAfterTimeChange", "UpdateNotifications", "chime" or "dpi".

#include "platform/device_profile.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "platform/unique_fd.h"
#include "runner/alert_window.h"
#include "runner/chime.h"
#include "runner/command_line.h"
#include "runner/startup.h"
#include "runner/warm_start.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "ui/application.h"
#include "ui/bubble.h"

#include <QApplication>
#include <QSocketNotifier>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool canConnect(const std::string& socketPath, bool abstract)
{
    platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address { };
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0; // an abstract name starts with a zero byte
    if (!fd || socketPath.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, socketPath.data(), socketPath.size());
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + socketPath.size());
    return ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

// Whether the X display named by DISPLAY answers; a display on another host is taken as
// answering (Qt finds out).
bool x11DisplayAnswers(std::string_view display)
{
    if (display.starts_with("unix:"))
        display.remove_prefix(4);
    if (!display.starts_with(':'))
        return true;
    display.remove_prefix(1);
    const std::string socketPath = "/tmp/.X11-unix/X" + std::string(display.substr(0, display.find('.'))); // ":0.1"
    return canConnect(socketPath, true) || canConnect(socketPath, false);
}

bool waylandDisplayAnswers(std::string_view display)
{
    if (display.starts_with('/'))
        return canConnect(std::string(display), false);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && canConnect(std::string(runtime) + "/" + std::string(display), false);
}

// An alarm must sound on a machine without a desktop too, and after the desktop it was
// told of has gone (the session ended under the device service), where Qt would abort: its
// bubble then goes nowhere.
void chooseDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x11 && *x11 && x11DisplayAnswers(x11)) || (wayland && *wayland && waylandDisplayAnswers(wayland)))
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Test hook: with TKW_RUNNER_TIMING naming a file, the runner appends "settled" and the
// monotonic clock in nanoseconds when its start-up wait is over, so that a benchmark can
// tell that wait from what follows.
void noteSettled()
{
    const char* log = std::getenv("TKW_RUNNER_TIMING");
    if (!log || !*log)
        return;
    timespec now { };
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (std::FILE* file = std::fopen(log, "a")) {
        std::fprintf(file, "settled %lld\n", static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
        std::fclose(file);
    }
}

int g_endPipe[2] = { -1, -1 };

void askToEnd(int)
{
    const char byte = 1;
    (void)!::write(g_endPipe[1], &byte, 1);
}

// A runner asked to end (the session closes) ends its alert as Dismiss does: otherwise the
// raised volume and "TkMEvent_SoundAllReadySet" would stay for good. Installed before the
// sound starts, so the audio layer leaves these signals to the runner.
bool catchEndSignals()
{
    if (::pipe2(g_endPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action { };
    action.sa_handler = askToEnd;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace runner;
    // The start-up wait counts from the moment the wake-up started this process, which
    // includes loading the program; started by hand, from here.
    const auto started = platform::takenForWakeUpAt().value_or(std::chrono::steady_clock::now());
    ::unsetenv(platform::kWakeUpTakenVariable); // not for the programs the alert starts
    platform::setDefaultModulePath(store::kRunnerPath);
    const Command command = parseCommandLine(argc > 1 ? platform::toUtf16(argv[1]) : std::u16string());
    // Qt sees the program name only: the command line is the runner's own.
    int qtArgc = 1;
    char* qtArgv[] = { argv[0], nullptr };

    switch (command.job) {
    case Job::ScreenWidth: {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        // The exit code carries the width as on the handheld; Linux keeps only its low
        // byte, so it is printed as well.
        std::printf("%d\n", width);
        return width;
    }
    case Job::AfterTimeChange:
        startUpWait(kTimeChangeSettleMs);
        renewAfterTimeChange(ownModulePath());
        return 0;
    case Job::RenewAll:
        startUpWait(kRenewalSettleMs);
        renewAllRegistrations(ownModulePath());
        return 0;
    case Job::Chime: {
        QCoreApplication application(qtArgc, qtArgv);
        playChime();
        return 0;
    }
    default:
        break;
    }

    prepareForAlert();
    if (command.job == Job::SnoozeDue) {
        signalSnoozeDue();
        return 0;
    }
    if (command.job == Job::None)
        return 0; // nothing the runner could look up

    // A program may still be writing the due item's record when its wake-up fires: the
    // record is read only once kDueItemSettleMs have passed since the runner started.
    // Whatever does not depend on it gets ready meanwhile, so that the sound starts as soon
    // as the wait is over: the sound the record names now, decoded, the audio output, the
    // application and its first bubble.
    const auto settled
        = started + std::chrono::milliseconds(std::lround(double(kDueItemSettleMs) * startUpTimeScale()));
    if (const auto guess = peekDueAlert(command))
        (void)warmUpSound(*guess);
    const std::u16string installFolder = store::ReadInstallFolder(store::InstallFolderReader::Runner);
    chooseDisplay();
    ui::applyDesktopZoom();
    QApplication application(qtArgc, qtArgv);
    (void)store::ReadLanguage(store::LanguageReader::Runner); // English when there is none
    const DWORD language = store::currentLanguage();
    ui::prepareApplication(application, language);
    ui::warmUpBubbles();
    std::this_thread::sleep_until(settled);
    noteSettled();

    const store::AlertSettings settings = store::ReadAlertSettings();
    const std::u16string ownPath = ownModulePath();
    auto item = loadDueItem(command, ownPath);
    if (!item)
        return 0;
    if (installFolder.empty()) {
        // Without it the main program cannot be started: the alert must not go silent for
        // that, so it comes in the runner's own bubble, and the log says why.
        store::AppendLog(u"TkEvents: no installation folder (path.dat) for " + command.argument
            + u": alerting with the runner's own bubble");
        if (item->alert.action == Action::PluginView)
            item->alert.action = Action::Notification;
    }
    if (item->kind == ItemKind::Timer && !awaitTimerEnd(*item))
        return 0;

    AlertSetup setup;
    setup.settings = settings;
    setup.vibrate = settings.vibrate || deviceInVibrateMode();
    setup.language = language;
    if (!installFolder.empty())
        setup.mainProgramPath = installFolder + std::u16string(store::kMainProgramName);
    setup.ownPath = ownPath;
    setup.item = std::move(*item);

    const bool endSignalsCaught = catchEndSignals();
    AlertWindow window(std::move(setup));
    std::unique_ptr<QSocketNotifier> endRequest;
    if (endSignalsCaught) {
        endRequest = std::make_unique<QSocketNotifier>(g_endPipe[0], QSocketNotifier::Read);
        QObject::connect(endRequest.get(), &QSocketNotifier::activated, &window, [&window] {
            char drained[16];
            while (::read(g_endPipe[0], drained, sizeof drained) > 0) { }
            window.end();
        });
    }
    QMetaObject::invokeMethod(&window, &AlertWindow::start, Qt::QueuedConnection);
    application.exec();
    return 0;
}

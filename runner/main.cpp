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
#include "runner/alert_window.h"
#include "runner/chime.h"
#include "runner/command_line.h"
#include "runner/startup.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "ui/application.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

namespace {

// An alarm must sound on a machine without a desktop too: its bubble then goes nowhere.
void chooseDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
    platform::setDefaultModulePath(store::kRunnerPath);
    const Command command = ParseCommandLine(argc > 1 ? platform::toUtf16(argv[1]) : std::u16string());
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
        StartUpWait(kTimeChangeSettleMs);
        RenewAfterTimeChange(OwnModulePath());
        return 0;
    case Job::RenewAll:
        StartUpWait(kRenewalSettleMs);
        RenewAllRegistrations(OwnModulePath());
        return 0;
    case Job::Chime: {
        QCoreApplication application(qtArgc, qtArgv);
        PlayChime();
        return 0;
    }
    default:
        break;
    }

    PrepareForAlert();
    if (command.job == Job::SnoozeDue) {
        SignalSnoozeDue();
        return 0;
    }
    StartUpWait(kDueItemSettleMs);
    const std::u16string installFolder = store::ReadInstallFolder(store::InstallFolderReader::Runner);
    if (installFolder.empty() || command.job == Job::None)
        return 0;
    const store::AlertSettings settings = store::ReadAlertSettings();
    const std::u16string ownPath = OwnModulePath();
    auto item = LoadDueItem(command, ownPath);
    if (!item)
        return 0;
    if (item->kind == ItemKind::Timer && !AwaitTimerEnd(*item))
        return 0;

    chooseDisplay();
    ui::applyDesktopZoom();
    QApplication application(qtArgc, qtArgv);
    AlertSetup setup;
    setup.settings = settings;
    setup.vibrate = settings.vibrate || DeviceInVibrateMode();
    if (item->alert.action == Action::Notification) {
        (void)store::ReadLanguage(store::LanguageReader::Runner); // English when there is none
        setup.language = store::CurrentLanguage();
    }
    setup.mainProgramPath = installFolder + std::u16string(store::kMainProgramName);
    setup.ownPath = ownPath;
    setup.item = std::move(*item);
    ui::prepareApplication(application, setup.language);

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

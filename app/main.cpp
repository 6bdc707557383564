// Tickwell Pro: the main program.
//
//   tickwell-pro [COMMAND-LINE] [--screenshot FILE]
//
// COMMAND-LINE is the handheld's one command-line string ("ptds7", "na3", "lock1Face" ...).

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "store/signals.h"
#include "ui/application.h"
#include "ui/headless.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    platform::setDefaultModulePath(std::u16string(store::kDefaultInstallFolder) + std::u16string(store::kMainProgramName));
    std::u16string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) {
            ++i;
            continue;
        }
        commandLine = platform::toUtf16(argv[i]);
    }
    const auto request = app::ParseCommandLine(commandLine);
    if (!request)
        return 0; // a reminder the program must not show
    if (app::HandedToRunningInstance(*request, commandLine))
        return 0;
    if (request->mode != app::StartMode::Normal) {
        std::fprintf(stderr, "tickwell-pro: this start mode arrives with a later version\n");
        return 0;
    }

    ui::applyDesktopZoom();
    QApplication application(argc, argv);
    const bool existed = store::LoadSettings();
    if (existed)
        (void)store::ReadLanguage(store::LanguageReader::MainProgram);
    store::CreateSharedEvents();
    ui::prepareApplication(application, store::CurrentLanguage());

    app::MainWindow window(*request);
    window.show();
    ui::screenshotOnFirstPaint(&window, application.arguments());
    return application.exec();
}

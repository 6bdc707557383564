// Tickwell Pro: the main program.
//
//   tickwell-pro [COMMAND-LINE] [--screenshot FILE]
//   tickwell-pro --help | --version
//
// COMMAND-LINE is the handheld's one command-line string ("ptds7", "na3", "lock1Face" ...).
// --screenshot writes the first screen to FILE (PNG) and ends; a dialog that opens on the way
// is drawn into the picture and answered by itself, so that nothing waits for a person.
// A usage error (an unknown option or command line, a second one) ends with 2 before any
// window opens.

#include "app/command_line.h"
#include "app/first_run.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "cities/city_database.h"
#include "cities/view/time_and_location.h"
#include "platform/processes.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "store/signals.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/headless.h"

#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;   // the command line was not understood
constexpr int kNotAvailable = 3; // the mode asked for has nothing to show yet

// The service modes, for the home-screen item: "d" the Time and Location dialog (after the
// home-location check, or the first-run set-up on a new device), "df" the first-run set-up.
int runServiceMode(QApplication& application, app::StartMode mode, bool settingsExisted)
{
    const auto& settings = store::settings();
    const auto refOf = [](const store::CityRef& stored) {
        return cities::CityRef { std::int32_t(stored.continent), std::int32_t(stored.index) };
    };
    auto database = cities::CityDatabase::load(store::kDefaultInstallFolder, refOf(settings.worldCity),
        refOf(settings.homeCity), refOf(settings.visitingCity));
    if (!database.available()) {
        app::showCriticalError(nullptr);
        return 0;
    }
    const bool timeAndLocation = mode == app::StartMode::TimeAndLocation;
    if (timeAndLocation && settingsExisted) {
        if (!ui::inScreenshotMode())
            app::runHomeLocationCheck(nullptr, database);
    } else {
        app::runFirstRunSetUp(nullptr);
        ui::prepareApplication(application, store::currentLanguage());
        app::runFirstStartHomeLocation(nullptr, database);
    }
    if (timeAndLocation) {
        cities::TimeAndLocationDialog dialog(nullptr, database);
        dialog.exec();
    }
    (void)database.save();
    (void)store::SaveSettings();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    platform::setDefaultModulePath(std::u16string(store::kDefaultInstallFolder) + std::u16string(store::kMainProgramName));
    std::string problem;
    const auto arguments = app::parseProgramArguments(std::vector<std::string>(argv + 1, argv + argc), problem);
    if (!arguments) {
        std::fprintf(stderr,
            "tickwell-pro: %s\nUsage: tickwell-pro [COMMAND-LINE] [--screenshot FILE]\n"
            "Try 'tickwell-pro --help' for the command-line forms.\n",
            problem.c_str());
        return kUsageError;
    }
    if (arguments->action == app::ProgramAction::ShowHelp) {
        std::fputs(app::usageText().c_str(), stdout);
        return 0;
    }
    if (arguments->action == app::ProgramAction::ShowVersion) {
        std::printf("Tickwell Pro %s\n", TKW_VERSION);
        return 0;
    }
    const std::u16string& commandLine = arguments->commandLine;
    const auto request = app::parseCommandLine(commandLine);
    if (!request)
        return 0; // a reminder the program must not show
    if (app::handedToRunningInstance(*request, commandLine))
        return 0;
    const auto mode = request->mode;
    if (mode == app::StartMode::Preferences) {
        // Nothing to show yet: the caller hears so rather than a silent success.
        std::fprintf(stderr, "tickwell-pro: the preferences dialog arrives with a later version\n");
        return kNotAvailable;
    }
    const bool serviceMode = mode == app::StartMode::FirstRunSetup || mode == app::StartMode::TimeAndLocation;
    if (mode != app::StartMode::Normal && !serviceMode) {
        std::fprintf(stderr, "tickwell-pro: the screen saver, lock and reminder screens arrive with a later version\n");
        return 0;
    }

    ui::applyDesktopZoom();
    QApplication application(argc, argv);
    if (arguments->screenshotFile)
        ui::startScreenshotMode(QString::fromLocal8Bit(arguments->screenshotFile->c_str()));
    const bool existed = store::LoadSettings();
    if (existed) {
        (void)store::ReadLanguage(store::LanguageReader::MainProgram);
    } else if (ui::inScreenshotMode()) {
        // A screenshot of a new device asks nothing: it shows the language already chosen
        // (tkwctl lang set) with the date format the first start gives that language.
        (void)store::ReadLanguage(store::LanguageReader::MainProgram);
        store::settings().dateFormat = std::uint8_t(store::defaultDateFormat(store::currentLanguage()));
    }
    store::CreateSharedEvents();
    ui::prepareApplication(application, store::currentLanguage());

    if (serviceMode)
        return runServiceMode(application, mode, existed);

    app::MainWindow window(*request);
    if (window.criticalError() != app::CriticalError::None) {
        app::showCriticalError(&window);
        return 0;
    }
    window.show();
    ui::screenshotOnFirstPaint(&window);
    if (!existed && !ui::inScreenshotMode()) {
        // The first start: the language, then the window in that language, then the home
        // location. (A screenshot run shows the window as it is and asks nothing.)
        app::runFirstRunSetUp(&window);
        if (window.closing())
            return 0; // closed from outside while it asked
        ui::prepareApplication(application, store::currentLanguage());
        window.retranslate();
        app::runFirstStartHomeLocation(&window, window.suite().cities());
        if (window.closing())
            return 0;
    } else if (existed && !ui::inScreenshotMode()) {
        // The device's zone changed since the home location was set (by another program,
        // or the user on the device): ask where the device is now.
        app::runHomeLocationCheck(&window, window.suite().cities());
        if (window.closing())
            return 0;
    }
    // Settings the user may have lost are never replaced without a word: once, at the start
    // that found them damaged or could not read them.
    if (!ui::inScreenshotMode()) {
        const auto load = store::lastSettingsLoad();
        if (load == store::SettingsLoad::Damaged)
            ui::showMessage(&window,
                QStringLiteral("The settings file was damaged and the settings were reset. The damaged file is kept "
                               "beside it as settings.dat.damaged-..."),
                ui::MessageIcon::Warning);
        else if (load == store::SettingsLoad::Unreadable || load == store::SettingsLoad::Busy)
            ui::showMessage(&window,
                QStringLiteral("The settings file cannot be read. Default settings are used for now, and the file "
                               "is left as it is."),
                ui::MessageIcon::Warning);
    }
    return application.exec();
}

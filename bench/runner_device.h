#pragma once
// A device root as the installer and the main program leave it, for benchmarks that start
// the real runner: the runner linked where the wake-ups name it, the data directory, the
// install folder, English, and settings with the device's own alarm volume.

#include "platform/device_root.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"

#include <filesystem>

namespace bench {

[[nodiscard]] inline bool prepareRunnerDevice(const std::filesystem::path& root, const char* runnerProgram)
{
    platform::useDeviceRoot(root);
    std::error_code error;
    std::filesystem::create_directories(root / "Windows", error);
    const auto programFolder = root / "Application Data" / "Orvane Tickwell Pro";
    std::filesystem::create_directories(programFolder, error);
    std::filesystem::create_symlink(runnerProgram, programFolder / "TkEvents.exe", error);
    if (error)
        return false;
    (void)store::createDataDirectory();
    store::storeInstallFolder(store::kDefaultInstallFolder);
    (void)store::WriteLanguage(0);
    store::SettingsRecord settings { };
    store::DefaultSettings(settings, 0);
    settings.alarmVolume = 3; // the device's own volume
    return store::SaveSettings(settings);
}

} // namespace bench

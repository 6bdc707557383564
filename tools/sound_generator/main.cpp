// sound_generator: synthesises the suite's shipped alarm and chime sounds into a folder.
// The files in data/sounds/ are its output; run it again after changing a recipe and check
// the new files in with the change.

#include "tools/sound_generator/instruments.h"
#include "tools/sound_generator/wave_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr,
            "Usage: sound_generator OUTPUT-FOLDER\n"
            "Writes the suite's alarm and chime sounds as 16-bit mono WAV files.\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "sound_generator: cannot create %s: %s\n", folder.c_str(),
            error.message().c_str());
        return 1;
    }
    for (const auto& recipe : sound_generator::shippedSounds()) {
        const auto samples = sound_generator::masterForShipping(recipe.render());
        const auto file = folder / recipe.fileName;
        if (!sound_generator::writeWaveFile(file, samples)) {
            std::fprintf(stderr, "sound_generator: cannot write %s\n", file.c_str());
            return 1;
        }
        std::printf("%-11s %.2f s  %s\n", recipe.fileName,
            double(samples.size()) / sound_generator::kSampleRateHz, recipe.description);
    }
    return 0;
}

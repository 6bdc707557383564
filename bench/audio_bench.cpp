// The delay from SndPlayAsync to the first audible sample the audio device puts out,
// heard through SDL's disk driver: the capture file is watched until the sound's first
// sample arrives in it.

#include "platform/audio.h"
#include "platform/device_root.h"
#include "tests/support/sound_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Waits until a sample above the noise floor appears after `from` bytes.
bool waitForSound(const std::filesystem::path& capture, std::uintmax_t from, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::ifstream in(capture, std::ios::binary);
    std::uintmax_t at = from;
    while (std::chrono::steady_clock::now() < deadline) {
        in.clear();
        in.seekg(std::streamoff(at));
        float pair[2];
        while (in.read(reinterpret_cast<char*>(pair), sizeof pair)) {
            at += sizeof pair;
            if (std::fabs(pair[0]) > 0.05f)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
    char pattern[] = "/tmp/tkw-audio-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::filesystem::path root = pattern;
    const auto capture = root / "capture.raw";
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    platform::useDeviceRoot(root);
    std::filesystem::create_directories(root / "Windows");
    // A tone as loud as the tests use, at the device rate.
    testing_support::writeTone(root / "Windows" / "Click.wav", 0.2, 3000, 0.8, 48000);

    HSOUND sound = nullptr;
    if (SndOpen(u"\\Windows\\Click.wav", &sound) != S_OK)
        return 1;
    std::vector<double> delays;
    for (int i = 0; i < rounds; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        std::error_code error;
        const auto from = std::filesystem::exists(capture) ? std::filesystem::file_size(capture, error) : 0;
        const auto start = std::chrono::steady_clock::now();
        SndPlayAsync(sound, 0);
        if (!waitForSound(capture, from, std::chrono::seconds(2))) {
            std::printf("round %d: no sound within 2 s\n", i);
            continue;
        }
        delays.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        SndStop(SND_SCOPE_PROCESS, nullptr);
    }
    SndClose(sound);
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        auto at = [&](double share) { return delays[std::size_t(share * double(delays.size() - 1))]; };
        std::printf("SndPlayAsync to the first audible sample written by the device (%zu plays):\n", delays.size());
        std::printf("  median %.1f ms, p90 %.1f ms, worst %.1f ms (target: median below 30 ms)\n", at(0.5), at(0.9),
            delays.back());
    }
    std::error_code ignored;
    const auto runtime = platform::runtimeDirectory();
    std::filesystem::remove_all(root, ignored);
    std::filesystem::remove_all(runtime, ignored);
    return delays.empty() ? 1 : 0;
}

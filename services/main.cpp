// tkw-deviced: the resident device service of one device root ($TICKWELL_DEVICE).
//
//   tkw-deviced                 run the service (exits at once when one already runs)
//   tkw-deviced --launch N      fire wake-up N (used by the service itself)

#include "services/launcher.h"
#include "services/service.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--launch") == 0) {
        std::uint32_t handle = 0;
        const std::string_view text(argv[2]);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), handle);
        if (error != std::errc() || end != text.data() + text.size() || handle == 0) {
            std::fprintf(stderr, "tkw-deviced: '%s' is not a wake-up handle\n", argv[2]);
            return 2;
        }
        return services::launchWakeUp(handle);
    }
    if (argc > 1) {
        std::fprintf(stderr, "usage: tkw-deviced [--launch HANDLE]\n");
        return 2;
    }
    return services::runDeviceService();
}

#include "tests/support/layout_screens.h"

#include "platform/power.h"
#include "platform/registry.h"

namespace testing_support {

const char* languageName(DWORD language)
{
    constexpr std::array<const char*, 6> kNames { "English", "German", "Spanish", "French",
        "Italian", "Russian" };
    return language < kNames.size() ? kNames[language] : "unknown";
}

bool setScreenKind(QSize size)
{
    using platform::RegistryRoot;
    return platform::writeRegistryDword(RegistryRoot::LocalMachine, platform::kProfileKey,
               u"ScreenWidth", DWORD(size.width()))
        && platform::writeRegistryDword(RegistryRoot::LocalMachine, platform::kProfileKey,
            u"ScreenHeight", DWORD(size.height()));
}

QSize windowRoom(const ui::ScreenGeometry& screen)
{
    const int bar
        = (screen.width == 320 && screen.height == 320 ? 35 : 26) * (screen.width >= 480 ? 2 : 1);
    return { screen.width, screen.height - bar };
}

} // namespace testing_support

#include "tests/support/layout_screens.h"

#include "platform/power.h"
#include "platform/registry.h"
#include "ui/application.h"

#include <QApplication>

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
    const bool written = platform::writeRegistryDword(RegistryRoot::LocalMachine, platform::kProfileKey,
                             u"ScreenWidth", DWORD(size.width()))
        && platform::writeRegistryDword(RegistryRoot::LocalMachine, platform::kProfileKey,
            u"ScreenHeight", DWORD(size.height()));
    // As a program does when its screen turns.
    if (written && qobject_cast<QApplication*>(QCoreApplication::instance()))
        ui::applyDeviceScale(ui::ScreenGeometry::current());
    return written;
}

QSize windowRoom(const ui::ScreenGeometry& screen)
{
    const int bar
        = (screen.width == 320 && screen.height == 320 ? 35 : 26) * (screen.width >= 480 ? 2 : 1);
    return { screen.width, screen.height - bar };
}

} // namespace testing_support

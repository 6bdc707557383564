#include "app/single_instance.h"

#include "platform/windows.h"

namespace app {

namespace {

constexpr std::uint32_t kLastBuiltInView = 12;

} // namespace

WindowIdentity windowFor(const StartRequest& request, std::u16string_view commandLine)
{
    const std::u16string_view rest = commandLine.size() > 1 ? commandLine.substr(1) : std::u16string_view();
    switch (request.mode) {
    case StartMode::Reminder: return { u"Tickwell Pro" + std::u16string(rest), std::u16string(kReminderTitle) };
    case StartMode::Lock: return { u"Tickwell_Pro_Locker" + std::u16string(rest), { } };
    default: return { std::u16string(kMainWindowClass), std::u16string(kMainWindowTitle) };
    }
}

bool handedToRunningInstance(const StartRequest& request, std::u16string_view commandLine)
{
    if (request.mode == StartMode::Lock)
        return false;
    const WindowIdentity identity = windowFor(request, commandLine);
    HWND running = FindWindowW(identity.className.c_str(), identity.title.c_str());
    if (!running)
        return false;
    if (request.mode != StartMode::Reminder && !commandLine.empty() && commandLine[0] == u'p') {
        const std::uint32_t view = numberAt(commandLine, 4);
        if (view <= kLastBuiltInView)
            SendMessageW(running, kSwitchViewMessage, view, 0);
    }
    SetForegroundWindow(running);
    return true;
}

} // namespace app

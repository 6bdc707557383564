#include "store/renewal_request.h"

#include "platform/notifications.h"
#include "platform/processes.h"
#include "store/data_files.h"

#include <string>

namespace store {

namespace {

constexpr const char16_t* kOlderPrograms[] = {
    u"\\Windows\\TkEvents.exe",
    u"\\Windows\\TkTimer.exe",
    u"\\Application Data\\Orvane Tickwell\\TkEvents.exe",
    u"\\Application Data\\Orvane Tickwell\\TkTimer.exe",
};

} // namespace

bool requestRenewal()
{
    for (const char16_t* program : kOlderPrograms)
        (void)CeRunAppAtEvent(program, NOTIFICATION_EVENT_NONE);
    const std::u16string runner(kRunnerPath);
    SHELLEXECUTEINFO info { };
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = u"open";
    info.lpFile = runner.c_str();
    info.lpParameters = u"UpdateNotifications";
    info.lpDirectory = u"";
    info.nShow = 1;
    return ShellExecuteEx(&info) == TRUE;
}

} // namespace store

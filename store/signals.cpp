#include "store/signals.h"

#include "platform/events.h"
#include "platform/handle.h"


namespace store {

namespace {

SharedEvents g_events;

HANDLE create(const char16_t* name) { return CreateEventW(nullptr, TRUE, FALSE, name); }

} // namespace

const SharedEvents& CreateSharedEvents(LockMode lock)
{
    if (!g_events.todaySettingsChanged) {
        g_events.todaySettingsChanged = create(kTodaySettingsChanged);
        g_events.todayPluginRunning = create(kTodayPluginRunning);
        g_events.alarmsChangedForMainProgram = create(kAlarmsChangedForMainProgram);
        g_events.alarmsChangedForToday = create(kAlarmsChangedForToday);
    }
    if (lock == LockMode::Yes && !g_events.screenSaverRunning) {
        g_events.screenSaverRunning = create(kScreenSaverRunning);
        Signal(g_events.screenSaverRunning);
    }
    return g_events;
}

const SharedEvents& sharedEventHandles() { return g_events; }

bool TestAndReset(HANDLE event)
{
    if (!event || WaitForSingleObject(event, 0) != WAIT_OBJECT_0)
        return false;
    EventModify(event, EVENT_RESET);
    return true;
}

void Signal(HANDLE event)
{
    if (event)
        EventModify(event, EVENT_SET);
}

void signalByName(const char16_t* name) { platform::setNamedEvent(name); }

} // namespace store

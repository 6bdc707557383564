#include "services/power_manager.h"

#include "platform/events.h"
#include "platform/handle.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/shared_library.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace services {

namespace {

// The few X11 types the service needs, as Xlib, libXss and libXext lay them out (LP64).
using Display = void;
using XId = unsigned long;

struct XSyncValue {
    int hi;
    unsigned int lo;
};

struct XSyncTrigger {
    XId counter;
    int valueType; // 0: absolute
    XSyncValue waitValue;
    int testType; // 1: negative transition
};

struct XSyncAlarmAttributes {
    XSyncTrigger trigger;
    XSyncValue delta;
    int events;
    int state;
};
static_assert(sizeof(XSyncAlarmAttributes) == 40 && offsetof(XSyncAlarmAttributes, events) == 32);

struct XSyncSystemCounter {
    char* name;
    XId counter;
    XSyncValue resolution;
};
static_assert(sizeof(XSyncSystemCounter) == 24);

// XScreenSaverInfo: window, state, kind, til_or_since, idle, event_mask.
struct XScreenSaverInfo {
    XId window;
    int state;
    int kind;
    unsigned long tilOrSince;
    unsigned long idle;
    unsigned long eventMask;
};
static_assert(offsetof(XScreenSaverInfo, idle) == 24);

// XEvent is a union of 24 longs; its first member is the type.
union XEvent {
    int type;
    long pad[24];
};
// XScreenSaverNotifyEvent: type, serial, send_event, display, window, root, state, ...
constexpr std::size_t kScreenSaverStateOffset = 48;

constexpr unsigned long kScreenSaverNotifyMask = 1;
constexpr int kScreenSaverNotify = 0;
constexpr int kScreenSaverOff = 0;
constexpr int kXSyncAlarmNotify = 1;
constexpr int kXSyncNegativeTransition = 1;
constexpr unsigned long kXSyncAlarmAttributes = (1ul << 0) | (1ul << 1) | (1ul << 2) | (1ul << 3) | (1ul << 4)
    | (1ul << 5); // counter, value type, value, test type, delta, events

// Xlib's default handler ends the process on any protocol error; an alarm the server
// refuses only means that no event will come.
int ignoreXError(Display*, void*) { return 0; }

} // namespace

// The desktop's idle time from X11, loaded at run time so that the service neither needs
// nor links X11 where there is no display. While the user counts as inactive, an alarm on
// the server's IDLETIME counter (XSync) reports the next input as an event; the screen
// saver's notify events (XScreenSaver) report its end, which is input too.
class DesktopIdle {
public:
    static std::unique_ptr<DesktopIdle> open()
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            return nullptr;
        auto desktop = std::unique_ptr<DesktopIdle>(new DesktopIdle());
        return desktop->connect() ? std::move(desktop) : nullptr;
    }

    ~DesktopIdle()
    {
        if (m_info)
            m_free(m_info);
        if (m_display)
            m_closeDisplay(m_display);
    }

    int fd() const { return m_fd; }

    // Milliseconds since the last input on the display.
    std::optional<unsigned long> idleMs()
    {
        if (!m_queryInfo(m_display, m_root, m_info))
            return std::nullopt;
        return static_cast<XScreenSaverInfo*>(m_info)->idle;
    }

    // Asks the server for an event at the next input; without XSync only the screen
    // saver's end will tell.
    void watchForInput()
    {
        if (m_inputAlarm || !m_idleCounter)
            return;
        // The counter drops to 0 at input: a fall below 1 ms is input after any idleness.
        XSyncAlarmAttributes alarm { };
        alarm.trigger.counter = m_idleCounter;
        alarm.trigger.valueType = 0;
        alarm.trigger.waitValue = { 0, 1 };
        alarm.trigger.testType = kXSyncNegativeTransition;
        alarm.events = 1;
        m_inputAlarm = m_createAlarm(m_display, kXSyncAlarmAttributes, &alarm);
        m_flush(m_display);
    }

    // Input is reported by the idle threshold's look from now on, not by events.
    void stopWatchingForInput()
    {
        if (!m_inputAlarm)
            return;
        m_destroyAlarm(m_display, std::exchange(m_inputAlarm, 0));
        m_flush(m_display);
    }

    // Takes the events Xlib has read or can read without waiting; true when one of them
    // reported input.
    bool takeInputEvents()
    {
        bool input = false;
        while (m_pending(m_display) > 0) {
            XEvent event;
            m_nextEvent(m_display, &event);
            if (m_syncEventBase >= 0 && event.type == m_syncEventBase + kXSyncAlarmNotify) {
                input = true;
            } else if (event.type == m_saverEventBase + kScreenSaverNotify) {
                int state = 0;
                std::memcpy(&state, reinterpret_cast<const char*>(&event) + kScreenSaverStateOffset, sizeof state);
                input = input || state == kScreenSaverOff;
            }
        }
        return input;
    }

private:
    DesktopIdle() = default;

    bool connect()
    {
        m_x11 = platform::SharedLibrary("libX11.so.6");
        m_xss = platform::SharedLibrary("libXss.so.1");
        if (!m_x11 || !m_xss)
            return false;
        auto openDisplay = m_x11.symbol<Display* (*)(const char*)>("XOpenDisplay");
        auto rootWindow = m_x11.symbol<XId (*)(Display*)>("XDefaultRootWindow");
        auto connectionNumber = m_x11.symbol<int (*)(Display*)>("XConnectionNumber");
        auto setErrorHandler = m_x11.symbol<void* (*)(int (*)(Display*, void*))>("XSetErrorHandler");
        auto saverExtension = m_xss.symbol<int (*)(Display*, int*, int*)>("XScreenSaverQueryExtension");
        auto selectSaverInput = m_xss.symbol<void (*)(Display*, XId, unsigned long)>("XScreenSaverSelectInput");
        auto allocInfo = m_xss.symbol<void* (*)()>("XScreenSaverAllocInfo");
        m_closeDisplay = m_x11.symbol<int (*)(Display*)>("XCloseDisplay");
        m_free = m_x11.symbol<int (*)(void*)>("XFree");
        m_flush = m_x11.symbol<int (*)(Display*)>("XFlush");
        m_pending = m_x11.symbol<int (*)(Display*)>("XPending");
        m_nextEvent = m_x11.symbol<int (*)(Display*, XEvent*)>("XNextEvent");
        m_queryInfo = m_xss.symbol<int (*)(Display*, XId, void*)>("XScreenSaverQueryInfo");
        if (!openDisplay || !rootWindow || !connectionNumber || !setErrorHandler || !saverExtension
            || !selectSaverInput || !allocInfo || !m_closeDisplay || !m_free || !m_flush || !m_pending || !m_nextEvent
            || !m_queryInfo)
            return false;
        m_display = openDisplay(nullptr);
        if (!m_display)
            return false;
        setErrorHandler(ignoreXError);
        m_root = rootWindow(m_display);
        m_fd = connectionNumber(m_display);
        m_info = allocInfo();
        int errorBase = 0;
        if (!m_info || !saverExtension(m_display, &m_saverEventBase, &errorBase))
            return false;
        selectSaverInput(m_display, m_root, kScreenSaverNotifyMask);
        findIdleCounter();
        m_flush(m_display);
        return true;
    }

    // The server's IDLETIME counter: milliseconds since the last input.
    void findIdleCounter()
    {
        m_xext = platform::SharedLibrary("libXext.so.6");
        auto syncExtension = m_xext.symbol<int (*)(Display*, int*, int*)>("XSyncQueryExtension");
        auto initialize = m_xext.symbol<int (*)(Display*, int*, int*)>("XSyncInitialize");
        auto listCounters = m_xext.symbol<XSyncSystemCounter* (*)(Display*, int*)>("XSyncListSystemCounters");
        auto freeCounters = m_xext.symbol<void (*)(XSyncSystemCounter*)>("XSyncFreeSystemCounterList");
        m_createAlarm = m_xext.symbol<XId (*)(Display*, unsigned long, XSyncAlarmAttributes*)>("XSyncCreateAlarm");
        m_destroyAlarm = m_xext.symbol<int (*)(Display*, XId)>("XSyncDestroyAlarm");
        if (!syncExtension || !initialize || !listCounters || !freeCounters || !m_createAlarm || !m_destroyAlarm)
            return;
        int errorBase = 0, major = 0, minor = 0, count = 0;
        if (!syncExtension(m_display, &m_syncEventBase, &errorBase) || !initialize(m_display, &major, &minor)) {
            m_syncEventBase = -1;
            return;
        }
        XSyncSystemCounter* counters = listCounters(m_display, &count);
        for (int i = 0; counters && i < count; ++i) {
            if (std::strcmp(counters[i].name, "IDLETIME") == 0)
                m_idleCounter = counters[i].counter;
        }
        if (counters)
            freeCounters(counters);
    }

    // Declared first, so that they are closed after everything that uses them.
    platform::SharedLibrary m_x11;
    platform::SharedLibrary m_xss;
    platform::SharedLibrary m_xext;
    Display* m_display = nullptr;
    void* m_info = nullptr;
    XId m_root = 0;
    int m_fd = -1;
    int m_saverEventBase = -1;
    int m_syncEventBase = -1;
    XId m_idleCounter = 0;
    XId m_inputAlarm = 0;
    int (*m_closeDisplay)(Display*) = nullptr;
    int (*m_free)(void*) = nullptr;
    int (*m_flush)(Display*) = nullptr;
    int (*m_pending)(Display*) = nullptr;
    int (*m_nextEvent)(Display*, XEvent*) = nullptr;
    int (*m_queryInfo)(Display*, XId, void*) = nullptr;
    XId (*m_createAlarm)(Display*, unsigned long, XSyncAlarmAttributes*) = nullptr;
    int (*m_destroyAlarm)(Display*, XId) = nullptr;
};

PowerManager::PowerManager()
    : m_lastInput(Clock::now())
{
    m_activeEvent.reset(CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityActiveEvent));
    m_inactiveEvent.reset(CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityInactiveEvent));
    const DWORD seconds = platform::readRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kIdleTimeoutValue)
                              .value_or(platform::kDefaultIdleTimeoutSeconds);
    m_timeout = std::chrono::seconds(std::max<DWORD>(seconds, 1));
    m_desktop = DesktopIdle::open();
    // The service starts with a session in use.
    setActive(true);
}

PowerManager::~PowerManager() = default;

bool PowerManager::hasDesktopIdleTime() const { return m_desktop != nullptr; }

int PowerManager::desktopFd() const { return m_desktop ? m_desktop->fd() : -1; }

void PowerManager::setActive(bool active)
{
    m_active = active;
    // Inactive first when going active and the other way round, so that a watcher never
    // sees both set.
    EventModify((active ? m_inactiveEvent : m_activeEvent).get(), EVENT_RESET);
    EventModify((active ? m_activeEvent : m_inactiveEvent).get(), EVENT_SET);
    if (m_desktop) {
        if (active)
            m_desktop->stopWatchingForInput();
        else
            m_desktop->watchForInput();
    }
}

void PowerManager::userInput(Clock::time_point now)
{
    m_lastInput = now;
    if (!m_active)
        setActive(true);
}

void PowerManager::userIdle()
{
    // Counts as the idle time-out having passed.
    m_lastInput = Clock::now() - m_timeout;
    if (m_active)
        setActive(false);
}

void PowerManager::takeDesktopEvents(Clock::time_point now)
{
    if (m_desktop && m_desktop->takeInputEvents())
        userInput(now);
}

int PowerManager::update(Clock::time_point now)
{
    // Xlib may have read events while it waited for a reply.
    takeDesktopEvents(now);
    if (m_active && m_desktop && now - m_lastInput >= m_timeout) {
        // Asked before looking, so that input just after the look still reports itself.
        m_desktop->watchForInput();
        if (const auto idle = m_desktop->idleMs()) {
            const auto desktopInput = now - std::chrono::milliseconds(*idle);
            if (desktopInput > m_lastInput + std::chrono::milliseconds(1))
                m_lastInput = desktopInput;
        }
        if (now - m_lastInput < m_timeout)
            m_desktop->stopWatchingForInput();
    }
    const auto idleFor = now - m_lastInput;
    if (m_active && idleFor >= m_timeout)
        setActive(false);
    if (!m_active)
        return -1;
    // Rounded up, so that the service does not wake just short of the threshold.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_timeout - idleFor).count();
    return int(std::clamp<long long>(left, 1, 1LL << 30));
}

} // namespace services

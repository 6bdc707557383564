#include "services/power_manager.h"

#include "platform/events.h"
#include "platform/handle.h"
#include "platform/power.h"
#include "platform/registry.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <optional>

namespace services {

// The X11 idle time (XScreenSaver extension), loaded at run time so that the service
// neither needs nor links X11 where there is no display.
class IdleSource {
public:
    static std::unique_ptr<IdleSource> open()
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            return nullptr;
        auto source = std::unique_ptr<IdleSource>(new IdleSource());
        source->m_x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        source->m_xss = ::dlopen("libXss.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!source->m_x11 || !source->m_xss)
            return nullptr;
        auto openDisplay = reinterpret_cast<void* (*)(const char*)>(::dlsym(source->m_x11, "XOpenDisplay"));
        auto rootWindow = reinterpret_cast<unsigned long (*)(void*)>(::dlsym(source->m_x11, "XDefaultRootWindow"));
        source->m_closeDisplay = reinterpret_cast<int (*)(void*)>(::dlsym(source->m_x11, "XCloseDisplay"));
        source->m_free = reinterpret_cast<int (*)(void*)>(::dlsym(source->m_x11, "XFree"));
        source->m_allocInfo = reinterpret_cast<void* (*)()>(::dlsym(source->m_xss, "XScreenSaverAllocInfo"));
        source->m_queryInfo
            = reinterpret_cast<int (*)(void*, unsigned long, void*)>(::dlsym(source->m_xss, "XScreenSaverQueryInfo"));
        if (!openDisplay || !rootWindow || !source->m_closeDisplay || !source->m_free || !source->m_allocInfo
            || !source->m_queryInfo)
            return nullptr;
        source->m_display = openDisplay(nullptr);
        if (!source->m_display)
            return nullptr;
        source->m_root = rootWindow(source->m_display);
        source->m_info = source->m_allocInfo();
        return source->m_info ? std::move(source) : nullptr;
    }

    ~IdleSource()
    {
        if (m_info)
            m_free(m_info);
        if (m_display)
            m_closeDisplay(m_display);
        if (m_xss)
            ::dlclose(m_xss);
        if (m_x11)
            ::dlclose(m_x11);
    }

    // Milliseconds since the last input on the display.
    std::optional<unsigned long> idleMs()
    {
        if (!m_queryInfo(m_display, m_root, m_info))
            return std::nullopt;
        // XScreenSaverInfo: window, state, kind, til_or_since, idle, event_mask.
        struct Info {
            unsigned long window;
            int state;
            int kind;
            unsigned long tilOrSince;
            unsigned long idle;
            unsigned long eventMask;
        };
        return static_cast<Info*>(m_info)->idle;
    }

private:
    IdleSource() = default;
    void* m_x11 = nullptr;
    void* m_xss = nullptr;
    void* m_display = nullptr;
    void* m_info = nullptr;
    unsigned long m_root = 0;
    int (*m_closeDisplay)(void*) = nullptr;
    int (*m_free)(void*) = nullptr;
    void* (*m_allocInfo)() = nullptr;
    int (*m_queryInfo)(void*, unsigned long, void*) = nullptr;
};

namespace {

// How often the desktop's idle time is looked at while the user is away.
constexpr int kDesktopSampleMs = 500;

} // namespace

PowerManager::PowerManager()
    : m_lastInput(Clock::now())
{
    m_activeEvent = CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityActiveEvent);
    m_inactiveEvent = CreateEventW(nullptr, TRUE, FALSE, platform::kUserActivityInactiveEvent);
    const DWORD seconds = platform::readRegistryDword(platform::RegistryRoot::LocalMachine, platform::kProfileKey,
        platform::kIdleTimeoutValue)
                              .value_or(platform::kDefaultIdleTimeoutSeconds);
    m_timeout = std::chrono::seconds(std::max<DWORD>(seconds, 1));
    m_desktop = IdleSource::open();
    // The service starts with a session in use.
    setActive(true);
}

PowerManager::~PowerManager()
{
    if (m_activeEvent)
        CloseHandle(m_activeEvent);
    if (m_inactiveEvent)
        CloseHandle(m_inactiveEvent);
}

bool PowerManager::hasDesktopIdleTime() const { return m_desktop != nullptr; }

void PowerManager::setActive(bool active)
{
    m_active = active;
    // Inactive first when going active and the other way round, so that a watcher never
    // sees both set.
    EventModify(active ? m_inactiveEvent : m_activeEvent, EVENT_RESET);
    EventModify(active ? m_activeEvent : m_inactiveEvent, EVENT_SET);
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

int PowerManager::update(Clock::time_point now)
{
    if (m_desktop) {
        if (const auto idle = m_desktop->idleMs()) {
            const auto desktopInput = now - std::chrono::milliseconds(*idle);
            if (desktopInput > m_lastInput + std::chrono::milliseconds(1))
                userInput(desktopInput);
        }
    }
    const auto idleFor = now - m_lastInput;
    if (m_active && idleFor >= m_timeout)
        setActive(false);
    if (m_active) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_timeout - idleFor).count();
        return int(std::clamp<long long>(left, 1, m_desktop ? kDesktopSampleMs * 4 : 1LL << 30));
    }
    return m_desktop ? kDesktopSampleMs : -1;
}

} // namespace services

#include "ui/screen_geometry.h"

#include "platform/device_profile.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/power.h"
#include "platform/registry.h"

#include <QMetaObject>
#include <atomic>
#include <thread>

namespace ui {

QFont suiteFont(FontRole role, const ScreenGeometry& screen)
{
    struct Spec {
        int portrait, square, landscape;
        bool bold, underline;
    };
    static constexpr Spec kSpecs[] = {
        { 14, 14, 14, true, false }, { 72, 64, 64, true, false }, { 40, 30, 30, true, false },
        { 13, 13, 13, true, false }, { 13, 13, 13, true, true }, { 13, 13, 13, false, false },
        { 12, 12, 12, false, false }, { 56, 50, 50, true, false }, { 32, 32, 32, true, false },
        { 24, 20, 20, true, false },
    };
    const Spec& spec = kSpecs[int(role)];
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(screen.pick(spec.portrait, spec.square, spec.landscape));
    font.setBold(spec.bold);
    font.setUnderline(spec.underline);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

int desktopZoom(const ScreenGeometry& screen) { return screen.width <= 320 ? 2 : 1; }

// Waits on the profile's two size values in a thread of its own and reports to the GUI thread.
struct ScreenWatcher::Watch {
    platform::RegistryWatch width { platform::RegistryRoot::LocalMachine, platform::kProfileKey, platform::kScreenWidthValue };
    platform::RegistryWatch height { platform::RegistryRoot::LocalMachine, platform::kProfileKey, platform::kScreenHeightValue };
    platform::UniqueHandle stop { CreateEventW(nullptr, TRUE, FALSE, nullptr) };
    std::thread thread;
};

ScreenWatcher::ScreenWatcher(QObject* parent)
    : QObject(parent)
    , m_geometry(ScreenGeometry::current())
    , m_watch(new Watch())
{
    m_watch->thread = std::thread([this] {
        const HANDLE events[] = { m_watch->width.event(), m_watch->height.event(), m_watch->stop.get() };
        for (;;) {
            const DWORD woke = WaitForMultipleObjects(3, events, FALSE, INFINITE);
            if (woke == WAIT_OBJECT_0 + 2 || woke == WAIT_FAILED)
                return;
            (void)m_watch->width.changed();
            (void)m_watch->height.changed();
            QMetaObject::invokeMethod(this, [this] { check(); }, Qt::QueuedConnection);
        }
    });
}

ScreenWatcher::~ScreenWatcher()
{
    SetEvent(m_watch->stop.get());
    m_watch->thread.join();
    delete m_watch;
}

void ScreenWatcher::check()
{
    const auto now = ScreenGeometry::current();
    if (now == m_geometry)
        return;
    m_geometry = now;
    emit changed(m_geometry);
}

} // namespace ui

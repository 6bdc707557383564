#include "services/service.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/device_service.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/handle.h"
#include "platform/leds.h"
#include "platform/notifications.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "services/log.h"
#include "services/power_manager.h"
#include "services/sleep_inhibitor.h"
#include "services/wake_timer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

namespace services {

namespace {

using Clock = std::chrono::steady_clock;

// A launcher that has not taken its registration by then is started again.
constexpr auto kLaunchGrace = std::chrono::seconds(10);

enum Wake : unsigned {
    kWakeUpsChanged = 1u << 0,
    kTimeChanged = 1u << 1,
    kUserInput = 1u << 2,
    kUserIdle = 1u << 3,
};

// Replaces a file of the runtime directory by a rename, without fsync: what it holds
// describes this run of the service only, and a crash ends the run.
bool replaceRuntimeFile(const std::filesystem::path& target, const std::string& text)
{
    std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    platform::UniqueFd file(::mkostemp(temporary.data(), O_CLOEXEC)); // mode 0600
    if (!file)
        return false;
    const bool written = ::write(file.get(), text.data(), text.size()) == ssize_t(text.size());
    file.reset();
    if (written && ::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

// Named events wake the main loop through an eventfd, so that it can also poll the timer
// and signals. The thread takes each event's news (test and reset) before it says so.
class EventWatcher {
public:
    bool start()
    {
        m_wakeFd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        const char16_t* names[] = { platform::kWakeUpsChangedEvent, platform::kTimeChangedEvent,
            platform::kUserInputEvent, platform::kUserIdleEvent };
        for (const char16_t* name : names) {
            HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
            if (!event)
                return false;
            m_events.push_back(event);
        }
        if (!m_wakeFd)
            return false;
        std::thread([this] { run(); }).detach();
        return true;
    }

    int fd() const { return m_wakeFd.get(); }

    unsigned take()
    {
        std::uint64_t count;
        while (::read(m_wakeFd.get(), &count, sizeof count) > 0) { }
        return m_pending.exchange(0);
    }

private:
    void run()
    {
        for (;;) {
            const DWORD result = WaitForMultipleObjects(DWORD(m_events.size()), m_events.data(), FALSE, INFINITE);
            if (result == WAIT_FAILED) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                continue;
            }
            unsigned bits = 0;
            for (std::size_t i = 0; i < m_events.size(); ++i) {
                if (WaitForSingleObject(m_events[i], 0) == WAIT_OBJECT_0) {
                    EventModify(m_events[i], EVENT_RESET);
                    bits |= 1u << i;
                }
            }
            m_pending.fetch_or(bits);
            const std::uint64_t one = 1;
            (void)!::write(m_wakeFd.get(), &one, sizeof one);
        }
    }

    std::vector<HANDLE> m_events;
    platform::UniqueFd m_wakeFd;
    std::atomic<unsigned> m_pending { 0 };
};

class DeviceService {
public:
    int run();

private:
    bool takeLock();
    void writeStatus(const std::optional<platform::UniversalTicks>& nextUtc);
    [[nodiscard]] bool watchDeviceRoot();
    void handleTimeChanges(bool hostClockJumped);
    void fireDueWakeUps();
    void rebuildDamagedDatabase();
    bool armTimer(std::optional<platform::UniversalTicks>& nextUtc);
    void startProgram(const std::u16string& application, const std::string& arguments, const char* why);
    void updateNotificationLed();

    platform::UniqueFd m_lock;
    platform::UniqueFd m_rootWatch;
    std::string m_writtenStatus;
    WakeTimer m_timer;
    EventWatcher m_watcher;
    std::map<DWORD, Clock::time_point> m_launched;
    std::string m_inhibitorProblem;
    std::filesystem::path m_programLog;
    bool m_ledBlinking = false;
};

bool DeviceService::takeLock()
{
    m_lock.reset(::open(platform::deviceServiceLockFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!m_lock || ::flock(m_lock.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(m_lock.get(), 0) != 0 || ::pwrite(m_lock.get(), pid.data(), pid.size(), 0) != ssize_t(pid.size()))
        log("cannot write the pid into the lock file: %s", std::strerror(errno));
    return true;
}

void DeviceService::writeStatus(const std::optional<platform::UniversalTicks>& nextUtc)
{
    std::string status = "pid=" + std::to_string(::getpid()) + "\n";
    status += "wake-from-suspend="
        + (m_timer.wakesFromSuspend() ? std::string("available") : "unavailable: " + m_timer.suspendProblem()) + "\n";
    status += "sleep-inhibitor="
        + (m_inhibitorProblem.empty() ? std::string("available") : "unavailable: " + m_inhibitorProblem) + "\n";
    if (nextUtc) {
        FILETIME utc = fileTimeOf(nextUtc->count()), local { };
        SYSTEMTIME shown { };
        FileTimeToLocalFileTime(&utc, &local);
        FileTimeToSystemTime(&local, &shown);
        char text[64];
        std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", shown.wYear, shown.wMonth, shown.wDay,
            shown.wHour, shown.wMinute, shown.wSecond);
        status += std::string("next-wake-up=") + text + "\n";
    } else {
        status += "next-wake-up=none\n";
    }
    // Written only when it says something new: a service at rest leaves the disk alone.
    if (status == m_writtenStatus)
        return;
    // A failure stays quiet and is tried again at the next wake: only `tkwctl service
    // status` reads the file.
    if (replaceRuntimeFile(platform::runtimeDirectory() / "deviced.status", status))
        m_writtenStatus = std::move(status);
}

// The service ends with its device root. Rather than looking now and then, it has the
// kernel say when the root is removed or moved away. The root's own deletion event comes
// only once nothing holds the folder any more, and the service's open databases do: the
// folder above tells at once.
bool DeviceService::watchDeviceRoot()
{
    auto root = platform::deviceRoot();
    if (!root.has_filename()) // "/a/device/"
        root = root.parent_path();
    m_rootWatch.reset(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    return m_rootWatch && ::inotify_add_watch(m_rootWatch.get(), root.c_str(), IN_MOVE_SELF | IN_DELETE_SELF) >= 0
        && ::inotify_add_watch(m_rootWatch.get(), root.parent_path().c_str(), IN_ONLYDIR | IN_DELETE | IN_MOVED_FROM)
        >= 0;
}

void DeviceService::startProgram(const std::u16string& application, const std::string& arguments, const char* why)
{
    const auto program = platform::hostPathOf(application, nullptr, platform::Links::MayLeave);
    const std::string name = platform::toUtf8(application);
    if (!program || !platform::isExecutableFile(*program)) {
        log("%s: no program at %s", why, name.c_str());
        return;
    }
    platform::SpawnRequest request;
    request.program = *program;
    request.arguments = { arguments };
    request.modulePath = application;
    request.outputLog = m_programLog;
    if (platform::spawnDetached(request))
        log("%s: started %s %s", why, name.c_str(), arguments.c_str());
    else
        log("%s: cannot start %s: %s", why, name.c_str(), std::strerror(errno));
}

void DeviceService::handleTimeChanges(bool hostClockJumped)
{
    const std::uint64_t count = platform::timeChangeCount();
    const auto handled = platform::handledTimeChangeCount();
    const bool deviceChanged = handled && *handled != count;
    if (!deviceChanged && !hostClockJumped)
        return;
    log("time change (%s)", hostClockJumped ? "the host clock jumped" : "device time or zone");
    if (const auto applications = platform::timeChangeApplications()) {
        for (const auto& application : *applications)
            startProgram(application, "AppRunAfterTimeChange", "time change");
    }
    // Counted after starting: a crash in between starts the programs twice rather than never.
    if (deviceChanged && !platform::setHandledTimeChangeCount(count))
        log("cannot record the handled time change");
}

// A damaged wake-up database is made anew, and the programs registered for time changes
// are told as after a time change: the runner then registers every alarm, timer and event
// again from their records.
void DeviceService::rebuildDamagedDatabase()
{
    const auto applications = platform::rebuildDamagedWakeUpDatabase();
    if (!applications)
        return;
    log("the wake-up database was damaged: set aside and made anew");
    for (const auto& application : *applications)
        startProgram(application, "AppRunAfterTimeChange", "rebuilt wake-up database");
}

void DeviceService::fireDueWakeUps()
{
    const auto due = platform::dueWakeUps(platform::deviceUniversalNow());
    if (!due) {
        rebuildDamagedDatabase();
        return;
    }
    const auto now = Clock::now();
    for (auto it = m_launched.begin(); it != m_launched.end();)
        it = now - it->second > kLaunchGrace ? m_launched.erase(it) : std::next(it);
    for (const auto& wakeUp : *due) {
        if (const auto event = platform::namedEventOfApplication(wakeUp.application)) {
            if (!platform::takeWakeUpForFiring(wakeUp.handle))
                continue;
            (void)platform::setNamedEvent(*event);
            log("wake-up %u: set event %s", wakeUp.handle, platform::toUtf8(*event).c_str());
            continue;
        }
        if (m_launched.contains(wakeUp.handle))
            continue;
        // The launcher takes the registration and becomes the program.
        const auto self = platform::deviceServiceProgram();
        platform::SpawnRequest request;
        request.program = self ? *self : std::filesystem::path("/proc/self/exe");
        request.arguments = { "--launch", std::to_string(wakeUp.handle) };
        request.outputLog = m_programLog;
        request.waitForSecondExec = true;
        if (platform::spawnDetached(request))
            m_launched[wakeUp.handle] = now;
        else
            log("wake-up %u: cannot start the launcher: %s", wakeUp.handle, std::strerror(errno));
    }
}

// The notification LED blinks while a registration that asks for it has its LED state set.
void DeviceService::updateNotificationLed()
{
    const bool wanted = platform::notificationLedRequested();
    if (wanted == m_ledBlinking)
        return;
    NLED_SETTINGS_INFO led { };
    led.LedNum = 0;
    led.OffOnBlink = wanted ? 2 : 0;
    led.OnTime = 500'000; // microseconds
    led.OffTime = 500'000;
    if (NLedSetDevice(NLED_SETTINGS_INFO_ID, &led))
        m_ledBlinking = wanted;
}

bool DeviceService::armTimer(std::optional<platform::UniversalTicks>& nextUtc)
{
    nextUtc = platform::nextWakeUpUniversalTicks();
    if (!nextUtc)
        return m_timer.ringNever();
    // The timer runs on the host clock.
    return m_timer.ringAt(platform::hostUniversalTicksAt(*nextUtc));
}

int DeviceService::run()
{
    if (platform::runtimeDirectory().empty()) {
        log("no runtime directory: %s", platform::runtimeDirectoryProblem().c_str());
        return 1;
    }
    if (!takeLock())
        return 0; // another service runs for this root
    m_programLog = platform::platformStateDirectory() / "programs.log";

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr); // before any thread starts
    platform::UniqueFd signals(::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK));

    if (!m_timer.open() || !signals || !m_watcher.start()) {
        log("cannot set up: %s", std::strerror(errno));
        return 1;
    }
    if (!watchDeviceRoot())
        log("cannot watch the device root, its removal goes unnoticed: %s", std::strerror(errno));
    rebuildDamagedDatabase();
    if (const auto problem = platform::wakeUpDatabaseProblem(); !problem.empty()) {
        log("wake-up database unavailable: %s", problem.c_str());
        return 1;
    }
    (void)inhibitSleep(m_inhibitorProblem); // only to learn whether it can be had
    PowerManager power;
    log("started for %s; wake from suspend %s%s", platform::deviceRoot().c_str(),
        m_timer.wakesFromSuspend() ? "available" : "unavailable: ", m_timer.suspendProblem().c_str());

    // Wake-ups that fell due while no service ran fire now, oldest first.
    bool hostClockJumped = false;
    for (;;) {
        handleTimeChanges(hostClockJumped);
        hostClockJumped = false;
        fireDueWakeUps();
        updateNotificationLed();
        std::optional<platform::UniversalTicks> nextUtc;
        if (!armTimer(nextUtc))
            log("cannot arm the timer: %s", std::strerror(errno));
        writeStatus(nextUtc);

        // Nothing wakes the service but its timer, the events it watches and the power
        // manager's next idle threshold.
        int sleepMs = power.update(Clock::now());
        if (!m_launched.empty())
            sleepMs = sleepMs < 0 ? 1000 : std::min(sleepMs, 1000);
        pollfd fds[] = { { m_timer.fd(), POLLIN, 0 }, { m_watcher.fd(), POLLIN, 0 }, { signals.get(), POLLIN, 0 },
            { power.desktopFd(), POLLIN, 0 }, { m_rootWatch.get(), POLLIN, 0 } };
        if (::poll(fds, std::size(fds), sleepMs) < 0 && errno != EINTR) {
            log("poll failed: %s", std::strerror(errno));
            return 1;
        }
        if (fds[2].revents) {
            log("stopping");
            return 0;
        }
        if (fds[0].revents && m_timer.read() == WakeTimer::Reading::ClockJumped)
            hostClockJumped = true;
        if (fds[1].revents) {
            const unsigned news = m_watcher.take();
            if (news & kUserInput)
                power.userInput(Clock::now());
            if (news & kUserIdle)
                power.userIdle();
        }
        if (fds[3].revents)
            power.takeDesktopEvents(Clock::now());
        if (fds[4].revents) {
            alignas(inotify_event) char events[1024];
            while (::read(m_rootWatch.get(), events, sizeof events) > 0) { }
        }
        std::error_code error;
        if (!std::filesystem::exists(platform::deviceRoot(), error)) {
            log("the device root is gone; stopping");
            return 0;
        }
    }
}

} // namespace

int runDeviceService()
{
    DeviceService service;
    return service.run();
}

} // namespace services

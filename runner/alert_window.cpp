#include "runner/alert_window.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/events.h"
#include "platform/handle.h"
#include "platform/notifications.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "store/signals.h"
#include "ui/qt_text.h"
#include "ui/window_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>
#include <algorithm>
#include <thread>

namespace runner {

namespace {

constexpr const char16_t* kLedTrigger = u"\\\\.\\Notifications\\NamedEvents\\TkReminder_LED_On";

// The notification window's bubble and the reminder view's short one.
constexpr int kNotificationBubbleSeconds = 600;
constexpr quint32 kNotificationBubbleFlags = 29;
constexpr int kPluginViewBubbleSeconds = 1;
constexpr quint32 kPluginViewBubbleFlags = 39;

// Vibration of an alert: 600 ms on, 200 ms off, four pulses.
constexpr int kVibrateOnMs = 600;
constexpr int kVibrateOffMs = 200;
constexpr int kVibrateRepetitions = 3;

// Dismiss lets the stopped sound settle this long before the window goes.
constexpr int kDismissSettleMs = 200;

// A started program is looked at this often; each look that finds it still running keeps
// the device awake while the keep-awake time lasts.
constexpr DWORD kProgramWaitStepMs = 10000;


using ui::qText;

std::optional<SYSTEMTIME> localTimeIn(int seconds)
{
    SYSTEMTIME now { };
    GetLocalTime(&now);
    const auto ticks = platform::ticksOfSystemTime(now);
    if (!ticks)
        return std::nullopt;
    return platform::systemTimeOfTicks(*ticks + std::uint64_t(seconds) * std::uint64_t(platform::kTicksPerSecond));
}

} // namespace

// Tells the alert window whenever the phone's "Status" changes, from a thread of its own.
class PhoneStateWatch {
public:
    explicit PhoneStateWatch(HWND target)
        : m_watch(platform::RegistryRoot::LocalMachine, kPhoneStateKey, kPhoneStatusValue)
        , m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (!m_watch.valid() || !m_stop)
            return;
        m_lastStatus = currentStatus();
        m_thread = std::thread([this, target] { watch(target); });
    }

    ~PhoneStateWatch()
    {
        if (m_thread.joinable()) {
            EventModify(m_stop.get(), EVENT_SET);
            m_thread.join();
        }
    }

    PhoneStateWatch(const PhoneStateWatch&) = delete;
    PhoneStateWatch& operator=(const PhoneStateWatch&) = delete;

private:
    static DWORD currentStatus()
    {
        return platform::readRegistryDword(platform::RegistryRoot::LocalMachine, kPhoneStateKey, kPhoneStatusValue)
            .value_or(0);
    }

    void watch(HWND target)
    {
        const HANDLE handles[2] = { m_stop.get(), m_watch.event() };
        while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            // Other runners watch the same value through the same event and may take the
            // news first: the value itself tells whether it changed.
            (void)m_watch.changed();
            const DWORD status = currentStatus();
            if (status == m_lastStatus)
                continue;
            m_lastStatus = status;
            PostMessageW(target, kPhoneStateMessage, status, kPhoneStateUserValue);
        }
    }

    platform::RegistryWatch m_watch;
    platform::UniqueHandle m_stop;
    DWORD m_lastStatus = 0;
    std::thread m_thread;
};

std::u16string alertWindowClass(std::u16string_view argument)
{
    return std::u16string(kAlertWindowClassPrefix) + std::u16string(argument);
}

QUuid bubbleOwner() { return QUuid(QStringLiteral("{33775136-8CB9-459A-B021-55ED500AB9FC}")); }

LRESULT encodeAlertState(const AlertState& state)
{
    LRESULT answer = (state.bubbleOpen ? 1 : 0) | (state.bubbleIconic ? 2 : 0) | (state.soundPlaying ? 4 : 0)
        | (state.snoozePending ? 8 : 0) | (state.volumeRaised ? 16 : 0) | (state.bubbleHasSoftKeys ? 32 : 0);
    answer |= LRESULT(std::clamp(state.alertsShown, 0, 255)) << 8;
    answer |= LRESULT(std::clamp(state.playsStarted, 0, 65535)) << 16;
    return answer;
}

AlertState decodeAlertState(LRESULT answer)
{
    AlertState state;
    state.bubbleOpen = answer & 1;
    state.bubbleIconic = answer & 2;
    state.soundPlaying = answer & 4;
    state.snoozePending = answer & 8;
    state.volumeRaised = answer & 16;
    state.bubbleHasSoftKeys = answer & 32;
    state.alertsShown = int((answer >> 8) & 0xff);
    state.playsStarted = int((answer >> 16) & 0xffff);
    return state;
}

bool deviceInVibrateMode()
{
    return platform::readRegistryDword(platform::RegistryRoot::CurrentUser, alert::kShellOverridesKey, u"Mode") == 1u;
}

AlertWindow::AlertWindow(AlertSetup setup)
    : m_setup(std::move(setup))
    , m_vibrate(m_setup.vibrate ? alert::VibrateDevice::State::Enabled : alert::VibrateDevice::State::Disabled)
{
    const AlertParameters& alert = m_setup.item.alert;
    // The sound does not wait for the window and the bubble: it begins first, at the alert's
    // volume, and the sound loop of start() takes this play for its first.
    if (alert.action != Action::ExecuteProgram) {
        m_volume.raise(m_setup.settings.alarmVolume);
        if (alert.soundOn) {
            (void)m_player.create(alert.soundPath); // A sound that cannot be prepared stays silent.
            m_player.startPlay();
        }
        // The reminder view's alert needs the bubble's text too, should the view not come.
        SYSTEMTIME today { };
        GetLocalTime(&today);
        m_html = reminderHtml(m_setup.item.kind, m_setup.item.number, m_setup.language,
            reminderItemTime(m_setup.item.kind, m_setup.item.itemTime), reminderDate(today), m_setup.item.note);
    }
    if (m_setup.settings.vibrate)
        m_vibrate.setLed(m_setup.settings.vibrateDeviceId);

    // A top-most pop-up with a caption, created hidden; it is never shown.
    m_window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint);
    m_window->setWindowTitle(qText(kAlertWindowTitle));
    m_window->setGeometry(10, 50, 220, 140);
    auto* host = new ui::WindowHost(m_window.get(), qText(alertWindowClass(m_setup.item.argument)),
        qText(kAlertWindowTitle),
        [this](UINT message, WPARAM wParam, LPARAM lParam) { return handleMessage(message, wParam, lParam); });
    m_handle = host->handle();

    // Nothing else on this platform silences an alert for a call, whichever way it plays.
    m_phoneWatch = std::make_unique<PhoneStateWatch>(m_handle);

    m_snoozeActive.reset(CreateEventW(nullptr, TRUE, FALSE, store::kSnoozeActive));
    m_playsLeft = alert.playsPerAlert;
    m_repetitionsLeft = m_repetitionsCopy = alert.repetitions;
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &AlertWindow::tick);
}

AlertWindow::~AlertWindow()
{
    destroyWindow();
}

void AlertWindow::start()
{
    if (m_destroyed)
        return;
    const Action action = m_setup.item.alert.action;
    showAlert();
    if (m_destroyed || action == Action::ExecuteProgram)
        return;
    m_tick.start();
    startSound();
}

AlertState AlertWindow::state() const
{
    AlertState state;
    state.bubbleOpen = m_bubbleUp && ui::bubbleOpen(m_bubble.owner, m_bubble.id);
    state.bubbleIconic = m_bubbleUp && m_bubble.priority == ui::kBubbleIconic;
    state.bubbleHasSoftKeys = m_bubbleUp && m_bubble.keys[0].command != 0;
    state.soundPlaying = m_soundPlaying;
    state.snoozePending = m_snoozePending;
    state.volumeRaised = m_volume.raised();
    state.alertsShown = m_alertsShown;
    state.playsStarted = m_playsStarted;
    return state;
}

LRESULT AlertWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_destroyed)
        return 0;
    switch (message) {
    case WM_COMMAND: {
        const UINT command = UINT(wParam & 0xffff);
        // A choice arrived, from the reminder view or the bubble: the view did its part.
        if (command == kDismissCommand || command == kSnoozeCommand || command == kOpenInMainProgramCommand)
            m_reminderScreen.reset();
        switch (command) {
        case kDismissCommand: dismiss(); break;
        case kSnoozeCommand: snooze(); break;
        case kOpenInMainProgramCommand: openInMainProgram(); break;
        default: break;
        }
        return 0;
    }
    case kPhoneStateMessage:
        if (lParam == kPhoneStateUserValue)
            phoneStateChanged(DWORD(wParam));
        return 0;
    case kAlertStateQuery:
        return encodeAlertState(state());
    default:
        return 0;
    }
}

void AlertWindow::showAlert()
{
    ++m_alertsShown;
    const AlertParameters& alert = m_setup.item.alert;
    if (alert.action == Action::ExecuteProgram) {
        runProgram();
        return;
    }
    if (m_setup.settings.flashLight)
        switchLedOn();

    if (alert.action == Action::PluginView && !m_ownBubble) {
        if (showReminderScreen())
            return;
        m_ownBubble = true; // no main program to start: the runner alerts on its own
    }
    showOwnBubble();
}

ui::BubbleSpec AlertWindow::newBubble() const
{
    ui::BubbleSpec bubble;
    bubble.owner = bubbleOwner();
    bubble.id = platform::windowIdOf(m_handle);
    bubble.priority = ui::kBubbleShown;
    bubble.sink = m_handle;
    return bubble;
}

bool AlertWindow::showReminderScreen()
{
    m_reminderScreen.reset();
    m_bubble = newBubble();
    m_bubble.durationSeconds = kPluginViewBubbleSeconds;
    m_bubble.flags = kPluginViewBubbleFlags;
    m_bubbleUp = ui::addBubble(m_bubble);
    // The main program shows the item's plug-in view and forwards the choice made there.
    HANDLE process = nullptr;
    if (!startMainProgram(u"n" + m_setup.item.argument, &process))
        return false;
    m_reminderScreen = std::make_unique<ReminderScreenWatch>(
        m_setup.item.argument, process, [this] { fallBackToOwnBubble(); });
    if (m_setup.vibrate)
        m_vibrate.pulse(kVibrateOnMs, kVibrateOffMs, kVibrateRepetitions);
    return true;
}

void AlertWindow::fallBackToOwnBubble()
{
    if (m_dismissed || m_destroyed || m_ownBubble)
        return;
    // The view did not come, or went without a choice: the alert goes on (sound, repetitions
    // and snooze as they stand) under the runner's own bubble, which replaces the short one.
    m_ownBubble = true;
    showOwnBubble();
}

void AlertWindow::showOwnBubble()
{
    m_bubble = newBubble();
    m_bubble.durationSeconds = kNotificationBubbleSeconds;
    m_bubble.flags = kNotificationBubbleFlags;
    m_bubble.title = qText(kBubbleTitle);
    m_bubble.html = qText(m_html);
    m_bubble.keys[0] = { qText(softKeyTitle(SoftKey::Dismiss, m_setup.language)), kDismissCommand };
    m_bubble.keys[1] = { qText(softKeyTitle(SoftKey::Snooze, m_setup.language)), kSnoozeCommand };
    m_bubbleUp = ui::addBubble(m_bubble);
    if (m_setup.vibrate)
        m_vibrate.start(kVibrateOnMs, kVibrateOffMs, kVibrateRepetitions);
}

void AlertWindow::runProgram()
{
    const AlertParameters& alert = m_setup.item.alert;
    DWORD awakeLeftMs = keepAwakeMs(alert.keepAwakeIndex);
    SHELLEXECUTEINFO info { };
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = u"open";
    info.lpFile = alert.programPath.c_str();
    info.lpParameters = alert.programArgs.c_str();
    info.lpDirectory = u"";
    info.nShow = 1;
    if (ShellExecuteEx(&info) && info.hProcess) {
        const platform::UniqueHandle process(info.hProcess);
        while (WaitForSingleObject(process.get(), kProgramWaitStepMs) == WAIT_TIMEOUT) {
            if (awakeLeftMs == 0) {
                (void)WaitForSingleObject(process.get(), INFINITE);
                break;
            }
            // The handheld pressed a silent key here; a report of user activity keeps the
            // device from idling the same way.
            platform::reportUserActivity();
            awakeLeftMs = awakeLeftMs > kProgramWaitStepMs ? awakeLeftMs - kProgramWaitStepMs : 0;
        }
        Sleep(1000);
    }
    destroyWindow();
}

void AlertWindow::startSound()
{
    const AlertParameters& alert = m_setup.item.alert;
    if (!alert.soundOn || m_soundPlaying || m_destroyed)
        return;
    m_soundPlaying = true;
    m_inSoundLoop = true;
    bool finished = true;
    for (int play = 0; play < alert.playsPerAlert; ++play) {
        if (!m_soundPlaying) {
            m_player.stop();
            finished = false;
            break;
        }
        ++m_playsStarted;
        m_player.playAndWait();
        // Dismiss, Snooze or a call stopped the sound: no pause to sit through.
        if (m_destroyed || !m_soundPlaying) {
            finished = false;
            break;
        }
        (void)m_player.open(alert.soundPath, false);
        pauseBetweenPlays(alert.pauseSeconds);
        if (m_destroyed) {
            finished = false;
            break;
        }
    }
    m_inSoundLoop = false;
    if (m_destroyed) {
        m_player.close(); // left for now by destroyWindow, which ran inside the loop
        return;
    }
    if (!finished)
        return;
    m_soundPlaying = false;
    if (m_repetitionsLeft > 0)
        repeatLater(alert.repetitionIntervalSeconds / 60);
}

void AlertWindow::pauseBetweenPlays(int seconds)
{
    // The tick counts the silent alert's plays as pauses go by. Counting the pauses of a
    // sounding alert as well, it could run out of plays while a long sound still loops and
    // bring the alert back a second time: it stands still during a pause and catches up by
    // one tick at its end.
    const bool ticking = m_tick.isActive();
    m_tick.stop();
    QEventLoop pause;
    QTimer over;
    over.setSingleShot(true);
    over.setTimerType(Qt::PreciseTimer);
    connect(&over, &QTimer::timeout, &pause, [&pause] { pause.quit(); });
    over.start(seconds * 1000);
    m_pause = &pause;
    pause.exec();
    m_pause = nullptr;
    // Dismiss and the end of the window stop the tick for good.
    if (ticking && !m_dismissed && !m_destroyed) {
        m_tick.start();
        QMetaObject::invokeMethod(this, &AlertWindow::tick, Qt::QueuedConnection);
    }
}

void AlertWindow::endPause()
{
    if (m_pause)
        m_pause->quit();
}

void AlertWindow::repeatLater(int minutes)
{
    if (m_snoozePending)
        return;
    --m_repetitionsCopy;
    m_snoozeHandle = registerSnoozeWakeUp(minutes * 60);
    // Set even when the registration failed: the alert then stays away until the run ends.
    m_snoozePending = true;
    m_tickCounter = 0;
    m_repetitionsLeft = 0;
    m_vibrate.stop();
}

void AlertWindow::tick()
{
    if (m_destroyed)
        return;
    const AlertParameters& alert = m_setup.item.alert;
    if (m_soundPlaying && (m_snoozePending || m_silentRepeatWaiting || m_playsLeft > 0 || m_repetitionsLeft > 0))
        platform::reportUserActivity(); // keeps the device from idling while the alert sounds
    ++m_tickCounter;

    if (m_snoozePending && m_snoozeActive && WaitForSingleObject(m_snoozeActive.get(), 0) == WAIT_OBJECT_0) {
        m_snoozePending = false;
        platform::clearWakeUp(m_snoozeHandle);
        m_snoozeHandle = 0;
        EventModify(m_snoozeActive.get(), EVENT_RESET);
        showAlert();
        m_silentRepeatWaiting = false;
        m_tickCounter = 0;
        m_playsLeft = alert.playsPerAlert;
        m_repetitionsLeft = m_repetitionsCopy;
        if (alert.soundOn) {
            (void)m_player.open(alert.soundPath, false);
            // From the event loop, so that the tick goes on while the sound plays.
            QMetaObject::invokeMethod(this, &AlertWindow::startSound, Qt::QueuedConnection);
        }
    }

    if (m_silentRepeatWaiting && m_tickCounter >= alert.repetitionIntervalSeconds && m_repetitionsLeft > 0) {
        --m_repetitionsLeft;
        m_silentRepeatWaiting = false;
        showAlert();
        m_tickCounter = 0;
        m_playsLeft = alert.playsPerAlert;
        QMetaObject::invokeMethod(this, &AlertWindow::startSound, Qt::QueuedConnection);
        return;
    }

    if (m_playsLeft > 0) {
        if (m_tickCounter % alert.pauseSeconds == 0)
            --m_playsLeft;
    } else if (m_repetitionsLeft > 0 && !m_silentRepeatWaiting) {
        // Without sound this is how the alert comes back; with sound, the end of the sound
        // loop has already handed the repetitions to a snooze wake-up.
        m_silentRepeatWaiting = true;
        m_tickCounter = 0;
    }
}

void AlertWindow::dismiss()
{
    if (m_dismissed || m_destroyed)
        return;
    m_dismissed = true;
    removeBubble();
    m_vibrate.stop();
    m_soundPlaying = false;
    m_player.stop();
    endPause();
    switchLedOff();
    // A snooze or repetition still pending would wake a runner for an alert that is over,
    // and leave "TkMEvent_Snooze_Active" set for the next alert that snoozes.
    clearPendingSnooze();
    if (m_volume.raised())
        m_volume.restore();
    m_tick.stop();
    // Not from inside the message either: the window's own host is still delivering it.
    QTimer::singleShot(kDismissSettleMs, this, &AlertWindow::destroyWindow);
}

void AlertWindow::snooze()
{
    if (m_dismissed || m_destroyed)
        return;
    removeBubble();
    if (m_snoozePending)
        return;
    m_snoozeHandle = registerSnoozeWakeUp(kSnoozeSeconds);
    m_snoozePending = true;
    m_tickCounter = 0;
    m_repetitionsLeft = 0;
    m_vibrate.stop();
    m_soundPlaying = false;
    m_player.stop();
    endPause();
    switchLedOff();
}

void AlertWindow::openInMainProgram()
{
    if (m_dismissed)
        return;
    removeBubble();
    (void)startMainProgram(m_setup.item.argument); // the alert ends whether it started or not
    dismiss();
}

void AlertWindow::phoneStateChanged(DWORD status)
{
    if (!(status & kCallStatusBits))
        return;
    m_vibrate.stop();
    m_soundPlaying = false;
    m_player.stop();
    endPause();
    if (m_bubbleUp) {
        m_bubble.priority = ui::kBubbleIconic;
        (void)ui::updateBubble(m_bubble);
    }
}

void AlertWindow::destroyWindow()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_tick.stop();
    endPause();
    m_reminderScreen.reset();
    removeBubble();
    m_vibrate.stop();
    // Closing the player under a sound loop would pull it from under the loop's wait; the
    // loop closes it as it unwinds.
    if (!m_inSoundLoop)
        m_player.close();
    m_phoneWatch.reset();
    // A run that ends some other way than by Dismiss still gives the volume back.
    clearPendingSnooze();
    if (m_volume.raised())
        m_volume.restore();
    switchLedOff();
    m_window.reset(); // unregisters the window: nobody finds it any more
    QCoreApplication::quit();
}

void AlertWindow::switchLedOn()
{
    if (m_led && EventModify(m_led, EVENT_SET))
        return;
    // The LED registration fires at once; once fired and switched off it is gone, so an
    // alert that comes back registers it again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const SYSTEMTIME now = platform::localNow();
        platform::ProgramWakeUp led(kLedTrigger, u"", now);
        led.end = now;
        led.actionFlags = PUN_LED;
        m_led = platform::wakeUpHandle(platform::registerWakeUp(led));
        if (m_led && EventModify(m_led, EVENT_SET))
            return;
    }
}

void AlertWindow::switchLedOff()
{
    if (m_led)
        EventModify(m_led, EVENT_RESET);
}

std::uint32_t AlertWindow::registerSnoozeWakeUp(int seconds) const
{
    const auto moment = localTimeIn(seconds);
    if (!moment)
        return 0;
    return platform::registerWakeUp(platform::ProgramWakeUp(m_setup.ownPath, u"sn", *moment));
}

void AlertWindow::clearPendingSnooze()
{
    if (!m_snoozePending)
        return;
    platform::clearWakeUp(m_snoozeHandle);
    m_snoozeHandle = 0;
    m_snoozePending = false;
}

void AlertWindow::removeBubble()
{
    if (!m_bubbleUp)
        return;
    (void)ui::removeBubble(m_bubble.owner, m_bubble.id);
    m_bubbleUp = false;
}

bool AlertWindow::startMainProgram(const std::u16string& parameters, HANDLE* process) const
{
    if (m_setup.mainProgramPath.empty())
        return false;
    SHELLEXECUTEINFO info { };
    info.cbSize = sizeof info;
    info.fMask = process ? SEE_MASK_NOCLOSEPROCESS : 0;
    info.lpVerb = u"open";
    info.lpFile = m_setup.mainProgramPath.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = u"";
    info.nShow = 1;
    const bool started = ShellExecuteEx(&info);
    if (process)
        *process = started ? info.hProcess : nullptr;
    return started;
}

} // namespace runner

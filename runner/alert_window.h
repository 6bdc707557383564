#pragma once
// The runner's alert window: never shown, it is what the bubble's soft keys, the main
// program's reminder screen, the one-second tick and the phone-state watch talk to. It
// performs the item's action (the bubble, the main program's reminder view, or a program
// kept running), plays the sound, vibrates, blinks the LED, repeats and snoozes, and ends
// the run when it is dismissed. When the reminder view does not come (see
// runner/reminder_screen.h), the runner alerts with its own bubble instead, for the rest of
// the run.

#include "alert/alert_volume.h"
#include "alert/sound_player.h"
#include "alert/vibrate.h"
#include "platform/handle.h"
#include "platform/windows.h"
#include "runner/reminder_screen.h"
#include "runner/reminder_text.h"
#include "runner/startup.h"
#include "store/settings.h"
#include "ui/bubble.h"

#include <QObject>
#include <QTimer>
#include <QUuid>
#include <memory>
#include <string>

class QEventLoop;
class QWidget;

namespace runner {

// Other programs find the window by the class "EventsClass" + the runner's argument
// ("EventsClassa05") and the title " Reminder".
inline constexpr std::u16string_view kAlertWindowClassPrefix = u"EventsClass";
inline constexpr std::u16string_view kAlertWindowTitle = u" Reminder";
[[nodiscard]] std::u16string alertWindowClass(std::u16string_view argument);

// WM_COMMAND identifiers: the bubble's soft keys and link, and the main program's choices.
inline constexpr UINT kDismissCommand = 200;
inline constexpr UINT kSnoozeCommand = 201;
inline constexpr UINT kOpenInMainProgramCommand = 202;

// The alert window's private messages. Other programs and the window's own threads send
// them by number, so the values never change.
enum class AlertMessage : UINT {
    PhoneState = WM_USER + 5,  // wParam the new "Status", lParam the user value
    StateQuery = WM_USER + 40, // answered with encodeAlertState
};

// The phone state arrives as this message: wParam the new "Status", lParam the user value.
inline constexpr UINT kPhoneStateMessage = static_cast<UINT>(AlertMessage::PhoneState);
inline constexpr LPARAM kPhoneStateUserValue = 69;
inline constexpr const char16_t* kPhoneStateKey = u"System\\State\\Phone"; // HKEY_LOCAL_MACHINE
inline constexpr const char16_t* kPhoneStatusValue = u"Status";
// Status bits of a call coming in or going on.
inline constexpr DWORD kCallStatusBits = 0x10000 | 0x8000 | 0x20000000 | 0x20000;

inline constexpr int kSnoozeSeconds = 300;
inline constexpr int kTickMs = 1000;

// The owner of the runner's bubbles.
[[nodiscard]] QUuid bubbleOwner();

// The alert as it stands, for tests and diagnosis: the answer to kAlertStateQuery.
inline constexpr UINT kAlertStateQuery = static_cast<UINT>(AlertMessage::StateQuery);
struct AlertState {
    bool bubbleOpen = false;   // the bubble is up and open
    bool bubbleIconic = false; // the bubble is up, folded to its icon
    bool bubbleHasSoftKeys = false; // the bubble up is the runner's own, with Dismiss and Snooze
    bool soundPlaying = false; // inside the sound loop
    bool snoozePending = false;
    bool volumeRaised = false;
    int alertsShown = 0;       // ShowAlert so far (0-255)
    int playsStarted = 0;      // plays of the sound so far (0-65535)
};
[[nodiscard]] LRESULT encodeAlertState(const AlertState& state);
[[nodiscard]] AlertState decodeAlertState(LRESULT answer);

// Whether the device's sound profile is "vibrate" (ShellOverrides "Mode" 1).
[[nodiscard]] bool deviceInVibrateMode();

struct AlertSetup {
    DueItem item;
    store::AlertSettings settings;
    bool vibrate = false;           // the settings ask for it, or the device is in vibrate mode
    DWORD language = 0;             // of the bubble's texts
    std::u16string mainProgramPath; // the installation folder + "Tickwell Pro.exe"; empty
                                    // when it is unknown (the runner alerts on its own)
    std::u16string ownPath;         // what snooze wake-ups start
};

class PhoneStateWatch;

class AlertWindow final : public QObject {
    Q_OBJECT
public:
    // Raises the alert volume and, when the alert sounds, begins the first play at once;
    // the window and the rest follow.
    explicit AlertWindow(AlertSetup setup);
    ~AlertWindow() override;
    AlertWindow(const AlertWindow&) = delete;
    AlertWindow& operator=(const AlertWindow&) = delete;

    // Shows the alert and, for the bubble and the reminder view, starts the tick and the
    // sound loop (whose first play the constructor began). Call it from the event loop.
    void start();
    // Ends the alert from outside (the session ends): as Dismiss does, so the volume, the
    // LED and the snooze are given back.
    void end() { dismiss(); }

    [[nodiscard]] HWND handle() const { return m_handle; }
    [[nodiscard]] bool destroyed() const { return m_destroyed; }
    [[nodiscard]] AlertState state() const;
    // The bubble as last added or updated.
    [[nodiscard]] const ui::BubbleSpec& bubble() const { return m_bubble; }

private:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void showAlert();
    [[nodiscard]] bool showReminderScreen();
    void showOwnBubble();
    void fallBackToOwnBubble();
    void runProgram();
    void startSound();
    // The pause after a play: this thread's events run meanwhile, and endPause cuts it short.
    void pauseBetweenPlays(int seconds);
    void endPause();
    void repeatLater(int minutes);
    void tick();
    void dismiss();
    void snooze();
    void openInMainProgram();
    void phoneStateChanged(DWORD status);
    void destroyWindow();

    void switchLedOn();
    void switchLedOff();
    [[nodiscard]] std::uint32_t registerSnoozeWakeUp(int seconds) const;
    void clearPendingSnooze();
    void removeBubble();
    // The bubble's identity: owned by the runner, named and answered by this window.
    [[nodiscard]] ui::BubbleSpec newBubble() const;
    // True when it started; `process` (when given) receives its handle, or null.
    [[nodiscard]] bool startMainProgram(const std::u16string& parameters, HANDLE* process = nullptr) const;

    AlertSetup m_setup;
    std::u16string m_html;
    std::unique_ptr<QWidget> m_window;
    HWND m_handle = nullptr;
    ui::BubbleSpec m_bubble;
    bool m_bubbleUp = false;

    alert::SoundPlayer m_player;
    alert::STAsyncTimerVibrate m_vibrate;
    alert::AlertVolume m_volume;
    std::unique_ptr<PhoneStateWatch> m_phoneWatch;
    std::unique_ptr<ReminderScreenWatch> m_reminderScreen;
    bool m_ownBubble = false; // the reminder view failed once: the runner's bubble from now on
    QTimer m_tick;
    platform::UniqueHandle m_snoozeActive;

    bool m_soundPlaying = false;
    bool m_inSoundLoop = false;
    QEventLoop* m_pause = nullptr; // the pause between plays, while it lasts
    int m_tickCounter = 0;
    int m_playsLeft = 0;
    int m_repetitionsLeft = 0;
    int m_repetitionsCopy = 0;
    bool m_snoozePending = false;
    std::uint32_t m_snoozeHandle = 0;
    bool m_silentRepeatWaiting = false;
    HANDLE m_led = nullptr;
    bool m_dismissed = false;
    bool m_destroyed = false;
    int m_alertsShown = 0;
    int m_playsStarted = 0;
};

} // namespace runner

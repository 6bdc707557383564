#pragma once
// The main program's reminder screen as the runner sees it. For an item that shows a plug-in
// view the runner starts the main program with "n" + its argument; the screen then forwards
// the user's choice (Dismiss, Snooze, Go to...) to the runner's window. An alarm must never
// go silent because that screen did not come: the watch tells the runner to alert with its
// own bubble when the screen has not appeared within kReminderScreenTimeoutMs, or when the
// screen or the program went away without a choice reaching the runner.

#include "platform/handle.h"
#include "platform/types.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace runner {

// The main program's reminder window: class "Tickwell Pro" + the runner's argument
// ("Tickwell Proa05"), title "Tickwell Pro Reminder".
inline constexpr std::u16string_view kReminderScreenClassPrefix = u"Tickwell Pro";
inline constexpr std::u16string_view kReminderScreenTitle = u"Tickwell Pro Reminder";
[[nodiscard]] std::u16string reminderScreenClass(std::u16string_view argument);

// How long the main program has to show its reminder window after it was started.
inline constexpr int kReminderScreenTimeoutMs = 4000;
// How often the watch looks for the window.
inline constexpr int kReminderScreenLookMs = 200;

class ReminderScreenWatch final : public QObject {
    Q_OBJECT
public:
    // `process` is the started main program's handle (taken over and closed here), or null
    // when no handle came back, in which case only the window is watched. `fallBack` is
    // called at most once, from the event loop; the watch is idle afterwards. Do not delete
    // the watch from inside `fallBack`.
    ReminderScreenWatch(std::u16string argument, HANDLE process, std::function<void()> fallBack);
    ~ReminderScreenWatch() override;
    ReminderScreenWatch(const ReminderScreenWatch&) = delete;
    ReminderScreenWatch& operator=(const ReminderScreenWatch&) = delete;

private:
    void look();
    void processEnded();
    void fallBack();

    std::u16string m_class;
    platform::UniqueHandle m_process;
    std::unique_ptr<QSocketNotifier> m_processEnd;
    QTimer m_look;
    QElapsedTimer m_sinceStart;
    bool m_processGone = false;
    bool m_screenSeen = false;
    bool m_done = false;
    std::function<void()> m_fallBack;
};

} // namespace runner

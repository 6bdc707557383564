#include "runner/reminder_screen.h"

#include "platform/handle.h"
#include "platform/process_handle.h"
#include "platform/windows.h"

#include <QSocketNotifier>

namespace runner {

std::u16string reminderScreenClass(std::u16string_view argument)
{
    return std::u16string(kReminderScreenClassPrefix) + std::u16string(argument);
}

ReminderScreenWatch::ReminderScreenWatch(std::u16string argument, HANDLE process, std::function<void()> fallBack)
    : m_class(reminderScreenClass(argument))
    , m_process(process)
    , m_fallBack(std::move(fallBack))
{
    m_sinceStart.start();
    // The program's end is news at once; the window is only looked for now and then.
    if (const auto* object = platform::handleObject<platform::ProcessObject>(m_process.get())) {
        m_processEnd = std::make_unique<QSocketNotifier>(object->pidfd(), QSocketNotifier::Read);
        connect(m_processEnd.get(), &QSocketNotifier::activated, this, &ReminderScreenWatch::processEnded);
    }
    m_look.setInterval(kReminderScreenLookMs);
    connect(&m_look, &QTimer::timeout, this, &ReminderScreenWatch::look);
    m_look.start();
}

ReminderScreenWatch::~ReminderScreenWatch()
{
    m_processEnd.reset(); // before the descriptor it watches goes
}

void ReminderScreenWatch::look()
{
    if (m_done)
        return;
    const std::u16string title(kReminderScreenTitle);
    if (FindWindowW(m_class.c_str(), title.c_str())) {
        // The screen is up. A program that handed the reminder to a screen already showing
        // it has ended by now; that screen is the one to watch.
        m_screenSeen = true;
        return;
    }
    // A choice reaches the runner before the screen closes (it is sent and answered first),
    // so a screen gone now went without one: closed from outside, or the program died.
    if (m_screenSeen || m_processGone || m_sinceStart.elapsed() >= kReminderScreenTimeoutMs)
        fallBack();
}

void ReminderScreenWatch::processEnded()
{
    m_processEnd->setEnabled(false);
    m_processGone = true;
    look();
}

void ReminderScreenWatch::fallBack()
{
    m_done = true;
    m_look.stop();
    if (m_processEnd)
        m_processEnd->setEnabled(false);
    // From the event loop, and not at all when the watch is gone by then (a choice came).
    QMetaObject::invokeMethod(this, m_fallBack, Qt::QueuedConnection);
}

} // namespace runner

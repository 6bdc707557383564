#pragma once
// The "Timer Settings" window of one timer: its name, its initial value and what it does
// when it ends (the action panel: the notification window, a clock face or a program, the
// sound with repeats, pauses and a preview). "Reset" puts the sound and the initial value
// back to their defaults and keeps the name. And the "Initial Value" dialog that a tap on
// the countdown of a stopped timer opens.

#include "app/action_panel.h"
#include "timers/timer_board.h"
#include "timers/timer_record.h"

#include <QDialog>
#include <QStringList>
#include <QTime>

class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace app {

// What "OK" of the settings window stores in a timer.
struct TimerChoice {
    timers::TimerSettings settings;
    QTime initialValue; // hour, minute and second of the initial value
};

class TimerSettingsWindow final : public QDialog {
    Q_OBJECT
public:
    // `soundPath` is the timer's sound file (timers::readTimerSound); `faces` the installed
    // clock faces in view order.
    TimerSettingsWindow(QWidget* parent, const timers::TimerRecord& timer, const std::u16string& soundPath,
        const QStringList& faces);
    ~TimerSettingsWindow() override;

    // What "OK" stores; valid once the window was accepted.
    [[nodiscard]] const TimerChoice& chosen() const { return m_chosen; }

    [[nodiscard]] ActionPanel* actionPanel() const { return m_panel; }
    [[nodiscard]] QLineEdit* nameField() const { return m_name; }
    [[nodiscard]] QTimeEdit* initialValueField() const { return m_initial; }
    [[nodiscard]] QPushButton* resetButton() const { return m_reset; }

    // "OK": takes the choices, or keeps the window open on a path that names nothing.
    void accept() override;
    void done(int result) override;
    // "Reset": the default sound, "once", "1 second" and 00:00:00; the name stays.
    void ResetSettings();

private:
    TimerChoice m_chosen;
    ActionPanel* m_panel = nullptr;
    QLineEdit* m_name = nullptr;
    QTimeEdit* m_initial = nullptr;
    QPushButton* m_reset = nullptr;
};

// The "Initial Value" dialog: hours, minutes and seconds to count down from.
class InitialValueDialog final : public QDialog {
    Q_OBJECT
public:
    InitialValueDialog(QWidget* parent, QTime value);
    [[nodiscard]] QTime value() const;
    [[nodiscard]] QTimeEdit* field() const { return m_time; }

private:
    QTimeEdit* m_time = nullptr;
};

// The name a timer record holds, without its terminating zero.
[[nodiscard]] QString timerName(const timers::TimerRecord& timer);
// The fields of a timer that the action panel edits.
[[nodiscard]] ActionFields actionFieldsOf(const timers::TimerRecord& timer, const std::u16string& soundPath);

} // namespace app

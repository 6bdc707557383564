#pragma once
// The "Alarm Settings" window of one alarm: what it does when it rings (the notification
// window, a clock face, or a program), its sound with repeats and pauses and a preview,
// and the repeating alarm.

#include "alarms/alarm_board.h"
#include "app/action_panel.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ui {
class SoundChooser;
}

namespace app {

class AlarmSettingsWindow final : public QDialog {
    Q_OBJECT
public:
    // `faces` are the installed clock faces in view order.
    AlarmSettingsWindow(QWidget* parent, int alarm, const alarms::AlarmSettings& current, const QStringList& faces);
    ~AlarmSettingsWindow() override;

    // What "OK" stores; valid once the window was accepted.
    [[nodiscard]] const alarms::AlarmSettings& chosen() const { return m_chosen; }

    // The controls, for the view and for tests.
    [[nodiscard]] ActionPanel* actionPanel() const { return m_panel; }
    [[nodiscard]] QComboBox* actionList() const { return m_panel->actionList(); }
    [[nodiscard]] ui::SoundChooser* soundChooser() const { return m_panel->soundChooser(); }
    [[nodiscard]] QComboBox* repeatList() const { return m_panel->repeatList(); }
    [[nodiscard]] QComboBox* pauseList() const { return m_panel->pauseList(); }
    [[nodiscard]] QPushButton* testButton() const { return m_panel->testButton(); }
    [[nodiscard]] QCheckBox* repeatingAlarm() const { return m_repeatingAlarm; }
    [[nodiscard]] QComboBox* repeatCountList() const { return m_repeatCount; }
    [[nodiscard]] QComboBox* repeatIntervalList() const { return m_repeatInterval; }
    [[nodiscard]] QLineEdit* programPath() const { return m_panel->programPath(); }
    [[nodiscard]] QLineEdit* programArgs() const { return m_panel->programArgs(); }
    [[nodiscard]] QComboBox* keepAwakeList() const { return m_panel->keepAwakeList(); }
    [[nodiscard]] bool previewing() const { return m_panel->previewing(); }

    // "OK": takes the choices, or keeps the window open on a path that names nothing.
    void accept() override;
    void done(int result) override;

private:
    alarms::AlarmSettings m_chosen;
    ActionPanel* m_panel = nullptr;
    QCheckBox* m_repeatingAlarm = nullptr;
    QComboBox* m_repeatCount = nullptr;
    QComboBox* m_repeatInterval = nullptr;
};

} // namespace app

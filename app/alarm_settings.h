#pragma once
// The "Alarm Settings" window of one alarm: what it does when it rings (the notification
// window, a clock face, or a program), its sound with repeats and pauses and a preview,
// and the repeating alarm.

#include "alarms/alarm_board.h"

#include <QDialog>
#include <QStringList>
#include <initializer_list>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace platform {
struct ScreenLayout;
}

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
    [[nodiscard]] QComboBox* actionList() const { return m_action; }
    [[nodiscard]] ui::SoundChooser* soundChooser() const { return m_sound; }
    [[nodiscard]] QComboBox* repeatList() const { return m_repeat; }
    [[nodiscard]] QComboBox* pauseList() const { return m_pause; }
    [[nodiscard]] QPushButton* testButton() const { return m_test; }
    [[nodiscard]] QCheckBox* repeatingAlarm() const { return m_repeatingAlarm; }
    [[nodiscard]] QComboBox* repeatCountList() const { return m_repeatCount; }
    [[nodiscard]] QComboBox* repeatIntervalList() const { return m_repeatInterval; }
    [[nodiscard]] QLineEdit* programPath() const { return m_path; }
    [[nodiscard]] QLineEdit* programArgs() const { return m_args; }
    [[nodiscard]] QComboBox* keepAwakeList() const { return m_keepAwake; }
    [[nodiscard]] bool previewing() const { return m_previewing; }

    // "OK": takes the choices, or keeps the window open on a path that names nothing.
    void accept() override;
    void done(int result) override;

private:
    // Lays the window out for the device's screen: it covers the work area, its labels go
    // above their fields where the screen is too narrow for both side by side, and a list
    // whose entries do not fit its field turns to a condensed face.
    void fitScreen(
        const platform::ScreenLayout& screen, std::initializer_list<QFormLayout*> forms, QHBoxLayout* pauseRow);
    void actionChosen();
    void pathEdited();
    void browse();
    void test();

    alarms::AlarmSettings m_chosen;
    QStringList m_faces;
    QComboBox* m_action = nullptr;
    QWidget* m_soundPanel = nullptr;
    ui::SoundChooser* m_sound = nullptr;
    QComboBox* m_repeat = nullptr;
    QComboBox* m_pause = nullptr;
    QPushButton* m_test = nullptr;
    QCheckBox* m_repeatingAlarm = nullptr;
    QComboBox* m_repeatCount = nullptr;
    QComboBox* m_repeatInterval = nullptr;
    QWidget* m_programPanel = nullptr;
    QLineEdit* m_path = nullptr;
    QLabel* m_argsLabel = nullptr;
    QLineEdit* m_args = nullptr;
    QComboBox* m_keepAwake = nullptr;
    bool m_previewing = false;
    bool m_stopPreview = false;
};

// Whether a device path names a program (its parameters then mean something).
[[nodiscard]] bool isProgramPath(std::u16string_view devicePath);
// Whether a device path names a file that exists: a program or a document to open.
[[nodiscard]] bool namesExistingFile(std::u16string_view devicePath);

} // namespace app

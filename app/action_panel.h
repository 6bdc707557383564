#pragma once
// What an alarm, a timer and an event do when they ring, as their settings windows edit it:
// the action list (the notification window, each installed clock face, "Execute..."), the
// sound with its repeats and pauses and a "Test"/"Stop" preview (notification and faces),
// and the program panel with its path, parameters and keep-awake time ("Execute...").
//
// Using it from a settings window:
//   - make it with the record's ActionFields and the installed faces, add it to the body;
//   - add record-specific rows under the sound (the alarm's repeating alarm) to soundForm();
//     they show and hide with the sound;
//   - lay the window out with fitScreen(screen, bodyWidth, windowForm): the panel's forms and
//     the window's own form share one label column, and the panel's lists fit their fields;
//   - on "OK", takeChoices(window): the fields to store, or nothing after telling the user
//     the path is invalid ("Invalid path"), in which case the window stays open and stores
//     nothing;
//   - on any close, stopPreview() (a preview pumps the window's events while it plays);
//   - reset() puts the sound, repeat and pause back to their defaults.

#include "ui/dialog_page.h"

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QComboBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class SoundChooser;
}

namespace app {

// The action kinds the records store.
inline constexpr std::uint32_t kActionNotification = 0;
inline constexpr std::uint32_t kActionPluginView = 1; // programPath holds the face's name
inline constexpr std::uint32_t kActionProgram = 2;    // programPath holds the program or document

inline constexpr int kProgramArgsLimit = 259; // the records' 260 characters with their zero
inline constexpr int kProgramPathLimit = 259;

// The fields the three records share.
struct ActionFields {
    std::uint32_t actionKind = kActionNotification;
    std::u16string programPath;
    std::u16string programArgs;       // kind 2, programs only
    std::uint32_t keepAwakeIndex = 0; // kind 2
    std::uint32_t soundIndex = 0;     // kinds 0 and 1: position in the sound chooser; 0 none
    std::u16string soundPath;         // kinds 0 and 1
    std::uint8_t repeatIndex = 0;
    std::uint8_t pauseIndex = 0;
};

// What a device path names.
enum class ProgramPathKind { Invalid, Program, Document };
// Invalid when the path is not absolute ("\...") or names no file; Program for ".exe".
[[nodiscard]] ProgramPathKind CheckProgramPath(std::u16string_view devicePath);
// Whether a device path names a program (its parameters then mean something).
[[nodiscard]] bool isProgramPath(std::u16string_view devicePath);
// Whether a device path names a file that exists: a program or a document to open.
[[nodiscard]] bool namesExistingFile(std::u16string_view devicePath);

class ActionPanel final : public QWidget {
    Q_OBJECT
public:
    // `faces` are the installed clock faces in view order. A face the record shows that is
    // gone keeps its entry, so that "OK" changes nothing the user did not touch.
    ActionPanel(QWidget* parent, const ActionFields& current, const QStringList& faces);
    ~ActionPanel() override;

    [[nodiscard]] QFormLayout* actionForm() const { return m_actionForm; }
    [[nodiscard]] QFormLayout* soundForm() const { return m_soundForm; }
    [[nodiscard]] QFormLayout* programForm() const { return m_programForm; }
    // Puts the labels of the panel's forms and of `windowForm` (if any) beside their fields
    // where all fit in `bodyWidth`, else above them; every list of the panel (rows added to
    // soundForm included) as wide as its field, the pause list leaving room for "Test", and
    // condensed where its entries do not fit. Answers the width the fields got.
    ui::FormsFit fitScreen(const ui::ScreenGeometry& screen, int bodyWidth, QFormLayout* windowForm = nullptr);

    // The fields as chosen (those of the other kinds as they came), or nothing when "Execute..." names no file: the user was told
    // ("Invalid path") over `messageParent`.
    [[nodiscard]] std::optional<ActionFields> takeChoices(QWidget* messageParent);
    // The sound chooser to the default sound, "once" and "1 second".
    void reset();
    // Ends a playing preview at its next step.
    void stopPreview() { m_stopPreview = true; }

    // The controls, for the windows and for tests.
    [[nodiscard]] QComboBox* actionList() const { return m_action; }
    [[nodiscard]] ui::SoundChooser* soundChooser() const { return m_sound; }
    [[nodiscard]] QComboBox* repeatList() const { return m_repeat; }
    [[nodiscard]] QComboBox* pauseList() const { return m_pause; }
    [[nodiscard]] QPushButton* testButton() const { return m_test; }
    [[nodiscard]] QLineEdit* programPath() const { return m_path; }
    [[nodiscard]] QLineEdit* programArgs() const { return m_args; }
    [[nodiscard]] QComboBox* keepAwakeList() const { return m_keepAwake; }
    [[nodiscard]] bool previewing() const { return m_previewing; }
    [[nodiscard]] bool executes() const;

    // "Test": plays the sound as chosen; while it plays, "Stop" ends it.
    void PreviewSound();

private:
    void actionChosen();
    void pathEdited();
    void browse();

    ActionFields m_current;
    QStringList m_faces;
    QHBoxLayout* m_pauseRow = nullptr;
    QFormLayout* m_actionForm = nullptr;
    QFormLayout* m_soundForm = nullptr;
    QFormLayout* m_programForm = nullptr;
    QComboBox* m_action = nullptr;
    QWidget* m_soundPanel = nullptr;
    ui::SoundChooser* m_sound = nullptr;
    QComboBox* m_repeat = nullptr;
    QComboBox* m_pause = nullptr;
    QPushButton* m_test = nullptr;
    QWidget* m_programPanel = nullptr;
    QLineEdit* m_path = nullptr;
    QLabel* m_argsLabel = nullptr;
    QLineEdit* m_args = nullptr;
    QComboBox* m_keepAwake = nullptr;
    bool m_previewing = false;
    bool m_stopPreview = false;
};

} // namespace app

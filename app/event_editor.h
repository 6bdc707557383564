#pragma once
// The event editor: the settings window in event mode. It edits a working copy of one event
// (events::EventEditor): its name, date and time, note, what it does when it reminds (the
// shared ActionPanel) and how often it reminds ("Remind:", with the sound). "OK" checks the
// fields and copies them into the working copy; the Events view then stores it.

#include "events/event_list.h"
#include "events/event_notes.h"

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>

class QComboBox;
class QPushButton;

namespace ui {
class DatePicker;
class InputBox;
class TimePicker;
}

namespace app {

class ActionPanel;

class EventEditorWindow final : public QDialog {
    Q_OBJECT
public:
    // Stores a note for the working copy (the view's SaveNote under the events' edit).
    using NoteSaver = std::function<events::NoteOutcome(events::EventRecord&, std::u16string_view)>;

    // `now` is where the pickers of a new event start; `faces` the installed clock faces.
    EventEditorWindow(QWidget* parent, const events::EventEditor& editor, const SYSTEMTIME& now,
        const QStringList& faces, NoteSaver saveNote);
    ~EventEditorWindow() override;

    // Valid once the window was accepted: the working copy with the fields as chosen, the
    // event's moment (local) and, for the kinds that sound, the sound path to store.
    [[nodiscard]] const events::EventEditor& editor() const { return m_editor; }
    [[nodiscard]] const SYSTEMTIME& eventMoment() const { return m_moment; }
    [[nodiscard]] const std::u16string& soundPath() const { return m_soundPath; }

    // The controls, for the view and for tests.
    [[nodiscard]] ui::InputBox* nameField() const { return m_name; }
    [[nodiscard]] QPushButton* noteButton() const { return m_note; }
    [[nodiscard]] ui::DatePicker* datePicker() const { return m_date; }
    [[nodiscard]] ui::TimePicker* timePicker() const { return m_time; }
    [[nodiscard]] QComboBox* remindList() const { return m_remind; }
    [[nodiscard]] ActionPanel* actionPanel() const { return m_actions; }

    // "Note": the note window on the working copy; a new note number reaches the event only
    // with "OK".
    void editNote();
    // "OK": takes the fields, or keeps the window open on a path that names nothing.
    void accept() override;
    void done(int result) override;

private:
    void chooseDate();
    void chooseTime();

    events::EventEditor m_editor;
    QStringList m_faces;
    NoteSaver m_saveNote;
    SYSTEMTIME m_moment { };
    std::u16string m_soundPath;
    ui::InputBox* m_name = nullptr;
    QPushButton* m_note = nullptr;
    ui::DatePicker* m_date = nullptr;
    ui::TimePicker* m_time = nullptr;
    QComboBox* m_remind = nullptr;
    ActionPanel* m_actions = nullptr;
};

// Tells the user what a note that could not be stored went through (nothing when it was).
void tellNoteOutcome(QWidget* parent, events::NoteOutcome outcome);

} // namespace app

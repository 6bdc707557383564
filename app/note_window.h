#pragma once
// The note window: an event's free-text note in a multi-line box, with "OK", "Cancel" and
// "Clear". It only edits the text; its opener stores it (events::SaveNote) on "OK".

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace app {

class NoteWindow final : public QDialog {
    Q_OBJECT
public:
    NoteWindow(QWidget* parent, const QString& text);

    [[nodiscard]] QString text() const;
    [[nodiscard]] QPlainTextEdit* textBox() const { return m_text; }
    [[nodiscard]] QPushButton* clearButton() const { return m_clear; }

private:
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_clear = nullptr;
};

} // namespace app

#include "app/note_window.h"

#include "ui/dialog_page.h"
#include "ui/dialogs.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

NoteWindow::NoteWindow(QWidget* parent, const QString& text)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NoteWindow"));
    setWindowTitle(ui::text(ui::kNoteString));
    setModal(true);
    const auto screen = ui::ScreenGeometry::current();
    QVBoxLayout* layout = ui::newPageLayout(*this, screen);

    // "Clear" above the text: three buttons in a row are wider than the narrow screens.
    m_clear = new QPushButton(ui::text(ui::kClearString), this);
    m_clear->setObjectName(QStringLiteral("ClearNote"));
    auto* clearRow = new QHBoxLayout;
    clearRow->addStretch(1);
    clearRow->addWidget(m_clear);
    layout->addLayout(clearRow);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("NoteText"));
    m_text->setPlainText(text);
    // A note is prose: it wraps at the box's edge and never scrolls sideways.
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_text->clear();
        m_text->setFocus();
    });

    ui::coverWorkArea(*this, screen);
    m_text->moveCursor(QTextCursor::End);
    m_text->setFocus();
}

QString NoteWindow::text() const { return m_text->toPlainText(); }

} // namespace app

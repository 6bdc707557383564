#include "app/event_editor.h"

#include "app/action_panel.h"
#include "app/note_window.h"
#include "cities/view/time_and_location.h"
#include "events/event_record.h"
#include "platform/calendar.h"
#include "platform/locale.h"
#include "store/sound_path.h"
#include "ui/dialog_page.h"
#include "ui/dialogs.h"
#include "ui/input_box.h"
#include "ui/pickers.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"
#include "ui/time_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

bool hasBeenStored(const events::EventRecord& record) { return record.nextTime.dwHighDateTime != 0; }

ActionFields actionFieldsOf(const events::EventRecord& record)
{
    ActionFields fields;
    fields.actionKind = record.actionKind;
    fields.programPath = std::u16string(record.programPath, std::char_traits<char16_t>::length(record.programPath));
    fields.programArgs = std::u16string(record.programArgs, std::char_traits<char16_t>::length(record.programArgs));
    fields.keepAwakeIndex = record.keepAwakeIndex;
    fields.soundIndex = record.soundIndex;
    fields.soundPath = events::readEventSound(record.eventId).value_or(std::u16string(store::kDefaultSoundPath));
    fields.repeatIndex = record.repeatIndex;
    fields.pauseIndex = record.pauseIndex;
    return fields;
}

void copyText(char16_t (&into)[260], std::u16string_view text)
{
    std::fill(std::begin(into), std::end(into), u'\0');
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 259), into);
}

} // namespace

void tellNoteOutcome(QWidget* parent, events::NoteOutcome outcome)
{
    if (outcome == events::NoteOutcome::CannotCreate)
        ui::showMessage(parent, ui::text(ui::kCannotSaveNote), ui::MessageIcon::Error);
    else if (outcome == events::NoteOutcome::ShortWrite)
        ui::showMessage(parent, ui::text(ui::kCannotStoreNote), ui::MessageIcon::Error);
}

EventEditorWindow::EventEditorWindow(QWidget* parent, const events::EventEditor& editor, const SYSTEMTIME& now,
    const QStringList& faces, NoteSaver saveNote)
    : QDialog(parent)
    , m_editor(editor)
    , m_faces(faces)
    , m_saveNote(std::move(saveNote))
{
    // The settings window of timers, in event mode.
    setObjectName(QStringLiteral("Timer Settings"));
    setWindowTitle(ui::text(ui::kEventTitleString));
    const auto screen = ui::ScreenGeometry::current();
    const ui::ScrollingPage page = ui::newScrollingPage(*this, QStringLiteral("EventSettingsArea"), screen);
    QWidget* body = page.body;

    const events::EventRecord& record = m_editor.working;
    auto* own = new QFormLayout;
    m_name = new ui::InputBox(int(events::kMaxEventNameChars), ui::text(ui::kEventNameHint), body);
    m_name->setObjectName(QStringLiteral("EventName"));
    m_name->setText(ui::qText(events::eventName(record)));
    own->addRow(m_name);
    m_note = new QPushButton(ui::text(ui::kNoteString), body);
    m_note->setObjectName(QStringLiteral("NoteButton"));

    // A stored event shows its own moment; a new one starts at the present.
    SYSTEMTIME shown = now;
    if (hasBeenStored(record))
        (void)FileTimeToSystemTime(&record.eventTime, &shown);
    m_date = new ui::DatePicker(body);
    m_date->setObjectName(QStringLiteral("EventDate"));
    m_date->setValue(shown);
    own->addRow(ui::text(ui::kEventDateLabel), m_date);
    m_time = new ui::TimePicker(body);
    m_time->setObjectName(QStringLiteral("EventTime"));
    m_time->setPicture(platform::userLocale().use24Hour ? QStringLiteral("HH':'mm") : QStringLiteral("h':'mm' 'tt"));
    m_time->setValue(shown);
    // The note sits beside the time, which leaves the name its whole row.
    auto* timeRow = new QHBoxLayout;
    timeRow->setSpacing(screen.scaled(ui::kPageSpacingPx));
    timeRow->addWidget(m_time, 1);
    timeRow->addWidget(m_note);
    own->addRow(ui::text(ui::kEventTimeLabel), timeRow);
    page.layout->addLayout(own);

    m_actions = new ActionPanel(body, actionFieldsOf(record), m_faces);
    // A new event rings with the default sound until the user chooses another.
    if (!hasBeenStored(record))
        m_actions->reset();
    // How often it reminds belongs with the sound: an executing event happens once.
    m_remind = ui::newListBox(body, ui::list(ui::kRemindList));
    m_remind->setObjectName(QStringLiteral("RemindList"));
    m_remind->setCurrentIndex(std::clamp(int(record.recurrence), 0, m_remind->count() - 1));
    m_actions->soundForm()->addRow(ui::text(ui::kRemindLabel), m_remind);
    page.layout->addWidget(m_actions);

    ui::finishScrollingPage(*this, page);
    (void)m_actions->fitScreen(screen, ui::scrollingBodyWidth(*this, screen), own);
    ui::coverWorkArea(*this, screen);

    connect(m_note, &QPushButton::clicked, this, &EventEditorWindow::editNote);
    connect(m_date, &ui::DatePicker::activated, this, &EventEditorWindow::chooseDate);
    connect(m_time, &ui::TimePicker::activated, this, &EventEditorWindow::chooseTime);
}

EventEditorWindow::~EventEditorWindow() = default;

void EventEditorWindow::chooseDate()
{
    cities::DateDialog dialog(this, m_date->value());
    if (dialog.exec() == QDialog::Accepted)
        m_date->setValue(dialog.date());
}

void EventEditorWindow::chooseTime()
{
    const SYSTEMTIME value = m_time->value();
    const ui::TimeChoice choice = ui::chooseTime(
        this, ui::text(ui::kEventTimeLabel), value.wHour, value.wMinute, platform::userLocale().use24Hour);
    if (choice.confirmed)
        m_time->setTime(QTime(choice.hour, choice.minute));
}

void EventEditorWindow::editNote()
{
    NoteWindow note(this, ui::qText(events::LoadNote(m_editor.working)));
    if (note.exec() != QDialog::Accepted || !m_saveNote)
        return;
    tellNoteOutcome(this, m_saveNote(m_editor.working, note.text().toStdU16String()));
}

void EventEditorWindow::accept()
{
    const auto choices = m_actions->takeChoices(this);
    if (!choices)
        return; // the path names nothing: the user was told, the window stays open
    events::EventRecord& record = m_editor.working;
    events::setEventName(record, m_name->utf16Text());
    record.actionKind = choices->actionKind;
    copyText(record.programPath, choices->actionKind == kActionNotification ? u"" : choices->programPath);
    if (choices->actionKind == kActionProgram) {
        copyText(record.programArgs, choices->programArgs);
        record.keepAwakeIndex = choices->keepAwakeIndex;
        record.recurrence = events::kOnce; // an executing event happens once
        m_soundPath.clear();
    } else {
        copyText(record.programArgs, u"");
        record.soundIndex = choices->soundIndex;
        record.repeatIndex = choices->repeatIndex;
        record.pauseIndex = choices->pauseIndex;
        record.recurrence = std::uint32_t(std::max(0, m_remind->currentIndex()));
        m_soundPath = choices->soundPath;
    }
    // The reminder falls on the minute the user chose: the seconds the date picker started
    // with (the moment a new event was opened) would only delay it.
    m_moment = m_date->value();
    const SYSTEMTIME time = m_time->value();
    m_moment.wHour = time.wHour;
    m_moment.wMinute = time.wMinute;
    m_moment.wSecond = 0;
    m_moment.wMilliseconds = 0;
    QDialog::accept();
}

void EventEditorWindow::done(int result)
{
    m_actions->stopPreview();
    QDialog::done(result);
}

} // namespace app

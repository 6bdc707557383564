#include "app/events_view.h"

#include "app/event_editor.h"
#include "app/note_window.h"
#include "events/event_notes.h"
#include "events/event_record.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "store/data_edit.h"
#include "store/data_files.h"
#include "ui/dialogs.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"

#include <QEvent>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <sys/stat.h>

namespace app {

namespace {

constexpr int kWatchMs = 1000; // how often the current view looks for another program's change
constexpr int kNoteColumnPx = 20; // the note mark's column; a tap in it opens the note
const QString kNoteMark = QStringLiteral("\u270E");

// The next reminder as the device writes a date and a time: its short date picture and its
// hours and minutes (12- or 24-hour).
QString momentText(const FILETIME& moment)
{
    SYSTEMTIME time { };
    if ((moment.dwHighDateTime == 0 && moment.dwLowDateTime == 0) || !FileTimeToSystemTime(&moment, &time))
        return { };
    const auto& locale = platform::userLocale();
    const auto date = platform::formatPicture(time, locale.shortDatePicture, platform::PictureKind::Date, locale);
    const auto clock = platform::formatPicture(time,
        locale.use24Hour ? std::u16string_view(u"HH':'mm") : std::u16string_view(u"h':'mm' 'tt"),
        platform::PictureKind::Time, locale);
    if (!date || !clock)
        return QStringLiteral("%1-%2-%3 %4:%5").arg(time.wYear).arg(time.wMonth, 2, 10, QLatin1Char('0'))
            .arg(time.wDay, 2, 10, QLatin1Char('0')).arg(time.wHour, 2, 10, QLatin1Char('0'))
            .arg(time.wMinute, 2, 10, QLatin1Char('0'));
    return ui::qText(*date) + u' ' + ui::qText(*clock);
}

// Passes the taps on the list's note column to the view.
class NoteColumnTaps final : public QObject {
public:
    NoteColumnTaps(QTreeWidget* tree, int columnPx, std::function<void(int)> tapped)
        : QObject(tree)
        , m_tree(tree)
        , m_columnPx(columnPx)
        , m_tapped(std::move(tapped))
    {
        tree->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const QPoint where = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (where.x() >= m_columnPx)
            return false;
        const QModelIndex index = m_tree->indexAt(where);
        if (!index.isValid())
            return false;
        const int row = index.row();
        // After the tree's own release, so that the tap selects the row first.
        QTimer::singleShot(0, m_tree, [tapped = m_tapped, row] { tapped(row); });
        return false;
    }

private:
    QTreeWidget* m_tree;
    int m_columnPx;
    std::function<void(int)> m_tapped;
};

} // namespace

EventsFileStamp eventsFileStamp()
{
    EventsFileStamp stamp;
    const auto host = platform::hostPathOf(store::DataFilePath(store::kEventsFile));
    struct stat status { };
    if (!host || ::stat(host->c_str(), &status) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = std::uint64_t(status.st_size);
    stamp.inode = std::uint64_t(status.st_ino);
    stamp.modifiedNs = std::int64_t(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec;
    return stamp;
}

EventsView::EventsView(QWidget* screen, const ui::ScreenGeometry& geometry, events::EventList& list, QStringList faces)
    : View(6)
    , m_screen(screen)
    , m_geometry(geometry)
    , m_events(list)
    , m_faces(std::move(faces))
{
}

EventsView::~EventsView() { delete m_panel; }

void EventsView::build()
{
    delete m_panel;
    const auto& g = m_geometry;
    // Below the view selector's title, above the status bar.
    const int top = g.scaled(22);
    const int bottom = g.scaled(g.square || g.landscape ? 165 : 245);
    m_panel = new QWidget(m_screen);
    m_panel->setObjectName(QStringLiteral("EventsPanel"));
    m_panel->setGeometry(0, top, viewWidth(g), bottom - top);
    m_panel->setAutoFillBackground(true);
    m_panel->setFont(ui::suiteFont(ui::FontRole::Normal12, g));
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(g.scaled(2), g.scaled(2), g.scaled(2), g.scaled(2));
    layout->setSpacing(g.scaled(2));

    m_list = new ui::ListView(m_panel);
    m_list->setObjectName(QStringLiteral("EventsList"));
    m_list->setColumns({ QString(), QString(), QString() });
    m_list->setColumnWidth(0, g.scaled(kNoteColumnPx));
    layout->addWidget(m_list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(g.scaled(2));
    QFont small = m_panel->font();
    small.setPixelSize(g.scaled(11));
    const auto button = [&](unsigned string, const char* name) {
        auto* b = new QPushButton(ui::text(string), m_panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(small);
        b->setStyleSheet(QStringLiteral("padding: 0px 1px"));
        b->setPalette(m_screen->palette()); // the style sheet keeps the look's colours so
        buttons->addWidget(b, 1);
        return b;
    };
    m_new = button(ui::kNewEventString, "NewEvent");
    m_edit = button(ui::kEditEventString, "EditEvent");
    m_delete = button(ui::kDeleteEventString, "DeleteEvent");
    layout->addLayout(buttons);

    QObject::connect(m_new, &QPushButton::clicked, m_panel, [this] { newEvent(); });
    QObject::connect(m_edit, &QPushButton::clicked, m_panel, [this] { editSelected(); });
    QObject::connect(m_delete, &QPushButton::clicked, m_panel, [this] { deleteSelected(); });
    QObject::connect(m_list, &ui::ListView::rowChosen, m_panel, [this] { selectionChanged(); });
    QObject::connect(m_list, &ui::ListView::rowActivated, m_panel, [this] { editSelected(); });
    if (auto* tree = m_list->findChild<QTreeWidget*>()) {
        // The moments keep their whole width; the names take what is left and elide.
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(0, QHeaderView::Fixed);
        tree->header()->setSectionResizeMode(1, QHeaderView::Stretch);
        tree->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
        tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        new NoteColumnTaps(tree, g.scaled(kNoteColumnPx), [this](int row) { editNoteOf(row); });
    }

    m_watch = new QTimer(m_panel);
    m_watch->setInterval(kWatchMs);
    QObject::connect(m_watch, &QTimer::timeout, m_panel, [this] {
        if (!m_busy && eventsFileStamp() != m_stamp)
            refresh();
    });
}

void EventsView::fill()
{
    if (!m_panel)
        return;
    const std::uint32_t selected = selectedEventId();
    QList<QStringList> rows;
    int selectRow = -1;
    for (std::size_t index = 0; index < m_events.count(); ++index) {
        const auto& record = m_events.records[index];
        const QString name = ui::qText(events::eventName(record));
        rows.append({ record.noteId != 0 ? kNoteMark : QString(), name.isEmpty() ? ui::text(ui::kNoNameString) : name,
            momentText(record.nextTime) });
        if (selected != 0 && record.eventId == selected)
            selectRow = int(index);
    }
    m_list->setRows(rows);
    m_list->setCurrentRow(selectRow);
    selectionChanged();
}

void EventsView::selectionChanged()
{
    const bool chosen = m_list && m_list->currentRow() >= 0;
    m_edit->setEnabled(chosen);
    m_delete->setEnabled(chosen);
}

std::uint32_t EventsView::selectedEventId() const
{
    const int row = m_list ? m_list->currentRow() : -1;
    if (row < 0 || std::size_t(row) >= m_events.count())
        return 0;
    return m_events.records[std::size_t(row)].eventId;
}

std::optional<std::size_t> EventsView::indexOfEvent(std::uint32_t eventId) const
{
    for (std::size_t index = 0; index < m_events.count(); ++index)
        if (m_events.records[index].eventId == eventId)
            return index;
    return std::nullopt;
}

bool EventsView::reloadIfChanged(bool tell)
{
    const EventsFileStamp stamp = eventsFileStamp();
    if (m_loaded && stamp == m_stamp)
        return true;
    events::EventList fresh;
    if (!events::LoadEventsWithRetry(fresh)) {
        // An unreadable file is never saved over: the view keeps what it showed and
        // changes nothing until the file can be read.
        m_loaded = false;
        if (tell)
            ui::showMessage(m_screen->window(), ui::text(ui::kCorruptEvents), ui::MessageIcon::Error);
        return false;
    }
    m_events = std::move(fresh);
    m_stamp = stamp;
    m_loaded = true;
    return true;
}

std::optional<platform::EditLock> EventsView::beginEdit()
{
    auto edit = store::editDataFile(store::kEventsFile);
    if (!edit) {
        ui::showMessage(m_screen->window(), ui::text(ui::kEventsBusy), ui::MessageIcon::Warning);
        return std::nullopt;
    }
    if (!reloadIfChanged(true))
        return std::nullopt;
    return edit;
}

bool EventsView::activate()
{
    if (!m_panel)
        build();
    (void)reloadIfChanged(true);
    fill();
    m_panel->show();
    m_panel->raise();
    m_watch->start();
    return true;
}

void EventsView::leave()
{
    if (m_watch)
        m_watch->stop();
    if (m_panel)
        m_panel->hide();
}

void EventsView::refresh()
{
    if (m_busy)
        return;
    const bool wasLoaded = m_loaded;
    // Told once, when the file turns unreadable; the watch tries again quietly.
    if (reloadIfChanged(wasLoaded))
        fill();
}

void EventsView::paint(QPainter& painter, const ViewContext& context)
{
    painter.fillRect(context.area, m_screen->palette().window());
}

void EventsView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_geometry = geometry;
    if (!m_panel)
        return;
    const bool shown = m_panel->isVisible();
    build();
    fill();
    m_panel->setVisible(shown);
    if (shown)
        m_watch->start();
}

void EventsView::newEvent()
{
    if (!reloadIfChanged(true))
        return;
    const auto slot = events::NewEventSlot(m_events);
    const auto editor = slot ? events::OpenEditor(m_events, *slot) : std::nullopt;
    if (editor)
        openEditor(*editor, true);
}

void EventsView::editSelected()
{
    const std::uint32_t eventId = selectedEventId();
    if (eventId == 0 || !reloadIfChanged(true))
        return;
    const auto index = indexOfEvent(eventId);
    const auto editor = index ? events::OpenEditor(m_events, *index) : std::nullopt;
    if (editor)
        openEditor(*editor, false);
    else
        fill(); // another program deleted it meanwhile
}

void EventsView::openEditor(events::EventEditor editor, bool isNew)
{
    m_busy = true;
    const auto saveNote = [this](events::EventRecord& record, std::u16string_view text) {
        // The note number is handed out under the edit, from the header as it stands.
        const auto edit = beginEdit();
        if (!edit)
            return events::NoteOutcome::CannotCreate;
        return events::SaveNote(m_events.header, record, text);
    };
    EventEditorWindow window(m_screen->window(), editor, platform::localNow(), m_faces, saveNote);
    const bool confirmed = window.exec() == QDialog::Accepted;
    m_busy = false;
    if (!confirmed) {
        fill();
        return;
    }

    events::EventEditor chosen = window.editor();
    const auto edit = beginEdit();
    if (!edit) {
        fill();
        return;
    }
    // The file may have changed while the editor was open: the event goes where it now is,
    // and a new one to the end, under an identifier nobody else took meanwhile.
    std::optional<std::size_t> index = isNew ? std::nullopt : indexOfEvent(chosen.working.eventId);
    if (!index) {
        const auto slot = events::NewEventSlot(m_events);
        if (!slot) {
            fill();
            return;
        }
        chosen.working.eventId = m_events.records[*slot].eventId;
        chosen.working.hNotification = 0;
        index = slot;
    }
    chosen.index = *index;
    // A note written in the editor keeps its number from being handed out again.
    m_events.header.lastNoteId = std::max(m_events.header.lastNoteId, chosen.working.noteId);

    // The sound goes first, so that the runner never finds the event without it.
    bool soundStored = true;
    if (chosen.working.actionKind != events::kExecuteProgram)
        soundStored = events::writeEventSound(chosen.working.eventId, window.soundPath());
    FILETIME moment { };
    const bool validMoment = SystemTimeToFileTime(&window.eventMoment(), &moment);
    const auto outcome = validMoment ? events::ApplyEditor(m_events, chosen, moment, platform::localNow())
                                     : events::ApplyOutcome::InvalidIndex;
    m_stamp = eventsFileStamp();
    if (outcome != events::ApplyOutcome::Saved || !soundStored)
        ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveEvents), ui::MessageIcon::Error);
    fill();
    if (outcome != events::ApplyOutcome::InvalidIndex)
        m_list->setCurrentRow(int(*index));
    selectionChanged();
}

void EventsView::deleteSelected()
{
    const std::uint32_t eventId = selectedEventId();
    if (eventId == 0)
        return;
    m_busy = true;
    const auto answer = ui::showMessage(m_screen->window(), ui::text(ui::kDeleteEventQuestion),
        ui::MessageIcon::Question, ui::MessageButtons::YesNo);
    m_busy = false;
    if (answer != ui::MessageAnswer::Yes)
        return;
    const auto edit = beginEdit();
    if (!edit) {
        fill();
        return;
    }
    // By identifier: another program may have moved it in the list meanwhile.
    if (const auto index = indexOfEvent(eventId)) {
        if (!events::DeleteEvent(m_events, *index, platform::localNow()))
            ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveEvents), ui::MessageIcon::Error);
        m_stamp = eventsFileStamp();
    }
    fill();
}

void EventsView::editNoteOf(int row)
{
    if (row < 0 || std::size_t(row) >= m_events.count() || m_busy)
        return;
    const std::uint32_t eventId = m_events.records[std::size_t(row)].eventId;
    m_busy = true;
    NoteWindow note(m_screen->window(), ui::qText(events::LoadNote(m_events.records[std::size_t(row)])));
    const bool confirmed = note.exec() == QDialog::Accepted;
    m_busy = false;
    const auto edit = beginEdit();
    if (!edit) {
        fill();
        return;
    }
    const auto index = indexOfEvent(eventId);
    if (index) {
        if (confirmed)
            tellNoteOutcome(m_screen->window(),
                events::SaveNote(m_events.header, m_events.records[*index], note.text().toStdU16String()));
        if (!events::SaveEventsWithRetry(m_events))
            ui::showMessage(m_screen->window(), ui::text(ui::kCannotSaveEvents), ui::MessageIcon::Error);
        m_stamp = eventsFileStamp();
    }
    fill();
    if (index)
        m_list->setCurrentRow(int(*index));
    selectionChanged();
}

} // namespace app

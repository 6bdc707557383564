#pragma once
// The Events view: the user's events in the order they were made, each with its name (or
// "No Name"), its next reminder and a note mark, and "New...", "Edit..." and "Delete...".
// The list is the view's copy of events.dat. Every change is one edit of the file (its edit
// lock from the read to the save), made on the file as it stands: when another program (the
// runner moving an event on, tkwctl) rewrote it since the view read it, the view reads it
// again first, so that nothing the other program wrote is lost. While the view is current it
// also looks for such rewrites each second and shows them.

#include "app/view.h"
#include "events/event_list.h"

#include <QStringList>
#include <cstdint>
#include <optional>

class QPushButton;
class QTimer;
class QWidget;

namespace platform {
class EditLock;
}
namespace ui {
class ListView;
}

namespace app {

// What identifies one version of events.dat on disk (a missing file is a version too).
struct EventsFileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const EventsFileStamp&) const = default;
};
[[nodiscard]] EventsFileStamp eventsFileStamp();

class EventsView final : public View {
public:
    EventsView(QWidget* screen, const ui::ScreenGeometry& geometry, events::EventList& list, QStringList faces);
    ~EventsView() override;

    bool activate() override;
    void leave() override;
    // Reads events.dat again when another program rewrote it.
    void refresh() override;
    void reloadList() override { refresh(); }
    void paint(QPainter& painter, const ViewContext& context) override;
    void rebuild(const ui::ScreenGeometry& geometry) override;

    // The buttons and the list (row n shows event n).
    [[nodiscard]] ui::ListView* list() const { return m_list; }
    [[nodiscard]] QPushButton* newButton() const { return m_new; }
    [[nodiscard]] QPushButton* editButton() const { return m_edit; }
    [[nodiscard]] QPushButton* deleteButton() const { return m_delete; }
    [[nodiscard]] QWidget* panel() const { return m_panel; }

    // The user's actions (the buttons call these; tests too). The editor and the note
    // window are modal.
    void newEvent();
    void editSelected();
    void deleteSelected();
    // The note window on the event of `row` itself (a tap on its note column).
    void editNoteOf(int row);

private:
    void build();
    void fill();
    void selectionChanged();
    // Loads the list when it is not loaded yet or events.dat changed since; false when the
    // file could not be read (the user was told when `tell`).
    bool reloadIfChanged(bool tell);
    // The edit of events.dat with the list as the file now stands; nothing (the user was
    // told) when another program kept it or the file is unreadable.
    [[nodiscard]] std::optional<platform::EditLock> beginEdit();
    void openEditor(events::EventEditor editor, bool isNew);
    [[nodiscard]] std::optional<std::size_t> indexOfEvent(std::uint32_t eventId) const;
    [[nodiscard]] std::uint32_t selectedEventId() const;

    QWidget* m_screen;
    ui::ScreenGeometry m_geometry;
    events::EventList& m_events;
    QStringList m_faces;
    bool m_loaded = false;
    bool m_busy = false; // a dialog of the view is open: the watch waits
    EventsFileStamp m_stamp;
    QWidget* m_panel = nullptr;
    ui::ListView* m_list = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    QTimer* m_watch = nullptr;
};

} // namespace app

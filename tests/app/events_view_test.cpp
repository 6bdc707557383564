// The Events view, the event editor and the note window, headless on a device of the test's
// own: what the editor's "OK" stores and registers, what a deletion removes, the editor's
// checks, and tkwctl as a second program changing events.dat while the view is open.

#include "app/action_panel.h"
#include "app/main_window.h"
#include "app/event_editor.h"
#include "app/events_view.h"
#include "app/note_window.h"
#include "events/event_list.h"
#include "events/event_notes.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/files.h"
#include "platform/notifications.h"
#include "store/data_files.h"
#include "store/language.h"
#include "store/settings.h"
#include "store/sound_path.h"
#include "tests/support/child_process.h"
#include "tests/support/device_fixture.h"
#include "tests/support/shipped_look.h"
#include "tests/support/sound_capture.h"
#include "tests/app/gui_helpers.h"
#include "ui/headless.h"
#include "ui/input_box.h"
#include "ui/list_view.h"
#include "ui/pickers.h"
#include "ui/screen_geometry.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <functional>
#include <set>
#include <tuple>
#include <gtest/gtest.h>

namespace {

using app_testing::answerModal;

constexpr std::uint64_t kTicksPerDay = 864'000'000'000ULL;

// The text of the message box `action` shows, answered with `button`; empty when none showed.
QString messageDuring(const std::function<void()>& action, QMessageBox::StandardButton button)
{
    QString text;
    (void)answerModal(action, [&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr) << modal.metaObject()->className();
        text = box->text();
        box->button(button)->click();
    });
    return text;
}

SYSTEMTIME daysAhead(int days, int hour, int minute)
{
    SYSTEMTIME now = platform::localNow();
    auto moment = *platform::systemTimeOfTicks(*platform::ticksOfSystemTime(now) + std::uint64_t(days) * kTicksPerDay);
    moment.wHour = WORD(hour);
    moment.wMinute = WORD(minute);
    moment.wSecond = 0;
    moment.wMilliseconds = 0;
    return moment;
}

std::u16string runnerArgumentOf(DWORD handle)
{
    const std::string digits = std::to_string(handle);
    return u"e" + std::u16string(digits.begin(), digits.end());
}

bool dataFileExists(std::u16string_view name) { return platform::fileExists(store::DataFilePath(name)); }

events::EventList onDisk()
{
    events::EventList list;
    EXPECT_TRUE(events::LoadEvents(list));
    return list;
}

class EventsViewTest : public testing_support::DeviceTest {
protected:
    EventsViewTest()
    {
        EXPECT_TRUE(testing_support::installShippedLook());
        EXPECT_TRUE(store::createDataDirectory());
        // The default sound a new event starts with.
        std::filesystem::create_directories(*platform::hostPathOf(u"\\Windows"));
        testing_support::writeTone(*platform::hostPathOf(u"\\Windows\\Alarm1.wav"), 0.1, 660, 0.4);
        (void)store::LoadSettings();
        store::setCurrentLanguage(store::kEnglish);
        const auto geometry = ui::ScreenGeometry::current();
        m_screen.resize(geometry.width, geometry.height);
        m_view = std::make_unique<app::EventsView>(&m_screen, geometry, m_list, QStringList {});
        m_screen.show();
        EXPECT_TRUE(m_view->activate());
    }

    // Fills the editor that `open` shows: name, moment, an optional note through its "Note"
    // button, and `more` for anything else; then "OK".
    void confirmEditor(const std::function<void()>& open, const QString& name, const SYSTEMTIME& moment,
        const QString& note = {}, const std::function<void(app::EventEditorWindow&)>& more = {})
    {
        const bool opened = answerModal(open, [&](QWidget& modal) {
            auto& editor = dynamic_cast<app::EventEditorWindow&>(modal);
            editor.nameField()->setText(name);
            editor.datePicker()->setValue(moment);
            editor.timePicker()->setTime(QTime(moment.wHour, moment.wMinute));
            if (!note.isEmpty()) {
                EXPECT_TRUE(answerModal([&] { editor.noteButton()->click(); }, [&](QWidget& window) {
                    auto& noteWindow = dynamic_cast<app::NoteWindow&>(window);
                    noteWindow.textBox()->setPlainText(note);
                    noteWindow.accept();
                }));
            }
            if (more)
                more(editor);
            editor.accept();
        });
        ASSERT_TRUE(opened);
    }

    // Lets the view's watch run until `done` or two and a half seconds passed.
    static bool waitFor(const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 2500)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    }

    QWidget m_screen;
    events::EventList m_list;
    std::unique_ptr<app::EventsView> m_view;
};

TEST_F(EventsViewTest, NewEventIsRegisteredListedWithItsNoteAndDeletedWithItsFiles)
{
    EXPECT_FALSE(m_view->editButton()->isEnabled());
    EXPECT_FALSE(m_view->deleteButton()->isEnabled());
    const SYSTEMTIME moment = daysAhead(2, 10, 30);
    confirmEditor([&] { m_view->newButton()->click(); }, QStringLiteral("Dentist"), moment, QStringLiteral("Bring the card"));

    const auto stored = onDisk();
    ASSERT_EQ(stored.count(), 1u);
    const auto& event = stored.records[0];
    EXPECT_EQ(events::eventName(event), u"Dentist");
    EXPECT_EQ(ticksOf(event.eventTime), *platform::ticksOfSystemTime(moment));
    EXPECT_EQ(ticksOf(event.nextTime), ticksOf(event.eventTime));
    ASSERT_NE(event.noteId, 0u);
    EXPECT_EQ(events::LoadNote(event), u"Bring the card");
    EXPECT_EQ(events::readEventSound(event.eventId), std::u16string(store::kDefaultSoundPath));

    ASSERT_NE(event.hNotification, 0u);
    const auto wakeUp = platform::findWakeUp(event.hNotification);
    ASSERT_TRUE(wakeUp);
    EXPECT_EQ(wakeUp->application, store::kRunnerPath);
    EXPECT_EQ(wakeUp->arguments, runnerArgumentOf(event.hNotification));
    EXPECT_EQ(wakeUp->startLocalTicks, *platform::ticksOfSystemTime(moment));

    ASSERT_EQ(m_view->list()->rowCount(), 1);
    EXPECT_FALSE(m_view->list()->cell(0, 0).isEmpty()) << "note mark";
    EXPECT_EQ(m_view->list()->cell(0, 1), QStringLiteral("Dentist"));
    EXPECT_EQ(m_view->list()->currentRow(), 0);
    EXPECT_TRUE(m_view->deleteButton()->isEnabled());

    // No leaves the event, its files and its wake-up as they are.
    const std::u16string noteFile = events::noteFileName(event.noteId);
    const std::u16string soundFile = events::EventSoundFileName(event.eventId);
    EXPECT_EQ(messageDuring([&] { m_view->deleteButton()->click(); }, QMessageBox::No),
        QStringLiteral("Are you sure you want to delete the selected event?"));
    EXPECT_EQ(onDisk().count(), 1u);
    EXPECT_TRUE(dataFileExists(noteFile));
    EXPECT_TRUE(platform::findWakeUp(event.hNotification));

    (void)messageDuring([&] { m_view->deleteButton()->click(); }, QMessageBox::Yes);
    EXPECT_EQ(onDisk().count(), 0u);
    EXPECT_FALSE(dataFileExists(noteFile));
    EXPECT_FALSE(dataFileExists(soundFile));
    EXPECT_FALSE(platform::findWakeUp(event.hNotification));
    EXPECT_EQ(m_view->list()->rowCount(), 0);
    EXPECT_FALSE(m_view->editButton()->isEnabled());
}

TEST_F(EventsViewTest, EditorChecksThePathAndAnExecutingEventHappensOnce)
{
    const SYSTEMTIME moment = daysAhead(1, 8, 0);
    const auto document = platform::hostPathOf(u"\\agenda.txt");
    ASSERT_TRUE(document);
    std::ofstream(*document) << "agenda";
    QString refused;
    confirmEditor([&] { m_view->newEvent(); }, QStringLiteral("Long name that is cut at 23"), moment, {},
        [&](app::EventEditorWindow& editor) {
            EXPECT_EQ(editor.nameField()->text().size(), 23);
            auto* actions = editor.actionPanel()->actionList();
            actions->setCurrentIndex(actions->count() - 1);
            editor.remindList()->setCurrentIndex(events::kEveryMonth);
            editor.actionPanel()->programPath()->setText(QStringLiteral("\\nothing here.exe"));
            refused = messageDuring([&] { editor.accept(); }, QMessageBox::Ok);
            EXPECT_TRUE(editor.isVisible()) << "stays open on a path that names nothing";
            EXPECT_EQ(onDisk().count(), 0u);
            editor.actionPanel()->programPath()->setText(QStringLiteral("\\agenda.txt"));
        });
    EXPECT_EQ(refused, QStringLiteral("Please, select an application or an associated file."));
    const auto stored = onDisk();
    ASSERT_EQ(stored.count(), 1u);
    EXPECT_EQ(stored.records[0].actionKind, events::kExecuteProgram);
    EXPECT_EQ(stored.records[0].recurrence, events::kOnce);
    EXPECT_EQ(std::u16string(stored.records[0].programPath), u"\\agenda.txt");
    EXPECT_EQ(events::eventName(stored.records[0]), u"Long name that is cut a");
    EXPECT_EQ(m_view->list()->cell(0, 0), QString()) << "no note, no mark";
}

TEST_F(EventsViewTest, CancelledNewEventStoresNothingButKeepsItsNoteFile)
{
    const bool opened = answerModal([&] { m_view->newEvent(); }, [&](QWidget& modal) {
        auto& editor = dynamic_cast<app::EventEditorWindow&>(modal);
        // A new event's pickers start at the present.
        const SYSTEMTIME now = platform::localNow();
        EXPECT_EQ(editor.datePicker()->value().wDay, now.wDay);
        EXPECT_EQ(editor.timePicker()->value().wHour, now.wHour);
        EXPECT_TRUE(answerModal([&] { editor.editNote(); }, [](QWidget& window) {
            auto& note = dynamic_cast<app::NoteWindow&>(window);
            note.textBox()->setPlainText(QStringLiteral("draft"));
            note.accept();
        }));
        editor.reject();
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(onDisk().count(), 0u);
    EXPECT_TRUE(dataFileExists(events::noteFileName(1)));
    EXPECT_EQ(m_view->list()->rowCount(), 0);
}

TEST_F(EventsViewTest, AnotherProgramsEventsShowUpAndNoSaveLosesThem)
{
    confirmEditor([&] { m_view->newEvent(); }, QStringLiteral("Mine"), daysAhead(3, 9, 0), QStringLiteral("my note"));

    // tkwctl adds one while the view is current: the view shows it within its watch.
    const auto added = testing_support::runCommand(
        { TKW_TKWCTL, "event", "add", "--name", "Concert", "--at", "2040-05-01T20:00", "--note", "Row 5" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    ASSERT_TRUE(waitFor([&] { return m_view->list()->rowCount() == 2; }));
    EXPECT_EQ(m_view->list()->cell(1, 1), QStringLiteral("Concert"));
    EXPECT_FALSE(m_view->list()->cell(1, 0).isEmpty()) << "note mark";

    // Another one arrives while the editor is open, after the editor wrote a note: the save
    // keeps it, gives the new event an identifier of its own, and neither note is lost.
    confirmEditor([&] { m_view->newEvent(); }, QStringLiteral("Also mine"), daysAhead(4, 9, 0),
        QStringLiteral("second note"), [](app::EventEditorWindow&) {
            const auto meanwhile = testing_support::runCommand(
                { TKW_TKWCTL, "event", "add", "--name", "Meanwhile", "--at", "2041-01-01T10:00", "--note", "theirs" });
            EXPECT_EQ(meanwhile.exitCode, 0) << meanwhile.output;
        });
    const auto stored = onDisk();
    ASSERT_EQ(stored.count(), 4u);
    std::vector<std::u16string> names;
    std::set<std::uint32_t> ids;
    for (std::size_t index = 0; index < stored.count(); ++index) {
        names.push_back(events::eventName(stored.records[index]));
        ids.insert(stored.records[index].eventId);
    }
    EXPECT_EQ(names, (std::vector<std::u16string> { u"Mine", u"Concert", u"Meanwhile", u"Also mine" }));
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(events::LoadNote(stored.records[0]), u"my note");
    EXPECT_EQ(events::LoadNote(stored.records[1]), u"Row 5");
    EXPECT_EQ(events::LoadNote(stored.records[2]), u"theirs");
    EXPECT_EQ(events::LoadNote(stored.records[3]), u"second note");
    EXPECT_EQ(m_view->list()->rowCount(), 4);

    // tkwctl deletes "Concert"; deleting the selected "Mine" afterwards deletes that one.
    const auto deleted = testing_support::runCommand({ TKW_TKWCTL, "event", "delete", "2" });
    ASSERT_EQ(deleted.exitCode, 0) << deleted.output;
    m_view->list()->setCurrentRow(0);
    (void)messageDuring([&] { m_view->deleteSelected(); }, QMessageBox::Yes);
    const auto left = onDisk();
    ASSERT_EQ(left.count(), 2u);
    EXPECT_EQ(events::eventName(left.records[0]), u"Meanwhile");
    EXPECT_EQ(events::eventName(left.records[1]), u"Also mine");
}

TEST_F(EventsViewTest, TheRunnersRenewalOfAYearlyEventShowsUp)
{
    SYSTEMTIME start { 2026, 12, 2, 8, 12, 0, 0, 0 };
    ASSERT_TRUE(SetLocalTime(&start));
    const auto added = testing_support::runCommand(
        { TKW_TKWCTL, "event", "add", "--name", "Anniversary", "--at", "2020-06-01T09:00", "--recur", "year" });
    ASSERT_EQ(added.exitCode, 0) << added.output;
    ASSERT_TRUE(waitFor([&] { return m_view->list()->rowCount() == 1; }));
    const QString before = m_view->list()->cell(0, 2);

    // A year later the runner renews every registration: the event moves to June 2028.
    SYSTEMTIME later { 2027, 7, 4, 1, 12, 0, 0, 0 };
    ASSERT_TRUE(SetLocalTime(&later));
    const auto renewed = testing_support::runCommand({ TKW_RUNNER, "UpdateNotifications" }, std::chrono::seconds(60));
    ASSERT_EQ(renewed.exitCode, 0) << renewed.output;
    const auto stored = onDisk();
    ASSERT_EQ(stored.count(), 1u);
    SYSTEMTIME next { };
    ASSERT_TRUE(FileTimeToSystemTime(&stored.records[0].nextTime, &next));
    EXPECT_EQ(next.wYear, 2028);
    EXPECT_TRUE(waitFor([&] { return m_view->list()->cell(0, 2) != before; }));
    EXPECT_TRUE(m_view->list()->cell(0, 2).contains(QStringLiteral("28"))) << m_view->list()->cell(0, 2).toStdString();
}

TEST_F(EventsViewTest, NoteFromTheListIsSavedWithTheFile)
{
    confirmEditor([&] { m_view->newEvent(); }, QString(), daysAhead(1, 12, 0));
    EXPECT_EQ(m_view->list()->cell(0, 1), QStringLiteral("No Name"));
    EXPECT_TRUE(answerModal([&] { m_view->editNoteOf(0); }, [](QWidget& window) {
        auto& note = dynamic_cast<app::NoteWindow&>(window);
        EXPECT_TRUE(note.textBox()->toPlainText().isEmpty());
        note.textBox()->setPlainText(QStringLiteral("call back"));
        note.accept();
    }));
    const auto stored = onDisk();
    ASSERT_EQ(stored.count(), 1u);
    EXPECT_EQ(events::LoadNote(stored.records[0]), u"call back");
    EXPECT_FALSE(m_view->list()->cell(0, 0).isEmpty());

    // "Clear" then "OK" leaves the event without a note.
    EXPECT_TRUE(answerModal([&] { m_view->editNoteOf(0); }, [](QWidget& window) {
        auto& note = dynamic_cast<app::NoteWindow&>(window);
        EXPECT_EQ(note.textBox()->toPlainText(), QStringLiteral("call back"));
        note.clearButton()->click();
        note.accept();
    }));
    EXPECT_EQ(onDisk().records[0].noteId, 0u);
    EXPECT_TRUE(m_view->list()->cell(0, 0).isEmpty());
}

// Pictures for a person to look at (no test compares them): the view with three events and
// the editor on one of them, in English and German, on a 240x320 and a 320x240 device.
TEST(EventsViewPictures, ViewAndEditorInTwoLanguagesAndBothOrientations)
{
    testing_support::TemporaryDevice device;
    ASSERT_TRUE(testing_support::installShippedLook());
    (void)store::LoadSettings();
    SYSTEMTIME now { 2026, 12, 2, 8, 10, 8, 36, 0 };
    ASSERT_TRUE(SetLocalTime(&now));
    for (const auto& [name, at, note] : { std::tuple { "Dentist", "2026-12-10T09:30", "Bring the insurance card" },
             std::tuple { "", "2026-12-24T18:00", "" }, std::tuple { "Anna's birthday", "2027-03-14T08:00", "" } }) {
        std::vector<std::string> command { TKW_TKWCTL, "event", "add", "--name", name, "--at", at };
        if (*note) {
            command.push_back("--note");
            command.push_back(note);
        }
        const auto added = testing_support::runCommand(command);
        ASSERT_EQ(added.exitCode, 0) << added.output;
    }
    for (const auto& [width, height, orientation] : { std::tuple { 240, 320, "portrait" }, std::tuple { 320, 240, "landscape" } }) {
        app_testing::setScreen(width, height);
        for (const auto& [language, code] : { std::pair { store::kEnglish, "en" }, std::pair { store::kGerman, "de" } }) {
            store::setCurrentLanguage(language);
            const QString suffix = QStringLiteral("_%1_%2.png").arg(QLatin1String(code), QLatin1String(orientation));
            app::MainWindow window(app::StartRequest { });
            window.show();
            ASSERT_TRUE(window.selectView(6));
            auto& view = dynamic_cast<app::EventsView&>(window.viewObject(6));
            ASSERT_EQ(view.list()->rowCount(), 3);
            view.list()->setCurrentRow(0);
            QApplication::processEvents();
            EXPECT_TRUE(ui::saveScreenshot(&window, QStringLiteral(TKW_SCREENSHOT_DIR "/events_view") + suffix));
            const auto editor = events::OpenEditor(window.suite().eventList(), 0);
            ASSERT_TRUE(editor);
            app::EventEditorWindow settings(&window, *editor, now, {}, {});
            settings.show();
            QApplication::processEvents();
            EXPECT_TRUE(ui::saveScreenshot(&settings, QStringLiteral(TKW_SCREENSHOT_DIR "/event_editor") + suffix));
            window.shutDown();
        }
    }
    store::setCurrentLanguage(store::kEnglish);
}

} // namespace

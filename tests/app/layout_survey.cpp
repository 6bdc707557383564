// The layout survey: opens the main window on every built-in view, its menus, the Alarm
// Settings window with every action and the dialogs of the main program, for every screen kind of the device profile and every
// language of the main program, runs the layout check on each and prints what it finds,
// one line a finding:
//
//     view | screen | language | widget | problem
//
// followed by the counts by view, screen and language and the worst findings. Exits 1 when
// it found anything. Runs headless on a temporary device of its own.

#include "app/alarm_settings.h"
#include "app/event_editor.h"
#include "app/note_window.h"
#include "app/first_run.h"
#include "app/main_window.h"
#include "app/timer_settings.h"
#include "app/timers_view.h"
#include "cities/view/edit_cities.h"
#include "cities/view/home_location.h"
#include "cities/view/time_and_location.h"
#include "events/event_list.h"
#include "platform/device_clock.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "store/language.h"
#include "store/settings.h"
#include "tests/support/device_fixture.h"
#include "tests/support/layout_check.h"
#include "tests/support/layout_screens.h"
#include "tests/support/shipped_look.h"
#include "ui/dialogs.h"
#include "ui/file_chooser.h"
#include "ui/layout_report.h"
#include "ui/pickers.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"
#include "ui/time_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using testing_support::LayoutFinding;

constexpr std::size_t kWorstShown = 10;

struct Row {
    QString view;
    QString screen;
    QString language;
    LayoutFinding finding;
};

QSize room(const ui::ScreenGeometry& screen) { return testing_support::windowRoom(screen); }

// Where the main window lets a built-in view draw: above the status bar, beside the
// view-selector panel where there is one.
QRect viewArea(const ui::ScreenGeometry& screen)
{
    return { 0, 0, app::viewWidth(screen),
        screen.scaled(screen.square || screen.landscape ? 165 : 245) };
}

void settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

class Survey {
public:
    void add(const QString& view, const std::vector<LayoutFinding>& findings)
    {
        for (const auto& finding : findings)
            m_rows.push_back({ view, m_screen, m_language, finding });
    }
    void setScreen(QSize size)
    {
        m_screen = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    }
    void setLanguage(DWORD language)
    {
        m_language = QString::fromLatin1(testing_support::languageName(language));
    }

    void surveyMainWindow(const QStringList& viewNames)
    {
        app::MainWindow window(app::StartRequest {});
        window.show();
        settle();
        if (window.criticalError() != app::CriticalError::None) {
            add(QStringLiteral("main window"),
                { { QStringLiteral("TickwellProMain"),
                    QStringLiteral("did not start (critical error)"), 0 } });
            return;
        }
        const auto screen = ui::ScreenGeometry::current();
        for (int view = 0; view < app::kBuiltInViewCount; ++view) {
            const QString name = viewNames.value(view, QStringLiteral("view %1").arg(view));
            if (!window.selectView(view)) {
                add(name, { { name, QStringLiteral("cannot be opened"), 0 } });
                continue;
            }
            settle();
            add(name, testing_support::checkLayout(window, room(screen)));
            ui::LayoutReport report;
            const app::ViewContext context { screen, viewArea(screen) };
            window.viewObject(view).reportLayout(report, context);
            add(name, testing_support::checkDrawnLayout(report, context.area, window.screen()));
            ui::LayoutReport bar;
            const QRect strip = window.reportStatusBar(bar);
            if (!strip.isEmpty())
                add(name + QStringLiteral(" (status bar)"), testing_support::checkDrawnLayout(bar, strip, nullptr));
        }
        QStringList faces;
        for (const auto& face : window.views().pluginFaces)
            faces.append(QString::fromStdU16String(face));
        surveyAlarmSettings(faces, room(screen));
        surveyTimers(window, faces, room(screen));
        surveyEventPages(&window, faces, room(screen));
        surveyMenus(window, room(screen));
        surveyDialogs(&window, room(screen));
        // Not shutDown(): it ends the application's loops, and with them every later
        // dialog's, which would return before the survey saw it.
    }

    // The menu bar's menus open on the screen: none may be wider or taller than its room.
    void surveyMenus(const QWidget& window, QSize room)
    {
        const auto* bar = window.findChild<QMenuBar*>();
        if (!bar)
            return;
        for (const QAction* action : bar->actions())
            surveyMenu(action, room);
    }
    // A menu and its submenus.
    void surveyMenu(const QAction* opener, QSize room)
    {
        const QMenu* menu = opener->menu();
        if (!menu)
            return;
        const QSize size = menu->sizeHint();
        if (size.width() > room.width() || size.height() > room.height())
            add(QStringLiteral("menu ") + opener->text(),
                { { menu->title(),
                    QStringLiteral("is %1x%2 on a room of %3x%4")
                        .arg(size.width()).arg(size.height()).arg(room.width()).arg(room.height()),
                    std::max(size.width() - room.width(), size.height() - room.height()) } });
        for (const QAction* action : menu->actions())
            surveyMenu(action, room);
    }

    // The dialogs the main program opens over its views: the language step of the first
    // start, the time and file choosers of Alarm Settings, and its message boxes (checked
    // while they wait for an answer, then answered).
    void surveyDialogs(QWidget* window, QSize room)
    {
        {
            app::LanguageStep step(window, store::currentLanguage());
            step.show();
            settle();
            add(QStringLiteral("Language step"), testing_support::checkLayout(step, room));
        }
        for (const bool use24Hour : { false, true }) {
            ui::TimeDialog time(window, ui::text(ui::kAlarmTimeString), 7, 30, use24Hour);
            time.show();
            settle();
            add(QStringLiteral("Time dialog"), testing_support::checkLayout(time, room));
        }
        {
            ui::FileChooser files(window);
            files.show();
            settle();
            add(QStringLiteral("File chooser"), testing_support::checkLayout(files, room));
        }
        surveyModal(QStringLiteral("Critical error"), room, [window] { app::showCriticalError(window); });
        surveyModal(QStringLiteral("About"), room, [window] { app::showAbout(window); });
        if (auto* main = dynamic_cast<app::MainWindow*>(window))
            surveyCityPages(window, main->suite().cities(), room);
    }

    // Home Location in both forms, Time and Location with its date chooser, Edit Cities and
    // the city editor in both modes with both rule tabs.
    void surveyCityPages(QWidget* window, cities::CityDatabase& database, QSize room)
    {
        for (const auto form : { cities::HomeLocationForm::FirstStart, cities::HomeLocationForm::ZoneChanged }) {
            cities::HomeLocationDialog dialog(window, database, form);
            dialog.show();
            settle();
            add(QStringLiteral("Home Location (form %1)").arg(int(form)), testing_support::checkLayout(dialog, room));
        }
        {
            cities::TimeAndLocationDialog dialog(window, database);
            dialog.show();
            settle();
            add(QStringLiteral("Time and Location"), testing_support::checkLayout(dialog, room));
            cities::DateDialog date(&dialog, dialog.datePicker(cities::TimeAndLocationDialog::Home)->value());
            date.show();
            settle();
            add(QStringLiteral("Date dialog"), testing_support::checkLayout(date, room));
        }
        cities::EditCitiesPage page(window, database);
        page.show();
        settle();
        add(QStringLiteral("Edit Cities"), testing_support::checkLayout(page, room));
        const cities::CityRef world = database.slot(cities::CityDatabase::kWorldSlot);
        for (const bool adding : { false, true }) {
            cities::CityEditor editor(&page, database, adding ? std::nullopt : std::optional(world), world.continent);
            editor.show();
            for (const int tab : { 0, 1 }) {
                editor.ruleTabs()->setCurrentIndex(tab);
                settle();
                add(QStringLiteral("City editor (%1, tab %2)").arg(adding ? QStringLiteral("add") : QStringLiteral("edit")).arg(tab),
                    testing_support::checkLayout(editor, room));
            }
            editor.reject();
        }
        surveyModal(QStringLiteral("Delete city question"), room, [&page] {
            page.showContinent(0);
            page.selectRow(0);
            page.deleteSelected(); // answered No by the survey
        });
    }

    // Opens a modal window with `open`, checks it once it is shown, and closes it.
    void surveyModal(const QString& name, QSize room, const std::function<void()>& open)
    {
        bool seen = false;
        QTimer poll;
        int tries = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) {
                if (++tries > 200)
                    poll.stop(); // it never showed: open() has returned by now
                return;
            }
            poll.stop();
            settle();
            seen = true;
            add(name, testing_support::checkLayout(*modal, room));
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        });
        poll.start(10);
        open();
        if (!seen)
            add(name, { { name, QStringLiteral("did not open"), 0 } });
    }

    void surveyAlarmSettings(const QStringList& faces, QSize room)
    {
        app::AlarmSettingsWindow settings(nullptr, 0, alarms::AlarmSettings {}, faces);
        settings.show();
        settle();
        // Notification, the first face and Execute (the last): each shows its own controls.
        const int actions = settings.actionList()->count();
        std::vector<int> shown { 0 };
        if (!faces.isEmpty())
            shown.push_back(1);
        if (actions - 1 > shown.back())
            shown.push_back(actions - 1);
        for (const int action : shown) {
            settings.actionList()->setCurrentIndex(action);
            settle();
            add(QStringLiteral("Alarm Settings (action %1)").arg(action),
                testing_support::checkLayout(settings, room));
        }
        settings.reject();
    }

    // The event editor with the notification, a face and Execute, the note window and the
    // Events view's delete question.
    void surveyEventPages(QWidget* window, const QStringList& faces, QSize room)
    {
        events::EventList list;
        const auto slot = events::NewEventSlot(list);
        const auto editor = slot ? events::OpenEditor(list, *slot) : std::nullopt;
        if (editor) {
            app::EventEditorWindow settings(window, *editor, platform::localNow(), faces, {});
            settings.show();
            const int actions = settings.actionPanel()->actionList()->count();
            for (const int action : { 0, faces.isEmpty() ? 0 : 1, actions - 1 }) {
                settings.actionPanel()->actionList()->setCurrentIndex(action);
                settle();
                add(QStringLiteral("Event editor (action %1)").arg(action), testing_support::checkLayout(settings, room));
            }
            settings.reject();
        }
        {
            app::NoteWindow note(window, QStringLiteral("Bring the insurance card"));
            note.show();
            settle();
            add(QStringLiteral("Note window"), testing_support::checkLayout(note, room));
        }
        surveyModal(QStringLiteral("Delete event question"), room, [window] {
            (void)ui::showMessage(window, ui::text(ui::kDeleteEventQuestion), ui::MessageIcon::Question,
                ui::MessageButtons::YesNo);
        });
    }

    // The Timers view with a running timer (its stop panel and bell), the Initial Value
    // dialog and the Timer Settings window with every action.
    void surveyTimers(app::MainWindow& window, const QStringList& faces, QSize room)
    {
        if (!window.selectView(app::kTimersView))
            return;
        auto& view = dynamic_cast<app::TimersView&>(window.viewObject(app::kTimersView));
        surveyModal(QStringLiteral("Initial Value"), room, [&view] { view.countdownTapped(); });
        view.SelectTimer(13);
        view.startSelected();
        settle();
        add(QStringLiteral("Timers (running)"), testing_support::checkLayout(window, room));
        view.resetAll();
        view.SelectTimer(0);
        app::TimerSettingsWindow settings(nullptr, timers::TimerRecord {}, u"", faces);
        settings.show();
        settle();
        const int actions = settings.actionPanel()->actionList()->count();
        for (const int action : { 0, 1, actions - 1 }) {
            if (action >= actions)
                continue;
            settings.actionPanel()->actionList()->setCurrentIndex(action);
            settle();
            add(QStringLiteral("Timer Settings (action %1)").arg(action), testing_support::checkLayout(settings, room));
        }
        settings.reject();
    }

    int report() const
    {
        QTextStream out(stdout);
        for (const auto& row : m_rows)
            out << row.view << " | " << row.screen << " | " << row.language << " | "
                << row.finding.widget << " | " << row.finding.problem << '\n';
        out << "\nfindings: " << m_rows.size() << '\n';
        printCounts(out, QStringLiteral("by view"), [](const Row& row) { return row.view; });
        printCounts(out, QStringLiteral("by screen"), [](const Row& row) { return row.screen; });
        printCounts(
            out, QStringLiteral("by language"), [](const Row& row) { return row.language; });

        // The worst finding of each widget of each view (its name without the text, which
        // changes with the language).
        std::vector<const Row*> sorted;
        for (const auto& row : m_rows)
            sorted.push_back(&row);
        std::stable_sort(sorted.begin(), sorted.end(),
            [](const Row* a, const Row* b) { return a->finding.excessPx > b->finding.excessPx; });
        std::vector<const Row*> worst;
        QSet<QString> seen;
        for (const Row* row : sorted)
            if (!seen.contains(row->view + u'|' + row->finding.widget.section(u' ', 0, 0))) {
                seen.insert(row->view + u'|' + row->finding.widget.section(u' ', 0, 0));
                worst.push_back(row);
            }
        out << "\nworst (one a widget of a view):\n";
        for (std::size_t i = 0; i < std::min(worst.size(), kWorstShown); ++i)
            out << "  " << worst[i]->finding.excessPx << " px: " << worst[i]->view << " | "
                << worst[i]->screen << " | " << worst[i]->language << " | "
                << worst[i]->finding.widget << " | " << worst[i]->finding.problem << '\n';
        return m_rows.empty() ? 0 : 1;
    }

private:
    template <typename Key> void printCounts(QTextStream& out, const QString& title, Key key) const
    {
        QMap<QString, int> counts;
        for (const auto& row : m_rows)
            ++counts[key(row)];
        out << '\n' << title << ":\n";
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            out << "  " << it.key() << ": " << it.value() << '\n';
    }

    QString m_screen;
    QString m_language;
    std::vector<Row> m_rows;
};

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    testing_support::TemporaryDevice device;
    if (!testing_support::installShippedLook()) {
        QTextStream(stderr) << "the build made no shipped look to survey\n";
        return 2;
    }
    (void)store::LoadSettings();
    const QStringList viewNames = ui::splitList(ui::text(ui::kViewNamesList, store::kEnglish));

    Survey survey;
    for (const QSize screen : testing_support::kScreenKinds) {
        if (!testing_support::setScreenKind(screen)) {
            QTextStream(stderr) << "cannot set the screen in the device profile\n";
            return 2;
        }
        survey.setScreen(screen);
        for (const DWORD language : testing_support::kMainProgramLanguages) {
            store::setCurrentLanguage(language);
            survey.setLanguage(language);
            survey.surveyMainWindow(viewNames);
        }
    }
    store::setCurrentLanguage(store::kEnglish);
    return survey.report();
}

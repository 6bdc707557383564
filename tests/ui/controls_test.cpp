#include "ui/drop_list.h"
#include "ui/file_chooser.h"
#include "ui/headless.h"
#include "ui/input_box.h"
#include "ui/list_view.h"
#include "ui/pickers.h"
#include "ui/resources.h"
#include "ui/sound_chooser.h"
#include "ui/tab_strip.h"

#include "tests/support/device_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ControlsTest = testing_support::DeviceTest;

// The indices a control's signal reported, in order.
template <typename Control, typename Signal>
std::vector<int>& record(Control& control, Signal signal)
{
    auto* reported = new std::vector<int>();
    QObject::connect(&control, &QObject::destroyed, [reported] { delete reported; });
    QObject::connect(&control, signal, [reported](int index) { reported->push_back(index); });
    return *reported;
}

QString screenshotPath(const char* name) { return QStringLiteral(TKW_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name)); }

void touch(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "RIFF";
}

void showAt(QWidget& widget, QSize size)
{
    widget.resize(size);
    widget.show();
    QApplication::processEvents();
}

SYSTEMTIME systemTime(int year, int month, int day, int hour, int minute, int second, int dayOfWeek = 0)
{
    return SYSTEMTIME { WORD(year), WORD(month), WORD(dayOfWeek), WORD(day), WORD(hour), WORD(minute), WORD(second), 0 };
}

QStringList entryNames(const ui::FileChooser& chooser)
{
    QStringList names;
    const auto* entries = chooser.findChild<QListWidget*>(QStringLiteral("entries"));
    for (int i = 0; i < entries->count(); ++i)
        names << entries->item(i)->text();
    return names;
}

// Selects an entry and presses OK, as the user does: a folder opens, a file is chosen.
void pickEntry(ui::FileChooser& chooser, const QString& name)
{
    auto* entries = chooser.findChild<QListWidget*>(QStringLiteral("entries"));
    const auto found = entries->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    entries->setCurrentItem(found.first());
    chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// Hands the file chooser that is about to open to `drive`; whatever else opens is closed so
// that a failing test cannot hang.
void driveNextChooser(std::function<void(ui::FileChooser&)> drive)
{
    QTimer::singleShot(0, [drive = std::move(drive)] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* chooser = qobject_cast<ui::FileChooser*>(modal);
        if (!chooser) {
            ADD_FAILURE() << "no file chooser opened";
            if (modal)
                modal->close();
            return;
        }
        drive(*chooser);
        if (chooser->isVisible())
            chooser->reject();
    });
}

} // namespace

TEST_F(ControlsTest, DropListReportsOnlyWhatTheUserPicks)
{
    ui::DropList views;
    const auto& selected = record(views, &ui::DropList::selected);
    views.setItems(ui::list(40045));
    showAt(views, QSize(150, 20));
    views.setCurrentIndex(4);
    EXPECT_EQ(views.currentText(), QStringLiteral("Timers"));
    EXPECT_TRUE(selected.empty());
    ui::saveScreenshot(&views, screenshotPath("drop_list"));

    ui::tap(&views, QPoint(20, 10));
    ASSERT_TRUE(views.listShown());
    auto* popup = views.findChild<QListWidget*>(QStringLiteral("DropListPopup"));
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->currentRow(), 4);
    const QRect row = popup->visualItemRect(popup->item(6));
    ui::tap(popup, popup->viewport()->mapTo(popup, row.center()));
    EXPECT_FALSE(views.listShown());
    EXPECT_EQ(views.currentIndex(), 6);
    EXPECT_EQ(selected, std::vector<int> { 6 });

    // Fewer names (the plug-in views went away): a selection beyond them falls back to the first.
    views.setCurrentIndex(12);
    views.setItems(ui::list(40045).mid(0, 3));
    EXPECT_EQ(views.currentIndex(), 0);
    EXPECT_EQ(selected, std::vector<int> { 6 });
}

TEST_F(ControlsTest, PickersFormatTheirHalfOfTheValueOrFallBackToIso)
{
    testing_support::EnvironmentGuard locale("LC_ALL", "en_US.UTF-8");
    ui::TimePicker time;
    ui::DatePicker date;
    // Callers fill in only the time of day; the unset date must not spoil the picture.
    time.setValue(systemTime(0, 0, 0, 7, 5, 9));
    time.setPicture(QStringLiteral("HH':'mm':'ss"));
    EXPECT_EQ(time.text(), QStringLiteral("07:05:09"));
    time.setPicture(QStringLiteral("h:mm tt"));
    EXPECT_EQ(time.text(), QStringLiteral("7:05 AM"));
    time.setPicture(QStringLiteral("HH:mm yyyy")); // date letters in a time picture
    EXPECT_EQ(time.text(), QStringLiteral("07:05:09"));

    // 29 February 2024 was a Thursday, whatever the record's day of the week says.
    date.setValue(systemTime(2024, 2, 29, 25, 0, 0, 0));
    date.setPicture(QStringLiteral("dddd, MMMM d, yyyy"));
    EXPECT_EQ(date.text(), QStringLiteral("Thursday, February 29, 2024"));
    date.setValue(systemTime(2023, 2, 29, 0, 0, 0));
    EXPECT_EQ(date.text(), QStringLiteral("2023-02-29"));
    date.setDate(QDate(2024, 12, 31));
    EXPECT_EQ(date.value().wDayOfWeek, 2); // Tuesday
    EXPECT_EQ(date.date(), QDate(2024, 12, 31));
    time.setTime(QTime(23, 59, 58));
    EXPECT_EQ(time.value().wHour, 23);
    EXPECT_EQ(time.value().wYear, 0); // the date stays as it was
}

TEST_F(ControlsTest, PickersDefaultToTheLocalePicturesAndReportTaps)
{
    testing_support::EnvironmentGuard locale("LC_ALL", "de_DE.UTF-8");
    ui::TimePicker time;
    ui::DatePicker date;
    time.setValue(systemTime(2024, 2, 29, 7, 5, 9));
    date.setValue(systemTime(2024, 2, 29, 7, 5, 9));
    EXPECT_EQ(time.text(), QStringLiteral("07:05:09"));
    EXPECT_EQ(date.text(), QStringLiteral("29.02.24"));

    int activated = 0;
    QObject::connect(&time, &ui::TimePicker::activated, [&] { ++activated; });
    showAt(time, QSize(100, 22));
    ui::tap(&time, QPoint(30, 10));
    EXPECT_EQ(activated, 1);
    ui::drag(&time, QPoint(30, 10), QPoint(30, 60)); // the pen slid off: no tap
    EXPECT_EQ(activated, 1);
    ui::saveScreenshot(&time, screenshotPath("time_picker"));
    showAt(date, QSize(100, 22));
    ui::saveScreenshot(&date, screenshotPath("date_picker"));
}

TEST_F(ControlsTest, InputBoxCountsUtf16UnitsAndNeverSplitsACharacter)
{
    ui::InputBox name(5, ui::text(41205));
    showAt(name, QSize(160, 22));
    ui::saveScreenshot(&name, screenshotPath("input_box"));

    // U+1F514 takes two units; only one is left, so the whole character goes.
    name.setText(QStringLiteral("abcd") + QString::fromUcs4(U"\U0001F514"));
    EXPECT_EQ(name.text(), QStringLiteral("abcd"));
    name.setText(QStringLiteral("abc") + QString::fromUcs4(U"\U0001F514") + QStringLiteral("x"));
    EXPECT_EQ(name.utf16Text().size(), 5u);
    name.clear();
    ui::pressKey(&name, 0, QStringLiteral("abcd"));
    ui::pressKey(&name, 0, QString::fromUcs4(U"\U0001F514"));
    EXPECT_EQ(name.text(), QStringLiteral("abcd"));
    ui::pressKey(&name, Qt::Key_E, QStringLiteral("e"));
    EXPECT_EQ(name.text(), QStringLiteral("abcde"));
    ui::pressKey(&name, Qt::Key_F, QStringLiteral("f"));
    EXPECT_EQ(name.text(), QStringLiteral("abcde"));

    // A shorter limit cuts what is there the same way.
    name.setText(QStringLiteral("ab") + QString::fromUcs4(U"\U0001F514"));
    name.setMaxUnits(3);
    EXPECT_EQ(name.text(), QStringLiteral("ab"));
}

TEST_F(ControlsTest, ListViewReportsRowsTheUserChoosesOnly)
{
    ui::ListView alarms;
    const auto& chosen = record(alarms, &ui::ListView::rowChosen);
    alarms.setColumns({ QStringLiteral("Time"), QStringLiteral("Label") });
    alarms.setRows({ { QStringLiteral("07:00"), QStringLiteral("Work") }, { QStringLiteral("08:30") },
        { QStringLiteral("22:15"), QStringLiteral("Sleep"), QStringLiteral("dropped") } });
    showAt(alarms, QSize(200, 120));
    EXPECT_EQ(alarms.currentRow(), -1);
    EXPECT_EQ(alarms.cell(1, 1), QString());

    // Taking the focus makes a row current inside the view, which is no choice.
    auto* tree = alarms.findChild<QTreeWidget*>(QStringLiteral("rows"));
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(tree, &focusIn);
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(alarms.currentRow(), -1);

    alarms.setCurrentRow(1);
    EXPECT_EQ(alarms.currentRow(), 1);
    EXPECT_TRUE(chosen.empty());
    const QRect row = tree->visualItemRect(tree->topLevelItem(2));
    ui::tap(&alarms, tree->viewport()->mapTo(&alarms, row.center()));
    EXPECT_EQ(alarms.currentRow(), 2);
    EXPECT_EQ(chosen, std::vector<int> { 2 });
    ui::saveScreenshot(&alarms, screenshotPath("list_view"));

    alarms.setRows({ { QStringLiteral("06:00") } });
    EXPECT_EQ(alarms.currentRow(), -1);
    EXPECT_EQ(chosen, std::vector<int> { 2 });
}

TEST_F(ControlsTest, TabIsChosenOnlyWhenThePenGoesDownAndUpOnIt)
{
    ui::TabStrip tabs;
    const auto& changed = record(tabs, &ui::TabStrip::changed);
    tabs.setTabs(ui::list(40075).mid(0, 4));
    showAt(tabs, QSize(240, 20));
    tabs.setCurrentIndex(1);
    EXPECT_TRUE(changed.empty());

    ui::tap(&tabs, tabs.tabRect(2).center());
    EXPECT_EQ(tabs.currentIndex(), 2);
    EXPECT_EQ(changed, std::vector<int> { 2 });

    ui::drag(&tabs, tabs.tabRect(0).center(), tabs.tabRect(3).center());
    ui::tap(&tabs, tabs.tabRect(2).center()); // already selected
    EXPECT_EQ(tabs.currentIndex(), 2);
    EXPECT_EQ(changed, std::vector<int> { 2 });
    // The shares cover the strip without a gap even when the width does not divide.
    tabs.resize(239, 20);
    EXPECT_EQ(tabs.tabRect(3).right(), 238);
    EXPECT_EQ(tabs.tabAt(QPoint(tabs.tabRect(1).right() + 1, 5)), 2);
    ui::saveScreenshot(&tabs, screenshotPath("tab_strip"));
}

TEST_F(ControlsTest, SoundChooserListsTheFolderInTheLocaleOrderAfterNoSound)
{
    testing_support::EnvironmentGuard locale("LC_ALL", "de_DE.UTF-8");
    const fs::path windows = m_device.root() / "Windows";
    for (const char8_t* name : { u8"Beep.wav", u8"alarm10.mp3", u8"Alarm2.wav", u8"Ärger.ogg", u8"chime.flac", u8"notes.txt" })
        touch(windows / name);
    fs::create_directories(windows / "Folder.wav");
    touch(m_device.root() / "Music" / "Song.mp3");
    touch(m_device.root() / "Music" / "Other.wav");

    ui::SoundChooser sounds;
    auto* list = sounds.findChild<QComboBox*>(QStringLiteral("sounds"));
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    EXPECT_EQ(shown,
        (QStringList { QStringLiteral("(None)"), QStringLiteral("alarm10.mp3"), QStringLiteral("Alarm2.wav"),
            QStringLiteral("Ärger.ogg"), QStringLiteral("Beep.wav"), QStringLiteral("chime.flac"),
            QStringLiteral("Browse...") }));
    EXPECT_EQ(sounds.position(), 0);
    EXPECT_EQ(sounds.path(), u"");

    ASSERT_TRUE(sounds.setPath(u"\\windows\\BEEP.WAV"));
    EXPECT_EQ(sounds.position(), 4);
    EXPECT_EQ(sounds.path(), u"\\Windows\\Beep.wav");
    EXPECT_FALSE(sounds.setPath(u"\\Windows\\Missing.wav"));
    EXPECT_EQ(sounds.position(), 4);
    ASSERT_TRUE(sounds.setPath(u""));
    EXPECT_EQ(sounds.path(), u"");

    // A file from elsewhere gets one entry of its own after the folder's files.
    ASSERT_TRUE(sounds.setPath(u"\\Music\\Song.mp3"));
    EXPECT_EQ(sounds.position(), 6);
    ASSERT_TRUE(sounds.setPath(u"\\Music\\Other.wav"));
    EXPECT_EQ(sounds.position(), 6);
    EXPECT_EQ(sounds.count(), 7);
    EXPECT_EQ(sounds.path(), u"\\Music\\Other.wav");

    const auto& changed = record(sounds, &ui::SoundChooser::changed);
    list->setCurrentIndex(2);
    emit list->activated(2);
    EXPECT_EQ(changed, std::vector<int> { 2 });
    EXPECT_EQ(sounds.path(), u"\\Windows\\Alarm2.wav");
    showAt(sounds, QSize(160, 24));
    ui::saveScreenshot(&sounds, screenshotPath("sound_chooser"));
}

TEST_F(ControlsTest, SoundChooserBrowsesTheDeviceForASound)
{
    touch(m_device.root() / "Windows" / "Alarm1.wav");
    touch(m_device.root() / "Music" / "Song.mp3");
    touch(m_device.root() / "Music" / "Cover.jpg");
    ui::SoundChooser sounds;
    ASSERT_TRUE(sounds.setPath(u"\\Windows\\Alarm1.wav"));
    auto* list = sounds.findChild<QComboBox*>(QStringLiteral("sounds"));
    const auto& changed = record(sounds, &ui::SoundChooser::changed);
    const int browse = list->count() - 1;

    // Cancelled: the list goes back to the sound it showed.
    driveNextChooser([](ui::FileChooser& chooser) { chooser.reject(); });
    list->setCurrentIndex(browse);
    emit list->activated(browse);
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_TRUE(changed.empty());

    driveNextChooser([](ui::FileChooser& chooser) {
        EXPECT_EQ(chooser.windowTitle(), ui::text(40995));
        EXPECT_EQ(chooser.folder(), u"\\Windows");
        chooser.findChild<QToolButton*>(QStringLiteral("up"))->click();
        pickEntry(chooser, QStringLiteral("Music"));
        EXPECT_EQ(entryNames(chooser), QStringList { QStringLiteral("Song.mp3") });
        pickEntry(chooser, QStringLiteral("Song.mp3"));
    });
    list->setCurrentIndex(browse);
    emit list->activated(browse);
    EXPECT_EQ(sounds.path(), u"\\Music\\Song.mp3");
    EXPECT_EQ(list->currentText(), QStringLiteral("Song.mp3"));
    EXPECT_EQ(changed, std::vector<int> { sounds.position() });
}

TEST_F(ControlsTest, FileChooserNeverLeavesTheDevice)
{
    const fs::path root = m_device.root();
    const fs::path outside = root.parent_path() / (root.filename().string() + "-outside");
    struct RemoveOutside {
        fs::path path;
        ~RemoveOutside() { std::error_code ignored; fs::remove_all(path, ignored); }
    } cleanup { outside };
    touch(outside / "Secret.exe");
    touch(root / "Program Files" / "Tool.exe");
    touch(root / "Program Files" / "readme.txt");
    fs::create_directories(root / "Windows");
    fs::create_directory_symlink(outside, root / "Outside");
    fs::create_symlink(outside / "Secret.exe", root / "Program Files" / "Leak.exe");
    fs::create_directory_symlink(root / "Windows", root / "Shortcut"); // stays on the device

    ui::FileChooser chooser(nullptr, { }, { QStringLiteral(".exe") }, u"\\Nowhere\\Deeper");
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Select Executable File"));
    EXPECT_EQ(chooser.folder(), u"\\");
    EXPECT_EQ(entryNames(chooser),
        (QStringList { QStringLiteral("Program Files"), QStringLiteral("Shortcut"), QStringLiteral("Windows") }));
    EXPECT_FALSE(chooser.findChild<QToolButton*>(QStringLiteral("up"))->isEnabled());
    EXPECT_FALSE(chooser.openParent());
    EXPECT_FALSE(chooser.openFolder(u"\\.."));
    EXPECT_FALSE(chooser.openFolder(u"\\Outside"));
    EXPECT_EQ(chooser.folder(), u"\\");

    showAt(chooser, QSize(240, 280));
    pickEntry(chooser, QStringLiteral("Program Files"));
    EXPECT_EQ(chooser.folder(), u"\\Program Files");
    EXPECT_EQ(entryNames(chooser), QStringList { QStringLiteral("Tool.exe") });
    ui::saveScreenshot(&chooser, screenshotPath("file_chooser"));
    pickEntry(chooser, QStringLiteral("Tool.exe"));
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.chosenPath(), u"\\Program Files\\Tool.exe");
}

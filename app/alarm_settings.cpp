#include "app/alarm_settings.h"

#include "alert/sound_player.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "ui/dialogs.h"
#include "ui/file_chooser.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/sound_chooser.h"
#include "ui/string_ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayoutItem>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace app {

namespace {

constexpr int kProgramArgsLimit = 259; // the record's 260 characters with their zero
constexpr int kLeastListChars = 4;

// A list box as wide as its row makes it rather than as its widest entry. (Set before
// anything asks the box for its least size: it keeps the first answer.)
QComboBox* newListBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kLeastListChars);
    box->setSizePolicy(QSizePolicy::Expanding, box->sizePolicy().verticalPolicy());
    return box;
}

QComboBox* listBox(QWidget* parent, unsigned listString, int current)
{
    auto* box = newListBox(parent);
    box->addItems(ui::list(listString));
    box->setCurrentIndex(std::clamp(current, 0, box->count() - 1));
    return box;
}

using ui::qText;

// Marks a widget that shortens its text on purpose: the action list shortens the names of
// installed faces, which can be of any length.
constexpr char kElidesOnPurpose[] = "tkwElides";
constexpr int kMarginPx = 4; // before scaling
constexpr int kSpacingPx = 3;

// The room a list box of `width` pixels leaves its text.
int listTextRoom(const QComboBox& list, int width)
{
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.rect = QRect(0, 0, width, list.sizeHint().height());
    option.editable = list.isEditable();
    option.frame = list.hasFrame();
    option.subControls = QStyle::SC_All;
    return list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list).width();
}

int widestEntry(const QComboBox& list, const QFont& font)
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int item = 0; item < list.count(); ++item)
        widest = std::max(widest, metrics.horizontalAdvance(list.itemText(item))
                + (list.itemIcon(item).isNull() ? 0 : list.iconSize().width() + 4));
    return widest;
}

// A list box whose widest entry does not fit `width` turns to a condensed face.
void fitList(QComboBox& list, int width)
{
    if (widestEntry(list, list.font()) <= listTextRoom(list, width))
        return;
    QFont condensed = list.font();
    condensed.setStretch(QFont::Condensed);
    list.setFont(condensed);
}

// How wide a field would like to be: a list box as its widest entry.
int naturalWidth(QLayoutItem& item)
{
    if (auto* list = qobject_cast<QComboBox*>(item.widget())) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = list->isEditable();
        option.frame = list->hasFrame();
        const QSize text(widestEntry(*list, list->font()), list->fontMetrics().height());
        return list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, list).width();
    }
    if (auto* row = item.layout()) {
        int width = 0;
        int shown = 0;
        for (int index = 0; index < row->count(); ++index)
            if (auto* part = row->itemAt(index); part && !part->isEmpty()) {
                width += naturalWidth(*part);
                ++shown;
            }
        return width + std::max(shown - 1, 0) * std::max(row->spacing(), 0);
    }
    return item.sizeHint().width();
}

struct FormWidths {
    int labels = 0;
    int fields = 0;
};

// The widest label and the widest field of a form, as they would like to be.
FormWidths formWidths(const QFormLayout& form)
{
    FormWidths widths;
    for (int row = 0; row < form.rowCount(); ++row) {
        if (const auto* label = form.itemAt(row, QFormLayout::LabelRole))
            widths.labels = std::max(widths.labels, label->sizeHint().width());
        if (auto* field = form.itemAt(row, QFormLayout::FieldRole))
            widths.fields = std::max(widths.fields, naturalWidth(*field));
    }
    return widths;
}

// Waits `ms` with the window's events going.
void pauseFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

bool isProgramPath(std::u16string_view devicePath)
{
    const QString path = qText(devicePath);
    return path.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

bool namesExistingFile(std::u16string_view devicePath)
{
    if (devicePath.empty())
        return false;
    const auto host = platform::hostPathOf(devicePath);
    std::error_code error;
    return host && std::filesystem::is_regular_file(*host, error);
}

AlarmSettingsWindow::AlarmSettingsWindow(
    QWidget* parent, int alarm, const alarms::AlarmSettings& current, const QStringList& faces)
    : QDialog(parent)
    , m_chosen(current)
    , m_faces(faces)
{
    setObjectName(QStringLiteral("Alarm Settings"));
    setWindowTitle(ui::text(ui::kCaptionString) + QStringLiteral(" %1").arg(alarm + 1, 2, 10, QLatin1Char('0')));
    const auto screen = ui::ScreenGeometry::current();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(screen.scaled(kMarginPx), screen.scaled(kMarginPx), screen.scaled(kMarginPx),
        screen.scaled(kMarginPx));
    outer->setSpacing(screen.scaled(kSpacingPx));
    // The settings scroll when the screen is too short for them; they never scroll sideways.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("SettingsArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget(scroll);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(screen.scaled(kSpacingPx));

    // A face the alarm shows that is gone keeps its entry, so that "OK" changes nothing
    // the user did not touch.
    const QString currentFace = qText(current.programPath);
    if (current.actionKind == alarms::kShowPluginView && !m_faces.contains(currentFace))
        m_faces.append(currentFace);
    auto* actionRow = new QFormLayout;
    m_action = newListBox(body);
    m_action->setObjectName(QStringLiteral("ActionList"));
    m_action->addItem(ui::list(ui::kNotificationWindowString).value(0));
    const QString show = ui::text(ui::kShowString);
    const QString plugin = ui::splitList(ui::text(ui::kPluginString)).value(0);
    for (const QString& face : m_faces)
        m_action->addItem(show + face + plugin);
    m_action->addItem(ui::list(ui::kExecuteString).value(0));
    int action = 0;
    if (current.actionKind == alarms::kExecuteProgram)
        action = m_action->count() - 1;
    else if (current.actionKind == alarms::kShowPluginView)
        action = 1 + int(m_faces.indexOf(currentFace));
    m_action->setCurrentIndex(action);
    actionRow->addRow(ui::text(ui::kActionLabel), m_action);
    layout->addLayout(actionRow);

    // Kinds 0 and 1: the sound.
    m_soundPanel = new QWidget(body);
    auto* sound = new QFormLayout(m_soundPanel);
    sound->setContentsMargins(0, 0, 0, 0);
    m_sound = new ui::SoundChooser(m_soundPanel);
    if (current.soundIndex == 0 || !m_sound->setPath(current.soundPath))
        (void)m_sound->setPosition(0);
    sound->addRow(ui::text(ui::kSoundLabel), m_sound);
    m_repeat = listBox(m_soundPanel, ui::kRepeatList, current.repeatIndex);
    sound->addRow(ui::text(ui::kRepeatLabel), m_repeat);
    auto* pauseRow = new QHBoxLayout;
    m_pause = listBox(m_soundPanel, ui::kPauseList, current.pauseIndex);
    m_test = new QPushButton(ui::text(ui::kTestString), m_soundPanel);
    m_test->setObjectName(QStringLiteral("TestButton"));
    pauseRow->addWidget(m_pause, 1);
    pauseRow->addWidget(m_test);
    sound->addRow(ui::text(ui::kPauseLabel), pauseRow);
    m_repeatingAlarm = new QCheckBox(ui::text(ui::kRepeatingAlarmString), m_soundPanel);
    m_repeatingAlarm->setChecked(current.repeatAlarm);
    sound->addRow(m_repeatingAlarm);
    m_repeatCount = listBox(m_soundPanel, ui::kRepeatCountList, current.repeatAlarmCountIndex);
    m_repeatInterval = listBox(m_soundPanel, ui::kRepeatIntervalList, current.repeatAlarmIntervalIndex);
    sound->addRow(ui::text(ui::kCountLabel), m_repeatCount);
    sound->addRow(ui::text(ui::kIntervalLabel), m_repeatInterval);
    layout->addWidget(m_soundPanel);
    connect(m_repeatingAlarm, &QCheckBox::toggled, this, [this](bool on) {
        m_repeatCount->setEnabled(on);
        m_repeatInterval->setEnabled(on);
    });
    m_repeatCount->setEnabled(current.repeatAlarm);
    m_repeatInterval->setEnabled(current.repeatAlarm);
    connect(m_test, &QPushButton::clicked, this, &AlarmSettingsWindow::test);

    // Kind 2: the program.
    m_programPanel = new QWidget(body);
    auto* program = new QFormLayout(m_programPanel);
    program->setContentsMargins(0, 0, 0, 0);
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(m_programPanel);
    m_path->setObjectName(QStringLiteral("ProgramPath"));
    auto* browse = new QToolButton(m_programPanel);
    browse->setText(QStringLiteral("..."));
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browse);
    program->addRow(ui::text(ui::kPathLabel), pathRow);
    m_args = new QLineEdit(m_programPanel);
    m_args->setMaxLength(kProgramArgsLimit);
    m_argsLabel = new QLabel(ui::text(ui::kParametersLabel), m_programPanel);
    program->addRow(m_argsLabel, m_args);
    m_keepAwake = listBox(m_programPanel, ui::kKeepAwakeList, int(current.keepAwakeIndex));
    program->addRow(ui::text(ui::kKeepAwakeLabel), m_keepAwake);
    layout->addWidget(m_programPanel);
    if (current.actionKind == alarms::kExecuteProgram) {
        m_path->setText(qText(current.programPath));
        m_args->setText(qText(current.programArgs));
    }
    connect(m_path, &QLineEdit::textChanged, this, &AlarmSettingsWindow::pathEdited);
    connect(browse, &QToolButton::clicked, this, &AlarmSettingsWindow::browse);

    layout->addStretch(1);
    scroll->setWidget(body);
    outer->addWidget(scroll, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    outer->addWidget(buttons);
    fitScreen(screen, { actionRow, sound, program }, pauseRow);
    connect(buttons, &QDialogButtonBox::accepted, this, &AlarmSettingsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AlarmSettingsWindow::reject);
    connect(m_action, &QComboBox::currentIndexChanged, this, &AlarmSettingsWindow::actionChosen);
    actionChosen();
    pathEdited();
}

AlarmSettingsWindow::~AlarmSettingsWindow() = default;

void AlarmSettingsWindow::fitScreen(
    const ui::ScreenGeometry& screen, std::initializer_list<QFormLayout*> forms, QHBoxLayout* pauseRow)
{
    // The window covers the work area, as the device's dialogs do. Its settings get the
    // width less the margins and a scroll bar.
    const QSize room = ui::workArea(screen);
    const int spacing = screen.scaled(kSpacingPx);
    const int width = room.width() - 2 * screen.scaled(kMarginPx) - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    pauseRow->setSpacing(spacing);

    // Labels beside their fields where both fit, else above them.
    int labels = 0;
    int fields = 0;
    for (auto* form : forms) {
        form->setHorizontalSpacing(spacing);
        form->setVerticalSpacing(spacing);
        const FormWidths widths = formWidths(*form);
        labels = std::max(labels, widths.labels);
        fields = std::max(fields, widths.fields);
    }
    const bool stacked = labels + spacing + fields > width;
    for (auto* form : forms)
        form->setRowWrapPolicy(stacked ? QFormLayout::WrapAllRows : QFormLayout::DontWrapRows);

    // Every list as wide as its field; the faces' names elide, the other entries fit.
    int fieldWidth = stacked ? width : width - spacing;
    if (!stacked)
        for (auto* form : forms)
            fieldWidth = std::min(fieldWidth, width - spacing - formWidths(*form).labels);
    for (auto* list : findChildren<QComboBox*>()) {
        int listWidth = fieldWidth;
        if (list == m_pause)
            listWidth -= spacing + m_test->sizeHint().width();
        fitList(*list, listWidth);
    }
    m_action->setProperty(kElidesOnPurpose, m_faces.size() > 0);

    setMaximumSize(room);
    resize(room);
}

void AlarmSettingsWindow::actionChosen()
{
    const bool execute = m_action->currentIndex() == m_action->count() - 1;
    m_soundPanel->setVisible(!execute);
    m_programPanel->setVisible(execute);
    if (execute)
        m_stopPreview = true;
}

void AlarmSettingsWindow::pathEdited()
{
    // Parameters mean something only to a program.
    const bool program = isProgramPath(m_path->text().toStdU16String());
    m_argsLabel->setVisible(program);
    m_args->setVisible(program);
}

void AlarmSettingsWindow::browse()
{
    const auto start = ui::parentOfDevicePath(m_path->text().toStdU16String());
    if (auto chosen = ui::chooseDeviceFile(this, { }, { QStringLiteral("*.*") }, start.empty() ? u"\\" : start))
        m_path->setText(qText(*chosen));
}

void AlarmSettingsWindow::test()
{
    if (m_previewing) {
        m_stopPreview = true; // ends at the next step
        return;
    }
    if (m_sound->position() == 0)
        return;
    m_previewing = true;
    m_stopPreview = false;
    m_test->setText(ui::text(ui::kStopString));
    const std::u16string path = m_sound->path();
    const int plays = m_repeat->currentIndex() + 1;
    const int pauseSteps = (m_pause->currentIndex() + 1) * 8; // 800 ms a second, 100 ms a step
    for (int play = 0; play < plays && !m_stopPreview; ++play) {
        // The sound service, closed and opened again for each play; else the plain call.
        alert::SoundPlayer player;
        player.create(path);
        if (player.open(path, false)) {
            QTimer stopWatch;
            connect(&stopWatch, &QTimer::timeout, this, [&] {
                if (m_stopPreview)
                    player.stop();
            });
            stopWatch.start(100);
            player.playAndWait();
            player.close();
        } else {
            PlaySoundW(reinterpret_cast<const WCHAR*>(path.c_str()), nullptr, SND_ASYNC | SND_FILENAME);
        }
        for (int step = 0; step < pauseSteps && !m_stopPreview; ++step)
            pauseFor(100);
    }
    PlaySoundW(nullptr, nullptr, 0);
    m_previewing = false;
    m_test->setText(ui::text(ui::kTestString));
}

void AlarmSettingsWindow::accept()
{
    const int action = m_action->currentIndex();
    alarms::AlarmSettings chosen = m_chosen;
    if (action == m_action->count() - 1) {
        const std::u16string path = m_path->text().trimmed().toStdU16String();
        if (!namesExistingFile(path)) {
            ui::showMessage(this, ui::text(ui::kInvalidPathText), ui::MessageIcon::Warning, ui::MessageButtons::Ok,
                ui::text(ui::kInvalidPathCaption, 0));
            return; // stays open
        }
        chosen.actionKind = alarms::kExecuteProgram;
        chosen.programPath = path;
        chosen.programArgs = isProgramPath(path) ? m_args->text().left(kProgramArgsLimit).toStdU16String() : u"";
        chosen.keepAwakeIndex = std::uint32_t(m_keepAwake->currentIndex());
    } else {
        if (action == 0) {
            chosen.actionKind = alarms::kShowNotification;
            chosen.programPath.clear();
        } else {
            chosen.actionKind = alarms::kShowPluginView;
            chosen.programPath = m_faces.value(action - 1).toStdU16String();
        }
        chosen.programArgs.clear();
        chosen.soundIndex = std::uint32_t(m_sound->position());
        chosen.soundPath = m_sound->path();
        chosen.repeatIndex = std::uint8_t(m_repeat->currentIndex());
        chosen.pauseIndex = std::uint8_t(m_pause->currentIndex());
        chosen.repeatAlarm = m_repeatingAlarm->isChecked();
        chosen.repeatAlarmCountIndex = std::uint8_t(m_repeatCount->currentIndex());
        chosen.repeatAlarmIntervalIndex = std::uint8_t(m_repeatInterval->currentIndex());
    }
    m_chosen = chosen;
    QDialog::accept();
}

void AlarmSettingsWindow::done(int result)
{
    m_stopPreview = true;
    QDialog::done(result);
}

} // namespace app

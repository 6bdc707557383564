#include "app/action_panel.h"

#include "alert/sound_player.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "ui/dialog_page.h"
#include "ui/dialogs.h"
#include "ui/file_chooser.h"
#include "ui/qt_text.h"
#include "ui/resources.h"
#include "ui/sound_chooser.h"
#include "ui/string_ids.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace app {

namespace {

constexpr int kLeastListChars = 4;
constexpr char16_t kDefaultSound[] = u"\\Windows\\Alarm1.wav";

// Marks a widget that shortens its text on purpose: the action list shortens the names of
// installed faces, which can be of any length.
constexpr char kElidesOnPurpose[] = "tkwElides";

using ui::qText;

QComboBox* listBox(QWidget* parent, unsigned listString, int current)
{
    auto* box = ui::newListBox(parent, ui::list(listString), kLeastListChars);
    box->setCurrentIndex(std::clamp(current, 0, box->count() - 1));
    return box;
}

QFormLayout* bareForm(QWidget* owner)
{
    auto* form = new QFormLayout(owner);
    form->setContentsMargins(0, 0, 0, 0);
    return form;
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
    // Any case: a program named in capitals is still a program to pass parameters to.
    return qText(devicePath).endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
}

bool namesExistingFile(std::u16string_view devicePath)
{
    if (devicePath.empty() || devicePath.front() != u'\\')
        return false;
    const auto host = platform::hostPathOf(devicePath);
    std::error_code error;
    return host && std::filesystem::is_regular_file(*host, error);
}

ProgramPathKind CheckProgramPath(std::u16string_view devicePath)
{
    if (!namesExistingFile(devicePath))
        return ProgramPathKind::Invalid;
    return isProgramPath(devicePath) ? ProgramPathKind::Program : ProgramPathKind::Document;
}

ActionPanel::ActionPanel(QWidget* parent, const ActionFields& current, const QStringList& faces)
    : QWidget(parent)
    , m_current(current)
    , m_faces(faces)
{
    setObjectName(QStringLiteral("ActionPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    const QString currentFace = qText(current.programPath);
    if (current.actionKind == kActionPluginView && !m_faces.contains(currentFace))
        m_faces.append(currentFace);
    m_actionForm = new QFormLayout;
    m_action = ui::newListBox(this, {}, kLeastListChars);
    m_action->setObjectName(QStringLiteral("ActionList"));
    m_action->addItem(ui::list(ui::kNotificationWindowString).value(0));
    const QString show = ui::text(ui::kShowString);
    const QString plugin = ui::splitList(ui::text(ui::kPluginString)).value(0);
    for (const QString& face : m_faces)
        m_action->addItem(show + face + plugin);
    m_action->addItem(ui::list(ui::kExecuteString).value(0));
    int action = 0;
    if (current.actionKind == kActionProgram)
        action = m_action->count() - 1;
    else if (current.actionKind == kActionPluginView)
        action = 1 + int(m_faces.indexOf(currentFace));
    m_action->setCurrentIndex(action);
    m_action->setProperty(kElidesOnPurpose, !m_faces.isEmpty());
    m_actionForm->addRow(ui::text(ui::kActionLabel), m_action);
    layout->addLayout(m_actionForm);

    // Kinds 0 and 1: the sound.
    m_soundPanel = new QWidget(this);
    m_soundForm = bareForm(m_soundPanel);
    m_sound = new ui::SoundChooser(m_soundPanel);
    if (current.soundIndex == 0 || !m_sound->setPath(current.soundPath))
        (void)m_sound->setPosition(0);
    m_soundForm->addRow(ui::text(ui::kSoundLabel), m_sound);
    m_repeat = listBox(m_soundPanel, ui::kRepeatList, current.repeatIndex);
    m_soundForm->addRow(ui::text(ui::kRepeatLabel), m_repeat);
    m_pauseRow = new QHBoxLayout;
    m_pause = listBox(m_soundPanel, ui::kPauseList, current.pauseIndex);
    m_test = new QPushButton(ui::text(ui::kTestString), m_soundPanel);
    m_test->setObjectName(QStringLiteral("TestButton"));
    m_pauseRow->addWidget(m_pause, 1);
    m_pauseRow->addWidget(m_test);
    m_soundForm->addRow(ui::text(ui::kPauseLabel), m_pauseRow);
    layout->addWidget(m_soundPanel);
    connect(m_test, &QPushButton::clicked, this, &ActionPanel::PreviewSound);

    // Kind 2: the program.
    m_programPanel = new QWidget(this);
    m_programForm = bareForm(m_programPanel);
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(m_programPanel);
    m_path->setObjectName(QStringLiteral("ProgramPath"));
    m_path->setMaxLength(kProgramPathLimit);
    auto* browse = new QToolButton(m_programPanel);
    browse->setText(QStringLiteral("..."));
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browse);
    m_programForm->addRow(ui::text(ui::kPathLabel), pathRow);
    m_args = new QLineEdit(m_programPanel);
    m_args->setObjectName(QStringLiteral("ProgramArgs"));
    m_args->setMaxLength(kProgramArgsLimit);
    m_argsLabel = new QLabel(ui::text(ui::kParametersLabel), m_programPanel);
    m_programForm->addRow(m_argsLabel, m_args);
    m_keepAwake = listBox(m_programPanel, ui::kKeepAwakeList, int(current.keepAwakeIndex));
    m_programForm->addRow(ui::text(ui::kKeepAwakeLabel), m_keepAwake);
    layout->addWidget(m_programPanel);
    if (current.actionKind == kActionProgram) {
        m_path->setText(qText(current.programPath));
        m_args->setText(qText(current.programArgs));
    }
    connect(m_path, &QLineEdit::textChanged, this, &ActionPanel::pathEdited);
    connect(browse, &QToolButton::clicked, this, &ActionPanel::browse);

    connect(m_action, &QComboBox::currentIndexChanged, this, &ActionPanel::actionChosen);
    actionChosen();
    pathEdited();
}

ActionPanel::~ActionPanel() = default;

bool ActionPanel::executes() const
{
    return m_action->currentIndex() == m_action->count() - 1;
}

ui::FormsFit ActionPanel::fitScreen(const ui::ScreenGeometry& screen, int bodyWidth, QFormLayout* windowForm)
{
    const int spacing = screen.scaled(ui::kPageSpacingPx);
    m_pauseRow->setSpacing(spacing);
    const ui::FormsFit fit = windowForm
        ? ui::wrapForms({ windowForm, m_actionForm, m_soundForm, m_programForm }, bodyWidth, screen)
        : ui::wrapForms({ m_actionForm, m_soundForm, m_programForm }, bodyWidth, screen);
    for (auto* list : findChildren<QComboBox*>()) {
        int listWidth = fit.fieldWidth;
        if (list == m_pause)
            listWidth -= spacing + m_test->sizeHint().width();
        ui::fitListBox(*list, listWidth);
    }
    return fit;
}

void ActionPanel::actionChosen()
{
    const bool execute = executes();
    m_soundPanel->setVisible(!execute);
    m_programPanel->setVisible(execute);
    if (execute)
        m_stopPreview = true;
}

void ActionPanel::pathEdited()
{
    // Parameters mean something only to a program.
    const bool program = isProgramPath(m_path->text().toStdU16String());
    m_argsLabel->setVisible(program);
    m_args->setVisible(program);
}

void ActionPanel::browse()
{
    const auto start = ui::parentOfDevicePath(m_path->text().toStdU16String());
    if (auto chosen = ui::chooseDeviceFile(this, {}, { QStringLiteral("*.*") }, start.empty() ? u"\\" : start))
        m_path->setText(qText(*chosen));
}

void ActionPanel::reset()
{
    m_sound->setFolder(u"\\Windows");
    if (!m_sound->setPath(kDefaultSound))
        (void)m_sound->setPosition(0);
    m_repeat->setCurrentIndex(0);
    m_pause->setCurrentIndex(0);
}

void ActionPanel::PreviewSound()
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
    m_stopPreview = false;
    m_test->setText(ui::text(ui::kTestString));
}

std::optional<ActionFields> ActionPanel::takeChoices(QWidget* messageParent)
{
    ActionFields chosen = m_current;
    const int action = m_action->currentIndex();
    if (executes()) {
        const std::u16string path = m_path->text().trimmed().left(kProgramPathLimit).toStdU16String();
        const ProgramPathKind kind = CheckProgramPath(path);
        if (kind == ProgramPathKind::Invalid) {
            ui::showMessage(messageParent, ui::text(ui::kInvalidPathText), ui::MessageIcon::Warning,
                ui::MessageButtons::Ok, ui::text(ui::kInvalidPathCaption, 0));
            return std::nullopt;
        }
        chosen.actionKind = kActionProgram;
        chosen.programPath = path;
        chosen.programArgs = kind == ProgramPathKind::Program
            ? m_args->text().left(kProgramArgsLimit).toStdU16String()
            : std::u16string();
        chosen.keepAwakeIndex = std::uint32_t(m_keepAwake->currentIndex());
        return chosen;
    }
    if (action == 0) {
        chosen.actionKind = kActionNotification;
        chosen.programPath.clear();
    } else {
        chosen.actionKind = kActionPluginView;
        chosen.programPath = m_faces.value(action - 1).toStdU16String();
    }
    chosen.programArgs.clear();
    chosen.soundIndex = std::uint32_t(m_sound->position());
    chosen.soundPath = m_sound->path();
    chosen.repeatIndex = std::uint8_t(m_repeat->currentIndex());
    chosen.pauseIndex = std::uint8_t(m_pause->currentIndex());
    return chosen;
}

} // namespace app

#include "app/timer_settings.h"

#include "ui/dialog_page.h"
#include "ui/input_box.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

constexpr int kNameChars = 31; // the record's 32 characters with their zero
const QString kTimeFormat = QStringLiteral("HH:mm:ss");

template <std::size_t N> std::u16string textOf(const char16_t (&field)[N])
{
    return std::u16string(field, std::find(field, field + N, u'\0'));
}

QTimeEdit* newTimeField(QWidget* parent, QTime value)
{
    auto* field = new QTimeEdit(value.isValid() ? value : QTime(0, 0), parent);
    field->setDisplayFormat(kTimeFormat);
    field->setWrapping(true);
    return field;
}

} // namespace

QString timerName(const timers::TimerRecord& timer) { return QString::fromStdU16String(textOf(timer.name)); }

ActionFields actionFieldsOf(const timers::TimerRecord& timer, const std::u16string& soundPath)
{
    ActionFields fields;
    fields.actionKind = std::min<std::uint32_t>(timer.actionKind, kActionProgram);
    fields.programPath = textOf(timer.programPath);
    fields.programArgs = textOf(timer.programArgs);
    fields.keepAwakeIndex = timer.keepAwakeIndex;
    fields.soundIndex = timer.soundIndex;
    fields.soundPath = soundPath;
    fields.repeatIndex = timer.repeatIndex;
    fields.pauseIndex = timer.pauseIndex;
    // A program that is gone leaves the field empty for a new choice.
    if (fields.actionKind == kActionProgram && CheckProgramPath(fields.programPath) == ProgramPathKind::Invalid) {
        fields.programPath.clear();
        fields.programArgs.clear();
    }
    return fields;
}

TimerSettingsWindow::TimerSettingsWindow(QWidget* parent, const timers::TimerRecord& timer,
    const std::u16string& soundPath, const QStringList& faces)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Timer Settings"));
    setWindowTitle(ui::text(ui::kTimerSettingsCaption));
    const auto screen = ui::ScreenGeometry::current();
    const ui::ScrollingPage page = ui::newScrollingPage(*this, QStringLiteral("SettingsArea"), screen);

    auto* own = new QFormLayout;
    m_name = new ui::InputBox(kNameChars, ui::text(ui::kDescriptionHint), page.body);
    m_name->setObjectName(QStringLiteral("TimerName"));
    m_name->setText(timerName(timer));
    own->addRow(m_name);
    m_initial = newTimeField(page.body, QTime(timer.initHour % 24, timer.initMinute % 60, timer.initSecond % 60));
    m_initial->setObjectName(QStringLiteral("InitialValue"));
    own->addRow(ui::text(ui::kInitialValueLabel), m_initial);
    page.layout->addLayout(own);

    m_panel = new ActionPanel(page.body, actionFieldsOf(timer, soundPath), faces);
    page.layout->addWidget(m_panel);

    // "Reset" under the settings it resets, clear of "OK" and "Cancel" on narrow screens.
    auto* resetRow = new QHBoxLayout;
    m_reset = new QPushButton(ui::text(ui::kTimerResetString), page.body);
    m_reset->setObjectName(QStringLiteral("ResetButton"));
    resetRow->addWidget(m_reset);
    resetRow->addStretch(1);
    page.layout->addLayout(resetRow);
    connect(m_reset, &QPushButton::clicked, this, &TimerSettingsWindow::ResetSettings);

    ui::finishScrollingPage(*this, page);

    (void)m_panel->fitScreen(screen, ui::scrollingBodyWidth(*this, screen), own);
    ui::coverWorkArea(*this, screen);
}

TimerSettingsWindow::~TimerSettingsWindow() = default;

void TimerSettingsWindow::ResetSettings()
{
    m_panel->reset();
    m_initial->setTime(QTime(0, 0));
}

void TimerSettingsWindow::accept()
{
    const auto fields = m_panel->takeChoices(this);
    if (!fields)
        return; // stays open, nothing stored
    TimerChoice chosen;
    chosen.settings.name = m_name->text().left(kNameChars).toStdU16String();
    chosen.settings.actionKind = fields->actionKind;
    chosen.settings.soundIndex = fields->soundIndex;
    chosen.settings.soundPath = fields->soundPath;
    chosen.settings.repeatIndex = fields->repeatIndex;
    chosen.settings.pauseIndex = fields->pauseIndex;
    chosen.settings.programPath = fields->programPath;
    chosen.settings.programArgs = fields->programArgs;
    chosen.settings.keepAwakeIndex = fields->keepAwakeIndex;
    chosen.initialValue = m_initial->time();
    m_chosen = std::move(chosen);
    QDialog::accept();
}

void TimerSettingsWindow::done(int result)
{
    m_panel->stopPreview();
    QDialog::done(result);
}

InitialValueDialog::InitialValueDialog(QWidget* parent, QTime value)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("InitialValue"));
    setWindowTitle(ui::text(ui::kInitialValueString));
    const auto screen = ui::ScreenGeometry::current();
    QVBoxLayout* layout = ui::newPageLayout(*this, screen);
    m_time = newTimeField(this, value);
    m_time->setObjectName(QStringLiteral("InitialValueField"));
    layout->addWidget(m_time);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QTime InitialValueDialog::value() const { return m_time->time(); }

} // namespace app

#include "app/alarm_settings.h"

#include "ui/dialog_page.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"
#include "ui/string_ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

constexpr int kLeastListChars = 4;

static_assert(kActionNotification == alarms::kShowNotification);
static_assert(kActionPluginView == alarms::kShowPluginView);
static_assert(kActionProgram == alarms::kExecuteProgram);

QComboBox* listBox(QWidget* parent, unsigned listString, int current)
{
    auto* box = ui::newListBox(parent, ui::list(listString), kLeastListChars);
    box->setCurrentIndex(std::clamp(current, 0, box->count() - 1));
    return box;
}

ActionFields actionFieldsOf(const alarms::AlarmSettings& alarm)
{
    ActionFields fields;
    fields.actionKind = alarm.actionKind;
    fields.programPath = alarm.programPath;
    fields.programArgs = alarm.programArgs;
    fields.keepAwakeIndex = alarm.keepAwakeIndex;
    fields.soundIndex = alarm.soundIndex;
    fields.soundPath = alarm.soundPath;
    fields.repeatIndex = alarm.repeatIndex;
    fields.pauseIndex = alarm.pauseIndex;
    return fields;
}

} // namespace

AlarmSettingsWindow::AlarmSettingsWindow(
    QWidget* parent, int alarm, const alarms::AlarmSettings& current, const QStringList& faces)
    : QDialog(parent)
    , m_chosen(current)
{
    setObjectName(QStringLiteral("Alarm Settings"));
    setWindowTitle(ui::text(ui::kCaptionString) + QStringLiteral(" %1").arg(alarm + 1, 2, 10, QLatin1Char('0')));
    const auto screen = ui::ScreenGeometry::current();
    // The settings scroll when the screen is too short for them; they never scroll sideways.
    const ui::ScrollingPage page = ui::newScrollingPage(*this, QStringLiteral("SettingsArea"), screen);

    m_panel = new ActionPanel(page.body, actionFieldsOf(current), faces);
    page.layout->addWidget(m_panel);

    // The repeating alarm belongs with the sound: it shows and hides with it.
    QFormLayout* sound = m_panel->soundForm();
    QWidget* soundPanel = sound->parentWidget();
    m_repeatingAlarm = new QCheckBox(ui::text(ui::kRepeatingAlarmString), soundPanel);
    m_repeatingAlarm->setChecked(current.repeatAlarm);
    sound->addRow(m_repeatingAlarm);
    m_repeatCount = listBox(soundPanel, ui::kRepeatCountList, current.repeatAlarmCountIndex);
    m_repeatInterval = listBox(soundPanel, ui::kRepeatIntervalList, current.repeatAlarmIntervalIndex);
    sound->addRow(ui::text(ui::kCountLabel), m_repeatCount);
    sound->addRow(ui::text(ui::kIntervalLabel), m_repeatInterval);
    connect(m_repeatingAlarm, &QCheckBox::toggled, this, [this](bool on) {
        m_repeatCount->setEnabled(on);
        m_repeatInterval->setEnabled(on);
    });
    m_repeatCount->setEnabled(current.repeatAlarm);
    m_repeatInterval->setEnabled(current.repeatAlarm);

    ui::finishScrollingPage(*this, page);
    // The window covers the work area, as the device's dialogs do; its settings get the
    // width less the margins and a scroll bar.
    (void)m_panel->fitScreen(screen, ui::scrollingBodyWidth(*this, screen));
    ui::coverWorkArea(*this, screen);
}

AlarmSettingsWindow::~AlarmSettingsWindow() = default;

void AlarmSettingsWindow::accept()
{
    const auto fields = m_panel->takeChoices(this);
    if (!fields)
        return; // stays open
    alarms::AlarmSettings chosen = m_chosen;
    chosen.actionKind = fields->actionKind;
    chosen.programPath = fields->programPath;
    chosen.programArgs = fields->programArgs;
    chosen.keepAwakeIndex = fields->keepAwakeIndex;
    chosen.soundIndex = fields->soundIndex;
    chosen.soundPath = fields->soundPath;
    chosen.repeatIndex = fields->repeatIndex;
    chosen.pauseIndex = fields->pauseIndex;
    if (fields->actionKind != kActionProgram) {
        chosen.repeatAlarm = m_repeatingAlarm->isChecked();
        chosen.repeatAlarmCountIndex = std::uint8_t(m_repeatCount->currentIndex());
        chosen.repeatAlarmIntervalIndex = std::uint8_t(m_repeatInterval->currentIndex());
    }
    m_chosen = chosen;
    QDialog::accept();
}

void AlarmSettingsWindow::done(int result)
{
    m_panel->stopPreview();
    QDialog::done(result);
}

} // namespace app

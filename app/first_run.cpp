#include "app/first_run.h"

#include "cities/view/city_list.h"
#include "cities/view/home_location.h"
#include "platform/registry.h"
#include "platform/windows.h"
#include "store/language.h"
#include "store/settings.h"
#include "ui/dialogs.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr std::u16string_view kTodayItemKey = u"Software\\Microsoft\\Today\\Items\\Tickwell Pro";
constexpr WPARAM kTodayItemsChanged = 0xf2;

struct LanguageName {
    DWORD index;
    const char* name;
};
// Spanish has texts only in the runner and the home-screen item.
constexpr LanguageName kLanguages[] = {
    { store::kEnglish, "English" },
    { store::kGerman, "Deutsch" },
    { store::kFrench, "Français" },
    { store::kItalian, "Italiano" },
    { store::kRussian, "Русский" },
};

} // namespace

void showCriticalError(QWidget* parent)
{
    ui::showMessage(parent, ui::text(ui::kCriticalErrorString), ui::MessageIcon::Error);
}

void showAbout(QWidget* parent)
{
    ui::showMessage(parent,
        ui::text(ui::kProductNameString) + QStringLiteral(" " TKW_VERSION "\n") + ui::text(ui::kBuildString)
            + QStringLiteral(" " __DATE__),
        ui::MessageIcon::Information);
}

LanguageStep::LanguageStep(QWidget* parent, DWORD preselected)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LanguageStep"));
    setWindowTitle(ui::text(ui::kProductNameString));
    auto* layout = new QVBoxLayout(this);
    m_prompt = new QLabel(this);
    m_prompt->setWordWrap(true);
    layout->addWidget(m_prompt);
    m_list = new QListWidget(this);
    for (const auto& language : kLanguages) {
        auto* item = new QListWidgetItem(QString::fromUtf8(language.name), m_list);
        item->setData(Qt::UserRole, unsigned(language.index));
    }
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentRowChanged, this,
        [this] { m_prompt->setText(ui::text(ui::kLanguagePromptString, language())); });
    choose(preselected);
    // As tall as its languages where the screen has the room, scrolling where it has not.
    m_list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    ui::fitWorkArea(*this);
}

DWORD LanguageStep::language() const
{
    const auto* item = m_list->currentItem();
    return item ? DWORD(item->data(Qt::UserRole).toUInt()) : store::kEnglish;
}

void LanguageStep::choose(DWORD language)
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->data(Qt::UserRole).toUInt() == language) {
            m_list->setCurrentRow(row);
            return;
        }
    }
    m_list->setCurrentRow(0);
}

void applyFirstRunLanguage(DWORD language)
{
    (void)store::WriteLanguage(language);
    store::resetCitiesForLanguage(store::settings(), language);
    store::settings().dateFormat = std::uint8_t(store::defaultDateFormat(language));
    if (language != store::kEnglish && language != store::kGerman && language != store::kRussian) {
        (void)platform::writeRegistryDword(platform::RegistryRoot::LocalMachine, kTodayItemKey, u"Enabled", 1);
        platform::broadcastMessage(WM_SETTINGCHANGE, kTodayItemsChanged, 0);
    }
}

DWORD runFirstRunSetUp(QWidget* parent)
{
    LanguageStep step(parent, store::hostLanguage());
    step.exec(); // dismissed: the language it shows is the one taken
    const DWORD language = step.language();
    applyFirstRunLanguage(language);
    (void)store::SaveSettings();
    return language;
}

void runFirstStartHomeLocation(QWidget* parent, cities::CityDatabase& database)
{
    // The language step chose the cities of its language; the database was read before.
    const auto& settings = store::settings();
    const auto refOf = [](const store::CityRef& stored) {
        return cities::CityRef { std::int32_t(stored.continent), std::int32_t(stored.index) };
    };
    database.setSlot(cities::CityDatabase::kHomeSlot, refOf(settings.homeCity));
    database.setSlot(cities::CityDatabase::kVisitingSlot, refOf(settings.visitingCity));
    (void)database.selectCurrentCity(std::int32_t(settings.worldCity.continent), std::int32_t(settings.worldCity.index));
    cities::HomeLocationDialog dialog(parent, database, cities::HomeLocationForm::FirstStart);
    if (dialog.exec() != QDialog::Accepted)
        cities::applyHomeLocation(database, dialog.chooser()->city(), cities::HomeLocationForm::FirstStart);
    (void)store::SaveSettings();
}

bool runHomeLocationCheck(QWidget* parent, cities::CityDatabase& database)
{
    if (!cities::homeLocationChanged(database))
        return false;
    cities::HomeLocationDialog dialog(parent, database, cities::HomeLocationForm::ZoneChanged);
    if (dialog.exec() == QDialog::Accepted)
        (void)store::SaveSettings();
    return true;
}

} // namespace app

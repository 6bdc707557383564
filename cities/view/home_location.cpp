#include "cities/view/home_location.h"

#include "cities/view/city_list.h"
#include "cities/view/city_strings.h"
#include "cities/world_time.h"
#include "platform/device_clock.h"
#include "store/settings.h"
#include "ui/dialog_page.h"
#include "ui/resources.h"
#include "ui/screen_geometry.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace cities {

namespace {

store::CityRef storedOf(CityRef ref)
{
    return { std::uint32_t(std::max(ref.continent, 0)), std::uint32_t(std::max(ref.index, 0)) };
}

// The chooser with its two labels, "Continent:" and "City:", each beside its list.
class LabelledChooser final : public QWidget {
public:
    LabelledChooser(
        CityDatabase& database, CityRef initial, const ui::ScreenGeometry& screen, QWidget* parent)
        : QWidget(parent)
        , m_spacing(screen.scaled(ui::kPageSpacingPx))
    {
        const QFont font = ui::suiteFont(ui::FontRole::Normal12, screen);
        m_continent = new QLabel(ui::text(kContinentLabel), this);
        m_city = new QLabel(ui::text(kCityLabel), this);
        for (auto* label : { m_continent, m_city }) {
            label->setFont(font);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
        m_chooser = new CityList(database, initial, screen, this);
        m_chooser->setObjectName(QStringLiteral("HomeLocationChooser"));
    }

    [[nodiscard]] CityList* chooser() const { return m_chooser; }

    [[nodiscard]] QSize sizeHint() const override
    {
        const QSize list = m_chooser->sizeHint();
        return { labelWidth() + m_spacing + list.width(),
            std::max(list.height(), 2 * m_continent->sizeHint().height()) };
    }
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        const int labels = labelWidth();
        const int half = height() / 2;
        m_continent->setGeometry(0, 0, labels, half);
        m_city->setGeometry(0, half, labels, height() - half);
        m_chooser->setGeometry(
            labels + m_spacing, 0, std::max(width() - labels - m_spacing, 0), height());
    }

private:
    [[nodiscard]] int labelWidth() const
    {
        return std::max(m_continent->sizeHint().width(), m_city->sizeHint().width());
    }

    int m_spacing;
    QLabel* m_continent;
    QLabel* m_city;
    CityList* m_chooser;
};

} // namespace

void applyHomeLocation(CityDatabase& database, CityRef chosen, HomeLocationForm form)
{
    const CityRecord* city = database.record(chosen);
    if (!city)
        return;
    ApplyOptions options;
    options.firstStart = form == HomeLocationForm::FirstStart;
    (void)applyCityZone(database, chosen, options);
    auto& settings = store::settings();
    const CityRef world = database.slot(CityDatabase::kWorldSlot);
    settings.worldCity = storedOf(world);
    if (form == HomeLocationForm::FirstStart) {
        database.setSlot(CityDatabase::kHomeSlot, world);
        settings.homeCity = storedOf(world);
        settings.homeActive = 1;
        return;
    }
    // The device keeps the chosen city's zone now: the set-time page shows it as the
    // active one of Home and Visiting.
    if (database.record(database.slot(CityDatabase::kHomeSlot)) == city) {
        settings.homeActive = 1;
        return;
    }
    database.setSlot(CityDatabase::kVisitingSlot, world);
    settings.visitingCity = storedOf(world);
    settings.homeActive = 0;
}

bool homeLocationChanged(const CityDatabase& database)
{
    const CityRecord* world = database.record(database.slot(CityDatabase::kWorldSlot));
    if (!world)
        return false;
    TIME_ZONE_INFORMATION device {};
    if (GetTimeZoneInformation(&device) == TIME_ZONE_ID_INVALID)
        return false; // nothing to compare with: asking would not help the user
    return homeLocationDiffers(device, zoneOfCity(*world, true));
}

HomeLocationDialog::HomeLocationDialog(
    QWidget* parent, CityDatabase& database, HomeLocationForm form)
    : QDialog(parent)
    , m_database(database)
    , m_form(form)
{
    setObjectName(QStringLiteral("HomeLocation"));
    setWindowTitle(ui::text(kHomeLocationTitle));
    const auto screen = ui::ScreenGeometry::current();
    auto* layout = ui::newPageLayout(*this, screen, 2 * ui::kPageSpacingPx);

    auto* title = new QLabel(ui::text(kHomeLocationTitle), this);
    title->setObjectName(QStringLiteral("HomeLocationTitle"));
    QFont bold = ui::suiteFont(ui::FontRole::Normal12, screen);
    bold.setBold(true);
    title->setFont(bold);
    title->setWordWrap(true);
    layout->addWidget(title);
    auto* message = new QLabel(
        ui::text(form == HomeLocationForm::FirstStart ? kFirstLaunchMessage : kZoneChangedMessage),
        this);
    message->setObjectName(QStringLiteral("HomeLocationMessage"));
    message->setFont(ui::suiteFont(ui::FontRole::Normal12, screen));
    message->setWordWrap(true);
    layout->addWidget(message);

    auto* chooser
        = new LabelledChooser(database, database.slot(CityDatabase::kWorldSlot), screen, this);
    m_chooser = chooser->chooser();
    layout->addWidget(chooser);
    layout->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &HomeLocationDialog::accept);
    ui::coverWorkArea(*this, screen);
}

void HomeLocationDialog::accept()
{
    // The chooser's slot follows its city through another program's last change.
    (void)m_database.reloadIfChanged();
    applyHomeLocation(m_database, m_chooser->city(), m_form);
    QDialog::accept();
}

} // namespace cities

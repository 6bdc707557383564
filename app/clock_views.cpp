#include "app/clock_views.h"

#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/dialogs.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QDate>
#include <QPainter>

namespace app {

namespace {

using platform::localNow;

} // namespace

void paintViewBackground(QPainter& painter, const faces::SkinSet& skin, int view, const ViewContext& context)
{
    painter.fillRect(context.area, skin.loaded() ? skin.colour(faces::skin::kWindowColour) : QColor(Qt::white));
    if (!skin.loaded())
        return;
    const int word = faces::skin::kFirstViewBackground + 5 * view;
    const QImage background = skin.imageOf(word);
    if (!background.isNull()) {
        const auto element = skin.element(word);
        painter.drawImage(QPoint(element.values[0], element.values[1]), background);
    }
}

int weekNumber(const SYSTEMTIME& date, bool iso, int firstDayOfWeek)
{
    const QDate day(date.wYear, date.wMonth, date.wDay);
    if (!day.isValid())
        return 1;
    if (iso)
        return day.weekNumber();
    // firstDayOfWeek: 0 Monday ... 6 Sunday; QDate: 1 Monday ... 7 Sunday.
    const QDate january(date.wYear, 1, 1);
    const int offset = (january.dayOfWeek() - 1 - firstDayOfWeek + 7) % 7;
    return (day.dayOfYear() - 1 + offset) / 7 + 1;
}

DigitalClockView::DigitalClockView(const faces::SkinSet& skin, const ui::ScreenGeometry& geometry)
    : View(1)
    , m_skin(skin)
{
    DigitalClockView::rebuild(geometry);
}

void DigitalClockView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_clock = m_skin.loaded() ? std::make_unique<faces::DigitalClock>(m_skin, geometry) : nullptr;
}

void DigitalClockView::paint(QPainter& painter, const ViewContext& context)
{
    paintViewBackground(painter, m_skin, index(), context);
    if (!m_clock)
        return;
    const auto& locale = platform::userLocale();
    faces::DigitalClockInputs inputs;
    inputs.localTime = localNow();
    inputs.dateFormat = 0; // "MMMM dd, yyyy" beside the day's name
    inputs.use24Hour = locale.use24Hour;
    // Until the city database names the home city, the line shows the week alone.
    inputs.homeCityName = ui::text(ui::kWeekString).toStdU16String();
    inputs.weekNumber = weekNumber(inputs.localTime, store::settings().weekNumbering == 1, locale.firstDayOfWeek);
    inputs.locale = &locale;
    m_clock->draw(painter, inputs);
}

AnalogClockView::AnalogClockView(const faces::SkinSet& skin, const ui::ScreenGeometry& geometry)
    : View(2)
    , m_skin(skin)
{
    AnalogClockView::rebuild(geometry);
}

void AnalogClockView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_clock = m_skin.loaded() ? std::make_unique<faces::LargeAnalogClock>(m_skin, faces::skin::kLargeDial, geometry)
                              : nullptr;
}

void AnalogClockView::paint(QPainter& painter, const ViewContext& context)
{
    paintViewBackground(painter, m_skin, index(), context);
    if (m_clock)
        m_clock->draw(painter, m_clock->viewPosition(), localNow(), &platform::userLocale());
}

FaceView::FaceView(QWidget* parent, const ui::ScreenGeometry& geometry, FaceClockSource clock)
    : View(13)
    , m_parent(parent)
    , m_scaleShift(geometry.scaleShift)
    , m_clock(std::move(clock))
{
}

void FaceView::choose(QString name, std::optional<std::u16string> devicePath)
{
    m_name = std::move(name);
    m_path = std::move(devicePath);
}

bool FaceView::activate()
{
    if (!m_path)
        return false;
    if (!m_host.load(*m_path, m_scaleShift))
        ui::showMessage(m_parent, QStringLiteral("Plugin loading error!"));
    return true;
}

void FaceView::leave() { m_host.unload(); }

void FaceView::paint(QPainter& painter, const ViewContext& context)
{
    painter.fillRect(context.area, Qt::black);
    if (!m_host.loaded())
        return;
    faces::FaceInputs inputs;
    inputs.clock = m_clock();
    inputs.locale = &platform::userLocale();
    m_host.draw(painter, inputs);
}

bool FaceView::closesAt(QPoint point) const { return m_host.loaded() && m_host.closeRect().contains(point); }

} // namespace app

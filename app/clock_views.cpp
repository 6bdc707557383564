#include "app/clock_views.h"

#include "cities/world_time.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "store/settings.h"
#include "ui/dialogs.h"
#include "ui/layout_report.h"
#include "ui/resources.h"
#include "ui/string_ids.h"

#include <QDate>
#include <QPainter>
#include <algorithm>

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

faces::DigitalClockInputs digitalClockInputs(const SYSTEMTIME& now, const store::SettingsRecord& settings,
    const platform::LocaleInfo& locale, const cities::CityDatabase* database)
{
    faces::DigitalClockInputs inputs;
    inputs.localTime = now;
    inputs.dateFormat = settings.dateFormat;
    inputs.use24Hour = locale.use24Hour;
    // The world-time city with its offset, then the week; without cities the week alone.
    inputs.homeCityName = ui::text(ui::kWeekString).toStdU16String();
    if (database && database->available()) {
        if (const auto* world = database->record(database->slot(cities::CityDatabase::kWorldSlot)))
            inputs.homeCityName = cities::offsetLabel(*world) + u' ' + inputs.homeCityName;
        if (const auto* visiting = database->record(database->slot(cities::CityDatabase::kVisitingSlot)))
            inputs.visitingTime = cities::cityLocalTimeNow(*visiting);
    }
    inputs.weekNumber = weekNumber(now, settings.weekNumbering == 1, locale.firstDayOfWeek);
    inputs.locale = &locale;
    return inputs;
}

DigitalClockView::DigitalClockView(
    const faces::SkinSet& skin, const ui::ScreenGeometry& geometry, const cities::CityDatabase* database)
    : View(1)
    , m_skin(skin)
    , m_database(database)
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
    m_clock->draw(painter, digitalClockInputs(localNow(), store::settings(), platform::userLocale(), m_database));
}

void DigitalClockView::reportLayout(ui::LayoutReport& report, const ViewContext&) const
{
    if (m_clock)
        m_clock->reportLayout(report, digitalClockInputs(localNow(), store::settings(), platform::userLocale(), m_database));
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
        m_clock->draw(painter, m_clock->dialBoxIn(context.area, m_clock->viewPosition()), localNow(),
            &platform::userLocale());
}

void AnalogClockView::reportLayout(ui::LayoutReport& report, const ViewContext& context) const
{
    if (m_clock)
        m_clock->reportLayout(report, m_clock->dialBoxIn(context.area, m_clock->viewPosition()), localNow(),
            &platform::userLocale());
}

FaceView::FaceView(QWidget* parent, const ui::ScreenGeometry& geometry, FaceClockSource clock)
    : View(13)
    , m_parent(parent)
    , m_scaleShift(geometry.scaleShift)
    , m_screen(0, 0, geometry.width, geometry.height)
    , m_landscape(geometry.landscape)
    , m_clock(std::move(clock))
{
}

void FaceView::rebuild(const ui::ScreenGeometry& geometry)
{
    m_scaleShift = geometry.scaleShift;
    m_screen = QRect(0, 0, geometry.width, geometry.height);
    m_landscape = geometry.landscape;
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
    if (!m_host.load(*m_path, m_scaleShift)) {
        if (m_refuseBroken)
            return false;
        ui::showMessage(m_parent, QStringLiteral("Plugin loading error!"));
    }
    m_hintSeconds = kCloseHintSeconds;
    return true;
}

void FaceView::leave()
{
    m_host.unload();
    m_hintSeconds = 0;
}

void FaceView::perSecond(QPainter& painter, const ViewContext& context)
{
    if (m_hintSeconds > 0)
        --m_hintSeconds;
    paint(painter, context);
}

void FaceView::paint(QPainter& painter, const ViewContext& context)
{
    // Beyond a face drawn smaller than the screen lies its own background colour.
    painter.fillRect(context.area, m_host.loaded() ? m_host.backgroundColour() : QColor(Qt::black));
    const auto drawCross = [&painter](const QRect& box) {
        // A framed cross: the sign of the area that closes the view.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, std::max(2, box.width() / 16)));
        painter.setBrush(QColor(64, 64, 64, 192));
        painter.drawRoundedRect(QRectF(box).adjusted(1, 1, -1, -1), 4, 4);
        const int side = std::min(box.width(), box.height()) / 3;
        const QRect cross(box.center() - QPoint(side / 2, side / 2), QSize(side, side));
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.bottomLeft(), cross.topRight());
        painter.restore();
    };
    if (!m_host.loaded()) {
        // Nothing to show: the whole screen leaves, and says so in its middle.
        const int side = context.screen.scaled(48);
        drawCross(QRect(context.area.center() - QPoint(side / 2, side / 2), QSize(side, side)));
        return;
    }
    faces::FaceInputs inputs;
    inputs.clock = m_clock();
    inputs.locale = &platform::userLocale();
    m_host.drawFitted(painter, inputs, context.area);
    if (m_hintSeconds > 0)
        drawCross(closeArea());
}

QRect FaceView::closeArea() const
{
    const QRect area = m_host.closeRect();
    if (!area.isValid() || area.isEmpty()) {
        // A face without a close area is left by its top right corner.
        const int side = 40 << m_scaleShift;
        return { m_screen.right() + 1 - side, m_screen.top(), side, side };
    }
    // The file's rectangle where the face lies on this screen.
    const QSize size = m_host.faceSize();
    const QRect face = faces::FaceHost::fittedRect(size, m_screen);
    QRect shown = area.translated(face.topLeft());
    if (face.size() != size && size.width() > 0 && size.height() > 0) {
        const auto x = [&](int value) { return face.left() + value * face.width() / size.width(); };
        const auto y = [&](int value) { return face.top() + value * face.height() / size.height(); };
        shown = QRect(QPoint(x(area.left()), y(area.top())), QPoint(x(area.right() + 1) - 1, y(area.bottom() + 1) - 1));
    }
    if (m_landscape)
        shown.moveLeft(m_screen.left() + m_screen.right() - shown.right());
    return shown;
}

bool FaceView::closesAt(QPoint point) const { return !m_host.loaded() || closeArea().contains(point); }

} // namespace app

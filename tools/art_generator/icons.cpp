#include "tools/art_generator/icons.h"

#include "tools/art_generator/canvas.h"

#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// A point at `radius` from `centre`, `degrees` clockwise from twelve o'clock.
QPointF polar(QPointF centre, double radius, double degrees)
{
    return centre
        + QPointF(std::sin(degrees * kDegree) * radius, -std::cos(degrees * kDegree) * radius);
}

class Grid {
public:
    Grid(QPainter& painter, QColor ink, double strokeWidth)
        : m_painter(painter)
        , m_ink(ink)
        , m_stroke(strokeWidth)
    {
        outline();
    }
    void outline()
    {
        QPen pen(m_ink, m_stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        m_painter.setPen(pen);
        m_painter.setBrush(Qt::NoBrush);
    }
    void filled()
    {
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(m_ink);
    }
    void line(double x1, double y1, double x2, double y2)
    {
        m_painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    void circle(double x, double y, double r) { m_painter.drawEllipse(QPointF(x, y), r, r); }
    void dot(double x, double y, double r)
    {
        filled();
        circle(x, y, r);
        outline();
    }
    void polyline(std::initializer_list<QPointF> points)
    {
        m_painter.drawPolyline(QPolygonF(points));
    }
    void path(const QPainterPath& path) { m_painter.drawPath(path); }
    double stroke() const { return m_stroke; }
    QPainter& painter() { return m_painter; }
    QColor ink() const { return m_ink; }

private:
    QPainter& m_painter;
    QColor m_ink;
    double m_stroke;
};

void clockHands(Grid& g, double cx, double cy, double hourLength, double minuteLength)
{
    g.polyline({ QPointF(cx, cy - minuteLength), QPointF(cx, cy),
        QPointF(cx + hourLength * 0.87, cy + hourLength * 0.5) });
}

void alarm(Grid& g)
{
    g.circle(12, 13, 7.2);
    clockHands(g, 12, 13, 3.4, 4.2);
    // The two bells, as short arcs over the shoulders.
    QPainterPath bells;
    bells.moveTo(3.2, 7.4);
    bells.quadTo(3.6, 3.6, 7.4, 3.2);
    bells.moveTo(20.8, 7.4);
    bells.quadTo(20.4, 3.6, 16.6, 3.2);
    g.path(bells);
    g.line(7.4, 19.0, 5.8, 21.0);
    g.line(16.6, 19.0, 18.2, 21.0);
}

void hourglass(Grid& g)
{
    g.line(6, 3, 18, 3);
    g.line(6, 21, 18, 21);
    QPainterPath glass;
    glass.moveTo(7.5, 3);
    glass.cubicTo(7.5, 8.5, 12, 9.5, 12, 12);
    glass.cubicTo(12, 14.5, 7.5, 15.5, 7.5, 21);
    glass.moveTo(16.5, 3);
    glass.cubicTo(16.5, 8.5, 12, 9.5, 12, 12);
    glass.cubicTo(12, 14.5, 16.5, 15.5, 16.5, 21);
    g.path(glass);
    g.filled();
    QPainterPath sand;
    sand.moveTo(9.0, 20.0);
    sand.lineTo(15.0, 20.0);
    sand.quadTo(13.2, 17.0, 12.0, 16.6);
    sand.quadTo(10.8, 17.0, 9.0, 20.0);
    g.path(sand);
    g.outline();
}

void stopwatch(Grid& g)
{
    g.circle(12, 13.8, 7.4);
    g.line(12, 6.4, 12, 4.2);
    g.line(9.6, 3.0, 14.4, 3.0);
    g.line(17.6, 8.0, 19.2, 6.4);
    g.line(12, 13.8, 14.6, 10.6);
    g.dot(12, 13.8, 1.1);
}

void sun(Grid& g, double centreY, bool up)
{
    QPainterPath disc;
    disc.moveTo(6.5, centreY);
    disc.arcTo(QRectF(6.5, centreY - 5.5, 11, 11), 180, -180);
    g.path(disc);
    g.line(2.5, centreY, 21.5, centreY);
    for (double angle : { -60.0, 60.0 }) {
        const QPointF from = polar(QPointF(12, centreY), 7.8, angle);
        const QPointF to = polar(QPointF(12, centreY), 10.2, angle);
        g.line(from.x(), from.y(), to.x(), to.y());
    }
    if (up) {
        g.line(12, 10.0, 12, 2.8);
        g.polyline({ QPointF(9.2, 5.6), QPointF(12, 2.8), QPointF(14.8, 5.6) });
    } else {
        g.line(12, 2.8, 12, 10.0);
        g.polyline({ QPointF(9.2, 7.2), QPointF(12, 10.0), QPointF(14.8, 7.2) });
    }
}

void globe(Grid& g, bool detailed)
{
    g.circle(12, 12, 8.6);
    g.painter().drawEllipse(QRectF(8.0, 3.4, 8.0, 17.2));
    g.line(3.4, 12, 20.6, 12);
    if (detailed) {
        QPainterPath latitudes;
        latitudes.moveTo(5.0, 7.6);
        latitudes.quadTo(12, 9.4, 19.0, 7.6);
        latitudes.moveTo(5.0, 16.4);
        latitudes.quadTo(12, 14.6, 19.0, 16.4);
        g.path(latitudes);
    }
}

void calendar(Grid& g, bool tick)
{
    g.painter().drawRoundedRect(QRectF(3.8, 5.2, 16.4, 15.6), 2.4, 2.4);
    g.line(3.8, 10.0, 20.2, 10.0);
    g.line(8.2, 3.2, 8.2, 7.0);
    g.line(15.8, 3.2, 15.8, 7.0);
    if (tick) {
        g.polyline({ QPointF(8.6, 15.2), QPointF(11.0, 17.4), QPointF(15.6, 12.8) });
    } else {
        g.filled();
        g.painter().drawRoundedRect(QRectF(12.6, 13.0, 4.2, 4.2), 0.8, 0.8);
        g.outline();
    }
}

void clock(Grid& g)
{
    g.circle(12, 12, 8.6);
    clockHands(g, 12, 12, 3.6, 4.8);
}

void analogClock(Grid& g)
{
    g.circle(12, 12, 9.0);
    for (int hour = 0; hour < 12; hour += 3) {
        const QPointF from = polar(QPointF(12, 12), 6.6, hour * 30.0);
        const QPointF to = polar(QPointF(12, 12), 7.6, hour * 30.0);
        g.line(from.x(), from.y(), to.x(), to.y());
    }
    g.polyline(
        { polar(QPointF(12, 12), 5.4, 60.0), QPointF(12, 12), polar(QPointF(12, 12), 3.8, 300.0) });
}

void viewListArrow(Grid& g)
{
    g.filled();
    QPainterPath arrow;
    arrow.moveTo(6.5, 9.0);
    arrow.lineTo(17.5, 9.0);
    arrow.lineTo(12.0, 15.5);
    arrow.closeSubpath();
    g.painter().setPen(QPen(g.ink(), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.path(arrow);
    g.outline();
}

void home(Grid& g)
{
    g.polyline({ QPointF(3.2, 11.2), QPointF(12, 3.8), QPointF(20.8, 11.2) });
    g.polyline({ QPointF(5.8, 9.4), QPointF(5.8, 20.2), QPointF(18.2, 20.2), QPointF(18.2, 9.4) });
    g.polyline(
        { QPointF(10.0, 20.2), QPointF(10.0, 14.6), QPointF(14.0, 14.6), QPointF(14.0, 20.2) });
}

void digitalClock(Grid& g, const Fonts& fonts)
{
    g.painter().drawRoundedRect(QRectF(2.0, 5.5, 20.0, 13.0), 2.6, 2.6);
    g.filled();
    const QPainterPath text = fonts.textPath(QStringLiteral("12:30"), Fonts::Weight::Bold, 10.0);
    g.path(fittedIn(text, QRectF(4.6, 8.4, 14.8, 7.2)));
    g.outline();
}

void moon(Grid& g)
{
    g.filled();
    QPainterPath lit;
    lit.addEllipse(QPointF(12, 12), 8.6, 8.6);
    QPainterPath shadow;
    shadow.addEllipse(QPointF(15.4, 9.6), 7.6, 7.6);
    g.path(lit.subtracted(shadow));
    g.outline();
}

void skyline(Grid& g)
{
    g.line(2.2, 20.4, 21.8, 20.4);
    g.polyline({ QPointF(4.0, 20.4), QPointF(4.0, 10.4), QPointF(9.0, 10.4), QPointF(9.0, 20.4) });
    g.polyline({ QPointF(9.0, 20.4), QPointF(9.0, 4.2), QPointF(15.0, 4.2), QPointF(15.0, 20.4) });
    g.polyline(
        { QPointF(15.0, 20.4), QPointF(15.0, 12.4), QPointF(20.0, 12.4), QPointF(20.0, 20.4) });
    const double r = std::max(0.7, g.stroke() * 0.45);
    for (double y : { 7.6, 11.2, 14.8 })
        g.dot(12.0, y, r);
    for (double y : { 13.6, 17.0 })
        g.dot(6.5, y, r);
    g.dot(17.5, 15.6, r);
}

void internetTime(Grid& g, const Fonts& fonts)
{
    g.filled();
    const QPainterPath at = fonts.textPath(QStringLiteral("@"), Fonts::Weight::Bold, 20.0);
    g.path(fittedIn(at, QRectF(2.6, 2.6, 18.8, 18.8)));
    g.outline();
}

void calculator(Grid& g)
{
    g.painter().drawRoundedRect(QRectF(4.6, 2.6, 14.8, 18.8), 2.4, 2.4);
    g.painter().drawRoundedRect(QRectF(7.6, 5.6, 8.8, 3.8), 0.8, 0.8);
    const double r = std::max(0.8, g.stroke() * 0.55);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            g.dot(8.4 + column * 3.6, 12.6 + row * 3.0, r);
    }
}

void more(Grid& g)
{
    for (double x : { 5.6, 12.0, 18.4 })
        g.dot(x, 12.0, 1.9);
}

} // namespace

Icon viewIcon(int index)
{
    constexpr std::array kViews = { Icon::General, Icon::DigitalClock, Icon::AnalogClock,
        Icon::Alarm, Icon::Timer, Icon::Stopwatch, Icon::Events, Icon::WorldTime, Icon::MoonPhases,
        Icon::SunRiseSet, Icon::CityTime, Icon::InternetTimeView, Icon::TimeCalc, Icon::More };
    return kViews[std::size_t(index)];
}

void drawIcon(QPainter& painter, Icon icon, const QRectF& box, QColor ink, double strokeWidth,
    const Fonts& fonts)
{
    painter.save();
    painter.translate(box.topLeft());
    painter.scale(box.width() / 24.0, box.height() / 24.0);
    Grid g(painter, ink, strokeWidth);
    switch (icon) {
    case Icon::Alarm:
        alarm(g);
        break;
    case Icon::Timer:
        hourglass(g);
        break;
    case Icon::Stopwatch:
        stopwatch(g);
        break;
    case Icon::Sunrise:
        sun(g, 17.0, true);
        break;
    case Icon::Sunset:
        sun(g, 17.0, false);
        break;
    case Icon::InternetTime:
        globe(g, false);
        break;
    case Icon::Date:
        calendar(g, false);
        break;
    case Icon::Time:
        clock(g);
        break;
    case Icon::ViewListArrow:
        viewListArrow(g);
        break;
    case Icon::General:
        home(g);
        break;
    case Icon::DigitalClock:
        digitalClock(g, fonts);
        break;
    case Icon::AnalogClock:
        analogClock(g);
        break;
    case Icon::Events:
        calendar(g, true);
        break;
    case Icon::WorldTime:
        globe(g, true);
        break;
    case Icon::MoonPhases:
        moon(g);
        break;
    case Icon::SunRiseSet:
        sun(g, 17.0, true);
        break;
    case Icon::CityTime:
        skyline(g);
        break;
    case Icon::InternetTimeView:
        internetTime(g, fonts);
        break;
    case Icon::TimeCalc:
        calculator(g);
        break;
    case Icon::More:
        more(g);
        break;
    }
    painter.restore();
}

} // namespace art

// Orrery: an analog face in deep-sky blue and brass. Planets on faint orbits decorate the
// dial; the hands are brass leaves and a coral second hand whose hub is the sun.

#include "tools/art_generator/faces.h"

#include "tools/art_generator/face_layout.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <numbers>

namespace art {

namespace {

const QColor kSpaceCentre(0x1c2a4a);
const QColor kSpaceEdge(0x080d1a);
const QColor kBrass(0xd2b06c);
const QColor kBrassLight(0xeed9a6);
const QColor kBrassDark(0xa8843f);
const QColor kBrassLine(0x6e5427);
const QColor kCream(0xeadfc8);
const QColor kCoral(0xec6a4a);

using namespace layout::orrery;

QPointF polar(QPointF centre, double radius, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(std::sin(radians) * radius, -std::cos(radians) * radius);
}

void planet(QPainter& painter, QPointF at, double radius, QColor colour)
{
    QRadialGradient shade(at - QPointF(radius * 0.4, radius * 0.4), radius * 1.6);
    shade.setColorAt(0.0, mixed(colour, Qt::white, 0.45));
    shade.setColorAt(1.0, mixed(colour, Qt::black, 0.35));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawEllipse(at, radius, radius);
}

QImage background(const Fonts& fonts, int scale)
{
    QImage image = blankImage(kScreenWidth, kScreenHeight, scale, Background::Opaque);
    QPainter painter;
    beginPainting(painter, image, scale);
    QRadialGradient space(kCentre, 230);
    space.setColorAt(0.0, kSpaceCentre);
    space.setColorAt(1.0, kSpaceEdge);
    painter.fillRect(QRectF(0, 0, kScreenWidth, kScreenHeight), space);
    scatterStars(
        painter, QRectF(0, 0, kScreenWidth, kScreenHeight), 120, 17760704u, QColor(0xfff6e6));

    // The dial: a darker disc that dims the stars behind it, and two brass rings.
    QRadialGradient face(kCentre, kDialRadius);
    face.setColorAt(0.0, withAlpha(QColor(0x1a2748), 150));
    face.setColorAt(1.0, withAlpha(QColor(0x0d1428), 220));
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawEllipse(kCentre, kDialRadius, kDialRadius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kBrass, 1.6));
    painter.drawEllipse(kCentre, kDialRadius - 0.8, kDialRadius - 0.8);
    painter.setPen(QPen(withAlpha(kBrass, 150), 0.7));
    painter.drawEllipse(kCentre, 103.5, 103.5);
    for (int minute = 0; minute < 60; ++minute) {
        if (minute % 5 == 0)
            continue;
        painter.setPen(QPen(withAlpha(kBrass, 150), 0.8, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(polar(kCentre, 105.0, minute * 6.0), polar(kCentre, 109.0, minute * 6.0));
    }

    // Orbits with their planets.
    constexpr std::array kOrbits = { 34.0, 52.0, 70.0 };
    for (double radius : kOrbits) {
        painter.setPen(QPen(withAlpha(kBrass, 55), 0.7));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(kCentre, radius, radius);
    }
    planet(painter, polar(kCentre, kOrbits[0], 128), 2.4, QColor(0x9fc3e8));
    planet(painter, polar(kCentre, kOrbits[1], 236), 3.0, QColor(0xd98e5e));
    const QPointF ringed = polar(kCentre, kOrbits[2], 48);
    planet(painter, ringed, 3.8, QColor(0xe5c07b));
    painter.setPen(QPen(withAlpha(kBrassLight, 170), 0.9));
    painter.setBrush(Qt::NoBrush);
    painter.save();
    painter.translate(ringed);
    painter.rotate(-24);
    painter.drawEllipse(QPointF(0, 0), 7.2, 2.4);
    painter.restore();

    // Hour markers: brass beads, the quarters larger and ringed.
    for (int hour = 0; hour < 12; ++hour) {
        const QPointF at = polar(kCentre, 96.0, hour * 30.0);
        if (hour % 3 == 0) {
            painter.setPen(QPen(withAlpha(kBrass, 170), 0.8));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(at, 6.4, 6.4);
            planet(painter, at, 3.6, kBrass);
        } else {
            planet(painter, at, 2.3, kBrass);
        }
    }
    const std::array numerals = { QStringLiteral("XII"), QStringLiteral("III"),
        QStringLiteral("VI"), QStringLiteral("IX") };
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCream);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const QPainterPath text
            = fonts.textPath(numerals[std::size_t(quarter)], Fonts::Weight::Regular, 13.0);
        const QPointF at = polar(kCentre, 80.0, quarter * 90.0);
        painter.drawPath(centredIn(text, QRectF(at - QPointF(14, 8), QSizeF(28, 16))));
    }
    // Fine brass rules framing the text lines above and below the dial.
    painter.fillRect(QRectF(90, kWeekdayText.bottom() + 3, 60, 0.8), withAlpha(kBrass, 120));
    painter.fillRect(QRectF(90, kDateText.top() - 5, 60, 0.8), withAlpha(kBrass, 120));
    return image;
}

// A brass leaf pointing up from the centre of a `side` x `side` canvas: `length` to the tip,
// `tail` behind the centre, `halfWidth` at its widest. Its two facets catch the light
// differently, like a ridged hand.
QImage leafHand(int side, double length, double tail, double halfWidth, double hubRadius, int scale)
{
    QImage image = blankImage(side, side, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.translate(side / 2.0, side / 2.0);
    const double w = halfWidth;
    QPainterPath leaf;
    leaf.moveTo(0, -length);
    leaf.cubicTo(w * 0.35, -length * 0.72, w, -length * 0.48, w, -length * 0.30);
    leaf.cubicTo(w, -length * 0.08, w * 0.55, tail * 0.5, w * 0.38, tail);
    leaf.lineTo(-w * 0.38, tail);
    leaf.cubicTo(-w * 0.55, tail * 0.5, -w, -length * 0.08, -w, -length * 0.30);
    leaf.cubicTo(-w, -length * 0.48, -w * 0.35, -length * 0.72, 0, -length);
    leaf.closeSubpath();
    QPainterPath hub;
    hub.addEllipse(QPointF(0, 0), hubRadius, hubRadius);
    const QPainterPath shape = leaf.united(hub);

    // An even dark edge rather than a cast shadow, which would turn with the hand.
    painter.setPen(QPen(withAlpha(Qt::black, 70), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.setPen(Qt::NoPen);
    painter.save();
    painter.setClipRect(QRectF(-side, -side, side, 2 * side));
    painter.setBrush(kBrassLight);
    painter.drawPath(shape);
    painter.setClipRect(QRectF(0, -side, side, 2 * side));
    painter.setBrush(kBrassDark);
    painter.drawPath(shape);
    painter.restore();
    painter.setPen(QPen(kBrassLine, 0.7));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    return image;
}

QImage secondHand(int scale)
{
    constexpr int kSide = kSecondHandSide;
    QImage image = blankImage(kSide, kSide, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.translate(kSide / 2.0, kSide / 2.0);
    painter.setPen(QPen(kCoral, 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0, 24), QPointF(0, -100));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCoral);
    painter.drawEllipse(QPointF(0, 18), 3.6, 3.6);
    // A small planet circling at the tip.
    painter.setPen(QPen(kCoral, 1.2));
    painter.setBrush(QColor(0x0d1428));
    painter.drawEllipse(QPointF(0, -90), 3.3, 3.3);
    // The sun at the hub.
    QRadialGradient sun(QPointF(-1.2, -1.2), 6.0);
    sun.setColorAt(0.0, QColor(0xfff3c4));
    sun.setColorAt(0.6, QColor(0xf4b942));
    sun.setColorAt(1.0, QColor(0xd9822b));
    painter.setPen(QPen(kBrassLine, 0.7));
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(0, 0), 4.6, 4.6);
    return image;
}

} // namespace

bool writeOrrery(PngWriter& writer, const Fonts& fonts)
{
    return writeBothScales(writer, "Orrery", "background.png", [&](int scale) {
        return background(fonts, scale);
    }) && writeBothScales(writer, "Orrery", "hour_hand.png", [](int scale) {
        return leafHand(kHourHandSide, 56, 12, 5.4, 6.6, scale);
    }) && writeBothScales(writer, "Orrery", "minute_hand.png", [](int scale) {
        return leafHand(kMinuteHandSide, 86, 14, 4.2, 5.2, scale);
    }) && writeBothScales(writer, "Orrery", "second_hand.png", secondHand);
}

} // namespace art

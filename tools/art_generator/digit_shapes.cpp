#include "tools/art_generator/digit_shapes.h"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <array>
#include <cmath>
#include <numbers>

namespace art {

namespace {

// A point of the ellipse inscribed in `rect` at `degrees` counter-clockwise from three
// o'clock, as QPainterPath::arcTo counts angles.
QPointF onEllipse(const QRectF& rect, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    return { rect.center().x() + rect.width() / 2.0 * std::cos(radians),
        rect.center().y() - rect.height() / 2.0 * std::sin(radians) };
}

// The centre line of each figure; the pen gives it weight.
QPainterPath skeleton(int symbol, const QRectF& box)
{
    const double l = box.left();
    const double t = box.top();
    const double r = box.right();
    const double b = box.bottom();
    const double w = box.width();
    const double h = box.height();
    QPainterPath path;
    switch (symbol) {
    case 0:
        path.addRoundedRect(box, w / 2.0, w / 2.0);
        break;
    case 1: {
        const double x = l + 0.62 * w;
        path.moveTo(x - 0.46 * w, t + 0.26 * w);
        path.lineTo(x, t);
        path.lineTo(x, b);
        break;
    }
    case 2: {
        const QRectF bowl(l, t, w, w * 1.02);
        path.moveTo(onEllipse(bowl, 158));
        path.arcTo(bowl, 158, -200);
        path.lineTo(l, b);
        path.lineTo(r, b);
        break;
    }
    case 3: {
        const double joint = t + 0.45 * h;
        const QRectF upper(l + 0.06 * w, t, 0.88 * w, joint - t);
        const QRectF lower(l, joint, w, b - joint);
        path.moveTo(onEllipse(upper, 152));
        path.arcTo(upper, 152, -242);
        path.arcTo(lower, 90, -244);
        break;
    }
    case 4: {
        const double stem = l + 0.74 * w;
        const double bar = t + 0.66 * h;
        path.moveTo(stem, b);
        path.lineTo(stem, t);
        path.lineTo(l, bar);
        path.lineTo(r, bar);
        break;
    }
    case 5: {
        const QRectF bowl(l, t + 0.36 * h, w, 0.64 * h);
        const QPointF entry = onEllipse(bowl, 146);
        path.moveTo(r - 0.04 * w, t);
        path.lineTo(l + 0.08 * w, t);
        path.lineTo(entry);
        path.arcTo(bowl, 146, -292);
        break;
    }
    case 6:
    case 9: {
        const QRectF bowl(l, t + 0.40 * h, w, 0.60 * h);
        path.moveTo(r - 0.14 * w, t);
        path.quadTo(QPointF(l, t + 0.26 * h), QPointF(l, bowl.center().y()));
        path.addEllipse(bowl);
        if (symbol == 9) {
            QTransform turn;
            turn.translate(box.center().x(), box.center().y());
            turn.rotate(180);
            turn.translate(-box.center().x(), -box.center().y());
            path = turn.map(path);
        }
        break;
    }
    case 7:
        path.moveTo(l, t);
        path.lineTo(r, t);
        path.lineTo(l + 0.30 * w, b);
        break;
    case 8: {
        const double joint = t + 0.45 * h;
        path.addEllipse(QRectF(l + 0.07 * w, t, 0.86 * w, joint - t));
        path.addEllipse(QRectF(l, joint, w, b - joint));
        break;
    }
    default:
        break;
    }
    return path;
}

QPolygonF horizontalSegment(double left, double right, double y, double thickness)
{
    const double half = thickness / 2.0;
    return QPolygonF(
        { QPointF(left, y), QPointF(left + half, y - half), QPointF(right - half, y - half),
            QPointF(right, y), QPointF(right - half, y + half), QPointF(left + half, y + half) });
}

QPolygonF verticalSegment(double top, double bottom, double x, double thickness)
{
    const double half = thickness / 2.0;
    return QPolygonF(
        { QPointF(x, top), QPointF(x + half, top + half), QPointF(x + half, bottom - half),
            QPointF(x, bottom), QPointF(x - half, bottom - half), QPointF(x - half, top + half) });
}

// Segments a-g in the usual order: top, upper right, lower right, bottom, lower left,
// upper left, middle.
constexpr std::array<unsigned, 10> kLitSegments = {
    0b0111111,
    0b0000110,
    0b1011011,
    0b1001111,
    0b1100110,
    0b1101101,
    0b1111101,
    0b0000111,
    0b1111111,
    0b1101111,
};

QPainterPath segments(unsigned mask, int symbol, const QRectF& box, const SegmentStyle& style)
{
    const double shift = style.slant * box.height();
    const QRectF upright(box.left(), box.top(), box.width() - shift, box.height());
    const double t = style.thickness;
    const double g = style.gap;
    const double l = upright.left() + t / 2.0;
    const double r = upright.right() - t / 2.0;
    const double top = upright.top() + t / 2.0;
    const double bottom = upright.bottom() - t / 2.0;
    const double middle = upright.center().y();
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (symbol == kColonFrame) {
        const double side = t * 1.05;
        for (double y :
            { upright.top() + 0.31 * upright.height(), upright.top() + 0.69 * upright.height() })
            path.addRoundedRect(
                QRectF(upright.center().x() - side / 2.0, y - side / 2.0, side, side), t * 0.18,
                t * 0.18);
    } else {
        const std::array<QPolygonF, 7> all = {
            horizontalSegment(l + g, r - g, top, t),
            verticalSegment(top + g, middle - g, r, t),
            verticalSegment(middle + g, bottom - g, r, t),
            horizontalSegment(l + g, r - g, bottom, t),
            verticalSegment(middle + g, bottom - g, l, t),
            verticalSegment(top + g, middle - g, l, t),
            horizontalSegment(l + g, r - g, middle, t),
        };
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (mask & (1u << i))
                path.addPolygon(all[i]);
            path.closeSubpath();
        }
    }
    // Lean the figure: the top moves right by `shift`, the bottom stays.
    QTransform lean;
    lean.translate(0, box.bottom());
    lean.shear(-style.slant, 0);
    lean.translate(0, -box.bottom());
    return lean.map(path);
}

} // namespace

QPainterPath monolineFigure(int symbol, const QRectF& box, double strokeWidth)
{
    const double half = strokeWidth / 2.0;
    if (symbol == kColonFrame) {
        QPainterPath colon;
        const double radius = strokeWidth * 0.72;
        const double x = box.center().x();
        colon.addEllipse(QPointF(x, box.top() + 0.34 * box.height()), radius, radius);
        colon.addEllipse(QPointF(x, box.top() + 0.76 * box.height()), radius, radius);
        return colon;
    }
    const QPainterPath centreLine = skeleton(symbol, box.adjusted(half, half, -half, -half));
    QPainterPathStroker stroker;
    stroker.setWidth(strokeWidth);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath outline = stroker.createStroke(centreLine);
    outline.setFillRule(Qt::WindingFill);
    return outline.simplified();
}

QPainterPath segmentFigure(int symbol, const QRectF& box, const SegmentStyle& style)
{
    if (symbol == kColonFrame)
        return segments(0, symbol, box, style);
    if (symbol < 0 || symbol > 9)
        return {};
    return segments(kLitSegments[std::size_t(symbol)], symbol, box, style);
}

QPainterPath allSegments(const QRectF& box, const SegmentStyle& style)
{
    return segments(0b1111111, 8, box, style);
}

} // namespace art

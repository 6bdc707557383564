// Virevur: the calm face of the screen saver and the lock. A dusk sky over layered hills,
// thin rounded figures with a soft glow, and the slide-to-unlock track and knob.

#include "tools/art_generator/faces.h"

#include "tools/art_generator/digit_shapes.h"
#include "tools/art_generator/face_layout.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <numbers>

namespace art {

namespace {

const QColor kSkyTop(0x19233a);
const QColor kSkyMiddle(0x2b4160);
const QColor kHorizon(0x57798d);
const QColor kFigure(0xf5f8fb);
const QColor kKnobInk(0x2b4160);
const QColor kAccent(0x8fdccf);

using namespace layout::virevur;

// A ridge line across the screen: a sum of two slow waves.
QPainterPath hill(double baseY, double amplitude, double phase, double waves)
{
    QPainterPath path;
    path.moveTo(0, kScreenHeight);
    for (int x = 0; x <= kScreenWidth; x += 4) {
        const double t = double(x) / kScreenWidth * 2.0 * std::numbers::pi;
        const double y = baseY
            - amplitude
                * (std::sin(t * waves + phase) * 0.7
                    + std::sin(t * waves * 2.3 + phase * 1.7) * 0.3);
        path.lineTo(x, y);
    }
    path.lineTo(kScreenWidth, kScreenHeight);
    path.closeSubpath();
    return path;
}

QImage background(int scale)
{
    QImage image = blankImage(kScreenWidth, kScreenHeight, scale, Background::Opaque);
    QPainter painter;
    beginPainting(painter, image, scale);
    QLinearGradient sky(0, 0, 0, kScreenHeight);
    sky.setColorAt(0.0, kSkyTop);
    sky.setColorAt(0.5, kSkyMiddle);
    sky.setColorAt(0.78, kHorizon);
    sky.setColorAt(1.0, kHorizon);
    painter.fillRect(QRectF(0, 0, kScreenWidth, kScreenHeight), sky);
    // The last light above the horizon.
    QRadialGradient afterglow(QPointF(150, 250), 170);
    afterglow.setColorAt(0.0, withAlpha(QColor(0xf0c8a0), 46));
    afterglow.setColorAt(1.0, withAlpha(QColor(0xf0c8a0), 0));
    painter.fillRect(QRectF(0, 0, kScreenWidth, kScreenHeight), afterglow);
    scatterStars(painter, QRectF(0, 0, kScreenWidth, 170), 46, 20240611u, QColor(0xf2f5ff));

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3a566d));
    painter.drawPath(hill(224, 9, 0.6, 1.0));
    painter.setBrush(QColor(0x2a4257));
    painter.drawPath(hill(246, 11, 2.4, 1.4));
    painter.setBrush(QColor(0x1c2f41));
    painter.drawPath(hill(278, 8, 4.2, 0.8));
    return image;
}

QImage digits(const Fonts& fonts, int scale)
{
    const QRectF figureBox(7, 6, kDigitWidth - 14, kDigitHeight - 12);
    constexpr double kStroke = 3.0;
    const std::array labels = { QStringLiteral("AM"), QStringLiteral("PM") };
    return frameStrip(kFaceDigitFrames, kDigitWidth, kDigitHeight, scale,
        [&](QPainter& painter, int index, const QRectF& frame) {
            QPainterPath figure;
            if (index <= kColonFrame) {
                figure = monolineFigure(index, figureBox.translated(frame.topLeft()), kStroke);
            } else {
                // AM and PM in the top 16 pixels, to sit above the minutes.
                const QPainterPath text = fonts.textPath(
                    labels[std::size_t(index - kAmFrame)], Fonts::Weight::Regular, 13.0);
                figure = fittedIn(text, QRectF(frame.left() + 8, 3, kDigitWidth - 16, 10));
            }
            // A soft glow: the figure widened a few times at low opacity.
            painter.setPen(Qt::NoPen);
            for (const auto& [width, alpha] :
                { std::pair { 7.0, 10 }, std::pair { 4.5, 16 }, std::pair { 2.4, 26 } }) {
                QPainterPathStroker halo;
                halo.setWidth(width);
                halo.setCapStyle(Qt::RoundCap);
                halo.setJoinStyle(Qt::RoundJoin);
                painter.setBrush(withAlpha(kFigure, alpha));
                painter.drawPath(halo.createStroke(figure).united(figure));
            }
            painter.setBrush(kFigure);
            painter.drawPath(figure);
        });
}

QImage sliderTrack(int scale)
{
    QImage image = blankImage(kTrackWidth, kTrackHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    const QRectF pill(0.5, 0.5, kTrackWidth - 1.0, kTrackHeight - 1.0);
    painter.setBrush(withAlpha(QColor(0x0c1520), 70));
    painter.setPen(QPen(withAlpha(Qt::white, 70), 1.0));
    painter.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    // Chevrons that brighten towards the unlock end show which way to slide.
    for (int i = 0; i < 3; ++i) {
        const double x = 128 + i * 16;
        painter.setPen(QPen(
            withAlpha(Qt::white, 60 + 50 * i), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({ QPointF(x, 14), QPointF(x + 6, 20), QPointF(x, 26) }));
    }
    return image;
}

enum class Knob { Normal, Dragging, Unlocked };

QImage sliderKnob(int scale, Knob state)
{
    QImage image = blankImage(kKnobSide, kKnobSide, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    const QPointF centre(20, 20);
    QRadialGradient shadow(centre + QPointF(0, 1), 19.5);
    shadow.setColorAt(0.8, withAlpha(Qt::black, 70));
    shadow.setColorAt(1.0, withAlpha(Qt::black, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(centre + QPointF(0, 1), 19.5, 19.5);
    const QColor face = state == Knob::Normal ? QColor(0xffffff) : kAccent;
    QLinearGradient fill(0, 3, 0, 37);
    fill.setColorAt(0.0, face);
    fill.setColorAt(1.0, mixed(face, kSkyMiddle, 0.14));
    painter.setBrush(fill);
    painter.drawEllipse(centre, 17, 17);
    painter.setPen(QPen(kKnobInk, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (state == Knob::Unlocked) {
        painter.drawPolyline(
            QPolygonF({ QPointF(13, 20.5), QPointF(18, 25.5), QPointF(27.5, 15) }));
    } else {
        painter.drawLine(QPointF(12.5, 20), QPointF(27, 20));
        painter.drawPolyline(
            QPolygonF({ QPointF(21.5, 14.5), QPointF(27, 20), QPointF(21.5, 25.5) }));
    }
    return image;
}

} // namespace

bool writeVirevur(PngWriter& writer, const Fonts& fonts)
{
    return writeBothScales(writer, "Virevur", "background.png", background)
        && writeBothScales(
            writer, "Virevur", "digits.png", [&](int scale) { return digits(fonts, scale); })
        && writeBothScales(writer, "Virevur", "slider_track.png", sliderTrack)
        && writeBothScales(writer, "Virevur", "slider_knob.png",
            [](int scale) { return sliderKnob(scale, Knob::Normal); })
        && writeBothScales(writer, "Virevur", "slider_knob_dragging.png",
            [](int scale) { return sliderKnob(scale, Knob::Dragging); })
        && writeBothScales(writer, "Virevur", "slider_knob_unlocked.png",
            [](int scale) { return sliderKnob(scale, Knob::Unlocked); });
}

} // namespace art

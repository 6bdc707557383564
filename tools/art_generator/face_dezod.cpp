// Dezod: a bold digital face. Big condensed figures on a dark card, the colon and the
// alarm bell in a warm orange, the seconds in a pill under the card and the date below.

#include "tools/art_generator/faces.h"

#include "tools/art_generator/digit_shapes.h"
#include "tools/art_generator/face_layout.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <array>

namespace art {

namespace {

const QColor kTop(0x0f1217);
const QColor kBottom(0x1d222c);
const QColor kCardFill(0x181c24);
const QColor kCardEdge(0x2a313c);
const QColor kFigure(0xf4f6f8);
const QColor kFigureLow(0xd2d8df);
const QColor kSmallFigure(0xc3cad3);
const QColor kAccent(0xff7a3d);
const QColor kDim(0x3c4450);

using namespace layout::dezod;
constexpr int kSmallFrames = 14; // 0-9, colon, slash, dot, dash

QImage background(int scale)
{
    QImage image = blankImage(kScreenWidth, kScreenHeight, scale, Background::Opaque);
    QPainter painter;
    beginPainting(painter, image, scale);
    QLinearGradient sky(0, 0, 0, kScreenHeight);
    sky.setColorAt(0.0, kTop);
    sky.setColorAt(1.0, kBottom);
    painter.fillRect(QRectF(0, 0, kScreenWidth, kScreenHeight), sky);
    // A warm glow behind the time.
    QRadialGradient glow(QPointF(120, 146), 150);
    glow.setColorAt(0.0, withAlpha(kAccent, 26));
    glow.setColorAt(1.0, withAlpha(kAccent, 0));
    painter.fillRect(QRectF(0, 0, kScreenWidth, kScreenHeight), glow);
    // The hairline under the top row (weekday text and bell).
    painter.fillRect(QRectF(16, kWeekdayText.bottom() + 6, 208, 1), withAlpha(Qt::white, 22));

    QLinearGradient card(0, kCard.top(), 0, kCard.bottom());
    card.setColorAt(0.0, QColor(0x1c212a));
    card.setColorAt(1.0, QColor(0x14181f));
    painter.setBrush(card);
    painter.setPen(QPen(kCardEdge, 1.0));
    painter.drawRoundedRect(kCard, 16, 16);
    painter.setPen(QPen(withAlpha(Qt::white, 16), 1.0));
    painter.drawLine(QPointF(kCard.left() + 16, kCard.top() + 1.5),
        QPointF(kCard.right() - 16, kCard.top() + 1.5));

    painter.setPen(QPen(kCardEdge, 1.0));
    painter.setBrush(kCardFill);
    painter.drawRoundedRect(kSecondsPill, 13, 13);
    // A short accent rule under the date line.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRoundedRect(QRectF(108, kDateText.bottom() + 12, 24, 3), 1.5, 1.5);
    return image;
}

QImage digits(const Fonts& fonts, int scale)
{
    const QRectF figureBox(3, 4, kDigitWidth - 6, kDigitHeight - 8);
    const FontFigures figures = fontFigures(fonts, Fonts::Weight::Bold, figureBox.size());
    const std::array labels = { QStringLiteral("AM"), QStringLiteral("PM") };
    return frameStrip(kFaceDigitFrames, kDigitWidth, kDigitHeight, scale,
        [&](QPainter& painter, int index, const QRectF& frame) {
            painter.setPen(Qt::NoPen);
            if (index < 10) {
                QLinearGradient shade(0, figureBox.top(), 0, figureBox.bottom());
                shade.setColorAt(0.0, kFigure);
                shade.setColorAt(1.0, kFigureLow);
                painter.setBrush(shade);
                painter.drawPath(
                    figures.figures[index].translated(frame.topLeft() + figureBox.topLeft()));
            } else if (index == kColonFrame) {
                painter.setBrush(kAccent);
                const double side = 9.0;
                for (double y : { 0.34, 0.72 })
                    painter.drawRoundedRect(
                        QRectF(frame.center().x() - side / 2,
                            figureBox.top() + y * figureBox.height() - side / 2, side, side),
                        2.5, 2.5);
            } else {
                // AM and PM: a pill in the top 18 pixels, to sit above the minutes.
                const QRectF pill(frame.left() + 3, 0.5, kDigitWidth - 6, 17);
                painter.setBrush(kAccent);
                painter.drawRoundedRect(pill, 8.5, 8.5);
                painter.setBrush(kTop);
                const QPainterPath text = fonts.textPath(
                    labels[std::size_t(index - kAmFrame)], Fonts::Weight::Bold, 12.0);
                painter.drawPath(fittedIn(text, pill.adjusted(7, 4.5, -7, -4.5)));
            }
        });
}

QImage smallDigits(const Fonts& fonts, int scale)
{
    const QRectF figureBox(1.5, 2, kSmallWidth - 3, kSmallHeight - 4);
    const FontFigures figures = fontFigures(fonts, Fonts::Weight::Bold, figureBox.size());
    return frameStrip(kSmallFrames, kSmallWidth, kSmallHeight, scale,
        [&](QPainter& painter, int index, const QRectF& frame) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(index == kColonFrame ? kAccent : kSmallFigure);
            const QRectF box = figureBox.translated(frame.topLeft());
            if (index < 10) {
                painter.drawPath(figures.figures[index].translated(box.topLeft()));
                return;
            }
            const double x = box.center().x();
            switch (index) {
            case kColonFrame:
                painter.drawEllipse(QPointF(x, box.top() + 0.36 * box.height()), 1.7, 1.7);
                painter.drawEllipse(QPointF(x, box.top() + 0.82 * box.height()), 1.7, 1.7);
                break;
            case 11: // slash
                painter.setPen(QPen(kSmallFigure, 2.0, Qt::SolidLine, Qt::RoundCap));
                painter.drawLine(QPointF(box.right() - 1.5, box.top() + 1),
                    QPointF(box.left() + 1.5, box.bottom() - 1));
                break;
            case 12: // dot
                painter.drawEllipse(QPointF(x, box.bottom() - 1.8), 1.8, 1.8);
                break;
            default: // dash
                painter.drawRoundedRect(
                    QRectF(box.left() + 2, box.center().y() - 1.2, box.width() - 4, 2.6), 1.2, 1.2);
                break;
            }
        });
}

QPainterPath bellShape()
{
    QPainterPath bell;
    bell.moveTo(10, 3.2);
    bell.cubicTo(14.4, 3.2, 15.4, 6.6, 15.4, 10.2);
    bell.lineTo(16.8, 14.2);
    bell.lineTo(3.2, 14.2);
    bell.lineTo(4.6, 10.2);
    bell.cubicTo(4.6, 6.6, 5.6, 3.2, 10, 3.2);
    bell.closeSubpath();
    bell.addEllipse(QPointF(10, 16.4), 2.0, 2.0);
    bell.addEllipse(QPointF(10, 2.4), 1.3, 1.3);
    bell.setFillRule(Qt::WindingFill);
    return bell;
}

// Frame 0: the bell lit (an alarm is on); frame 1: the bell dimmed, for faces that show the
// alarm's off state too.
QImage bell(int scale)
{
    return frameStrip(
        2, kBellSide, kBellSide, scale, [](QPainter& painter, int index, const QRectF& frame) {
            const QPainterPath shape = bellShape().translated(frame.topLeft());
            if (index == 0) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(kAccent);
            } else {
                painter.setPen(QPen(kDim, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter.setBrush(Qt::NoBrush);
            }
            painter.drawPath(shape);
        });
}

} // namespace

bool writeDezod(PngWriter& writer, const Fonts& fonts)
{
    return writeBothScales(writer, "Dezod", "background.png", background)
        && writeBothScales(
            writer, "Dezod", "digits.png", [&](int scale) { return digits(fonts, scale); })
        && writeBothScales(writer, "Dezod", "small_digits.png",
            [&](int scale) { return smallDigits(fonts, scale); })
        && writeBothScales(writer, "Dezod", "bell.png", bell);
}

} // namespace art

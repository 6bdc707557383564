// Segment: a digital face in the look of a reflective LCD. Ghost segments and weekday
// labels are printed on the background, so that a blank position still shows its unlit
// segments; the sprites carry only what is lit.

#include "tools/art_generator/faces.h"

#include "tools/art_generator/digit_shapes.h"
#include "tools/art_generator/face_layout.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <array>

namespace art {

namespace {

const QColor kBodyTop(0x30333a);
const QColor kBodyBottom(0x1c1e22);
const QColor kLcdTop(0xc9d3ba);
const QColor kLcdBottom(0xafbb9f);
const QColor kLit(0x1c2519);
const QColor kGhost = withAlpha(kLit, 20);

using namespace layout::segment;
constexpr int kDashFrame = 11;

constexpr SegmentStyle kBigStyle { 6.4, 0.7, 0.09 };
constexpr SegmentStyle kSmallStyle { 2.4, 0.4, 0.09 };

QRectF bigFigureBox(QPointF frameTopLeft)
{
    return QRectF(frameTopLeft + QPointF(5, 4), QSizeF(kDigitWidth - 10, kDigitHeight - 8));
}
QRectF smallFigureBox(QPointF frameTopLeft)
{
    return QRectF(frameTopLeft + QPointF(2, 2), QSizeF(kSmallWidth - 4, kSmallHeight - 4));
}

QPainterPath dash(const QRectF& box, const SegmentStyle& style)
{
    // The middle segment alone: the figure 8 without the figure 0.
    return segmentFigure(8, box, style).subtracted(segmentFigure(0, box, style));
}

const std::array<QString, 7>& weekdayLabels()
{
    // Day of week 0 is Sunday, as the clock reports it.
    static const std::array<QString, 7> labels
        = { QStringLiteral("SU"), QStringLiteral("MO"), QStringLiteral("TU"), QStringLiteral("WE"),
              QStringLiteral("TH"), QStringLiteral("FR"), QStringLiteral("SA") };
    return labels;
}

void weekdayRow(QPainter& painter, const Fonts& fonts, QPointF origin, QColor colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (int day = 0; day < 7; ++day) {
        const QPainterPath label
            = fonts.textPath(weekdayLabels()[std::size_t(day)], Fonts::Weight::Bold, 10.5);
        const QRectF cell(
            origin.x() + day * kWeekdayWidth, origin.y(), kWeekdayWidth, kWeekdayHeight);
        painter.drawPath(centredIn(label, cell));
    }
}

QImage background(const Fonts& fonts, int scale)
{
    QImage image = blankImage(kScreenWidth, kScreenHeight, scale, Background::Opaque);
    QPainter painter;
    beginPainting(painter, image, scale);
    QLinearGradient body(0, 0, 0, kScreenHeight);
    body.setColorAt(0.0, kBodyTop);
    body.setColorAt(1.0, kBodyBottom);
    painter.fillRect(QRectF(0, 0, kScreenWidth, kScreenHeight), body);
    painter.fillRect(QRectF(16, 44, 208, 1), withAlpha(Qt::black, 90));
    painter.fillRect(QRectF(16, 45, 208, 1), withAlpha(Qt::white, 20));

    // The bezel and the glass.
    painter.setPen(QPen(withAlpha(Qt::white, 26), 1.0));
    painter.setBrush(QColor(0x111316));
    painter.drawRoundedRect(kLcd.adjusted(-5, -5, 5, 5), 12, 12);
    QLinearGradient glass(0, kLcd.top(), 0, kLcd.bottom());
    glass.setColorAt(0.0, kLcdTop);
    glass.setColorAt(1.0, kLcdBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawRoundedRect(kLcd, 7, 7);
    // The glass sits a little below the bezel: a shade along its top edge.
    QLinearGradient inset(0, kLcd.top(), 0, kLcd.top() + 9);
    inset.setColorAt(0.0, withAlpha(Qt::black, 60));
    inset.setColorAt(1.0, withAlpha(Qt::black, 0));
    painter.setBrush(inset);
    painter.drawRoundedRect(kLcd, 7, 7);

    weekdayRow(painter, fonts, QPointF(kWeekdayLeft, kWeekdayTop), kGhost);
    painter.setBrush(kGhost);
    for (int position = 0; position < 5; ++position) {
        const QPointF frame(kDigitLeft + position * kDigitWidth, kDigitTop);
        painter.drawPath(position == 2 ? segmentFigure(kColonFrame, bigFigureBox(frame), kBigStyle)
                                       : allSegments(bigFigureBox(frame), kBigStyle));
    }
    for (int position = 0; position < 5; ++position) {
        const QPointF frame(kDateLeft + position * kSmallWidth, kSmallTop);
        painter.drawPath(position == 2 ? dash(smallFigureBox(frame), kSmallStyle)
                                       : allSegments(smallFigureBox(frame), kSmallStyle));
    }
    for (int position = 0; position < 2; ++position)
        painter.drawPath(
            allSegments(smallFigureBox(QPointF(kSecondsLeft + position * kSmallWidth, kSmallTop)),
                kSmallStyle));

    // Three buttons and a speaker grille under the display.
    for (double x : { 64.0, 120.0, 176.0 }) {
        QRadialGradient cap(QPointF(x - 3, 254), 14);
        cap.setColorAt(0.0, QColor(0x4a4e56));
        cap.setColorAt(1.0, QColor(0x24262b));
        painter.setPen(QPen(QColor(0x0e0f11), 1.2));
        painter.setBrush(cap);
        painter.drawEllipse(QPointF(x, 257), 11, 11);
    }
    painter.setPen(Qt::NoPen);
    for (int slot = 0; slot < 5; ++slot) {
        painter.setBrush(QColor(0x0f1013));
        painter.drawRoundedRect(QRectF(92, 286 + slot * 5, 56, 2.2), 1.1, 1.1);
    }
    return image;
}

QImage digits(const Fonts& fonts, int scale)
{
    const std::array labels = { QStringLiteral("AM"), QStringLiteral("PM") };
    return frameStrip(kFaceDigitFrames, kDigitWidth, kDigitHeight, scale,
        [&](QPainter& painter, int index, const QRectF& frame) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kLit);
            if (index <= kColonFrame) {
                painter.drawPath(segmentFigure(index, bigFigureBox(frame.topLeft()), kBigStyle));
                return;
            }
            // AM and PM in the top 14 pixels, as an LCD prints its annunciators.
            const QPainterPath text
                = fonts.textPath(labels[std::size_t(index - kAmFrame)], Fonts::Weight::Bold, 11.0);
            painter.drawPath(centredIn(text, QRectF(frame.left(), 0, kDigitWidth, 14)));
        });
}

// 0-9, colon (10) and dash (11).
QImage smallDigits(int scale)
{
    return frameStrip(12, kSmallWidth, kSmallHeight, scale,
        [](QPainter& painter, int index, const QRectF& frame) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kLit);
            const QRectF box = smallFigureBox(frame.topLeft());
            painter.drawPath(index == kDashFrame ? dash(box, kSmallStyle)
                                                 : segmentFigure(index, box, kSmallStyle));
        });
}

// Seven lit labels side by side, Sunday first: column k is day of week k.
QImage weekdays(const Fonts& fonts, int scale)
{
    QImage image = blankImage(7 * kWeekdayWidth, kWeekdayHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    weekdayRow(painter, fonts, QPointF(0, 0), kLit);
    return image;
}

} // namespace

bool writeSegment(PngWriter& writer, const Fonts& fonts)
{
    return writeBothScales(writer, "Segment", "background.png",
               [&](int scale) { return background(fonts, scale); })
        && writeBothScales(
            writer, "Segment", "digits.png", [&](int scale) { return digits(fonts, scale); })
        && writeBothScales(writer, "Segment", "small_digits.png", smallDigits)
        && writeBothScales(
            writer, "Segment", "weekdays.png", [&](int scale) { return weekdays(fonts, scale); });
}

} // namespace art

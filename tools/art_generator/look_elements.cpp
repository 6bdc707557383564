#include "tools/art_generator/look_elements.h"

#include "tools/art_generator/digit_shapes.h"
#include "tools/art_generator/icons.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <numbers>

namespace art {

namespace {

QPointF polar(QPointF centre, double radius, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(std::sin(radians) * radius, -std::cos(radians) * radius);
}

// The round face shared by both dials: a soft shadow around it, a face lit from above and
// a rim with a fine inner line.
void dialFace(QPainter& painter, const Theme& theme, QPointF centre, double radius, double rimWidth)
{
    QRadialGradient shadow(centre + QPointF(0, radius * 0.02), radius + 3.0);
    shadow.setColorAt(0.0, withAlpha(Qt::black, 60));
    shadow.setColorAt(radius / (radius + 3.0), withAlpha(Qt::black, 40));
    shadow.setColorAt(1.0, withAlpha(Qt::black, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(centre + QPointF(0, radius * 0.02), radius + 3.0, radius + 3.0);

    QRadialGradient face(centre - QPointF(0, radius * 0.25), radius * 1.25);
    face.setColorAt(0.0, theme.dialCentre);
    face.setColorAt(1.0, theme.dialEdge);
    painter.setBrush(face);
    painter.setPen(QPen(theme.dialRing, rimWidth));
    painter.drawEllipse(centre, radius - rimWidth / 2.0, radius - rimWidth / 2.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(withAlpha(theme.dialRing, 110), rimWidth * 0.4));
    painter.drawEllipse(centre, radius - rimWidth * 2.6, radius - rimWidth * 2.6);
}

void tick(QPainter& painter, QPointF centre, double from, double to, double degrees, QColor colour,
    double width)
{
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(polar(centre, from, degrees), polar(centre, to, degrees));
}

QLinearGradient vertical(double top, double bottom, QColor from, QColor to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    return gradient;
}

} // namespace

QImage largeDial(const Theme& theme, const Fonts& fonts, int scale)
{
    QImage image
        = blankImage(kLargeDialSide, kLargeDialSide, scale, Background::Opaque, theme.window);
    QPainter painter;
    beginPainting(painter, image, scale);
    const QPointF centre(100, 100);
    dialFace(painter, theme, centre, 96.5, 1.6);
    for (int minute = 0; minute < 60; ++minute) {
        const double angle = minute * 6.0;
        if (minute % 5 != 0) {
            tick(painter, centre, 89.5, 86.0, angle, theme.minuteMark, 1.0);
            continue;
        }
        const QColor colour = minute == 0 ? theme.accent : theme.hourMark;
        tick(painter, centre, 90.0, minute % 15 == 0 ? 78.0 : 80.5, angle, colour,
            minute % 15 == 0 ? 3.6 : 3.0);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme.numeral);
    for (int hour = 1; hour <= 12; ++hour) {
        const QPainterPath numeral
            = fonts.textPath(QString::number(hour), Fonts::Weight::Bold, 15.5);
        const QPointF at = polar(centre, 66.0, hour * 30.0);
        painter.drawPath(centredIn(numeral, QRectF(at - QPointF(10, 10), QSizeF(20, 20))));
    }
    return image;
}

QImage smallDial(const Theme& theme, int scale)
{
    QImage image
        = blankImage(kSmallDialSide, kSmallDialSide, scale, Background::Opaque, theme.window);
    QPainter painter;
    beginPainting(painter, image, scale);
    const QPointF centre(28, 28);
    dialFace(painter, theme, centre, 26.5, 1.3);
    for (int hour = 0; hour < 12; ++hour) {
        const bool quarter = hour % 3 == 0;
        tick(painter, centre, 23.0, quarter ? 18.5 : 20.0, hour * 30.0,
            hour == 0 ? theme.accent : theme.hourMark, quarter ? 2.2 : 1.5);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme.hourMark);
    painter.drawEllipse(centre, 1.8, 1.8);
    return image;
}

QImage digitStrip(const Theme& theme, int scale)
{
    QImage image = blankImage(
        kDigitFrameWidth * kDigitFrames, kDigitFrameHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.setPen(Qt::NoPen);
    for (int frame = 0; frame < kDigitFrames; ++frame) {
        const QRectF box(
            frame * kDigitFrameWidth + 4.0, 5.0, kDigitFrameWidth - 8.0, kDigitFrameHeight - 10.0);
        painter.setBrush(frame == kColonFrame ? theme.colon : theme.digit);
        painter.drawPath(monolineFigure(frame, box, 6.2));
    }
    return image;
}

QImage smallDigitStrip(const Theme& theme, int scale)
{
    QImage image = blankImage(kSmallDigitFrameWidth * kDigitFrames, kSmallDigitFrameHeight, scale,
        Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.setPen(Qt::NoPen);
    for (int frame = 0; frame < kDigitFrames; ++frame) {
        const QRectF box(frame * kSmallDigitFrameWidth + 2.5, 3.0, kSmallDigitFrameWidth - 5.0,
            kSmallDigitFrameHeight - 6.0);
        painter.setBrush(
            frame == kColonFrame ? theme.colon : mixed(theme.digit, theme.window, 0.25));
        painter.drawPath(monolineFigure(frame, box, 3.4));
    }
    return image;
}

QImage amPmFrames(const Theme& theme, const Fonts& fonts, int scale)
{
    QImage image
        = blankImage(kAmPmFrameWidth * 2, kAmPmFrameHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    const std::array labels = { QStringLiteral("AM"), QStringLiteral("PM") };
    for (int frame = 0; frame < 2; ++frame) {
        const double left = frame * kAmPmFrameWidth;
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme.accent);
        painter.drawRoundedRect(
            QRectF(left + 1.0, 1.0, kAmPmFrameWidth - 2.0, kAmPmFrameHeight - 2.0), 6.0, 6.0);
        painter.setBrush(theme.onAccent);
        const QPainterPath text
            = fonts.textPath(labels[std::size_t(frame)], Fonts::Weight::Bold, 10.0);
        painter.drawPath(fittedIn(text, QRectF(left + 4.5, 3.9, kAmPmFrameWidth - 9.0, 6.6)));
    }
    return image;
}

QImage statusBar(const Theme& theme, int width, int scale)
{
    QImage image = blankImage(width, kStatusBarHeight, scale, Background::Opaque, theme.barBottom);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(0, 0, width, kStatusBarHeight),
        vertical(0, kStatusBarHeight, theme.barTop, theme.barBottom));
    painter.fillRect(QRectF(0, 0, width, 1), theme.barEdge);
    painter.fillRect(QRectF(0, 1, width, 1), withAlpha(theme.barHighlight, 190));
    return image;
}

QImage statusDivider(const Theme& theme, int scale)
{
    // A translucent groove: a shadow line and a light line that read as a cut on light, dark
    // and coloured bars alike, so skins that bring their own bar can keep the pack's divider.
    QImage image = blankImage(2, kStatusBarHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto faded = [](QColor colour) {
        QLinearGradient gradient(0, 3, 0, 19);
        gradient.setColorAt(0.0, withAlpha(colour, 0));
        gradient.setColorAt(0.3, colour);
        gradient.setColorAt(0.7, colour);
        gradient.setColorAt(1.0, withAlpha(colour, 0));
        return gradient;
    };
    painter.fillRect(QRectF(0, 3, 1, 16), faded(theme.dividerDark));
    painter.fillRect(QRectF(1, 3, 1, 16), faded(theme.dividerLight));
    return image;
}

QImage statusIcons(const Theme& theme, const Fonts& fonts, int scale)
{
    // Frame (content - 1) for the contents Alarm ... Time, frame 10 the view-list arrow.
    constexpr std::array kContents = { Icon::Alarm, Icon::Timer, Icon::Stopwatch, Icon::Sunrise,
        Icon::Sunset, Icon::InternetTime, Icon::Date, Icon::Time };
    QImage image = blankImage(
        kStatusIconWidth * kStatusIconFrames, kStatusBarHeight, scale, Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    // The program draws an icon 3 pixels down into the 22-pixel bar, so the drawing keeps to
    // the frame's top 18 rows.
    for (std::size_t frame = 0; frame < kContents.size(); ++frame) {
        const QRectF box(int(frame) * kStatusIconWidth + 2.0, 0.5, 17.0, 17.0);
        drawIcon(painter, kContents[frame], box, theme.accent, 2.1, fonts);
    }
    drawIcon(painter, Icon::ViewListArrow,
        QRectF(kViewListArrowFrame * kStatusIconWidth + 1.5, 2.0, 18.0, 18.0), theme.inkSoft, 2.0,
        fonts);
    painter.end();
    return magentaKeyed(image);
}

QImage selectorButtons(const Theme& theme, const Fonts& fonts, int scale, ButtonState state)
{
    QImage image = blankImage(kSelectorButtonSide * kSelectorButtons, kSelectorButtonSide, scale,
        Background::Transparent);
    QPainter painter;
    beginPainting(painter, image, scale);
    const bool down = state == ButtonState::Down;
    for (int button = 0; button < kSelectorButtons; ++button) {
        const double left = button * kSelectorButtonSide;
        const QRectF tile(left + 2.5, 2.5, kSelectorButtonSide - 5.0, kSelectorButtonSide - 5.0);
        // A soft shadow under a raised tile; a pressed one sits flat.
        if (!down) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(withAlpha(Qt::black, 22));
            painter.drawRoundedRect(tile.translated(0, 1.2), 8.0, 8.0);
        }
        const QColor top = down ? mixed(theme.accent, Qt::white, 0.12) : Qt::white;
        const QColor bottom = down ? mixed(theme.accent, Qt::black, 0.08) : theme.surface;
        painter.setBrush(vertical(tile.top(), tile.bottom(), top, bottom));
        painter.setPen(QPen(down ? mixed(theme.accent, Qt::black, 0.2) : theme.line, 1.0));
        painter.drawRoundedRect(tile, 8.0, 8.0);
        const QRectF iconBox(left + 8.0, 8.0, 24.0, 24.0);
        drawIcon(painter, viewIcon(button), iconBox, down ? theme.onAccent : theme.ink, 1.9, fonts);
    }
    return image;
}

QImage titleBar(const Theme& theme, int width, int scale)
{
    QImage image = blankImage(width, kTitleBarHeight, scale, Background::Opaque, theme.window);
    QPainter painter;
    beginPainting(painter, image, scale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(0, 0, width, kTitleBarHeight),
        vertical(0, kTitleBarHeight, theme.window, theme.surface));
    painter.fillRect(QRectF(0, kTitleBarHeight - 1, width, 1), theme.line);
    // A short accent line under the title marks the place that opens the view list.
    painter.fillRect(QRectF(5, kTitleBarHeight - 2, 24, 2), theme.accent);
    return image;
}

DialGeometry largeDialGeometry()
{
    return { 100, 50, 10, 4, 76, 12, 3, 84 };
}
DialGeometry smallDialGeometry()
{
    return { 28, 13, 0, 0, 20, 0, 0, 0 };
}

std::string coloursText(const Theme& theme)
{
    const auto line = [](const char* name, QColor colour) {
        return std::string(name) + ' ' + hexOf(colour).toStdString() + '\n';
    };
    std::string text
        = std::string("# Colours of the ") + theme.name + " look, for its skin description.\n";
    text += line("window-colour", theme.window);
    text += line("text-colour", theme.ink);
    text += line("date-colour", theme.dateText);
    text += line("city-colour", theme.inkSoft);
    text += line("big-time-colour", theme.timeText);
    text += line("big-time-fill", theme.window);
    text += line("status-text-colour", theme.statusText);
    text += line("title-text-colour", theme.titleText);
    text += line("highlight-colour", theme.accent);
    text += line("highlight-text-colour", theme.onAccent);
    text += line("line-colour", theme.line);
    text += line("clock-text-colour", theme.timeText);
    text += line("clock-text-fill", theme.window);
    text += line("hour-pen-colour", theme.hourHand);
    text += line("hour-brush-colour", theme.hourHand);
    text += line("minute-pen-colour", theme.minuteHand);
    text += line("minute-brush-colour", theme.minuteHand);
    text += line("second-pen-colour", theme.secondHand);
    text += line("small-hour-colour", theme.hourHand);
    text += line("small-minute-colour", theme.minuteHand);
    return text;
}

} // namespace art

#include "faces/analog_clock.h"

#include "faces/clock_text.h"
#include "faces/skin.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace faces {

namespace {

constexpr int kMaxPenWidth = 64;
constexpr int kMaxTextHeight = 512;

} // namespace

CircleTable circleTable(QPoint centre, int radius)
{
    CircleTable points;
    // Skins are files from outside: a radius beyond any screen must not overflow the ints.
    const float r = float(std::clamp(radius, -32767, 32767));
    for (int i = 0; i < 60; ++i) {
        const float a = float(i) * 0.10471976f;
        // Truncation toward zero after adding 0.5, in single precision, as the tables always were.
        const int dx = int(std::sin(a) * r + 0.5f);
        const int dy = int(std::cos(a) * r + 0.5f);
        points[std::size_t(i)] = QPoint(centre.x() + dx, centre.y() - dy);
    }
    return points;
}

HandTable handTable(QPoint centre, int length, int tail, int halfWidth)
{
    const CircleTable tips = circleTable(centre, length);
    const CircleTable sides = circleTable(centre, halfWidth);
    const CircleTable tails = circleTable(centre, tail);
    HandTable hands;
    for (std::size_t i = 0; i < 60; ++i)
        hands[i] = { tips[i], sides[(i + 15) % 60], tails[(i + 30) % 60], sides[(i + 45) % 60] };
    return hands;
}

int hourHandPosition(int hour, int minute)
{
    return (hour % 12) * 5 + minute / 12;
}

LargeAnalogClock::LargeAnalogClock(const SkinSet& skin, int dialElement, const ScreenLayout& screen)
    : m_screen(screen)
{
    namespace w = skin;
    const ElementDescriptor dial = skin.element(dialElement);
    m_dial = skin.image(dial.image);
    m_viewPosition = QPoint(skin.bounded(dialElement + 1), skin.bounded(dialElement + 2));
    m_centre = QPoint(skin.bounded(w::kClockCentreX), skin.bounded(w::kClockCentreY));
    m_dialSize = m_dial.isNull() ? QSize(2 * m_centre.x(), 2 * m_centre.y()) : m_dial.size();
    m_hourHands = handTable(m_centre, skin.bounded(w::kHourLength), skin.bounded(w::kHourTail),
        skin.bounded(w::kHourHalfWidth));
    m_minuteHands = handTable(m_centre, skin.bounded(w::kMinuteLength),
        skin.bounded(w::kMinuteTail), skin.bounded(w::kMinuteHalfWidth));
    m_secondPoints = circleTable(m_centre, skin.bounded(w::kSecondLength));
    m_hourPen
        = QPen(skin.colour(w::kHourPenColour), skin.bounded(w::kHourPenWidth, 1, kMaxPenWidth));
    m_minutePen
        = QPen(skin.colour(w::kMinutePenColour), skin.bounded(w::kMinutePenWidth, 1, kMaxPenWidth));
    m_secondPen
        = QPen(skin.colour(w::kSecondPenColour), skin.bounded(w::kSecondPenWidth, 1, kMaxPenWidth));
    m_secondPen.setCapStyle(Qt::RoundCap);
    m_hourBrush = QBrush(skin.colour(w::kHourBrushColour));
    m_minuteBrush = QBrush(skin.colour(w::kMinuteBrushColour));
    const int r = w::kClockTextRect;
    m_textRect = QRect(QPoint(skin.bounded(r), skin.bounded(r + 1)),
        QPoint(skin.bounded(r + 2) - 1, skin.bounded(r + 3) - 1));
    m_textColour = skin.colour(w::kClockTextColour);
    m_textFill = skin.colour(w::kClockTextFill);
    if (skin.word(w::kClockTextHeight) > 0)
        m_textHeight = skin.bounded(w::kClockTextHeight, 1, kMaxTextHeight);
}

QPoint LargeAnalogClock::fullScreenPosition() const
{
    int width = m_screen.width;
    if (m_screen.layoutKind == 1)
        width = m_screen.scaled(320);
    else if (m_screen.layoutKind == 2)
        width = 240;
    return QPoint((width - m_dialSize.width()) / 2,
        (m_screen.height - m_screen.scaled(53) - m_dialSize.height()) / 2);
}

void LargeAnalogClock::draw(
    QPainter& painter, QPoint dialAt, const SYSTEMTIME& t, const platform::LocaleInfo* locale) const
{
    painter.save();
    const QRect dialRect(dialAt, m_dialSize);
    if (m_dial.isNull())
        painter.fillRect(dialRect, Qt::white);
    else
        painter.drawImage(dialAt, m_dial);
    painter.setClipRect(dialRect);
    painter.translate(dialAt);
    painter.setRenderHint(QPainter::Antialiasing);

    const HandQuad& hour = m_hourHands[std::size_t(hourHandPosition(t.wHour, t.wMinute))];
    painter.setPen(m_hourPen);
    painter.setBrush(m_hourBrush);
    painter.drawPolygon(hour.data(), int(hour.size()));
    const HandQuad& minute = m_minuteHands[std::size_t(t.wMinute % 60)];
    painter.setPen(m_minutePen);
    painter.setBrush(m_minuteBrush);
    painter.drawPolygon(minute.data(), int(minute.size()));
    painter.setPen(m_secondPen);
    painter.drawLine(m_centre, m_secondPoints[std::size_t(t.wSecond % 60)]);
    painter.restore();

    if (m_textRect.isEmpty())
        return;
    // The text box is cleared each time, so a shorter time never leaves a longer one behind.
    painter.save();
    const QRect text = m_textRect.translated(dialAt);
    painter.fillRect(text, m_textFill);
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(m_textHeight);
    painter.setFont(font);
    painter.setPen(m_textColour);
    painter.drawText(
        text, Qt::AlignCenter | Qt::TextDontClip, timeWithoutSeconds(t, localeOr(locale)));
    painter.restore();
}

SmallAnalogClock::SmallAnalogClock(const SkinSet& skin)
{
    namespace w = skin;
    m_dial = skin.image(skin.element(w::kSmallDial).image);
    m_centre = QPoint(skin.bounded(w::kSmallCentreX), skin.bounded(w::kSmallCentreY));
    const ElementDescriptor images = skin.element(w::kSmallImageClock);
    const QImage hands = withMagentaTransparent(skin.image(images.image));
    const QRect hourFrame = frameRect(hands, 2, 0);
    if (images.image >= 0 && !hourFrame.isEmpty()) {
        m_hourImage = hands.copy(hourFrame);
        m_minuteImage = hands.copy(frameRect(hands, 2, 1));
        m_pivot
            = QPoint(skin.bounded(w::kSmallImageClock + 1), skin.bounded(w::kSmallImageClock + 2));
        return;
    }
    m_hourPoints = circleTable(m_centre, skin.bounded(w::kSmallHourLength));
    m_minutePoints = circleTable(m_centre, skin.bounded(w::kSmallMinuteLength));
    m_hourPen = QPen(skin.colour(w::kSmallHourColour),
        skin.bounded(w::kSmallHourWidth, 1, kMaxPenWidth), Qt::SolidLine, Qt::RoundCap);
    m_minutePen = QPen(skin.colour(w::kSmallMinuteColour),
        skin.bounded(w::kSmallMinuteWidth, 1, kMaxPenWidth), Qt::SolidLine, Qt::RoundCap);
}

void SmallAnalogClock::draw(QPainter& painter, QRect clockRect, const SYSTEMTIME& t) const
{
    painter.save();
    if (!m_dial.isNull())
        painter.drawImage(clockRect.topLeft(), m_dial);
    painter.translate(clockRect.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    const int hourPosition = hourHandPosition(t.wHour, t.wMinute);
    const int minutePosition = t.wMinute % 60;
    if (!m_hourImage.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const auto drawHand = [&](const QImage& image, int position) {
            painter.save();
            painter.translate(m_centre);
            painter.rotate(position * 6.0);
            painter.drawImage(-m_pivot, image);
            painter.restore();
        };
        drawHand(m_hourImage, hourPosition);
        drawHand(m_minuteImage, minutePosition);
    } else {
        painter.setPen(m_hourPen);
        painter.drawLine(m_centre, m_hourPoints[std::size_t(hourPosition)]);
        painter.setPen(m_minutePen);
        painter.drawLine(m_centre, m_minutePoints[std::size_t(minutePosition)]);
    }
    painter.restore();
}

} // namespace faces

#include "faces/analog_clock.h"

#include "faces/clock_text.h"
#include "faces/skin.h"
#include "ui/layout_report.h"

#include <QFontMetrics>
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

QRect LargeAnalogClock::extent() const
{
    const QRect dial(QPoint(0, 0), m_dialSize);
    return m_textRect.isEmpty() ? dial : dial.united(m_textRect);
}

QRect LargeAnalogClock::dialBoxIn(const QRect& area, QPoint preferred) const
{
    const QRect whole = extent();
    if (whole.isEmpty() || m_dialSize.isEmpty() || area.contains(whole.translated(preferred)))
        return QRect(preferred, m_dialSize);
    // Short screens (square, landscape): the clock shrinks to the room under the skin's top
    // margin (the title area) and is centred there; it never runs into the status bar.
    const QRect room(area.left(), std::max(area.top(), preferred.y()), area.width(),
        area.bottom() + 1 - std::max(area.top(), preferred.y()));
    if (room.width() <= 0 || room.height() <= 0)
        return QRect(preferred, m_dialSize);
    const double scale = std::min({ 1.0, double(room.width()) / whole.width(), double(room.height()) / whole.height() });
    const QSize dial(int(m_dialSize.width() * scale), int(m_dialSize.height() * scale));
    const QSize outer(int(whole.width() * scale), int(whole.height() * scale));
    const QPoint outerAt = room.topLeft()
        + QPoint((room.width() - outer.width()) / 2, (room.height() - outer.height()) / 2);
    // The box's top-left corner is where the dial's (0, 0) lands.
    return QRect(outerAt - QPoint(int(whole.left() * scale), int(whole.top() * scale)), dial);
}

LargeAnalogClock::TimeText LargeAnalogClock::timeText(
    const QRect& dialBox, const SYSTEMTIME& t, const platform::LocaleInfo* locale) const
{
    const double scale = m_dialSize.width() > 0 ? double(dialBox.width()) / m_dialSize.width() : 1.0;
    TimeText text;
    if (scale == 1.0) {
        text.rect = m_textRect.translated(dialBox.topLeft());
    } else {
        text.rect = QRect(dialBox.left() + int(m_textRect.left() * scale),
            dialBox.top() + int(m_textRect.top() * scale), int(m_textRect.width() * scale),
            int(m_textRect.height() * scale));
    }
    text.text = timeWithoutSeconds(t, localeOr(locale));
    text.font = QFont(QStringLiteral("Tahoma"));
    text.font.setStyleHint(QFont::SansSerif);
    text.font.setBold(true);
    // The skin's height is the handheld's cell height: the font's line fits the box.
    text.font.setPixelSize(std::max(8, int(m_textHeight * scale)));
    while (text.font.pixelSize() > 8) {
        const QFontMetrics metrics(text.font);
        if (metrics.height() <= text.rect.height() && metrics.horizontalAdvance(text.text) <= text.rect.width())
            break;
        text.font.setPixelSize(text.font.pixelSize() - 1);
    }
    return text;
}

void LargeAnalogClock::draw(
    QPainter& painter, QPoint dialAt, const SYSTEMTIME& t, const platform::LocaleInfo* locale) const
{
    draw(painter, QRect(dialAt, m_dialSize), t, locale);
}

void LargeAnalogClock::draw(
    QPainter& painter, const QRect& dialBox, const SYSTEMTIME& t, const platform::LocaleInfo* locale) const
{
    painter.save();
    const QRect dialRect(QPoint(0, 0), m_dialSize);
    painter.translate(dialBox.topLeft());
    if (dialBox.size() != m_dialSize && !m_dialSize.isEmpty()) {
        painter.scale(double(dialBox.width()) / m_dialSize.width(), double(dialBox.height()) / m_dialSize.height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    if (m_dial.isNull())
        painter.fillRect(dialRect, Qt::white);
    else
        painter.drawImage(QPoint(0, 0), m_dial);
    painter.setClipRect(dialRect);
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
    const TimeText text = timeText(dialBox, t, locale);
    painter.fillRect(text.rect, m_textFill);
    painter.setFont(text.font);
    painter.setPen(m_textColour);
    painter.drawText(text.rect, Qt::AlignCenter | Qt::TextDontClip, text.text);
    painter.restore();
}

void LargeAnalogClock::reportLayout(ui::LayoutReport& report, const QRect& dialBox,
    const SYSTEMTIME& t, const platform::LocaleInfo* locale) const
{
    report.addImage(dialBox);
    if (m_textRect.isEmpty())
        return;
    const TimeText text = timeText(dialBox, t, locale);
    report.addText(text.rect, text.text, text.font, Qt::AlignCenter | Qt::TextSingleLine);
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

#include "faces/digital_clock.h"

#include "faces/clock_text.h"
#include "faces/skin.h"
#include "ui/qt_text.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace faces {

namespace {

QFont tahoma(int pixels, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QRect edges(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// The sizes are the handheld's cell heights; the faces that stand in for its font are wider,
// so a font is made smaller until its widest text fits the box.
QFont fitted(QFont font, const QString& widest, int width)
{
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(widest) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

} // namespace

DigitalClock::DigitalClock(const SkinSet& skin, const ScreenLayout& screen)
    : m_skin(skin)
    , m_screen(screen)
{
    const ScreenLayout& s = screen;
    m_normal = tahoma(s.scaled(13), false);
    m_small = tahoma(s.scaled(12), false);
    m_huge = tahoma(s.pick(72, 64, 64), true);
    m_large = tahoma(s.pick(40, 30, 30), true);
    m_dateRect
        = edges(s.scaled(25), s.pick(146, 106, 106), s.pick(240, 240, 300), s.pick(160, 120, 120));
    m_secondClock = edges(
        s.pick(175, 175, 255), s.pick(205, 129, 129), s.pick(240, 240, 320), s.pick(219, 143, 143));
    m_bigTime = QRect(s.pick(0, 0, 35), s.pick(55, 42, 42), s.scaled(240), s.pick(85, 60, 60));
    m_timeText = edges(0, 0, s.pick(184, 180, 180), s.pick(85, 58, 58));
    m_secondsText = edges(s.pick(185, 183, 183), 0, s.scaled(240), s.pick(85, 60, 60));
    m_amPm = QPoint(s.pick(190, 183, 183), s.pick(39, 27, 27));
    m_huge = fitted(m_huge, QStringLiteral("00:00"), m_timeText.width());
    m_large = fitted(m_large, QStringLiteral("00"), m_secondsText.width());

    // The images are prepared once; the view builds its clock again when the skin changes.
    m_amPmImages = skin.amPmImages();
    m_hasDigitImages = skin.hasDigitImages();
    if (m_hasDigitImages) {
        m_bigDigits = withMagentaTransparent(skin.imageOf(skin::kDigitImage));
        m_bigFrames = skin.bounded(skin::kDigitFrames, 11, 256);
        m_smallDigits = withMagentaTransparent(skin.imageOf(skin::kSecondDigitImage));
        m_smallFrames = skin.bounded(skin::kSecondDigitFrames, 10, 256);
        m_amPmDigits = withMagentaTransparent(skin.imageOf(skin::kDigitAmPmImage));
        m_digitBackground = skin.imageOf(skin::kDigitBackground);
    }
}

QString DigitalClock::dateText(const DigitalClockInputs& inputs)
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    switch (inputs.dateFormat) {
    case 0:
        return formatDate(inputs.localTime, u"MMMM dd, yyyy", locale);
    case 1:
        return formatDate(inputs.localTime, u"dd MMMM yyyy", locale);
    default:
        return formatDate(inputs.localTime, locale.longDatePicture, locale);
    }
}

QString DigitalClock::visitingDateText(const DigitalClockInputs& inputs)
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    const std::u16string separator = dateSeparator(locale);
    std::u16string quoted = u"'" + separator + u"'";
    std::u16string picture
        = inputs.dateFormat == 1 ? u"ddd, d" + quoted + u"MM" : u"ddd, M" + quoted + u"dd";
    if (separator == u".")
        picture += quoted;
    return inputs.visitingTime ? formatDate(*inputs.visitingTime, picture, locale) : QString();
}

void DigitalClock::draw(QPainter& painter, const DigitalClockInputs& inputs) const
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    const int line = m_screen.scaled(16);
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Date line; portrait screens put the day name first and the date under it.
    painter.setFont(m_normal);
    painter.setPen(m_skin.colour(skin::kDateColour));
    const QString date = dateText(inputs);
    const QString dayName = formatDate(inputs.localTime, u"dddd", locale);
    const int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    QRect cityLine;
    if (m_screen.square || m_screen.landscape) {
        painter.drawText(m_dateRect, textFlags, date + QStringLiteral("  ") + dayName);
        cityLine = m_dateRect.translated(0, line);
    } else {
        painter.drawText(m_dateRect, textFlags, dayName);
        painter.drawText(m_dateRect.translated(0, line), textFlags, date);
        cityLine = m_dateRect.translated(0, 2 * line);
    }

    painter.setPen(m_skin.colour(skin::kCityColour));
    painter.drawText(cityLine, textFlags,
        ui::qText(inputs.homeCityName) + u' ' + QString::number(inputs.weekNumber));

    // The visiting city's clock, once there is a city to show.
    if (inputs.visitingTime) {
        painter.fillRect(m_secondClock, m_skin.colour(skin::kSecondClockFill));
        painter.setFont(m_small);
        painter.setPen(m_skin.colour(skin::kSecondClockColour));
        painter.drawText(m_secondClock, Qt::AlignCenter | Qt::TextSingleLine,
            timeWithoutSeconds(*inputs.visitingTime, locale));
        painter.drawText(m_secondClock.translated(0, m_screen.scaled(20)),
            Qt::AlignCenter | Qt::TextSingleLine, visitingDateText(inputs));
    }
    painter.restore();

    if (m_hasDigitImages)
        drawImageTime(painter, inputs);
    else
        drawTextTime(painter, inputs);
}

void DigitalClock::drawTextTime(QPainter& painter, const DigitalClockInputs& inputs) const
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    const SYSTEMTIME& t = inputs.localTime;
    painter.save();
    painter.translate(m_bigTime.topLeft());
    painter.fillRect(QRect(QPoint(0, 0), m_bigTime.size()), m_skin.colour(skin::kBigTimeFill));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(m_skin.colour(skin::kBigTimeColour));
    painter.setFont(m_huge);
    painter.drawText(m_timeText, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
        formatTime(t, inputs.use24Hour ? u"H':'mm" : u"h':'mm", locale));
    painter.setFont(m_large);
    // The seconds sit at the top, above the AM/PM image.
    painter.drawText(m_secondsText, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
        formatTime(t, u"ss", locale));
    // A 24-hour clock has no AM or PM to show.
    if (!inputs.use24Hour) {
        const QImage& image = m_amPmImages[t.wHour < 12 ? 0 : 1];
        if (!image.isNull())
            painter.drawImage(m_amPm, image);
    }
    painter.restore();
}

void DigitalClock::drawImageTime(QPainter& painter, const DigitalClockInputs& inputs) const
{
    namespace w = skin;
    const SYSTEMTIME& t = inputs.localTime;
    painter.save();
    painter.translate(m_bigTime.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), m_bigTime.size()));
    if (m_digitBackground.isNull())
        painter.fillRect(QRect(QPoint(0, 0), m_bigTime.size()), m_skin.colour(w::kBigTimeFill));
    else
        painter.drawImage(QPoint(0, 0), m_digitBackground);
    const QImage& big = m_bigDigits;
    const int bigFrames = m_bigFrames;
    const QImage& small = m_smallDigits.isNull() ? m_bigDigits : m_smallDigits;
    const int smallFrames = m_smallDigits.isNull() ? m_bigFrames : m_smallFrames;
    const auto place = [&](const QImage& strip, int frames, int frame, int positionWord) {
        const QRect source = frameRect(strip, frames, frame);
        if (!source.isEmpty())
            painter.drawImage(
                QPoint(m_skin.bounded(positionWord), m_skin.bounded(positionWord + 1)), strip,
                source);
    };
    // "H:mm" and "h:mm": no leading zero in either mode.
    const int hour = inputs.use24Hour ? t.wHour : (t.wHour % 12 == 0 ? 12 : t.wHour % 12);
    if (hour >= 10)
        place(big, bigFrames, hour / 10, w::kDigitHourTens);
    place(big, bigFrames, hour % 10, w::kDigitHourUnits);
    const bool blinking = (m_skin.word(w::kDigitFlags) & 1) != 0;
    if (!blinking || t.wSecond % 2 == 0)
        place(big, bigFrames, 10, w::kDigitColon);
    place(big, bigFrames, t.wMinute / 10, w::kDigitMinuteTens);
    place(big, bigFrames, t.wMinute % 10, w::kDigitMinuteUnits);
    place(small, smallFrames, t.wSecond / 10, w::kDigitSecondTens);
    place(small, smallFrames, t.wSecond % 10, w::kDigitSecondUnits);
    if (!inputs.use24Hour) {
        if (!m_amPmDigits.isNull()) {
            place(m_amPmDigits, 2, t.wHour < 12 ? 0 : 1, w::kDigitAmPmPosition);
        } else {
            const QImage& image = m_amPmImages[t.wHour < 12 ? 0 : 1];
            if (!image.isNull())
                painter.drawImage(QPoint(m_skin.bounded(w::kDigitAmPmPosition),
                                      m_skin.bounded(w::kDigitAmPmPosition + 1)),
                    image);
        }
    }
    painter.restore();
}

} // namespace faces

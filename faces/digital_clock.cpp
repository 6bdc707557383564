#include "faces/digital_clock.h"

#include "faces/clock_text.h"
#include "faces/skin.h"
#include "ui/layout_report.h"
#include "ui/qt_text.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <vector>

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
// A box too low for the font's line (the big time on square and landscape screens) makes it
// smaller too, so that the digits stay inside their box and off the date below.
QFont fitted(QFont font, const QString& widest, int width, int height = 0)
{
    while (font.pixelSize() > 8) {
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(widest) <= width && (height <= 0 || metrics.height() <= height))
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
constexpr int kTimeFlags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
constexpr int kSecondsFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

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
    m_huge = fitted(m_huge, QStringLiteral("00:00"), m_timeText.width(), m_timeText.height());
    m_large = fitted(m_large, QStringLiteral("00"), m_secondsText.width(), m_secondsText.height());
    // The lines of the date block are as high as the font's line, one under the other.
    const QFontMetrics normal(m_normal);
    m_lineHeight = std::max(m_dateRect.height(), normal.height());
    m_lineStep = std::max(s.scaled(16), normal.lineSpacing());

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
        fitDigitImages();
    }
}

void DigitalClock::fitDigitImages()
{
    // The skin places its digits for the portrait box (85 lines high); on the lower box of
    // square and landscape screens they move up, and shrink when even that is not enough,
    // so that none is cut off at the box's bottom.
    QRect extent;
    for (const bool morning : { true, false }) {
        DigitalClockInputs inputs;
        inputs.localTime.wHour = morning ? 10 : 22;
        inputs.localTime.wMinute = 58;
        inputs.localTime.wSecond = 58;
        for (const DigitImage& image : digitImages(inputs))
            extent |= QRect(image.at, image.source.size());
    }
    const QRect box(QPoint(0, 0), m_bigTime.size());
    if (extent.isEmpty() || (extent.top() >= 0 && extent.bottom() <= box.bottom()))
        return;
    if (extent.height() > box.height())
        m_digitScale = double(box.height()) / extent.height();
    const int top = int(extent.top() * m_digitScale);
    const int height = int(extent.height() * m_digitScale);
    m_digitOffset = QPoint(0, (box.height() - height) / 2 - top);
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

QFont DigitalClock::lineFont(std::size_t line, const QString& text, int width) const
{
    // A long date or city name takes a smaller font rather than losing its end.
    auto& [fittedText, font] = m_fittedLines[line];
    if (fittedText != text || font.pixelSize() <= 0) {
        fittedText = text;
        font = fitted(m_normal, text, width);
    }
    return font;
}

std::array<DigitalClock::TextLine, 3> DigitalClock::textLines(const DigitalClockInputs& inputs) const
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    const QString date = dateText(inputs);
    const QString dayName = formatDate(inputs.localTime, u"dddd", locale);
    const QRect first(m_dateRect.topLeft(), QSize(m_dateRect.width(), m_lineHeight));
    std::array<TextLine, 3> lines;
    // Square and landscape screens put date and day name on one line; portrait screens the
    // day name first and the date under it. The home city's line follows.
    std::size_t count = 0;
    if (m_screen.square || m_screen.landscape) {
        lines[count++] = { first, date + QStringLiteral("  ") + dayName, {}, skin::kDateColour };
    } else {
        lines[count++] = { first, dayName, {}, skin::kDateColour };
        lines[count++] = { first.translated(0, m_lineStep), date, {}, skin::kDateColour };
    }
    lines[count] = { first.translated(0, int(count) * m_lineStep),
        ui::qText(inputs.homeCityName) + u' ' + QString::number(inputs.weekNumber), {}, skin::kCityColour };
    // The visiting city's clock may stand beside the line (square and landscape screens):
    // the line ends before it.
    QRect& cityLine = lines[count].rect;
    if (inputs.visitingTime && cityLine.intersects(m_secondClock))
        cityLine.setRight(std::max(cityLine.left(), m_secondClock.left() - m_screen.scaled(4)));
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (!lines[line].text.isEmpty())
            lines[line].font = lineFont(line, lines[line].text, lines[line].rect.width());
    }
    return lines;
}

void DigitalClock::draw(QPainter& painter, const DigitalClockInputs& inputs) const
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const TextLine& line : textLines(inputs)) {
        if (line.text.isEmpty())
            continue;
        painter.setFont(line.font);
        painter.setPen(m_skin.colour(line.colourWord));
        painter.drawText(line.rect, kTextFlags, line.text);
    }

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

void DigitalClock::reportLayout(ui::LayoutReport& report, const DigitalClockInputs& inputs) const
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    for (const TextLine& line : textLines(inputs)) {
        if (!line.text.isEmpty())
            report.addText(line.rect, line.text, line.font, kTextFlags);
    }
    if (inputs.visitingTime) {
        report.addText(m_secondClock, timeWithoutSeconds(*inputs.visitingTime, locale), m_small,
            Qt::AlignCenter | Qt::TextSingleLine);
        report.addText(m_secondClock.translated(0, m_screen.scaled(20)), visitingDateText(inputs),
            m_small, Qt::AlignCenter | Qt::TextSingleLine);
    }
    report.addImage(m_bigTime);
    if (m_hasDigitImages) {
        for (const DigitImage& image : digitImages(inputs))
            report.addImage(digitBox(image));
        return;
    }
    const SYSTEMTIME& t = inputs.localTime;
    const QPoint at = m_bigTime.topLeft();
    report.addText(m_timeText.translated(at),
        formatTime(t, inputs.use24Hour ? u"H':'mm" : u"h':'mm", locale), m_huge, kTimeFlags);
    report.addText(m_secondsText.translated(at), formatTime(t, u"ss", locale), m_large, kSecondsFlags);
    if (!inputs.use24Hour) {
        const QImage& image = m_amPmImages[t.wHour < 12 ? 0 : 1];
        if (!image.isNull())
            report.addImage(QRect(m_amPm + at, image.size()));
    }
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
    painter.drawText(m_timeText, kTimeFlags,
        formatTime(t, inputs.use24Hour ? u"H':'mm" : u"h':'mm", locale));
    painter.setFont(m_large);
    // The seconds sit at the top, above the AM/PM image.
    painter.drawText(m_secondsText, kSecondsFlags,
        formatTime(t, u"ss", locale));
    // A 24-hour clock has no AM or PM to show.
    if (!inputs.use24Hour) {
        const QImage& image = m_amPmImages[t.wHour < 12 ? 0 : 1];
        if (!image.isNull())
            painter.drawImage(m_amPm, image);
    }
    painter.restore();
}

std::vector<DigitalClock::DigitImage> DigitalClock::digitImages(const DigitalClockInputs& inputs) const
{
    namespace w = skin;
    const SYSTEMTIME& t = inputs.localTime;
    const QImage& big = m_bigDigits;
    const int bigFrames = m_bigFrames;
    const QImage& small = m_smallDigits.isNull() ? m_bigDigits : m_smallDigits;
    const int smallFrames = m_smallDigits.isNull() ? m_bigFrames : m_smallFrames;
    std::vector<DigitImage> images;
    const auto place = [&](const QImage& strip, int frames, int frame, int positionWord) {
        const QRect source = frameRect(strip, frames, frame);
        if (!source.isEmpty())
            images.push_back({ &strip, source,
                QPoint(m_skin.bounded(positionWord), m_skin.bounded(positionWord + 1)) });
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
                images.push_back({ &image, image.rect(),
                    QPoint(m_skin.bounded(w::kDigitAmPmPosition), m_skin.bounded(w::kDigitAmPmPosition + 1)) });
        }
    }
    return images;
}

QRect DigitalClock::digitBox(const DigitImage& image) const
{
    const QPointF at = QPointF(m_bigTime.topLeft() + m_digitOffset) + QPointF(image.at) * m_digitScale;
    return QRect(at.toPoint(), (QSizeF(image.source.size()) * m_digitScale).toSize());
}

void DigitalClock::drawImageTime(QPainter& painter, const DigitalClockInputs& inputs) const
{
    painter.save();
    painter.translate(m_bigTime.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), m_bigTime.size()));
    if (m_digitBackground.isNull())
        painter.fillRect(QRect(QPoint(0, 0), m_bigTime.size()), m_skin.colour(skin::kBigTimeFill));
    else
        painter.drawImage(QPoint(0, 0), m_digitBackground);
    painter.translate(m_digitOffset);
    if (m_digitScale != 1.0) {
        painter.scale(m_digitScale, m_digitScale);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    for (const DigitImage& image : digitImages(inputs))
        painter.drawImage(image.at, *image.strip, image.source);
    painter.restore();
}

} // namespace faces

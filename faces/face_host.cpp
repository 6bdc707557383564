#include "faces/face_host.h"

#include "faces/clock_text.h"
#include "faces/skin_record.h"
#include "platform/files.h"
#include "ui/qt_text.h"

#include <QPainter>

#include <algorithm>

namespace faces {

namespace {

// A zero-terminated picture held in a fixed field (terminated or not).
template <std::size_t N> std::u16string_view fieldText(const char16_t (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length] != 0)
        ++length;
    return std::u16string_view(field, length);
}

Qt::Alignment alignmentOf(std::int32_t align)
{
    switch (TextAlign(align)) {
    case TextAlign::Centre:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case TextAlign::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TextAlign::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QRect recordRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int dayOfYear(const SYSTEMTIME& t)
{
    static constexpr int kBefore[] = { 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334 };
    const int month = std::clamp(int(t.wMonth), 1, 12);
    const bool leap = (t.wYear % 4 == 0 && t.wYear % 100 != 0) || t.wYear % 400 == 0;
    return kBefore[month - 1] + t.wDay + (leap && month > 2 ? 1 : 0);
}

std::optional<int> numberOf(NumberValue value, const FaceClock& clock)
{
    const SYSTEMTIME& t = clock.time;
    switch (value) {
    case NumberValue::Second:
        return t.wSecond;
    case NumberValue::Minute:
        return t.wMinute;
    case NumberValue::Hour:
        return shownHour(t.wHour, clock.use24Hour);
    case NumberValue::Hour12:
        return shownHour(t.wHour, false);
    case NumberValue::Day:
        return t.wDay;
    case NumberValue::Month:
        return t.wMonth;
    case NumberValue::Year:
        return t.wYear;
    case NumberValue::Weekday:
        return t.wDayOfWeek;
    case NumberValue::DayOfYear:
        return dayOfYear(t);
    case NumberValue::AlarmHour:
        if (clock.nextAlarm)
            return shownHour(clock.nextAlarm->wHour, clock.use24Hour);
        return std::nullopt;
    case NumberValue::AlarmMinute:
        if (clock.nextAlarm)
            return clock.nextAlarm->wMinute;
        return std::nullopt;
    }
    return std::nullopt;
}

QString dateTimeText(
    const DateTimeTextRecord& record, const SYSTEMTIME& time, const platform::LocaleInfo& locale)
{
    const std::u16string_view timePicture = fieldText(record.timeFormat);
    const std::u16string_view datePicture = fieldText(record.dateFormat);
    const QString timeText = timePicture.empty() ? timeWithoutSeconds(time, locale)
                                                 : formatTime(time, timePicture, locale);
    const QString dateText = formatDate(time,
        datePicture.empty() ? std::u16string_view(locale.longDatePicture) : datePicture, locale);
    switch (DateTimeContent(record.content)) {
    case DateTimeContent::Time:
        return timeText;
    case DateTimeContent::Date:
        return dateText;
    case DateTimeContent::DateThenTime:
        return dateText + u' ' + timeText;
    case DateTimeContent::TimeThenDate:
        return timeText + u' ' + dateText;
    }
    return {};
}

// The mean colour of an image's border: what lies beyond a face's background looks like
// its edge.
QColor borderColour(const QImage& image)
{
    if (image.isNull())
        return Qt::black;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const int right = pixels.width() - 1;
    const int bottom = pixels.height() - 1;
    std::int64_t red = 0, green = 0, blue = 0, count = 0;
    const auto add = [&](int x, int y) {
        const QRgb rgb = pixels.pixel(x, y);
        red += qRed(rgb);
        green += qGreen(rgb);
        blue += qBlue(rgb);
        ++count;
    };
    for (int x = 0; x <= right; ++x) {
        add(x, 0);
        add(x, bottom);
    }
    for (int y = 1; y < bottom; ++y) {
        add(0, y);
        add(right, y);
    }
    return QColor(int(red / count), int(green / count), int(blue / count));
}

} // namespace

FaceHost::FaceHost() = default;
FaceHost::~FaceHost() = default;

void FaceHost::unload()
{
    m_loaded = false;
    m_file = {};
    m_plain.clear();
    m_overlays.clear();
    m_sprites.clear();
    m_fonts.clear();
    m_backgroundColour = Qt::black;
}

bool FaceHost::load(std::u16string_view devicePath, int scaleShift)
{
    unload();
    const auto bytes = platform::readWholeFile(devicePath, kMaxFaceFileBytes);
    if (!bytes)
        return false;
    return loadBytes(*bytes, scaleShift);
}

bool FaceHost::loadBytes(ByteView bytes, int scaleShift)
{
    unload();
    auto file = parseFaceFile(bytes);
    if (!file)
        return false;
    m_file = std::move(*file);
    m_scaleShift = scaleShift;

    const auto fail = [this] {
        unload();
        return false;
    };
    for (const Bytes& data : m_file.plainImages) {
        m_plain.push_back(decodeImage(data));
        if (m_plain.back().isNull())
            return fail();
    }
    for (const Sprite& sprite : m_file.sprites) {
        DecodedSprite decoded;
        decoded.frames = sprite.descriptor.frames;
        decoded.strip = decodeImage(sprite.strip);
        if (decoded.strip.isNull() || decoded.strip.width() < decoded.frames)
            return fail();
        decoded.frameWidth = decoded.strip.width() / decoded.frames;
        if (!sprite.mask.empty()) {
            decoded.mask = decodeImage(sprite.mask);
            if (decoded.mask.isNull() || decoded.mask.size() != decoded.strip.size())
                return fail();
            // AND with the mask, then OR with the strip: both work on opaque pixels.
            decoded.mask = decoded.mask.convertToFormat(QImage::Format_RGB32);
            decoded.strip = decoded.strip.convertToFormat(QImage::Format_RGB32);
        }
        m_sprites.push_back(std::move(decoded));
    }
    for (const Bytes& data : m_file.overlays) {
        m_overlays.push_back(decodeImage(data));
        if (m_overlays.back().isNull())
            return fail();
    }
    for (const LOGFONTW& logFont : m_file.fonts)
        m_fonts.push_back(fontFromLogFont(logFont));
    m_defaultFont = QFont(QStringLiteral("Tahoma"));
    m_defaultFont.setStyleHint(QFont::SansSerif);
    m_defaultFont.setPixelSize(13 << scaleShift);
    m_backgroundColour = borderColour(plainImage(m_file.header[face::kBackground]));
    m_loaded = true;
    return true;
}

const QFont& FaceHost::fontAt(int index) const
{
    return index >= 0 && std::size_t(index) < m_fonts.size() ? m_fonts[std::size_t(index)]
                                                             : m_defaultFont;
}

QImage FaceHost::plainImage(int index) const
{
    return index >= 0 && std::size_t(index) < m_plain.size() ? m_plain[std::size_t(index)]
                                                             : QImage();
}

int FaceHost::appendSprite(const QImage& strip, int frames)
{
    if (strip.isNull() || frames < 1 || frames > kMaxSpriteFrames || strip.width() < frames)
        return -1;
    DecodedSprite sprite;
    sprite.strip = strip.convertToFormat(
        strip.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    sprite.frames = frames;
    sprite.frameWidth = strip.width() / frames;
    m_sprites.push_back(std::move(sprite));
    return int(m_sprites.size()) - 1;
}

void FaceHost::drawSpriteFrame(QPainter& painter, int sprite, int frame, QPoint at) const
{
    if (sprite < 0 || std::size_t(sprite) >= m_sprites.size())
        return;
    const DecodedSprite& s = m_sprites[std::size_t(sprite)];
    if (frame < 0 || frame >= s.frames)
        return;
    const QRect source(frame * s.frameWidth, 0, s.frameWidth, s.strip.height());
    if (s.mask.isNull()) {
        painter.drawImage(at, s.strip, source);
        return;
    }
    const auto mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(at, s.mask, source);
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter.drawImage(at, s.strip, source);
    painter.setCompositionMode(mode);
}

void FaceHost::draw(QPainter& painter, const FaceInputs& inputs) const
{
    if (!m_loaded)
        return;
    const QPoint offset = inputs.offset;
    const FaceClock& clock = inputs.clock;

    const QImage background = plainImage(m_file.header[face::kBackground]);
    const QRect device(QPoint(0, 0), QSize(painter.device()->width(), painter.device()->height()));
    if (background.isNull() || !QRect(offset, background.size()).contains(device))
        painter.fillRect(device, Qt::black);
    if (!background.isNull())
        painter.drawImage(offset, background);

    for (const DigitRecord& record : m_file.digits) {
        const DecodedSprite& sprite = m_sprites[std::size_t(record.sprite)];
        for (const DigitGlyph& glyph : digitGlyphs(record, clock, sprite.frameWidth))
            drawSpriteFrame(painter, record.sprite, glyph.frame, QPoint(glyph.x, glyph.y) + offset);
    }

    for (const AreaRecord& area : m_file.areas) {
        if (!areaShown(area, clock))
            continue;
        const QRect rect = areaRect(area, clock);
        if (!rect.isEmpty())
            painter.drawImage(rect.translated(offset), m_plain[std::size_t(area.image)], rect);
    }

    drawTexts(painter, inputs);
    drawHands(painter, inputs);
}

QSize FaceHost::faceSize() const
{
    const QSize design = designSize();
    if (design.width() > 0 && design.height() > 0)
        return design;
    const QImage background = plainImage(m_file.header[face::kBackground]);
    if (!background.isNull())
        return background.size();
    return QSize(240 << m_scaleShift, 320 << m_scaleShift);
}

QRect FaceHost::fittedRect(QSize size, const QRect& screen)
{
    if (size.isEmpty() || screen.isEmpty())
        return screen;
    QSize shown = size;
    if (size.width() > screen.width() || size.height() > screen.height())
        shown = size.scaled(screen.size(), Qt::KeepAspectRatio);
    return QRect(screen.topLeft()
            + QPoint((screen.width() - shown.width()) / 2, (screen.height() - shown.height()) / 2),
        shown);
}

void FaceHost::drawFitted(QPainter& painter, const FaceInputs& inputs, const QRect& screen) const
{
    if (!m_loaded)
        return;
    const QSize size = faceSize();
    if (screen == QRect(QPoint(0, 0), size) && painter.device()->width() == size.width()
        && painter.device()->height() == size.height()) {
        draw(painter, inputs); // the screen the face was made for
        return;
    }
    // The face is drawn on its own screen first, then put whole onto this one.
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(m_backgroundColour);
    {
        QPainter facePainter(&canvas);
        draw(facePainter, inputs);
    }
    const QRect target = fittedRect(size, screen);
    painter.save();
    painter.fillRect(screen, m_backgroundColour);
    if (target.size() != size)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, canvas);
    painter.restore();
}

void FaceHost::drawTexts(QPainter& painter, const FaceInputs& inputs) const
{
    if (m_file.dateTexts.empty() && m_file.numberTexts.empty())
        return;
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const DateTimeTextRecord& record : m_file.dateTexts) {
        const QString text = dateTimeText(record, inputs.clock.time, locale);
        if (text.isEmpty())
            continue;
        painter.setFont(fontAt(record.font));
        painter.setPen(colourOf(record.colour));
        painter.drawText(recordRect(record.left, record.top, record.right, record.bottom)
                             .translated(inputs.offset),
            int(alignmentOf(record.align)) | Qt::TextSingleLine, text);
    }
    for (const NumberTextRecord& record : m_file.numberTexts) {
        const auto value = numberOf(NumberValue(record.value), inputs.clock);
        if (!value)
            continue;
        QString text = ui::qText(fieldText(record.prefix));
        text += QString::number(*value).rightJustified(record.minDigits, u'0');
        text += ui::qText(fieldText(record.suffix));
        painter.setFont(fontAt(record.font));
        painter.setPen(colourOf(record.colour));
        painter.drawText(recordRect(record.left, record.top, record.right, record.bottom)
                             .translated(inputs.offset),
            int(alignmentOf(record.align)) | Qt::TextSingleLine, text);
    }
    painter.restore();
}

void FaceHost::drawHands(QPainter& painter, const FaceInputs& inputs) const
{
    if (m_file.hands.empty())
        return;
    // The hands turn inside the square work area only.
    const int side = 240 << m_scaleShift;
    const QRect workArea(
        inputs.offset.x(), m_file.header[face::kHandAreaY] + inputs.offset.y(), side, side);
    painter.save();
    painter.setClipRect(workArea);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const HandRecord& hand : m_file.hands) {
        painter.save();
        painter.translate(workArea.topLeft() + QPoint(hand.x, hand.y));
        // The angle counts counter-clockwise; Qt turns clockwise on the screen.
        painter.rotate(-double(handAngle(hand, inputs.clock.time)));
        painter.drawImage(
            QPoint(-hand.pivotX, -hand.pivotY), m_overlays[std::size_t(hand.overlay)]);
        painter.restore();
    }
    painter.restore();
}

QRect FaceHost::closeRect() const
{
    const auto& h = m_file.header;
    return recordRect(h[face::kCloseRect], h[face::kCloseRect + 1], h[face::kCloseRect + 2],
        h[face::kCloseRect + 3]);
}

SliderLayout FaceHost::slider() const
{
    const auto& h = m_file.header;
    SliderLayout s;
    s.element = h[face::kSliderElement] >= 0 ? h[face::kSliderElement] : -1;
    s.knobStart = QPoint(h[face::kKnobStartX], h[face::kKnobStartY]);
    s.unlockX = h[face::kUnlockX];
    s.track = recordRect(h[face::kTrackRect], h[face::kTrackRect + 1], h[face::kTrackRect + 2],
        h[face::kTrackRect + 3]);
    s.knob = recordRect(
        h[face::kKnobRect], h[face::kKnobRect + 1], h[face::kKnobRect + 2], h[face::kKnobRect + 3]);
    s.trackFill = h[face::kTrackFill];
    s.trackColour = colourOf(h[face::kTrackColour]);
    s.trackImage = h[face::kTrackImage];
    for (std::size_t i = 0; i < 3; ++i)
        s.knobFrames[i] = h[face::kKnobFrames + i];
    s.designWidth = h[face::kDesignWidth];
    return s;
}

QFont FaceHost::lockFont() const
{
    return fontAt(m_file.header[face::kLockFont]);
}
QColor FaceHost::lockTextColour() const
{
    return colourOf(m_file.header[face::kLockTextColour]);
}
QSize FaceHost::designSize() const
{
    return QSize(m_file.header[face::kDesignWidth], m_file.header[face::kDesignHeight]);
}

} // namespace faces

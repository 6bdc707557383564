#include "faces/status_bar.h"

#include "faces/clock_text.h"
#include "faces/skin.h"
#include "ui/layout_report.h"
#include "ui/qt_text.h"

#include <QPainter>

#include <algorithm>

namespace faces {

namespace {

constexpr int kIconWidth = 21;
constexpr int kPartTextFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

// A time that does not exist (yet): nothing runs, or nothing has computed it.
QString noTime() { return QStringLiteral("--:--"); }

} // namespace

std::u16string stopwatchStatusText(std::int64_t elapsedSeconds)
{
    const std::int64_t seconds = std::max<std::int64_t>(0, elapsedSeconds);
    const auto two = [](std::int64_t value) {
        std::u16string text;
        text += char16_t(u'0' + value / 10 % 10);
        text += char16_t(u'0' + value % 10);
        return text;
    };
    return two(seconds / 3600 % 100) + u":" + two(seconds / 60 % 60) + u" " + two(seconds % 60);
}

QString statusText(std::uint32_t content, const StatusBarInputs& inputs)
{
    const platform::LocaleInfo& locale = localeOr(inputs.locale);
    switch (StatusContent(content)) {
    case StatusContent::None:
        return {};
    case StatusContent::Alarm:
        return inputs.nextAlarm ? timeWithoutSeconds(*inputs.nextAlarm, locale) : noTime();
    case StatusContent::Timer:
        return inputs.timerText ? ui::qText(*inputs.timerText) : noTime();
    case StatusContent::Stopwatch:
        return inputs.stopwatchText ? ui::qText(*inputs.stopwatchText) : QStringLiteral("--:-- --");
    case StatusContent::Sunrise:
        return inputs.sunriseText.empty() ? noTime() : ui::qText(inputs.sunriseText);
    case StatusContent::Sunset:
        return inputs.sunsetText.empty() ? noTime() : ui::qText(inputs.sunsetText);
    case StatusContent::InternetTime:
        return u'@'
            + (inputs.internetTimeText.empty() ? QStringLiteral("---") : ui::qText(inputs.internetTimeText));
    case StatusContent::Date:
        return formatDate(inputs.localTime, locale.shortDatePicture, locale);
    case StatusContent::Time:
        return timeWithoutSeconds(inputs.localTime, locale);
    }
    return {};
}

namespace {

// The smallest rectangle holding every pixel of `image` that is not wholly transparent.
QRect opaqueBounds(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.rect();
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

StatusBar::StatusBar(const SkinSet& skin, const ScreenLayout& screen)
    : m_screen(screen)
{
    const ScreenLayout& s = screen;
    m_bar = skin.image(skin.element(skin::kStatusBar).image);
    m_divider = skin.image(skin.element(skin::kStatusDivider).image);
    m_icons = skin.statusIcons();
    m_textColour = skin.colour(skin::kStatusTextColour);
    m_lineColour = skin.colour(skin::kDividerLineColour);
    m_font = QFont(QStringLiteral("Tahoma"));
    m_font.setStyleHint(QFont::SansSerif);
    m_font.setPixelSize(s.scaled(12));
    if (s.layoutKind != 2)
        m_rect = QRect(0, s.pick(245, 165, 165), s.pick(240, 240, 320), s.scaled(22));
    m_partWidth = s.pick(80, 80, 106);
    m_partX = { 0, s.pick(80, 80, 106), s.pick(162, 162, 213) };
    m_dividerX = { s.pick(78, 78, 105), s.pick(160, 160, 212), 0 };

    // The bar with its dividers, laid out once: the bar image repeats across the width.
    if (m_rect.isEmpty())
        return;
    m_strip = QImage(m_rect.size(), QImage::Format_RGB32);
    m_strip.fill(Qt::white);
    QPainter strip(&m_strip);
    for (int x = 0; !m_bar.isNull() && x < m_strip.width(); x += m_bar.width())
        strip.drawImage(QPoint(x, 0), m_bar);
    for (int i = 0; i < 2 && !m_divider.isNull(); ++i)
        strip.drawImage(QPoint(m_dividerX[std::size_t(i)], 0), m_divider);
}

void StatusBar::draw(QPainter& painter, const StatusBarInputs& inputs) const
{
    if (m_rect.isEmpty()) {
        // 320 x 320 screens have no room for the bar: a 3-pixel line divides the view.
        painter.fillRect(QRect(0, 246, m_screen.width, 3), m_lineColour);
        return;
    }
    painter.save();
    painter.translate(m_rect.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), m_rect.size()));
    painter.drawImage(QPoint(0, 0), m_strip);
    for (std::size_t part = 0; part < 3; ++part)
        drawPart(painter, inputs.contents[part], statusText(inputs.contents[part], inputs),
            m_partX[part]);
    painter.restore();
}

std::optional<StatusBar::PartPlace> StatusBar::placePart(
    std::uint32_t content, const QString& text, int xOffset) const
{
    if (StatusContent(content) == StatusContent::None
        || content > std::uint32_t(StatusContent::Time))
        return std::nullopt;
    const int iconWidth = m_screen.scaled(kIconWidth);
    const int textWidth = QFontMetrics(m_font).horizontalAdvance(text);
    // Icon and text together, centred in the part.
    const int textX = xOffset + std::max(0, (m_partWidth - iconWidth - textWidth) / 2) + iconWidth;
    const int iconX = textX - iconWidth - 1;
    PartPlace place;
    const std::size_t icon = std::size_t(content - 1);
    if (icon < m_icons.size() && !m_icons[icon].isNull())
        place.icon = QRect(QPoint(iconX, m_screen.scaled(3)), m_icons[icon].size());
    // The last part ends with the strip.
    place.text = QRect(textX, 0, std::min(xOffset + m_partWidth, m_rect.width()) - textX, m_rect.height());
    return place;
}

int StatusBar::drawPart(
    QPainter& strip, std::uint32_t content, const QString& text, int xOffset) const
{
    const auto place = placePart(content, text, xOffset);
    if (!place)
        return -1;
    strip.save();
    strip.setFont(m_font);
    strip.setRenderHint(QPainter::TextAntialiasing);
    if (!place->icon.isEmpty())
        strip.drawImage(place->icon.topLeft(), m_icons[std::size_t(content - 1)]);
    strip.setPen(m_textColour);
    strip.drawText(place->text, kPartTextFlags, text);
    strip.restore();
    return place->text.left() - m_screen.scaled(kIconWidth) - 1;
}

void StatusBar::reportLayout(ui::LayoutReport& report, const StatusBarInputs& inputs) const
{
    if (m_rect.isEmpty())
        return;
    for (std::size_t part = 0; part < 3; ++part) {
        const QString text = statusText(inputs.contents[part], inputs);
        const auto place = placePart(inputs.contents[part], text, m_partX[part]);
        if (!place)
            continue;
        // An icon counts where it is not transparent: its clear bottom rows may pass the strip.
        const std::size_t icon = std::size_t(inputs.contents[part] - 1);
        if (!place->icon.isEmpty())
            report.addImage(opaqueBounds(m_icons[icon]).translated(place->icon.topLeft() + m_rect.topLeft()));
        report.addText(place->text.translated(m_rect.topLeft()), text, m_font, kPartTextFlags);
    }
}

} // namespace faces

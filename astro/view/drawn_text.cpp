#include "astro/view/drawn_text.h"

#include "faces/clock_text.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "ui/layout_report.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace astro {

int textWidth(const QFont& font, const QString& text)
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const auto& line : text.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

QFont fittedFont(QFont font, const QString& text, const QRect& rect)
{
    const auto fits = [&](const QFont& candidate) {
        const auto lines = int(text.count(u'\n')) + 1;
        // A pixel to spare: the layout check measures ink, which may reach one past the advance.
        return textWidth(candidate, text) + 1 <= rect.width()
            && QFontMetrics(candidate).height() * lines <= rect.height();
    };
    if (fits(font))
        return font;
    font.setStretch(QFont::Condensed);
    while (!fits(font) && font.pixelSize() > kSmallestFontPx)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void paintViewBackground(
    QPainter& painter, const faces::SkinSet& skin, int viewIndex, const QRect& area)
{
    painter.fillRect(
        area, skin.loaded() ? skin.colour(faces::skin::kWindowColour) : QColor(Qt::white));
    if (!skin.loaded())
        return;
    const int word = faces::skin::kFirstViewBackground + 5 * viewIndex;
    const QImage background = skin.imageOf(word);
    if (background.isNull())
        return;
    const auto element = skin.element(word);
    painter.save();
    painter.setClipRect(area);
    painter.drawImage(area.topLeft() + QPoint(element.values[0], element.values[1]), background);
    painter.restore();
}

void paintTexts(QPainter& painter, const faces::SkinSet& skin, const std::vector<DrawnText>& texts)
{
    const QColor text = skin.loaded() ? skin.colour(faces::skin::kTextColour) : QColor(Qt::black);
    const QColor quiet
        = skin.loaded() ? skin.colour(faces::skin::kDateColour) : QColor(Qt::darkGray);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const DrawnText& line : texts) {
        painter.setPen(line.quiet ? quiet : text);
        painter.setFont(line.font);
        painter.drawText(line.rect, line.flags, line.text);
    }
}

void reportTexts(ui::LayoutReport& report, const std::vector<DrawnText>& texts)
{
    for (const DrawnText& line : texts)
        report.addText(line.rect, line.text, line.font, line.flags);
}

QString shortTimeText(const SYSTEMTIME& local)
{
    return faces::timeWithoutSeconds(local, platform::userLocale());
}

QString shortDateText(const SYSTEMTIME& local)
{
    const auto& locale = platform::userLocale();
    return faces::formatDate(local, locale.shortDatePicture, locale);
}

bool deviceLocalOfUniversal(std::uint64_t universalTicks, std::uint64_t& localTicks)
{
    const FILETIME universal = fileTimeOf(universalTicks);
    FILETIME local {};
    if (!FileTimeToLocalFileTime(&universal, &local))
        return false;
    localTicks = ticksOf(local);
    return true;
}

bool deviceUniversalOfLocal(std::uint64_t localTicks, std::uint64_t& universalTicks)
{
    const FILETIME local = fileTimeOf(localTicks);
    FILETIME universal {};
    if (!LocalFileTimeToFileTime(&local, &universal))
        return false;
    universalTicks = ticksOf(universal);
    return true;
}

} // namespace astro

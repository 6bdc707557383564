#include "astro/view/drawn_text.h"

#include "cities/view/time_and_location.h"
#include "faces/clock_text.h"
#include "faces/skin.h"
#include "faces/skin_record.h"
#include "platform/device_clock.h"
#include "platform/locale.h"
#include "ui/fitted_text.h"
#include "ui/layout_report.h"
#include "ui/pickers.h"
#include "ui/resources.h"
#include "ui/time_dialog.h"

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
    return ui::fittedFont(font, fits);
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

SYSTEMTIME atTimeOfDay(SYSTEMTIME date, int hour, int minute)
{
    date.wHour = WORD(hour);
    date.wMinute = WORD(minute);
    date.wSecond = 0;
    date.wMilliseconds = 0;
    return date;
}

std::optional<SYSTEMTIME> askDate(QWidget* parent, const SYSTEMTIME& shown)
{
    cities::DateDialog dialog(parent, shown);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.date();
}

std::optional<SYSTEMTIME> askTimeOfDay(
    QWidget* parent, const QString& title, const SYSTEMTIME& shown)
{
    const auto choice = ui::chooseTime(
        parent, title, shown.wHour, shown.wMinute, platform::userLocale().use24Hour);
    if (!choice.confirmed)
        return std::nullopt;
    return atTimeOfDay(shown, choice.hour, choice.minute);
}

void openDialogsOnTap(
    ui::DatePicker& date, ui::TimePicker& time, QWidget* screen, unsigned timeTitle)
{
    const auto window = [screen] { return screen ? screen->window() : nullptr; };
    QObject::connect(&date, &ui::PictureField::activated, &date, [&date, screen, window] {
        const auto chosen = askDate(window(), date.value());
        if (!chosen)
            return;
        date.setValue(*chosen);
        if (screen)
            screen->update();
    });
    QObject::connect(
        &time, &ui::PictureField::activated, &time, [&time, screen, window, timeTitle] {
            const auto chosen = askTimeOfDay(window(), ui::text(timeTitle), time.value());
            if (!chosen)
                return;
            time.setTime(QTime(chosen->wHour, chosen->wMinute));
            if (screen)
                screen->update();
        });
}

SYSTEMTIME pickedMoment(const ui::DatePicker& date, const ui::TimePicker& time)
{
    return atTimeOfDay(date.value(), time.value().wHour, time.value().wMinute);
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

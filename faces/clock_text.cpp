#include "faces/clock_text.h"

#include "ui/qt_text.h"

namespace faces {

const platform::LocaleInfo& localeOr(const platform::LocaleInfo* locale)
{
    return locale ? *locale : platform::userLocale();
}

std::u16string timePictureWithoutSeconds(const platform::LocaleInfo& locale)
{
    std::u16string picture = locale.timePicture;
    const auto seconds = picture.find(u's');
    if (seconds == std::u16string::npos)
        return picture;
    auto start = seconds;
    while (start > 0 && picture[start - 1] != u'm')
        --start;
    auto end = seconds;
    while (end < picture.size() && picture[end] == u's')
        ++end;
    picture.erase(start, end - start);
    return picture;
}

QString formatTime(
    const SYSTEMTIME& time, std::u16string_view picture, const platform::LocaleInfo& locale)
{
    const auto text = platform::formatPicture(time, picture, platform::PictureKind::Time, locale);
    return text ? ui::qText(*text) : QString();
}

QString formatDate(
    const SYSTEMTIME& date, std::u16string_view picture, const platform::LocaleInfo& locale)
{
    const auto text = platform::formatPicture(date, picture, platform::PictureKind::Date, locale);
    return text ? ui::qText(*text) : QString();
}

QString timeWithoutSeconds(const SYSTEMTIME& time, const platform::LocaleInfo& locale)
{
    return formatTime(time, timePictureWithoutSeconds(locale), locale);
}

std::u16string dateSeparator(const platform::LocaleInfo& locale)
{
    // The first run of characters between two date letters, outside quotes.
    const std::u16string& picture = locale.shortDatePicture;
    const auto isLetter
        = [](char16_t c) { return c == u'd' || c == u'M' || c == u'y' || c == u'g'; };
    std::size_t i = 0;
    while (i < picture.size() && isLetter(picture[i]))
        ++i;
    std::u16string separator;
    for (; i < picture.size() && !isLetter(picture[i]); ++i) {
        if (picture[i] != u'\'')
            separator += picture[i];
    }
    return separator.empty() ? u"/" : separator;
}

} // namespace faces

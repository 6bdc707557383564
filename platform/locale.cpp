#include "platform/locale.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/device_root.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <unicode/calendar.h>
#include <unicode/coll.h>
#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/smpdtfmt.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace platform {

namespace {

constexpr const char16_t* kLocaleValue = u"Locale";

std::u16string fromIcu(const icu::UnicodeString& text) { return std::u16string(text.getBuffer(), std::size_t(text.length())); }

icu::UnicodeString toIcu(std::u16string_view text) { return icu::UnicodeString(text.data(), int32_t(text.size())); }

// "de_DE.UTF-8@euro" -> "de_DE"; "C", "POSIX" and nothing -> "en_US".
std::string cleanName(std::string_view name)
{
    std::string clean(name.substr(0, name.find_first_of(".@")));
    if (clean.empty() || clean == "C" || clean == "POSIX")
        return "en_US";
    return clean;
}

// An ICU date or time pattern as a handheld picture; symbols the pictures lack are left out.
std::u16string pictureOfPattern(const icu::UnicodeString& pattern)
{
    const std::u16string text = fromIcu(pattern);
    std::u16string picture;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'\'') {
            const auto end = text.find(u'\'', i + 1);
            const std::size_t stop = end == std::u16string::npos ? text.size() : end + 1;
            picture += text.substr(i, stop - i);
            i = stop;
            continue;
        }
        if (!(c < 128 && std::isalpha(int(c)))) {
            picture += c;
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < text.size() && text[i + run] == c)
            ++run;
        i += run;
        switch (c) {
        case u'y': picture += run == 2 ? u"yy" : u"yyyy"; break;
        case u'M':
        case u'L': picture += std::u16string(std::min<std::size_t>(run, 4), u'M'); break;
        case u'd': picture += std::u16string(std::min<std::size_t>(run, 2), u'd'); break;
        case u'E':
        case u'c':
        case u'e': picture += run >= 4 ? u"dddd" : u"ddd"; break;
        case u'a': picture += u"tt"; break;
        case u'h':
        case u'K': picture += std::u16string(std::min<std::size_t>(run, 2), u'h'); break;
        case u'H':
        case u'k': picture += std::u16string(std::min<std::size_t>(run, 2), u'H'); break;
        case u'm': picture += std::u16string(std::min<std::size_t>(run, 2), u'm'); break;
        case u's': picture += std::u16string(std::min<std::size_t>(run, 2), u's'); break;
        default:
            // An era, a zone or the like: dropped with the space before it.
            while (!picture.empty() && picture.back() == u' ')
                picture.pop_back();
            break;
        }
    }
    while (!picture.empty() && picture.back() == u' ')
        picture.pop_back();
    return picture;
}

icu::UnicodeString patternOf(icu::DateFormat* format)
{
    icu::UnicodeString pattern;
    if (auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format))
        simple->toPattern(pattern);
    return pattern;
}

} // namespace

bool monthBeforeDayOf(std::u16string_view picture)
{
    const auto month = picture.find(u'M');
    const auto day = picture.find(u'd');
    return month != std::u16string_view::npos && (day == std::u16string_view::npos || month < day);
}

namespace {

template <std::size_t N>
void fillNames(std::array<std::u16string, N>& into, const icu::UnicodeString* names, int32_t count, int32_t first)
{
    for (std::size_t i = 0; i < N && int32_t(i) + first < count; ++i)
        into[i] = fromIcu(names[int32_t(i) + first]);
}

std::u16string twoDigits(int value)
{
    return { char16_t(u'0' + value / 10 % 10), char16_t(u'0' + value % 10) };
}

std::u16string number(int value)
{
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

struct Cached {
    std::mutex mutex;
    std::uint64_t generation = 0;
    std::unique_ptr<LocaleInfo> info;
    std::map<std::string, std::unique_ptr<icu::Collator>> collators;
};

Cached& cache()
{
    static auto* instance = new Cached();
    return *instance;
}

} // namespace

std::array<std::u16string, 7> LocaleInfo::dayNamesInDisplayOrder() const
{
    std::array<std::u16string, 7> ordered;
    const int start = firstDayOfWeek == 6 ? 0 : 1;
    for (int i = 0; i < 7; ++i)
        ordered[std::size_t(i)] = dayNames[std::size_t((start + i) % 7)];
    return ordered;
}

std::array<std::u16string, 7> LocaleInfo::dayInitialsInDisplayOrder() const
{
    std::array<std::u16string, 7> ordered;
    const int start = firstDayOfWeek == 6 ? 0 : 1;
    for (int i = 0; i < 7; ++i)
        ordered[std::size_t(i)] = dayInitials[std::size_t((start + i) % 7)];
    return ordered;
}

LocaleInfo localeInfo(std::string_view requested)
{
    LocaleInfo info;
    info.name = cleanName(requested);
    const icu::Locale locale(info.name.c_str());
    UErrorCode status = U_ZERO_ERROR;
    icu::DateFormatSymbols symbols(locale, status);
    if (U_SUCCESS(status)) {
        using Symbols = icu::DateFormatSymbols;
        // Each list is taken in a statement of its own: its count is an out-parameter.
        int32_t count = 0;
        const icu::UnicodeString* list = symbols.getMonths(count, Symbols::STANDALONE, Symbols::WIDE);
        fillNames(info.monthNames, list, count, 0);
        list = symbols.getMonths(count, Symbols::FORMAT, Symbols::WIDE);
        fillNames(info.monthNamesInDate, list, count, 0);
        list = symbols.getMonths(count, Symbols::FORMAT, Symbols::ABBREVIATED);
        fillNames(info.shortMonthNames, list, count, 0);
        // ICU counts weekdays from 1 (Sunday).
        list = symbols.getWeekdays(count, Symbols::STANDALONE, Symbols::WIDE);
        fillNames(info.dayNames, list, count, 1);
        list = symbols.getWeekdays(count, Symbols::FORMAT, Symbols::ABBREVIATED);
        fillNames(info.shortDayNames, list, count, 1);
        list = symbols.getWeekdays(count, Symbols::STANDALONE, Symbols::NARROW);
        fillNames(info.dayInitials, list, count, 1);
        const icu::UnicodeString* amPm = symbols.getAmPmStrings(count);
        if (count >= 2) {
            info.am = fromIcu(amPm[0]);
            info.pm = fromIcu(amPm[1]);
        }
    }
    std::unique_ptr<icu::DateFormat> shortDate(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    std::unique_ptr<icu::DateFormat> longDate(icu::DateFormat::createDateInstance(icu::DateFormat::kFull, locale));
    std::unique_ptr<icu::DateFormat> time(icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale));
    info.shortDatePicture = shortDate ? pictureOfPattern(patternOf(shortDate.get())) : u"dd/MM/yyyy";
    info.longDatePicture = longDate ? pictureOfPattern(patternOf(longDate.get())) : u"dddd, dd MMMM yyyy";
    info.timePicture = time ? pictureOfPattern(patternOf(time.get())) : u"HH:mm:ss";
    info.use24Hour = info.timePicture.find(u'H') != std::u16string::npos;
    info.shortDateMonthFirst = monthBeforeDayOf(info.shortDatePicture);
    info.longDateMonthFirst = monthBeforeDayOf(info.longDatePicture);
    status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(locale, status));
    if (U_SUCCESS(status)) {
        const int first = int(calendar->getFirstDayOfWeek(status)); // 1 Sunday ... 7 Saturday
        info.firstDayOfWeek = (first + 5) % 7;
    }
    return info;
}

std::string userLocaleName()
{
    if (const auto profile = readRegistryString(RegistryRoot::LocalMachine, kProfileKey, kLocaleValue); profile && !profile->empty())
        return cleanName(toUtf8(*profile));
    for (const char* variable : { "LC_ALL", "LC_TIME", "LANG" }) {
        if (const char* value = std::getenv(variable); value && *value)
            return cleanName(value);
    }
    return "en_US";
}

const LocaleInfo& userLocale()
{
    auto& c = cache();
    std::lock_guard lock(c.mutex);
    if (!c.info || c.generation != deviceRootGeneration()) {
        c.info = std::make_unique<LocaleInfo>(localeInfo(userLocaleName()));
        c.generation = deviceRootGeneration();
    }
    return *c.info;
}

std::optional<std::u16string> formatPicture(
    const SYSTEMTIME& t, std::u16string_view picture, PictureKind kind, const LocaleInfo& locale)
{
    if (t.wMonth < 1 || t.wMonth > 12 || t.wDayOfWeek > 6 || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59)
        return std::nullopt;
    // Within a date with a day number, month names take the form they have there.
    bool dayNumber = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (picture[i] == u'\'') {
            const auto end = picture.find(u'\'', i + 1);
            i = end == std::u16string_view::npos ? picture.size() : end;
        } else if (picture[i] == u'd') {
            std::size_t run = 1;
            while (i + run < picture.size() && picture[i + run] == u'd')
                ++run;
            dayNumber = dayNumber || run <= 2;
            i += run - 1;
        }
    }
    std::u16string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char16_t c = picture[i];
        if (c == u'\'') {
            // Quoted text is literal; two quotes stand for one.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == u'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
                        out += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i++];
            }
            continue;
        }
        if (!(c < 128 && std::isalpha(int(c)))) {
            out += c;
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        i += run;
        const int hour12 = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
        if (kind == PictureKind::Date) {
            switch (c) {
            case u'd':
                if (run == 1)
                    out += number(t.wDay);
                else if (run == 2)
                    out += twoDigits(t.wDay);
                else if (run == 3)
                    out += locale.shortDayNames[t.wDayOfWeek];
                else
                    out += locale.dayNames[t.wDayOfWeek];
                break;
            case u'M':
                if (run == 1)
                    out += number(t.wMonth);
                else if (run == 2)
                    out += twoDigits(t.wMonth);
                else if (run == 3)
                    out += locale.shortMonthNames[t.wMonth - 1];
                else
                    out += (dayNumber ? locale.monthNamesInDate : locale.monthNames)[t.wMonth - 1];
                break;
            case u'y':
                if (run == 1)
                    out += number(t.wYear % 100);
                else if (run == 2)
                    out += twoDigits(t.wYear % 100);
                else
                    out += number(t.wYear);
                break;
            default: return std::nullopt;
            }
        } else {
            switch (c) {
            case u'h': out += run == 1 ? number(hour12) : twoDigits(hour12); break;
            case u'H': out += run == 1 ? number(t.wHour) : twoDigits(t.wHour); break;
            case u'm': out += run == 1 ? number(t.wMinute) : twoDigits(t.wMinute); break;
            case u's': out += run == 1 ? number(t.wSecond) : twoDigits(t.wSecond); break;
            case u't': {
                const std::u16string& designator = t.wHour < 12 ? locale.am : locale.pm;
                out += run == 1 ? designator.substr(0, 1) : designator;
                break;
            }
            default: return std::nullopt;
            }
        }
    }
    return out;
}

int compareForLocale(std::u16string_view first, std::u16string_view second, const LocaleInfo& locale, bool ignoreCase)
{
    auto& c = cache();
    std::lock_guard lock(c.mutex);
    const std::string key = locale.name + (ignoreCase ? "/i" : "");
    auto& collator = c.collators[key];
    if (!collator) {
        UErrorCode status = U_ZERO_ERROR;
        collator.reset(icu::Collator::createInstance(icu::Locale(locale.name.c_str()), status));
        if (U_FAILURE(status) || !collator) {
            collator.reset();
            return first.compare(second);
        }
        collator->setStrength(ignoreCase ? icu::Collator::SECONDARY : icu::Collator::TERTIARY);
    }
    UErrorCode status = U_ZERO_ERROR;
    const auto result = collator->compare(toIcu(first), toIcu(second), status);
    return U_SUCCESS(status) ? int(result) : first.compare(second);
}

} // namespace platform

namespace {

int copyOut(const std::u16string& text, WCHAR* out, int size)
{
    const int needed = int(text.size()) + 1;
    if (size == 0)
        return needed;
    if (!out || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, text.c_str(), std::size_t(needed) * sizeof(WCHAR));
    return needed;
}

int formatWith(const SYSTEMTIME* given, const WCHAR* format, const std::u16string& fallback,
    platform::PictureKind kind, WCHAR* out, int size)
{
    SYSTEMTIME time { };
    if (given)
        time = *given;
    else
        GetLocalTime(&time);
    if (kind == platform::PictureKind::Date) {
        if (!platform::ticksOfSystemTime(time)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        // The day of the week is the date's own, whatever the caller left in it.
        time.wDayOfWeek = WORD(platform::dayOfWeek(time.wYear, time.wMonth, time.wDay));
    }
    const auto text = platform::formatPicture(time, format ? std::u16string_view(format) : std::u16string_view(fallback),
        kind, platform::userLocale());
    if (!text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return copyOut(*text, out, size);
}

} // namespace

int GetLocaleInfoW(LCID, LCTYPE type, WCHAR* data, int size)
{
    const auto& locale = platform::userLocale();
    auto order = [](const std::u16string& picture) {
        const auto year = picture.find(u'y');
        if (year != std::u16string::npos && year < picture.find(u'M') && year < picture.find(u'd'))
            return std::u16string(u"2");
        return std::u16string(platform::monthBeforeDayOf(picture) ? u"0" : u"1");
    };
    std::u16string value;
    if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7) {
        value = locale.dayNames[(type - LOCALE_SDAYNAME1 + 1) % 7]; // Monday first
    } else if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7) {
        value = locale.shortDayNames[(type - LOCALE_SABBREVDAYNAME1 + 1) % 7];
    } else if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12) {
        value = locale.monthNames[type - LOCALE_SMONTHNAME1];
    } else if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12) {
        value = locale.shortMonthNames[type - LOCALE_SABBREVMONTHNAME1];
    } else {
        switch (type) {
        case LOCALE_SSHORTDATE: value = locale.shortDatePicture; break;
        case LOCALE_SLONGDATE: value = locale.longDatePicture; break;
        case LOCALE_STIMEFORMAT: value = locale.timePicture; break;
        case LOCALE_IDATE: value = order(locale.shortDatePicture); break;
        case LOCALE_ILDATE: value = order(locale.longDatePicture); break;
        case LOCALE_ITIME: value = locale.use24Hour ? u"1" : u"0"; break;
        case LOCALE_S1159: value = locale.am; break;
        case LOCALE_S2359: value = locale.pm; break;
        case LOCALE_IFIRSTDAYOFWEEK: value = std::u16string(1, char16_t(u'0' + locale.firstDayOfWeek)); break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
        }
    }
    return copyOut(value, data, size);
}

int GetDateFormatW(LCID, DWORD flags, const SYSTEMTIME* date, const WCHAR* format, WCHAR* out, int size)
{
    const auto& locale = platform::userLocale();
    const std::u16string& fallback = flags & DATE_LONGDATE ? locale.longDatePicture : locale.shortDatePicture;
    return formatWith(date, format, fallback, platform::PictureKind::Date, out, size);
}

int GetTimeFormatW(LCID, DWORD flags, const SYSTEMTIME* time, const WCHAR* format, WCHAR* out, int size)
{
    std::u16string fallback = platform::userLocale().timePicture;
    if (flags & TIME_NOSECONDS) {
        // The seconds and what leads up to them.
        const auto seconds = fallback.find(u's');
        if (seconds != std::u16string::npos) {
            auto start = seconds;
            while (start > 0 && fallback[start - 1] != u'm')
                --start;
            auto end = seconds;
            while (end < fallback.size() && fallback[end] == u's')
                ++end;
            fallback.erase(start, end - start);
        }
    }
    return formatWith(time, format, fallback, platform::PictureKind::Time, out, size);
}

int CompareStringW(LCID, DWORD flags, const WCHAR* first, int firstLength, const WCHAR* second, int secondLength)
{
    if (!first || !second) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string_view a = firstLength < 0 ? std::u16string_view(first) : std::u16string_view(first, std::size_t(firstLength));
    const std::u16string_view b = secondLength < 0 ? std::u16string_view(second) : std::u16string_view(second, std::size_t(secondLength));
    const int order = platform::compareForLocale(a, b, platform::userLocale(), (flags & NORM_IGNORECASE) != 0);
    return order < 0 ? CSTR_LESS_THAN : order > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

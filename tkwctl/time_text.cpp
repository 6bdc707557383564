#include "tkwctl/time_text.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "tkwctl/options.h"

#include <cstdio>

namespace tkwctl {

std::string isoText(const SYSTEMTIME& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
        t.wSecond);
    return text;
}

std::optional<SYSTEMTIME> parseIsoLocal(const std::string& text)
{
    if (!isDigitGroups(text, "-T :"))
        return std::nullopt;
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = 0;
    int consumed = 0;
    const int fields = std::sscanf(text.c_str(), "%4u-%2u-%2u%c%2u:%2u%n:%2u%n", &year, &month, &day, &separator,
        &hour, &minute, &consumed, &second, &consumed);
    if ((fields != 6 && fields != 7) || (separator != 'T' && separator != ' ') || std::size_t(consumed) != text.size())
        return std::nullopt;
    SYSTEMTIME time { WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0 };
    if (!platform::ticksOfSystemTime(time))
        return std::nullopt;
    return time;
}

std::optional<SYSTEMTIME> parseIsoDate(const std::string& text)
{
    if (text.size() != 10 || !isDigitGroups(text, "-"))
        return std::nullopt;
    unsigned year = 0, month = 0, day = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2u%n", &year, &month, &day, &consumed) != 3
        || std::size_t(consumed) != text.size())
        return std::nullopt;
    SYSTEMTIME date { WORD(year), WORD(month), 0, WORD(day), 0, 0, 0, 0 };
    if (!platform::ticksOfSystemTime(date))
        return std::nullopt;
    return date;
}

std::optional<std::uint64_t> parseIsoMoment(const std::string& text)
{
    const bool universal = !text.empty() && (text.back() == 'Z' || text.back() == 'z');
    const auto time = parseIsoLocal(universal ? text.substr(0, text.size() - 1) : text);
    if (!time)
        return std::nullopt;
    FILETIME given {};
    if (!SystemTimeToFileTime(&*time, &given))
        return std::nullopt;
    if (universal)
        return ticksOf(given);
    FILETIME converted {};
    if (!LocalFileTimeToFileTime(&given, &converted))
        return std::nullopt;
    return ticksOf(converted);
}

} // namespace tkwctl

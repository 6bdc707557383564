#include "platform/zone_rule.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace platform {

namespace {

class RuleReader {
public:
    explicit RuleReader(std::string_view text) : m_text(text) { }

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    bool take(char c)
    {
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    std::optional<std::string> name()
    {
        std::string result;
        if (take('<')) {
            while (!atEnd() && peek() != '>')
                result += m_text[m_pos++];
            if (!take('>') || result.size() < 3)
                return std::nullopt;
            return result;
        }
        while (std::isalpha(static_cast<unsigned char>(peek())))
            result += m_text[m_pos++];
        if (result.size() < 3)
            return std::nullopt;
        return result;
    }

    std::optional<long> number()
    {
        if (!std::isdigit(static_cast<unsigned char>(peek())))
            return std::nullopt;
        long value = 0;
        while (std::isdigit(static_cast<unsigned char>(peek())) && value < 100000)
            value = value * 10 + (m_text[m_pos++] - '0');
        return value;
    }

    // [+-]hh[:mm[:ss]] in seconds.
    std::optional<long> clockValue()
    {
        long sign = 1;
        if (take('-'))
            sign = -1;
        else
            take('+');
        auto hours = number();
        if (!hours || *hours > 167)
            return std::nullopt;
        long seconds = *hours * 3600;
        if (take(':')) {
            auto minutes = number();
            if (!minutes || *minutes > 59)
                return std::nullopt;
            seconds += *minutes * 60;
            if (take(':')) {
                auto secs = number();
                if (!secs || *secs > 59)
                    return std::nullopt;
                seconds += *secs;
            }
        }
        return sign * seconds;
    }

    // Mm.w.d[/time] as a day-in-month transition; nullopt for other forms.
    std::optional<SYSTEMTIME> transition()
    {
        if (!take('M'))
            return std::nullopt;
        auto month = number();
        if (!month || !take('.'))
            return std::nullopt;
        auto week = number();
        if (!week || !take('.'))
            return std::nullopt;
        auto day = number();
        if (!day || *month < 1 || *month > 12 || *week < 1 || *week > 5 || *day > 6)
            return std::nullopt;
        long at = 2 * 3600;
        if (take('/')) {
            auto value = clockValue();
            if (!value)
                return std::nullopt;
            at = std::clamp(*value, 0L, 24L * 3600 - 1);
        }
        SYSTEMTIME date { };
        date.wMonth = WORD(*month);
        date.wDay = WORD(*week);
        date.wDayOfWeek = WORD(*day);
        date.wHour = WORD(at / 3600);
        date.wMinute = WORD(at / 60 % 60);
        date.wSecond = WORD(at % 60);
        return date;
    }

    // Jn (1..365) or n (0..365), with an optional /time: a rule in Julian-day form.
    bool julianTransition()
    {
        const bool fromOne = take('J');
        auto day = number();
        if (!day || *day > 365 || (fromOne && *day < 1))
            return false;
        return !take('/') || clockValue();
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

void copyName(WCHAR (&into)[32], const std::string& name)
{
    const auto wide = toUtf16(name);
    const std::size_t count = std::min<std::size_t>(wide.size(), 31);
    std::copy_n(wide.begin(), count, into);
    into[count] = u'\0';
}

std::string nameOf(const WCHAR (&name)[32])
{
    std::u16string_view view(name, std::find(name, name + 32, u'\0') - name);
    std::string text = toUtf8(view);
    const bool plain = text.size() >= 3
        && std::all_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    return plain ? text : "<" + (text.size() >= 3 ? text : std::string("UNK")) + ">";
}

std::string clockText(long seconds)
{
    std::string text = seconds < 0 ? "-" : "";
    seconds = std::labs(seconds);
    text += std::to_string(seconds / 3600);
    if (seconds % 3600 != 0) {
        char minutes[8];
        std::snprintf(minutes, sizeof minutes, ":%02ld", seconds / 60 % 60);
        text += minutes;
        if (seconds % 60 != 0) {
            std::snprintf(minutes, sizeof minutes, ":%02ld", seconds % 60);
            text += minutes;
        }
    }
    return text;
}

std::string transitionText(const SYSTEMTIME& date)
{
    std::string text = "M" + std::to_string(date.wMonth) + "." + std::to_string(date.wDay) + "."
        + std::to_string(date.wDayOfWeek);
    const long at = (date.wHour * 60L + date.wMinute) * 60 + date.wSecond;
    if (at != 2 * 3600)
        text += "/" + clockText(at);
    return text;
}

TIME_ZONE_INFORMATION universalTime()
{
    TIME_ZONE_INFORMATION zone { };
    copyName(zone.StandardName, "UTC");
    return zone;
}

} // namespace

std::optional<TIME_ZONE_INFORMATION> zoneFromPosixRule(std::string_view rule)
{
    RuleReader reader(rule);
    auto standardName = reader.name();
    auto standardOffset = standardName ? reader.clockValue() : std::nullopt;
    if (!standardOffset || std::labs(*standardOffset) >= 24 * 3600)
        return std::nullopt;
    TIME_ZONE_INFORMATION zone { };
    zone.Bias = LONG(*standardOffset / 60);
    copyName(zone.StandardName, *standardName);
    if (reader.atEnd())
        return zone;

    auto daylightName = reader.name();
    if (!daylightName)
        return std::nullopt;
    long daylightOffset = *standardOffset - 3600;
    if (reader.peek() != ',' && !reader.atEnd()) {
        auto value = reader.clockValue();
        if (!value || std::labs(*value) >= 24 * 3600)
            return std::nullopt;
        daylightOffset = *value;
    }
    copyName(zone.DaylightName, *daylightName);

    SYSTEMTIME start { }, end { };
    if (reader.atEnd()) {
        start = SYSTEMTIME { 0, 3, 0, 2, 2, 0, 0, 0 };
        end = SYSTEMTIME { 0, 11, 0, 1, 2, 0, 0, 0 };
    } else {
        // Each rule is in day-in-month form ("M3.5.0") or in Julian-day form ("J60", "59").
        // A malformed rule of either form makes the whole string unusable.
        std::optional<SYSTEMTIME> dates[2];
        bool julian = false;
        for (auto& date : dates) {
            if (!reader.take(','))
                return std::nullopt;
            if (reader.peek() == 'M') {
                date = reader.transition();
                if (!date)
                    return std::nullopt;
            } else if (reader.julianTransition()) {
                julian = true;
            } else {
                return std::nullopt;
            }
        }
        if (!reader.atEnd())
            return std::nullopt;
        if (julian) {
            // Julian days cannot be held in day-in-month form: keep the standard offset alone.
            return zone;
        }
        start = *dates[0];
        end = *dates[1];
    }
    zone.DaylightDate = start;
    zone.StandardDate = end;
    zone.DaylightBias = LONG((daylightOffset - *standardOffset) / 60);
    return zone;
}

std::string posixRuleOfZone(const TIME_ZONE_INFORMATION& zone)
{
    std::string rule = nameOf(zone.StandardName) + clockText(long(zone.Bias + zone.StandardBias) * 60);
    if (zone.StandardDate.wMonth == 0 || zone.DaylightDate.wMonth == 0)
        return rule;
    rule += nameOf(zone.DaylightName);
    if (zone.DaylightBias - zone.StandardBias != -60)
        rule += clockText(long(zone.Bias + zone.DaylightBias) * 60);
    rule += "," + transitionText(zone.DaylightDate) + "," + transitionText(zone.StandardDate);
    return rule;
}

std::optional<std::string> posixRuleOfZoneinfoFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 6 || bytes.compare(0, 4, "TZif") != 0 || bytes[4] < '2' || bytes.back() != '\n')
        return std::nullopt;
    const auto start = bytes.rfind('\n', bytes.size() - 2);
    if (start == std::string::npos)
        return std::nullopt;
    auto rule = bytes.substr(start + 1, bytes.size() - start - 2);
    if (rule.empty())
        return std::nullopt;
    return rule;
}

TIME_ZONE_INFORMATION hostZone()
{
    const char* tz = std::getenv("TZ");
    std::string_view value(tz ? tz : "");
    if (!value.empty() && value.front() == ':')
        value.remove_prefix(1);
    // An empty TZ, or a bare ":", names no zone: fall back as if TZ were unset.
    if (!value.empty()) {
        if (auto zone = zoneFromPosixRule(value))
            return *zone;
        std::filesystem::path file = value.front() == '/'
            ? std::filesystem::path(value)
            : std::filesystem::path("/usr/share/zoneinfo") / std::string(value);
        if (auto rule = posixRuleOfZoneinfoFile(file)) {
            if (auto zone = zoneFromPosixRule(*rule))
                return *zone;
        }
    }
    if (auto rule = posixRuleOfZoneinfoFile("/etc/localtime")) {
        if (auto zone = zoneFromPosixRule(*rule))
            return *zone;
    }
    return universalTime();
}

} // namespace platform

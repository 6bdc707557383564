#include "astro/time_calc.h"

#include "cities/world_time.h"
#include "platform/calendar.h"

#include <algorithm>

namespace astro {

namespace {

std::optional<std::uint64_t> ticksOf(const SYSTEMTIME& time)
{
    SYSTEMTIME plain = time;
    plain.wDayOfWeek = 0;
    return platform::ticksOfSystemTime(plain);
}

std::uint64_t startOfYear(int year)
{
    SYSTEMTIME start {};
    start.wYear = WORD(year);
    start.wMonth = 1;
    start.wDay = 1;
    return platform::ticksOfSystemTime(start).value_or(0);
}

std::u16string number(std::int64_t value, int minimumDigits = 1)
{
    std::string digits = std::to_string(value);
    if (int(digits.size()) < minimumDigits)
        digits.insert(0, std::size_t(minimumDigits) - digits.size(), '0');
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

std::optional<SYSTEMTIME> convertCityTime(
    const cities::CityRecord& source, const SYSTEMTIME& sourceLocal, const cities::CityRecord& cell)
{
    if (!ticksOf(sourceLocal))
        return std::nullopt;
    SYSTEMTIME plain = sourceLocal;
    plain.wDayOfWeek = 0;
    return cities::cityLocalTime(cell, cities::universalOfCityLocal(source, plain));
}

std::u16string cellDateText(const SYSTEMTIME& date, bool dayFirst,
    std::u16string_view weekdayAbbreviation, std::u16string_view separator)
{
    std::u16string text(weekdayAbbreviation);
    text += u", ";
    if (dayFirst)
        text += number(date.wDay) + std::u16string(separator) + number(date.wMonth, 2);
    else
        text += number(date.wMonth) + std::u16string(separator) + number(date.wDay, 2);
    if (separator == u".")
        text += u'.';
    return text;
}

std::u16string CounterValue::text() const
{
    return number(whole) + u'.' + number(tenths);
}

CounterValue counterValue(CounterUnit unit, std::int64_t seconds)
{
    seconds = std::max<std::int64_t>(seconds, 0);
    std::int64_t divisor = 86'400;
    switch (unit) {
    case CounterUnit::Hours:
        divisor = 3'600;
        break;
    case CounterUnit::Days:
        divisor = 86'400;
        break;
    case CounterUnit::Weeks:
        divisor = 604'800;
        break;
    case CounterUnit::Months: {
        const std::int64_t days = seconds / 86'400;
        const std::int64_t hundredths = 100 * (days % 60) / 60 + 100 * (days % 62) / 62;
        return { days / 60 + days / 62 + hundredths / 100, int(hundredths % 100 / 10) };
    }
    }
    return { seconds / divisor, int(seconds % divisor * 10 / divisor) };
}

YearCounter yearCounter(CounterUnit unit, int chosenYear, const SYSTEMTIME& now)
{
    YearCounter counter;
    const auto nowTicks = ticksOf(now);
    if (!nowTicks || chosenYear < 1601 || chosenYear > 30826)
        return counter;
    const auto secondsBetween = [](std::uint64_t from, std::uint64_t to) {
        return to > from ? std::int64_t((to - from) / std::uint64_t(platform::kTicksPerSecond))
                         : std::int64_t(0);
    };
    if (chosenYear <= now.wYear)
        counter.passed = counterValue(unit, secondsBetween(startOfYear(chosenYear), *nowTicks));
    if (chosenYear >= now.wYear)
        counter.remain = counterValue(unit, secondsBetween(*nowTicks, startOfYear(chosenYear + 1)));
    return counter;
}

} // namespace astro

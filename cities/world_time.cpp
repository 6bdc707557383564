#include "cities/world_time.h"

#include "platform/calendar.h"
#include "platform/device_clock.h"
#include "platform/registry.h"
#include "platform/windows.h"

#include <cstdlib>

namespace cities {

namespace {

constexpr std::int64_t kTicksPerMinuteSigned = std::int64_t(kTicksPerMinute);
constexpr std::int64_t kTicksPerHour = 60 * kTicksPerMinuteSigned;
// The value the setting-change broadcast carries when the time zone changed.
constexpr WPARAM kZoneChangedBroadcast = 242;

void setRuleDate(SYSTEMTIME& date, const RuleDay& day, int hour)
{
    date = SYSTEMTIME { };
    date.wMonth = WORD(day.month);
    date.wDayOfWeek = WORD(day.weekday);
    date.wDay = WORD(day.occurrence);
    date.wHour = WORD(hour);
}

// The instant of a transition in `year`, in the zone's local standard time as ticks; a
// date in day-in-month form (year 0) is resolved for `year`, one with a year taken as it is.
std::optional<std::int64_t> transitionInstant(const SYSTEMTIME& date, int year)
{
    SYSTEMTIME moment { };
    if (date.wYear == 0) {
        if (date.wMonth < 1 || date.wMonth > 12 || date.wDayOfWeek > 6 || date.wDay < 1 || date.wDay > 5)
            return std::nullopt;
        moment.wYear = WORD(year);
        moment.wMonth = date.wMonth;
        moment.wDay = WORD(transitionDay(year, date.wMonth, date.wDayOfWeek, date.wDay));
        moment.wHour = date.wHour;
    } else {
        moment = date;
        moment.wDayOfWeek = 0;
    }
    const auto ticks = platform::ticksOfSystemTime(moment);
    if (!ticks)
        return std::nullopt;
    return std::int64_t(*ticks);
}

bool daylightAtTicks(const TIME_ZONE_INFORMATION& zone, std::int64_t universal)
{
    if (zone.StandardDate.wMonth == 0 || zone.DaylightBias == 0)
        return false;
    const std::int64_t local = universal - std::int64_t(zone.Bias) * kTicksPerMinuteSigned;
    if (local < 0)
        return false;
    const auto localTime = platform::systemTimeOfTicks(std::uint64_t(local));
    if (!localTime)
        return false;
    const auto start = transitionInstant(zone.DaylightDate, localTime->wYear);
    const auto end = transitionInstant(zone.StandardDate, localTime->wYear);
    if (!start || !end)
        return false;
    // Both ends count as daylight. A start before the end is a northern rule; otherwise the
    // daylight period spans the turn of the year.
    if (*start < *end)
        return *start <= local && local <= *end;
    return local >= *start || local <= *end;
}

SYSTEMTIME systemTimeAt(std::int64_t ticks)
{
    const auto time = ticks >= 0 ? platform::systemTimeOfTicks(std::uint64_t(ticks)) : std::nullopt;
    return time ? *time : SYSTEMTIME { 1601, 1, 1, 1, 0, 0, 0, 0 };
}

std::u16string twoDigits(int value)
{
    return { char16_t(u'0' + value / 10 % 10), char16_t(u'0' + value % 10) };
}

} // namespace

int dayOfWeek(int year, int month, int day) { return platform::dayOfWeek(year, month, day); }
int daysInMonth(int year, int month) { return platform::daysInMonth(year, month); }
int transitionDay(int year, int month, int weekday, int occurrence)
{
    return platform::transitionDay(year, month, weekday, occurrence);
}

TIME_ZONE_INFORMATION zoneOfCity(const CityRecord& city, bool forDevice)
{
    TIME_ZONE_INFORMATION zone { };
    zone.Bias = -city.offsetMinutes;
    const auto rule = daylightRule(city);
    if (!rule)
        return zone;
    setRuleDate(zone.DaylightDate, rule->daylightStart, forDevice ? std::min<int>(city.daylightStartHour, 23) : 0);
    setRuleDate(zone.StandardDate, rule->standardStart, forDevice ? std::min<int>(city.daylightEndHour, 23) : 0);
    zone.DaylightBias = -60;
    return zone;
}

bool isDaylight(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& universal)
{
    SYSTEMTIME plain = universal;
    plain.wDayOfWeek = 0;
    const auto ticks = platform::ticksOfSystemTime(plain);
    return ticks && daylightAtTicks(zone, std::int64_t(*ticks));
}

std::uint64_t universalTicksNow()
{
    SYSTEMTIME now { };
    GetSystemTime(&now);
    now.wDayOfWeek = 0;
    return platform::ticksOfSystemTime(now).value_or(0);
}

bool isDaylightNow(const TIME_ZONE_INFORMATION& zone)
{
    return daylightAtTicks(zone, std::int64_t(universalTicksNow()));
}

int currentOffsetMinutes(const CityRecord& city, std::uint64_t universalTicks)
{
    const bool daylight = daylightRule(city) && daylightAtTicks(zoneOfCity(city), std::int64_t(universalTicks));
    return city.offsetMinutes + (daylight ? 60 : 0);
}

SYSTEMTIME cityLocalTime(const CityRecord& city, std::uint64_t universalTicks)
{
    return systemTimeAt(
        std::int64_t(universalTicks) + currentOffsetMinutes(city, universalTicks) * kTicksPerMinuteSigned);
}

SYSTEMTIME cityLocalTimeNow(const CityRecord& city) { return cityLocalTime(city, universalTicksNow()); }

std::uint64_t universalOfCityLocal(const CityRecord& city, const SYSTEMTIME& local)
{
    SYSTEMTIME plain = local;
    plain.wDayOfWeek = 0;
    const auto ticks = platform::ticksOfSystemTime(plain);
    if (!ticks)
        return 0;
    std::int64_t universal = std::int64_t(*ticks) - city.offsetMinutes * kTicksPerMinuteSigned;
    // Daylight is judged on the local time as if it were universal time.
    if (daylightAtTicks(zoneOfCity(city), std::int64_t(*ticks)))
        universal -= kTicksPerHour;
    return std::uint64_t(std::max<std::int64_t>(universal, 0));
}

std::uint64_t universalOfWorldCityLocal(const CityRecord& world, std::uint64_t localTicks, bool* daylight)
{
    std::int64_t universal = std::int64_t(localTicks) - world.offsetMinutes * kTicksPerMinuteSigned;
    const bool on = daylightAtTicks(zoneOfCity(world), universal);
    if (on)
        universal -= kTicksPerHour;
    if (daylight)
        *daylight = on;
    return std::uint64_t(std::max<std::int64_t>(universal, 0));
}

std::u16string offsetLabel(const CityRecord& city)
{
    const int offset = city.offsetMinutes;
    const int magnitude = std::abs(offset);
    std::u16string label = cityName(city) + u" (GMT ";
    // Any offset east of Greenwich gets its sign, half hours included ("+0:30").
    if (offset > 0)
        label += u'+';
    else if (offset < 0)
        label += u'-';
    for (const char c : std::to_string(magnitude / 60))
        label += char16_t(c);
    return label + u':' + twoDigits(magnitude % 60) + u')';
}

std::u16string editorOffsetText(int offsetMinutes)
{
    const int magnitude = std::abs(offsetMinutes);
    std::u16string text = u"(GMT";
    text += offsetMinutes > 0 ? u" +" : offsetMinutes < 0 ? u" -" : u" ";
    return text + twoDigits(magnitude / 60) + u':' + twoDigits(magnitude % 60) + u')';
}

bool zoneDiffers(const TIME_ZONE_INFORMATION& current, const TIME_ZONE_INFORMATION& wanted)
{
    if (current.Bias != wanted.Bias || current.StandardDate.wMonth != wanted.StandardDate.wMonth)
        return true;
    if (wanted.StandardDate.wMonth == 0)
        return false;
    return current.StandardDate.wDayOfWeek != wanted.StandardDate.wDayOfWeek
        || current.StandardDate.wDay != wanted.StandardDate.wDay
        || current.DaylightDate.wMonth != wanted.DaylightDate.wMonth
        || current.DaylightDate.wDayOfWeek != wanted.DaylightDate.wDayOfWeek
        || current.DaylightDate.wDay != wanted.DaylightDate.wDay;
}

bool homeLocationDiffers(const TIME_ZONE_INFORMATION& current, const TIME_ZONE_INFORMATION& home)
{
    if (current.Bias != home.Bias || current.DaylightBias != home.DaylightBias)
        return true;
    const bool daylight = home.StandardDate.wMonth != 0 || current.StandardDate.wMonth != 0;
    if (!daylight)
        return false;
    const auto sameTransition = [](const SYSTEMTIME& a, const SYSTEMTIME& b) {
        return a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek && a.wDay == b.wDay && a.wHour == b.wHour;
    };
    return !sameTransition(current.StandardDate, home.StandardDate)
        || !sameTransition(current.DaylightDate, home.DaylightDate);
}

bool applyCityZone(CityDatabase& database, CityRef ref, const ApplyOptions& options)
{
    const auto real = database.continentRef(ref);
    const CityRecord* city = real ? database.record(*real) : nullptr;
    if (!city)
        return false;
    const TIME_ZONE_INFORMATION zone = zoneOfCity(*city, true);
    if (options.prepare)
        options.prepare();
    TIME_ZONE_INFORMATION current { };
    (void)GetTimeZoneInformation(&current);
    bool changed = false;
    if (zoneDiffers(current, zone)) {
        const std::uint64_t before = universalTicksNow();
        SYSTEMTIME universal = systemTimeAt(std::int64_t(before));
        (void)SetTimeZoneInformation(&zone);
        (void)SetDaylightTime(daylightRule(*city) && isDaylight(zone, universal) ? 1 : 0);
        (void)SetTimeZoneInformation(&zone);
        (void)RegFlushKey(HKEY_LOCAL_MACHINE);
        if (!options.firstStart)
            (void)platform::broadcastMessage(WM_SETTINGCHANGE, kZoneChangedBroadcast, 0);
        // The device's universal clock goes on through a zone change; should it have moved
        // all the same, it is put back (to the moment taken, plus the time since).
        if (options.keepUniversalTime) {
            const std::int64_t drift = std::int64_t(universalTicksNow()) - std::int64_t(before);
            if (std::llabs(drift) > 10 * 1000 * 10'000LL) {
                universal = systemTimeAt(std::int64_t(before));
                (void)SetSystemTime(&universal);
            }
        }
        changed = true;
    }
    (void)database.selectCurrentCity(real->continent, real->index);
    return changed;
}

} // namespace cities

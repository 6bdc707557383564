#pragma once
// The time calculator's conversion of a city's date and time to another city's, the date
// text of its cells (and the City Time grid's), and the General view's year counter.

#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cities {
struct CityRecord;
}

namespace astro {

// The local time in `cell` when it is `sourceLocal` in `source`: to universal time by the
// source city's offset and, when its daylight rule says daylight on that time, one hour
// more; then to the cell city's local time by its offset and its daylight rule on the
// universal time. nullopt for a time that is not a valid one.
[[nodiscard]] std::optional<SYSTEMTIME> convertCityTime(const cities::CityRecord& source,
    const SYSTEMTIME& sourceLocal, const cities::CityRecord& cell);

// A cell's date: the weekday abbreviation, ", ", then month and two-digit day ("Tue, 3/08")
// or, day first, day and two-digit month ("Tue, 8/03"), joined by the locale's date
// separator; a "." separator also ends the text ("Di, 8.03.").
[[nodiscard]] std::u16string cellDateText(const SYSTEMTIME& date, bool dayFirst,
    std::u16string_view weekdayAbbreviation, std::u16string_view separator);

// The year counter's units, in the order of its list.
enum class CounterUnit { Hours = 0, Days = 1, Weeks = 2, Months = 3 };
inline constexpr int kCounterFirstYear = 1913;
inline constexpr int kCounterLastYear = 2031;

struct CounterValue {
    std::int64_t whole = 0; // whole units
    int tenths = 0; // the tenths digit, truncated
    [[nodiscard]] std::u16string text() const; // "0.5", "8760.0"
};
struct YearCounter {
    CounterValue passed; // from 1 January 00:00 of the chosen year to now; 0 for a later year
    CounterValue remain; // from now to 1 January 00:00 of the year after; 0 for an earlier year
};
// The counter for `chosenYear` at `now` (device local time). Months count whole days d as
// ⌊d/60⌋ + ⌊d/62⌋ months and hundredths h = ⌊100 (d mod 60)/60⌋ + ⌊100 (d mod 62)/62⌋, about
// 30.5 days a month; the days are whole days elapsed, the partial day not counted.
[[nodiscard]] YearCounter yearCounter(CounterUnit unit, int chosenYear, const SYSTEMTIME& now);
// One span of whole seconds in a unit.
[[nodiscard]] CounterValue counterValue(CounterUnit unit, std::int64_t seconds);

} // namespace astro

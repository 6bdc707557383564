#pragma once
// Times and dates as the clocks write them, with the handheld's pictures and a locale.

#include "platform/locale.h"
#include "platform/types.h"

#include <QString>

#include <string>
#include <string_view>

namespace faces {

// The locale passed, or the device's user locale when none is.
[[nodiscard]] const platform::LocaleInfo& localeOr(const platform::LocaleInfo* locale);

// The locale's time picture without the seconds and what leads up to them.
[[nodiscard]] std::u16string timePictureWithoutSeconds(const platform::LocaleInfo& locale);

// A time or date written with a picture; empty when the picture cannot be honoured.
[[nodiscard]] QString formatTime(
    const SYSTEMTIME& time, std::u16string_view picture, const platform::LocaleInfo& locale);
[[nodiscard]] QString formatDate(
    const SYSTEMTIME& date, std::u16string_view picture, const platform::LocaleInfo& locale);

// The locale's time without seconds ("user default format").
[[nodiscard]] QString timeWithoutSeconds(
    const SYSTEMTIME& time, const platform::LocaleInfo& locale);

// The separator of the locale's short date ("/", ".", "-").
[[nodiscard]] std::u16string dateSeparator(const platform::LocaleInfo& locale);

} // namespace faces

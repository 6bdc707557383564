#include "platform/locale.h"

#include "platform/device_root.h"
#include "platform/registry.h"
#include "platform/power.h"
#include "tests/support/device_fixture.h"

#include <algorithm>
#include <vector>

using namespace platform;

namespace {

SYSTEMTIME at(int year, int month, int day, int hour, int minute, int second, int weekday)
{
    return SYSTEMTIME { WORD(year), WORD(month), WORD(weekday), WORD(day), WORD(hour), WORD(minute), WORD(second), 0 };
}

// Tuesday, 8 December 2026, 13:05:09.
const SYSTEMTIME kAfternoon = at(2026, 12, 8, 13, 5, 9, 2);

std::u16string date(const char* locale, std::u16string_view picture, const SYSTEMTIME& time = kAfternoon)
{
    return formatPicture(time, picture, PictureKind::Date, localeInfo(locale)).value_or(u"<failed>");
}

std::u16string clock(const char* locale, std::u16string_view picture, const SYSTEMTIME& time = kAfternoon)
{
    return formatPicture(time, picture, PictureKind::Time, localeInfo(locale)).value_or(u"<failed>");
}

using UserLocale = testing_support::DeviceTest;

} // namespace

TEST(LocaleFacts, EnglishGermanAndRussianClocksAndWeeks)
{
    const auto english = localeInfo("en_US.UTF-8");
    EXPECT_FALSE(english.use24Hour);
    EXPECT_EQ(english.firstDayOfWeek, 6); // Sunday
    EXPECT_TRUE(english.shortDateMonthFirst);
    EXPECT_EQ(english.dayNamesInDisplayOrder()[0], u"Sunday");
    EXPECT_EQ(english.dayInitialsInDisplayOrder()[1], u"M");

    const auto german = localeInfo("de_DE");
    EXPECT_TRUE(german.use24Hour);
    EXPECT_EQ(german.firstDayOfWeek, 0); // Monday
    EXPECT_FALSE(german.shortDateMonthFirst);
    EXPECT_EQ(german.dayNamesInDisplayOrder()[0], u"Montag");
    EXPECT_EQ(german.dayNamesInDisplayOrder()[6], u"Sonntag");

    const auto russian = localeInfo("ru_RU");
    EXPECT_TRUE(russian.use24Hour);
    EXPECT_EQ(russian.firstDayOfWeek, 0);
    const auto initials = russian.dayInitialsInDisplayOrder();
    EXPECT_EQ(initials[0], u"П");
    EXPECT_EQ(initials[6], u"В");
    EXPECT_EQ(localeInfo("C").name, "en_US");
}

TEST(PictureFormat, DatePicturesInThreeLanguages)
{
    EXPECT_EQ(date("en_US", u"dddd"), u"Tuesday");
    EXPECT_EQ(date("en_US", u"MMMM dd, yyyy"), u"December 08, 2026");
    EXPECT_EQ(date("en_US", u"MMM dd, yyyy"), u"Dec 08, 2026");
    EXPECT_EQ(date("en_US", u"ddd, M"), u"Tue, 12");
    EXPECT_EQ(date("de_DE", u"dd MMMM yyyy"), u"08 Dezember 2026");
    EXPECT_EQ(date("de_DE", u"dddd"), u"Dienstag");
    // Russian months take another form inside a date than standing alone.
    EXPECT_EQ(date("ru_RU", u"dd MMMM yyyy"), u"08 декабря 2026");
    EXPECT_EQ(date("ru_RU", u"MMMM"), u"декабрь");
    EXPECT_EQ(date("ru_RU", u"dddd"), u"вторник");
    EXPECT_EQ(date("en_US", u"d/M/yy", at(2005, 3, 4, 0, 0, 0, 5)), u"4/3/05");
}

TEST(PictureFormat, TimePicturesWithTwelveAndTwentyFourHours)
{
    EXPECT_EQ(clock("en_US", u"HH':'mm"), u"13:05");
    EXPECT_EQ(clock("en_US", u"h':'mm' 'tt"), u"1:05 PM");
    EXPECT_EQ(clock("en_US", u"h':'mm' 'tt", at(2026, 1, 1, 0, 30, 0, 4)), u"12:30 AM");
    EXPECT_EQ(clock("en_US", u"h':'mm' 'tt", at(2026, 1, 1, 12, 0, 0, 4)), u"12:00 PM");
    EXPECT_EQ(clock("de_DE", u"HH':'mm':'ss"), u"13:05:09");
    EXPECT_EQ(clock("de_DE", u"HH':'mm' 'ss'.'"), u"13:05 09.");
    EXPECT_EQ(clock("en_US", u"'It''s' H 'o''clock'"), u"It's 13 o'clock");
}

TEST(PictureFormat, PicturesItCannotHonourFail)
{
    const auto english = localeInfo("en_US");
    EXPECT_FALSE(formatPicture(kAfternoon, u"HH:mm q", PictureKind::Time, english));
    EXPECT_FALSE(formatPicture(kAfternoon, u"dddd HH", PictureKind::Date, english));
    EXPECT_FALSE(formatPicture(kAfternoon, u"HH dd", PictureKind::Time, english));
    EXPECT_FALSE(formatPicture(at(2026, 13, 1, 0, 0, 0, 0), u"MMMM", PictureKind::Date, english));
}

TEST(PictureFormat, LocaleDefaultPicturesFormatCleanly)
{
    for (const char* name : { "en_US", "de_DE", "fr_FR", "it_IT", "ru_RU" }) {
        const auto locale = localeInfo(name);
        const auto shortDate = formatPicture(kAfternoon, locale.shortDatePicture, PictureKind::Date, locale);
        ASSERT_TRUE(shortDate) << name;
        EXPECT_NE(shortDate->find(u"26"), std::u16string::npos) << name;
        EXPECT_NE(shortDate->find(u"12"), std::u16string::npos) << name;
        const auto longDate = formatPicture(kAfternoon, locale.longDatePicture, PictureKind::Date, locale);
        ASSERT_TRUE(longDate) << name;
        EXPECT_NE(longDate->find(u"2026"), std::u16string::npos) << name;
        EXPECT_NE(longDate->find(locale.shortDayNames[2].substr(0, 2)), std::u16string::npos) << name;
        const auto time = formatPicture(kAfternoon, locale.timePicture, PictureKind::Time, locale);
        ASSERT_TRUE(time) << name;
        EXPECT_NE(time->find(u"05"), std::u16string::npos) << name;
    }
}

TEST(Collation, NamesSortWithAccentsAndCyrillicInTheirPlace)
{
    const auto english = localeInfo("en_US");
    std::vector<std::u16string> cities { u"Zürich", u"Москва", u"Édimbourg", u"Zagreb", u"Eindhoven", u"Ålesund",
        u"Abidjan", u"Санкт-Петербург" };
    std::sort(cities.begin(), cities.end(),
        [&](const auto& a, const auto& b) { return compareForLocale(a, b, english) < 0; });
    EXPECT_EQ(cities, (std::vector<std::u16string> { u"Abidjan", u"Ålesund", u"Édimbourg", u"Eindhoven", u"Zagreb",
                          u"Zürich", u"Москва", u"Санкт-Петербург" }));
    EXPECT_LT(compareForLocale(u"ёлка", u"жук", localeInfo("ru_RU")), 0);
    EXPECT_EQ(compareForLocale(u"berlin", u"Berlin", english, true), 0);
    EXPECT_NE(compareForLocale(u"berlin", u"Berlin", english), 0);
}

TEST_F(UserLocale, DeviceProfileChoosesTheLocaleOfTheWindowsCalls)
{
    ASSERT_TRUE(writeRegistryString(RegistryRoot::LocalMachine, kProfileKey, u"Locale", u"de_DE"));
    useDeviceRoot(m_device.root()); // read the profile afresh
    WCHAR text[64];
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ITIME, text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"1");
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"0");
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + 2, text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"März");
    SYSTEMTIME wrongWeekday = kAfternoon;
    wrongWeekday.wDayOfWeek = 5; // the date's own day is used
    ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &wrongWeekday, u"dddd", text, 64), 0);
    EXPECT_EQ(std::u16string(text), u"Dienstag");
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &kAfternoon, u"dddd", text, 3), 0); // too small
    EXPECT_EQ(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &kAfternoon, u"dddd", nullptr, 0), 9);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"Ärger", -1, u"Bach", -1), CSTR_LESS_THAN);
}

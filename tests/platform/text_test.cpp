#include "platform/text.h"

#include <gtest/gtest.h>

#include <utility>

using namespace std::string_literals;

TEST(UnicodeConversion, SequencesOfEveryLengthAndSurrogatePairsConvertBothWays)
{
    const std::pair<std::string, std::u16string> pairs[] = {
        { "A", u"A" }, { "a\0b"s, u"a\0b"s }, { "\xc3\xa9", u"\u00e9" },
        { "\xe2\x82\xac", u"\u20ac" }, { "\xef\xbf\xbf", u"\uffff" },
        { "\xf0\x90\x80\x80", u"\xd800\xdc00" }, // U+10000
        { "\xf0\x9f\x98\x80", u"\xd83d\xde00" }, // U+1F600
        { "\xf4\x8f\xbf\xbf", u"\xdbff\xdfff" }, // U+10FFFF
    };
    for (const auto& [utf8, utf16] : pairs) {
        EXPECT_EQ(platform::toUtf16(utf8), utf16) << utf8;
        EXPECT_EQ(platform::toUtf8(utf16), utf8);
    }
}

TEST(UnicodeConversion, LoneSurrogatesBecomeReplacementCharacters)
{
    const std::string replacement = "\xef\xbf\xbd";
    EXPECT_EQ(platform::toUtf8(u"a\xd800"), "a" + replacement);
    EXPECT_EQ(platform::toUtf8(u"\xd800z"), replacement + "z");
    EXPECT_EQ(platform::toUtf8(u"\xdc00\xd800"), replacement + replacement); // wrong order
    EXPECT_EQ(platform::toUtf8(u"\xd800\xd800\xdc00"), replacement + "\xf0\x90\x80\x80");
}

TEST(UnicodeConversion, InvalidBytesBecomeReplacementsWithoutEatingWhatFollows)
{
    for (const char* bytes :
        { "\x80", "\xff", "\xc0\x80" /* overlong NUL */, "\xe0\x80\xaf" /* overlong '/' */,
            "\xed\xa0\x80" /* a surrogate */, "\xf4\x90\x80\x80" /* past U+10FFFF */,
            "\xf8\x88\x80\x80\x80", "\xe2\x82" /* truncated */, "\xf0\x9f\x98" }) {
        const std::u16string text = platform::toUtf16("A"s + bytes + "Z");
        ASSERT_GE(text.size(), 3u) << bytes;
        EXPECT_EQ(text.front(), u'A');
        EXPECT_EQ(text.back(), u'Z');
        EXPECT_EQ(text.find_first_not_of(u'\xfffd', 1), text.size() - 1) << bytes;
    }
    // A bad lead must not swallow a good sequence right after it.
    EXPECT_EQ(platform::toUtf16("\xe2\xc3\xa9"), u"\xfffd\u00e9");
}

TEST(CaseFolding, AsciiAndLatin1CapitalsFoldToSmallLetters)
{
    EXPECT_EQ(platform::foldCase(u'A'), u'a');
    EXPECT_EQ(platform::foldCase(u'Z'), u'z');
    EXPECT_EQ(platform::foldCase(u'\u00c0'), u'\u00e0');
    EXPECT_EQ(platform::foldCase(u'\u00de'), u'\u00fe');
    // Neighbours of the letter ranges, the multiplication sign and sharp s stay as they are.
    for (const char16_t same :
        { u'@', u'[', u'`', u'{', u'a', u'\u00bf', u'\u00d7', u'\u00df', u'\u00e9', u'\u0100' })
        EXPECT_EQ(platform::foldCase(same), same) << int(same);
    EXPECT_EQ(platform::foldedCopy(u"R\u00e9veil \u00c9T\u00c9 7"), u"r\u00e9veil \u00e9t\u00e9 7");
}

TEST(CaseFolding, ComparisonIgnoresCaseButNotLengthOrLetters)
{
    EXPECT_TRUE(
        platform::equalsIgnoringCase(u"ALARM.Qpg \u00c9T\u00c9", u"alarm.qpg \u00e9t\u00e9"));
    EXPECT_FALSE(platform::equalsIgnoringCase(u"abc", u"abcd"));
    EXPECT_FALSE(platform::equalsIgnoringCase(u"\u00d7", u"\u00f7"));
}

TEST(WildcardMatch, StarMatchesAnyRunIncludingAnEmptyOne)
{
    EXPECT_TRUE(platform::matchesPattern(u"ALARM.QPG", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u".qpg", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u"a.qpg.qpg", u"*.qpg"));
    EXPECT_FALSE(platform::matchesPattern(u"alarm.qpg.bak", u"*.qpg"));
    EXPECT_FALSE(platform::matchesPattern(u"alarmqpg", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u"aXbYc", u"a*b*c"));
    EXPECT_FALSE(platform::matchesPattern(u"aXbYcZ", u"a*b*c"));
    EXPECT_TRUE(platform::matchesPattern(u"aab", u"*ab"));
    EXPECT_TRUE(platform::matchesPattern(u"abab", u"*ab**"));
    for (const char16_t* name : { u"", u"alarm.qpg", u"*x", u"?" }) // even names holding wildcards
        EXPECT_TRUE(platform::matchesPattern(name, u"*"));
}

TEST(WildcardMatch, QuestionMarkMatchesExactlyOneCharacterOfAnyCase)
{
    EXPECT_TRUE(platform::matchesPattern(u"abc", u"a?c"));
    EXPECT_TRUE(platform::matchesPattern(u"abc", u"A?C"));
    EXPECT_FALSE(platform::matchesPattern(u"ac", u"a?c"));
    EXPECT_FALSE(platform::matchesPattern(u"abbc", u"a?c"));
    EXPECT_FALSE(platform::matchesPattern(u"", u"?"));
    EXPECT_TRUE(platform::matchesPattern(u"\u00c9t\u00e9", u"\u00e9T?"));
}

#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

constexpr char16_t kReplacement = u'\xfffd';

} // namespace

TEST(Utf8ToUtf16, SequencesOfEveryLengthAreDecoded)
{
    EXPECT_EQ(platform::toUtf16("A"), u"A");
    EXPECT_EQ(platform::toUtf16("\xc3\xa9"), u"\u00e9");
    EXPECT_EQ(platform::toUtf16("\xe2\x82\xac"), u"\u20ac");
    EXPECT_EQ(platform::toUtf16("\xf0\x9f\x98\x80"), u"\xd83d\xde00"); // U+1F600
    EXPECT_EQ(platform::toUtf16("\xf0\x90\x80\x80"), u"\xd800\xdc00"); // U+10000
    EXPECT_EQ(platform::toUtf16("\xf4\x8f\xbf\xbf"), u"\xdbff\xdfff"); // U+10FFFF
    EXPECT_EQ(platform::toUtf16("a\0b"s), u"a\0b"s);
}

TEST(Utf16ToUtf8, SurrogatePairsBecomeOneFourByteSequence)
{
    EXPECT_EQ(platform::toUtf8(u"\xd83d\xde00"), "\xf0\x9f\x98\x80");
    EXPECT_EQ(platform::toUtf8(u"\xd800\xdc00"), "\xf0\x90\x80\x80");
    EXPECT_EQ(platform::toUtf8(u"\xdbff\xdfff"), "\xf4\x8f\xbf\xbf");
    EXPECT_EQ(platform::toUtf8(u"\u00e9\u20ac\uffff"), "\xc3\xa9\xe2\x82\xac\xef\xbf\xbf");
}

TEST(Utf16ToUtf8, LoneSurrogatesBecomeReplacementCharacters)
{
    const std::string replacement = "\xef\xbf\xbd";
    EXPECT_EQ(platform::toUtf8(u"a\xd800"), "a" + replacement);
    EXPECT_EQ(platform::toUtf8(u"\xdc00z"), replacement + "z");
    EXPECT_EQ(platform::toUtf8(u"\xd800z"), replacement + "z");
    EXPECT_EQ(platform::toUtf8(u"\xdc00\xd800"), replacement + replacement); // wrong order
    EXPECT_EQ(platform::toUtf8(u"\xd800\xd800\xdc00"), replacement + "\xf0\x90\x80\x80");
}

TEST(Utf8ToUtf16, InvalidBytesBecomeReplacementsWithoutEatingWhatFollows)
{
    const char* const invalid[] = {
        "\x80",             // continuation without a lead
        "\xff",             // never valid
        "\xc0\x80",         // overlong NUL
        "\xe0\x80\xaf",     // overlong '/'
        "\xed\xa0\x80",     // an encoded surrogate
        "\xf4\x90\x80\x80", // above U+10FFFF
        "\xf8\x88\x80\x80\x80",
        "\xe2\x82",         // truncated
        "\xf0\x9f\x98",
    };
    for (const char* bytes : invalid) {
        const std::u16string text = platform::toUtf16("A"s + bytes + "Z");
        ASSERT_GE(text.size(), 3u) << bytes;
        EXPECT_EQ(text.front(), u'A');
        EXPECT_EQ(text.back(), u'Z');
        for (std::size_t i = 1; i + 1 < text.size(); ++i)
            EXPECT_EQ(text[i], kReplacement) << "byte sequence " << bytes << ", unit " << i;
    }
    // A bad lead must not swallow a good sequence right after it.
    EXPECT_EQ(platform::toUtf16("\xe2\xc3\xa9"), u"\xfffd\u00e9");
}

TEST(Utf8RoundTrip, DeviceTextSurvivesBothWays)
{
    const std::u16string text = u"R\u00e9veil \u00c5ngstr\u00f6m \u23f0 \xd83d\xde00 \u65e5\u672c";
    EXPECT_EQ(platform::toUtf16(platform::toUtf8(text)), text);
}

TEST(CaseFolding, AsciiAndLatin1CapitalsFoldToSmallLetters)
{
    EXPECT_EQ(platform::foldCase(u'A'), u'a');
    EXPECT_EQ(platform::foldCase(u'Z'), u'z');
    EXPECT_EQ(platform::foldCase(u'\u00c0'), u'\u00e0');
    EXPECT_EQ(platform::foldCase(u'\u00de'), u'\u00fe');
    // Neighbours of the letter ranges, the multiplication sign and sharp s stay as they are.
    for (const char16_t unchanged : { u'@', u'[', u'`', u'{', u'a', u'1', u'\u00bf', u'\u00d7', u'\u00df',
             u'\u00e9', u'\u0100' })
        EXPECT_EQ(platform::foldCase(unchanged), unchanged) << int(unchanged);
}

TEST(CaseFolding, ComparisonIgnoresCaseButNotLengthOrLetters)
{
    EXPECT_TRUE(platform::equalsIgnoringCase(u"ALARM.QPG", u"alarm.qpg"));
    EXPECT_TRUE(platform::equalsIgnoringCase(u"\u00c9T\u00c9", u"\u00e9t\u00e9"));
    EXPECT_FALSE(platform::equalsIgnoringCase(u"abc", u"abcd"));
    EXPECT_FALSE(platform::equalsIgnoringCase(u"abc", u"abd"));
    EXPECT_FALSE(platform::equalsIgnoringCase(u"\u00d7", u"\u00f7"));
    EXPECT_TRUE(platform::equalsIgnoringCase(u"", u""));
    EXPECT_EQ(platform::foldedCopy(u"R\u00e9veil \u00c9T\u00c9 7"), u"r\u00e9veil \u00e9t\u00e9 7");
}

TEST(WildcardMatch, StarMatchesAnyRunIncludingAnEmptyOne)
{
    EXPECT_TRUE(platform::matchesPattern(u"alarm.qpg", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u".qpg", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u"a.qpg.qpg", u"*.qpg"));
    EXPECT_FALSE(platform::matchesPattern(u"alarm.qpg.bak", u"*.qpg"));
    EXPECT_FALSE(platform::matchesPattern(u"alarmqpg", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u"aXbYc", u"a*b*c"));
    EXPECT_TRUE(platform::matchesPattern(u"abc", u"a*b*c"));
    EXPECT_FALSE(platform::matchesPattern(u"aXbYcZ", u"a*b*c"));
    EXPECT_TRUE(platform::matchesPattern(u"aab", u"*ab"));
    EXPECT_TRUE(platform::matchesPattern(u"abab", u"*ab**"));
}

TEST(WildcardMatch, LoneStarMatchesEveryName)
{
    for (const char16_t* name : { u"", u"x", u"alarm.qpg", u"*x", u"?" })
        EXPECT_TRUE(platform::matchesPattern(name, u"*"));
}

TEST(WildcardMatch, QuestionMarkMatchesExactlyOneCharacter)
{
    EXPECT_TRUE(platform::matchesPattern(u"abc", u"a?c"));
    EXPECT_FALSE(platform::matchesPattern(u"ac", u"a?c"));
    EXPECT_FALSE(platform::matchesPattern(u"abbc", u"a?c"));
    EXPECT_FALSE(platform::matchesPattern(u"", u"?"));
    EXPECT_TRUE(platform::matchesPattern(u"\u00e9", u"?"));
}

TEST(WildcardMatch, LettersMatchWithoutCase)
{
    EXPECT_TRUE(platform::matchesPattern(u"ALARM.QPG", u"*.qpg"));
    EXPECT_TRUE(platform::matchesPattern(u"abc", u"A?C"));
    EXPECT_TRUE(platform::matchesPattern(u"\u00c9t\u00e9", u"\u00e9T\u00c9"));
    EXPECT_FALSE(platform::matchesPattern(u"alarms", u"alarm"));
    EXPECT_FALSE(platform::matchesPattern(u"alarm", u"alarms"));
    EXPECT_FALSE(platform::matchesPattern(u"a", u""));
    EXPECT_TRUE(platform::matchesPattern(u"", u""));
}

TEST(StableHash, MatchesPublishedFnv1aVectors)
{
    EXPECT_EQ(platform::stableHash(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(platform::stableHash("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(platform::stableHash("foobar"), 0x85944171f73967e8ull);
}

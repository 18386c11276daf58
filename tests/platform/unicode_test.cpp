#include "platform/unicode.h"

#include <gtest/gtest.h>

namespace {

using platform::from_utf8;
using platform::to_utf8;

TEST(Unicode, Utf8RoundTripKeepsEveryPlane) {
  const std::u16string text = u"Start Menu \u0416\u0443\u043a \u00e9 \U0001F600";
  EXPECT_EQ(from_utf8(to_utf8(text)), text);
  EXPECT_EQ(to_utf8(u"\u0416"), "\xD0\x96");
}

TEST(Unicode, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(from_utf8("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(from_utf8("\xE2\x82"), u"\uFFFD\uFFFD");  // cut short
  EXPECT_EQ(from_utf8("\xC0\xAF"), u"\uFFFD");         // overlong "/"
}

TEST(Unicode, CaseFoldingCoversLatinAndCyrillic) {
  EXPECT_TRUE(platform::iequals(u"START MENU", u"start menu"));
  EXPECT_TRUE(platform::iequals(u"\u041F\u0420\u0418\u0412\u0415\u0422", u"\u043F\u0440\u0438\u0432\u0435\u0442"));
  EXPECT_TRUE(platform::iequals(u"\u00C9t\u00C9", u"\u00E9t\u00E9"));
  EXPECT_TRUE(platform::iequals(u"\u0401", u"\u0451"));  // Ё
  EXPECT_FALSE(platform::iequals(u"abc", u"abd"));
  EXPECT_EQ(platform::to_upper(u'\u0451'), u'\u0401');
}

struct MatchCase {
  const char16_t* pattern;
  const char16_t* name;
  bool matches;
};

class Wildcard : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Wildcard, Matches) {
  EXPECT_EQ(platform::wildcard_match(GetParam().pattern, GetParam().name), GetParam().matches)
      << platform::to_utf8(GetParam().pattern) << " vs " << platform::to_utf8(GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Wildcard,
                         ::testing::Values(MatchCase{u"*", u"anything", true}, MatchCase{u"*.lnk", u"Notes.LNK", true},
                                           MatchCase{u"*.lnk", u"Notes.lnk.txt", false},
                                           MatchCase{u"?.skin", u"a.skin", true}, MatchCase{u"?.skin", u"ab.skin", false},
                                           MatchCase{u"a*b*c", u"aXXbYYc", true}, MatchCase{u"a*b*c", u"aXXbYY", false},
                                           MatchCase{u"*a", u"", false}, MatchCase{u"", u"", true},
                                           MatchCase{u"splash*", u"Splash.skin", true}));

}  // namespace

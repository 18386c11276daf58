#include "platform/locale.h"

#include <gtest/gtest.h>

namespace {

using platform::LocaleInfo;
using platform::SystemTime;

// Tuesday, 3 March 2009, 09:05:07 and 21:05:07.
SystemTime morning() { return {2009, 3, 2, 3, 9, 5, 7, 0}; }
SystemTime evening() { return {2009, 3, 2, 3, 21, 5, 7, 0}; }

TEST(LocalePictures, TimeElements) {
  const LocaleInfo en = LocaleInfo::english_us();
  struct Case {
    std::u16string_view picture;
    bool seconds;
    std::u16string_view am, pm;
  };
  const Case cases[] = {
      {u"h:mm:ss tt", true, u"9:05:07 AM", u"9:05:07 PM"},
      {u"h:mm:ss tt", false, u"9:05 AM", u"9:05 PM"},
      {u"hh:mm t", true, u"09:05 A", u"09:05 P"},
      {u"HH:mm:ss", false, u"09:05", u"21:05"},
      {u"H:m:s", true, u"9:5:7", u"21:5:7"},
      {u"ss' s 'HH", false, u"09", u"21"},  // leading seconds drop the text after them
      {u"'h''mm' h", true, u"h'mm 9", u"h'mm 9"},
      {u"tt hh", true, u"AM 09", u"PM 09"},
      {u"", true, u"", u""},
      {u"'unterminated", true, u"unterminated", u"unterminated"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::format_time_picture(morning(), c.picture, en, c.seconds), c.am);
    EXPECT_EQ(platform::format_time_picture(evening(), c.picture, en, c.seconds), c.pm);
  }
  // Midnight and noon on the 12-hour clock.
  EXPECT_EQ(platform::format_time_picture({2009, 1, 4, 1, 0, 0, 0, 0}, u"h tt", en), u"12 AM");
  EXPECT_EQ(platform::format_time_picture({2009, 1, 4, 1, 12, 0, 0, 0}, u"h tt", en), u"12 PM");
}

TEST(LocalePictures, DateElements) {
  const LocaleInfo en = LocaleInfo::english_us();
  struct Case {
    std::u16string_view picture;
    std::u16string_view text;
  };
  const Case cases[] = {
      {u"dddd, MMMM dd, yyyy", u"Tuesday, March 03, 2009"},
      {u"M/d/yy", u"3/3/09"},
      {u"ddd MMM d y", u"Tue Mar 3 9"},
      {u"dd.MM.yyyyy", u"03.03.2009"},
      {u"'day' d 'of' MMMM gg", u"day 3 of March A.D."},
      {u"yyyy-MM-dd", u"2009-03-03"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::format_date_picture(morning(), c.picture, en), c.text);
}

}  // namespace

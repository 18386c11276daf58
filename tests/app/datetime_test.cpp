#include "app/datetime.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/registry.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using lv::DateTime;
using lv::DateTimeParts;

constexpr std::u16string_view kRegional = u"HKEY_CURRENT_USER\\ControlPanel\\Regional";

DateTime at(int year, int month, int day, int hour, int minute, double seconds = 0) {
  const auto value = DateTime::from_parts({year, month, day, hour, minute, seconds});
  EXPECT_TRUE(value.has_value());
  return value.value_or(DateTime());
}

TEST(DateTime, PartsCarryTheFractionOfASecond) {
  const DateTime whole = at(2009, 3, 10, 11, 30);
  const DateTime value = at(2009, 3, 10, 11, 30, 5.25);
  EXPECT_EQ(value - whole, 52'500'000);
  const DateTimeParts parts = value.to_parts();
  EXPECT_EQ(parts, (DateTimeParts{2009, 3, 10, 11, 30, 5.25}));
  EXPECT_EQ(DateTime::from_halves(value.low(), value.high()), value);
  EXPECT_LT(whole, value);
  EXPECT_EQ(whole - value, -52'500'000);
  // The first moment of the scale, and the day after a leap day.
  EXPECT_EQ(DateTime::from_parts({1601, 1, 1, 0, 0, 0})->units(), 0u);
  EXPECT_EQ(at(2008, 3, 1, 0, 0) - at(2008, 2, 29, 0, 0), 864'000'000'000);
}

TEST(DateTime, PartsThatNameNoTimeAreRefused) {
  const DateTimeParts bad[] = {
      {2009, 4, 31, 0, 0, 0}, {2009, 2, 29, 0, 0, 0}, {2009, 13, 1, 0, 0, 0}, {2009, 1, 1, 24, 0, 0},
      {2009, 1, 1, 0, 60, 0}, {2009, 1, 1, 0, 0, 60}, {2009, 1, 1, 0, 0, -0.5}, {2009, 1, 1, 0, 0, std::nan("")},
      {1600, 12, 31, 0, 0, 0},
  };
  for (const auto& parts : bad) EXPECT_FALSE(DateTime::from_parts(parts).has_value()) << parts.year << "-" << parts.month;
  // Beyond the calendar: the default parts rather than garbage.
  EXPECT_EQ(DateTime(~0ull).to_parts(), DateTimeParts{});
}

TEST(DateTime, NowIsTodayOnTheLocalClock) {
  const DateTime before = DateTime::now();
  const DateTimeParts parts = before.to_parts();
  EXPECT_GE(parts.year, 2020);
  EXPECT_LE(before, DateTime::now());
}

class DateTimeText : public testing_support::DeviceTest {};

TEST_F(DateTimeText, FollowsTheEnglishUnitedStatesDefaults) {
  const DateTime morning = at(2009, 3, 10, 11, 30, 5.25);
  EXPECT_EQ(morning.time_text(true), u"11:30:05 AM");
  EXPECT_EQ(morning.time_text(false), u"11:30 AM");
  EXPECT_EQ(at(2009, 3, 10, 0, 7).time_text(false), u"12:07 AM");
  EXPECT_EQ(at(2009, 3, 10, 12, 7).time_text(false), u"12:07 PM");
  EXPECT_EQ(morning.date_text(true), u"Tuesday, March 10, 2009");
  EXPECT_EQ(morning.date_text(false), u"3/10/09");
  EXPECT_EQ(at(2009, 3, 5, 0, 0).day_text(), u"5");
  EXPECT_EQ(at(2009, 3, 25, 0, 0).day_text(), u"25");
}

TEST_F(DateTimeText, FollowsTheRegionalSettingsInTheRegistry) {
  const DateTime afternoon = at(2009, 3, 10, 15, 4, 9);
  ASSERT_TRUE(lv::reg_write_string(kRegional, u"TimeFormat", u"HH:mm:ss"));
  EXPECT_EQ(afternoon.time_text(false), u"15:04");
  EXPECT_EQ(at(2009, 3, 10, 11, 30).time_text(false), u"11:30");
  EXPECT_EQ(afternoon.time_text(true), u"15:04:09");
  ASSERT_TRUE(lv::reg_write_string(kRegional, u"TimeFormat", u"h:mm:ss tt"));
  EXPECT_EQ(afternoon.time_text(false), u"3:04 PM");

  ASSERT_TRUE(lv::reg_write_string(kRegional, u"LongDate", u"d MMMM yyyy 'г.'"));
  ASSERT_TRUE(lv::reg_write_string(kRegional, u"MonthNames",
                                   u"января;февраля;марта;апреля;мая;июня;июля;августа;сентября;октября;ноября;декабря"));
  EXPECT_EQ(afternoon.date_text(true), u"10 марта 2009 г.");
  // A damaged list keeps the default names.
  ASSERT_TRUE(lv::reg_write_string(kRegional, u"MonthNames", u"a;b;c"));
  EXPECT_EQ(afternoon.date_text(true), u"10 March 2009 г.");
}

TEST_F(DateTimeText, IsCutTo127Characters) {
  ASSERT_TRUE(lv::reg_write_string(kRegional, u"ShortDate", std::u16string(200, u'x') + u"d"));
  EXPECT_EQ(at(2009, 3, 10, 0, 0).date_text(false), std::u16string(127, u'x'));
}

TEST(DateTimeCtl, ChangingTheClockWithTheCommandChangesTheText) {
  testing_support::TempDevice device;
  const auto set = testing_support::run_process({testing_support::bin_path("lumivale-ctl"), "--device",
                                                 device.root().string(), "reg", "set",
                                                 "HKEY_CURRENT_USER\\ControlPanel\\Regional", "TimeFormat",
                                                 "string:HH:mm:ss"});
  ASSERT_EQ(set.exit_code, 0) << set.err;
  EXPECT_EQ(at(2009, 3, 10, 21, 30).time_text(false), u"21:30");
}

}  // namespace

#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

using platform::FileTime;
using platform::SystemTime;

TEST(Clock, FileTimeScaleStartsIn1601) {
  FileTime ft = 1;
  ASSERT_TRUE(platform::system_time_to_file_time(SystemTime{1601, 1, 0, 1, 0, 0, 0, 0}, ft));
  EXPECT_EQ(ft, 0u);
  ASSERT_TRUE(platform::system_time_to_file_time(SystemTime{1970, 1, 0, 1, 0, 0, 0, 0}, ft));
  EXPECT_EQ(ft, 116444736000000000ull);
}

TEST(Clock, RoundTripKeepsEveryField) {
  const SystemTime st{2009, 3, 2, 10, 11, 30, 5, 250};
  FileTime ft = 0;
  ASSERT_TRUE(platform::system_time_to_file_time(st, ft));
  SystemTime back;
  ASSERT_TRUE(platform::file_time_to_system_time(ft, back));
  EXPECT_EQ(back.year, 2009);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 10);
  EXPECT_EQ(back.day_of_week, 2);  // a Tuesday
  EXPECT_EQ(back.hour, 11);
  EXPECT_EQ(back.minute, 30);
  EXPECT_EQ(back.second, 5);
  EXPECT_EQ(back.milliseconds, 250);
}

TEST(Clock, RefusesDatesThatDoNotExist) {
  FileTime ft = 0;
  EXPECT_FALSE(platform::system_time_to_file_time(SystemTime{2009, 2, 0, 29, 0, 0, 0, 0}, ft));
  EXPECT_TRUE(platform::system_time_to_file_time(SystemTime{2008, 2, 0, 29, 0, 0, 0, 0}, ft));
  EXPECT_FALSE(platform::system_time_to_file_time(SystemTime{2009, 13, 0, 1, 0, 0, 0, 0}, ft));
  EXPECT_FALSE(platform::system_time_to_file_time(SystemTime{1600, 12, 0, 31, 0, 0, 0, 0}, ft));
  EXPECT_FALSE(platform::system_time_to_file_time(SystemTime{2009, 4, 0, 31, 0, 0, 0, 0}, ft));
}

TEST(Clock, TickCountMovesForward) {
  const uint32_t a = platform::tick_count();
  const SystemTime now = platform::local_time();
  EXPECT_GE(now.year, 2020);
  EXPECT_LE(static_cast<uint32_t>(platform::tick_count() - a), 1000u);
}

}  // namespace

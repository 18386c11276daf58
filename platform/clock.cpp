#include "platform/clock.h"

#include <ctime>

namespace platform {
namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerDay = 86'400 * kTicksPerSecond;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kDays1601To1970 = 134'774;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t days_from_civil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int days_in_month(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

}  // namespace

uint32_t tick_count() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1'000'000u;
  return static_cast<uint32_t>(ms);
}

FileTime unix_to_local_file_time(int64_t unix_seconds, int64_t nanoseconds) {
  const time_t t = static_cast<time_t>(unix_seconds);
  tm local{};
  localtime_r(&t, &local);
  const int64_t local_seconds = unix_seconds + local.tm_gmtoff;
  return static_cast<FileTime>((local_seconds + kDays1601To1970 * 86'400) * kTicksPerSecond +
                               nanoseconds / 100);
}

SystemTime local_time() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  SystemTime st;
  file_time_to_system_time(unix_to_local_file_time(ts.tv_sec, ts.tv_nsec), st);
  return st;
}

bool system_time_to_file_time(const SystemTime& st, FileTime& out) {
  if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12 || st.day < 1 ||
      st.day > days_in_month(st.year, st.month) || st.hour < 0 || st.hour > 23 || st.minute < 0 ||
      st.minute > 59 || st.second < 0 || st.second > 59 || st.milliseconds < 0 ||
      st.milliseconds > 999)
    return false;
  const int64_t days = days_from_civil(st.year, st.month, st.day) + kDays1601To1970;
  out = static_cast<FileTime>(days * kTicksPerDay +
                              ((st.hour * 60 + st.minute) * 60 + st.second) * kTicksPerSecond +
                              st.milliseconds * 10'000);
  return true;
}

bool file_time_to_system_time(FileTime ft, SystemTime& out) {
  if (ft >= 0x8000000000000000ull) return false;
  const auto ticks = static_cast<int64_t>(ft);
  const int64_t days = ticks / kTicksPerDay;
  int64_t rest = ticks % kTicksPerDay;
  civil_from_days(days - kDays1601To1970, out.year, out.month, out.day);
  out.day_of_week = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
  out.hour = static_cast<int>(rest / (3600 * kTicksPerSecond));
  rest %= 3600 * kTicksPerSecond;
  out.minute = static_cast<int>(rest / (60 * kTicksPerSecond));
  rest %= 60 * kTicksPerSecond;
  out.second = static_cast<int>(rest / kTicksPerSecond);
  out.milliseconds = static_cast<int>((rest % kTicksPerSecond) / 10'000);
  return true;
}

}  // namespace platform

// The device's clocks: a monotonic millisecond tick count and the local
// wall-clock time, in the phone's calendar form and its file-time scale.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since the device started; wraps after 49.7 days like the phone's.
uint32_t tick_count();

struct SystemTime {
  int year = 1601;
  int month = 1;        // 1-12
  int day_of_week = 1;  // 0 = Sunday
  int day = 1;          // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

// 100-nanosecond intervals since 1601-01-01 00:00.
using FileTime = uint64_t;

SystemTime local_time();
// False when the fields are out of range (a month of 13, 31 April, ...).
bool system_time_to_file_time(const SystemTime& st, FileTime& out);
bool file_time_to_system_time(FileTime ft, SystemTime& out);

// The host's UTC seconds since 1970 in local time, on the file-time scale.
FileTime unix_to_local_file_time(int64_t unix_seconds, int64_t nanoseconds);

}  // namespace platform

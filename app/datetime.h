// Points in time of the program: 100-nanosecond units since 1601-01-01 00:00
// local time (the device's file-time scale), with calendar parts and texts in
// the user's regional formats.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace lv {

struct DateTimeParts {
  int year = 1601;
  int month = 1;  // 1-12
  int day = 1;    // 1-31
  int hour = 0;
  int minute = 0;
  double seconds = 0;  // with the fraction below one second
  friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

class DateTime {
 public:
  static constexpr uint64_t kUnitsPerSecond = 10'000'000;
  static constexpr uint64_t kUnitsPerMinute = 60 * kUnitsPerSecond;
  // Texts are cut to this many characters.
  static constexpr size_t kMaxTextLength = 127;

  constexpr DateTime() = default;
  constexpr explicit DateTime(uint64_t units) : units_(units) {}
  static constexpr DateTime from_halves(uint32_t low, uint32_t high) {
    return DateTime((static_cast<uint64_t>(high) << 32) | low);
  }

  // The current local time, milliseconds included.
  static DateTime now();
  // Year, month, day, hour and minute give the whole minute; the seconds add
  // the integer part of seconds * 10 000 000. Nullopt for parts that name no
  // time (a 31 April, an hour of 24, seconds outside 0 to 60).
  static std::optional<DateTime> from_parts(const DateTimeParts& parts);
  // Seconds = (value mod one minute) / 10 000 000. A value beyond the
  // calendar's range (past the year 30827) gives the default parts.
  DateTimeParts to_parts() const;

  // The time in the user's time format, with or without the seconds.
  std::u16string time_text(bool with_seconds) const;
  // The date in the user's long or short date format.
  std::u16string date_text(bool long_form) const;
  // The day of the month without a leading zero.
  std::u16string day_text() const;

  constexpr uint64_t units() const { return units_; }
  constexpr uint32_t low() const { return static_cast<uint32_t>(units_); }
  constexpr uint32_t high() const { return static_cast<uint32_t>(units_ >> 32); }

  friend constexpr auto operator<=>(const DateTime&, const DateTime&) = default;
  // The signed difference in 100 ns units.
  friend constexpr int64_t operator-(const DateTime& a, const DateTime& b) {
    return static_cast<int64_t>(a.units_ - b.units_);
  }

 private:
  uint64_t units_ = 0;
};

}  // namespace lv

// The phone's locale service: the user's regional settings and the
// formatting of times and dates with picture strings.
//
// The regional settings live in the device registry under
// HKEY_CURRENT_USER\ControlPanel\Regional (string values; a missing or
// malformed value keeps the English (United States) default):
//
//   "TimeFormat"        "h:mm:ss tt"   h/hh 12-hour clock, H/HH 24-hour clock
//   "AMSymbol"          "AM"
//   "PMSymbol"          "PM"
//   "ShortDate"         "M/d/yy"
//   "LongDate"          "dddd, MMMM dd, yyyy"
//   "MonthNames"        "January;February;...;December"   12 names
//   "AbbrevMonthNames"  "Jan;Feb;...;Dec"                 12 names
//   "DayNames"          "Sunday;Monday;...;Saturday"      7 names, Sunday first
//   "AbbrevDayNames"    "Sun;Mon;...;Sat"                 7 names, Sunday first
//
// They are read on every call, so a change takes effect at once.
//
// Time pictures: h hh H HH (hour), m mm (minute), s ss (second), t tt (first
// letter or all of the AM/PM symbol). Date pictures: d dd (day), ddd dddd
// (abbreviated or full day name), M MM (month), MMM MMMM (abbreviated or full
// month name), y yy (year in the century), yyyy (full year), g gg (era).
// Text between single quotes is copied ('' is a quote); any other character
// is copied as it is.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace platform {

// The registry key of the regional settings, below HKEY_CURRENT_USER.
inline constexpr std::u16string_view kRegionalSettingsKey = u"ControlPanel\\Regional";

struct LocaleInfo {
  std::u16string time_format;
  std::u16string am_symbol;
  std::u16string pm_symbol;
  std::u16string short_date;
  std::u16string long_date;
  std::array<std::u16string, 12> month_names;
  std::array<std::u16string, 12> abbrev_month_names;
  std::array<std::u16string, 7> day_names;  // Sunday first
  std::array<std::u16string, 7> abbrev_day_names;

  static LocaleInfo english_us();
};

// The current device's regional settings (the defaults without a device).
LocaleInfo user_locale();

// Formats with an explicit picture. Without seconds, the seconds element and
// the separator before it are left out ("h:mm:ss tt" gives "h:mm tt").
std::u16string format_time_picture(const SystemTime& time, std::u16string_view picture, const LocaleInfo& locale,
                                   bool with_seconds = true);
std::u16string format_date_picture(const SystemTime& date, std::u16string_view picture, const LocaleInfo& locale);

enum class DateForm { short_date, long_date };

// Formats in the user's own formats.
std::u16string format_time(const SystemTime& time, bool with_seconds);
std::u16string format_date(const SystemTime& date, DateForm form);

}  // namespace platform

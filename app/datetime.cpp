#include "app/datetime.h"

#include <cmath>

#include "app/log.h"
#include "platform/clock.h"
#include "platform/locale.h"

namespace lv {
namespace {

std::u16string limited(std::u16string text) {
  if (text.size() > DateTime::kMaxTextLength) text.resize(DateTime::kMaxTextLength);
  return text;
}

platform::SystemTime system_time(const DateTime& value) {
  platform::SystemTime st;
  if (!platform::file_time_to_system_time(value.units(), st)) st = platform::SystemTime{};
  return st;
}

}  // namespace

DateTime DateTime::now() {
  platform::FileTime ft = 0;
  if (!platform::system_time_to_file_time(platform::local_time(), ft)) log() << u"DateTime::now failed\n";
  return DateTime(ft);
}

std::optional<DateTime> DateTime::from_parts(const DateTimeParts& parts) {
  if (!(parts.seconds >= 0 && parts.seconds < 60)) return std::nullopt;  // NaN too
  platform::SystemTime st;
  st.year = parts.year;
  st.month = parts.month;
  st.day = parts.day;
  st.hour = parts.hour;
  st.minute = parts.minute;
  platform::FileTime ft = 0;
  if (!platform::system_time_to_file_time(st, ft)) return std::nullopt;
  return DateTime(ft + static_cast<uint64_t>(std::trunc(parts.seconds * static_cast<double>(kUnitsPerSecond))));
}

DateTimeParts DateTime::to_parts() const {
  platform::SystemTime st;
  if (!platform::file_time_to_system_time(units_, st)) return {};
  DateTimeParts parts;
  parts.year = st.year;
  parts.month = st.month;
  parts.day = st.day;
  parts.hour = st.hour;
  parts.minute = st.minute;
  parts.seconds = static_cast<double>(units_ % kUnitsPerMinute) / static_cast<double>(kUnitsPerSecond);
  return parts;
}

std::u16string DateTime::time_text(bool with_seconds) const {
  return limited(platform::format_time(system_time(*this), with_seconds));
}

std::u16string DateTime::date_text(bool long_form) const {
  return limited(platform::format_date(system_time(*this), long_form ? platform::DateForm::long_date
                                                                       : platform::DateForm::short_date));
}

std::u16string DateTime::day_text() const {
  const std::string digits = std::to_string(system_time(*this).day);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace lv

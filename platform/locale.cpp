#include "platform/locale.h"

#include <vector>

#include "platform/device.h"
#include "platform/diag.h"
#include "platform/registry.h"
#include "platform/unicode.h"

namespace platform {
namespace {

// A picture split into elements (a run of one pattern letter) and literal text.
struct Token {
  bool element = false;
  char16_t letter = 0;
  size_t count = 0;
  std::u16string literal;
};

std::vector<Token> tokenize(std::u16string_view picture, std::u16string_view letters) {
  std::vector<Token> tokens;
  const auto add_literal = [&](char16_t c) {
    if (tokens.empty() || tokens.back().element) tokens.push_back({});
    tokens.back().literal.push_back(c);
  };
  for (size_t i = 0; i < picture.size();) {
    const char16_t c = picture[i];
    if (c == u'\'') {
      ++i;
      while (i < picture.size()) {
        if (picture[i] == u'\'') {
          if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
            add_literal(u'\'');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        add_literal(picture[i++]);
      }
      continue;
    }
    if (letters.find(c) != std::u16string_view::npos) {
      size_t n = 1;
      while (i + n < picture.size() && picture[i + n] == c) ++n;
      tokens.push_back({true, c, n, {}});
      i += n;
      continue;
    }
    add_literal(c);
    ++i;
  }
  return tokens;
}

std::u16string number(int value, size_t min_digits) {
  std::u16string digits = from_utf8(std::to_string(value < 0 ? -value : value));
  while (digits.size() < min_digits) digits.insert(digits.begin(), u'0');
  return digits;
}

// Drops the seconds and the literal text that leads up to them.
void drop_seconds(std::vector<Token>& tokens) {
  for (size_t i = 0; i < tokens.size();) {
    if (!tokens[i].element || tokens[i].letter != u's') {
      ++i;
      continue;
    }
    size_t first = i, last = i + 1;
    while (first > 0 && !tokens[first - 1].element) --first;
    if (first == 0)  // nothing before: drop the separator after instead
      while (last < tokens.size() && !tokens[last].element) ++last;
    tokens.erase(tokens.begin() + static_cast<ptrdiff_t>(first), tokens.begin() + static_cast<ptrdiff_t>(last));
    i = first;
  }
}

template <size_t N>
void read_names(Registry& registry, std::u16string_view name, std::array<std::u16string, N>& out) {
  RegValue value;
  if (registry.query(RegRoot::current_user, kRegionalSettingsKey, name, value) != RegStatus::ok) return;
  if (value.type != RegType::string) return;
  const std::u16string text = value.as_string();
  std::array<std::u16string, N> names;
  size_t count = 0, start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u';') continue;
    if (count == N) {
      count = N + 1;
      break;
    }
    names[count++] = text.substr(start, i - start);
    start = i + 1;
  }
  if (count != N) {
    diag("locale", "regional setting \"" + to_utf8(name) + "\" needs " + std::to_string(N) + " names");
    return;
  }
  out = std::move(names);
}

void read_text(Registry& registry, std::u16string_view name, std::u16string& out) {
  RegValue value;
  if (registry.query(RegRoot::current_user, kRegionalSettingsKey, name, value) == RegStatus::ok &&
      value.type == RegType::string)
    out = value.as_string();
}

}  // namespace

LocaleInfo LocaleInfo::english_us() {
  LocaleInfo l;
  l.time_format = u"h:mm:ss tt";
  l.am_symbol = u"AM";
  l.pm_symbol = u"PM";
  l.short_date = u"M/d/yy";
  l.long_date = u"dddd, MMMM dd, yyyy";
  l.month_names = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                   u"July",    u"August",   u"September", u"October", u"November", u"December"};
  l.abbrev_month_names = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                          u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  l.day_names = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
  l.abbrev_day_names = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  return l;
}

LocaleInfo user_locale() {
  LocaleInfo locale = LocaleInfo::english_us();
  Device* device = Device::current();
  if (!device) return locale;
  Registry& registry = device->registry();
  read_text(registry, u"TimeFormat", locale.time_format);
  read_text(registry, u"AMSymbol", locale.am_symbol);
  read_text(registry, u"PMSymbol", locale.pm_symbol);
  read_text(registry, u"ShortDate", locale.short_date);
  read_text(registry, u"LongDate", locale.long_date);
  read_names(registry, u"MonthNames", locale.month_names);
  read_names(registry, u"AbbrevMonthNames", locale.abbrev_month_names);
  read_names(registry, u"DayNames", locale.day_names);
  read_names(registry, u"AbbrevDayNames", locale.abbrev_day_names);
  return locale;
}

std::u16string format_time_picture(const SystemTime& time, std::u16string_view picture, const LocaleInfo& locale,
                                   bool with_seconds) {
  std::vector<Token> tokens = tokenize(picture, u"hHmst");
  if (!with_seconds) drop_seconds(tokens);
  std::u16string out;
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  const std::u16string& symbol = time.hour < 12 ? locale.am_symbol : locale.pm_symbol;
  for (const Token& t : tokens) {
    if (!t.element) {
      out += t.literal;
      continue;
    }
    const size_t digits = t.count >= 2 ? 2 : 1;
    switch (t.letter) {
      case u'h': out += number(hour12, digits); break;
      case u'H': out += number(time.hour, digits); break;
      case u'm': out += number(time.minute, digits); break;
      case u's': out += number(time.second, digits); break;
      case u't': out += t.count >= 2 ? symbol : symbol.substr(0, 1); break;
      default: break;
    }
  }
  return out;
}

std::u16string format_date_picture(const SystemTime& date, std::u16string_view picture, const LocaleInfo& locale) {
  std::u16string out;
  const size_t month = static_cast<size_t>(date.month >= 1 && date.month <= 12 ? date.month - 1 : 0);
  const size_t weekday = static_cast<size_t>(date.day_of_week >= 0 && date.day_of_week <= 6 ? date.day_of_week : 0);
  for (const Token& t : tokenize(picture, u"dMyg")) {
    if (!t.element) {
      out += t.literal;
      continue;
    }
    switch (t.letter) {
      case u'd':
        if (t.count <= 2) out += number(date.day, t.count);
        else out += t.count == 3 ? locale.abbrev_day_names[weekday] : locale.day_names[weekday];
        break;
      case u'M':
        if (t.count <= 2) out += number(date.month, t.count);
        else out += t.count == 3 ? locale.abbrev_month_names[month] : locale.month_names[month];
        break;
      case u'y':
        if (t.count <= 2) out += number(date.year % 100, t.count);
        else out += number(date.year, 1);
        break;
      case u'g': out += u"A.D."; break;
      default: break;
    }
  }
  return out;
}

std::u16string format_time(const SystemTime& time, bool with_seconds) {
  const LocaleInfo locale = user_locale();
  return format_time_picture(time, locale.time_format, locale, with_seconds);
}

std::u16string format_date(const SystemTime& date, DateForm form) {
  const LocaleInfo locale = user_locale();
  return format_date_picture(date, form == DateForm::long_date ? locale.long_date : locale.short_date, locale);
}

}  // namespace platform

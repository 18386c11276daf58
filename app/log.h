// The program's log. Off unless the DWORD "Log" under
// "HKEY_CURRENT_USER\Software\NELM" is nonzero; then every statement goes to
// \Temp\<program file name>.txt in UTF-16LE (after the bytes FF FE). The
// switch is read on every log() call, so it can be flipped while the program
// runs; switching it on starts a new file.
//
//   log() << u"Application::ResolutionChanged " << 2 << u"\n";
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace lv {

class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void write(std::u16string_view text) = 0;
  virtual void flush() = 0;
};

// The current sink, replaced when the "Log" value changed since the last call.
LogSink& log();
// The log file's device path: "/Temp/" + the expansion of "%app_name%.txt".
std::u16string log_file_path();

LogSink& operator<<(LogSink& sink, std::u16string_view text);
LogSink& operator<<(LogSink& sink, const char16_t* text);
LogSink& operator<<(LogSink& sink, const std::u16string& text);
// Narrow text: each byte becomes one UTF-16 unit (only ASCII is logged).
LogSink& operator<<(LogSink& sink, std::string_view text);
LogSink& operator<<(LogSink& sink, const char* text);
LogSink& operator<<(LogSink& sink, char16_t c);
LogSink& operator<<(LogSink& sink, char c);
LogSink& operator<<(LogSink& sink, bool value);
LogSink& operator<<(LogSink& sink, double value);  // six decimals
LogSink& operator<<(LogSink& sink, long long value);
LogSink& operator<<(LogSink& sink, unsigned long long value);

template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char16_t>)
LogSink& operator<<(LogSink& sink, T value) {
  if constexpr (std::signed_integral<T>)
    return sink << static_cast<long long>(value);
  else
    return sink << static_cast<unsigned long long>(value);
}

}  // namespace lv

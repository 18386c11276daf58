// The device's message box: nobody is there to press a button, so the box is
// shown on standard output and kept in ROOT/system/messages.log for tests.
#include <cstdio>
#include <fstream>

#include "platform/device.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace platform {
namespace {

std::string escaped(std::u16string_view text) {
  std::string out;
  for (char c : to_utf8(text)) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

int message_box(WindowHandle, std::u16string_view text, std::u16string_view caption, uint32_t flags) {
  std::string shown = to_utf8(text);
  if (!shown.empty() && shown.back() == '\n') shown.pop_back();
  std::printf("[%s] %s\n", to_utf8(caption).c_str(), shown.c_str());
  std::fflush(stdout);
  if (Device* device = Device::current()) {
    std::ofstream log(device->system_dir() / "messages.log", std::ios::app | std::ios::binary);
    log << escaped(caption) << '\t' << escaped(text) << '\n';
  }
  return (flags & 0x000F) == mb_yes_no ? id_yes : id_ok;
}

}  // namespace platform

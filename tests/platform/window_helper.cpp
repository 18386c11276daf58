// lumivale-window-helper: a tiny program of the device for the window
// system's process tests. It makes one window and reports on standard output,
// one line each, what its window receives.
//
//   lumivale-window-helper --device DIR [--class C] [--title T] [--hotkey VK]
//       [--all-keys]                   a window that reports and pumps messages
//   lumivale-window-helper --device DIR --hold-mutex NAME
//                                      owns the mutex until killed
//   lumivale-window-helper --device DIR --copydata CLASS TEXT
//   lumivale-window-helper --device DIR --send-user CLASS N
//                                      sends to the first window of CLASS, prints the result
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/mutex.h"
#include "platform/screen.h"
#include "platform/unicode.h"
#include "platform/window.h"

namespace {

using namespace platform;

uint16_t fill = 0x001F;  // blue until tapped, then red

void say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

LResult procedure(WindowHandle w, uint32_t m, WParam wp, LParam lp) {
  switch (m) {
    case msg::activate: say("activate " + std::to_string(wp)); return 0;
    case msg::pointer_down:
      set_capture(w);
      fill = 0xF800;
      invalidate_window(w);
      say("pointer_down " + std::to_string(pointer_x(lp)) + " " + std::to_string(pointer_y(lp)));
      return 0;
    case msg::pointer_move:
      say("pointer_move " + std::to_string(pointer_x(lp)) + " " + std::to_string(pointer_y(lp)));
      return 0;
    case msg::pointer_up:
      say("pointer_up " + std::to_string(pointer_x(lp)) + " " + std::to_string(pointer_y(lp)));
      release_capture();
      return 0;
    case msg::capture_changed: say("capture_changed"); return 0;
    case msg::key_down:
    case msg::key_up:
      say(std::string(m == msg::key_down ? "key_down " : "key_up ") + std::to_string(wp) + " " +
          std::to_string((lp >> 30) & 3));
      return 0;
    case msg::character: say("char " + std::to_string(wp)); return 0;
    case msg::hot_key: say("hotkey " + std::to_string(wp) + " " + std::to_string(lp)); return 0;
    case msg::copy_data: {
      const auto* data = reinterpret_cast<const CopyData*>(lp);
      const std::u16string text(static_cast<const char16_t*>(data->data), data->size / 2);
      say("copydata " + std::to_string(data->tag) + " " + to_utf8(text));
      return 1;
    }
    case msg::user + 1: return static_cast<LResult>(wp * 2);
    case msg::paint: {
      const Rect r = client_rect(w);
      std::vector<uint16_t> pixels(static_cast<size_t>(r.width()) * r.height(), fill);
      blit_to_window(w, 0, 0, pixels.data(), static_cast<size_t>(r.width()) * 2, r.width(), r.height());
      validate_window(w);
      return 0;
    }
    case msg::close: say("close"); destroy_window(w); return 0;
    case msg::destroy: post_quit_message(0); return 0;
    default: return default_window_proc(w, m, wp, lp);
  }
}

std::string value(std::vector<std::string>& args, const std::string& flag, const std::string& fallback = {}) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == flag) {
      std::string v = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
      return v;
    }
  }
  return fallback;
}

bool flag(std::vector<std::string>& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string root = value(args, "--device");
  if (root.empty()) {
    std::fprintf(stderr, "window-helper: --device DIR is needed\n");
    return 2;
  }
  std::string error;
  auto device = Device::open(root, default_device_image(), &error);
  if (!device) {
    std::fprintf(stderr, "window-helper: %s\n", error.c_str());
    return 1;
  }
  Device::set_current(device.get());

  if (const std::string name = value(args, "--hold-mutex"); !name.empty()) {
    bool existed = false;
    auto mutex = NamedMutex::open(from_utf8(name), &existed);
    if (!mutex || !mutex->wait()) return 1;
    say(std::string("locked ") + (existed ? "existed" : "new"));
    for (;;) pause();
  }
  if (const std::string cls = value(args, "--copydata"); !cls.empty()) {
    const std::u16string text = from_utf8(args.empty() ? "" : args[0]);
    const WindowHandle target = find_window(from_utf8(cls));
    if (!target) return 1;
    CopyData data{0, static_cast<uint32_t>(text.size() * 2), text.data()};
    say("result " + std::to_string(send_message(target, msg::copy_data, 0, reinterpret_cast<LParam>(&data))));
    return 0;
  }
  if (const std::string cls = value(args, "--send-user"); !cls.empty()) {
    const WindowHandle target = find_window(from_utf8(cls));
    if (!target || args.empty()) return 1;
    say("result " + std::to_string(send_message(target, msg::user + 1, std::stoull(args[0]))));
    return 0;
  }

  DisplayOptions display;
  display.headless = !flag(args, "--desktop");
  if (!configure_display(display, &error)) return 1;
  const std::u16string cls = from_utf8(value(args, "--class", "HelperClass"));
  const std::u16string title = from_utf8(value(args, "--title", "Helper"));
  const std::string hotkey = value(args, "--hotkey");
  const bool all = flag(args, "--all-keys");
  register_class({cls, procedure, 0});
  const Screen& screen = Screen::instance();
  CreateParams params;
  params.class_name = cls;
  params.title = title;
  params.style = style_visible;
  params.rect = {0, 0, screen.width(), screen.height()};
  const WindowHandle window = create_window(params);
  if (!window) return 1;
  if (!hotkey.empty() && !register_hot_key(window, 7, mod_key_up, static_cast<uint32_t>(std::stoul(hotkey, nullptr, 0))))
    say("hotkey refused");
  if (all) set_all_keys(true);
  say("ready " + std::to_string(window) + " " + Screen::instance().backend_name());
  Message m;
  while (get_message(m)) {
    translate_message(m);
    dispatch_message(m);
  }
  return 0;
}

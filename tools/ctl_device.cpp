// lumivale-ctl profiles, windows, tap, drag, key, screenshot: a running
// device driven from outside, over the window system's channel.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/device_input.h"
#include "platform/keys.h"
#include "platform/png.h"
#include "platform/profile.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "tools/ctl.h"

namespace ctl {
namespace {

int usage(const std::string& command, const char* what) {
  std::fprintf(stderr, "lumivale-ctl %s: %s (try lumivale-ctl --help)\n", command.c_str(), what);
  return 2;
}

int failed(const std::string& command, const std::string& error) {
  std::fprintf(stderr, "lumivale-ctl %s: %s\n", command.c_str(), error.c_str());
  return 1;
}

bool parse_int(const std::string& text, int& out, int low, int high) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno || *end || v < low || v > high) return false;
  out = static_cast<int>(v);
  return true;
}

int run_profiles(const std::vector<std::string>& args) {
  if (!args.empty()) return usage("profiles", "takes no arguments");
  const std::string current = platform::current_profile().name;
  for (const auto& p : platform::device_profiles()) {
    std::printf("%s%s\t%dx%d\t%d dpi\t%s\t%s\n", p.name.c_str(), p.name == current ? "*" : "", p.screen_width,
                p.screen_height, p.dpi, p.edition == platform::Edition::smartphone ? "Smartphone" : "PocketPC",
                p.description.c_str());
  }
  return 0;
}

int run_windows(const std::vector<std::string>& args) {
  if (!args.empty()) return usage("windows", "takes no arguments");
  for (const auto& w : platform::top_level_windows()) {
    std::printf("%llu\t%u\t%s\t%s\t%s\n", static_cast<unsigned long long>(w.window), w.process_id,
                w.visible ? "visible" : "hidden", platform::to_utf8(w.class_name).c_str(),
                platform::to_utf8(w.title).c_str());
  }
  return 0;
}

int run_tap(const std::vector<std::string>& args) {
  int x = 0, y = 0;
  if (args.size() != 2 || !parse_int(args[0], x, -32768, 32767) || !parse_int(args[1], y, -32768, 32767))
    return usage("tap", "needs X Y");
  std::string error;
  if (!platform::inject_pointer(platform::PointerAction::down, x, y, &error) ||
      !platform::inject_pointer(platform::PointerAction::up, x, y, &error))
    return failed("tap", error);
  return 0;
}

int run_drag(const std::vector<std::string>& args) {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, ms = 300;
  if ((args.size() != 4 && args.size() != 5) || !parse_int(args[0], x1, -32768, 32767) ||
      !parse_int(args[1], y1, -32768, 32767) || !parse_int(args[2], x2, -32768, 32767) ||
      !parse_int(args[3], y2, -32768, 32767) || (args.size() == 5 && !parse_int(args[4], ms, 0, 60000)))
    return usage("drag", "needs X1 Y1 X2 Y2 [MS]");
  std::string error;
  using platform::PointerAction;
  if (!platform::inject_pointer(PointerAction::down, x1, y1, &error)) return failed("drag", error);
  const int steps = std::max(1, ms / 16);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= steps; ++i) {
    std::this_thread::sleep_until(start + std::chrono::milliseconds(ms * i / steps));
    const int x = x1 + (x2 - x1) * i / steps, y = y1 + (y2 - y1) * i / steps;
    if (!platform::inject_pointer(PointerAction::move, x, y, &error)) return failed("drag", error);
  }
  if (!platform::inject_pointer(PointerAction::up, x2, y2, &error)) return failed("drag", error);
  return 0;
}

int run_key(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return usage("key", "needs NAME [--down|--up]");
  bool down = true, up = true;
  if (args.size() == 2) {
    if (args[1] == "--down") {
      up = false;
    } else if (args[1] == "--up") {
      down = false;
    } else {
      return usage("key", "the second argument is --down or --up");
    }
  }
  const auto key = platform::virtual_key_for_name(platform::from_utf8(args[0]));
  if (!key) return failed("key", "no device key has the name '" + args[0] + "'");
  std::string error;
  if (down && !platform::inject_key(*key, true, &error)) return failed("key", error);
  if (up && !platform::inject_key(*key, false, &error)) return failed("key", error);
  return 0;
}

int run_screenshot(const std::vector<std::string>& args) {
  if (args.size() != 1) return usage("screenshot", "needs FILE.png");
  platform::ScreenPicture picture;
  std::string error;
  if (!platform::capture_screen(picture, &error)) return failed("screenshot", error);
  if (!platform::write_png_rgb565(args[0], picture.pixels.data(), picture.width, picture.height,
                                  static_cast<size_t>(picture.width) * 2, &error))
    return failed("screenshot", error);
  return 0;
}

}  // namespace

bool is_device_command(const std::string& command) {
  return command == "profiles" || command == "windows" || command == "tap" || command == "drag" ||
         command == "key" || command == "screenshot";
}

int run_device_command(const std::string& command, const std::vector<std::string>& args) {
  if (command == "profiles") return run_profiles(args);
  if (command == "windows") return run_windows(args);
  if (command == "tap") return run_tap(args);
  if (command == "drag") return run_drag(args);
  if (command == "key") return run_key(args);
  return run_screenshot(args);
}

}  // namespace ctl

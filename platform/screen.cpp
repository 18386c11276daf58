#include "platform/screen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/profile.h"
#include "platform/window_state.h"

namespace platform {
namespace {

class HeadlessBackend : public ScreenBackend {
 public:
  const char* name() const override { return "headless"; }
  void show(const uint16_t*, int, int, size_t) override {}
};

std::mutex screen_mutex;

bool parse_zoom(const std::string& text, int& zoom) {
  if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  zoom = std::stoi(text);
  return zoom >= 1 && zoom <= 8;
}

}  // namespace

std::unique_ptr<ScreenBackend> make_headless_backend() { return std::make_unique<HeadlessBackend>(); }

// ---- options ------------------------------------------------------------------------

bool take_display_options(std::vector<std::string>& args, DisplayOptions& options, std::string& error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value_of = [&](const std::string& flag, std::string& value) -> int {
      if (a == flag) {
        if (i + 1 >= args.size()) {
          error = flag + " needs a value";
          return -1;
        }
        value = args[++i];
        return 1;
      }
      if (a.rfind(flag + "=", 0) == 0) {
        value = a.substr(flag.size() + 1);
        return 1;
      }
      return 0;
    };
    std::string value;
    if (a == "--headless") {
      options.headless = true;
      continue;
    }
    int found = value_of("--profile", value);
    if (found < 0) return false;
    if (found) {
      if (!find_device_profile(value)) {
        error = "unknown profile '" + value + "' (lumivale-ctl profiles lists them)";
        return false;
      }
      options.profile = value;
      continue;
    }
    found = value_of("--zoom", value);
    if (found < 0) return false;
    if (found) {
      if (!parse_zoom(value, options.zoom)) {
        error = "--zoom takes a whole number from 1 to 8";
        return false;
      }
      continue;
    }
    rest.push_back(a);
  }
  args = std::move(rest);
  return true;
}

const char* display_options_help() {
  return "  --profile NAME   the kind of device: pocketpc (default), vga, landscape, smartphone\n"
         "  --headless       no desktop window; the screen stays in memory (also without a display)\n"
         "  --zoom N         desktop window zoom, 1-8 (default: 2 below 320 pixels wide, else 1)\n";
}

const char* desktop_key_help() {
  return "Desktop window: the mouse is the stylus; the keyboard is the phone's keypad:\n"
         "  F1, F2                left and right soft key\n"
         "  F3 or Home            talk (call)        F4 or End      end call\n"
         "  Escape or Backspace   back               Enter          action (centre key)\n"
         "  arrow keys            the navigation pad\n"
         "  0-9, keypad 0-9       digits             A-Z, Space     letters (keyboard phones)\n"
         "  * or F8 (keypad *)    star               # or F9        pound\n"
         "  Page Up, Page Down    volume up, down    (F6, F7 too)\n"
         "  keypad + - . /        the operator keys\n"
         "Closing the desktop window asks the program's windows to close.\n";
}

bool configure_display(const DisplayOptions& options, std::string* error) {
  if (!options.profile.empty()) {
    const DeviceProfile* p = find_device_profile(options.profile);
    if (!p) {
      if (error) *error = "unknown profile '" + options.profile + "'";
      return false;
    }
    set_current_profile(*p);
  }
  const DeviceProfile& profile = current_profile();
  std::unique_ptr<ScreenBackend> backend;
  if (!options.headless) {
    std::string why;
    backend = make_desktop_backend(profile, options.zoom, &why);
    if (!backend) std::fprintf(stderr, "lumivale: no desktop window (%s); running headless\n", why.c_str());
  }
  if (!backend) backend = make_headless_backend();
  Screen::instance().reset(profile.screen_width, profile.screen_height, std::move(backend));
  return true;
}

// ---- the screen -------------------------------------------------------------------------

Screen::Screen() {
  const DeviceProfile& p = current_profile();
  width_ = p.screen_width;
  height_ = p.screen_height;
  pixels_.assign(static_cast<size_t>(width_) * height_, 0);
  backend_ = make_headless_backend();
}

Screen& Screen::instance() {
  static Screen* screen = [] {
    auto* s = new Screen;  // lives until the process ends; backends may run threads
    detail::note_screen();
    return s;
  }();
  return *screen;
}

void Screen::reset(int width, int height, std::unique_ptr<ScreenBackend> backend) {
  std::lock_guard lock(screen_mutex);
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<size_t>(width_) * height_, 0);
  backend_ = std::move(backend);
}

const char* Screen::backend_name() const { return backend_ ? backend_->name() : "none"; }

void Screen::copy_in(int x, int y, const uint16_t* source, size_t source_stride, int width, int height,
                     const Rect& clip) {
  if (!source || width <= 0 || height <= 0) return;
  const int left = std::max({x, clip.left, 0});
  const int top = std::max({y, clip.top, 0});
  const int right = std::min({x + width, clip.right, width_});
  const int bottom = std::min({y + height, clip.bottom, height_});
  if (right <= left || bottom <= top) return;
  std::lock_guard lock(screen_mutex);
  for (int row = top; row < bottom; ++row) {
    const auto* from = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(source) +
                                                         static_cast<size_t>(row - y) * source_stride) +
                       (left - x);
    std::memcpy(&pixels_[static_cast<size_t>(row) * width_ + left], from, static_cast<size_t>(right - left) * 2);
  }
}

void Screen::present() {
  std::lock_guard lock(screen_mutex);
  ++presents_;
  if (backend_) backend_->show(pixels_.data(), width_, height_, stride());
}

void Screen::close_backend() {
  std::lock_guard lock(screen_mutex);
  backend_ = make_headless_backend();
}

bool blit_to_window(WindowHandle window, int x, int y, const uint16_t* source, size_t source_stride, int width,
                    int height) {
  if (detail::process_of(window) != detail::this_process() || !is_window(window)) return false;
  const Rect area = window_rect(window);
  Screen& screen = Screen::instance();
  screen.copy_in(area.left + x, area.top + y, source, source_stride, width, height, area);
  screen.present();
  return true;
}

bool read_screen(const Rect& area, uint16_t* destination, size_t destination_stride) {
  Screen& screen = Screen::instance();
  if (!destination || area.empty() || area.left < 0 || area.top < 0 || area.right > screen.width() ||
      area.bottom > screen.height())
    return false;
  std::lock_guard lock(screen_mutex);
  for (int row = area.top; row < area.bottom; ++row) {
    std::memcpy(reinterpret_cast<uint8_t*>(destination) + static_cast<size_t>(row - area.top) * destination_stride,
                screen.pixels() + static_cast<size_t>(row) * screen.width() + area.left,
                static_cast<size_t>(area.width()) * 2);
  }
  return true;
}

namespace detail {

Reply screenshot_reply() {
  Reply reply;
  {
    std::lock_guard lock(state().mutex);
    if (!state().screen) return reply;
  }
  Screen& screen = Screen::instance();
  std::lock_guard lock(screen_mutex);
  reply.ok = true;
  reply.width = screen.width();
  reply.height = screen.height();
  const auto* bytes = reinterpret_cast<const uint8_t*>(screen.pixels());
  reply.data.assign(bytes, bytes + static_cast<size_t>(screen.width()) * screen.height() * 2);
  return reply;
}

void note_screen() {
  {
    std::lock_guard lock(state().mutex);
    state().screen = true;
  }
  register_process();
  republish();
}

}  // namespace detail
}  // namespace platform

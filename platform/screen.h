// The device's screen: a 16-bit RGB565 picture of the profile's size that
// programs draw into and present, shown by a backend: a desktop window (SDL2)
// or nothing at all (headless, the picture stays in memory).
//
// The desktop window turns the mouse into the stylus and the host keyboard
// into the phone's keys (desktop_key_help lists them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

struct DeviceProfile;

// Where a backend shows the screen. show() is called on the thread that
// presents, with the whole picture; it must not keep the pointer.
class ScreenBackend {
 public:
  virtual ~ScreenBackend() = default;
  virtual const char* name() const = 0;  // "desktop" or "headless"
  virtual void show(const uint16_t* pixels, int width, int height, size_t stride) = 0;
};

std::unique_ptr<ScreenBackend> make_headless_backend();
// Null with `error` set when there is no display or SDL cannot start.
// `zoom` 0 picks one: 2 for screens narrower than 320 pixels, else 1.
std::unique_ptr<ScreenBackend> make_desktop_backend(const DeviceProfile& profile, int zoom, std::string* error);

// How a program's process shows its screen: chosen on its command line.
struct DisplayOptions {
  std::string profile;  // empty: the current profile
  bool headless = false;
  int zoom = 0;
};

// Takes "--profile NAME", "--headless" and "--zoom N" (also "--x=y") out of
// `args`. False with `error` set for a missing value or an unknown profile.
bool take_display_options(std::vector<std::string>& args, DisplayOptions& options, std::string& error);
// The lines --help prints for those options and the desktop key mapping.
const char* display_options_help();
const char* desktop_key_help();

// Sets the profile and opens the screen with the desktop backend, or headless
// when asked or when no display is available (no DISPLAY, SDL cannot start;
// the reason goes to standard error). Call before the first window. Without
// this call the screen opens headless on first use.
bool configure_display(const DisplayOptions& options, std::string* error);

// The screen of this process. Drawing happens on the presenting thread;
// `pixels` stays valid until shutdown_display.
class Screen {
 public:
  static Screen& instance();

  int width() const { return width_; }
  int height() const { return height_; }
  size_t stride() const { return static_cast<size_t>(width_) * 2; }  // bytes per row
  uint16_t* pixels() { return pixels_.data(); }
  const uint16_t* pixels() const { return pixels_.data(); }
  const char* backend_name() const;

  // Copies a block of a 16-bit picture to screen position (x, y), clipped to
  // `clip` (screen coordinates) and the screen. Does not present.
  void copy_in(int x, int y, const uint16_t* source, size_t source_stride, int width, int height,
               const Rect& clip);
  // Shows the picture through the backend. Counts presents.
  void present();
  uint64_t present_count() const { return presents_; }

  // Shuts the backend down (the desktop window closes); the picture stays.
  void close_backend();

 private:
  friend bool configure_display(const DisplayOptions&, std::string*);
  Screen();
  void reset(int width, int height, std::unique_ptr<ScreenBackend> backend);

  int width_ = 0;
  int height_ = 0;
  std::vector<uint16_t> pixels_;
  std::unique_ptr<ScreenBackend> backend_;
  uint64_t presents_ = 0;
};

// What the program's GDI side needs: copies a 16-bit picture into a window's
// client area at (x, y) (clipped to the window) and presents the screen.
bool blit_to_window(WindowHandle window, int x, int y, const uint16_t* source, size_t source_stride, int width,
                    int height);
// Reads a block of the screen (the display layer's picture of the screen).
bool read_screen(const Rect& area, uint16_t* destination, size_t destination_stride);

}  // namespace platform

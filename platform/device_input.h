// Driving a device from outside a program: the stylus and the keys, as the
// desktop window and lumivale-ctl produce them, and screenshots. Input goes to
// the process that owns the foreground window (or holds the hot key); there it
// becomes the pointer and key messages of its windows, on their thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class PointerAction { down, move, up };

// x, y in screen pixels. False with `error` when no process of the device
// can take the input.
bool inject_pointer(PointerAction action, int x, int y, std::string* error = nullptr);
// A press (down) or release of a virtual key; a press while the key is
// already down is an auto-repeat.
bool inject_key(uint32_t virtual_key, bool down, std::string* error = nullptr);

// One gesture sent over one connection, so that its events arrive in order.
class InputStream {
 public:
  // Connects to the process that takes pointer input now. Check ok().
  InputStream();
  ~InputStream();
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;
  bool ok() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }
  bool pointer(PointerAction action, int x, int y);
  // Waits until the target process has taken everything sent so far.
  bool flush();

 private:
  int fd_ = -1;
  std::string error_;
};

struct ScreenPicture {
  int width = 0;
  int height = 0;
  std::vector<uint16_t> pixels;  // RGB565, rows top-down, no padding
};
// The screen of the foreground process (or the newest process with a screen).
bool capture_screen(ScreenPicture& out, std::string* error = nullptr);

// Live processes of the device that registered with the window system.
struct DeviceProcess {
  uint32_t process_id = 0;
  std::u16string module;  // program file
  bool has_screen = false;
};
std::vector<DeviceProcess> device_processes();

}  // namespace platform

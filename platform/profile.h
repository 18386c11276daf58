// Device profiles: what kind of phone the simulated device is (screen, dpi,
// orientation, edition, system version, maker text, language, emergency
// numbers), and the system queries through which programs read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class Edition { pocket_pc, smartphone };

struct DeviceProfile {
  std::string name;           // "pocketpc", "vga", "landscape", "smartphone"
  std::string description;
  int screen_width = 240;     // pixels, as the screen is currently turned
  int screen_height = 320;
  int dpi = 96;
  int orientation = 0;        // 0-3: quarter turns from the panel's native orientation
  Edition edition = Edition::pocket_pc;
  int os_major = 5;
  int os_minor = 2;
  int os_build = 1235;
  std::u16string oem_info;        // maker and model text
  uint16_t ui_language = 0x0409;  // language id of the user interface
  std::vector<std::u16string> emergency_numbers;
};

// The bundled profiles; the first is the default.
std::span<const DeviceProfile> device_profiles();
// The profile named `name` (without regard to case), or null.
const DeviceProfile* find_device_profile(std::string_view name);

// The profile of this process's device: set by configure_display (screen.h),
// else $LUMIVALE_PROFILE, else the default.
const DeviceProfile& current_profile();
// Replaces the current profile (before windows exist; tests use it).
void set_current_profile(const DeviceProfile& profile);

// ---- system queries -------------------------------------------------------------

enum class Metric { screen_width, screen_height, icon_width, icon_height, small_icon_width, small_icon_height };
int system_metric(Metric metric);

// Device-context capabilities of the screen.
enum class Caps { horizontal_resolution, vertical_resolution, bits_per_pixel, logical_pixels_x, logical_pixels_y };
int screen_caps(Caps what);

// "PocketPC" or "SmartPhone".
std::u16string platform_type();
std::u16string oem_info();
struct OsVersion {
  int major = 0;
  int minor = 0;
  int build = 0;
};
OsVersion os_version();
uint16_t user_interface_language();

// The emergency numbers as a list of strings, each followed by a NUL, the
// list ending in a second NUL. False when it does not fit `bytes`.
bool emergency_number_list(char16_t* buffer, size_t bytes);

// The display orientation (0-3). Changing it is accepted only for the
// orientation the panel has (the device cannot rotate).
int display_orientation();
bool set_display_orientation(int orientation);

// The area of the screen not covered by the taskbar and input panel.
struct WorkArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
WorkArea work_area();

}  // namespace platform

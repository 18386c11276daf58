#include "platform/profile.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/diag.h"
#include "platform/unicode.h"

namespace platform {
namespace {

std::vector<DeviceProfile> make_profiles() {
  std::vector<DeviceProfile> p(4);
  p[0].name = "pocketpc";
  p[0].description = "Pocket PC, 240x320 portrait, 96 dpi";
  p[0].oem_info = u"Lumivale Reference Pocket PC";
  p[0].emergency_numbers = {u"112", u"911"};

  p[1].name = "vga";
  p[1].description = "Pocket PC, 480x640 portrait, 192 dpi";
  p[1].screen_width = 480;
  p[1].screen_height = 640;
  p[1].dpi = 192;
  p[1].os_build = 19202;
  p[1].oem_info = u"Lumivale Reference VGA";
  p[1].emergency_numbers = {u"112", u"911"};

  p[2].name = "landscape";
  p[2].description = "Pocket PC with a landscape panel, 320x240, 96 dpi";
  p[2].screen_width = 320;
  p[2].screen_height = 240;
  p[2].oem_info = u"Lumivale Reference Landscape";
  p[2].emergency_numbers = {u"112", u"911"};

  p[3].name = "smartphone";
  p[3].description = "Smartphone with keypad, 176x220, 96 dpi";
  p[3].screen_width = 176;
  p[3].screen_height = 220;
  p[3].edition = Edition::smartphone;
  p[3].os_build = 1236;
  p[3].oem_info = u"Lumivale Reference Smartphone";
  p[3].emergency_numbers = {u"112", u"999"};
  return p;
}

const std::vector<DeviceProfile>& profiles() {
  static const std::vector<DeviceProfile> all = make_profiles();
  return all;
}

std::mutex profile_mutex;
DeviceProfile* chosen = nullptr;

}  // namespace

std::span<const DeviceProfile> device_profiles() { return profiles(); }

const DeviceProfile* find_device_profile(std::string_view name) {
  for (const auto& p : profiles()) {
    if (iequals(from_utf8(p.name), from_utf8(std::string(name)))) return &p;
  }
  return nullptr;
}

const DeviceProfile& current_profile() {
  std::lock_guard lock(profile_mutex);
  if (!chosen) {
    const DeviceProfile* base = &profiles().front();
    if (const char* env = std::getenv("LUMIVALE_PROFILE"); env && *env) {
      if (const DeviceProfile* p = find_device_profile(env)) {
        base = p;
      } else {
        diag("profile", std::string("unknown profile in LUMIVALE_PROFILE: ") + env);
      }
    }
    chosen = new DeviceProfile(*base);  // lives as long as the process
  }
  return *chosen;
}

void set_current_profile(const DeviceProfile& profile) {
  std::lock_guard lock(profile_mutex);
  if (chosen) {
    *chosen = profile;
  } else {
    chosen = new DeviceProfile(profile);
  }
}

int system_metric(Metric metric) {
  const DeviceProfile& p = current_profile();
  const int icon = p.dpi > 191 ? 64 : 32;
  switch (metric) {
    case Metric::screen_width: return p.screen_width;
    case Metric::screen_height: return p.screen_height;
    case Metric::icon_width:
    case Metric::icon_height: return icon;
    case Metric::small_icon_width:
    case Metric::small_icon_height: return icon / 2;
  }
  return 0;
}

int screen_caps(Caps what) {
  const DeviceProfile& p = current_profile();
  switch (what) {
    case Caps::horizontal_resolution: return p.screen_width;
    case Caps::vertical_resolution: return p.screen_height;
    case Caps::bits_per_pixel: return 16;
    case Caps::logical_pixels_x:
    case Caps::logical_pixels_y: return p.dpi;
  }
  return 0;
}

std::u16string platform_type() {
  return current_profile().edition == Edition::smartphone ? u"SmartPhone" : u"PocketPC";
}

std::u16string oem_info() { return current_profile().oem_info; }

OsVersion os_version() {
  const DeviceProfile& p = current_profile();
  return {p.os_major, p.os_minor, p.os_build};
}

uint16_t user_interface_language() { return current_profile().ui_language; }

bool emergency_number_list(char16_t* buffer, size_t bytes) {
  const size_t capacity = bytes / sizeof(char16_t);
  size_t at = 0;
  for (const auto& number : current_profile().emergency_numbers) {
    if (number.empty()) continue;
    if (at + number.size() + 2 > capacity) return false;  // the entry, its NUL and the final NUL
    std::memcpy(buffer + at, number.data(), number.size() * sizeof(char16_t));
    at += number.size();
    buffer[at++] = 0;
  }
  if (at + 1 > capacity) return false;
  buffer[at] = 0;
  if (at == 0 && capacity > 1) buffer[1] = 0;
  return true;
}

int display_orientation() { return current_profile().orientation; }

bool set_display_orientation(int orientation) { return orientation == current_profile().orientation; }

WorkArea work_area() {
  const DeviceProfile& p = current_profile();
  // The taskbar takes the top 26 pixels (times the dpi scale) on a Pocket PC.
  const int bar = p.edition == Edition::smartphone ? 0 : 26 * p.dpi / 96;
  return {0, bar, p.screen_width, p.screen_height};
}

}  // namespace platform

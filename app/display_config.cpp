#include "app/display_config.h"

#include "platform/profile.h"

namespace lv {

int scale_shift_for_dpi(int dpi) {
  if (dpi > 383) return 2;
  if (dpi > 191) return 1;
  return 0;
}

DisplayConfig current_display_config() {
  DisplayConfig config;
  config.screen_width = platform::screen_caps(platform::Caps::horizontal_resolution);
  config.screen_height = platform::screen_caps(platform::Caps::vertical_resolution);
  config.client_width = config.screen_width;
  config.client_height = config.screen_height;
  config.dpi = platform::screen_caps(platform::Caps::logical_pixels_y);
  config.orientation = platform::display_orientation();
  config.scale_shift = scale_shift_for_dpi(config.dpi);
  return config;
}

}  // namespace lv

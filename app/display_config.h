// What the program knows about the screen it draws on.
#pragma once

namespace lv {

struct DisplayConfig {
  int screen_width = 0;
  int screen_height = 0;
  int client_x = 0;
  int client_y = 0;
  int client_width = 0;
  int client_height = 0;
  int orientation = 0;  // 0-3
  int dpi = 96;
  // Every skin coordinate and font size is multiplied by 2 to this power.
  int scale_shift = 0;

  // The metrics whose change is a resolution change.
  bool same_metrics(const DisplayConfig& other) const {
    return screen_width == other.screen_width && screen_height == other.screen_height &&
           orientation == other.orientation && dpi == other.dpi;
  }
};

// 0; 1 above 191 dpi; 2 above 383 dpi.
int scale_shift_for_dpi(int dpi);

// The screen as the device reports it now: the screen's resolution, the
// logical pixels per inch (vertical) and the display orientation; the client
// area is the whole screen.
DisplayConfig current_display_config();

}  // namespace lv

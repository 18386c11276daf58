// The display layer as the frame sees it: full-screen drawing straight into
// the screen's frame buffer. The graphics subsystem installs the opener;
// without one the layer cannot open, the display stays closed and frames are
// only drawn in windowed mode.
#pragma once

#include <memory>

#include "app/frame_target.h"
#include "platform/window.h"

namespace lv {

struct DisplayParameters {
  int width = 0;   // 0: the native size; the layer fills in the actual values
  int height = 0;
  int orientation = 0;
  int swap_effect = 1;  // discard
};

class DisplayLayer {
 public:
  virtual ~DisplayLayer() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual int orientation() const = 0;
  // False when no frame can be drawn now.
  virtual bool begin_frame() = 0;
  virtual FrameTarget back_buffer() = 0;
  virtual void present() = 0;
  // The game-input key mode (every key reaches the program).
  virtual void set_game_input(bool open) = 0;
};

using DisplayLayerOpener = std::unique_ptr<DisplayLayer> (*)(platform::WindowHandle window,
                                                             DisplayParameters& parameters);
void set_display_layer_opener(DisplayLayerOpener opener);
// Null when no opener is installed or it fails.
std::unique_ptr<DisplayLayer> open_display_layer(platform::WindowHandle window, DisplayParameters& parameters);

}  // namespace lv

// A 16-bit RGB565 picture a frame is drawn into: the display layer's back
// buffer or the window's back buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lv {

struct FrameTarget {
  uint16_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  size_t stride = 0;  // bytes per row
};

}  // namespace lv

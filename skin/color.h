// A colour as skins store it: red, green, blue and alpha bytes.
#pragma once

#include <cstdint>

#include "gfx/pixel.h"

namespace lv {

struct Color {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 255;

  // (red >> 3) << 11 | (green & 0xFC) << 3 | blue >> 3; alpha is ignored.
  constexpr Pixel to_rgb565() const { return rgb565(red, green, blue); }
  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace lv

// The pixel format: 16-bit RGB565 (red in bits 15-11, green 10-5, blue 4-0),
// little-endian in memory. Pictures use two conventions on top of it:
//   - 0xF81F (magenta) is the key colour, fully transparent;
//   - bit 5 (the lowest green bit) set marks an opaque pixel; a pixel with it
//     clear (and not the key) is translucent: its colour is already weighted by
//     its own opacity and is added to a weighted destination.
// Text, masks and system icons set bit 5 so that they never equal the key.
#pragma once

#include <cstdint>

namespace lv {

using Pixel = uint16_t;

inline constexpr Pixel kKeyColor = 0xF81F;
inline constexpr Pixel kOpaqueBit = 0x0020;

// The colour of a fill; ignores the key and opacity conventions.
constexpr Pixel rgb565(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<Pixel>(((r >> 3) << 11) | ((g & 0xFC) << 3) | (b >> 3));
}

// Channel-wise scaling without carries between channels.
constexpr Pixel half(Pixel p) { return static_cast<Pixel>((p >> 1) & 0x7BEF); }
constexpr Pixel quarter(Pixel p) { return static_cast<Pixel>((p >> 2) & 0x39E7); }
constexpr Pixel eighth(Pixel p) { return static_cast<Pixel>((p >> 3) & 0x18E3); }
constexpr Pixel sixteenth(Pixel p) { return static_cast<Pixel>((p >> 4) & 0x0861); }

}  // namespace lv

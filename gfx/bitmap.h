// Pixel buffers: RGB565 rows, top to bottom, each row starting on a 4-byte
// boundary so that two-pixel stores are aligned except at odd row starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gfx/geometry.h"
#include "gfx/pixel.h"

namespace lv {

class Bitmap {
 public:
  // Bytes per row for a width: width * 2 rounded up to a multiple of 4.
  static constexpr int pitch_for(int width) { return (width * 2 + 3) & ~3; }

  // A view of pixels owned elsewhere (a display's back buffer). `pitch` must
  // be even; rows are `pitch` bytes apart.
  Bitmap(int width, int height, int pitch, void* pixels);
  virtual ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  Size size() const { return {width_, height_}; }
  int pitch() const { return pitch_; }
  // Whether destroying the bitmap frees its pixels.
  bool owns_pixels() const { return owns_pixels_; }

  uint8_t* pixels() { return pixels_; }
  const uint8_t* pixels() const { return pixels_; }
  Pixel* row(int y) { return reinterpret_cast<Pixel*>(pixels_ + static_cast<ptrdiff_t>(y) * pitch_); }
  const Pixel* row(int y) const {
    return reinterpret_cast<const Pixel*>(pixels_ + static_cast<ptrdiff_t>(y) * pitch_);
  }
  Pixel at(int x, int y) const { return row(y)[x]; }
  void set(int x, int y, Pixel p) { row(y)[x] = p; }

 protected:
  Bitmap(int width, int height, int pitch, uint8_t* pixels, bool owns);

 private:
  int width_;
  int height_;
  int pitch_;
  uint8_t* pixels_;
  bool owns_pixels_;
};

// The largest bitmap side the program makes; larger requests fail.
inline constexpr int kMaxBitmapSide = 8192;

// A bitmap whose pixels come from the heap and belong to it. Content is
// undefined after creation.
class MemoryBitmap : public Bitmap {
 public:
  // Null when the size is negative, larger than kMaxBitmapSide on a side, or
  // the allocation fails. A 0 x 0 bitmap is valid and has no pixels.
  static std::unique_ptr<MemoryBitmap> create(Size size);
  ~MemoryBitmap() override;

 private:
  MemoryBitmap(int width, int height, uint8_t* pixels);
};

// The header a 16-bit device-independent section is described by.
struct DibHeader {
  uint32_t header_size = 40;
  int32_t width = 0;
  int32_t height = 0;  // negative: rows top-down
  uint16_t planes = 1;
  uint16_t bits_per_pixel = 16;
  uint32_t compression = 3;  // bit fields
  uint32_t image_size = 0;   // width * height * 2
  uint32_t red_mask = 0xF800;
  uint32_t green_mask = 0x07E0;
  uint32_t blue_mask = 0x001F;
};

// The bitmap windowed mode draws into and blits to the screen: a top-down
// 16-bit device-independent section with bit-field masks. The window system
// gives it its memory device context; until then the pixels are heap memory
// behind the same interface, and the header says what the section is.
class GdiBitmap : public Bitmap {
 public:
  static std::unique_ptr<GdiBitmap> create(Size size);
  ~GdiBitmap() override;

  const DibHeader& header() const { return header_; }

 private:
  GdiBitmap(int width, int height, uint8_t* pixels);
  DibHeader header_;
};

}  // namespace lv

#include "gfx/bitmap.h"

#include <cstdlib>
#include <new>

namespace lv {

Bitmap::Bitmap(int width, int height, int pitch, void* pixels)
    : Bitmap(width, height, pitch, static_cast<uint8_t*>(pixels), false) {}

Bitmap::Bitmap(int width, int height, int pitch, uint8_t* pixels, bool owns)
    : width_(width), height_(height), pitch_(pitch), pixels_(pixels), owns_pixels_(owns) {}

Bitmap::~Bitmap() = default;

namespace {

bool valid_size(Size size) {
  return size.width >= 0 && size.height >= 0 && size.width <= kMaxBitmapSide && size.height <= kMaxBitmapSide;
}

// Rows are 4-byte aligned; the block is 16-byte aligned so that vector
// stores of whole rows start aligned.
uint8_t* allocate_pixels(Size size) {
  const size_t bytes = static_cast<size_t>(Bitmap::pitch_for(size.width)) * static_cast<size_t>(size.height);
  if (bytes == 0) return nullptr;
  return static_cast<uint8_t*>(::operator new[](bytes, std::align_val_t{16}, std::nothrow));
}

void free_pixels(uint8_t* pixels) {
  if (pixels) ::operator delete[](pixels, std::align_val_t{16});
}

}  // namespace

std::unique_ptr<MemoryBitmap> MemoryBitmap::create(Size size) {
  if (!valid_size(size)) return nullptr;
  uint8_t* pixels = allocate_pixels(size);
  if (!pixels && size.width > 0 && size.height > 0) return nullptr;
  return std::unique_ptr<MemoryBitmap>(new (std::nothrow) MemoryBitmap(size.width, size.height, pixels));
}

MemoryBitmap::MemoryBitmap(int width, int height, uint8_t* pixels)
    : Bitmap(width, height, pitch_for(width), pixels, true) {}

MemoryBitmap::~MemoryBitmap() { free_pixels(pixels()); }

std::unique_ptr<GdiBitmap> GdiBitmap::create(Size size) {
  if (!valid_size(size)) return nullptr;
  uint8_t* pixels = allocate_pixels(size);
  if (!pixels && size.width > 0 && size.height > 0) return nullptr;
  return std::unique_ptr<GdiBitmap>(new (std::nothrow) GdiBitmap(size.width, size.height, pixels));
}

GdiBitmap::GdiBitmap(int width, int height, uint8_t* pixels)
    : Bitmap(width, height, pitch_for(width), pixels, true) {
  header_.width = width;
  header_.height = -height;
  header_.image_size = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 2;
}

GdiBitmap::~GdiBitmap() { free_pixels(pixels()); }

}  // namespace lv

// 16-bit bitmap files as skins and the recording mode read them.
#include <cstddef>
#include <cstdint>

#include "gfx/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lv::MemorySource source(data, size);
  std::unique_ptr<lv::Bitmap> bitmap = lv::read_bmp_565(source);
  if (bitmap) {
    // Touch every pixel of every row, so that a wrong size shows as a fault.
    volatile uint32_t sum = 0;
    for (int y = 0; y < bitmap->height(); ++y)
      for (int x = 0; x < bitmap->width(); ++x) sum = sum + bitmap->at(x, y);
  }
  return 0;
}

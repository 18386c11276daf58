// 16-bit bitmap files whose pixels are already RGB565: reading is a copy of
// rows, writing produces the frames of the recording archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "gfx/bitmap.h"

namespace lv {

// Where bytes are read from: a device file or memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes read; fewer at the end.
  virtual size_t read(void* buffer, size_t size) = 0;
  // Moves forward; false when that leaves the data.
  virtual bool skip(uint64_t count) = 0;
  // Total length of the data.
  virtual uint64_t size() const = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t read(void* buffer, size_t size) override;
  bool skip(uint64_t count) override;
  uint64_t size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

// Where bytes are written to: write returns the count written.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual size_t write(const void* data, size_t size) = 0;
};

// Reads a 16-bit bitmap file (bottom-up or top-down rows) into a new memory
// bitmap. Every header field and size is checked against the data: a file
// that is not a complete 16-bit bitmap gives null.
std::unique_ptr<Bitmap> read_bmp_565(ByteSource& source);
// The same for a device file (its full path with extension).
std::unique_ptr<Bitmap> read_bmp_565_file(std::u16string_view path);

// Writes the bitmap as a bottom-up 16-bit bitmap file with bit-field masks
// (70 bytes of headers, then rows padded to 4 bytes). True when every row and
// its padding were written in full; false at the first short row write.
bool write_bmp(const Bitmap& bitmap, ByteSink& sink);

}  // namespace lv

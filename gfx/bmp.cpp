#include "gfx/bmp.h"

#include <cstring>
#include <vector>

#include "app/file.h"

namespace lv {

size_t MemorySource::read(void* buffer, size_t size) {
  const size_t n = std::min(size, size_ - position_);
  if (n) std::memcpy(buffer, data_ + position_, n);
  position_ += n;
  return n;
}

bool MemorySource::skip(uint64_t count) {
  if (count > size_ - position_) return false;
  position_ += static_cast<size_t>(count);
  return true;
}

namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(File& file) : file_(file), size_(file.size()) {}
  size_t read(void* buffer, size_t size) override {
    size_t done = 0;
    while (done < size) {
      const size_t n = file_.read(static_cast<uint8_t*>(buffer) + done, size - done);
      if (n == 0) break;
      done += n;
    }
    position_ += done;
    return done;
  }
  bool skip(uint64_t count) override {
    if (count > size_ - position_) return false;
    if (!file_.seek(static_cast<int64_t>(count), platform::SeekOrigin::current)) return false;
    position_ += count;
    return true;
  }
  uint64_t size() const override { return size_; }

 private:
  File& file_;
  uint64_t size_;
  uint64_t position_ = 0;
};

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kWrittenHeaderSize = 70;

uint32_t u32_at(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t u16_at(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void put_u16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put_u32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Bytes per stored row: 16 bits per pixel, padded to 32 bits.
uint64_t stored_row_length(uint64_t width) { return (16 * width + 31) / 32 * 4; }

}  // namespace

std::unique_ptr<Bitmap> read_bmp_565(ByteSource& source) {
  uint8_t headers[kFileHeaderSize + kInfoHeaderSize];
  if (source.read(headers, sizeof headers) != sizeof headers) return nullptr;
  if (headers[0] != 'B' || headers[1] != 'M') return nullptr;
  const uint32_t pixel_offset = u32_at(headers + 10);
  const uint32_t info_size = u32_at(headers + 14);
  const int32_t width = static_cast<int32_t>(u32_at(headers + 18));
  const int32_t stored_height = static_cast<int32_t>(u32_at(headers + 22));
  const uint16_t bits = u16_at(headers + 28);
  if (bits != 16 || info_size < kInfoHeaderSize) return nullptr;
  // Top-down files have a negative height; INT32_MIN has no positive twin.
  const int64_t height = stored_height < 0 ? -static_cast<int64_t>(stored_height) : stored_height;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) return nullptr;
  if (pixel_offset < kFileHeaderSize + info_size) return nullptr;
  // Every row must be in the file (the last one may lack its padding), so a
  // few bytes can never ask for a large bitmap.
  const uint64_t row_length = stored_row_length(static_cast<uint64_t>(width));
  const uint64_t row_bytes = static_cast<uint64_t>(width) * 2;
  const uint64_t needed = pixel_offset + (static_cast<uint64_t>(height) - 1) * row_length + row_bytes;
  if (needed > source.size()) return nullptr;
  if (!source.skip(pixel_offset - sizeof headers)) return nullptr;

  std::unique_ptr<Bitmap> bitmap = MemoryBitmap::create({width, static_cast<int>(height)});
  if (!bitmap) return nullptr;
  const bool bottom_up = stored_height > 0;
  for (int64_t i = 0; i < height; ++i) {
    const int y = static_cast<int>(bottom_up ? height - 1 - i : i);
    if (source.read(bitmap->row(y), row_bytes) != row_bytes) return nullptr;
    if (i + 1 < height && !source.skip(row_length - row_bytes)) return nullptr;
  }
  return bitmap;
}

std::unique_ptr<Bitmap> read_bmp_565_file(std::u16string_view path) {
  File file(path, FileMode::read);
  if (!file.is_open()) return nullptr;
  FileSource source(file);
  return read_bmp_565(source);
}

bool write_bmp(const Bitmap& bitmap, ByteSink& sink) {
  const uint32_t width = static_cast<uint32_t>(bitmap.width());
  const uint32_t height = static_cast<uint32_t>(bitmap.height());
  const uint32_t row_length = static_cast<uint32_t>(stored_row_length(width));
  const uint32_t image_size = height * row_length;
  uint8_t h[kWrittenHeaderSize] = {};
  h[0] = 'B';
  h[1] = 'M';
  put_u32(h + 2, static_cast<uint32_t>(kWrittenHeaderSize) + image_size);
  put_u32(h + 10, static_cast<uint32_t>(kWrittenHeaderSize));
  put_u32(h + 14, static_cast<uint32_t>(kInfoHeaderSize));
  put_u32(h + 18, width);
  put_u32(h + 22, height);
  put_u16(h + 26, 1);
  put_u16(h + 28, 16);
  put_u32(h + 30, 3);  // bit fields
  put_u32(h + 34, image_size);
  put_u32(h + 38, 2834);  // 72 dpi
  put_u32(h + 42, 2834);
  put_u32(h + 54, 0xF800);
  put_u32(h + 58, 0x07E0);
  put_u32(h + 62, 0x001F);
  sink.write(h, sizeof h);
  // One write per row, padding included, the bottom row first.
  std::vector<uint8_t> row(row_length, 0);
  const size_t row_bytes = static_cast<size_t>(width) * 2;
  for (uint32_t i = 0; i < height; ++i) {
    std::memcpy(row.data(), bitmap.row(static_cast<int>(height - 1 - i)), row_bytes);
    if (sink.write(row.data(), row.size()) != row.size()) return false;
  }
  return true;
}

}  // namespace lv

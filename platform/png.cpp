#include "platform/png.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace platform {
namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

void set_error(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace

bool write_png_rgb565(const std::filesystem::path& file, const uint16_t* pixels, int width, int height,
                      size_t stride, std::string* error) {
  if (width <= 0 || height <= 0 || !pixels) return set_error(error, "empty picture"), false;
  FilePtr f(std::fopen(file.c_str(), "wb"));
  if (!f) return set_error(error, "cannot create " + file.string()), false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return set_error(error, "out of memory"), false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return set_error(error, "cannot write " + file.string()), false;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const auto* src = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * stride);
    for (int x = 0; x < width; ++x) {
      const uint16_t p = src[x];
      // Replicate the top bits into the low ones so white stays 255.
      const unsigned r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
      row[x * 3 + 0] = static_cast<uint8_t>((r << 3) | (r >> 2));
      row[x * 3 + 1] = static_cast<uint8_t>((g << 2) | (g >> 4));
      row[x * 3 + 2] = static_cast<uint8_t>((b << 3) | (b >> 2));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(f.get()) != 0) return set_error(error, "cannot write " + file.string()), false;
  return true;
}

bool read_png_rgba(const std::filesystem::path& file, RgbaImage& out, std::string* error, uint64_t max_pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str()))
    return set_error(error, file.string() + ": " + image.message), false;
  if (static_cast<uint64_t>(image.width) * image.height > max_pixels) {
    png_image_free(&image);
    return set_error(error, file.string() + ": picture too large"), false;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    return set_error(error, file.string() + ": " + message), false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgba = std::move(buffer);
  return true;
}

}  // namespace platform

// PNG files on the host, for screenshots, golden images and skin sources.
// The one place the project reads and writes PNG.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Writes a 16-bit RGB565 picture as an 8-bit RGB PNG. `stride` is the
// distance between rows in bytes. Returns false and fills `error` on failure.
bool write_png_rgb565(const std::filesystem::path& file, const uint16_t* pixels, int width, int height,
                      size_t stride, std::string* error = nullptr);

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4, rows top-down, not premultiplied
};

// Reads any PNG (palette, gray, 16-bit and interlaced included) as 8-bit RGBA.
// Pictures larger than `max_pixels` are refused rather than allocated.
bool read_png_rgba(const std::filesystem::path& file, RgbaImage& out, std::string* error = nullptr,
                   uint64_t max_pixels = 64ull * 1024 * 1024);

}  // namespace platform

// Pixels in the render surface's conventions, the BMP files, writing the
// outputs and the dependency file.
#include <cstdio>
#include <fstream>
#include <system_error>

#include "tools/skinc.h"

namespace skinc {

namespace {

constexpr uint16_t kKey = 0xF81F;
constexpr uint16_t kOpaqueBit = 0x0020;

constexpr uint16_t pack565(unsigned r, unsigned g, unsigned b) {
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g & 0xFC) << 3) | (b >> 3));
}

void put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Writes through a temporary file renamed into place, so that a build that
// stops half way never leaves a truncated output behind.
bool write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::filesystem::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      error = "cannot write " + temp.string();
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    error = "cannot rename " + temp.string() + " to " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

std::string depfile_path(const std::filesystem::path& p) {
  std::string out;
  for (char c : std::filesystem::absolute(p).lexically_normal().string()) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

}  // namespace

uint16_t surface_pixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  if (alpha == 0) return kKey;
  if (alpha == 255) return pack565(red, green, blue) | kOpaqueBit;
  // Weighted by the pixel's opacity, rounded to nearest, so that adding the
  // weighted background gives the blend.
  const auto weigh = [alpha](unsigned c) { return (c * alpha + 127) / 255; };
  uint16_t p = pack565(weigh(red), weigh(green), weigh(blue)) & static_cast<uint16_t>(~kOpaqueBit);
  if (p == kKey) p = static_cast<uint16_t>(kKey - 0x0800);  // one red step darker: a translucent pixel is never the key
  return p;
}

std::vector<uint8_t> encode_bmp(const Picture& picture) {
  const size_t w = static_cast<size_t>(picture.width), h = static_cast<size_t>(picture.height);
  const size_t row = (16 * w + 31) / 32 * 4;
  const size_t image = row * h;
  std::vector<uint8_t> out(70 + image, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<uint32_t>(70 + image));
  put32(out, 10, 70);
  put32(out, 14, 40);
  put32(out, 18, static_cast<uint32_t>(w));
  put32(out, 22, static_cast<uint32_t>(h));  // positive: bottom row first
  put16(out, 26, 1);
  put16(out, 28, 16);
  put32(out, 30, 3);  // bit fields
  put32(out, 34, static_cast<uint32_t>(image));
  put32(out, 38, 2834);
  put32(out, 42, 2834);
  put32(out, 54, 0xF800);
  put32(out, 58, 0x07E0);
  put32(out, 62, 0x001F);
  for (size_t y = 0; y < h; ++y) {
    const size_t at = 70 + (h - 1 - y) * row;
    for (size_t x = 0; x < w; ++x) put16(out, at + 2 * x, picture.pixels[y * w + x]);
  }
  return out;
}

bool write_outputs(const CompiledSkin& skin, const std::filesystem::path& dir, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = "cannot create " + dir.string() + ": " + ec.message();
    return false;
  }
  for (const Picture& pic : skin.pictures)
    if (!write_file(dir / (pic.name + ".bmp"), encode_bmp(pic), error)) return false;
  return write_file(dir / (skin.name + ".skin"), skin.skin, error);
}

bool write_depfile(const CompiledSkin& skin, const std::filesystem::path& depfile,
                   const std::filesystem::path& target, std::string& error) {
  std::string text = depfile_path(target) + ":";
  for (const auto& input : skin.inputs) text += " \\\n  " + depfile_path(input);
  text += "\n";
  return write_file(depfile, std::vector<uint8_t>(text.begin(), text.end()), error);
}

}  // namespace skinc

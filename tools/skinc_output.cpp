// Pixels in the render surface's conventions, the BMP files, writing the
// outputs and the dependency file.
#include <cstdio>
#include <fstream>
#include <system_error>

#include "gfx/bitmap.h"
#include "gfx/bmp.h"
#include "tools/skinc.h"

namespace skinc {

namespace {

constexpr uint16_t kKey = 0xF81F;
constexpr uint16_t kOpaqueBit = 0x0020;

constexpr uint16_t pack565(unsigned r, unsigned g, unsigned b) {
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g & 0xFC) << 3) | (b >> 3));
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
  const auto bitmap = lv::MemoryBitmap::create({picture.width, picture.height});
  if (!bitmap) return {};
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      bitmap->set(x, y, picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)]);
  struct VectorSink : lv::ByteSink {
    std::vector<uint8_t> bytes;
    size_t write(const void* data, size_t size) override {
      const auto* p = static_cast<const uint8_t*>(data);
      bytes.insert(bytes.end(), p, p + size);
      return size;
    }
  } sink;
  lv::write_bmp(*bitmap, sink);
  return std::move(sink.bytes);
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

// Builds bitmap files byte by byte, valid or damaged, for the BMP tests and
// the fuzz corpus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gfx_test {

struct BmpLayout {
  int32_t width = 2;
  int32_t height = 2;  // negative: top-down
  uint16_t bits = 16;
  uint32_t info_size = 40;
  uint32_t extra = 12;  // bytes between the headers and the rows (the masks)
  bool truncate_last_padding = false;
};

inline void put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

// `rows` in file order, each `width` pixels.
inline std::string make_bmp(const BmpLayout& layout, const std::vector<std::vector<uint16_t>>& rows) {
  const uint32_t offset = 14 + 40 + layout.extra;
  const uint32_t row_length = (16 * static_cast<uint32_t>(layout.width) + 31) / 32 * 4;
  std::string s = "BM";
  put(s, offset + row_length * static_cast<uint32_t>(rows.size()), 4);
  put(s, 0, 4);
  put(s, offset, 4);
  put(s, layout.info_size, 4);
  put(s, static_cast<uint32_t>(layout.width), 4);
  put(s, static_cast<uint32_t>(layout.height), 4);
  put(s, 1, 2);
  put(s, layout.bits, 2);
  put(s, 3, 4);
  put(s, row_length * static_cast<uint32_t>(rows.size()), 4);
  put(s, 2834, 4);
  put(s, 2834, 4);
  put(s, 0, 4);
  put(s, 0, 4);
  for (uint32_t i = 0; i < layout.extra; ++i) s += '\0';
  for (size_t r = 0; r < rows.size(); ++r) {
    for (uint16_t p : rows[r]) put(s, p, 2);
    const bool last = r + 1 == rows.size();
    if (!(last && layout.truncate_last_padding))
      for (uint32_t i = static_cast<uint32_t>(rows[r].size()) * 2; i < row_length; ++i) s += '\xEE';
  }
  return s;
}

}  // namespace gfx_test

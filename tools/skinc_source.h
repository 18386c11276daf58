// The skin source as read from its XML, before pictures are loaded and the
// binary layout is made. Internal to lumivale-skinc.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "skin/skin_file.h"
#include "tools/skinc.h"

namespace skinc {

struct SourceAttr {
  lv::AttrType type = lv::AttrType::integer;
  std::u16string name;
  int line = 0;
  int32_t integer = 0;         // int
  int16_t x = 0, y = 0;        // point
  std::u16string text;         // string, font
  lv::ColorRecord color;       // color
  // picture: the PNG's stem and the region, resolved once its size is known
  std::string file;
  bool has_rect = false, has_border = false, has_points = false;
  std::array<int64_t, 4> rect{}, border{};
  std::array<int64_t, 8> points{};
  uint8_t flag = 0;
};

struct SourceNode {
  std::u16string name;  // empty for child nodes
  int line = 0;
  std::vector<SourceAttr> attrs;
  std::vector<SourceNode> children;
};

struct SkinSource {
  std::string file;  // as named on the command line, for messages
  std::filesystem::path dir;
  std::string name;
  std::vector<SourceNode> nodes;
};

bool parse_source(const std::filesystem::path& path, SkinSource& out, Diagnostics& diag);

}  // namespace skinc

// Font descriptions come from skin files; wrapping runs over language texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/font.h"
#include "skin/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const lv::FontDesc desc = lv::parse_font_desc(text, size > 0 ? data[0] % 5 : 1);
  (void)lv::font_height_for(desc.size, desc.scale);
  if (lv::parse_font_desc(lv::to_text(desc), desc.scale) != desc) __builtin_trap();  // a description must read back as itself
  std::vector<int> extents(text.size());
  int pen = 0;
  for (size_t i = 0; i < text.size(); ++i) extents[i] = pen += text[i] % 13;
  const auto lines = lv::wrap_text(text, size > 1 ? data[1] : 0, extents, size > 2 ? data[2] % 40 : 0);
  for (const lv::TextLine& line : lines)
    if (line.start < 0 || line.length < 0 || static_cast<size_t>(line.start + line.length) > text.size())
      __builtin_trap();
  return 0;
}

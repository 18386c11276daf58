#include "skin/text.h"

#include <algorithm>

#include "app/log.h"
#include "gfx/render_surface.h"
#include "platform/text.h"

namespace lv {
namespace {

const platform::Font* font_of(const FontRep* font) { return font ? font->font() : nullptr; }

platform::TextHAlign device_halign(HAlign halign) {
  switch (halign) {
    case HAlign::center: return platform::TextHAlign::center;
    case HAlign::right: return platform::TextHAlign::right;
    case HAlign::left:
    case HAlign::justify: break;
  }
  return platform::TextHAlign::left;
}

platform::TextVAlign device_valign(VAlign valign) {
  switch (valign) {
    case VAlign::center: return platform::TextVAlign::center;
    case VAlign::bottom: return platform::TextVAlign::bottom;
    case VAlign::top: break;
  }
  return platform::TextVAlign::top;
}

// The text surface: the covered part of the target is copied here, drawn on
// and compared back. Kept between calls, grown when a larger area is needed.
RenderSurface& text_surface() {
  static RenderSurface surface;
  return surface;
}

}  // namespace

HAlign halign_from_keyword(std::u16string_view keyword) {
  if (keyword == u"LEFT") return HAlign::left;
  if (keyword == u"RIGHT") return HAlign::right;
  if (keyword == u"JUSTIFY") return HAlign::justify;
  return HAlign::center;
}

VAlign valign_from_keyword(std::u16string_view keyword) {
  if (keyword == u"TOP") return VAlign::top;
  if (keyword == u"BOTTOM") return VAlign::bottom;
  return VAlign::center;
}

Size measure_text(const FontRep* font, std::u16string_view text, int max_width, std::vector<int>* extents) {
  const platform::Font* device_font = font_of(font);
  if (!device_font) device_font = platform::stock_font();
  if (!device_font) {
    if (extents) extents->assign(text.size(), 0);
    return {0, font ? font->height() : 0};
  }
  const platform::TextExtent extent = device_font->extent(text, max_width, extents);
  return {extent.width, font ? font->height() : extent.height};
}

void draw_text(const FontRep* font, RenderSurface& surface, uint8_t red, uint8_t green, uint8_t blue,
               std::u16string_view text, Point position, Size size, HAlign halign, VAlign valign, bool ellipsis) {
  if (text.empty()) return;
  Bitmap* target = surface.target();
  if (!target) return;
  const Clip& clip = surface.clip();
  const int x0 = std::max({position.x, clip.x0, 0});
  const int y0 = std::max({position.y, clip.y0, 0});
  const int x1 = std::min({position.x + size.width, clip.x1, target->width()});
  const int y1 = std::min({position.y + size.height, clip.y1, target->height()});
  if (x0 >= x1 || y0 >= y1) return;
  const int width = x1 - x0, height = y1 - y0;

  RenderSurface& scratch = text_surface();
  const Size have = scratch.size();
  if (have.width < width || have.height < height) {
    scratch.recreate({std::max(have.width, width), std::max(have.height, height)});
    if (!scratch.target()) return;
  }
  Bitmap& work = *scratch.target();
  for (int y = 0; y < height; ++y)
    std::copy_n(target->row(y0 + y) + x0, width, work.row(y));

  const platform::PixelBuffer buffer{reinterpret_cast<uint16_t*>(work.pixels()), static_cast<size_t>(work.pitch()),
                                     width, height};
  const platform::PixelRect box{position.x - x0, position.y - y0, position.x - x0 + size.width,
                                position.y - y0 + size.height};
  platform::TextStyle style;
  style.halign = device_halign(halign);
  style.valign = device_valign(valign);
  style.end_ellipsis = ellipsis;
  style.word_ellipsis = ellipsis;
  platform::draw_text(buffer, {0, 0, width, height}, font_of(font), text, box, style, {red, green, blue});

  // Touched pixels carry the marker bit, so text never equals the key colour.
  for (int y = 0; y < height; ++y) {
    Pixel* dst = target->row(y0 + y) + x0;
    const Pixel* src = work.row(y);
    for (int x = 0; x < width; ++x)
      if (src[x] != dst[x]) dst[x] = src[x] | kOpaqueBit;
  }
}

std::vector<TextLine> wrap_text(std::u16string_view text, int max_width, const std::vector<int>& extents,
                                int first_line_indent) {
  const int length = static_cast<int>(text.size());
  std::vector<TextLine> lines;
  if (extents.size() < text.size()) {
    log() << u"wrap_text: " << static_cast<long long>(extents.size()) << u" extents for "
          << static_cast<long long>(length) << u" characters\n";
    lines.push_back({0, length});
    return lines;
  }
  std::vector<int> breaks{-1};
  for (int i = 0; i < length; ++i)
    if (text[i] < 0x21 || text[i] == 0x200B) breaks.push_back(i);
  breaks.push_back(length);

  int start = 0;
  const auto end_line = [&](int end, int next) {
    lines.push_back({start, end - start});
    start = next;
  };
  const auto extent_before = [&](int index) { return index > 0 ? extents[index - 1] : 0; };
  for (size_t k = 0; k + 1 < breaks.size(); ++k) {
    const int b = breaks[k], next_break = breaks[k + 1];
    for (int j = std::max(b, 0); j < next_break; ++j) {
      if (text[j] == u'\n') {
        end_line(j, j + 1);
        continue;
      }
      const bool indented = lines.empty() && first_line_indent != 0;
      const int w = extents[j] - extent_before(start) + (lines.empty() ? first_line_indent : 0);
      if (w <= max_width) continue;
      const int word = extents[next_break - 1] - (b >= 0 ? extents[b] : 0);
      if (word > max_width) {
        if (start < j || indented) end_line(j, j);  // the word is cut where it overflows
      } else {
        const int end = std::max(start, b);
        if (start < end || indented) end_line(end, b + 1);  // the break character is dropped
      }
    }
  }
  lines.push_back({start, length - start});
  return lines;
}

}  // namespace lv

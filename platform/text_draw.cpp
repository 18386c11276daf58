// Single-line text drawing: layout with kerning, ellipsis, alignment in the
// box, and coverage blending over the RGB565 pixels already in the buffer.
#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "platform/text_engine.h"

namespace platform {
namespace {

using text_internal::Glyph;

struct Placed {
  const Glyph* glyph;
  char32_t code_point;
  int x;  // pen position from the start of the line
};

struct Rgb8 {
  int r, g, b;
};

PixelRect intersect(const PixelRect& a, const PixelRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool is_space(char32_t c) { return c == U' ' || c == U'\t' || c == 0xA0 || c == 0x3000; }

// x / 255, rounded, for 0 <= x <= 255 * 255.
inline int div255(int x) { return ((x + 128) * 257) >> 16; }

inline Rgb8 expand(uint16_t p) {
  const int r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
  return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

inline uint16_t pack(int r, int g, int b) {
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

inline int mix(int d, int s, int a) { return div255(d * (255 - a) + s * a); }

// Lays out `text` from pen position 0; returns the line's advance.
int layout(Font::Impl& font, std::u16string_view text, std::vector<Placed>& out) {
  out.clear();
  int pen = 0;
  uint32_t previous = 0;
  for (size_t pos = 0; pos < text.size();) {
    const CodePoint cp = decode_utf16(text, pos);
    const Glyph& g = font.glyph(cp.value);
    pen += font.kern(previous, g.index);
    out.push_back({&g, cp.value, pen});
    pen += g.advance;
    previous = g.index;
    pos += cp.units;
  }
  return pen;
}

// Cuts the laid-out line so that it and "..." fit in `max_width`, and
// appends the dots. Returns the new advance.
int apply_ellipsis(Font::Impl& font, std::vector<Placed>& line, int max_width, bool at_word) {
  const Glyph& dot = font.glyph(U'.');
  const int dots_width = 3 * dot.advance + 2 * font.kern(dot.index, dot.index);
  const int available = max_width - dots_width;
  size_t keep = 0;
  while (keep < line.size() && line[keep].x + line[keep].glyph->advance <= available) ++keep;
  if (at_word && keep < line.size() && !is_space(line[keep].code_point)) {
    size_t word_end = keep;
    while (word_end > 0 && !is_space(line[word_end - 1].code_point)) --word_end;
    if (word_end > 0) keep = word_end;  // a first word that does not fit is cut anyway
  }
  while (keep > 0 && is_space(line[keep - 1].code_point)) --keep;
  line.resize(keep);
  int pen = 0;
  uint32_t previous = 0;
  if (!line.empty()) {
    pen = line.back().x + line.back().glyph->advance;
    previous = line.back().glyph->index;
  }
  for (int i = 0; i < 3; ++i) {
    pen += font.kern(previous, dot.index);
    line.push_back({&dot, U'.', pen});
    pen += dot.advance;
    previous = dot.index;
  }
  return pen;
}

void blit_glyph(const PixelBuffer& target, const PixelRect& area, const Glyph& g, int gx, int gy, Rgb8 color,
                uint16_t solid) {
  const int x0 = std::max(gx, area.left), x1 = std::min(gx + g.width, area.right);
  const int y0 = std::max(gy, area.top), y1 = std::min(gy + g.height, area.bottom);
  if (x0 >= x1 || y0 >= y1) return;
  const size_t row_bytes = static_cast<size_t>(g.width) * g.channels;
  for (int y = y0; y < y1; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(target.pixels) + target.stride * y);
    const uint8_t* cov = g.coverage.data() + row_bytes * (y - gy);
    if (g.channels == 1) {
      for (int x = x0; x < x1; ++x) {
        const int a = cov[x - gx];
        if (a == 0) continue;
        if (a == 255) {
          row[x] = solid;
          continue;
        }
        const Rgb8 d = expand(row[x]);
        row[x] = pack(mix(d.r, color.r, a), mix(d.g, color.g, a), mix(d.b, color.b, a));
      }
    } else {
      for (int x = x0; x < x1; ++x) {
        const uint8_t* c = cov + (x - gx) * 3;
        if ((c[0] | c[1] | c[2]) == 0) continue;
        if ((c[0] & c[1] & c[2]) == 255) {
          row[x] = solid;
          continue;
        }
        const Rgb8 d = expand(row[x]);
        row[x] = pack(mix(d.r, color.r, c[0]), mix(d.g, color.g, c[1]), mix(d.b, color.b, c[2]));
      }
    }
  }
}

}  // namespace

void draw_text(const PixelBuffer& target, const PixelRect& clip, const Font* font, std::u16string_view text,
               const PixelRect& box, const TextStyle& style, TextColor color) {
  if (!font) font = stock_font();
  if (!font || !target.pixels || text.empty()) return;
  const PixelRect area = intersect(intersect(clip, box), {0, 0, target.width, target.height});
  if (area.left >= area.right || area.top >= area.bottom) return;

  Font::Impl& impl = font->impl();
  static std::vector<Placed> line;  // reused: drawing happens on the user-interface thread
  int width = layout(impl, text, line);
  const int box_width = box.right - box.left;
  if ((style.end_ellipsis || style.word_ellipsis) && width > box_width)
    width = apply_ellipsis(impl, line, box_width, style.word_ellipsis && !style.end_ellipsis);

  const TextMetrics& m = impl.metrics;
  int x = box.left;
  if (style.halign == TextHAlign::center) x += (box_width - width) / 2;
  if (style.halign == TextHAlign::right) x = box.right - width;
  int y = box.top;
  if (style.valign == TextVAlign::center) y += (box.bottom - box.top - m.height) / 2;
  if (style.valign == TextVAlign::bottom) y = box.bottom - m.height;
  const int baseline = y + m.ascent;

  const Rgb8 rgb{color.red, color.green, color.blue};
  const uint16_t solid = pack(color.red, color.green, color.blue);
  for (const Placed& p : line) {
    const Glyph& g = *p.glyph;
    if (g.height > 0) blit_glyph(target, area, g, x + p.x + g.left, baseline - g.top, rgb, solid);
  }
  if (impl.logical.underline) {
    const int top = std::max(baseline + impl.underline_offset, area.top);
    const int bottom = std::min(baseline + impl.underline_offset + impl.underline_thickness, area.bottom);
    const int left = std::max(x, area.left), right = std::min(x + width, area.right);
    for (int row_y = top; row_y < bottom; ++row_y) {
      auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(target.pixels) + target.stride * row_y);
      std::fill(row + left, row + std::max(left, right), solid);
    }
  }
}

}  // namespace platform

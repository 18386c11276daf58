// Measuring, drawing and wrapping text in skin fonts on the program's
// surfaces. Drawing goes through the device's own text rendering (with its
// sub-pixel edges); every pixel the text touched gets bit 0x0020 so that
// drawn text never takes the key colour of a cache surface.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "gfx/geometry.h"
#include "skin/font.h"

namespace lv {

class RenderSurface;

// "halign": "LEFT", "CENTER", "RIGHT", "JUSTIFY" (drawn left-aligned).
enum class HAlign : int32_t { left = 0, center = 1, right = 2, justify = 3 };
// "valign": "TOP", "VCENTER", "BOTTOM"; also the vertical mode of draw_text.
enum class VAlign : int32_t { top = 0, center = 1, bottom = 2 };

// Exact, case-sensitive keywords; anything else is centred.
HAlign halign_from_keyword(std::u16string_view keyword);
VAlign valign_from_keyword(std::u16string_view keyword);

// The width of `text` in the font and the font's height. With `extents`,
// fills one cumulative extent per code unit (the width from the start of the
// string to the end of that character). A null font, or one without a
// created font, measures with the device's default font. `max_width` (-1: no
// limit) only bounds how much of the text the device fits; the whole text is
// measured.
Size measure_text(const FontRep* font, std::u16string_view text, int max_width = -1,
                  std::vector<int>* extents = nullptr);

// Draws one line of text into the box (position, size) of the surface,
// clipped by its clip: aligned horizontally as `halign` says, at the top,
// centre or bottom of the box, and cut with "..." when `ellipsis` is set and
// the text is wider than the box.
void draw_text(const FontRep* font, RenderSurface& surface, uint8_t red, uint8_t green, uint8_t blue,
               std::u16string_view text, Point position, Size size, HAlign halign, VAlign valign, bool ellipsis);

// A line of wrapped text: code units [start, start + length).
struct TextLine {
  int start = 0;
  int length = 0;
  friend bool operator==(const TextLine&, const TextLine&) = default;
};

// Breaks text into lines no wider than `max_width`, at spaces, control
// characters and U+200B; a line feed always ends a line; a word wider than
// the width is cut where it overflows. `extents` are the cumulative extents of
// measure_text; `first_line_indent` is added to the first line's width.
// Extents that do not cover the text give the whole text as one line.
std::vector<TextLine> wrap_text(std::u16string_view text, int max_width, const std::vector<int>& extents,
                                int first_line_indent = 0);

}  // namespace lv

// Fonts: a FreeType face at the logical font's size, its metrics in the
// phone's terms (cell height from the face's Windows ascent and descent, as
// the phone measures it), and the glyph cache.
#include "platform/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "platform/diag.h"
#include "platform/text_engine.h"
#include "platform/unicode.h"

namespace platform {
namespace {

constexpr double kDefaultEmPixels = 16;
// Larger sizes are refused: their glyph bitmaps would be absurd allocations.
constexpr double kMaxEmPixels = 1024;

bool is_invisible(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2064) || c == 0xFEFF;
}

int round_to_int(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

CodePoint decode_utf16(std::u16string_view text, size_t pos) {
  const char16_t unit = text[pos];
  if (unit >= 0xD800 && unit < 0xDC00 && pos + 1 < text.size()) {
    const char16_t low = text[pos + 1];
    if (low >= 0xDC00 && low < 0xE000)
      return {0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00), 2};
  }
  return {unit, 1};
}

Font::Impl::~Impl() {
  if (face) FT_Done_Face(face);
}

const text_internal::Glyph& Font::Impl::glyph(char32_t code_point) {
  std::unique_ptr<text_internal::Glyph>* slot;
  if (code_point < kDirect) {
    slot = &direct_[code_point];
  } else {
    slot = &others_[code_point];
  }
  if (!*slot) *slot = std::make_unique<text_internal::Glyph>(render(code_point));
  return **slot;
}

int Font::Impl::kern(uint32_t left_index, uint32_t right_index) const {
  if (!kerning || left_index == 0 || right_index == 0) return 0;
  FT_Vector delta{};
  if (FT_Get_Kerning(face, left_index, right_index, FT_KERNING_DEFAULT, &delta) != 0) return 0;
  return static_cast<int>((delta.x + 32) >> 6);
}

text_internal::Glyph Font::Impl::render(char32_t code_point) {
  text_internal::Glyph out;
  const FT_UInt index = FT_Get_Char_Index(face, code_point);
  if (index == 0 && is_invisible(code_point)) return out;
  if (FT_Load_Glyph(face, index, load_flags) != 0) return out;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (synthetic_italic) FT_GlyphSlot_Oblique(slot);
    if (synthetic_bold) FT_GlyphSlot_Embolden(slot);
  }
  out.index = index;
  out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, render_mode) != 0 &&
      (render_mode == FT_RENDER_MODE_NORMAL || FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0))
    return out;

  const FT_Bitmap& bitmap = slot->bitmap;
  out.left = slot->bitmap_left;
  out.top = slot->bitmap_top;
  out.height = static_cast<int>(bitmap.rows);
  const int pitch = bitmap.pitch;
  const auto row_at = [&](int y) {
    return pitch >= 0 ? bitmap.buffer + static_cast<ptrdiff_t>(y) * pitch
                      : bitmap.buffer + static_cast<ptrdiff_t>(out.height - 1 - y) * -pitch;
  };
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_LCD:
      out.channels = 3;
      out.width = static_cast<int>(bitmap.width / 3);
      break;
    case FT_PIXEL_MODE_GRAY:
    case FT_PIXEL_MODE_MONO:
      out.width = static_cast<int>(bitmap.width);
      break;
    default:
      out.height = 0;  // colour bitmaps and the like are not drawn
      return out;
  }
  const size_t row_bytes = static_cast<size_t>(out.width) * out.channels;
  out.coverage.resize(row_bytes * out.height);
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* src = row_at(y);
    uint8_t* dst = out.coverage.data() + row_bytes * y;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int x = 0; x < out.width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    } else {
      std::copy(src, src + row_bytes, dst);
    }
  }
  return out;
}

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

const TextMetrics& Font::metrics() const { return impl_->metrics; }
const LogFont& Font::logical() const { return impl_->logical; }
const std::string& Font::file() const { return impl_->file; }
const std::string& Font::family() const { return impl_->family; }
bool Font::synthetic_bold() const { return impl_->synthetic_bold; }
bool Font::synthetic_italic() const { return impl_->synthetic_italic; }

std::unique_ptr<Font> Font::create(const LogFont& logical) {
  auto engine = text_internal::Engine::instance();
  if (!engine) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->engine = engine;
  impl->logical = logical;
  if (impl->logical.face.size() > kFaceNameMax) impl->logical.face.resize(kFaceNameMax);
  const bool bold = logical.weight >= 600;
  const std::string family = impl->logical.face.empty() ? std::string("Tahoma") : to_utf8(impl->logical.face);
  const auto resolved = engine->resolve(family, bold, logical.italic);
  if (!resolved) return nullptr;
  if (FT_New_Face(engine->library(), resolved->file.c_str(), resolved->index, &impl->face) != 0) {
    diag("text", "cannot load the face " + resolved->file);
    impl->face = nullptr;
    return nullptr;
  }
  FT_Face face = impl->face;
  if (!FT_IS_SCALABLE(face)) {
    diag("text", "the face " + resolved->file + " is not scalable");
    return nullptr;
  }
  impl->file = resolved->file;
  impl->family = resolved->family;
  // The face file's own style decides what has to be synthesized (the
  // configuration's match result already pretends to have the asked style).
  const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const bool face_bold = (face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
  impl->synthetic_bold = bold && !face_bold;
  impl->synthetic_italic = logical.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  impl->kerning = FT_HAS_KERNING(face);

  // The cell: the face's Windows ascent and descent, which is what the phone
  // uses for line heights and what keeps accents inside the cell.
  const double units = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  double win_ascent = face->ascender, win_descent = -face->descender;
  double line_gap = 0, hhea_ascent = face->ascender, hhea_descent = -face->descender;
  double average_width = 0;
  if (os2 && os2->version != 0xFFFF) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      win_ascent = os2->usWinAscent;
      win_descent = os2->usWinDescent;
    }
    average_width = os2->xAvgCharWidth;
  }
  if (const auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)))
    line_gap = hhea->Line_Gap;
  if (win_ascent + win_descent <= 0) {
    win_ascent = units * 0.8;
    win_descent = units * 0.2;
  }

  double em = kDefaultEmPixels;
  if (logical.height < 0) em = -static_cast<double>(logical.height);
  if (logical.height > 0) em = logical.height * units / (win_ascent + win_descent);
  if (em > kMaxEmPixels) {
    diag("text", "font height " + std::to_string(logical.height) + " refused");
    return nullptr;
  }
  em = std::max(em, 1.0);
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72) != 0) {
    diag("text", "cannot size the face " + resolved->file);
    return nullptr;
  }
  const double scale = em / units;
  TextMetrics& m = impl->metrics;
  m.ascent = round_to_int(win_ascent * scale);
  m.descent = logical.height > 0 ? logical.height - m.ascent : round_to_int(win_descent * scale);
  m.height = m.ascent + m.descent;
  m.internal_leading = std::max(0, m.height - round_to_int(em));
  m.external_leading =
      std::max(0, round_to_int((line_gap - ((win_ascent + win_descent) - (hhea_ascent + hhea_descent))) * scale));
  m.max_char_width = round_to_int(face->max_advance_width * scale);
  m.weight = bold ? std::max(logical.weight, 600) : logical.weight;
  m.italic = logical.italic;
  m.underline = logical.underline;

  const bool lcd = logical.quality == FontQuality::cleartype && engine->lcd_available();
  impl->load_flags = FT_LOAD_NO_BITMAP | (logical.quality == FontQuality::non_antialiased ? FT_LOAD_TARGET_MONO
                                          : lcd                                            ? FT_LOAD_TARGET_LCD
                                                                                           : FT_LOAD_TARGET_NORMAL);
  impl->render_mode = logical.quality == FontQuality::non_antialiased ? FT_RENDER_MODE_MONO
                      : lcd                                           ? FT_RENDER_MODE_LCD
                                                                      : FT_RENDER_MODE_NORMAL;
  if (average_width <= 0) average_width = impl->glyph(U'x').advance / scale;
  m.average_char_width = round_to_int(average_width * scale);

  // The underline sits inside the descent so that drawing stays in the cell.
  impl->underline_thickness = std::max(1, round_to_int(face->underline_thickness * scale));
  impl->underline_offset = std::max(1, round_to_int(-face->underline_position * scale) - impl->underline_thickness / 2);
  if (impl->underline_offset + impl->underline_thickness > m.descent)
    impl->underline_offset = std::max(0, m.descent - impl->underline_thickness);
  return std::unique_ptr<Font>(new Font(std::move(impl)));
}

TextExtent Font::extent(std::u16string_view text, int max_width, std::vector<int>* cumulative) const {
  TextExtent out;
  out.height = impl_->metrics.height;
  if (cumulative) cumulative->assign(text.size(), 0);
  int pen = 0;
  uint32_t previous = 0;
  bool fitting = true;
  for (size_t pos = 0; pos < text.size();) {
    const CodePoint cp = decode_utf16(text, pos);
    const text_internal::Glyph& g = impl_->glyph(cp.value);
    pen += impl_->kern(previous, g.index) + g.advance;
    previous = g.index;
    for (size_t i = 0; i < cp.units; ++i)
      if (cumulative) (*cumulative)[pos + i] = pen;
    if (fitting && (max_width < 0 || pen <= max_width))
      out.fit = static_cast<int>(pos + cp.units);
    else
      fitting = false;
    pos += cp.units;
  }
  out.width = pen;
  return out;
}

const Font* stock_font() {
  static const std::unique_ptr<Font> font = [] {
    LogFont logical;
    logical.height = -12;
    logical.face = u"Tahoma";
    return Font::create(logical);
  }();
  return font.get();
}

}  // namespace platform

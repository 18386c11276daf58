// Skin fonts: the font description a skin names, and the shared created font
// with its metrics. Fonts are created once per distinct description for the
// whole run (creation is slow on the devices) and kept in one cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class Font;
}

namespace lv {

inline constexpr std::u16string_view kDefaultFontFace = u"Tahoma";

struct FontDesc {
  int32_t size = 12;  // points at 96 dpi
  int32_t scale = 1;  // multiplier of the size: 2 to the power of the display's scale shift
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::u16string face = std::u16string(kDefaultFontFace);

  // Exact comparison of every field, the face included.
  friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// Reads the textual form of a skin's font description: size, bold, italic and
// underline as decimal integers (optionally signed, a flag is true when
// nonzero), separated by whitespace, then after more whitespace the rest of
// the string, spaces included, as the face name ("12 1 0 0 Tahoma" is a
// 12-point bold Tahoma). Parsing stops at the first item that is missing or
// not a number; what was read so far keeps its value, the rest its default.
// Numbers beyond the 32-bit range saturate. `scale` is the description's scale.
FontDesc parse_font_desc(std::u16string_view text, int32_t scale = 1);
// The textual form of a description (its scale is not part of it).
std::u16string to_text(const FontDesc& desc);

// The logical font height for size * scale points: a negative height asks for
// a character height in pixels. Sizes up to 19 use the device's rounding table
// (12 gives -16), larger ones -(a * 96) / 72 truncated towards zero.
int32_t font_height_for(int32_t size, int32_t scale);

// A created font and its metrics, shared by the skin's font table, elements
// and the font cache.
class FontRep {
 public:
  // A size of 0 makes no font: `font()` is null and text drawn with it uses the
  // device's default font. A font that cannot be created is logged and null too.
  explicit FontRep(const FontDesc& desc);
  ~FontRep();
  FontRep(const FontRep&) = delete;
  FontRep& operator=(const FontRep&) = delete;

  const FontDesc& desc() const { return desc_; }
  const platform::Font* font() const { return font_.get(); }
  int descent() const { return descent_; }
  int height() const { return height_; }
  int internal_leading() const { return internal_leading_; }

 private:
  FontDesc desc_;
  std::unique_ptr<platform::Font> font_;
  int descent_ = 0;
  int height_ = 0;
  int internal_leading_ = 0;
};

using FontRef = std::shared_ptr<const FontRep>;

// The cached font of a description, created and added when absent. Entries
// stay until the program ends.
FontRef get_font(const FontDesc& desc);
// How many fonts the cache holds.
size_t font_cache_size();

}  // namespace lv

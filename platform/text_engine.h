// Inside the text services: the FreeType library, the font configuration
// that finds faces, and a font's glyph cache. Only platform/text*.cpp use it.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/text.h"

typedef struct _FcConfig FcConfig;

namespace platform::text_internal {

// Where the phone's core fonts are installed on the host. They are not in the
// host's font folders, so the device's own font configuration adds them.
inline constexpr const char* kCoreFontDir = "/usr/share/wine/fonts";

struct ResolvedFace {
  std::string file;
  int index = 0;
  std::string family;
};

// One per process, kept alive by every font so that faces are released
// before the library whatever the order of static destruction.
class Engine {
 public:
  static std::shared_ptr<Engine> instance();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  FT_Library library() const { return library_; }
  bool lcd_available() const { return lcd_available_; }
  // The installed face for a family name and style, following the fallback
  // chain; nullopt when nothing can be found.
  std::optional<ResolvedFace> resolve(const std::string& family, bool bold, bool italic);

 private:
  Engine();
  std::optional<ResolvedFace> match(const std::string& family, bool bold, bool italic, bool require_family);

  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
  bool lcd_available_ = false;
  std::unordered_map<std::string, std::optional<ResolvedFace>> resolved_;
};

// A rendered glyph: coverage rows of `width` pixels, one byte per pixel
// (grayscale) or three (red, green, blue sub-pixel coverage).
struct Glyph {
  uint32_t index = 0;  // glyph index in the face, for kerning
  int advance = 0;     // pixels
  int left = 0;        // from the pen position to the first column
  int top = 0;         // from the baseline up to the first row
  int width = 0;
  int height = 0;
  int channels = 1;
  std::vector<uint8_t> coverage;
};

}  // namespace platform::text_internal

namespace platform {

struct Font::Impl {
  std::shared_ptr<text_internal::Engine> engine;
  FT_Face face = nullptr;
  LogFont logical;
  TextMetrics metrics;
  std::string file;
  std::string family;
  bool synthetic_bold = false;
  bool synthetic_italic = false;
  bool kerning = false;
  int32_t load_flags = 0;
  FT_Render_Mode render_mode = FT_RENDER_MODE_NORMAL;
  int underline_offset = 0;  // rows below the baseline
  int underline_thickness = 1;

  ~Impl();
  // The cached glyph of a code point, rendered on first use.
  const text_internal::Glyph& glyph(char32_t code_point);
  // Kerning between two glyphs in pixels (0 when the face has none).
  int kern(uint32_t left_index, uint32_t right_index) const;

 private:
  text_internal::Glyph render(char32_t code_point);

  static constexpr char32_t kDirect = 0x0530;  // Latin, Greek and Cyrillic without hashing
  std::array<std::unique_ptr<text_internal::Glyph>, kDirect> direct_;
  std::unordered_map<char32_t, std::unique_ptr<text_internal::Glyph>> others_;
};

// A code point and the code units it came from.
struct CodePoint {
  char32_t value;
  size_t units;
};
// Decodes UTF-16 at `pos`; lone surrogates are returned as themselves.
CodePoint decode_utf16(std::u16string_view text, size_t pos);

}  // namespace platform

// The phone's text services: fonts made from a logical font, their metrics,
// text extents and single-line drawing into 16-bit RGB565 pixel buffers.
//
// Faces are found through the device's font configuration (our own font
// configuration with the phone's core fonts added); rendering is anti-aliased,
// with sub-pixel (LCD-optimised) edges for the "cleartype" quality. Glyphs are
// rendered once per font and kept, so drawing the same labels again is cheap.
//
// Fonts, like everything of the user-interface thread, are not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How glyph edges are rendered.
enum class FontQuality : uint8_t {
  default_quality = 0,  // grayscale anti-aliasing
  draft = 1,            // grayscale anti-aliasing
  proof = 2,            // grayscale anti-aliasing
  non_antialiased = 3,  // one bit per pixel
  antialiased = 4,      // grayscale anti-aliasing
  cleartype = 5,        // sub-pixel (LCD-optimised); grayscale when unavailable
};

inline constexpr int kWeightNormal = 400;
inline constexpr int kWeightBold = 700;
// A logical font's face name holds at most this many characters; longer names are cut.
inline constexpr size_t kFaceNameMax = 31;

struct LogFont {
  // < 0: character height (em size) in pixels; > 0: cell height (ascent plus
  // descent) in pixels; 0: the default character height of 16 pixels.
  int height = 0;
  int weight = kWeightNormal;  // 100-900; 600 and above is bold
  bool italic = false;
  bool underline = false;
  FontQuality quality = FontQuality::cleartype;
  std::u16string face;  // empty: the default face "Tahoma"
};

struct TextMetrics {
  int height = 0;            // ascent + descent: the line's cell height
  int ascent = 0;            // baseline to the top of the cell
  int descent = 0;           // baseline to the bottom of the cell
  int internal_leading = 0;  // height minus the character (em) height
  int external_leading = 0;  // extra space the face suggests between lines
  int average_char_width = 0;
  int max_char_width = 0;
  int weight = kWeightNormal;
  bool italic = false;
  bool underline = false;
};

struct TextExtent {
  int width = 0;   // the advance of the whole string, kerning included
  int height = 0;  // the font's cell height
  int fit = 0;     // code units whose cumulative extent is within the maximum width
};

class Font {
 public:
  // The face is chosen by name through the font configuration; a name that is
  // not installed falls back to "Liberation Sans", "DejaVu Sans Condensed",
  // "DejaVu Sans" and last to the configuration's own choice. Bold and italic
  // come from the face's own styles where installed and are synthesized
  // otherwise. Null when no face can be loaded at all.
  static std::unique_ptr<Font> create(const LogFont& logical);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const TextMetrics& metrics() const;
  const LogFont& logical() const;
  // Which installed face is used: its host file, family name and whether
  // bold or italic had to be synthesized.
  const std::string& file() const;
  const std::string& family() const;
  bool synthetic_bold() const;
  bool synthetic_italic() const;

  // Measures `text`. With `cumulative`, fills one entry per code unit: the
  // width from the start of the string to the end of that character (the two
  // halves of a surrogate pair get the same entry). `max_width` < 0 means no
  // limit for `fit`.
  TextExtent extent(std::u16string_view text, int max_width = -1,
                    std::vector<int>* cumulative = nullptr) const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The font used where none is selected: "Tahoma" at a character height of 12.
const Font* stock_font();

// A 16-bit RGB565 pixel buffer the text services draw into. `stride` is the
// distance between rows in bytes.
struct PixelBuffer {
  uint16_t* pixels = nullptr;
  size_t stride = 0;
  int width = 0;
  int height = 0;
};

// A rectangle from (left, top) inclusive to (right, bottom) exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

enum class TextHAlign : uint8_t { left, center, right };
enum class TextVAlign : uint8_t { top, center, bottom };

// Single-line drawing options. The background is always transparent.
struct TextStyle {
  TextHAlign halign = TextHAlign::left;
  TextVAlign valign = TextVAlign::top;
  // A text wider than the box is cut and ends in "...": at the character with
  // `end_ellipsis`, after the last whole word that fits with `word_ellipsis`
  // alone (a first word that does not fit is cut at the character).
  bool end_ellipsis = false;
  bool word_ellipsis = false;
};

struct TextColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// Draws one line of `text` into `box` of `target`, aligned as `style` says;
// nothing outside `clip`, `box` or the buffer is touched. Pixels the glyphs
// do not cover keep their value; edge pixels are blended over them. A null
// font draws with the stock font.
void draw_text(const PixelBuffer& target, const PixelRect& clip, const Font* font, std::u16string_view text,
               const PixelRect& box, const TextStyle& style, TextColor color);

}  // namespace platform

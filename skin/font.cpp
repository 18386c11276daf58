#include "skin/font.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>
#include <vector>

#include "app/log.h"
#include "platform/text.h"

namespace lv {
namespace {

// The wide-character space class of the device: the ASCII spaces and
// controls \t \n \v \f \r, and the Unicode spaces (no-break spaces excluded).
bool is_wide_space(char16_t c) {
  return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1680 || (c >= 0x2000 && c <= 0x2006) ||
         (c >= 0x2008 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x205F || c == 0x3000;
}

// Reads an optionally signed decimal integer after optional whitespace;
// nullopt when there is none (and `pos` is left where it was).
std::optional<int32_t> read_integer(std::u16string_view text, size_t& pos) {
  size_t i = pos;
  while (i < text.size() && is_wide_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return std::nullopt;
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    value = std::min(value * 10 + (text[i] - u'0'), kLimit);
  pos = i;
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

// Pixel character heights of the small sizes, as the device rounds them.
constexpr int32_t kSmallHeights[20] = {0, 1, 3, 4, 6, 7, 8, 10, 11, 12, 14, 15, 16, 18, 19, 20, 21, 23, 24, 25};

std::vector<std::pair<FontDesc, FontRef>>& cache() {
  static std::vector<std::pair<FontDesc, FontRef>> entries;
  return entries;
}

}  // namespace

FontDesc parse_font_desc(std::u16string_view text, int32_t scale) {
  FontDesc desc;
  desc.scale = scale;
  size_t pos = 0;
  const auto size = read_integer(text, pos);
  if (!size) return desc;
  desc.size = *size;
  bool* const flags[] = {&desc.bold, &desc.italic, &desc.underline};
  for (bool* flag : flags) {
    const auto value = read_integer(text, pos);
    if (!value) return desc;
    *flag = *value != 0;
  }
  while (pos < text.size() && is_wide_space(text[pos])) ++pos;
  if (pos < text.size()) desc.face = std::u16string(text.substr(pos));
  return desc;
}

std::u16string to_text(const FontDesc& desc) {
  const std::string numbers = std::to_string(desc.size) + (desc.bold ? " 1" : " 0") + (desc.italic ? " 1" : " 0") +
                              (desc.underline ? " 1 " : " 0 ");
  return std::u16string(numbers.begin(), numbers.end()) + desc.face;
}

int32_t font_height_for(int32_t size, int32_t scale) {
  const int64_t a = int64_t{size} * scale;
  if (a >= 0 && a <= 19) return -kSmallHeights[a];
  const int64_t height = -(a * 96) / 72;
  return static_cast<int32_t>(std::clamp<int64_t>(height, std::numeric_limits<int32_t>::min() + 1,
                                                  std::numeric_limits<int32_t>::max()));
}

FontRep::FontRep(const FontDesc& desc) : desc_(desc) {
  if (desc.size == 0) return;
  const auto started = std::chrono::steady_clock::now();
  platform::LogFont logical;
  logical.height = font_height_for(desc.size, desc.scale);
  logical.weight = desc.bold ? platform::kWeightBold : platform::kWeightNormal;
  logical.italic = desc.italic;
  logical.underline = desc.underline;
  logical.quality = platform::FontQuality::cleartype;
  logical.face = desc.face.substr(0, platform::kFaceNameMax);
  font_ = platform::Font::create(logical);
  if (!font_) log() << "ERROR: FontRep::FontRep() Failed to create font\n";
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
  log() << u"Creating font: {" << desc.face << u"} elapsed=" << elapsed.count() << u"\n";

  // Without a font of its own the device's default font is in effect.
  const platform::Font* in_effect = font_ ? font_.get() : platform::stock_font();
  if (!in_effect) {
    log() << u"GetTextMetrics failed: {" << desc.face << u"}\n";
    return;
  }
  const platform::TextMetrics& metrics = in_effect->metrics();
  descent_ = metrics.descent;
  height_ = metrics.height;
  internal_leading_ = metrics.internal_leading;
}

FontRep::~FontRep() = default;

FontRef get_font(const FontDesc& desc) {
  auto& entries = cache();
  for (const auto& [known, font] : entries)
    if (known == desc) return font;
  FontRef font = std::make_shared<const FontRep>(desc);
  entries.emplace_back(desc, font);
  return font;
}

size_t font_cache_size() { return cache().size(); }

}  // namespace lv

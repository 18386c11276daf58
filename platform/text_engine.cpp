#include "platform/text_engine.h"

#include <fontconfig/fontconfig.h>

#include FT_LCD_FILTER_H

#include <algorithm>
#include <mutex>

#include "platform/diag.h"

namespace platform::text_internal {
namespace {

// Tried in this order when the named family is not installed: metric-compatible
// sans faces first, then the always-present default.
constexpr const char* kFallbackFamilies[] = {"Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans"};

std::string lower_ascii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

bool has_family(FcPattern* pattern, const std::string& wanted) {
  const std::string lowered = lower_ascii(wanted);
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (lower_ascii(reinterpret_cast<const char*>(name)) == lowered) return true;
  return false;
}

}  // namespace

std::shared_ptr<Engine> Engine::instance() {
  static std::mutex lock;
  static std::weak_ptr<Engine> current;
  const std::lock_guard guard(lock);
  auto engine = current.lock();
  if (!engine) {
    engine = std::shared_ptr<Engine>(new Engine());
    if (!engine->library_) return nullptr;
    current = engine;
  }
  return engine;
}

Engine::Engine() {
  if (FT_Init_FreeType(&library_) != 0) {
    diag("text", "the font rasterizer could not be started");
    library_ = nullptr;
    return;
  }
  // Sub-pixel rendering with the default colour filter; builds without the
  // filter still render sub-pixel coverage their own way.
  const FT_Error lcd = FT_Library_SetLcdFilter(library_, FT_LCD_FILTER_DEFAULT);
  lcd_available_ = lcd == 0 || lcd == FT_Err_Unimplemented_Feature;

  // The device's own configuration: the host's font folders plus the core fonts.
  config_ = FcInitLoadConfigAndFonts();
  if (!config_) {
    diag("text", "the font configuration could not be loaded");
    return;
  }
  if (!FcConfigAppFontAddDir(config_, reinterpret_cast<const FcChar8*>(kCoreFontDir)))
    diag("text", std::string("the core fonts are missing in ") + kCoreFontDir);
}

Engine::~Engine() {
  if (config_) FcConfigDestroy(config_);
  if (library_) FT_Done_FreeType(library_);
}

std::optional<ResolvedFace> Engine::match(const std::string& family, bool bold, bool italic,
                                          bool require_family) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return std::nullopt;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);  // never the core bitmap fonts
  FcConfigSubstitute(config_, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(config_, pattern, &result);
  FcPatternDestroy(pattern);
  if (!found) return std::nullopt;

  std::optional<ResolvedFace> face;
  FcChar8* file = nullptr;
  FcBool scalable = FcFalse;
  FcPatternGetBool(found, FC_SCALABLE, 0, &scalable);
  if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && scalable &&
      (!require_family || has_family(found, family))) {
    face.emplace();
    face->file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(found, FC_INDEX, 0, &face->index);
    FcChar8* name = nullptr;
    if (FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch)
      face->family = reinterpret_cast<const char*>(name);
  }
  FcPatternDestroy(found);
  return face;
}

std::optional<ResolvedFace> Engine::resolve(const std::string& family, bool bold, bool italic) {
  if (!config_) return std::nullopt;
  const std::string key = lower_ascii(family) + (bold ? "|b" : "|") + (italic ? "i" : "");
  if (const auto it = resolved_.find(key); it != resolved_.end()) return it->second;

  auto face = match(family, bold, italic, true);
  for (const char* fallback : kFallbackFamilies) {
    if (face) break;
    face = match(fallback, bold, italic, true);
  }
  if (!face) face = match(family, bold, italic, false);
  if (!face) diag("text", "no installed face for \"" + family + "\"");
  resolved_.emplace(key, face);
  return face;
}

}  // namespace platform::text_internal

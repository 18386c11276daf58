// A loaded skin: the checked file image with its pictures, fonts and strings,
// answering where a named node is and what a node's typed attributes hold.
// Every lookup has a default answer; none fails.
//
//   Properties skin;
//   if (skin.load_skin(u"%app_path%/skins/bin/splash.skin", scale_shift_for_dpi(dpi))) {
//     NodeRecord splash = skin.find_node(u"Splash");
//     Point size = skin.get_point(splash, u"design_size", {0, 0});
//   }
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/geometry.h"
#include "gfx/picture.h"
#include "skin/color.h"
#include "skin/language.h"
#include "skin/font.h"
#include "skin/skin_file.h"

namespace lv {

// Skins are drawn for 96 dpi: 0; 1 above 191 dpi; 2 above 383 dpi.
constexpr int scale_shift_for_dpi(int dpi) { return dpi > 383 ? 2 : dpi > 191 ? 1 : 0; }

class Properties;

// Something that depends on skin data and must hear when a new skin replaces
// the old one. Registers itself at construction (at the end of the list) and
// removes itself at destruction.
class ReloadListener {
 public:
  explicit ReloadListener(Properties& properties);
  virtual ~ReloadListener();
  ReloadListener(const ReloadListener&) = delete;
  ReloadListener& operator=(const ReloadListener&) = delete;

  virtual void reload_skin(Properties& properties) = 0;

 private:
  friend class Properties;
  Properties* properties_;
};

// Seconds between laps, for the load times in the log.
class LapTimer {
 public:
  LapTimer();
  double lap();

 private:
  uint32_t start_;
};

// The loading half: one skin file read, checked and with every picture and
// font made. A failed load leaves it without a file (loaded() is false).
class PropertiesImpl {
 public:
  PropertiesImpl(std::u16string_view path, int scale_shift);
  bool loaded() const { return file_ != nullptr; }

 private:
  friend class Properties;
  bool load_pictures(const std::u16string& directory, LapTimer& timer);
  std::unique_ptr<SkinFile> file_;
  std::vector<PictureView> pictures_;
  std::vector<FontRef> fonts_;
  std::vector<std::u16string> strings_;
  int scale_shift_ = 0;
};

class Properties {
 public:
  Properties();
  ~Properties();
  Properties(const Properties&) = delete;
  Properties& operator=(const Properties&) = delete;

  // Loads the skin file (a device path; macros are expanded) for the scale
  // shift. On success the new skin replaces the current one; on failure the
  // current one stays. Does not tell the reload listeners.
  bool load_skin(std::u16string_view path, int scale_shift);
  bool is_loaded() const { return skin_ != nullptr; }
  const std::u16string& path() const { return path_; }
  int scale_shift() const { return skin_ ? skin_->scale_shift_ : 0; }
  // The checked file image, for diagnostics; null while nothing is loaded.
  const SkinFile* file() const { return skin_ ? skin_->file_.get() : nullptr; }

  // The named node's record, or null. Records stay valid until the skin is
  // replaced.
  NodeRecord find_node(std::u16string_view name) const;

  // Each getter searches only the attributes of its own type.
  int32_t get_integer(NodeRecord node, std::u16string_view name, int32_t fallback) const;
  // Scaled by the scale shift; the fallback is returned as given.
  Point get_point(NodeRecord node, std::u16string_view name, Point fallback) const;
  const std::u16string& get_string(NodeRecord node, std::u16string_view name, const std::u16string& fallback) const;
  // Alpha is always 255 for a stored colour.
  Color get_color(NodeRecord node, std::u16string_view name, Color fallback) const;
  // The region of the picture, scaled, with level = scale shift.
  PictureView get_picture(NodeRecord node, std::u16string_view name, const PictureView& fallback) const;
  FontRef get_font(NodeRecord node, std::u16string_view name, FontRef fallback) const;

  // The language table every shown text is looked up in.
  LanguageTable& language() { return language_; }
  const LanguageTable& language() const { return language_; }
  // The language text of a key, or the key itself.
  std::u16string text(std::u16string_view key) const { return language_.text(key); }
  std::u16string text_or(std::u16string_view key, std::u16string_view fallback) const {
    return language_.text_or(key, fallback);
  }

  // Calls reload_skin on every listener in registration order and logs the
  // time it took.
  void send_reload_skin();

 private:
  friend class ReloadListener;
  void add_listener(ReloadListener* listener);
  void remove_listener(ReloadListener* listener);

  std::unique_ptr<PropertiesImpl> skin_;
  std::u16string path_;
  std::vector<ReloadListener*> listeners_;
  LanguageTable language_;
  bool dispatching_ = false;
};

// Loads the user's skin: the registry string "Skin" under the product key
// names it; tried in order, stopping at the first that loads:
//   base + "/skins/bin/" + name + ".skin", base + "/skins/bin/default.skin",
//   then every "*.skin" in base + "/skins/bin" in the order they are listed.
// `base` is "%app_path%" unless the caller has another one.
bool load_user_skin(Properties& properties, int scale_shift, std::u16string_view base = u"%app_path%");

}  // namespace lv

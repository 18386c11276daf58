// Language tables: every text the program shows is looked up by key in a
// table loaded from a language file ("%app_path%/<name>.lng").
//
// File format: UTF-16LE after the bytes FF FE, otherwise 8-bit text (one code
// unit per byte). One "key=text" or "key text" per line; no escapes, comments
// or sections; the last line of a repeated key wins.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lv {

class LanguageTable {
 public:
  // Parses the bytes of a language file; never fails.
  static LanguageTable parse(std::span<const uint8_t> bytes);

  // load_language: reads and parses the file; on success the table and its
  // path are replaced, on failure both are kept.
  bool load(std::u16string_view path);

  // The text for a key, or the key itself when the table has none.
  std::u16string text(std::u16string_view key) const;
  std::u16string text_or(std::u16string_view key, std::u16string_view fallback) const;
  bool has(std::u16string_view key) const { return texts_.contains(std::u16string(key)); }
  size_t size() const { return texts_.size(); }
  // The file the table came from (as given to load), empty before the first load.
  const std::u16string& path() const { return path_; }

 private:
  std::unordered_map<std::u16string, std::u16string> texts_;
  std::u16string path_;
};

// The upper-case English name of a primary language ("RUSSIAN" for 25), from
// the low 10 bits of a user-interface language identifier; empty when unknown.
std::u16string system_language_name(uint32_t ui_language_id);

// The start-up choice: the registry's "Language" under the product key, then
// the device's language, then "english", then every language file in turn.
// `product_key` is e.g. u"Lumivale".
bool load_user_language(LanguageTable& table, std::u16string_view product_key, uint32_t ui_language_id);

// The "*.lng" files in "%app_path%", sorted by path in code-unit order.
std::vector<std::u16string> language_files();
// The selectable "*.skin" files in "%app_path%/skins/bin", sorted by path.
std::vector<std::u16string> selectable_skins();
// False for the splash screen's and the fixed screen's skins: base names
// starting with "splash" or "today", in any case.
bool is_selectable_skin(std::u16string_view base_name);
bool more_than_one_language();
bool more_than_one_skin();

// The file name without folder and extension.
std::u16string base_name(std::u16string_view path);

}  // namespace lv

#include "skin/language.h"

#include <algorithm>
#include <array>

#include "app/file.h"
#include "app/log.h"
#include "app/paths.h"
#include "app/registry.h"
#include "platform/files.h"
#include "platform/unicode.h"

namespace lv {
namespace {

// Larger files are not language files; refusing them keeps a stray file from
// costing the whole memory.
constexpr uint64_t kMaxLanguageFileBytes = 16u * 1024 * 1024;

bool is_space(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool is_line_end(char16_t c) { return c == u'\r' || c == u'\n'; }

std::u16string decode(std::span<const uint8_t> bytes) {
  std::u16string text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    text.reserve((bytes.size() - 2) / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  } else {
    text.reserve(bytes.size());
    for (uint8_t b : bytes) text += static_cast<char16_t>(b);
  }
  return text;
}

// Index 0-98: the primary language identifiers of the phone.
constexpr std::array<std::u16string_view, 99> kLanguageNames = [] {
  std::array<std::u16string_view, 99> n{};
  n[1] = u"ARABIC", n[2] = u"BULGARIAN", n[3] = u"CATALAN", n[4] = u"CHINESE", n[5] = u"CZECH";
  n[6] = u"DANISH", n[7] = u"GERMAN", n[8] = u"GREEK", n[9] = u"ENGLISH", n[10] = u"SPANISH";
  n[11] = u"FINNISH", n[12] = u"FRENCH", n[13] = u"HEBREW", n[14] = u"HUNGARIAN", n[15] = u"ICELANDIC";
  n[16] = u"ITALIAN", n[17] = u"JAPANESE", n[18] = u"KOREAN", n[19] = u"DUTCH", n[20] = u"NORWEGIAN";
  n[21] = u"POLISH", n[22] = u"PORTUGUESE", n[24] = u"ROMANIAN", n[25] = u"RUSSIAN", n[26] = u"CROATIAN";
  n[27] = u"SLOVAK", n[28] = u"ALBANIAN", n[29] = u"SWEDISH", n[30] = u"THAI", n[31] = u"TURKISH";
  n[32] = u"URDU", n[33] = u"INDONESIAN", n[34] = u"UKRAINIAN", n[35] = u"BYELORUSSIAN";
  n[36] = u"SLOVENIAN", n[37] = u"ESTONIAN", n[38] = u"LATVIAN", n[39] = u"LITHUANIAN";
  n[41] = u"PERSIAN", n[42] = u"VIETNAMESE", n[43] = u"ARMENIAN", n[44] = u"AZERBAIJANI";
  n[45] = u"BASQUE", n[47] = u"MACEDONIAN", n[54] = u"AFRIKAANS", n[55] = u"GEORGIAN";
  n[56] = u"FAROESE", n[57] = u"HINDI", n[62] = u"MALAY", n[63] = u"KAZAKH", n[65] = u"SWAHILI";
  n[67] = u"UZBEK", n[68] = u"TATAR", n[69] = u"BENGALI", n[70] = u"PUNJABI", n[71] = u"GUJARATI";
  n[72] = u"ORIYA", n[73] = u"TAMIL", n[74] = u"TELUGU", n[75] = u"KANNADA", n[76] = u"MALAYALAM";
  n[77] = u"ASSAMESE", n[78] = u"MARATHI", n[79] = u"SANSKRIT", n[89] = u"SINDHI", n[96] = u"KASHMIRI";
  n[97] = u"NEPALI";
  return n;
}();

std::vector<std::u16string> files_sorted(std::u16string_view folder, std::u16string_view pattern) {
  const std::u16string dir = expand_path(folder);
  std::vector<std::u16string> paths;
  for (const auto& entry : platform::find_files(dir + u"\\" + std::u16string(pattern)))
    if (!entry.is_directory) paths.push_back(dir + u"\\" + entry.name);
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

LanguageTable LanguageTable::parse(std::span<const uint8_t> bytes) {
  const std::u16string text = decode(bytes);
  LanguageTable table;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && is_space(text[i])) ++i;  // leading space, empty lines
    const size_t key_start = i;
    while (i < n && !is_space(text[i]) && text[i] != u'=') ++i;
    const std::u16string key = text.substr(key_start, i - key_start);
    if (i < n && text[i] == u'=') {
      ++i;
    } else {
      while (i < n && is_space(text[i]) && !is_line_end(text[i])) ++i;
    }
    const size_t value_start = i;
    while (i < n && !is_line_end(text[i])) ++i;
    if (!key.empty()) table.texts_[key] = text.substr(value_start, i - value_start);
  }
  return table;
}

bool LanguageTable::load(std::u16string_view path) {
  File file(path, FileMode::read);
  if (!file.is_open()) return false;
  const uint64_t size = file.size();
  if (size > kMaxLanguageFileBytes) {
    log() << u"load_language: " << path << u" is too large (" << size << u" bytes)\n";
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (file.read(bytes.data(), bytes.size()) != bytes.size()) return false;
  LanguageTable loaded = parse(bytes);
  texts_ = std::move(loaded.texts_);
  path_ = std::u16string(path);
  return true;
}

std::u16string LanguageTable::text(std::u16string_view key) const { return text_or(key, key); }

std::u16string LanguageTable::text_or(std::u16string_view key, std::u16string_view fallback) const {
  const auto it = texts_.find(std::u16string(key));
  return it == texts_.end() ? std::u16string(fallback) : it->second;
}

std::u16string system_language_name(uint32_t ui_language_id) {
  const uint32_t primary = ui_language_id & 0x3FF;
  return primary < kLanguageNames.size() ? std::u16string(kLanguageNames[primary]) : std::u16string();
}

bool load_user_language(LanguageTable& table, std::u16string_view product_key, uint32_t ui_language_id) {
  std::u16string name;
  reg_read_string(u"HKEY_CURRENT_USER\\Software\\NELM\\" + std::u16string(product_key), u"Language", name);
  const std::u16string system_name = system_language_name(ui_language_id);
  for (const std::u16string& candidate : {name, system_name, std::u16string(u"english")})
    if (table.load(u"%app_path%/" + candidate + u".lng")) return true;
  for (const auto& path : platform::find_files(expand_path(u"%app_path%/*.lng")))
    if (!path.is_directory && table.load(expand_path(u"%app_path%/") + path.name)) return true;
  return false;
}

std::u16string base_name(std::u16string_view path) {
  std::u16string name = path_file_name(path);
  if (const auto dot = path_extension_pos(name)) name.resize(*dot);
  return name;
}

bool is_selectable_skin(std::u16string_view base) {
  const std::u16string lower = platform::to_lower(base);
  return !lower.starts_with(u"splash") && !lower.starts_with(u"today");
}

std::vector<std::u16string> language_files() { return files_sorted(u"%app_path%", u"*.lng"); }

std::vector<std::u16string> selectable_skins() {
  std::vector<std::u16string> skins = files_sorted(u"%app_path%/skins/bin", u"*.skin");
  std::erase_if(skins, [](const std::u16string& p) { return !is_selectable_skin(base_name(p)); });
  return skins;
}

bool more_than_one_language() { return language_files().size() > 1; }
bool more_than_one_skin() { return selectable_skins().size() > 1; }

}  // namespace lv

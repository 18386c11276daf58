// Every text key the program asks for is in every bundled language file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/unicode.h"
#include "skin/language.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = LUMIVALE_SOURCE_DIR;

std::string read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every quoted text that follows one of the markers.
void collect(const std::string& text, const std::string& marker, std::set<std::string>& keys) {
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
    const size_t start = at + marker.size();
    const size_t end = text.find('"', start);
    if (end != std::string::npos && end > start) keys.insert(text.substr(start, end - start));
  }
}

// Keys named literally in the program's code and in the bundled skins' "text"
// attributes, plus those the code builds at run time.
std::set<std::string> keys_in_use() {
  std::set<std::string> keys = {"Cancel", "Language", "Skin"};
  for (const char* folder : {"app", "skin", "ui", "home", "device", "screens"}) {
    if (!fs::exists(kSource / folder)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
      if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
      const std::string text = read(entry.path());
      collect(text, ".text(u\"", keys);
      collect(text, ".text_or(u\"", keys);
    }
  }
  for (const auto& entry : fs::recursive_directory_iterator(kSource / "assets" / "skins")) {
    if (entry.path().extension() != ".xml") continue;
    collect(read(entry.path()), "name=\"text\" value=\"", keys);
  }
  return keys;
}

TEST(LanguageFiles, HoldEveryKeyTheProgramUses) {
  const auto keys = keys_in_use();
  for (const char* name : {"english.lng", "russian.lng"}) {
    const std::string bytes = read(kSource / "assets/device/fs/Program Files/Lumivale" / name);
    ASSERT_GE(bytes.size(), 2u) << name;
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << name << " must be UTF-16LE with its mark";
    const auto table = lv::LanguageTable::parse(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    for (const auto& key : keys) EXPECT_TRUE(table.has(platform::from_utf8(key))) << name << " lacks " << key;
  }
}

}  // namespace

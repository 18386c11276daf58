#include "skin/language.h"

#include <gtest/gtest.h>

#include "app/file.h"
#include "app/paths.h"
#include "app/registry.h"
#include "platform/unicode.h"
#include "skin/choice_menus.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using testing_support::DeviceTest;

std::vector<uint8_t> utf16_file(std::u16string_view text) {
  std::vector<uint8_t> bytes{0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

std::vector<uint8_t> narrow_file(std::string_view text) { return {text.begin(), text.end()}; }

void write_file(std::u16string_view path, const std::vector<uint8_t>& bytes) {
  File f(path, FileMode::write);
  ASSERT_EQ(f.write(bytes.data(), bytes.size()), bytes.size());
}

TEST(LanguageFile, LinesFollowTheEqualsAndWhitespaceForms) {
  const std::u16string text =
      u"A=  word \r\n"       // text keeps the spaces after "=" and at the end
      u"B   word\n"          // whitespace instead of "=": the word alone
      u"C   \n"              // spaces then the line end: empty
      u"D\r"                 // key alone: empty
      u"=orphan\n"           // empty key: ignored
      u"\n\r\n   E=x=y\n"    // empty lines and leading space before a key
      u"F=first\nF=last\n"   // the last line wins
      u"G\t=tab\n"           // the key ends at whitespace; "=" starts the text
      u"\u041A\u043B\u044E\u0447=\u0422\u0435\u043A\u0441\u0442";  // no final line end
  const auto table = LanguageTable::parse(utf16_file(text));
  EXPECT_EQ(table.text(u"A"), u"  word ");
  EXPECT_EQ(table.text(u"B"), u"word");
  EXPECT_EQ(table.text_or(u"C", u"?"), u"");
  EXPECT_EQ(table.text_or(u"D", u"?"), u"");
  EXPECT_FALSE(table.has(u""));
  EXPECT_EQ(table.text(u"E"), u"x=y");
  EXPECT_EQ(table.text(u"F"), u"last");
  EXPECT_EQ(table.text(u"G"), u"=tab");
  EXPECT_EQ(table.text(u"\u041A\u043B\u044E\u0447"), u"\u0422\u0435\u043A\u0441\u0442");
  EXPECT_EQ(table.size(), 8u);
  // Missing keys: the key itself, or the given default.
  EXPECT_EQ(table.text(u"NOPE"), u"NOPE");
  EXPECT_EQ(table.text_or(u"NOPE", u"dflt"), u"dflt");
}

TEST(LanguageFile, EightBitFilesLoadLikeTheirUtf16Form) {
  const std::string text = "OK=Done\nCANCEL Cancel it \n";
  const auto a = LanguageTable::parse(narrow_file(text));
  const auto b = LanguageTable::parse(utf16_file(platform::from_utf8(text)));
  for (const char16_t* key : {u"OK", u"CANCEL"}) EXPECT_EQ(a.text(key), b.text(key));
  EXPECT_EQ(a.text(u"CANCEL"), u"Cancel it ");
  // Bytes above 0x7F stand for themselves, one code unit each.
  EXPECT_EQ(LanguageTable::parse(narrow_file("K=\xE9")).text(u"K"), u"\u00E9");
  // An odd last byte of a UTF-16 file is dropped, not read past the end.
  auto odd = utf16_file(u"K=v");
  odd.push_back(0x41);
  EXPECT_EQ(LanguageTable::parse(odd).text(u"K"), u"v");
}

TEST_F(DeviceTest, AFailedLoadKeepsTheTableAndItsPath) {
  write_file(u"%app_path%/english.lng", utf16_file(u"HELLO=Hello"));
  LanguageTable table;
  ASSERT_TRUE(table.load(u"%app_path%/english.lng"));
  EXPECT_FALSE(table.load(u"%app_path%/missing.lng"));
  EXPECT_EQ(table.text(u"HELLO"), u"Hello");
  EXPECT_EQ(table.path(), u"%app_path%/english.lng");
}

TEST(LanguageNames, ComeFromThePrimaryLanguageId) {
  EXPECT_EQ(system_language_name(0x0419), u"RUSSIAN");  // Russian (Russia)
  EXPECT_EQ(system_language_name(0x0409), u"ENGLISH");
  EXPECT_EQ(system_language_name(23), u"");   // no language
  EXPECT_EQ(system_language_name(99), u"");   // above the table
  EXPECT_EQ(system_language_name(0x3FF), u"");
}

class UserLanguage : public DeviceTest {
 protected:
  void SetUp() override {
    write_file(u"%app_path%/english.lng", utf16_file(u"NAME=english"));
    write_file(u"%app_path%/russian.lng", utf16_file(u"NAME=russian"));
  }
  std::u16string chosen(uint32_t ui_language) {
    LanguageTable table;
    if (!load_user_language(table, u"Lumivale", ui_language)) return u"<none>";
    return table.text(u"NAME");
  }
};

TEST_F(UserLanguage, FollowsTheFourSteps) {
  EXPECT_EQ(chosen(0x0419), u"russian");  // no "Language": the device's language
  ASSERT_TRUE(reg_write_string(kProductKey, u"Language", u"missing"));
  EXPECT_EQ(chosen(0x0419), u"russian");  // "RUSSIAN" finds russian.lng whatever its case
  EXPECT_EQ(chosen(0x0407), u"english");  // no german.lng: english
  ASSERT_TRUE(reg_write_string(kProductKey, u"Language", u"Russian"));
  EXPECT_EQ(chosen(0x0409), u"russian");  // the registry's choice comes first
}

TEST_F(UserLanguage, FallsBackToAnyLanguageFileThenFails) {
  ASSERT_TRUE(platform::delete_file(expand_path(u"%app_path%/english.lng")));
  EXPECT_EQ(chosen(0x0407), u"russian");  // the only file left
  ASSERT_TRUE(platform::delete_file(expand_path(u"%app_path%/russian.lng")));
  EXPECT_EQ(chosen(0x0407), u"<none>");
}

TEST_F(DeviceTest, SplashAndTodaySkinsAreNotSelectable) {
  create_directories_expanded(u"%app_path%/skins/bin/");
  for (const char16_t* name : {u"default", u"Night", u"splash", u"today", u"SPLASH2", u"Todayish"})
    File(u"%app_path%/skins/bin/" + std::u16string(name) + u".skin", FileMode::write).close();
  File(u"%app_path%/skins/bin/readme.txt", FileMode::write).close();
  const auto skins = selectable_skins();
  ASSERT_EQ(skins.size(), 2u);
  EXPECT_EQ(base_name(skins[0]), u"Night");  // sorted by path in code-unit order
  EXPECT_EQ(base_name(skins[1]), u"default");
  EXPECT_TRUE(more_than_one_skin());
  EXPECT_TRUE(more_than_one_language());  // the device's English and Russian
  ASSERT_TRUE(platform::delete_file(expand_path(u"%app_path%/russian.lng")));
  EXPECT_FALSE(more_than_one_language());
}

class ChoiceMenus : public DeviceTest {
 protected:
  void SetUp() override {
    write_file(u"%app_path%/english.lng", utf16_file(u"NAME=english\nSkin#night=Night time"));
    write_file(u"%app_path%/russian.lng", utf16_file(u"NAME=russian"));
    ASSERT_TRUE(language_.load(u"%app_path%/english.lng"));
    create_directories_expanded(u"%app_path%/skins/bin/");
    for (const char16_t* name : {u"default", u"night", u"splash"})
      File(u"%app_path%/skins/bin/" + std::u16string(name) + u".skin", FileMode::write).close();
  }
  LanguageTable language_;
};

TEST_F(ChoiceMenus, LanguageMenuListsChecksAndSwitches) {
  std::vector<MenuItemDesc> items;
  ASSERT_TRUE(language_menu_step(language_, u"Lumivale", u"Language", items, u"MenuCancel"));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].key, u"Language#english");
  EXPECT_EQ(items[0].text, u"english");
  EXPECT_TRUE(items[0].checked);
  EXPECT_FALSE(items[1].checked);
  EXPECT_EQ(items[2].key, u"Cancel");
  EXPECT_EQ(items[2].text, u"");
  EXPECT_EQ(items[2].node_name, u"MenuCancel");

  std::vector<MenuItemDesc> none;
  EXPECT_FALSE(language_menu_step(language_, u"Lumivale", u"Language#english", none, u""));  // in use
  EXPECT_FALSE(language_menu_step(language_, u"Lumivale", u"Language#klingon", none, u""));  // missing
  EXPECT_FALSE(language_menu_step(language_, u"Lumivale", u"Other", none, u""));
  EXPECT_TRUE(language_menu_step(language_, u"Lumivale", u"Language#russian", none, u""));
  EXPECT_EQ(language_.text(u"NAME"), u"russian");
  std::u16string stored;
  ASSERT_TRUE(reg_read_string(kProductKey, u"Language", stored));
  EXPECT_EQ(stored, u"russian");
  EXPECT_TRUE(none.empty());
}

TEST_F(ChoiceMenus, SkinMenuUsesLanguageTextsAndRefusesTheCurrentSkin) {
  std::u16string current = u"%app_path%/skins/bin/default.skin";
  std::vector<std::u16string> loaded;
  const auto load = [&](const std::u16string& path) {
    loaded.push_back(path);
    current = path;
    return true;
  };
  std::vector<MenuItemDesc> items;
  ASSERT_TRUE(skin_menu_step(language_, current, load, u"Lumivale", u"Skin", items, u"MenuCancel"));
  ASSERT_EQ(items.size(), 3u);  // default, night, cancel; never splash
  EXPECT_EQ(items[0].text, u"default");
  EXPECT_TRUE(items[0].checked);
  EXPECT_EQ(items[1].text, u"Night time");
  EXPECT_FALSE(items[1].checked);

  std::vector<MenuItemDesc> none;
  EXPECT_FALSE(skin_menu_step(language_, current, load, u"Lumivale", u"Skin#default", none, u""));
  EXPECT_TRUE(loaded.empty());
  EXPECT_TRUE(skin_menu_step(language_, current, load, u"Lumivale", u"Skin#night", none, u""));
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0], u"%app_path%/skins/bin/night.skin");
  std::u16string stored;
  ASSERT_TRUE(reg_read_string(kProductKey, u"Skin", stored));
  EXPECT_EQ(stored, u"night");
}

}  // namespace

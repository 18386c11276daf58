#include "app/keys.h"

#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/unicode.h"

namespace {

using namespace lv;

TEST(KeyNames, EveryCodeRoundTripsThroughItsName) {
  for (int code = 0; code < key_count; ++code) {
    const auto name = key_name(code);
    ASSERT_TRUE(name.has_value()) << code;
    EXPECT_EQ(key_code_from_name(*name), code) << code;
  }
  EXPECT_FALSE(key_name(-1).has_value());
  EXPECT_FALSE(key_name(key_count).has_value());
}

TEST(KeyNames, LookupIsExactAndCaseSensitive) {
  EXPECT_EQ(key_code_from_name(u"CALL_END"), 59);
  EXPECT_EQ(key_code_from_name(u"SOFT_LEFT"), 61);
  EXPECT_EQ(key_code_from_name(u"#"), 57);
  EXPECT_EQ(key_code_from_name(u"0"), 46);
  EXPECT_EQ(key_name(56), u"*");
  for (const char16_t* unknown : {u"call_end", u"CALL_END ", u"", u"Escape", u"F1"})
    EXPECT_FALSE(key_code_from_name(unknown).has_value());
}

TEST(VirtualKeys, TranslateToTheProgramsCodes) {
  struct Case {
    uint32_t vk;
    int code;
  };
  const Case cases[] = {
      {0x08, key_backspace}, {0x1B, key_backspace},  // the phone's back key is never "Esc"
      {0x09, key_tab},       {0x0D, key_enter},      {0x10, key_shift},     {0x11, key_ctrl},
      {0x12, key_alt},       {0x20, key_space},      {0x21, key_page_up},   {0x22, key_page_down},
      {0x23, key_end},       {0x24, key_home},       {0x25, key_left},      {0x26, key_up},
      {0x27, key_right},     {0x28, key_down},       {0x2D, key_insert},    {0x2E, key_del},
      {0x30, 46},            {0x39, 55},             {0x60, 46},            {0x69, 55},
      {0x41, 20},            {0x5A, 45},             {0x5D, key_context_menu},
      {0x6A, key_star},      {0x77, key_star},       {0x6B, key_plus},      {0x6D, key_minus},
      {0x6E, key_dot},       {0x6F, key_slash},      {0x70, key_soft_left}, {0x71, key_soft_right},
      {0x72, key_call_make}, {0x73, key_call_end},   {0x75, key_volume_up}, {0x76, key_volume_down},
      {0x78, key_pound},
      // Unknown keys become "None".
      {0x00, key_none},      {0x2F, key_none},       {0x3A, key_none},      {0x5B, key_none},
      {0x6C, key_none},      {0x74, key_none},       {0x79, key_none},      {0xFF, key_none},
      {0x100, key_none},     {0xFFFFFFFF, key_none},
  };
  for (const Case& c : cases) EXPECT_EQ(key_code_from_virtual_key(c.vk), c.code) << std::hex << c.vk;
  // "Esc" and "SLIDE" are names only.
  for (uint32_t vk = 0; vk < 256; ++vk) {
    EXPECT_NE(key_code_from_virtual_key(vk), key_esc);
    EXPECT_NE(key_code_from_virtual_key(vk), key_slide);
  }
}

// lumivale-ctl presses the virtual key the device table gives for a name;
// the program must turn it back into that name's code.
TEST(VirtualKeys, TheDevicesKeyForANameArrivesAsThatNamesCode) {
  for (const platform::KeyName& row : platform::key_names()) {
    if (!row.virtual_key) continue;
    EXPECT_EQ(key_code_from_virtual_key(*row.virtual_key), row.code) << platform::to_utf8(row.name);
  }
}

}  // namespace

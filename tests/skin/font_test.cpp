#include "skin/font.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/log.h"
#include "app/registry.h"
#include "platform/text.h"
#include "tests/app/test_log_reader.h"
#include "tests/testing/temp_device.h"

namespace {

using lv::FontDesc;

TEST(FontHeight, SmallSizesUseTheTableLargerOnesTheFormula) {
  struct Case {
    int size, scale, height;
  };
  const Case cases[] = {{12, 1, -16}, {12, 2, -32}, {20, 1, -26}, {0, 1, 0},   {1, 1, -1},   {19, 1, -25},
                        {10, 1, -14}, {8, 1, -11},  {5, 4, -26},  {-5, 1, 6}, {30, 1, -40}, {10, 2, -26}};
  for (const auto& c : cases) EXPECT_EQ(lv::font_height_for(c.size, c.scale), c.height) << c.size << "x" << c.scale;
  // No overflow for absurd sizes.
  EXPECT_LT(lv::font_height_for(std::numeric_limits<int32_t>::max(), 4), 0);
}

TEST(FontDescText, ParsesWhatIsThereAndKeepsTheDefaultsForTheRest) {
  struct Case {
    std::u16string_view text;
    FontDesc desc;
  };
  const Case cases[] = {
      {u"12 1 0 0 Tahoma", {12, 1, true, false, false, u"Tahoma"}},
      {u"10", {10, 1, false, false, false, u"Tahoma"}},
      {u"", {}},
      {u"Verdana", {}},
      {u"14 0 1", {14, 1, false, true, false, u"Tahoma"}},
      {u"+8 -1 0 2   Courier New  ", {8, 1, true, false, true, u"Courier New  "}},
      {u"12 x 1 1 Arial", {12, 1, false, false, false, u"Tahoma"}},
      {u"12 1 0 0", {12, 1, true, false, false, u"Tahoma"}},
      {u"\t12\n0\u30000 1 Ночь", {12, 1, false, false, true, u"Ночь"}},
      {u"99999999999 0 0 0 A", {std::numeric_limits<int32_t>::max(), 1, false, false, false, u"A"}},
      {u"-99999999999", {std::numeric_limits<int32_t>::min(), 1, false, false, false, u"Tahoma"}},
      {u"12 - 1", {12, 1, false, false, false, u"Tahoma"}},
  };
  for (const auto& c : cases) EXPECT_EQ(lv::parse_font_desc(c.text), c.desc) << platform::to_utf8(c.text);
  EXPECT_EQ(lv::parse_font_desc(u"9", 2).scale, 2);
  const FontDesc bold_italic{9, 1, true, true, false, u"Liberation Sans"};
  EXPECT_EQ(lv::to_text(bold_italic), u"9 1 1 0 Liberation Sans");
  EXPECT_EQ(lv::parse_font_desc(lv::to_text(bold_italic)), bold_italic);
}

TEST(FontRep, CreatesTheDeviceFontWithItsMetrics) {
  const lv::FontRep rep(FontDesc{12, 1, false, false, false, u"Tahoma"});
  ASSERT_NE(rep.font(), nullptr);
  EXPECT_EQ(rep.font()->logical().height, -16);
  EXPECT_EQ(rep.font()->file(), "/usr/share/wine/fonts/tahoma.ttf");
  EXPECT_EQ(rep.height(), rep.font()->metrics().height);
  EXPECT_EQ(rep.descent(), rep.font()->metrics().descent);
  EXPECT_EQ(rep.internal_leading(), rep.height() - 16);
  EXPECT_EQ(lv::FontRep(FontDesc{12, 2}).font()->logical().height, -32);
  // A face longer than the device takes is cut to 31 characters for the device only.
  const std::u16string long_face = u"Tahoma" + std::u16string(40, u'y');
  const lv::FontRep cut(FontDesc{12, 1, false, false, false, long_face});
  EXPECT_EQ(cut.desc().face, long_face);
  ASSERT_NE(cut.font(), nullptr);
  EXPECT_EQ(cut.font()->logical().face, long_face.substr(0, 31));
  // Size 0 makes no font and reads no metrics.
  const lv::FontRep none(FontDesc{0});
  EXPECT_EQ(none.font(), nullptr);
  EXPECT_EQ(none.height(), 0);
}

TEST(FontCache, SharesOneFontPerDescription) {
  const size_t before = lv::font_cache_size();
  const auto a = lv::get_font(FontDesc{11, 1, true});
  EXPECT_EQ(lv::get_font(FontDesc{11, 1, true}), a);
  EXPECT_NE(lv::get_font(FontDesc{11, 2, true}), a);
  EXPECT_NE(lv::get_font(FontDesc{11, 1, true, false, false, u"tahoma"}), a);  // faces compare exactly
  EXPECT_EQ(lv::font_cache_size(), before + 3);
}

class FontLog : public testing_support::DeviceTest {};

TEST_F(FontLog, CreationIsTimedInTheLog) {
  ASSERT_TRUE(lv::reg_write_dword(lv::kFrameKey, u"Log", 1));
  { const lv::FontRep rep(FontDesc{13, 1, false, false, false, u"Liberation Sans"}); }
  lv::log().flush();
  const std::string text = testing_support::log_text(device_.host(u"\\Temp\\Lumivale.exe.txt"));
  EXPECT_NE(text.find("Creating font: {Liberation Sans} elapsed=0."), std::string::npos) << text;
  EXPECT_EQ(text.find("ERROR"), std::string::npos);
}

}  // namespace

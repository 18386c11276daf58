#include "ui/text_element.h"

#include <gtest/gtest.h>

#include "skin/properties.h"
#include "tests/skin/skin_fixture.h"
#include "tests/testing/golden.h"
#include "ui/kinds.h"

namespace {

using namespace lv;

constexpr const char* kSkin = R"(<skin>
  <node name="Box">
    <node>
      <string name="type" value="text"/>
      <string name="id" value="t"/>
      <string name="text" value="LONG"/>
      <font name="font" value="10 0 0 0 Tahoma"/>
      <color name="color" value="#FFFFFF"/>
      <string name="halign" value="LEFT"/>
      <string name="valign" value="TOP"/>
      <int name="wrap" value="1"/>
      <int name="ellipsis" value="1"/>
    </node>
  </node>
  <node name="Plain">
    <node>
      <string name="type" value="text"/>
      <string name="id" value="t"/>
      <font name="font" value="10 0 0 0 Tahoma"/>
      <string name="anchor_x" value="MIN_SIDE"/>
    </node>
  </node>
</skin>)";

class TextElementTest : public testing_support::DeviceTest {
 protected:
  void SetUp() override {
    register_toolkit_kinds();
    const auto out = device_.host(u"\\Temp");
    source_.compile("texts", kSkin, out);
    ASSERT_TRUE(properties_.load_skin(u"\\Temp\\texts.skin", 0));
  }
  void TearDown() override { unregister_toolkit_kinds(); }
  testing_support::SkinSourceDir source_;
  Properties properties_;
};

TEST_F(TextElementTest, WrapWithEllipsisDrawsTheLinesThatFitThenTheEllipsisAtTheBottom) {
  properties_.language() = LanguageTable::parse(std::vector<uint8_t>{
      'L', 'O', 'N', 'G', '=', 'o', 'n', 'e', ' ', 't', 'w', 'o', ' ', 't', 'h', 'r', 'e', 'e', ' ', 'f', 'o', 'u', 'r'});
  Element root;
  ASSERT_TRUE(root.load_from_skin(properties_, u"Box"));
  auto* text = root.find_child_as<TextElement>(u"t");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), u"one two three four");
  layout_root(root, 40, 100);
  const int line = text->extent().height;
  ASSERT_GT(line, 0);
  ASSERT_GE(text->lines().size(), 3u);
  // Room for two lines and a half.
  layout_root(root, 40, line * 2 + line / 2);
  ASSERT_GE(text->lines().size(), 3u);
  RenderSurface screen(Size{40, line * 2 + line / 2});
  fill(screen, {0, 0, 40, screen.size().height}, 0, 0, 0);
  draw_element(root, screen, {0, 0});
  auto ink = [&](int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (screen.target()->at(x, y) != 0) return true;
    return false;
  };
  EXPECT_TRUE(ink(0, 40, 0, line));         // first line
  EXPECT_TRUE(ink(0, 40, line, 2 * line));  // second line
  // Below the second line only the narrow ellipsis, at the left edge.
  EXPECT_TRUE(ink(0, 12, 2 * line, screen.size().height));
  EXPECT_FALSE(ink(16, 40, 2 * line, screen.size().height));
  testing_support::expect_matches_golden(
      screen, std::filesystem::path(LUMIVALE_SOURCE_DIR) / "tests/elements/golden/text-wrap-ellipsis.png");
}

TEST_F(TextElementTest, LineFeedsStartLinesAndUngrownTextKeepsItsMeasure) {
  Element root;
  ASSERT_TRUE(root.load_from_skin(properties_, u"Box"));
  auto* text = root.find_child_as<TextElement>(u"t");
  layout_root(root, 200, 100);
  text->set_text(u"a\nb");
  EXPECT_EQ(text->lines().size(), 2u);

  Element plain;
  ASSERT_TRUE(plain.load_from_skin(properties_, u"Plain"));
  auto* p = plain.find_child_as<TextElement>(u"t");
  layout_root(plain, 200, 100);
  const Measure before = p->width_measure();
  p->set_text(u"a much longer text than before");
  EXPECT_EQ(p->width_measure().preferred, before.preferred);
  EXPECT_TRUE(p->dirty());
  // set_text by id reaches the element through its parents.
  plain.set_text(u"t", u"by id");
  EXPECT_EQ(p->text(), u"by id");
}

}  // namespace

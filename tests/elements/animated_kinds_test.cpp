// Pixel rules and timing of the image mask, the multinode movie and the "pop"
// visibility animation, each driven from a compiled skin or real pictures.
#include <gtest/gtest.h>

#include "gfx/bitmap.h"
#include "skin/properties.h"
#include "tests/skin/skin_fixture.h"
#include "ui/kinds.h"
#include "ui/multinode_element.h"

namespace {

using namespace lv;

PictureView one_pixel_picture(Pixel value) {
  auto bitmap = MemoryBitmap::create({1, 1});
  bitmap->set(0, 0, value);
  return PictureView::of(std::make_shared<Picture>(std::move(bitmap), u"pixel"));
}

TEST(MaskOperator, BlendsByTheMaskBlueAndMarksTheResultOpaque) {
  const Pixel dst = 0x0000;                        // black
  const Pixel src = static_cast<Pixel>(0xFFFF & ~kOpaqueBit);  // white without the marker
  struct Case {
    unsigned mask_blue;
    Pixel expected;
  };
  // Green blends on its 8-bit value (252 for full green) and keeps 5 bits.
  const Case cases[] = {
      {0, dst},                                                      // keeps the destination
      {31, src},                                                     // takes the source as it is
      {16, static_cast<Pixel>((15u << 11) | (15u << 6) | kOpaqueBit | 15u)},  // half way, rounded down
      {8, static_cast<Pixel>((7u << 11) | (7u << 6) | kOpaqueBit | 7u)},
  };
  for (const Case& c : cases) {
    PictureView source = one_pixel_picture(src);
    PictureView mask = one_pixel_picture(static_cast<Pixel>(c.mask_blue));
    auto op = mask_op(source, mask);
    Pixel out = dst;
    const Bitmap* bitmap = source.picture->bitmap();
    op->straight(&out, 1, bitmap->row(0), 0, 0);
    EXPECT_EQ(out, c.expected) << "straight, mask " << c.mask_blue;
    out = dst;
    op->stretched(&out, 1, bitmap->row(0), 0, 1024);
    EXPECT_EQ(out, c.expected) << "stretched, mask " << c.mask_blue;
    out = dst;
    op->magnified(&out, 1, bitmap->row(0), 0, 1);
    EXPECT_EQ(out, c.expected) << "magnified, mask " << c.mask_blue;
  }
}

constexpr const char* kSkin = R"(<skin>
  <node name="Movie">
    <node>
      <string name="type" value="multinode"/>
      <string name="id" value="m"/>
      <int name="movie" value="1"/>
      <node><string name="type" value="node"/><string name="delay" value="0.5"/></node>
      <node><string name="type" value="node"/></node>
      <node><string name="type" value="node"/><string name="delay" value="2"/></node>
    </node>
  </node>
  <node name="Pop">
    <node>
      <string name="type" value="color"/>
      <string name="id" value="p"/>
      <color name="color" value="#FF0000"/>
      <string name="visibility_animation" value="pop"/>
    </node>
  </node>
</skin>)";

class AnimatedKindsTest : public testing_support::DeviceTest {
 protected:
  void SetUp() override {
    register_toolkit_kinds();
    source_.compile("animated", kSkin, device_.host(u"\\Temp"));
    ASSERT_TRUE(properties_.load_skin(u"\\Temp\\animated.skin", 0));
  }
  void TearDown() override { unregister_toolkit_kinds(); }
  testing_support::SkinSourceDir source_;
  Properties properties_;
};

TEST_F(AnimatedKindsTest, MovieStatesFollowTheirDelaysAndStopWhileHidden) {
  Element root;
  ASSERT_TRUE(root.load_from_skin(properties_, u"Movie"));
  root.shown_changed(true);
  auto* movie = root.find_child_as<MultiNodeElement>(u"m");
  ASSERT_NE(movie, nullptr);
  ASSERT_TRUE(movie->movie());
  ASSERT_EQ(movie->state_count(), 3u);
  layout_root(root, 50, 50);

  // (seconds to tick, state afterwards): 0.5 s, then the default 1 s, then 2 s.
  const std::pair<double, size_t> steps[] = {{0.4, 0}, {0.1, 1}, {0.9, 1}, {0.1, 2}, {1.9, 2}, {0.1, 0}};
  for (const auto& [seconds, state] : steps) {
    root.tick(seconds);
    EXPECT_EQ(movie->current_state(), state) << "after " << seconds;
    EXPECT_TRUE(movie->child(state)->visible());
  }
  movie->set_visible(false);
  root.tick(5.0);
  EXPECT_EQ(movie->current_state(), 0u) << "a hidden movie stands still";
}

TEST_F(AnimatedKindsTest, HidingHalfWayReversesThePopFromWhereItStood) {
  Element root;
  ASSERT_TRUE(root.load_from_skin(properties_, u"Pop"));
  root.shown_changed(true);
  Element* pop = root.find_child(u"p");
  ASSERT_NE(pop, nullptr);
  layout_root(root, 40, 40);
  VisibilityAnimation* animation = pop->visibility_animation();
  ASSERT_NE(animation, nullptr);

  pop->set_visible(false);
  pop->set_visible_animated(true);
  ASSERT_EQ(animation->direction(), 1);
  root.tick(0.2);  // half of the 0.4 s
  const double half = animation->progress();
  EXPECT_NEAR(half, 0.5, 0.01);

  pop->set_visible_animated(false);
  EXPECT_EQ(animation->direction(), -1);
  EXPECT_DOUBLE_EQ(animation->progress(), half) << "the same animation runs back, not a new one";
  root.tick(0.1);
  EXPECT_NEAR(animation->progress(), 0.25, 0.01);
  root.tick(0.2);
  EXPECT_TRUE(animation->finished());
  EXPECT_FALSE(pop->visible());
}

}  // namespace

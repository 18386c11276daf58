#include <gtest/gtest.h>

#include "gfx/bitmap.h"
#include "ui/button_element.h"
#include "ui/kinds.h"
#include "ui/multinode_element.h"

namespace {

using namespace lv;

struct Recorder : ButtonListener {
  int clicks = 0;
  std::vector<bool> press_changes;  // the cancelled flags
  bool on_click(ButtonElement&, Point) override { return ++clicks, true; }
  void on_press_changed(ButtonElement&, Point, bool cancelled) override { press_changes.push_back(cancelled); }
  Point on_drag(ButtonElement&, Point, Point) override { return {}; }
};

PointerEvent pointer(int x, int y, bool down, bool cancelled = false) {
  PointerEvent e;
  e.x = x, e.y = y, e.down = down, e.cancelled = cancelled;
  return e;
}

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto b = std::make_unique<ButtonElement>();
    b->set_anchor(AnchorMode::MIN_SIDE_NO_SIZE, AnchorMode::MIN_SIDE_NO_SIZE);
    b->set_design_size({40, 20});
    button_ = static_cast<ButtonElement*>(root_.add_child(std::move(b)));
    button_->set_listener(&recorder_);
    layout_root(root_, 100, 100);
  }
  Element root_;
  ButtonElement* button_ = nullptr;
  Recorder recorder_;
};

TEST_F(ButtonTest, ReleaseInsideClicksOnceReleaseOutsideNever) {
  EXPECT_TRUE(root_.pointer_event(pointer(10, 10, true)));
  EXPECT_TRUE(button_->pressed());
  root_.pointer_event(pointer(10, 10, false));
  EXPECT_EQ(recorder_.clicks, 1);
  EXPECT_EQ(recorder_.press_changes.size(), 2u);

  root_.pointer_event(pointer(10, 10, true));
  root_.pointer_event(pointer(90, 90, false));  // the capture delivers it
  EXPECT_EQ(recorder_.clicks, 1);
  EXPECT_EQ(recorder_.press_changes.size(), 4u);

  root_.pointer_event(pointer(10, 10, true));
  root_.pointer_event(pointer(0, 0, false, true));  // cancelled
  EXPECT_EQ(recorder_.clicks, 1);
  EXPECT_TRUE(recorder_.press_changes.back());
  // A press outside reaches nobody.
  EXPECT_FALSE(root_.pointer_event(pointer(90, 90, true)));
}

TEST_F(ButtonTest, HidingWhilePressedCancelsWithoutAClick) {
  root_.pointer_event(pointer(10, 10, true));
  root_.shown_changed(false);  // the root stops being shown
  EXPECT_FALSE(button_->pressed());
  EXPECT_EQ(recorder_.clicks, 0);
  ASSERT_EQ(recorder_.press_changes.size(), 2u);
  EXPECT_TRUE(recorder_.press_changes.back());
}

TEST_F(ButtonTest, DisabledButtonsTakeNoInput) {
  button_->set_enabled(false);
  EXPECT_FALSE(root_.pointer_event(pointer(10, 10, true)));
  root_.pointer_event(pointer(10, 10, false));
  EXPECT_EQ(recorder_.clicks, 0);
  EXPECT_TRUE(recorder_.press_changes.empty());
}

TEST(MultiNode, MovieAdvancesOncePerSecondWhileShown) {
  Element root;
  auto multi = std::make_unique<MultiNodeElement>();
  for (int i = 0; i < 3; ++i) multi->add_child(std::make_unique<Element>());
  MultiNodeElement* m = static_cast<MultiNodeElement*>(root.add_child(std::move(multi)));
  EXPECT_TRUE(m->child(0)->visible());
  EXPECT_FALSE(m->child(1)->visible());
  EXPECT_FALSE(m->movie());  // movies come from the skin; drive the states by hand
  m->set_state(2, true);
  EXPECT_TRUE(m->child(2)->visible());
  EXPECT_FALSE(m->child(0)->visible());
  m->next_state(false);
  EXPECT_EQ(m->current_state(), 0u);
  // Removing a state keeps the current index in range.
  m->set_state(2, false);
  auto removed = m->remove_child(m->child(2), 2);
  EXPECT_EQ(m->current_state(), 0u);
  EXPECT_TRUE(m->child(0)->visible());
}

TEST(Cache, AlphaSelectsTheOperatorAndKeyPixelsShowWithCopy) {
  struct Case {
    int alpha;
    Pixel expected_where_nothing_drew;
  };
  for (const Case c : {Case{-1, kKeyColor}, Case{0, 0x1234}}) {
    Element root;
    auto e = std::make_unique<Element>();
    e->set_cache(true, cache_operator_for(c.alpha));
    root.add_child(std::move(e));
    layout_root(root, 4, 4);
    RenderSurface screen(Size{4, 4});
    fill(screen, {0, 0, 4, 4}, 0x10, 0x44, 0xA0);
    const Pixel background = screen.target()->at(0, 0);
    draw_element(root, screen, {0, 0});
    EXPECT_EQ(screen.target()->at(1, 1), c.alpha == -1 ? kKeyColor : background) << c.alpha;
  }
}

TEST(Image, WithoutAspectRatioThePictureStretchesOverTheElement) {
  auto bitmap = MemoryBitmap::create({20, 10});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) bitmap->set(x, y, 0x07E0 | kOpaqueBit);
  ImageElement image;
  image.set_picture(PictureView::of(std::make_shared<Picture>(std::move(bitmap), u"green")));
  Element root;
  auto* img = static_cast<ImageElement*>(root.add_child(std::make_unique<ImageElement>()));
  img->set_picture(image.picture());
  layout_root(root, 90, 90);
  RenderSurface screen(Size{90, 90});
  fill(screen, {0, 0, 90, 90}, 0, 0, 0);
  draw_element(root, screen, {0, 0});
  // save_aspect_ratio comes from the skin; without it the picture stretches.
  EXPECT_EQ(screen.target()->at(0, 0) & 0x07E0, 0x07E0);
  EXPECT_EQ(screen.target()->at(89, 89) & 0x07E0, 0x07E0);
}

}  // namespace

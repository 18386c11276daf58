#include "gfx/visibility_animation.h"

#include <gtest/gtest.h>

#include "tests/testing/golden.h"

#include <cstdlib>
#include <cstring>

#include "gfx/png_writer.h"
#include "platform/png.h"
#include "platform/unicode.h"
#include "tests/gfx/gfx_test_util.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using gfx_test::clear;

constexpr Size kScreen{120, 160};

// The screen being left: bluish, a bright band across its top rows.
RenderSurface old_screen(Size size = kScreen) {
  RenderSurface s(size);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      const bool band = y < size.height / 8;
      const bool grid = (x % 20 == 0) || (y % 20 == 0);
      s.target()->set(x, y, band   ? rgb565(250, 250, 120)
                            : grid ? rgb565(20, 20, 60)
                                   : rgb565(40, static_cast<uint8_t>(60 + y), static_cast<uint8_t>(120 + x)));
    }
  return s;
}

// The screen being entered: red rising downwards, a green top band, a
// keyed (transparent) hole in the middle and an arrow pointing up.
RenderSurface new_screen(Size size = kScreen) {
  RenderSurface s(size);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      const int dx = x - size.width / 2, dy = y - size.height / 2;
      Pixel p = rgb565(static_cast<uint8_t>(80 + y), 40, static_cast<uint8_t>(2 * x)) | kOpaqueBit;
      if (y < size.height / 8) p = rgb565(40, 220, 40) | kOpaqueBit;
      if (dx * dx + dy * dy < 15 * 15) p = kKeyColor;
      if (y > 30 && y < 60 && std::abs(dx) < (y - 30) / 2) p = 0xFFFF;
      s.target()->set(x, y, p);
    }
  return s;
}

std::unique_ptr<VisibilityAnimation> started(std::u16string_view name, int direction, bool with_from = true) {
  auto a = make_visibility_animation(name);
  RenderSurface from = old_screen();
  RenderSurface to = new_screen();
  a->start(with_from ? &from : nullptr, direction, &to);
  return a;
}

TEST(VisibilityAnimation, KindsByNameAndTheirSpeeds) {
  for (auto name : {u"scale", u"right", u"bottom", u"left", u"top"})
    EXPECT_EQ(make_visibility_animation(name)->speed(), 1.0);
  EXPECT_EQ(make_visibility_animation(u"pop")->speed(), 0.5);
  EXPECT_EQ(make_visibility_animation(u"flip")->speed(), 0.5);
  for (auto name : {u"", u"fade", u"Scale"}) EXPECT_FALSE(make_visibility_animation(name));
  EXPECT_TRUE(make_visibility_animation(u"flip")->clone()->finished());
}

TEST(VisibilityAnimation, TimingReverseAndEnd) {
  auto a = started(u"right", 1);
  RenderSurface from = old_screen(), to = new_screen();
  EXPECT_EQ(from.size(), kScreen);
  a->start(&from, 1, &to);
  // The caller's surfaces are emptied: their bitmaps moved into the animation.
  EXPECT_EQ(from.size(), (Size{0, 0}));
  EXPECT_EQ(to.size(), (Size{0, 0}));
  EXPECT_EQ(a->progress(), 0.0);
  a->update(0.1);
  EXPECT_DOUBLE_EQ(a->progress(), 0.5);
  EXPECT_FALSE(a->finished());
  const int64_t held = RenderSurface::pixel_count();
  a->update(0.1);
  EXPECT_TRUE(a->finished());
  EXPECT_EQ(a->progress(), 1.0);
  EXPECT_EQ(RenderSurface::pixel_count(), held - 2 * kScreen.width * kScreen.height);  // pictures freed

  auto b = started(u"scale", 1);
  b->update(0.06);
  EXPECT_NEAR(b->progress(), 0.3, 1e-12);
  b->reverse();
  EXPECT_EQ(b->direction(), -1);
  b->update(0.05);
  EXPECT_NEAR(b->progress(), 0.05, 1e-12);
  b->update(0.05);
  EXPECT_TRUE(b->finished());
  EXPECT_EQ(b->progress(), 0.0);

  auto hide = started(u"pop", -1);
  EXPECT_EQ(hide->progress(), 1.0);
  hide->update(0.2);
  EXPECT_NEAR(hide->progress(), 0.5, 1e-12);
  hide->update(0.2);
  EXPECT_TRUE(hide->finished());
}

// Where the two pictures show: 'o' for the old one, 'n' for the new one, '.'
// for the background, sampled along the middle row.
std::string row_profile(const RenderSurface& s, int y, int step) {
  std::string out;
  for (int x = 0; x < s.size().width; x += step) {
    const Pixel p = s.target()->at(x, y);
    out += p == 0 ? '.' : (p & kOpaqueBit) && p != rgb565(20, 20, 60) ? 'n' : 'o';
  }
  return out;
}

TEST(VisibilityAnimation, RightSlideStartsWithTheOldScreenAndMeetsHalfWay) {
  auto a = started(u"right", 1);
  RenderSurface s(kScreen);
  clear(s, 0);
  a->draw(s, {0, 0});
  const RenderSurface old_copy = old_screen();
  for (int y = 0; y < kScreen.height; ++y)
    ASSERT_EQ(gfx_test::row_of(s, y), gfx_test::row_of(old_copy, y)) << y;
  a->update(0.1);
  a->draw(s, {0, 0});
  EXPECT_EQ(row_profile(s, 100, 10), "oooooonnnnnn");
}

TEST(VisibilityAnimation, ScaleAtHalfTimeDrawsAQuarterSizeCentred) {
  auto a = started(u"scale", 1, false);
  a->update(0.1);
  RenderSurface s(kScreen);
  clear(s, 0);
  a->draw(s, {0, 0});
  // 30 x 40 at (45, 60); the keyed hole lets the background through.
  int x0 = 1000, y0 = 1000, x1 = -1, y1 = -1;
  for (int y = 0; y < kScreen.height; ++y)
    for (int x = 0; x < kScreen.width; ++x)
      if (s.target()->at(x, y) != 0) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  EXPECT_EQ(x0, 45);
  EXPECT_EQ(y0, 60);
  EXPECT_EQ(x1, 74);
  EXPECT_EQ(y1, 99);
}

TEST(VisibilityAnimation, FlipLandsEachPictureOnItselfAndTurnsThroughABand) {
  RenderSurface s(kScreen);
  const RenderSurface old_copy = old_screen(), new_copy = new_screen();
  auto at_start = started(u"flip", 1);
  clear(s, 0);
  at_start->draw(s, {0, 0});
  for (int y = 0; y < kScreen.height; ++y) ASSERT_EQ(gfx_test::row_of(s, y), gfx_test::row_of(old_copy, y)) << y;

  auto at_end = started(u"flip", -1);
  clear(s, 0);
  at_end->draw(s, {0, 0});
  // The back face is upright and drawn unchanged (the key colour included).
  for (int y = 0; y < kScreen.height; ++y) ASSERT_EQ(gfx_test::row_of(s, y), gfx_test::row_of(new_copy, y)) << y;

  auto turning = started(u"flip", 1);
  turning->update(0.208);  // t = 0.52
  clear(s, 0);
  turning->draw(s, {0, 0});
  int first = -1, last = -1;
  for (int y = 0; y < kScreen.height; ++y)
    for (int x = 0; x < kScreen.width; ++x)
      if (s.target()->at(x, y) != 0) {
        if (first < 0) first = y;
        last = y;
      }
  ASSERT_GE(first, 0);
  EXPECT_LT(last - first, kScreen.height / 8);
  EXPECT_LE(std::abs((first + last) / 2 - kScreen.height / 2), 6);
  // Its top row (the green band) is on the upper edge.
  EXPECT_EQ(s.target()->at(kScreen.width / 2, first), new_copy.target()->at(kScreen.width / 2, 0));
}

TEST(VisibilityAnimation, FlipOfAnElementShowsNothingInItsFirstHalf) {
  auto a = started(u"flip", 1, false);
  RenderSurface s(kScreen);
  for (double dt : {0.0, 0.08, 0.08, 0.03}) {  // t = 0, 0.2, 0.4, 0.475
    a->update(dt);
    clear(s, 0);
    a->draw(s, {0, 0});
    for (int y = 0; y < kScreen.height; ++y)
      for (int x = 0; x < kScreen.width; ++x) ASSERT_EQ(s.target()->at(x, y), 0) << a->progress();
  }
  a->update(0.1);  // t = 0.725: the element's picture turns in
  clear(s, 0);
  a->draw(s, {0, 0});
  int drawn = 0;
  for (int y = 0; y < kScreen.height; ++y)
    for (int x = 0; x < kScreen.width; ++x) drawn += s.target()->at(x, y) != 0;
  EXPECT_GT(drawn, 1000);
}

// One picture per kind at a fixed moment, compared pixel for pixel with the
// checked-in PNG; LUMIVALE_UPDATE_GOLDEN=1 rewrites them instead.
class AnimationGolden : public testing::TestWithParam<std::pair<const char16_t*, double>> {};

TEST_P(AnimationGolden, MatchesTheCheckedInPicture) {
  const auto [name, seconds] = GetParam();
  auto a = started(name, 1);
  a->update(seconds);
  RenderSurface s({kScreen.width + 20, kScreen.height + 20});
  fill(s, {0, 0, s.size().width, s.size().height}, 90, 90, 90);
  a->draw(s, {10, 10});

  testing_support::expect_matches_golden(s, std::filesystem::path(LUMIVALE_GOLDEN_DIR) /
                                                (platform::to_utf8(name) + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnimationGolden,
                         testing::Values(std::pair{u"scale", 0.14}, std::pair{u"pop", 0.26},
                                         std::pair{u"right", 0.07}, std::pair{u"bottom", 0.07},
                                         std::pair{u"left", 0.07}, std::pair{u"top", 0.07},
                                         std::pair{u"flip", 0.1}),
                         [](const auto& param_info) { return platform::to_utf8(param_info.param.first); });

}  // namespace

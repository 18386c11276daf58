#include <gtest/gtest.h>

#include "gfx/render_surface.h"
#include "tests/gfx/gfx_test_util.h"

namespace {

using namespace lv;
using gfx_test::clear;
using gfx_test::numbered;
using gfx_test::row_of;

TEST(Bitmap, RowsStartOnFourByteBoundaries) {
  for (int w : {1, 2, 3, 5, 240}) {
    auto b = MemoryBitmap::create({w, 3});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pitch(), (w * 2 + 3) / 4 * 4) << w;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b->row(1)) % 4, 0u) << w;
    EXPECT_TRUE(b->owns_pixels());
  }
  EXPECT_FALSE(MemoryBitmap::create({-1, 4}));
  EXPECT_FALSE(MemoryBitmap::create({kMaxBitmapSide + 1, 1}));
}

TEST(Bitmap, GdiBitmapDescribesATopDownSixteenBitSection) {
  auto b = GdiBitmap::create({3, 2});
  ASSERT_TRUE(b);
  const DibHeader& h = b->header();
  EXPECT_EQ(h.header_size, 40u);
  EXPECT_EQ(h.width, 3);
  EXPECT_EQ(h.height, -2);
  EXPECT_EQ(h.planes, 1);
  EXPECT_EQ(h.bits_per_pixel, 16);
  EXPECT_EQ(h.image_size, 12u);
  EXPECT_EQ(h.red_mask, 0xF800u);
  EXPECT_EQ(h.green_mask, 0x07E0u);
  EXPECT_EQ(h.blue_mask, 0x001Fu);
  EXPECT_EQ(b->pitch(), 8);
}

TEST(RenderSurface, RecreateKeepsContentAtTheSameSizeAndCountsPixels) {
  const int64_t before = RenderSurface::pixel_count();
  auto foreign = MemoryBitmap::create({5, 5});  // outlives the surfaces that wrap it
  {
    RenderSurface s;
    EXPECT_FALSE(s.recreate({0, 0}));
    EXPECT_EQ(s.size(), (Size{0, 0}));
    EXPECT_TRUE(s.recreate({10, 20}));
    EXPECT_EQ(RenderSurface::pixel_count(), before + 200);
    s.target()->set(3, 4, 0x1234);
    EXPECT_FALSE(s.recreate({10, 20}));
    EXPECT_EQ(s.target()->at(3, 4), 0x1234);
    EXPECT_EQ(s.clip(), (Clip{0, 0, 10, 20}));
    EXPECT_TRUE(s.recreate({4, 4}));
    EXPECT_EQ(RenderSurface::pixel_count(), before + 16);

    auto bitmap = s.release();
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(s.size(), (Size{0, 0}));
    EXPECT_EQ(RenderSurface::pixel_count(), before);
    RenderSurface other;
    other.adopt(std::move(bitmap));
    EXPECT_EQ(other.clip(), (Clip{0, 0, 4, 4}));
    EXPECT_EQ(RenderSurface::pixel_count(), before + 16);

    RenderSurface wrapped = RenderSurface::wrap(*foreign);
    EXPECT_FALSE(wrapped.owns_target());
    EXPECT_EQ(RenderSurface::pixel_count(), before + 41);
    wrapped.swap(other);
    EXPECT_EQ(wrapped.size(), (Size{4, 4}));
    EXPECT_TRUE(wrapped.owns_target());
    EXPECT_EQ(RenderSurface::pixel_count(), before + 41);
  }
  EXPECT_EQ(RenderSurface::pixel_count(), before);
}

TEST(RenderSurface, ReplacingTheBitmapUnderAClipEndsTheProcess) {
  EXPECT_EXIT(
      {
        RenderSurface s({8, 8});
        ClipScope scope(s, {1, 1}, {2, 2});
        s.recreate({9, 9});
      },
      testing::ExitedWithCode(3), "Gluck: Clip is in effect, cannot resize @ RenderSurface::recreate");
}

TEST(ClipScope, NestsIntersectsAndRestores) {
  RenderSurface s({100, 50});
  {
    ClipScope a(s, {10, 10}, {50, 50});
    EXPECT_EQ(s.clip(), (Clip{10, 10, 60, 50}));
    EXPECT_EQ(s.clip_depth(), 1);
    {
      ClipScope b(s, {-5, 20}, {30, 10});
      EXPECT_EQ(s.clip(), (Clip{10, 20, 25, 30}));
      EXPECT_EQ(s.clip_depth(), 2);
    }
    EXPECT_EQ(s.clip(), (Clip{10, 10, 60, 50}));
  }
  EXPECT_EQ(s.clip(), (Clip{0, 0, 100, 50}));
  EXPECT_EQ(s.clip_depth(), 0);
}

TEST(ClipScope, OutsideTheSurfaceGivesAnEmptyClipThatDrawsNothing) {
  RenderSurface s({10, 10});
  clear(s, 7);
  RenderSurface src({4, 4});
  clear(src, 1);
  {
    ClipScope scope(s, {20, 30}, {5, 5});
    EXPECT_TRUE(s.clip().empty());
    blit(src, s, {0, 0}, *copy_op());
    blit(src, s, {20, 30}, *copy_op());
    blit_scaled(src, s, {0, 0, 10, 10}, {0, 0, 4, 4}, *copy_op());
    fill(s, {0, 0, 10, 10}, 255, 255, 255);
  }
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(s.target()->at(x, y), 7) << x << "," << y;
}

TEST(Blit, CutsWhatLiesLeftOfOrAboveTheClip) {
  RenderSurface src = numbered({10, 10});
  RenderSurface dst({10, 10});
  clear(dst, 0xFFFF);
  blit(src, dst, {-5, -5}, *copy_op());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const Pixel expect = x < 5 && y < 5 ? static_cast<Pixel>(x + 5 + 100 * (y + 5)) : 0xFFFF;
      ASSERT_EQ(dst.target()->at(x, y), expect) << x << "," << y;
    }
}

TEST(Blit, RegionIsLimitedByClipAndSourceAndPassesSourceCoordinates) {
  // A recording operator sees what the blit hands to every row.
  struct Call {
    int count, src_x, src_y;
    Pixel first;
  };
  struct Recorder : RowOp {
    mutable std::vector<Call> calls;
    void straight(Pixel*, int count, const Pixel* src, int sx, int sy) const override {
      calls.push_back({count, sx, sy, src[0]});
    }
    void stretched(Pixel*, int, const Pixel*, int, int) const override {}
    void magnified(Pixel*, int, const Pixel*, int, int) const override {}
    void magnified_wrapped(Pixel*, int, const Pixel*, int, int, int, int) const override {}
    std::unique_ptr<RowOp> clone() const override { return nullptr; }
  } recorder;
  RenderSurface src = numbered({10, 10});
  RenderSurface dst({20, 20});
  ClipScope scope(dst, {4, 0}, {8, 3});
  blit(*src.target(), {7, 8}, {6, 6}, dst, {2, 1}, recorder);
  // Columns 2-3 are cut (source from 9), width 3 - 0 = 1 left of the source
  // row; rows limited to 2 by the source and by the clip's bottom at 3.
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_EQ(recorder.calls[0].count, 1);
  EXPECT_EQ(recorder.calls[0].src_x, 9);
  EXPECT_EQ(recorder.calls[0].src_y, 8);
  EXPECT_EQ(recorder.calls[0].first, 809);
  EXPECT_EQ(recorder.calls[1].src_y, 9);
}

TEST(BlitScaled, DoublingRepeatsEachSourcePixelTwice) {
  RenderSurface src = gfx_test::surface_of({4, 1}, {1, 2, 3, 4});
  RenderSurface dst({8, 2});
  blit_scaled(src, dst, {0, 0, 8, 2}, {0, 0, 4, 1}, *copy_op());
  EXPECT_EQ(row_of(dst, 0), (std::vector<Pixel>{1, 1, 2, 2, 3, 3, 4, 4}));
  EXPECT_EQ(row_of(dst, 1), (std::vector<Pixel>{1, 1, 2, 2, 3, 3, 4, 4}));
}

TEST(BlitScaled, StretchesShrinksAndClipsInFixedPoint) {
  RenderSurface src = numbered({6, 6});
  RenderSurface dst({8, 8});
  struct Case {
    Rect dst, src;
    int clip_x0;
    std::vector<Pixel> row0;
  };
  const Case cases[] = {
      // 3 -> 8: step 384, indices 0 0 0 1 1 1 2 2.
      {{0, 0, 8, 1}, {0, 0, 3, 1}, 0, {0, 0, 0, 1, 1, 1, 2, 2}},
      // 6 -> 3: step 2048.
      {{0, 0, 3, 1}, {0, 0, 6, 1}, 0, {0, 2, 4, 0x7777, 0x7777, 0x7777, 0x7777, 0x7777}},
      // Doubling from an odd source column, left part cut by the clip.
      {{-3, 0, 8, 1}, {1, 0, 4, 1}, 0, {2, 3, 3, 4, 4, 0x7777, 0x7777, 0x7777}},
      // The clip's left edge at 2 with a 4x magnification.
      {{0, 0, 8, 1}, {2, 0, 2, 1}, 2, {0x7777, 0x7777, 2, 2, 3, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    clear(dst, 0x7777);
    {
      ClipScope scope(dst, {c.clip_x0, 0}, {8, 8});
      blit_scaled(src, dst, c.dst, c.src, *copy_op());
    }
    EXPECT_EQ(row_of(dst, 0), c.row0) << c.dst.x << " " << c.src.x << " " << c.src.width;
  }
  // A source rectangle that leaves the source draws nothing.
  clear(dst, 0x7777);
  blit_scaled(src, dst, {0, 0, 8, 8}, {3, 0, 4, 2}, *copy_op());
  blit_scaled(src, dst, {0, 0, 8, 8}, {-1, 0, 2, 2}, *copy_op());
  blit_scaled(src, dst, {0, 0, 0, 8}, {0, 0, 2, 2}, *copy_op());
  EXPECT_EQ(row_of(dst, 0), std::vector<Pixel>(8, 0x7777));
}

TEST(Fill, WritesTheConvertedColourWithinClipAtAnyAlignment) {
  EXPECT_EQ(rgb565(255, 255, 255), 0xFFFF);
  EXPECT_EQ(rgb565(0x12, 0x34, 0x56), ((0x12 >> 3) << 11) | ((0x34 & 0xFC) << 3) | (0x56 >> 3));
  RenderSurface s({7, 3});
  for (int x0 = 0; x0 < 3; ++x0)
    for (int w = 1; w < 6; ++w) {
      clear(s, 0);
      fill(s, {x0, 1, w, 1}, 255, 0, 255);
      for (int x = 0; x < 7; ++x) {
        const bool inside = x >= x0 && x < std::min(7, x0 + w);
        ASSERT_EQ(s.target()->at(x, 1), inside ? 0xF81F : 0) << x0 << " " << w << " " << x;
        ASSERT_EQ(s.target()->at(x, 0), 0);
        ASSERT_EQ(s.target()->at(x, 2), 0);
      }
    }
}

}  // namespace

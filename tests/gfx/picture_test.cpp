#include "gfx/picture.h"

#include <gtest/gtest.h>

#include "tests/gfx/gfx_test_util.h"

namespace {

using namespace lv;
using gfx_test::clear;
using gfx_test::row_of;

// A picture whose pixel (x, y) is x + 1 + 16 * y.
PictureRef numbered_picture(Size size) {
  auto b = MemoryBitmap::create(size);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) b->set(x, y, static_cast<Pixel>(x + 1 + 16 * y));
  return std::make_shared<const Picture>(std::move(b), u"test");
}

// A view of a picture with the given horizontal split and one row.
PictureView row_view(int width, int x1, int x2) {
  PictureView v = PictureView::of(numbered_picture({width, 1}));
  v.p1 = {x1, 0};
  v.p2 = {x2, 1};
  return v;
}

std::vector<Pixel> draw_row(const PictureView& v, int width, int x, int clip_x0 = 0, int surface_width = 12) {
  RenderSurface s({surface_width, 1});
  clear(s, 0);
  {
    ClipScope scope(s, {clip_x0, 0}, {surface_width, 1});
    v.draw(s, {x, 0}, {width, 1}, *copy_op());
  }
  return row_of(s, 0);
}

TEST(NinePatch, SplitsIntoBordersAndARepeatedMiddle) {
  using P = std::vector<Pixel>;
  struct Case {
    const char* what;
    PictureView view;
    int width, x, clip_x0, surface_width;
    P expect;
  };
  const Case cases[] = {
      // Borders 4 and 4 drawn 6 wide: 3 of the leading border, the pixel at
      // x1, the last 2 of the trailing border.
      {"borders wider than the rectangle", row_view(10, 4, 6), 6, 0, 0, 6, {1, 2, 3, 5, 9, 10}},
      // A 3-pixel middle drawn 7 wide repeats 1 2 3 1 2 3 1.
      {"middle repeated", row_view(5, 1, 4), 9, 0, 0, 9, {1, 2, 3, 4, 2, 3, 4, 2, 5}},
      // Clipped by 2 at the start (1 leading pixel, 1 middle pixel) it
      // continues with the second middle pixel.
      {"clipped start keeps the phase", row_view(5, 1, 4), 9, -2, 0, 7, {3, 4, 2, 3, 4, 2, 5}},
      {"clipped by the clip scope", row_view(5, 1, 4), 9, 0, 3, 9, {0, 0, 0, 4, 2, 3, 4, 2, 5}},
      {"clipped at the end drops the trailing border first", row_view(5, 1, 4), 9, 0, 0, 7, {1, 2, 3, 4, 2, 3, 4}},
      {"no borders", row_view(3, 0, 3), 5, 0, 0, 5, {1, 2, 3, 1, 2}},
      {"a short leading border leaves the rest to the trailing one", row_view(6, 1, 2), 5, 0, 0, 5, {1, 2, 4, 5, 6}},
      {"empty middle draws nothing there", row_view(4, 2, 2), 6, 0, 0, 6, {1, 2, 0, 0, 3, 4}},
  };
  for (const Case& c : cases) {
    const P got = draw_row(c.view, c.width, c.x, c.clip_x0, c.surface_width);
    P expect = c.expect;
    expect.resize(static_cast<size_t>(c.surface_width), 0);
    EXPECT_EQ(got, expect) << c.what;
  }
}

TEST(NinePatch, BothAxesAndMagnification) {
  // 3 x 3 picture, middle pixel (1, 1), drawn at level 1: every source pixel
  // covers 2 x 2 device pixels; the view's points are device pixels.
  PictureView v = PictureView::of(numbered_picture({3, 3}));
  v.level = 1;
  v.p1 = {2, 2};
  v.p2 = {4, 4};
  v.p3 = {6, 6};
  RenderSurface s({8, 8});
  clear(s, 0);
  v.draw(s, {0, 0}, {8, 8}, *copy_op());
  // Columns: border 2 (source 0 0), middle 4 (1 1 1 1), border 2 (2 2).
  const std::vector<Pixel> top = {1, 1, 2, 2, 2, 2, 3, 3};
  const std::vector<Pixel> middle = {17, 17, 18, 18, 18, 18, 19, 19};
  const std::vector<Pixel> bottom = {33, 33, 34, 34, 34, 34, 35, 35};
  EXPECT_EQ(row_of(s, 0), top);
  EXPECT_EQ(row_of(s, 1), top);
  for (int y = 2; y < 6; ++y) EXPECT_EQ(row_of(s, y), middle) << y;
  EXPECT_EQ(row_of(s, 6), bottom);
  EXPECT_EQ(row_of(s, 7), bottom);

  // The whole picture at level 1 drawn twice its size: pixel doubling.
  PictureView whole = PictureView::of(numbered_picture({3, 2}));
  whole.level = 1;
  whole.p2 = whole.p3 = {6, 4};
  RenderSurface d({6, 4});
  whole.draw(d, {0, 0}, {6, 4}, *copy_op());
  EXPECT_EQ(row_of(d, 0), (std::vector<Pixel>{1, 1, 2, 2, 3, 3}));
  EXPECT_EQ(row_of(d, 1), row_of(d, 0));
  EXPECT_EQ(row_of(d, 3), (std::vector<Pixel>{17, 17, 18, 18, 19, 19}));
}

TEST(NinePatch, VerticalMiddleCyclesWithItsPhaseWhenClipped) {
  PictureView v = PictureView::of(numbered_picture({1, 5}));
  v.p1 = {0, 1};
  v.p2 = {1, 4};
  RenderSurface s({1, 9});
  clear(s, 0);
  v.draw(s, {0, -3}, {1, 12}, *copy_op());
  // Rows of the 12-high rectangle: 0 | 1 2 3 1 2 3 1 2 3 1 | 4; the first 3 are
  // cut, so drawing starts at middle row 3 and ends before the trailing row.
  std::vector<Pixel> column;
  for (int y = 0; y < 9; ++y) column.push_back(s.target()->at(0, y));
  EXPECT_EQ(column, (std::vector<Pixel>{49, 17, 33, 49, 17, 33, 49, 17, 65}));
}

TEST(NinePatch, RefusesViewsOutsideTheirPictureAndDrawsNothingEmpty) {
  RenderSurface s({4, 4});
  clear(s, 9);
  PictureView bad = row_view(3, 1, 2);
  bad.p3 = {5, 1};  // past the picture
  bad.draw(s, {0, 0}, {4, 1}, *copy_op());
  PictureView{}.draw(s, {0, 0}, {4, 4}, *copy_op());
  PictureView unordered = row_view(3, 2, 1);
  unordered.draw(s, {0, 0}, {4, 1}, *copy_op());
  for (int y = 0; y < 4; ++y) EXPECT_EQ(row_of(s, y), std::vector<Pixel>(4, 9));
}

TEST(PictureView, EqualityIgnoresTheFlag) {
  PictureView a = row_view(3, 1, 2);
  PictureView b = a;
  b.flag = 7;
  EXPECT_EQ(a, b);
  b.level = 1;
  EXPECT_NE(a, b);
  EXPECT_NE(a, row_view(3, 1, 2));  // another picture
}

}  // namespace

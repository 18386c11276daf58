#include "skin/anchor.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using lv::AnchorMode;
using lv::place;
using lv::share_table_extent;
using lv::TableCell;

TEST(Anchor, PlacesByModeWithoutGoingNegative) {
  struct Case {
    AnchorMode mode;
    int parent, bmin, bmax, preferred;
    int pos, size;
  };
  const Case cases[] = {
      {AnchorMode::MAX_SIDE, 100, 0, 4, 30, 66, 30},     // x 10 + 66 = 76
      {AnchorMode::MAX_SIDE, 20, 0, 4, 30, 0, 16},       // never negative
      {AnchorMode::CENTER, 100, 0, 0, 31, 34, 31},
      {AnchorMode::CENTER, 100, 0, 0, 120, 0, 100},
      {AnchorMode::BOTH_SIDE, 100, 5, 7, 1000, 5, 88},   // ignores the preferred size
      {AnchorMode::CENTER_NO_SIZE, 100, 0, 0, 120, 0, 120},
      {AnchorMode::MIN_SIDE, 50, 10, 99, 60, 10, 40},
      {AnchorMode::MIN_SIDE_NO_SIZE, 50, 10, 0, 60, 10, 60},
      {AnchorMode::MAX_SIDE_NO_SIZE, 50, 0, 5, 60, 0, 60},
      {AnchorMode::RATIO, 50, 5, 5, 60, 5, 40},
      {AnchorMode::BOTH_SIDE_NO_SIZE, 10, 8, 8, 3, 8, 0},  // size raised to 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    const auto p = place(c.mode, c.parent, c.bmin, c.bmax, c.preferred);
    EXPECT_EQ(p.pos, c.pos);
    EXPECT_EQ(p.size, c.size);
  }
}

TEST(Anchor, NamesMatchExactly) {
  EXPECT_EQ(lv::parse_anchor_mode(u"CENTER_NO_SIZE"), AnchorMode::CENTER_NO_SIZE);
  EXPECT_EQ(lv::parse_anchor_mode(u"center"), std::nullopt);
  EXPECT_EQ(lv::parse_anchor_mode(u""), std::nullopt);
  EXPECT_TRUE(lv::is_no_size(AnchorMode::MIN_SIDE_NO_SIZE));
  EXPECT_FALSE(lv::is_no_size(AnchorMode::CENTER));
}

TEST(TableShare, SpareSpaceGoesToRatioCells) {
  EXPECT_EQ(share_table_extent({{30, 30, 0, 1}, {30, 30, 0, 0}}, 100), (std::vector<int32_t>{70, 30}));
  // Ratios share the spare space in proportion, never more than there is.
  EXPECT_EQ(share_table_extent({{10, 10, 0, 1}, {10, 10, 0, 2}}, 50), (std::vector<int32_t>{20, 30}));
  // No ratio: cells stay at their preferred extent.
  EXPECT_EQ(share_table_extent({{10, 10, 0, 0}, {20, 5, 0, 0}}, 100), (std::vector<int32_t>{10, 20}));
}

TEST(TableShare, GrowsFromMinimumsEvenlyUntilPreferred) {
  // 60 available for minimums 10+10 and preferred 20+100: 40 to share, the
  // first stops at 20 and hands its excess to the second.
  EXPECT_EQ(share_table_extent({{20, 10, 0, 0}, {100, 10, 0, 0}}, 60), (std::vector<int32_t>{20, 40}));
  // Margins come off the extent first.
  EXPECT_EQ(share_table_extent({{50, 0, 4, 0}, {50, 0, 6, 0}}, 50), (std::vector<int32_t>{20, 20}));
}

TEST(TableShare, MinimumsThatDoNotFitShareTheWholeExtent) {
  EXPECT_EQ(share_table_extent({{50, 50, 0, 0}, {50, 50, 0, 0}, {100, 100, 0, 0}}, 100),
            (std::vector<int32_t>{25, 25, 50}));
  const auto cells = share_table_extent({{4, 4, 0, 0}, {4, 4, 0, 0}, {4, 4, 0, 0}}, 10);
  EXPECT_EQ(cells, (std::vector<int32_t>{3, 3, 4}));
  EXPECT_EQ(std::accumulate(cells.begin(), cells.end(), 0), 10);
  // No room at all: every cell collapses.
  EXPECT_EQ(share_table_extent({{4, 4, 6, 0}, {4, 4, 6, 0}}, 10), (std::vector<int32_t>{0, 0}));
}

}  // namespace

// How an element sits in its parent along one axis, and the arithmetic of
// placing elements and sharing a table's extent among its cells. Everything
// is in device pixels; no floating point.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace lv {

enum class AnchorMode : int {
  MIN_SIDE = 0,
  BOTH_SIDE = 1,
  MAX_SIDE = 2,
  RATIO = 3,
  CENTER = 4,
  MIN_SIDE_NO_SIZE = 5,
  MAX_SIDE_NO_SIZE = 6,
  BOTH_SIDE_NO_SIZE = 7,
  CENTER_NO_SIZE = 8,
};

// Exact, case-sensitive names; anything else is no mode.
std::optional<AnchorMode> parse_anchor_mode(std::u16string_view name);
// The "_NO_SIZE" modes are not limited by the parent and do not count when
// the parent measures itself.
bool is_no_size(AnchorMode mode);

struct Placement {
  int32_t pos = 0;   // relative to the parent's own position
  int32_t size = 0;  // never negative
};

// Size and position of an element with `preferred` extent inside a parent of
// extent `parent`, with margins bmin (near edge) and bmax (far edge).
Placement place(AnchorMode mode, int32_t parent, int32_t bmin, int32_t bmax, int32_t preferred);

// One cell of a table along its axis.
struct TableCell {
  int32_t preferred = 0;  // the child's measure
  int32_t minimum = 0;
  int32_t margins = 0;    // bmin + bmax of the child, whatever its mode
  int32_t ratio = 0;      // "table_ratio": share of the space left over
};

// The widths the table gives its cells' contents (without margins), for a
// table `extent` long. Cells wider than their contents' preferred extents
// only when some cell has a ratio; the cells add up to the extent whenever
// the minimums do not fit.
std::vector<int32_t> share_table_extent(const std::vector<TableCell>& cells, int32_t extent);

}  // namespace lv

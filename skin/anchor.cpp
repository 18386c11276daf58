#include "skin/anchor.h"

#include <algorithm>
#include <array>
#include <string>

namespace lv {

std::optional<AnchorMode> parse_anchor_mode(std::u16string_view name) {
  static constexpr std::array<std::u16string_view, 9> kNames = {
      u"MIN_SIDE",         u"BOTH_SIDE",         u"MAX_SIDE",          u"RATIO",          u"CENTER",
      u"MIN_SIDE_NO_SIZE", u"MAX_SIDE_NO_SIZE", u"BOTH_SIDE_NO_SIZE", u"CENTER_NO_SIZE"};
  for (size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<AnchorMode>(i);
  return std::nullopt;
}

bool is_no_size(AnchorMode mode) { return static_cast<int>(mode) >= 5; }

Placement place(AnchorMode mode, int32_t parent, int32_t bmin, int32_t bmax, int32_t preferred) {
  Placement p;
  switch (mode) {
    case AnchorMode::MIN_SIDE:
      p.size = std::min(preferred, parent - bmin);
      p.pos = bmin;
      break;
    case AnchorMode::BOTH_SIDE:
    case AnchorMode::BOTH_SIDE_NO_SIZE:
      p.size = parent - bmin - bmax;
      p.pos = bmin;
      break;
    case AnchorMode::MAX_SIDE:
      p.size = std::max(0, std::min(preferred, parent - bmax));
      p.pos = std::max(0, parent - p.size - bmax);
      break;
    case AnchorMode::RATIO:
      p.size = std::min(preferred, parent - bmin - bmax);
      p.pos = bmin;
      break;
    case AnchorMode::CENTER:
      p.size = std::max(0, std::min(preferred, parent - bmin - bmax));
      p.pos = bmin + std::max(0, (parent - bmin - p.size - bmax) / 2);
      break;
    case AnchorMode::MIN_SIDE_NO_SIZE:
      p.size = preferred;
      p.pos = bmin;
      break;
    case AnchorMode::MAX_SIDE_NO_SIZE:
      p.size = std::max(0, preferred);
      p.pos = std::max(0, parent - p.size - bmax);
      break;
    case AnchorMode::CENTER_NO_SIZE:
      p.size = std::max(0, preferred);
      p.pos = bmin + std::max(0, (parent - bmin - p.size - bmax) / 2);
      break;
  }
  p.size = std::max(0, p.size);
  return p;
}

std::vector<int32_t> share_table_extent(const std::vector<TableCell>& cells, int32_t extent) {
  const size_t n = cells.size();
  std::vector<int32_t> widths(n, 0);
  int64_t margins = 0, sum_pref = 0, sum_min = 0;
  int64_t ratio_total = 0;
  for (const auto& c : cells) {
    margins += c.margins;
    sum_pref += c.preferred;
    sum_min += c.minimum;
    if (c.ratio > 0) ratio_total += c.ratio;  // shares add up to the spare extent
  }
  const int64_t available = extent - margins;
  if (available < 1) return widths;  // every cell collapses

  if (sum_min < available) {
    // The minimums fit: grow every cell from its minimum towards its
    // preferred extent, sharing the growth evenly in rounds, and hand out
    // what is left beyond the preferred extents by ratio.
    int64_t grow, spare;
    if (sum_pref < available) {
      grow = sum_pref - sum_min;
      spare = available - sum_pref;
    } else {
      grow = available - sum_min;
      spare = 0;
    }
    std::vector<int64_t> s(n);
    int64_t growing = 0;
    for (size_t i = 0; i < n; ++i) {
      s[i] = cells[i].minimum;
      if (cells[i].preferred != cells[i].minimum) ++growing;
    }
    while (grow != 0 && growing != 0) {
      int64_t running = 0, excess = 0, still_growing = 0;
      for (size_t i = 0; i < n; ++i) {
        if (s[i] >= cells[i].preferred) continue;
        running += grow;
        const int64_t increment = running / growing - (running - grow) / growing;
        const int64_t room = cells[i].preferred - s[i];
        if (increment < room) {
          s[i] += increment;
          ++still_growing;
        } else {
          excess += increment - room;
          s[i] = cells[i].preferred;
        }
      }
      growing = still_growing;
      grow = excess;
    }
    int64_t k = 0;
    for (size_t i = 0; i < n; ++i) {
      int64_t w = s[i];
      if (cells[i].ratio > 0) {
        w += (k + cells[i].ratio) * spare / ratio_total - k * spare / ratio_total;
        k += cells[i].ratio;
      }
      widths[i] = static_cast<int32_t>(w);
    }
    return widths;
  }

  // The minimums do not fit: every cell gets its minimum's share of the
  // extent, rounded so that the shares add up exactly.
  int64_t k = 0;
  for (size_t i = 0; i < n; ++i) {
    const int64_t w = sum_min == 0 ? 0 : (k + cells[i].minimum) * available / sum_min - k * available / sum_min;
    k += cells[i].minimum;
    widths[i] = static_cast<int32_t>(w);
  }
  return widths;
}

}  // namespace lv

// Small helpers for the graphics tests: surfaces filled from pixel lists.
#pragma once

#include <initializer_list>
#include <vector>

#include "gfx/render_surface.h"

namespace gfx_test {

// A surface of the given size whose pixels are set row by row from `pixels`.
inline lv::RenderSurface surface_of(lv::Size size, std::initializer_list<lv::Pixel> pixels) {
  lv::RenderSurface s(size);
  auto it = pixels.begin();
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) s.target()->set(x, y, it != pixels.end() ? *it++ : 0);
  return s;
}

// A surface where pixel (x, y) is x + 100 * y.
inline lv::RenderSurface numbered(lv::Size size) {
  lv::RenderSurface s(size);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) s.target()->set(x, y, static_cast<lv::Pixel>(x + 100 * y));
  return s;
}

inline void clear(lv::RenderSurface& s, lv::Pixel p) {
  for (int y = 0; y < s.size().height; ++y)
    for (int x = 0; x < s.size().width; ++x) s.target()->set(x, y, p);
}

inline std::vector<lv::Pixel> row_of(const lv::RenderSurface& s, int y) {
  const lv::Pixel* r = s.target()->row(y);
  return std::vector<lv::Pixel>(r, r + s.size().width);
}

}  // namespace gfx_test

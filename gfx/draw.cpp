// Fills, in-place operators and blits: clipping in integer arithmetic, then
// one row-operator call per row.
#include <algorithm>
#include <cstdint>

#include "gfx/render_surface.h"

namespace lv {

namespace {

// The surface's clip, limited to its target.
Clip effective_clip(const RenderSurface& surface) {
  const Clip& c = surface.clip();
  const Size s = surface.size();
  return {std::max(0, c.x0), std::max(0, c.y0), std::min(s.width, c.x1), std::min(s.height, c.y1)};
}

}  // namespace

void apply(RenderSurface& surface, const Rect& rect, const InPlaceOp& op) {
  Bitmap* target = surface.target();
  if (!target || rect.width < 1 || rect.height < 1) return;
  const Clip c = effective_clip(surface);
  const int64_t x0 = std::max<int64_t>(rect.x, c.x0);
  const int64_t y0 = std::max<int64_t>(rect.y, c.y0);
  const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, c.x1);
  const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, c.y1);
  if (x1 <= x0 || y1 <= y0) return;
  const int count = static_cast<int>(x1 - x0);
  for (int64_t y = y0; y < y1; ++y) op.row(target->row(static_cast<int>(y)) + x0, count);
}

void fill(RenderSurface& surface, const Rect& rect, uint8_t r, uint8_t g, uint8_t b) {
  apply(surface, rect, *fill_op(rgb565(r, g, b)));
}

void blit(const Bitmap& source, Point src_origin, Size size, RenderSurface& destination, Point position,
          const RowOp& op) {
  Bitmap* target = destination.target();
  if (!target || size.width < 1 || size.height < 1) return;
  const Clip c = effective_clip(destination);
  int64_t sx = std::max(0, src_origin.x);
  int64_t sy = std::max(0, src_origin.y);
  int64_t dx = position.x;
  int64_t dy = position.y;
  int64_t w = size.width;
  int64_t h = size.height;
  // Columns and rows left of or above the clip are cut from the source too.
  if (dx < c.x0) {
    sx += c.x0 - dx;
    w -= c.x0 - dx;
    dx = c.x0;
  }
  if (dy < c.y0) {
    sy += c.y0 - dy;
    h -= c.y0 - dy;
    dy = c.y0;
  }
  w = std::min({w, c.x1 - dx, source.width() - sx});
  h = std::min({h, c.y1 - dy, source.height() - sy});
  if (w < 1 || h < 1) return;
  const int count = static_cast<int>(w);
  for (int64_t i = 0; i < h; ++i) {
    const int row = static_cast<int>(sy + i);
    op.straight(target->row(static_cast<int>(dy + i)) + dx, count, source.row(row) + sx, static_cast<int>(sx), row);
  }
}

void blit(const RenderSurface& source, RenderSurface& destination, Point position, const RowOp& op) {
  if (const Bitmap* bitmap = source.target()) blit(*bitmap, {0, 0}, bitmap->size(), destination, position, op);
}

void blit_scaled(const Bitmap& source, RenderSurface& destination, const Rect& dst_rect, const Rect& src_rect,
                 const RowOp& op) {
  Bitmap* target = destination.target();
  if (!target || dst_rect.width < 1 || dst_rect.height < 1) return;
  if (src_rect.x < 0 || src_rect.y < 0 || src_rect.width < 0 || src_rect.height < 0) return;
  if (static_cast<int64_t>(src_rect.x) + src_rect.width > source.width() ||
      static_cast<int64_t>(src_rect.y) + src_rect.height > source.height())
    return;
  // 64-bit fixed point: sizes up to the largest bitmap times 1024 overflow
  // nothing, and the per-row values fit the row functions' int again.
  int64_t fx = static_cast<int64_t>(src_rect.x) * 1024;
  int64_t fy = static_cast<int64_t>(src_rect.y) * 1024;
  const int64_t step_x = static_cast<int64_t>(src_rect.width) * 1024 / dst_rect.width;
  const int64_t step_y = static_cast<int64_t>(src_rect.height) * 1024 / dst_rect.height;
  const Clip c = effective_clip(destination);
  int64_t dx = dst_rect.x;
  int64_t dy = dst_rect.y;
  int64_t dw = dst_rect.width;
  int64_t dh = dst_rect.height;
  if (dx < c.x0) {
    dw -= c.x0 - dx;
    fx += (c.x0 - dx) * step_x;
    dx = c.x0;
  }
  if (dy < c.y0) {
    dh -= c.y0 - dy;
    fy += (c.y0 - dy) * step_y;
    dy = c.y0;
  }
  dw = std::min(dw, c.x1 - dx);
  dh = std::min(dh, c.y1 - dy);
  if (dw < 1 || dh < 1) return;
  // With a 0-pixel source there is nothing to read.
  if (src_rect.width == 0 || src_rect.height == 0) return;
  const int count = static_cast<int>(dw);
  for (int64_t i = 0; i < dh; ++i) {
    const int row = static_cast<int>(fy >> 10);
    fy += step_y;
    op.stretched(target->row(static_cast<int>(dy + i)) + dx, count, source.row(row), static_cast<int>(fx),
                 static_cast<int>(step_x));
  }
}

void blit_scaled(const RenderSurface& source, RenderSurface& destination, const Rect& dst_rect,
                 const Rect& src_rect, const RowOp& op) {
  if (const Bitmap* bitmap = source.target()) blit_scaled(*bitmap, destination, dst_rect, src_rect, op);
}

}  // namespace lv

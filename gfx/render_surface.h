// The surface all drawing goes into: a target bitmap (borrowed or owned) with
// a clip rectangle, and the blits that draw into it.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/geometry.h"
#include "gfx/row_op.h"

namespace lv {

// x0, y0 inclusive; x1, y1 exclusive; in bitmap coordinates.
struct Clip {
  int x0 = 0;
  int y0 = 0;
  int x1 = 0;
  int y1 = 0;
  bool empty() const { return x1 <= x0 || y1 <= y0; }
  friend bool operator==(const Clip&, const Clip&) = default;
};

class RenderSurface {
 public:
  RenderSurface();
  // A new memory bitmap of that size (no target when the allocation fails).
  explicit RenderSurface(Size size);
  ~RenderSurface();
  RenderSurface(const RenderSurface&) = delete;
  RenderSurface& operator=(const RenderSurface&) = delete;
  // Moving is a swap with an empty surface.
  RenderSurface(RenderSurface&& other) noexcept;
  RenderSurface& operator=(RenderSurface&& other) noexcept;

  // A surface drawing into a bitmap it does not own; clip = whole bitmap.
  static RenderSurface wrap(Bitmap& bitmap);

  // Replaces the owned bitmap by a new memory bitmap of that size (content
  // undefined); false and nothing done when the owned bitmap already has that
  // size, or when there is none and the size is 0 x 0. Ends the process
  // through the fatal report while a ClipScope is active.
  bool recreate(Size size);
  // Takes ownership of the bitmap and draws into it; the clip's x1, y1 become
  // the bitmap's size.
  void adopt(std::unique_ptr<Bitmap> bitmap);
  // Gives the owned bitmap away; the surface is left without target.
  std::unique_ptr<Bitmap> release();
  // Exchanges clip, clip depth, target and ownership.
  void swap(RenderSurface& other) noexcept;

  // The target's size; 0 x 0 without target.
  Size size() const;
  Bitmap* target() { return target_; }
  const Bitmap* target() const { return target_; }
  bool owns_target() const { return owned_ != nullptr; }
  const Clip& clip() const { return clip_; }
  int clip_depth() const { return clip_depth_; }

  // Sum of width * height of every bitmap currently held by a surface.
  static int64_t pixel_count();

 private:
  friend class ClipScope;
  void set_clip(const Clip& requested);
  void set_target(Bitmap* target, std::unique_ptr<Bitmap> owned);
  void check_no_clip() const;

  Clip clip_;
  int clip_depth_ = 0;
  Bitmap* target_ = nullptr;
  std::unique_ptr<Bitmap> owned_;
};

// Narrows the surface's clip to its intersection with (position, size) for
// the scope's lifetime; scopes nest.
class ClipScope {
 public:
  ClipScope(RenderSurface& surface, Point position, Size size);
  ~ClipScope();
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  RenderSurface& surface_;
  Clip saved_;
};

// Fills the rectangle (clipped) with rgb565(r, g, b).
void fill(RenderSurface& surface, const Rect& rect, uint8_t r, uint8_t g, uint8_t b);
// Runs the operator over every row of the rectangle (clipped).
void apply(RenderSurface& surface, const Rect& rect, const InPlaceOp& op);
// Draws the region (src_origin, size) of a bitmap 1:1 at `position`, clipped
// by the destination's clip.
void blit(const Bitmap& source, Point src_origin, Size size, RenderSurface& destination, Point position,
          const RowOp& op);
// Draws the whole source target at `position`.
void blit(const RenderSurface& source, RenderSurface& destination, Point position, const RowOp& op);
// Draws the source rectangle stretched to the destination rectangle (10-bit
// fixed point, nearest pixel). Nothing unless the source rectangle lies
// inside the source bitmap and the destination one is not empty.
void blit_scaled(const Bitmap& source, RenderSurface& destination, const Rect& dst_rect, const Rect& src_rect,
                 const RowOp& op);
void blit_scaled(const RenderSurface& source, RenderSurface& destination, const Rect& dst_rect,
                 const Rect& src_rect, const RowOp& op);

}  // namespace lv

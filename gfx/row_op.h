// Row operators: how source pixels are combined with destination pixels, one
// row at a time. Every blit calls its operator once per row through one
// indirect call; the per-pixel work is inline integer arithmetic.
#pragma once

#include <memory>

#include "gfx/pixel.h"

namespace lv {

// Combines a source row into a destination row. `src` always points at the
// first pixel of the source row (column 0), except for `straight`, which gets
// it at the first source column used.
class RowOp {
 public:
  virtual ~RowOp() = default;
  // Destination pixel i takes source pixel i. `src_x`, `src_y` are the
  // column and row numbers of src[0] in the source bitmap.
  virtual void straight(Pixel* dst, int count, const Pixel* src, int src_x, int src_y) const = 0;
  // Destination pixel i takes source pixel fx >> 10, then fx += step
  // (10-bit fixed point).
  virtual void stretched(Pixel* dst, int count, const Pixel* src, int fx, int step) const = 0;
  // Destination pixel i takes source pixel (start + i) >> shift.
  virtual void magnified(Pixel* dst, int count, const Pixel* src, int start, int shift) const = 0;
  // Destination pixel i takes source pixel start >> shift; then start becomes
  // wrap_start when start + 1 == wrap_end, else start + 1.
  virtual void magnified_wrapped(Pixel* dst, int count, const Pixel* src, int start, int shift,
                                 int wrap_start, int wrap_end) const = 0;
  virtual std::unique_ptr<RowOp> clone() const = 0;
};

// Changes a destination row in place (fills, brightness).
class InPlaceOp {
 public:
  virtual ~InPlaceOp() = default;
  virtual void row(Pixel* dst, int count) const = 0;
  virtual std::unique_ptr<InPlaceOp> clone() const = 0;
};

// d = s.
std::unique_ptr<RowOp> copy_op();
// d = s unless s is the key colour.
std::unique_ptr<RowOp> key_op();
// By level / 64 (negative as 0, above 255 as 4):
//   0: as key_op;
//   1: key skipped; opaque s; else s + quarter(d);
//   2: key skipped; opaque s; else s + half(d);
//   3: key skipped; opaque s; else s + quarter(d) + half(d);
//   4: opaque s, else d (translucent pixels and the key are dropped).
// Sums are plain 16-bit additions of packed pixels, without saturation.
std::unique_ptr<RowOp> translucency_op(int level);
// Scales every channel by k / 16 with k = (level + 8) / 16 clamped to 0..16;
// level 128 halves the brightness, 256 leaves pixels untouched.
std::unique_ptr<InPlaceOp> brightness_op(int level);
// Writes one colour, two pixels per 32-bit store.
std::unique_ptr<InPlaceOp> fill_op(Pixel colour);

}  // namespace lv

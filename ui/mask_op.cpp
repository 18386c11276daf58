// The image kind's mask operator.
#include "ui/kinds.h"

namespace lv {
namespace {

// dst + (src - dst) * m / 32 per channel, rounded down; green is blended on
// its 8-bit value and keeps 5 bits, the sixth being the opaque marker.
inline Pixel blend(Pixel d, Pixel s, unsigned m) {
  if (m == 0) return d;
  if (m >= 31) return s;
  const unsigned dr = d >> 11, sr = s >> 11;
  const unsigned dg = ((d >> 5) & 0x3F) << 2, sg = ((s >> 5) & 0x3F) << 2;
  const unsigned db = d & 0x1F, sb = s & 0x1F;
  const unsigned r = (dr * (32 - m) + sr * m) >> 5;
  const unsigned g = (dg * (32 - m) + sg * m) >> 5;
  const unsigned b = (db * (32 - m) + sb * m) >> 5;
  return static_cast<Pixel>((r << 11) | ((g >> 3) << 6) | kOpaqueBit | b);
}

class MaskOp final : public RowOp {
 public:
  MaskOp(PictureRef source, PictureRef mask) : source_(std::move(source)), mask_(std::move(mask)) {}

  void straight(Pixel* dst, int count, const Pixel* src, int src_x, int src_y) const override {
    const Pixel* m = mask_row_at(src_y);
    for (int i = 0; i < count; ++i) dst[i] = blend(dst[i], src[i], m ? m[src_x + i] & 0x1F : 31);
  }
  void stretched(Pixel* dst, int count, const Pixel* src, int fx, int step) const override {
    const Pixel* m = mask_row_of(src);
    for (int i = 0; i < count; ++i, fx += step) dst[i] = blend(dst[i], src[fx >> 10], m ? m[fx >> 10] & 0x1F : 31);
  }
  void magnified(Pixel* dst, int count, const Pixel* src, int start, int shift) const override {
    const Pixel* m = mask_row_of(src);
    for (int i = 0; i < count; ++i) {
      const int x = (start + i) >> shift;
      dst[i] = blend(dst[i], src[x], m ? m[x] & 0x1F : 31);
    }
  }
  void magnified_wrapped(Pixel* dst, int count, const Pixel* src, int start, int shift, int wrap_start,
                         int wrap_end) const override {
    const Pixel* m = mask_row_of(src);
    for (int i = 0; i < count; ++i) {
      const int x = start >> shift;
      dst[i] = blend(dst[i], src[x], m ? m[x] & 0x1F : 31);
      start = start + 1 == wrap_end ? wrap_start : start + 1;
    }
  }
  std::unique_ptr<RowOp> clone() const override { return std::make_unique<MaskOp>(source_, mask_); }

 private:
  const Pixel* mask_row_at(int y) const {
    const Bitmap* mask = mask_->bitmap();
    return mask && y >= 0 && y < mask->height() ? mask->row(y) : nullptr;
  }
  // The row functions get the source row's start: its row number picks the
  // mask's row. A row of another bitmap draws unmasked.
  const Pixel* mask_row_of(const Pixel* src_row) const {
    const Bitmap* source = source_->bitmap();
    if (!source || source->pitch() <= 0) return nullptr;
    const auto offset = reinterpret_cast<const uint8_t*>(src_row) - source->pixels();
    if (offset < 0 || offset >= static_cast<ptrdiff_t>(source->pitch()) * source->height()) return nullptr;
    return mask_row_at(static_cast<int>(offset / source->pitch()));
  }

  PictureRef source_;
  PictureRef mask_;
};

}  // namespace

std::unique_ptr<RowOp> mask_op(const PictureView& source, const PictureView& mask) {
  return std::make_unique<MaskOp>(source.picture, mask.picture);
}

}  // namespace lv
